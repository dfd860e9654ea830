#pragma once
// The operand and separator search: a walk from the left that skips double-quoted strings
// and counts round and square brackets as two nesting depths. Loader, statement loop and
// evaluator all find their separators, comments and operand ends this way.

#include <cstddef>
#include <string_view>

namespace talven {

// How a line was stored: as source text, or as a compiled line whose "@" opens a depth
// and carries a function code, and whose bytes 255 and 167 carry two more bytes.
enum class LineForm { Source, Compiled };

inline constexpr size_t kNotFound = std::string_view::npos;

// The first character of `separators` standing outside strings at depth 0, or kNotFound.
size_t FindSeparator(std::string_view text, std::string_view separators,
                     LineForm form = LineForm::Source);

// The first apostrophe outside strings and brackets: where a comment begins.
size_t FindCommentStart(std::string_view text, LineForm form = LineForm::Source);

// True when a double quote opens a string that never closes.
bool HasOpenString(std::string_view text);

// Counts "(" and ")" outside strings before the first apostrophe outside strings.
bool BracketsBalanced(std::string_view text);

}  // namespace talven
