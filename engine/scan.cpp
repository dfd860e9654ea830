#include "engine/scan.h"

namespace talven {

namespace {

constexpr unsigned char kFunctionMark = '@';
constexpr unsigned char kLineNumberMark = 255;  // DEF call or PROC line: two bytes follow
constexpr unsigned char kWideMark = 167;        // two bytes follow

// Walks `text` and calls `visit(index, c)` for every character at depth 0 outside strings;
// stops when `visit` returns true and gives that index.
template <typename Visit>
size_t WalkDepthZero(std::string_view text, LineForm form, Visit visit) {
  int round = 0;
  int square = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '"') {
      const size_t close = text.find('"', i + 1);
      if (close == kNotFound) return kNotFound;
      i = close;
      continue;
    }
    if (form == LineForm::Compiled) {
      if (c == kLineNumberMark || c == kWideMark) {
        i += 2;
        continue;
      }
      if (c == kFunctionMark) {
        // The function code byte follows; the "(" after it opens the depth.
        ++i;
        continue;
      }
    }
    if (round == 0 && square == 0 && visit(i, static_cast<char>(c))) return i;
    switch (c) {
      case '(': ++round; break;
      case ')': --round; break;
      case '[': ++square; break;
      case ']': --square; break;
      default: break;
    }
  }
  return kNotFound;
}

}  // namespace

size_t FindSeparator(std::string_view text, std::string_view separators, LineForm form) {
  return WalkDepthZero(text, form,
                       [&](size_t, char c) { return separators.find(c) != kNotFound; });
}

size_t FindCommentStart(std::string_view text, LineForm form) {
  return FindSeparator(text, "'", form);
}

bool HasOpenString(std::string_view text) {
  bool inString = false;
  for (char c : text) {
    if (c == '"') inString = !inString;
  }
  return inString;
}

bool BracketsBalanced(std::string_view text) {
  int opened = 0;
  int closed = 0;
  bool inString = false;
  for (char c : text) {
    if (c == '"') {
      inString = !inString;
    } else if (!inString) {
      if (c == '\'') break;
      if (c == '(') ++opened;
      if (c == ')') ++closed;
    }
  }
  return opened == closed;
}

}  // namespace talven
