#pragma once
// Reading and writing an edit window's file: whole, byte for byte, with the backup.

#include <cstdint>
#include <string>

namespace talven::editor {

// Files above this size are not loaded.
inline constexpr uint64_t kMaxFileSize = 256ull * 1024 * 1024;

enum class FileResult { Ok, Unreadable, TooLarge, Unwritable };
enum class Backup { Keep, None };

// CON, NUL, AUX, PRN, COM1-9 and LPT1-9, with or without an extension.
bool IsDeviceName(const std::string& path);
// The backup's name: the extension replaced by BAK (added when there is none).
std::string BackupName(const std::string& path);

FileResult LoadTextFile(const std::string& path, std::string& bytes);
// Writes to a temporary file beside the target, moves the old file to the backup and the
// new one into place; on any failure the old file stays as it was.
FileResult SaveTextFile(const std::string& path, const std::string& bytes,
                        Backup backup = Backup::Keep);

}  // namespace talven::editor
