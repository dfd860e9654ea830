#include "editor/text_file.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace talven::editor {

namespace fs = std::filesystem;

namespace {

std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of("\\/:");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool IsDeviceName(const std::string& path) {
  std::string name = BaseName(path);
  name = name.substr(0, name.find('.'));
  while (!name.empty() && name.back() == ' ') name.pop_back();
  for (char& c : name) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  if (name == "CON" || name == "NUL" || name == "AUX" || name == "PRN" || name == "CONIN$" ||
      name == "CONOUT$")
    return true;
  return name.size() == 4 && (name.starts_with("COM") || name.starts_with("LPT")) &&
         name[3] >= '1' && name[3] <= '9';
}

std::string BackupName(const std::string& path) {
  const size_t slash = path.find_last_of("\\/:");
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return path + ".BAK";
  return path.substr(0, dot) + ".BAK";
}

FileResult LoadTextFile(const std::string& path, std::string& bytes) {
  bytes.clear();
  if (path.empty() || IsDeviceName(path)) return FileResult::Unreadable;
  std::error_code error;
  const fs::path name(path);
  if (!fs::is_regular_file(name, error)) return FileResult::Unreadable;
  const uintmax_t size = fs::file_size(name, error);
  if (error) return FileResult::Unreadable;
  if (size > kMaxFileSize) return FileResult::TooLarge;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return FileResult::Unreadable;
  bytes.resize(static_cast<size_t>(size));
  const size_t got = bytes.empty() ? 0 : std::fread(bytes.data(), 1, bytes.size(), file);
  // A file that grew while it was read keeps its first `size` bytes; one that shrank its rest.
  bytes.resize(got);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) {
    bytes.clear();
    return FileResult::Unreadable;
  }
  return FileResult::Ok;
}

FileResult SaveTextFile(const std::string& path, const std::string& bytes, Backup backup) {
  if (path.empty() || IsDeviceName(path)) return FileResult::Unwritable;
  std::error_code error;
  const fs::path target(path);
  const bool exists = fs::exists(target, error);
  if (exists) {
    // A read-only file or anything that is no file is never replaced.
    const fs::file_status status = fs::status(target, error);
    if (error || !fs::is_regular_file(status)) return FileResult::Unwritable;
    if ((status.permissions() & fs::perms::owner_write) == fs::perms::none) return FileResult::Unwritable;
  }
  const std::string temporary = path + ".$$$";
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) return FileResult::Unwritable;
  const bool written = (bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size());
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) {
    fs::remove(temporary, error);
    return FileResult::Unwritable;
  }
  const fs::path backupName(BackupName(path));
  const bool keep = exists && backup == Backup::Keep;
  if (keep) {
    fs::remove(backupName, error);
    fs::rename(target, backupName, error);
    if (error) {
      fs::remove(temporary, error);
      return FileResult::Unwritable;
    }
  }
  fs::rename(temporary, target, error);
  if (error) {
    std::error_code ignored;
    if (keep) fs::rename(backupName, target, ignored);
    fs::remove(temporary, ignored);
    return FileResult::Unwritable;
  }
  return FileResult::Ok;
}

}  // namespace talven::editor
