#include "editor/colouring.h"

#include <algorithm>
#include <array>

namespace talven::editor {

namespace {

// Leading words drawn in bold black.
constexpr std::array<std::string_view, 16> kBoldWords = {
    "IF",    "IFNOT",    "WHILE",  "WHILENOT", "PROC",       "DEF",     "ENDIF", "CASE",
    "CASENOT", "ENDWHILE", "ENDPROC", "ELSEIF", "ELSE", "WEND", "STARTPAINT", "ENDPAINT"};

struct Cell {
  Ink ink;
  bool bold;
  bool selected;
};

}  // namespace

std::string LeadingWord(std::string_view line) {
  const size_t first = line.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  std::string_view word = line.substr(0, line.find(' ', first));
  // Control characters (a tab among them) are trimmed like blanks; only a blank ends the word.
  while (!word.empty() && static_cast<unsigned char>(word.front()) <= ' ') word.remove_prefix(1);
  while (!word.empty() && static_cast<unsigned char>(word.back()) <= ' ') word.remove_suffix(1);
  std::string upper(word);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  return upper;
}

int32_t CommentStart(std::string_view line) {
  bool inString = false;
  int32_t depth = 0;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '"') {
      inString = !inString;
    } else if (!inString) {
      if (c == '(') {
        ++depth;
      } else if (c == ')') {
        // Deliberate: a stray closing bracket does not let the depth go below zero, so that
        // an unbalanced line still finds its comment.
        if (depth > 0) --depth;
      } else if (c == '\'' && depth == 0) {
        return static_cast<int32_t>(i);
      }
    }
  }
  return -1;
}

std::vector<ColourRun> ColourLine(std::string_view line, int32_t firstVisible,
                                  int32_t visibleCount, int32_t lineNumber,
                                  const Selection& selection, bool syntaxColours) {
  std::vector<ColourRun> runs;
  const int32_t size = static_cast<int32_t>(std::min<size_t>(line.size(), INT32_MAX / 2));
  const int32_t from = std::max(firstVisible, 0);
  const int32_t to = std::min(size, from + std::max(visibleCount, 0));
  if (to <= from) return runs;
  std::vector<Cell> cells(to - from, Cell{Ink::Black, false, false});
  auto paint = [&](int32_t start, int32_t end, Ink ink, bool bold) {
    for (int32_t i = std::max(start, from); i < std::min(end, to); ++i) cells[i - from] = {ink, bold, false};
  };
  bool wordBold = false;
  if (!syntaxColours || line.size() >= kColourLineLimit) {
    paint(from, to, Ink::WindowText, false);
  } else {
    const std::string word = LeadingWord(line);
    Ink ink = Ink::Black;
    bool whole = false;
    if (word == "REM" || (!word.empty() && word[0] == '\'')) {
      ink = Ink::Red;
      whole = true;
    } else if (std::find(kBoldWords.begin(), kBoldWords.end(), word) != kBoldWords.end()) {
      wordBold = true;
      whole = word == "PROC";
    } else if (word == "DECLARE" || word == "PARAMETERS" || word.starts_with("DIM")) {
      ink = Ink::Blue;
    } else if (word.starts_with("$")) {
      ink = Ink::Red;
    }
    const size_t first = line.find_first_not_of(' ');
    const size_t wordEnd = first == std::string_view::npos ? line.size()
                                                             : std::min(line.find(' ', first), line.size());
    paint(0, whole ? size : static_cast<int32_t>(wordEnd), ink, wordBold);
    // The comment, then the strings before it, drawn over what is there.
    const int32_t comment = CommentStart(line);
    const int32_t codeEnd = comment < 0 ? size : comment;
    if (comment >= 0) {
      for (int32_t i = std::max(comment, from); i < to; ++i) cells[i - from].ink = Ink::Red;
    }
    for (size_t open = line.find('"'); open != std::string_view::npos && static_cast<int32_t>(open) < codeEnd;) {
      const size_t close = line.find('"', open + 1);
      if (close == std::string_view::npos || static_cast<int32_t>(close) >= codeEnd) break;
      for (int32_t i = std::max(static_cast<int32_t>(open), from); i < std::min(static_cast<int32_t>(close) + 1, to); ++i)
        cells[i - from].ink = Ink::Green;
      open = line.find('"', close + 1);
    }
  }
  if (selection.exists && lineNumber >= selection.start.line && lineNumber <= selection.end.line) {
    const int32_t start = lineNumber == selection.start.line ? selection.start.column - 1 : from;
    const int32_t end = lineNumber == selection.end.line ? selection.end.column - 1 : size;
    for (int32_t i = std::max(start, from); i < std::min(end, to); ++i) {
      cells[i - from].selected = true;
      cells[i - from].bold = wordBold && cells[i - from].bold;
    }
  }
  for (int32_t i = from; i < to; ++i) {
    const Cell& cell = cells[i - from];
    if (!runs.empty()) {
      ColourRun& last = runs.back();
      if (last.ink == cell.ink && last.bold == cell.bold && last.selected == cell.selected) {
        ++last.length;
        continue;
      }
    }
    runs.push_back({i, 1, cell.ink, cell.bold, cell.selected});
  }
  return runs;
}

}  // namespace talven::editor
