#pragma once
// Syntax colouring of one shown line, as runs of equal appearance over its visible part.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "editor/text_document.h"

namespace talven::editor {

enum class Ink : uint8_t {
  WindowText,  // plain line: the system's window-text colour
  Black,
  Red,         // RGB 255, 0, 0
  Blue,        // RGB 0, 0, 255
  Green,       // RGB 0, 128, 0
};

struct ColourRun {
  int32_t column = 0;  // from 0, in the shown text
  int32_t length = 0;
  Ink ink = Ink::Black;
  bool bold = false;
  bool selected = false;
  bool operator==(const ColourRun&) const = default;
};

// Lines this long or longer are drawn plainly.
constexpr size_t kColourLineLimit = 256;

// The leading word: up to the first blank after the first non-blank character, trimmed of
// blanks and control characters, in upper case.
std::string LeadingWord(std::string_view line);

// The column of the comment's apostrophe (outside strings and parentheses), or -1.
int32_t CommentStart(std::string_view line);

// The runs for the visible columns [firstVisible, firstVisible + visibleCount) of a shown
// line (tabs already expanded). `line` is the line number from 1; the selection is in
// line numbers and columns from 1, the end column excluded.
std::vector<ColourRun> ColourLine(std::string_view line, int32_t firstVisible,
                                  int32_t visibleCount, int32_t lineNumber,
                                  const Selection& selection, bool syntaxColours);

}  // namespace talven::editor
