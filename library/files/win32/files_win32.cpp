// The Win32 side of the family "files": directories, attributes, dates, searches, drives
// and name forms through the system's ANSI calls. The slots' files themselves use the C
// library's streams.

#include <windows.h>

#include <memory>

#include "library/families.h"
#include "library/files/files_platform.h"
#include "library/files/win32/files_win32.h"
#include "library/win32/win32_host.h"

namespace talven {

namespace {

// FINDFIRST$ searches with the attribute mask 55 (read-only, hidden, system, directories,
// archive): every entry but a volume label, which the system's search never returns.
bool Wanted(const WIN32_FIND_DATAA&) { return true; }

FoundFile Found(const WIN32_FIND_DATAA& data) {
  return FoundFile{data.cFileName, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0};
}

class Win32Search : public FileSearch {
 public:
  explicit Win32Search(HANDLE handle) : m_handle(handle) {}
  ~Win32Search() override { FindClose(m_handle); }
  std::optional<FoundFile> Next() override {
    WIN32_FIND_DATAA data;
    while (FindNextFileA(m_handle, &data)) {
      if (Wanted(data)) return Found(data);
    }
    return std::nullopt;
  }

 private:
  HANDLE m_handle;
};

// The root of drive d ("C:\"); 0 is the current directory's drive.
std::string RootOf(int32_t drive) {
  if (drive == 0) return std::string();
  if (drive < 1 || drive > 26) return std::string("?");
  return std::string(1, static_cast<char>('A' + drive - 1)) + ":\\";
}

bool DriveExists(int32_t drive) {
  if (drive == 0) return true;
  if (drive < 1 || drive > 26) return false;
  return (GetLogicalDrives() & (1u << (drive - 1))) != 0;
}

class Win32Files : public FilesPlatform {
 public:
  bool ChangeDirectory(const std::string& path) override { return SetCurrentDirectoryA(path.c_str()) != FALSE; }
  bool MakeDirectory(const std::string& path) override { return CreateDirectoryA(path.c_str(), nullptr) != FALSE; }
  bool DeleteDirectory(const std::string& path) override { return ::RemoveDirectoryA(path.c_str()) != FALSE; }

  std::optional<uint32_t> Attributes(const std::string& name) override {
    const DWORD attributes = GetFileAttributesA(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    return attributes;
  }
  bool SetAttributes(const std::string& name, uint32_t attributes) override {
    return SetFileAttributesA(name.c_str(), attributes) != FALSE;
  }
  std::optional<FileDay> LastWriteDay(const std::string& name) override {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(name.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    FILETIME local;
    SYSTEMTIME time;
    if (!FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) || !FileTimeToSystemTime(&local, &time)) {
      return std::nullopt;
    }
    return FileDay{time.wYear, time.wMonth, time.wDay};
  }
  std::optional<int64_t> FileSize(const std::string& name) override {
    HANDLE file = CreateFileA(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    LARGE_INTEGER size;
    const BOOL ok = GetFileSizeEx(file, &size);
    CloseHandle(file);
    if (!ok) return std::nullopt;
    return static_cast<int64_t>(size.QuadPart);
  }
  std::unique_ptr<FileSearch> StartSearch(const std::string& mask, std::optional<FoundFile>& first) override {
    WIN32_FIND_DATAA data;
    HANDLE handle = FindFirstFileA(mask.c_str(), &data);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    auto search = std::make_unique<Win32Search>(handle);
    if (Wanted(data)) {
      first = Found(data);
    } else {
      first = search->Next();
    }
    if (!first) return nullptr;
    return search;
  }
  std::optional<double> DiskSize(int32_t drive) override {
    ULARGE_INTEGER available, total, free;
    if (!DiskSpace(drive, available, total, free)) return std::nullopt;
    return static_cast<double>(total.QuadPart);
  }
  std::optional<double> DiskFree(int32_t drive) override {
    ULARGE_INTEGER available, total, free;
    if (!DiskSpace(drive, available, total, free)) return std::nullopt;
    return static_cast<double>(available.QuadPart);
  }
  std::optional<std::string> DriveDirectory(int32_t drive) override {
    if (!DriveExists(drive)) return std::nullopt;
    char buffer[MAX_PATH + 1] = {};
    DWORD length = 0;
    if (drive == 0) {
      length = GetCurrentDirectoryA(sizeof(buffer), buffer);
    } else {
      // "X:." is the current directory of drive X.
      const std::string relative = std::string(1, static_cast<char>('A' + drive - 1)) + ":.";
      length = GetFullPathNameA(relative.c_str(), sizeof(buffer), buffer, nullptr);
    }
    if (length == 0 || length >= sizeof(buffer)) return std::nullopt;
    return std::string(buffer, length);
  }
  std::optional<std::string> ShortName(const std::string& name) override {
    char buffer[MAX_PATH + 1] = {};
    const DWORD length = GetShortPathNameA(name.c_str(), buffer, sizeof(buffer));
    if (length == 0 || length >= sizeof(buffer)) return std::nullopt;
    return std::string(buffer, length);
  }
  std::optional<std::string> LongName(const std::string& name) override {
    char buffer[MAX_PATH + 1] = {};
    const DWORD length = GetLongPathNameA(name.c_str(), buffer, sizeof(buffer));
    if (length == 0 || length >= sizeof(buffer)) return std::nullopt;
    return std::string(buffer, length);
  }
  // By identity: the volume and the file index of both open files.
  bool SameFile(const std::string& a, const std::string& b) override {
    BY_HANDLE_FILE_INFORMATION first, second;
    return Identity(a, first) && Identity(b, second) &&
           first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
  }
  bool Replace(const std::string& from, const std::string& to) override {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != FALSE;
  }

 private:
  static bool DiskSpace(int32_t drive, ULARGE_INTEGER& available, ULARGE_INTEGER& total, ULARGE_INTEGER& free) {
    if (!DriveExists(drive)) return false;
    const std::string root = RootOf(drive);
    return GetDiskFreeSpaceExA(root.empty() ? nullptr : root.c_str(), &available, &total, &free) != FALSE;
  }
  static bool Identity(const std::string& name, BY_HANDLE_FILE_INFORMATION& info) {
    HANDLE file = CreateFileA(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const BOOL ok = GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    return ok != FALSE;
  }
};

}  // namespace

std::unique_ptr<FamilyPlatform> MakeWin32Files() { return std::make_unique<Win32Files>(); }

void InstallFilesWin32(Win32Host& host) {
  host.InstallPlatform(FamilyIndex(FamilyId::Files), MakeWin32Files());
}

}  // namespace talven
