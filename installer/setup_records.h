#pragma once
// The setup's small text formats: log records, the clean-up list MEDRA.LST, the rename
// section of WININIT.INI, the shared-library count and the program-manager commands.

#include <cstdint>
#include <string>
#include <vector>

namespace talven::installer {

inline constexpr int32_t kMaxLogText = 94;

enum class LogKind : char {
  File = 'A',       // a file installed ('a': counted as a shared library)
  Group = 'C',
  Item = 'D',
  Ini = 'E',
  Registry = 'F',
  Directory = 'G',
  Pending = 'H',    // a file in use, replaced at the next restart ('h': counted)
};

// One record: the letter, at most 94 characters, CR LF.
std::string LogRecord(LogKind kind, bool shared, const std::string& text);

// The names of MEDRA.LST: zero-separated up to an empty name. Only plain file names are
// taken; a name with a path, a drive or a device is skipped.
std::vector<std::string> ParseCleanupList(const std::string& bytes);

// WININIT.INI with "NUL=" + shortPath in its [rename] section (added at the end when
// missing). Lines are copied without CR and empty lines, each ended by CR LF.
std::string AddWininitDelete(const std::string& oldContent, const std::string& shortPath);
// The same for a replacement: target=source.
std::string AddWininitRename(const std::string& oldContent, const std::string& target, const std::string& source);

// The next shared-library count: a value that is not a DWORD reads as 0; the count stops
// at its largest value instead of wrapping.
uint32_t NextSharedCount(bool isDword, uint32_t value);
// True when the file counts as a shared library: ".dll" or ".exe" in its path, and the file
// lies in the Windows directory or below.
bool IsSharedLibrary(const std::string& path, const std::string& windowsDir);

// Program-manager commands.
std::string DdeDeleteGroup(const std::string& group);
std::string DdeCreateGroup(const std::string& group, const std::string& groupFile);
std::string DdeAddItemShort(const std::string& command);
std::string DdeReplaceItem(const std::string& command);
std::string DdeAddItem(const std::string& command, const std::string& name, const std::string& icon, int32_t iconIndex,
                       const std::string& workingDir);
std::string DdeShowGroup(const std::string& group);

}  // namespace talven::installer
