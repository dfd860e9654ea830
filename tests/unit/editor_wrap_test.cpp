#include <gtest/gtest.h>

#include "editor/wrap_layout.h"

namespace talven::editor {
namespace {

TEST(EditorWrap, RowsBreakAfterTheLastBlankThatFits) {
  using Starts = std::vector<int32_t>;
  EXPECT_EQ(RowStarts("", 10), Starts{0});
  EXPECT_EQ(RowStarts("abcdefghij", 10), Starts{0});  // exactly the width: one row
  EXPECT_EQ(RowStarts("PRINT a; b; c", 10), (Starts{0, 9}));  // "PRINT a; " | "b; c"
  // A word longer than the row is cut at the column.
  EXPECT_EQ(RowStarts("abcdefghijklmnopqrstuvwxy", 10), (Starts{0, 10, 20}));
  // A blank in the first column of a row does not end an empty row.
  EXPECT_EQ(RowStarts(" bcdefghijkl", 5), (Starts{0, 5, 10}));
  // Below 1 counts as 1.
  EXPECT_EQ(RowStarts("abc", 0), (Starts{0, 1, 2}));
}

TEST(EditorWrap, LayoutMapsPlacesToRowsAndBack) {
  TextDocument doc;
  doc.Load("kurz\r\nPRINT a; b; c\r\n\r\nx\ty");
  WrapLayout layout;
  layout.Rebuild(doc, 10);
  // kurz | PRINT a; | b; c | (empty) | x<7 blanks>y as one row of 9 columns.
  ASSERT_EQ(layout.RowCount(), 5);
  EXPECT_EQ(layout.Row(2).line, 1);
  EXPECT_EQ(layout.Row(2).start, 9);
  EXPECT_EQ(layout.Row(2).length, 4);
  EXPECT_EQ(layout.Row(4).length, 9);

  EXPECT_EQ(layout.RowOf({1, 5}), 0);   // end of the first line
  EXPECT_EQ(layout.RowOf({2, 9}), 1);   // the blank before the break
  EXPECT_EQ(layout.RowOf({2, 10}), 2);  // the break begins the next row
  EXPECT_EQ(layout.RowOf({2, 14}), 2);  // end of the line
  EXPECT_EQ(layout.RowOf({3, 1}), 3);
  EXPECT_EQ(layout.RowOf({99, 1}), 4);  // clamped to the last line

  EXPECT_EQ(layout.PlaceAt(2, 0), (LineColumn{2, 10}));
  EXPECT_EQ(layout.PlaceAt(2, 50), (LineColumn{2, 14}));  // past a line's end: its end
  // Past the end of a row that continues: its last column, still in that row.
  EXPECT_EQ(layout.PlaceAt(1, 50), (LineColumn{2, 9}));
  EXPECT_EQ(layout.RowOf(layout.PlaceAt(1, 50)), 1);
  EXPECT_EQ(layout.PlaceAt(-3, 0), (LineColumn{1, 1}));
  EXPECT_EQ(layout.PlaceAt(40, 0), (LineColumn{4, 1}));

  // Every place of the text maps to a row that shows it.
  for (int32_t line = 1; line <= doc.LineCount(); ++line) {
    const int32_t length = static_cast<int32_t>(doc.DisplayText(line - 1).size());
    for (int32_t column = 1; column <= length + 1; ++column) {
      const RowSpan row = layout.Row(layout.RowOf({line, column}));
      EXPECT_EQ(row.line, line - 1);
      EXPECT_GE(column - 1, row.start);
      EXPECT_LE(column - 1, row.start + row.length);
    }
  }
}

TEST(EditorWrap, NarrowerColumnGivesMoreRows) {
  TextDocument doc;
  doc.Load(std::string(100, 'a') + "\r\n" + std::string(5, 'b'));
  WrapLayout layout;
  layout.Rebuild(doc, 30);
  EXPECT_EQ(layout.RowCount(), 5);
  layout.Rebuild(doc, 100);
  EXPECT_EQ(layout.RowCount(), 2);
}

}  // namespace
}  // namespace talven::editor
