#include "editor/recovery.h"

#include <cctype>

namespace talven::editor {

int32_t ReadRecoverySeconds(ProfileStore& ini) {
  int32_t seconds = 0;
  const std::string text = ini.Read("Optionen", "Sicherung", "", kShortSetting);
  if (!ParseNumber(text, seconds) || seconds < 1 || seconds > 3600) return kDefaultRecoverySeconds;
  return seconds;
}

std::string RecoveryFileName(const std::string& fileName, int32_t slot, const std::string& tempDir,
                             const std::function<bool(const std::string&)>& taken) {
  if (fileName == kUntitled) return tempDir + kUntitled + std::to_string(slot) + ".~tv";
  const size_t name = fileName.find_last_of("\\/:");
  const size_t dot = fileName.rfind('.');
  const bool hasExtension = dot != std::string::npos && (name == std::string::npos || dot > name);
  const std::string shortName = (hasExtension ? fileName.substr(0, dot) : fileName) + ".~tv";
  // A window showing a file called NAME.~tv must not get itself as its copy.
  bool itself = shortName.size() == fileName.size();
  for (size_t i = 0; itself && i < fileName.size(); ++i) {
    itself = std::tolower(static_cast<unsigned char>(shortName[i])) == std::tolower(static_cast<unsigned char>(fileName[i]));
  }
  if (!itself && (!taken || !taken(shortName))) return shortName;
  return fileName + ".~tv";
}

std::string RecoveryValue(const RecoveryEntry& entry) {
  return std::to_string(entry.process) + "|" + entry.copy + "|" + entry.original;
}

std::optional<RecoveryEntry> ParseRecoveryValue(int32_t slot, std::string_view value) {
  const size_t first = value.find('|');
  if (first == std::string_view::npos) return std::nullopt;
  const size_t second = value.find('|', first + 1);
  if (second == std::string_view::npos || value.find('|', second + 1) != std::string_view::npos) {
    return std::nullopt;
  }
  RecoveryEntry entry;
  entry.slot = slot;
  const std::string_view process = value.substr(0, first);
  if (process.empty() || process.size() > 10) return std::nullopt;
  uint64_t number = 0;
  for (char c : process) {
    if (c < '0' || c > '9') return std::nullopt;
    number = number * 10 + static_cast<uint64_t>(c - '0');
  }
  if (number > UINT32_MAX) return std::nullopt;
  entry.process = static_cast<uint32_t>(number);
  entry.copy = std::string(value.substr(first + 1, second - first - 1));
  entry.original = std::string(value.substr(second + 1));
  if (entry.copy.empty() || entry.original.empty()) return std::nullopt;
  // Only our own copies are ever offered or deleted.
  if (entry.copy.size() < 4 || entry.copy.compare(entry.copy.size() - 4, 4, ".~tv") != 0) return std::nullopt;
  return entry;
}

std::vector<RecoveryEntry> ReadRecoveryEntries(ProfileStore& ini) {
  std::vector<RecoveryEntry> entries;
  for (int32_t slot = 1; slot <= kMaxWindows; ++slot) {
    const std::string value = ini.Read(kRecoverySection, std::to_string(slot), "", kRecoveryValueLimit);
    if (value.empty()) continue;
    if (auto entry = ParseRecoveryValue(slot, value)) entries.push_back(*entry);
  }
  return entries;
}

int32_t FreeRecoverySlot(ProfileStore& ini, const std::vector<int32_t>& reserved) {
  for (int32_t slot = 1; slot <= kMaxWindows; ++slot) {
    bool used = false;
    for (int32_t r : reserved) used = used || r == slot;
    if (used) continue;
    if (ini.Read(kRecoverySection, std::to_string(slot), "", kRecoveryValueLimit).empty()) return slot;
  }
  return 0;
}

void WriteRecoveryEntry(ProfileStore& ini, const RecoveryEntry& entry) {
  ini.Write(kRecoverySection, std::to_string(entry.slot), RecoveryValue(entry));
}

void RemoveRecoveryEntry(ProfileStore& ini, int32_t slot) {
  ini.Remove(kRecoverySection, std::to_string(slot));
}

std::string RecoveryQuestion(const std::vector<RecoveryEntry>& entries) {
  std::string text =
      "Der Editor wurde nicht ordnungsgem\xE4\xDF beendet. Ungesicherte \xC4nderungen "
      "wiederherstellen?\n";
  size_t shown = 0;
  for (const RecoveryEntry& entry : entries) {
    if (shown == 10) {
      text += "\n...";
      break;
    }
    text += "\n" + entry.original;
    ++shown;
  }
  return text;
}

}  // namespace talven::editor
