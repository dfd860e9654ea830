#pragma once
// Split: a program line into its statement word and its parameter text.

#include <string>
#include <string_view>

namespace talven {

struct SplitLine {
  std::string word;   // upper case
  std::string param;  // the rest, trimmed; consumed from the front by the evaluator
};

SplitLine Split(std::string_view line);

// True when `text` has a "(" at its second character or later and none of the characters
// before it is a blank, a quote or one of the delimiters: a call written with brackets.
bool LooksLikeBracketCall(std::string_view text);

}  // namespace talven
