#include "installer/win32/win32_setup_system.h"

#include <algorithm>

#include <ddeml.h>
#include <lzexpand.h>
#include <winver.h>

#include "installer/lha_archive.h"

namespace talven::installer {
namespace {

constexpr char kSharedDlls[] = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDlls";
constexpr DWORD kDdeTimeout = 20000;

bool StampOf(const std::string& path, FileStamp& stamp) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
  FILETIME local;
  SYSTEMTIME t;
  FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
  FileTimeToSystemTime(&local, &t);
  stamp = FileStamp{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
  return true;
}

HKEY RootKey(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
    case RegistryRoot::CurrentUser: return HKEY_CURRENT_USER;
    default: return HKEY_CLASSES_ROOT;
  }
}

HDDEDATA CALLBACK DdeCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) { return nullptr; }

class FileArchive final : public LhaArchiveFile {
 public:
  explicit FileArchive(HANDLE file) : m_file(file) {
    LARGE_INTEGER size;
    m_size = GetFileSizeEx(file, &size) ? static_cast<uint64_t>(size.QuadPart) : 0;
  }
  uint64_t Size() override { return m_size; }
  int32_t ReadAt(uint64_t offset, uint8_t* buffer, int32_t size) override {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    DWORD read = 0;
    if (!SetFilePointerEx(m_file, at, nullptr, FILE_BEGIN) || !ReadFile(m_file, buffer, static_cast<DWORD>(size), &read, nullptr)) {
      return -1;
    }
    m_reached = std::max<uint64_t>(m_reached, offset + read);
    return static_cast<int32_t>(read);
  }
  uint64_t reached() const { return m_reached; }  // the furthest byte read so far

 private:
  HANDLE m_file;
  uint64_t m_size = 0;
  uint64_t m_reached = 0;
};

// Members go to a temporary file beside the target; only a checked member replaces it.
class FolderHost final : public LhaTargetHost {
 public:
  FolderHost(HWND owner, std::vector<std::string>& extracted, FileArchive& archive,
             const std::function<bool(uint64_t, uint64_t)>& progress)
      : m_owner(owner), m_extracted(extracted), m_archive(archive), m_progress(progress) {}
  ~FolderHost() { DiscardTemporary(); }
  bool FileExists(const char* path) override {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  }
  bool AskOverwrite(const char* path) override {
    const char* name = strrchr(path, '\\');
    return MessageBoxA(m_owner, kTextOverwriteMember, name ? name + 1 : path, MB_YESNO | MB_ICONQUESTION) == IDYES;
  }
  bool MakeDirectory(const char* path) override {
    if (CreateDirectoryA(path, nullptr)) return true;
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  }
  bool OpenTemporary(const char* target) override {
    std::string dir(target);
    dir.resize(dir.rfind('\\'));
    char temp[MAX_PATH];
    if (!GetTempFileNameA(dir.c_str(), "MED", 0, temp)) return false;
    m_temp = temp;
    m_handle = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_handle == INVALID_HANDLE_VALUE) {
      DeleteFileA(temp);
      m_temp.clear();
      return false;
    }
    return true;
  }
  bool WriteTemporary(const uint8_t* data, int32_t size) override {
    DWORD written = 0;
    if (!WriteFile(m_handle, data, static_cast<DWORD>(size), &written, nullptr) || written != static_cast<DWORD>(size)) {
      return false;
    }
    if (m_progress && !m_progress(m_archive.reached(), m_archive.Size())) {
      m_stopped = true;
      return false;
    }
    return true;
  }
  bool Stopped() override { return m_stopped; }
  bool CommitTemporary(const char* target, uint16_t dosDate, uint16_t dosTime) override {
    FILETIME local, utc;
    if (DosDateTimeToFileTime(dosDate, dosTime, &local) && LocalFileTimeToFileTime(&local, &utc)) {
      SetFileTime(m_handle, &utc, nullptr, &utc);
    }
    CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
    if (!MoveFileExA(m_temp.c_str(), target, MOVEFILE_REPLACE_EXISTING)) return false;
    m_temp.clear();
    return true;
  }
  void DiscardTemporary() override {
    if (m_handle != INVALID_HANDLE_VALUE) CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
    if (!m_temp.empty()) DeleteFileA(m_temp.c_str());
    m_temp.clear();
  }
  void Extracted(const char* target) override { m_extracted.push_back(target); }

 private:
  HWND m_owner;
  std::vector<std::string>& m_extracted;
  FileArchive& m_archive;
  const std::function<bool(uint64_t, uint64_t)>& m_progress;
  bool m_stopped = false;
  std::string m_temp;
  HANDLE m_handle = INVALID_HANDLE_VALUE;
};

}  // namespace

Win32SetupSystem::~Win32SetupSystem() {
  CloseLog();
  DdeDisconnect();
  if (m_ddeInstance != 0) DdeUninitialize(m_ddeInstance);
  // A program manager started here that never answered would otherwise stay behind.
  if (m_progman != nullptr) {
    if (!m_everConnected) TerminateProcess(m_progman, 0);
    CloseHandle(m_progman);
  }
}

