#pragma once
// The text grid of the main window: characters, colour attributes and font indices in three
// parallel buffers, kept as a ring of rows so that scrolling only moves the first-row index.
// Portable: what must be drawn is told to a TextSink, which the window implements.

#include <cstdint>
#include <string_view>
#include <vector>

namespace talven {

// Receives what the grid changes, in grid coordinates (0-based cells).
class TextSink {
 public:
  virtual ~TextSink() = default;
  // Cells [column, column + text.size()) of `row` now hold `text` in one attribute and font.
  virtual void DrawRun(int32_t row, int32_t column, std::string_view text, uint8_t attribute,
                       uint8_t font) = 0;
  // Everything moved up one row; the new last row is blank.
  virtual void ScrollUp() = 0;
  virtual void Beep() = 0;
};

class TextGrid {
 public:
  // Buffers for `capacityColumns` x `capacityRows` cells (the screen's size in cells);
  // the grid itself starts at 80 x 32, clamped to the capacity.
  TextGrid(int32_t capacityColumns, int32_t capacityRows);

  int32_t Columns() const { return m_columns; }
  int32_t Rows() const { return m_rows; }
  // WINDOW: a new grid size (clamped to 1 .. capacity); the content is kept where it fits.
  void Resize(int32_t columns, int32_t rows);

  // Writes text at the cursor: 7 beeps, 8 steps back and blanks the cell, 10 ends the line,
  // 13 is ignored, everything else is stored and advances the cursor.
  void Write(std::string_view text, TextSink& sink);
  void LineEnd(TextSink& sink);
  // CLS: blanks in the current attribute and font; cursor to the top left.
  void Clear();
  // LOCATE, 0-based, clamped to the grid.
  void Locate(int32_t row, int32_t column);

  int32_t CursorRow() const { return m_row; }
  int32_t CursorColumn() const { return m_column; }
  char CharAt(int32_t row, int32_t column) const;
  uint8_t AttributeAt(int32_t row, int32_t column) const;

  uint8_t attribute = 0xF0;  // foreground in the low nibble, background in the high one
  uint8_t font = 2;

 private:
  size_t CellIndex(int32_t row, int32_t column) const;
  void FillRow(int32_t row);
  void Flush(TextSink& sink);

  int32_t m_capacityColumns;
  int32_t m_capacityRows;
  int32_t m_columns;
  int32_t m_rows;
  int32_t m_firstRow = 0;
  int32_t m_row = 0;
  int32_t m_column = 0;
  std::vector<char> m_chars;
  std::vector<uint8_t> m_attributes;
  std::vector<uint8_t> m_fonts;
  // The run written since the last flush: one row, consecutive cells.
  int32_t m_runColumn = 0;
  std::string_view::size_type m_runLength = 0;
};

}  // namespace talven
