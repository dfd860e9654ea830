#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/windows/text_grid.h"

namespace talven {
namespace {

struct RecordingSink : TextSink {
  std::vector<std::string> runs;
  int scrolls = 0;
  int beeps = 0;
  void DrawRun(int32_t row, int32_t column, std::string_view text, uint8_t, uint8_t) override {
    runs.push_back(std::to_string(row) + "," + std::to_string(column) + ":" + std::string(text));
  }
  void ScrollUp() override { ++scrolls; }
  void Beep() override { ++beeps; }
};

std::string Row(const TextGrid& grid, int32_t row, int32_t length) {
  std::string text;
  for (int32_t column = 0; column < length; ++column) text += grid.CharAt(row, column);
  return text;
}

TEST(TextGrid, StartsAt80By32WithinTheScreen) {
  TextGrid grid(128, 51);  // a 1024 x 768 screen
  EXPECT_EQ(grid.Columns(), 80);
  EXPECT_EQ(grid.Rows(), 32);
  TextGrid small(40, 10);
  EXPECT_EQ(small.Columns(), 40);
  EXPECT_EQ(small.Rows(), 10);
}

TEST(TextGrid, ControlCodes) {
  TextGrid grid(128, 51);
  RecordingSink sink;
  grid.Write("ab\x07" "c\rd\x08\x08X\ny", sink);
  EXPECT_EQ(Row(grid, 0, 4), "abX ");
  EXPECT_EQ(Row(grid, 1, 2), "y ");
  EXPECT_EQ(sink.beeps, 1);
  EXPECT_EQ(grid.CursorRow(), 1);
  EXPECT_EQ(grid.CursorColumn(), 1);
  // Backspace stops at column 0.
  grid.Write("\x08\x08\x08", sink);
  EXPECT_EQ(grid.CursorColumn(), 0);
}

TEST(TextGrid, FortyLinesScrollNineAway) {
  TextGrid grid(128, 51);
  RecordingSink sink;
  for (int line = 1; line <= 40; ++line) {
    grid.Write("Z" + std::to_string(line), sink);
    grid.LineEnd(sink);
  }
  EXPECT_EQ(sink.scrolls, 9);
  EXPECT_EQ(Row(grid, 0, 3), "Z10");
  EXPECT_EQ(Row(grid, 30, 3), "Z40");
  EXPECT_EQ(Row(grid, 31, 3), "   ");
}

TEST(TextGrid, WrapsAtTheLastColumn) {
  TextGrid grid(128, 51);
  grid.Resize(4, 2);
  RecordingSink sink;
  grid.Write("abcdefghij", sink);
  // "abcd" row 0, "efgh" row 1 then a scroll, "ij" on the new last row.
  EXPECT_EQ(sink.scrolls, 1);
  EXPECT_EQ(Row(grid, 0, 4), "efgh");
  EXPECT_EQ(Row(grid, 1, 4), "ij  ");
  EXPECT_EQ(sink.runs.front(), "0,0:abcd");
}

TEST(TextGrid, LocateClampsAndResizeKeepsContent) {
  TextGrid grid(128, 51);
  grid.Locate(99, 99);
  EXPECT_EQ(grid.CursorRow(), 31);
  EXPECT_EQ(grid.CursorColumn(), 79);
  RecordingSink sink;
  grid.Locate(0, 0);
  for (int line = 0; line < 40; ++line) {
    grid.Write("L", sink);
    grid.LineEnd(sink);
  }
  grid.Locate(0, 0);
  grid.Write("top", sink);
  grid.Resize(80, 40);
  EXPECT_EQ(Row(grid, 0, 3), "top");
  EXPECT_EQ(grid.Rows(), 40);
  grid.Resize(1000, 1000);
  EXPECT_EQ(grid.Columns(), 128);
  EXPECT_EQ(grid.Rows(), 51);
}

TEST(TextGrid, ClearUsesTheCurrentAttribute) {
  TextGrid grid(128, 51);
  RecordingSink sink;
  grid.Write("abc", sink);
  grid.attribute = 0x1E;
  grid.Clear();
  EXPECT_EQ(grid.CharAt(0, 0), ' ');
  EXPECT_EQ(grid.AttributeAt(5, 5), 0x1E);
  EXPECT_EQ(grid.CursorColumn(), 0);
}

}  // namespace
}  // namespace talven
