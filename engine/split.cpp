#include "engine/split.h"

#include "engine/limits.h"
#include "engine/text.h"

namespace talven {

namespace {

// The characters that may not stand before the "(" of a call written with brackets:
// blank, apostrophe, double quote and the 23 delimiters (0xB4 is the acute accent).
bool IsCallBreaker(char c) {
  static constexpr std::string_view kBreakers = " '\"/)[\\]=?,;:-<>^*+`\xB4{|}";
  return kBreakers.find(c) != std::string_view::npos;
}

}  // namespace

bool LooksLikeBracketCall(std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '(') return i >= 1;
    if (IsCallBreaker(c)) return false;
  }
  return false;
}

SplitLine Split(std::string_view line) {
  SplitLine result;
  if (line.empty()) return result;

  // A function call used as a statement, with "@" or with brackets.
  if (line.front() == '@' || LooksLikeBracketCall(line)) {
    result.word = "@";
    result.param = std::string(line);
    return result;
  }

  const size_t blank = line.find(' ');
  const size_t equals = line.find('=');
  if (blank != std::string_view::npos && (equals == std::string_view::npos || equals > blank)) {
    result.word = UpperCase(TrimControl(line.substr(0, blank)));
    result.param = std::string(TrimControl(line.substr(blank + 1)));
  } else if (equals != std::string_view::npos) {
    result.word = "LET";
    result.param = std::string(line);
  } else {
    result.word = UpperCase(line);
  }

  // "name = value": an assignment with a blank before the "=".
  if (!result.param.empty() && result.param.front() == '=') {
    std::string joined = result.word + result.param;
    if (joined.size() > kMaxLineLength) joined.resize(kMaxLineLength);
    result.param = std::move(joined);
    result.word = "LET";
  }
  return result;
}

}  // namespace talven
