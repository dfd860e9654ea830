#pragma once
// Word wrap: every line of the text shown in rows no wider than the wrap column. A row
// ends after the last blank that still fits; a word longer than the row is cut at the
// column. Rows are counted from 0 over the whole text; columns here are display columns
// of the shown line (tabs expanded), from 0.

#include <cstdint>
#include <string_view>
#include <vector>

#include "editor/text_document.h"

namespace talven::editor {

// The columns where the rows of one shown line begin: always 0 first.
std::vector<int32_t> RowStarts(std::string_view shown, int32_t width);

struct RowSpan {
  int32_t line = 0;    // from 0
  int32_t start = 0;   // first column of the row
  int32_t length = 0;  // columns of the line in this row
};

class WrapLayout {
 public:
  // Lays out the whole text for `width` columns (below 1 counts as 1).
  void Rebuild(const TextDocument& doc, int32_t width);
  int32_t Width() const { return m_width; }
  int32_t RowCount() const { return static_cast<int32_t>(m_rows.size()); }
  RowSpan Row(int32_t row) const;
  // The row that shows `place` (line and column from 1). A place on a break belongs to
  // the row it begins; the end of a line to the line's last row.
  int32_t RowOf(LineColumn place) const;
  // The place (line and column from 1) at column `column` (from 0) of row `row`,
  // clamped to the row: past its end is the row's end.
  LineColumn PlaceAt(int32_t row, int32_t column) const;

 private:
  struct Entry {
    int32_t line;
    int32_t start;
    int32_t length;
  };
  int32_t m_width = 1;
  std::vector<Entry> m_rows;
  std::vector<int32_t> m_firstRow;  // per line, the row it begins with
};

}  // namespace talven::editor