std::string Win32SetupSystem::ReadIni(const std::string& file, const std::string& section, const std::string& key,
                                      const std::string& defaultValue, int32_t maxLength) {
  char buffer[1024];
  GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), buffer,
                           static_cast<DWORD>(std::min<int32_t>(maxLength + 1, sizeof(buffer))), file.c_str());
  return buffer;
}

bool Win32SetupSystem::FileDate(const std::string& path, int32_t& year, int32_t& month, int32_t& day) {
  FileStamp stamp;
  if (!StampOf(path, stamp) || !FileExists(path)) return false;
  year = stamp.year;
  month = stamp.month;
  day = stamp.day;
  return true;
}

bool Win32SetupSystem::IsWindowsNt() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof(info);
  return GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

bool Win32SetupSystem::Environment(const std::string& name, std::string& value) {
  char buffer[1024];
  const DWORD length = GetEnvironmentVariableA(name.c_str(), buffer, sizeof(buffer));
  if (length == 0 || length >= sizeof(buffer)) return false;
  value = buffer;
  return true;
}

bool Win32SetupSystem::FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32SetupSystem::DirectoryExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32SetupSystem::MakeOneDirectory(const std::string& path) {
  return CreateDirectoryA(path.c_str(), nullptr) || DirectoryExists(path);
}

bool Win32SetupSystem::FileTime(const std::string& path, FileStamp& stamp) { return StampOf(path, stamp); }

std::vector<std::string> Win32SetupSystem::FindFiles(const std::string& pattern) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(data.cFileName);
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return names;
}

uint64_t Win32SetupSystem::FreeBytes(const std::string& path) {
  ULARGE_INTEGER available, total, free;
  if (!GetDiskFreeSpaceExA(path.c_str(), &available, &total, &free)) return 0;
  return available.QuadPart;
}

std::string Win32SetupSystem::ShortPath(const std::string& path) {
  char buffer[MAX_PATH];
  const DWORD length = GetShortPathNameA(path.c_str(), buffer, sizeof(buffer));
  return (length == 0 || length >= sizeof(buffer)) ? path : std::string(buffer);
}

uint32_t Win32SetupSystem::InstallVersioned(const std::string& sourceName, const std::string& sourceDir,
                                            const std::string& targetName, const std::string& targetDir, bool force,
                                            std::string& tempFile) {
  char current[MAX_PATH] = "", destination[MAX_PATH] = "";
  UINT currentLength = sizeof(current), destinationLength = sizeof(destination);
  VerFindFileA(0, const_cast<char*>(targetName.c_str()), nullptr, const_cast<char*>(targetDir.c_str()), current,
               &currentLength, destination, &destinationLength);
  char temp[MAX_PATH] = "";
  UINT tempLength = sizeof(temp);
  const DWORD flags = VIFF_DONTDELETEOLD | (force ? VIFF_FORCEINSTALL : 0);
  const DWORD result = VerInstallFileA(flags, const_cast<char*>(sourceName.c_str()), const_cast<char*>(targetName.c_str()),
                                       const_cast<char*>(sourceDir.c_str()), const_cast<char*>(targetDir.c_str()),
                                       current, temp, &tempLength);
  tempFile.clear();
  if ((result & VIF_TEMPFILE) && temp[0] != 0) {
    // The name comes back with a leading backslash and lies in the target directory.
    tempFile = JoinPath(targetDir, temp[0] == '\\' ? temp + 1 : temp);
  }
  return result;
}

// LZCopy expands a compressed copy and copies any other file unchanged.
bool Win32SetupSystem::MakeTemporaryCopy(const std::string& source, const std::string& targetDir, std::string& tempFile) {
  char temp[MAX_PATH];
  if (!GetTempFileNameA(targetDir.c_str(), "MED", 0, temp)) return false;
  OFSTRUCT sourceInfo{}, targetInfo{};
  const INT from = LZOpenFileA(const_cast<char*>(source.c_str()), &sourceInfo, OF_READ);
  const INT to = from >= 0 ? LZOpenFileA(temp, &targetInfo, OF_CREATE) : -1;
  const bool ok = from >= 0 && to >= 0 && LZCopy(from, to) >= 0;
  if (from >= 0) LZClose(from);
  if (to >= 0) LZClose(to);
  if (!ok) {
    DeleteFileA(temp);
    return false;
  }
  tempFile = temp;
  return true;
}

