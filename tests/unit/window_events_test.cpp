#include <gtest/gtest.h>

#include "library/windows/window_events.h"

namespace talven {
namespace {

// Scroll bars move by themselves: lines by 1, pages by a tenth of the range (at least 1),
// the thumb to its position, never out of the range.
TEST(ScrollBar, StepsStayWithinTheRange) {
  const ScrollBar bar{0, 100, 50};
  EXPECT_EQ(ScrolledPosition(bar, 0, 0), 49);
  EXPECT_EQ(ScrolledPosition(bar, 1, 0), 51);
  EXPECT_EQ(ScrolledPosition(bar, 2, 0), 40);
  EXPECT_EQ(ScrolledPosition(bar, 3, 0), 60);
  EXPECT_EQ(ScrolledPosition(bar, 4, 77), 77);
  EXPECT_EQ(ScrolledPosition(bar, 5, 12), 12);
  EXPECT_EQ(ScrolledPosition(bar, 6, 0), 0);
  EXPECT_EQ(ScrolledPosition(bar, 7, 0), 100);
  EXPECT_EQ(ScrolledPosition(bar, 8, 99), 50);  // the end of a scroll moves nothing

  EXPECT_EQ(ScrolledPosition(ScrollBar{0, 100, 0}, 0, 0), 0);
  EXPECT_EQ(ScrolledPosition(ScrollBar{0, 100, 100}, 1, 0), 100);
  EXPECT_EQ(ScrolledPosition(ScrollBar{0, 100, 95}, 3, 0), 100);
  EXPECT_EQ(ScrolledPosition(ScrollBar{0, 100, 3}, 2, 0), 0);
  EXPECT_EQ(ScrolledPosition(bar, 4, 500), 100);
  EXPECT_EQ(ScrolledPosition(bar, 4, -3), 0);
}

TEST(ScrollBar, PagesAreATenthOfTheRangeAndAtLeastOne) {
  EXPECT_EQ(ScrolledPosition(ScrollBar{0, 5, 2}, 3, 0), 3);
  EXPECT_EQ(ScrolledPosition(ScrollBar{0, 0, 0}, 3, 0), 0);
  EXPECT_EQ(ScrolledPosition(ScrollBar{-50, 50, 0}, 3, 0), 10);
  EXPECT_EQ(ScrolledPosition(ScrollBar{10, 39, 20}, 2, 0), 18);
  // A range written upside down is still a range.
  EXPECT_EQ(ScrolledPosition(ScrollBar{100, 0, 50}, 3, 0), 60);
  EXPECT_EQ(ScrolledPosition(ScrollBar{100, 0, 50}, 4, 200), 100);
}

TEST(ScrollOrigin, VisibleCellsAreWholeCells) {
  const CellOrigin cells = VisibleCells(632, 453, 8, 15);
  EXPECT_EQ(cells.column, 79);
  EXPECT_EQ(cells.row, 30);
  EXPECT_EQ(VisibleCells(0, 0, 8, 15).column, 0);
  EXPECT_EQ(VisibleCells(-10, 40, 8, 15).column, 0);
  EXPECT_EQ(VisibleCells(100, 100, 0, 0).row, 0);
}

TEST(ScrollOrigin, IsClampedSoThatTheVisibleCellsStayOnTheGrid) {
  const CellOrigin visible{40, 20};
  CellOrigin origin = ClampedOrigin(CellOrigin{60, 25}, visible, 80, 32);
  EXPECT_EQ(origin.column, 40);
  EXPECT_EQ(origin.row, 12);
  origin = ClampedOrigin(CellOrigin{-3, -1}, visible, 80, 32);
  EXPECT_EQ(origin.column, 0);
  EXPECT_EQ(origin.row, 0);
  origin = ClampedOrigin(CellOrigin{10, 5}, visible, 80, 32);
  EXPECT_EQ(origin.column, 10);
  EXPECT_EQ(origin.row, 5);
  // A client area larger than the grid shows it from its first cell.
  origin = ClampedOrigin(CellOrigin{10, 5}, CellOrigin{100, 50}, 80, 32);
  EXPECT_EQ(origin.column, 0);
  EXPECT_EQ(origin.row, 0);
}

TEST(Commands, NormalModeRecordsMenuItemsAndControls) {
  InputState input;
  input.mouseX = 5;
  input.leftButton = true;
  EXPECT_EQ(RecordCommand(input, false, CommandMessage{7, 0, 0}), CommandEffect::None);
  EXPECT_EQ(input.menuItem, 7);
  EXPECT_EQ(input.mouseX, 0);
  EXPECT_FALSE(input.leftButton);
  RecordCommand(input, false, CommandMessage{32767, 0, 0});
  EXPECT_EQ(input.menuItem, 255);
  RecordCommand(input, false, CommandMessage{1, 0, 0x1234});
  EXPECT_EQ(input.menuItem, -1);
  EXPECT_EQ(input.ringCount, 0);
}

TEST(Commands, DialogModeTurnsOkCancelAndControlsIntoKeys) {
  InputState input;
  EXPECT_EQ(RecordCommand(input, true, CommandMessage{1, 0, 0}), CommandEffect::FocusNextControl);
  EXPECT_EQ(input.key, 13);
  EXPECT_EQ(RecordCommand(input, true, CommandMessage{2, 0, 0x40}), CommandEffect::RemoveFocus);
  EXPECT_EQ(input.key, 2);
  EXPECT_EQ(RecordCommand(input, true, CommandMessage{300, 1, 0x50}), CommandEffect::None);
  EXPECT_EQ(input.key, 1);
  EXPECT_EQ(RecordCommand(input, true, CommandMessage{301, 0, 0x60}), CommandEffect::FocusControl);
  EXPECT_EQ(input.key, 255);
  EXPECT_EQ(input.focus, 0x60);
  uint8_t code = 0;
  for (uint8_t expected : {13, 2, 1, 255}) {
    ASSERT_TRUE(input.TakeKey(code));
    EXPECT_EQ(code, expected);
  }
  EXPECT_EQ(input.menuItem, 0);
  // Other commands are menu items as in normal mode.
  RecordCommand(input, true, CommandMessage{44, 0, 0});
  EXPECT_EQ(input.menuItem, 44);
  RecordCommand(input, true, CommandMessage{45, 0x300, 0x70});
  EXPECT_EQ(input.menuItem, -45);
}

TEST(Commands, SystemMessagesBecomeCommandsByStyleBits) {
  EXPECT_FALSE(SystemMessageAsCommand(15, kMessageSysCommand, 0xF060));
  EXPECT_FALSE(SystemMessageAsCommand(15, kMessageSysKeyDown, 0x41));
  EXPECT_EQ(SystemMessageAsCommand(128 + 15, kMessageSysKeyDown, 0x41), 0x41);
  EXPECT_EQ(SystemMessageAsCommand(128, kMessageSysCommand, 0x1F060), 0xF060);
  EXPECT_EQ(SystemMessageAsCommand(256, kMessageSysCommand, 0xF020), 0xF020);
  EXPECT_FALSE(SystemMessageAsCommand(256, kMessageSysKeyDown, 0x41));
  EXPECT_FALSE(SystemMessageAsCommand(128 + 256, kMessageChar, 0x41));
}

TEST(Keys, F1DuringWaitInputPushesKeyFiveAtTheNextStep) {
  InputState input;
  RecordKeyDown(input, kVirtualKeyF1);
  BeginMessageStep(input);
  EXPECT_EQ(input.ringCount, 0);  // not waiting: F1 is an ordinary key
  EXPECT_EQ(input.scanCode, kVirtualKeyF1);

  input.waitingForInput = true;
  RecordKeyDown(input, kVirtualKeyF1);
  EXPECT_TRUE(input.helpPressed);
  EXPECT_EQ(input.ringCount, 0);
  BeginMessageStep(input);
  EXPECT_EQ(input.ringCount, 1);
  EXPECT_EQ(input.key, 5);
  EXPECT_TRUE(input.lastPushedHelp);
  BeginMessageStep(input);
  EXPECT_EQ(input.ringCount, 1);  // once per press
  EXPECT_FALSE(RecordChar(input, 'a', true));
  EXPECT_FALSE(input.lastPushedHelp);
}

TEST(Keys, CtrlCEndsTheProgramOnlyWhileBreakCheckingIsOn) {
  InputState input;
  EXPECT_TRUE(RecordChar(input, 3, true));
  EXPECT_EQ(input.ringCount, 0);
  EXPECT_FALSE(RecordChar(input, 3, false));
  EXPECT_EQ(input.key, 3);
  EXPECT_FALSE(RecordChar(input, 0, true));
  EXPECT_EQ(input.key, 1);  // character 0 is pushed as 1
  EXPECT_EQ(input.ringCount, 2);
}

TEST(Style, LowBitsBecomeFrameBitsAndBit64APopup) {
  EXPECT_EQ(MainWindowStyle(15), 0x02CF0000u);
  EXPECT_EQ(MainWindowStyle(0), 0x02C00000u);
  EXPECT_EQ(MainWindowStyle(64 + 512 + 1), 0x82C10000u);
}

}  // namespace
}  // namespace talven
