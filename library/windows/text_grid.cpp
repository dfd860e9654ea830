#include "library/windows/text_grid.h"

#include <algorithm>
#include <string>

namespace talven {

namespace {

constexpr int32_t kInitialColumns = 80;
constexpr int32_t kInitialRows = 32;
constexpr char kBeep = 7;
constexpr char kBackspace = 8;
constexpr char kLineFeed = 10;
constexpr char kCarriageReturn = 13;

}  // namespace

TextGrid::TextGrid(int32_t capacityColumns, int32_t capacityRows)
    : m_capacityColumns(std::max(capacityColumns, 1)),
      m_capacityRows(std::max(capacityRows, 1)),
      m_columns(std::min(kInitialColumns, m_capacityColumns)),
      m_rows(std::min(kInitialRows, m_capacityRows)) {
  const size_t cells = static_cast<size_t>(m_capacityColumns) * static_cast<size_t>(m_capacityRows);
  m_chars.assign(cells, ' ');
  m_attributes.assign(cells, attribute);
  m_fonts.assign(cells, font);
}

size_t TextGrid::CellIndex(int32_t row, int32_t column) const {
  const int32_t physical = (m_firstRow + row) % m_rows;
  return static_cast<size_t>(physical) * static_cast<size_t>(m_capacityColumns) +
         static_cast<size_t>(column);
}

void TextGrid::FillRow(int32_t row) {
  const size_t start = CellIndex(row, 0);
  std::fill_n(m_chars.begin() + static_cast<std::ptrdiff_t>(start), m_capacityColumns, ' ');
  std::fill_n(m_attributes.begin() + static_cast<std::ptrdiff_t>(start), m_capacityColumns, attribute);
  std::fill_n(m_fonts.begin() + static_cast<std::ptrdiff_t>(start), m_capacityColumns, font);
}

void TextGrid::Resize(int32_t columns, int32_t rows) {
  columns = std::clamp(columns, 1, m_capacityColumns);
  rows = std::clamp(rows, 1, m_capacityRows);
  // Unroll the ring so that row 0 is stored first again, then take the new size.
  std::vector<char> chars(m_chars.size(), ' ');
  std::vector<uint8_t> attributes(m_attributes.size(), attribute);
  std::vector<uint8_t> fonts(m_fonts.size(), font);
  for (int32_t row = 0; row < std::min(rows, m_rows); ++row) {
    const size_t from = CellIndex(row, 0);
    const size_t to = static_cast<size_t>(row) * static_cast<size_t>(m_capacityColumns);
    std::copy_n(m_chars.begin() + static_cast<std::ptrdiff_t>(from), m_capacityColumns, chars.begin() + static_cast<std::ptrdiff_t>(to));
    std::copy_n(m_attributes.begin() + static_cast<std::ptrdiff_t>(from), m_capacityColumns, attributes.begin() + static_cast<std::ptrdiff_t>(to));
    std::copy_n(m_fonts.begin() + static_cast<std::ptrdiff_t>(from), m_capacityColumns, fonts.begin() + static_cast<std::ptrdiff_t>(to));
  }
  m_chars.swap(chars);
  m_attributes.swap(attributes);
  m_fonts.swap(fonts);
  m_firstRow = 0;
  m_columns = columns;
  m_rows = rows;
  Locate(m_row, m_column);
}

void TextGrid::Flush(TextSink& sink) {
  if (m_runLength == 0) return;
  const size_t start = CellIndex(m_row, m_runColumn);
  const std::string_view run(m_chars.data() + start, m_runLength);
  sink.DrawRun(m_row, m_runColumn, run, attribute, font);
  m_runLength = 0;
}

void TextGrid::LineEnd(TextSink& sink) {
  Flush(sink);
  m_column = 0;
  if (m_row + 1 < m_rows) {
    ++m_row;
    return;
  }
  // On the last row the ring turns: the old first row becomes the new, blank last row.
  m_firstRow = (m_firstRow + 1) % m_rows;
  FillRow(m_rows - 1);
  sink.ScrollUp();
}

void TextGrid::Write(std::string_view text, TextSink& sink) {
  for (const char c : text) {
    switch (c) {
      case kBeep:
        sink.Beep();
        break;
      case kBackspace:
        Flush(sink);
        if (m_column > 0) {
          --m_column;
          const size_t cell = CellIndex(m_row, m_column);
          m_chars[cell] = ' ';
          m_attributes[cell] = attribute;
          m_fonts[cell] = font;
          m_runColumn = m_column;
          m_runLength = 1;
          Flush(sink);
        }
        break;
      case kLineFeed:
        LineEnd(sink);
        break;
      case kCarriageReturn:
        break;
      default: {
        if (m_runLength == 0) m_runColumn = m_column;
        const size_t cell = CellIndex(m_row, m_column);
        m_chars[cell] = c;
        m_attributes[cell] = attribute;
        m_fonts[cell] = font;
        ++m_runLength;
        if (++m_column >= m_columns) LineEnd(sink);
        break;
      }
    }
  }
  Flush(sink);
}

void TextGrid::Clear() {
  std::fill(m_chars.begin(), m_chars.end(), ' ');
  std::fill(m_attributes.begin(), m_attributes.end(), attribute);
  std::fill(m_fonts.begin(), m_fonts.end(), font);
  m_firstRow = 0;
  m_row = 0;
  m_column = 0;
  m_runLength = 0;
}

void TextGrid::Locate(int32_t row, int32_t column) {
  m_row = std::clamp(row, 0, m_rows - 1);
  m_column = std::clamp(column, 0, m_columns - 1);
  m_runLength = 0;
}

char TextGrid::CharAt(int32_t row, int32_t column) const {
  if (row < 0 || row >= m_rows || column < 0 || column >= m_columns) return ' ';
  return m_chars[CellIndex(row, column)];
}

uint8_t TextGrid::AttributeAt(int32_t row, int32_t column) const {
  if (row < 0 || row >= m_rows || column < 0 || column >= m_columns) return attribute;
  return m_attributes[CellIndex(row, column)];
}

}  // namespace talven