bool Win32SetupSystem::DeleteOneFile(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

bool Win32SetupSystem::DelayedMove(const std::string& source, const std::string& target) {
  if (target.empty()) return MoveFileExA(source.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
  return MoveFileExA(source.c_str(), target.c_str(), MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING) != 0;
}

bool Win32SetupSystem::ReadWholeFile(const std::string& path, std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bytes.clear();
  char buffer[8192];
  DWORD read = 0;
  bool ok = true;
  while ((ok = ReadFile(file, buffer, sizeof(buffer), &read, nullptr) != 0) && read > 0) {
    bytes.append(buffer, read);
    if (bytes.size() > 16 * 1024 * 1024) {
      ok = false;
      break;
    }
  }
  CloseHandle(file);
  return ok;
}

bool Win32SetupSystem::WriteWholeFile(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
  CloseHandle(file);
  if (!ok) DeleteFileA(path.c_str());
  return ok;
}

bool Win32SetupSystem::MoveReplacing(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

int32_t Win32SetupSystem::ExtractLha(const std::string& archive, const std::string& targetDir,
                                     std::vector<std::string>& extracted, std::string& failedName,
                                     const std::function<bool(uint64_t, uint64_t)>& progress) {
  HANDLE file = CreateFileA(archive.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return kCodeNotFound;
  FileArchive source(file);
  FolderHost host(m_owner, extracted, source, progress);
  char failed[MAX_PATH];
  const int32_t code = ExtractArchive(source, targetDir.c_str(), host, failed, sizeof(failed));
  CloseHandle(file);
  failedName = failed;
  return code;
}

bool Win32SetupSystem::ReadSharedCount(const std::string& path, bool& isDword, uint32_t& value) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSharedDlls, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  DWORD type = 0, size = sizeof(DWORD), data = 0;
  const LONG status = RegQueryValueExA(key, path.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
  RegCloseKey(key);
  if (status == ERROR_FILE_NOT_FOUND) return false;
  isDword = status == ERROR_SUCCESS && type == REG_DWORD && size == sizeof(DWORD);
  value = isDword ? data : 0;
  return true;
}

bool Win32SetupSystem::WriteSharedCount(const std::string& path, uint32_t value) {
  HKEY key;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSharedDlls, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const DWORD data = value;
  const bool ok = RegSetValueExA(key, path.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data)) == ERROR_SUCCESS;
  RegCloseKey(key);
  return ok;
}

bool Win32SetupSystem::WriteIni(const std::string& file, const std::string& section, const std::string& key,
                                const std::string& value) {
  return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) != 0;
}

bool Win32SetupSystem::WriteRegistry(RegistryRoot root, const std::string& key, const std::string& name,
                                     const std::string& value) {
  HKEY handle;
  if (RegCreateKeyExA(RootKey(root), key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const bool ok = RegSetValueExA(handle, name.empty() ? nullptr : name.c_str(), 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(value.c_str()), static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
  RegCloseKey(handle);
  return ok;
}

bool Win32SetupSystem::ReadClassesRootDefault(const std::string& key, std::string& value) {
  HKEY handle;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  char buffer[1024];
  DWORD type = 0, size = sizeof(buffer) - 1;
  const bool ok = RegQueryValueExA(handle, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) == ERROR_SUCCESS &&
                  type == REG_SZ;
  RegCloseKey(handle);
  if (!ok) return false;
  buffer[size < sizeof(buffer) ? size : sizeof(buffer) - 1] = 0;
  value = buffer;
  return true;
}

// Starts a program and waits for its end, letting the setup's windows repaint meanwhile.
bool Win32SetupSystem::RunAndWait(const std::string& command, const std::string& directory) {
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  std::string line = command;
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      directory.empty() ? nullptr : directory.c_str(), &startup, &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  while (MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  CloseHandle(process.hProcess);
  return true;
}

bool Win32SetupSystem::DdeConnect() {
  if (m_conversation != nullptr) return true;
  if (m_ddeInstance == 0 && DdeInitializeA(&m_ddeInstance, DdeCallback, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) {
    m_ddeInstance = 0;
    return false;
  }
  HSZ service = DdeCreateStringHandleA(m_ddeInstance, "PROGMAN", CP_WINANSI);
  m_conversation = ::DdeConnect(m_ddeInstance, service, service, nullptr);
  DdeFreeStringHandle(m_ddeInstance, service);
  if (m_conversation != nullptr) m_everConnected = true;
  return m_conversation != nullptr;
}

bool Win32SetupSystem::DdeExecute(const std::string& command) {
  if (m_conversation == nullptr) return false;
  DWORD result = 0;
  HDDEDATA data = DdeClientTransaction(reinterpret_cast<BYTE*>(const_cast<char*>(command.c_str())),
                                       static_cast<DWORD>(command.size() + 1), m_conversation, nullptr, 0, XTYP_EXECUTE,
                                       kDdeTimeout, &result);
  return data != nullptr;
}

void Win32SetupSystem::DdeDisconnect() {
  if (m_conversation != nullptr) ::DdeDisconnect(m_conversation);
  m_conversation = nullptr;
}

bool Win32SetupSystem::StartProgramManager() {
  if (m_progman != nullptr) return false;
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  char line[] = "PROGMAN.EXE";
  if (!CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) return false;
  CloseHandle(process.hThread);
  m_progman = process.hProcess;
  WaitForInputIdle(process.hProcess, 5000);
  return true;
}

bool Win32SetupSystem::OpenLog(const std::string& path) {
  CloseLog();
  m_log = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  return m_log != INVALID_HANDLE_VALUE;
}

void Win32SetupSystem::WriteLog(const std::string& record) {
  if (m_log == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(m_log, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
}

void Win32SetupSystem::CloseLog() {
  if (m_log != INVALID_HANDLE_VALUE) CloseHandle(m_log);
  m_log = INVALID_HANDLE_VALUE;
}

}  // namespace talven::installer
