// Key strings of SENDSTRING and SENDKEY from any bytes: every key pressed is released, the
// presses stay bounded by the text's length, and a layout without keys gives none.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "library/controls/key_string.h"

namespace {

int16_t Layout(unsigned char c) {
  if (c < 32 || c == 0xE4) return -1;
  return static_cast<int16_t>(((c % 8) << 8) | (c & 0x7F));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::vector<talven::KeyPress> presses = talven::KeyStrokes(text, Layout);
  int down[256] = {};
  for (const talven::KeyPress& press : presses) {
    down[press.key] += press.down ? 1 : -1;
    if (down[press.key] < 0) std::abort();
  }
  for (int count : down) {
    if (count != 0) std::abort();
  }
  // Each character gives at most one key (with up to three modifiers), a braced name at
  // most the capped repeat count of them.
  if (presses.size() > (size + 1) * 8 * static_cast<size_t>(talven::kMaxKeyRepeat)) std::abort();
  if (!talven::KeyStrokes(text, talven::KeyLayout{}).empty() &&
      text.find_first_of("{~") == std::string_view::npos) {
    std::abort();
  }
  return 0;
}
