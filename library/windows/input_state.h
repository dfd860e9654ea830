#pragma once
// The input state of the main window: filled by the window procedure, read by the wait
// statements, INPUT and the system variables.

#include <array>
#include <cstdint>

namespace talven {

// Key codes the window pushes for events that are not keys.
inline constexpr uint8_t kKeyControlUsed = 255;
inline constexpr uint8_t kKeyEnter = 13;
inline constexpr uint8_t kKeyCancel = 2;
inline constexpr uint8_t kKeyNotification = 1;
inline constexpr uint8_t kKeyResized = 4;
inline constexpr uint8_t kKeyHelp = 5;

struct InputState {
  // The key ring: 64 codes waiting for INPUT; a full ring drops what arrives.
  static constexpr int32_t kRingSize = 64;
  std::array<uint8_t, kRingSize> ring{};
  int32_t ringStart = 0;
  int32_t ringCount = 0;

  int32_t key = 0;       // last key character
  int32_t scanCode = 0;  // last virtual-key code
  int32_t mouseX = 0;
  int32_t mouseY = 0;
  bool leftButton = false;
  bool rightButton = false;
  bool leftClick = false;
  bool rightClick = false;
  int32_t menuItem = 0;
  intptr_t focus = 0;
  bool paintRequested = false;
  bool timerTicked = false;
  bool inputSeen = false;
  bool helpPressed = false;      // F1 during WAITINPUT
  bool helpPending = false;      // F1 noted, key 5 not pushed yet
  bool lastPushedHelp = false;   // the last key pushed was 5 (F1): %GETFOCUS is negated
  bool waitingForInput = false;

  intptr_t lastWindow = 0;
  uint32_t lastMessage = 0;
  uintptr_t lastWParam = 0;
  intptr_t lastLParam = 0;
  uint32_t endingMessage = 0;  // %LASTMESSAGE

  void PushKey(uint8_t code) {
    if (ringCount >= kRingSize) return;
    ring[static_cast<size_t>((ringStart + ringCount) % kRingSize)] = code;
    ++ringCount;
  }
  bool TakeKey(uint8_t& code) {
    if (ringCount == 0) return false;
    code = ring[static_cast<size_t>(ringStart)];
    ringStart = (ringStart + 1) % kRingSize;
    --ringCount;
    return true;
  }
  void ClearRing() {
    ringStart = 0;
    ringCount = 0;
  }
};

}  // namespace talven
