// The menu model from any bytes: the first half drives the stack of open sub-menus (push,
// pop), the rest is read as an item text and as a menu path. The stack never holds more
// than eleven menus and a refused pop leaves its menu alone; a label never grows, keeps no
// lone "&" and stops at a tab; a path splits into one level more than it has ">" and
// joins back to itself.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "library/menus/menu_model.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const size_t half = size / 2;
  talven::MenuStack stack;
  size_t depth = 0;
  for (size_t i = 0; i < half; ++i) {
    if (data[i] & 1) {
      const bool pushed = stack.Push(static_cast<intptr_t>(data[i]));
      if (pushed != (depth < talven::MenuStack::kMaxDepth)) std::abort();
      if (pushed) ++depth;
    } else {
      intptr_t menu = -1;
      const bool popped = stack.Pop(menu);
      if (popped != (depth > 0)) std::abort();
      if (popped) {
        --depth;
      } else if (menu != -1) {
        std::abort();
      }
    }
    if (stack.Depth() != depth) std::abort();
  }
  const std::string_view text(reinterpret_cast<const char*>(data) + half, size - half);
  const std::string label = talven::MenuItemLabel(text);
  if (label.size() > text.size()) std::abort();
  if (label.find('\t') != std::string::npos) std::abort();
  const size_t tab = text.find('\t');
  const std::string_view shown = text.substr(0, tab);
  size_t marks = 0;
  for (const char c : shown) marks += c == '&';
  // Every character but the marks survives, and a doubled mark leaves one.
  if (label.size() < shown.size() - marks || label.size() > shown.size() - (marks + 1) / 2) std::abort();
  const auto levels = talven::SplitMenuPath(text);
  size_t arrows = 0;
  for (const char c : text) arrows += c == '>';
  if (levels.size() != arrows + 1) std::abort();
  std::string joined;
  for (size_t i = 0; i < levels.size(); ++i) joined += (i == 0 ? "" : ">") + levels[i];
  if (joined != text) std::abort();
  return 0;
}
