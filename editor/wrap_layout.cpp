#include "editor/wrap_layout.h"

#include <algorithm>

namespace talven::editor {

std::vector<int32_t> RowStarts(std::string_view shown, int32_t width) {
  width = std::max(width, 1);
  std::vector<int32_t> starts{0};
  const int32_t size = static_cast<int32_t>(shown.size());
  int32_t start = 0;
  while (size - start > width) {
    // The last blank inside the row ends it; the row keeps the blank.
    int32_t next = start + width;
    for (int32_t i = start + width - 1; i > start; --i) {
      if (shown[static_cast<size_t>(i)] == ' ') {
        next = i + 1;
        break;
      }
    }
    starts.push_back(next);
    start = next;
  }
  return starts;
}

void WrapLayout::Rebuild(const TextDocument& doc, int32_t width) {
  m_width = std::max(width, 1);
  m_rows.clear();
  m_firstRow.clear();
  const int32_t lines = doc.LineCount();
  m_firstRow.reserve(static_cast<size_t>(lines));
  for (int32_t line = 0; line < lines; ++line) {
    m_firstRow.push_back(static_cast<int32_t>(m_rows.size()));
    const std::string shown = doc.DisplayText(line);
    const std::vector<int32_t> starts = RowStarts(shown, m_width);
    for (size_t i = 0; i < starts.size(); ++i) {
      const int32_t end = i + 1 < starts.size() ? starts[i + 1] : static_cast<int32_t>(shown.size());
      m_rows.push_back({line, starts[i], end - starts[i]});
    }
  }
}

RowSpan WrapLayout::Row(int32_t row) const {
  if (m_rows.empty()) return {};
  const Entry& entry = m_rows[static_cast<size_t>(std::clamp(row, 0, RowCount() - 1))];
  return {entry.line, entry.start, entry.length};
}

int32_t WrapLayout::RowOf(LineColumn place) const {
  if (m_rows.empty()) return 0;
  const int32_t line = std::clamp(place.line - 1, 0, static_cast<int32_t>(m_firstRow.size()) - 1);
  const int32_t first = m_firstRow[static_cast<size_t>(line)];
  const int32_t end = line + 1 < static_cast<int32_t>(m_firstRow.size()) ? m_firstRow[static_cast<size_t>(line) + 1]
                                                                          : RowCount();
  const int32_t column = place.column - 1;
  int32_t row = first;
  while (row + 1 < end && m_rows[static_cast<size_t>(row) + 1].start <= column) ++row;
  return row;
}

LineColumn WrapLayout::PlaceAt(int32_t row, int32_t column) const {
  if (m_rows.empty()) return {};
  const int32_t index = std::clamp(row, 0, RowCount() - 1);
  const Entry& entry = m_rows[static_cast<size_t>(index)];
  const bool lastOfLine = index + 1 == RowCount() || m_rows[static_cast<size_t>(index) + 1].line != entry.line;
  // Inside a row that continues, the place stays before the next row's first column.
  const int32_t limit = lastOfLine ? entry.length : std::max(entry.length - 1, 0);
  return {entry.line + 1, entry.start + std::clamp(column, 0, limit) + 1};
}

}  // namespace talven::editor
