// The default platform of the file statements: the host's file system through the C++
// library, for the native tests. It knows no drives but the current one and no hidden or
// system files; read-only is the missing write permission.

#include <sys/stat.h>

#include <ctime>
#include <filesystem>
#include <system_error>

#include "engine/engine.h"
#include "library/families.h"
#include "library/files/file_slots.h"
#include "library/files/files_platform.h"

namespace talven {

namespace fs = std::filesystem;

namespace {

fs::path PathOf(const std::string& name) {
#ifdef _WIN32
  return fs::path(name);
#else
  std::string path(name);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return fs::path(path);
#endif
}

// A mask of "*" and "?" against a name, without regard to case.
bool Matches(std::string_view mask, std::string_view name) {
  size_t m = 0, n = 0, starM = std::string_view::npos, starN = 0;
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == '?' || lower(mask[m]) == lower(name[n]))) {
      ++m;
      ++n;
    } else if (m < mask.size() && mask[m] == '*') {
      starM = m++;
      starN = n;
    } else if (starM != std::string_view::npos) {
      m = starM + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (m < mask.size() && (mask[m] == '*' || mask[m] == '.')) ++m;
  return m == mask.size();
}

class PortableSearch : public FileSearch {
 public:
  PortableSearch(fs::path dir, std::string mask) : m_mask(std::move(mask)) {
    std::error_code error;
    m_it = fs::directory_iterator(dir.empty() ? fs::path(".") : dir, error);
    if (error) m_it = fs::directory_iterator();
    // The system lists "." and ".." first in a directory that is not a root.
    m_dots = 0;
  }
  std::optional<FoundFile> Next() override {
    while (m_dots < 2) {
      const std::string dot = m_dots++ == 0 ? "." : "..";
      if (Matches(m_mask, dot)) return FoundFile{dot, true};
    }
    std::error_code error;
    for (; m_it != fs::directory_iterator(); m_it.increment(error)) {
      if (error) return std::nullopt;
      const std::string name = m_it->path().filename().string();
      if (!Matches(m_mask, name)) continue;
      FoundFile found{name, m_it->is_directory(error)};
      m_it.increment(error);
      return found;
    }
    return std::nullopt;
  }

 private:
  std::string m_mask;
  fs::directory_iterator m_it;
  int m_dots = 2;
};

class PortableFiles : public FilesPlatform {
 public:
  bool ChangeDirectory(const std::string& path) override {
    std::error_code error;
    fs::current_path(PathOf(path), error);
    return !error;
  }
  bool MakeDirectory(const std::string& path) override {
    std::error_code error;
    return fs::create_directory(PathOf(path), error) && !error;
  }
  bool DeleteDirectory(const std::string& path) override {
    std::error_code error;
    if (!fs::is_directory(PathOf(path), error)) return false;
    return fs::remove(PathOf(path), error) && !error;
  }
  std::optional<uint32_t> Attributes(const std::string& name) override {
    std::error_code error;
    const fs::file_status status = fs::status(PathOf(name), error);
    if (error || !fs::exists(status)) return std::nullopt;
    uint32_t attributes = fs::is_directory(status) ? kAttributeDirectory : kAttributeArchive;
    if ((status.permissions() & fs::perms::owner_write) == fs::perms::none) attributes |= kAttributeReadOnly;
    return attributes;
  }
  bool SetAttributes(const std::string& name, uint32_t attributes) override {
    std::error_code error;
    const fs::perms write = fs::perms::owner_write;
    fs::permissions(PathOf(name), write,
                    (attributes & kAttributeReadOnly) != 0 ? fs::perm_options::remove : fs::perm_options::add,
                    error);
    return !error;
  }
  std::optional<FileDay> LastWriteDay(const std::string& name) override {
    struct stat info {};
    if (::stat(PathOf(name).string().c_str(), &info) != 0) return std::nullopt;
    const std::time_t when = info.st_mtime;
    const std::tm* local = std::localtime(&when);
    if (local == nullptr) return std::nullopt;
    return FileDay{local->tm_year + 1900, local->tm_mon + 1, local->tm_mday};
  }
  std::optional<int64_t> FileSize(const std::string& name) override {
    std::error_code error;
    const uintmax_t size = fs::file_size(PathOf(name), error);
    if (error) return std::nullopt;
    return static_cast<int64_t>(size);
  }
  std::unique_ptr<FileSearch> StartSearch(const std::string& mask, std::optional<FoundFile>& first) override {
    const fs::path path = PathOf(mask);
    auto search = std::make_unique<PortableSearch>(path.parent_path(), path.filename().string());
    first = search->Next();
    if (!first) return nullptr;
    return search;
  }
  std::optional<double> DiskSize(int32_t drive) override {
    if (!IsCurrentDrive(drive)) return std::nullopt;
    std::error_code error;
    const fs::space_info space = fs::space(".", error);
    if (error) return std::nullopt;
    return static_cast<double>(space.capacity);
  }
  std::optional<double> DiskFree(int32_t drive) override {
    if (!IsCurrentDrive(drive)) return std::nullopt;
    std::error_code error;
    const fs::space_info space = fs::space(".", error);
    if (error) return std::nullopt;
    return static_cast<double>(space.available);
  }
  std::optional<std::string> DriveDirectory(int32_t drive) override {
    if (!IsCurrentDrive(drive)) return std::nullopt;
    std::error_code error;
    const fs::path current = fs::current_path(error);
    if (error) return std::nullopt;
    return current.string();
  }
  std::optional<std::string> ShortName(const std::string& name) override { return Existing(name); }
  std::optional<std::string> LongName(const std::string& name) override { return Existing(name); }
  bool SameFile(const std::string& a, const std::string& b) override {
    std::error_code error;
    return fs::equivalent(PathOf(a), PathOf(b), error) && !error;
  }
  bool Replace(const std::string& from, const std::string& to) override { return RenameStream(from, to); }

 private:
  // The host has one drive: the current one, which also answers as C: (3).
  static bool IsCurrentDrive(int32_t drive) { return drive == 0 || drive == 3; }
  std::optional<std::string> Existing(const std::string& name) {
    std::error_code error;
    if (!fs::exists(PathOf(name), error)) return std::nullopt;
    return name;
  }
};

}  // namespace

std::unique_ptr<FamilyPlatform> MakePortableFiles() { return std::make_unique<PortableFiles>(); }

FilesPlatform& FilesPlatformOf(Engine& engine) {
  return FamilyPlatformOf<FilesPlatform>(engine, FamilyId::Files);
}

}  // namespace talven
