#pragma once
// The shared string list: one ordered list of up to 32768 strings (each up to 255
// characters) that lives for the whole run. The ready-made dialogs, the list-filling
// statements, the memo and SQL exports read and write it; %GETCOUNT reads its last index.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/family.h"

namespace talven {

class Engine;

class SharedList {
 public:
  static constexpr size_t kCapacity = 32768;
  static constexpr size_t kEntryLength = 255;

  void Clear() { entries_.clear(); }
  // Appends `text` (cut to 255 characters); false when the list is full.
  bool Add(std::string_view text);
  // Replaces entry `index`; false when there is no such entry.
  bool Replace(int32_t index, std::string_view text);
  // Entry `index`, or nullptr when there is no such entry.
  const std::string* At(int32_t index) const;
  // The number of entries minus 1: -1 when empty.
  int32_t LastIndex() const { return static_cast<int32_t>(entries_.size()) - 1; }
  size_t Size() const { return entries_.size(); }
  const std::vector<std::string>& Entries() const { return entries_; }

 private:
  std::vector<std::string> entries_;
};

// The run state of the family "controls".
struct ControlsState : FamilyState {
  SharedList list;
  // The identifier the next control takes: 1000 at the start, only growing.
  int32_t nextId = 1000;
  bool dialogFont = false;  // SETDIALOGFONT
  int32_t button = 0;       // %BUTTON
  std::string chosenText;   // $GETTEXT
  std::string inputText;    // $GETINPUT
  int32_t chosenIndex = 0;  // %GETCURSEL
};

ControlsState& ControlsOf(Engine& engine);
SharedList& SharedListOf(Engine& engine);

}  // namespace talven
