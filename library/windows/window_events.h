#pragma once
// The rules by which the window turns what Windows reports into input state: commands in
// normal and dialog mode, system commands as menu items, scroll-bar steps, the visible cells
// and the scroll origin, F1 during WAITINPUT. Portable, so that the rules are tested without
// a window; win32/ feeds them the messages.

#include <cstdint>
#include <optional>

#include "library/windows/input_state.h"

namespace talven {

// Message numbers the rules need (the platform's own numbers, kept here as plain values).
inline constexpr uint32_t kMessageSize = 0x0005;
inline constexpr uint32_t kMessageHScroll = 0x0114;
inline constexpr uint32_t kMessageVScroll = 0x0115;
inline constexpr uint32_t kMessageKeyDown = 0x0100;
inline constexpr uint32_t kMessageChar = 0x0102;
inline constexpr uint32_t kMessageSysKeyDown = 0x0104;
inline constexpr uint32_t kMessageCommand = 0x0111;
inline constexpr uint32_t kMessageSysCommand = 0x0112;
inline constexpr uint32_t kMessageSetText = 0x000C;
inline constexpr uint32_t kMessageGetText = 0x000D;
inline constexpr uint32_t kMessageGetTextLength = 0x000E;
inline constexpr int32_t kVirtualKeyF1 = 0x70;

inline constexpr uint32_t kStyleSystemAsMenu = 128;
inline constexpr uint32_t kStyleSysCommandAsMenu = 256;

// The style word of the main window for the style bits of WINDOWSTYLE: the low four bits
// become the system menu, sizing frame, minimise and maximise boxes; a caption always, the
// children clipped, a pop-up window with bit 64.
uint32_t MainWindowStyle(uint32_t styleBits);

// What the window must do after a command was recorded.
enum class CommandEffect { None, FocusNextControl, RemoveFocus, FocusControl };

struct CommandMessage {
  int32_t id = 0;            // low word of wParam
  int32_t notification = 0;  // high word of wParam
  intptr_t control = 0;      // lParam: the control that sent it, 0 for a menu
};

// WM_COMMAND: menu item, control notification, and in dialog mode the keys of dialog
// navigation (1 Enter/OK → 13, 2 Cancel → 2, notification 1 → 1, a click → 255).
CommandEffect RecordCommand(InputState& input, bool dialogMode, const CommandMessage& command);

// WM_SYSKEYDOWN and WM_SYSCOMMAND turned into menu commands by style bits 128 and 256: the
// command's identifier (the low word of wParam), or nothing when the message stays as it is.
std::optional<int32_t> SystemMessageAsCommand(uint32_t styleBits, uint32_t message,
                                              uintptr_t wParam);

// A scroll bar's request, numbered as the platform numbers them.
enum class ScrollRequest : int32_t {
  LineBack = 0,
  LineForward = 1,
  PageBack = 2,
  PageForward = 3,
  ThumbPosition = 4,
  ThumbTrack = 5,
  ToStart = 6,
  ToEnd = 7,
  EndScroll = 8,
};

struct ScrollBar {
  int32_t minimum = 0;
  int32_t maximum = 100;
  int32_t position = 0;
};

// Where a scroll bar moves by itself: lines by 1, pages by a tenth of the range (at least 1),
// the thumb to its position, always within the range.
int32_t ScrolledPosition(const ScrollBar& bar, int32_t request, int32_t thumb);

struct CellOrigin {
  int32_t column = 0;
  int32_t row = 0;
};

// The whole cells a client area of `width` x `height` pixels shows.
CellOrigin VisibleCells(int32_t width, int32_t height, int32_t cellWidth, int32_t cellHeight);
// The scroll origin kept so that the visible cells stay on the grid (never below 0).
CellOrigin ClampedOrigin(CellOrigin origin, CellOrigin visible, int32_t gridColumns,
                         int32_t gridRows);

// A key code the window reports for an event: into the key ring and the last key character.
void PushEvent(InputState& input, uint8_t code);
// WM_KEYDOWN: the scan code; F1 while WAITINPUT waits is noted for the message step.
void RecordKeyDown(InputState& input, int32_t virtualKey);
// WM_CHAR: Ctrl+C (3) while break checking is on asks for the end of the program (true);
// otherwise the character is pushed (0 as 1) and becomes the last key character.
bool RecordChar(InputState& input, uint8_t code, bool breakChecking);
// The first step of each message processing: F1 noted since the last step pushes key 5.
void BeginMessageStep(InputState& input);

}  // namespace talven
