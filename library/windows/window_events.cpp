#include "library/windows/window_events.h"

#include <algorithm>

namespace talven {

namespace {

constexpr uint32_t kCaption = 0x00C00000;
constexpr uint32_t kClipChildren = 0x02000000;
constexpr uint32_t kPopup = 0x80000000;
constexpr uint32_t kStylePopupBit = 64;
constexpr int32_t kOkId = 1;
constexpr int32_t kCancelId = 2;
constexpr int32_t kClickNotification = 0;
constexpr int32_t kMenuIdAsItem255 = 32767;

}  // namespace

uint32_t MainWindowStyle(uint32_t styleBits) {
  uint32_t style = kCaption | kClipChildren | ((styleBits & 15u) << 16);
  if (styleBits & kStylePopupBit) style |= kPopup;
  return style;
}

void PushEvent(InputState& input, uint8_t code) {
  input.PushKey(code);
  input.key = code;
  input.lastPushedHelp = code == kKeyHelp;
}

CommandEffect RecordCommand(InputState& input, bool dialogMode, const CommandMessage& command) {
  if (dialogMode) {
    if (command.id == kOkId) {
      PushEvent(input, kKeyEnter);
      return CommandEffect::FocusNextControl;
    }
    if (command.id == kCancelId) {
      PushEvent(input, kKeyCancel);
      return CommandEffect::RemoveFocus;
    }
    if (command.control != 0 && command.notification == kKeyNotification) {
      PushEvent(input, kKeyNotification);
      return CommandEffect::None;
    }
    if (command.control != 0 && command.notification == kClickNotification) {
      input.focus = command.control;
      PushEvent(input, kKeyControlUsed);
      return CommandEffect::FocusControl;
    }
  }
  if (command.control == 0) {
    input.mouseX = input.mouseY = 0;
    input.leftButton = input.rightButton = false;
    input.menuItem = command.id == kMenuIdAsItem255 ? 255 : command.id;
  } else {
    input.menuItem = -command.id;
  }
  return CommandEffect::None;
}

std::optional<int32_t> SystemMessageAsCommand(uint32_t styleBits, uint32_t message,
                                              uintptr_t wParam) {
  const bool keysAndCommands = (styleBits & kStyleSystemAsMenu) != 0;
  const bool commands = keysAndCommands || (styleBits & kStyleSysCommandAsMenu) != 0;
  if ((message == kMessageSysKeyDown && keysAndCommands) ||
      (message == kMessageSysCommand && commands)) {
    return static_cast<int32_t>(wParam & 0xFFFF);
  }
  return std::nullopt;
}

int32_t ScrolledPosition(const ScrollBar& bar, int32_t request, int32_t thumb) {
  const int32_t low = std::min(bar.minimum, bar.maximum);
  const int32_t high = std::max(bar.minimum, bar.maximum);
  const int32_t page = std::max<int32_t>(1, (high - low) / 10);
  int64_t position = bar.position;
  switch (static_cast<ScrollRequest>(request)) {
    case ScrollRequest::LineBack: position -= 1; break;
    case ScrollRequest::LineForward: position += 1; break;
    case ScrollRequest::PageBack: position -= page; break;
    case ScrollRequest::PageForward: position += page; break;
    case ScrollRequest::ThumbPosition:
    case ScrollRequest::ThumbTrack: position = thumb; break;
    case ScrollRequest::ToStart: position = low; break;
    case ScrollRequest::ToEnd: position = high; break;
    default: break;
  }
  return static_cast<int32_t>(std::clamp<int64_t>(position, low, high));
}

CellOrigin VisibleCells(int32_t width, int32_t height, int32_t cellWidth, int32_t cellHeight) {
  CellOrigin visible;
  visible.column = cellWidth > 0 ? std::max(0, width) / cellWidth : 0;
  visible.row = cellHeight > 0 ? std::max(0, height) / cellHeight : 0;
  return visible;
}

CellOrigin ClampedOrigin(CellOrigin origin, CellOrigin visible, int32_t gridColumns,
                         int32_t gridRows) {
  origin.column = std::clamp(origin.column, 0, std::max(0, gridColumns - visible.column));
  origin.row = std::clamp(origin.row, 0, std::max(0, gridRows - visible.row));
  return origin;
}

void RecordKeyDown(InputState& input, int32_t virtualKey) {
  input.scanCode = virtualKey;
  if (virtualKey == kVirtualKeyF1 && input.waitingForInput) {
    input.helpPressed = true;
    input.helpPending = true;
  }
}

bool RecordChar(InputState& input, uint8_t code, bool breakChecking) {
  constexpr uint8_t kCtrlC = 3;
  if (code == kCtrlC && breakChecking) return true;
  PushEvent(input, code == 0 ? 1 : code);
  return false;
}

void BeginMessageStep(InputState& input) {
  if (!input.helpPending) return;
  input.helpPending = false;
  PushEvent(input, kKeyHelp);
}

}  // namespace talven
