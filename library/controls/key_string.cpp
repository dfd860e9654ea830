#include "library/controls/key_string.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace talven {

namespace {

struct KeyName {
  std::string_view name;
  uint8_t code;
};

constexpr KeyName kKeyNames[] = {
    {"BS", 8},        {"BACKSPACE", 8}, {"BKSP", 8},     {"BREAK", 19},      {"CAPSLOCK", 20},
    {"CLEAR", 12},    {"DEL", 46},      {"DELETE", 46},  {"DOWN", 40},       {"END", 35},
    {"ENTER", 13},    {"ESC", 27},      {"ESCAPE", 27},  {"HELP", 47},       {"HOME", 36},
    {"INSERT", 45},   {"LEFT", 37},     {"NUMLOCK", 144}, {"PGDN", 34},      {"PGUP", 33},
    {"PRTSC", 44},    {"RIGHT", 39},    {"SCROLLLOCK", 145}, {"TAB", 9},     {"UP", 38},
};  // F1 to F24 (112 to 135) follow by rule

constexpr uint8_t kKeyBreak = 19;
constexpr uint8_t kKeyF1 = 112;

struct Modifiers {
  bool shift = false;
  bool control = false;
  bool alt = false;
  bool Any() const { return shift || control || alt; }
};

// One key sent `count` times with its modifiers: Alt, Shift, Ctrl pressed as far as set,
// the key down and up, the modifiers released.
void SendKey(std::vector<KeyPress>& out, uint8_t key, Modifiers modifiers, int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    if (modifiers.alt) out.push_back({kKeyAlt, true});
    if (modifiers.shift) out.push_back({kKeyShift, true});
    if (modifiers.control) out.push_back({kKeyControl, true});
    out.push_back({key, true});
    out.push_back({key, false});
    if (modifiers.control) out.push_back({kKeyControl, false});
    if (modifiers.shift) out.push_back({kKeyShift, false});
    if (modifiers.alt) out.push_back({kKeyAlt, false});
  }
}

// A character through the layout: its key, with the modifiers its shift state adds.
// Mended: a character the layout cannot type is skipped (it would be sent as key 255 with
// every modifier held).
void SendCharacter(std::vector<KeyPress>& out, unsigned char c, Modifiers modifiers,
                   int32_t count, const KeyLayout& layout) {
  const int16_t scan = layout ? layout(c) : static_cast<int16_t>(-1);
  if (scan == -1) return;
  const uint8_t key = static_cast<uint8_t>(scan & 0xFF);
  const int state = (scan >> 8) & 0xFF;
  if (state == 1 || state == 3 || state == 4 || state == 5 || state == 7) modifiers.shift = true;
  if (state == 6 || state == 7) {
    modifiers.control = true;
    modifiers.alt = true;
  }
  SendKey(out, key, modifiers, count);
}

}  // namespace

uint8_t KeyNameCode(std::string_view name) {
  std::string upper(name);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (const KeyName& entry : kKeyNames) {
    if (entry.name == upper) return entry.code;
  }
  if (upper.size() >= 2 && upper.size() <= 3 && upper[0] == 'F' &&
      std::all_of(upper.begin() + 1, upper.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    const int number = std::stoi(upper.substr(1));
    if (number >= 1 && number <= 24 && upper[1] != '0') {
      return static_cast<uint8_t>(kKeyF1 + number - 1);
    }
  }
  return 0;
}

std::vector<KeyPress> KeyStrokes(std::string_view text, const KeyLayout& layout) {
  std::vector<KeyPress> out;
  Modifiers modifiers;
  bool group = false;
  // After each key sent outside a group the modifiers are cleared; a key right after ")"
  // still carries the group's modifiers.
  auto sent = [&] {
    if (!group) modifiers = Modifiers{};
  };
  size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '{') {
      size_t end = text.find('}', i + 1);
      if (end == std::string_view::npos) end = text.size();
      const std::string_view inner = text.substr(i + 1, end - i - 1);
      i = end + 1;
      const size_t blank = inner.find(' ');
      const std::string_view name = inner.substr(0, blank);
      int64_t count = 1;
      if (blank != std::string_view::npos) {
        count = 0;
        for (const char d : inner.substr(blank + 1)) {
          if (d < '0' || d > '9') break;
          count = std::min<int64_t>(count * 10 + (d - '0'), kMaxKeyRepeat);
        }
      }
      if (name.empty()) continue;
      const uint8_t code = KeyNameCode(name);
      if (code != 0) {
        SendKey(out, code, modifiers, static_cast<int32_t>(count));
      } else {
        SendCharacter(out, static_cast<unsigned char>(name[0]), modifiers,
                      static_cast<int32_t>(count), layout);
      }
      sent();
      continue;
    }
    ++i;
    switch (c) {
      case '+': modifiers.shift = true; continue;
      case '^': modifiers.control = true; continue;
      case '%': modifiers.alt = true; continue;
      case '~':
        SendKey(out, kKeyBreak, modifiers, 1);
        sent();
        continue;
      default: break;
    }
    if (c == '(' && modifiers.Any() && !group) {
      group = true;
      continue;
    }
    if (c == ')' && group) {
      group = false;
      continue;
    }
    SendCharacter(out, static_cast<unsigned char>(c), modifiers, 1, layout);
    sent();
  }
  return out;
}

}  // namespace talven
