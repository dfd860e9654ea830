#pragma once
// Crash recovery. While a window holds changes nobody saved, a copy of its text is written
// once the text has been left alone for a while (NAME.~tv); TALVED32.INI lists the copies
// in [Wiederherstellen] so that the next start can offer them after a crash. Saving or
// closing the window removes the copy and its entry.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "editor/editor_rules.h"

namespace talven::editor {

inline constexpr char kRecoverySection[] = "Wiederherstellen";
inline constexpr int32_t kDefaultRecoverySeconds = 60;
// Paths in an entry: two of them and the process number.
inline constexpr size_t kRecoveryValueLimit = 1100;

// [Optionen] Sicherung: the idle seconds before the copy is written (1…3600, else 60).
int32_t ReadRecoverySeconds(ProfileStore& ini);

// The copy's name: the extension replaced by "~tv" ("C:\a.tvs" -> "C:\a.~tv"), the whole
// name + ".~tv" when `taken` says another window already uses the short one. An untitled
// window's copy goes to `tempDir` (with its trailing backslash) as "OhneName<slot>.~tv".
std::string RecoveryFileName(const std::string& fileName, int32_t slot, const std::string& tempDir,
                             const std::function<bool(const std::string&)>& taken);

struct RecoveryEntry {
  int32_t slot = 0;       // its key in [Wiederherstellen], 1…kMaxWindows
  uint32_t process = 0;   // the editor that wrote it (a running one keeps its entries)
  std::string copy;       // the copy's file
  std::string original;   // the window's file (OhneName for an untitled one)
};

// An entry's value: "process|copy|original" ("|" stands in no file name).
std::string RecoveryValue(const RecoveryEntry& entry);
std::optional<RecoveryEntry> ParseRecoveryValue(int32_t slot, std::string_view value);

// Every well-formed entry, in slot order.
std::vector<RecoveryEntry> ReadRecoveryEntries(ProfileStore& ini);
// The first slot neither listed in the INI nor in `reserved`; 0 when all are used.
int32_t FreeRecoverySlot(ProfileStore& ini, const std::vector<int32_t>& reserved);
void WriteRecoveryEntry(ProfileStore& ini, const RecoveryEntry& entry);
void RemoveRecoveryEntry(ProfileStore& ini, int32_t slot);

// The question at start: what a crash left, at most ten names shown.
std::string RecoveryQuestion(const std::vector<RecoveryEntry>& entries);

}  // namespace talven::editor
