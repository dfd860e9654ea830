#pragma once
// Key strings of SENDSTRING and SENDKEY turned into key presses: key names in braces with
// a repeat count, the modifiers "+" "^" "%", groups in brackets, "~" and the characters the
// keyboard layout types. Portable: the layout is asked through a function, the presses are
// handed to the platform as a list.

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace talven {

struct KeyPress {
  uint8_t key = 0;  // virtual-key code
  bool down = true;
};

// The key that types a character and its shift state (VkKeyScan: key in the low byte,
// state in the high byte), or -1 when the layout has no key for it.
using KeyLayout = std::function<int16_t(unsigned char)>;

inline constexpr uint8_t kKeyShift = 16;
inline constexpr uint8_t kKeyControl = 17;
inline constexpr uint8_t kKeyAlt = 18;
// The most presses one named key is repeated ("{TAB 3}"); a larger count is taken as this.
inline constexpr int32_t kMaxKeyRepeat = 255;

// The key code of a key name ("TAB", "f12", case ignored); 0 when the table has no such name.
uint8_t KeyNameCode(std::string_view name);

// The presses and releases that type `text`. Every key pressed is released again, also
// when the text ends after a modifier or inside an open group.
std::vector<KeyPress> KeyStrokes(std::string_view text, const KeyLayout& layout);

}  // namespace talven
