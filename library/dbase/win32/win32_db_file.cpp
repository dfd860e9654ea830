// Win32 files for tables, memos and indexes. Tables are shared for reading and writing, so
// that two table slots (or two programs) can hold the same file; offsets are 64-bit.

#include "library/dbase/win32/win32_db_file.h"

#include <windows.h>

namespace talven::dbase {

namespace {

// Win32 error codes 2, 3 and 5 are the I/O results of the same meaning.
int32_t IoResultOf(DWORD error, int32_t fallback) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND: return kIoFileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME: return kIoPathNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_WRITE_PROTECT: return kIoAccessDenied;
    default: return fallback;
  }
}

class Win32File final : public DbFile {
 public:
  explicit Win32File(HANDLE handle) : m_handle(handle) {}
  ~Win32File() override { CloseHandle(m_handle); }

  bool Read(uint64_t offset, void* buffer, size_t count, size_t* got) override {
    *got = 0;
    if (!Seek(offset)) {
      m_error = kIoReadError;
      return false;
    }
    auto* bytes = static_cast<uint8_t*>(buffer);
    while (*got < count) {
      DWORD done = 0;
      const DWORD chunk = static_cast<DWORD>(count - *got > 0x40000000u ? 0x40000000u : count - *got);
      if (!ReadFile(m_handle, bytes + *got, chunk, &done, nullptr)) {
        m_error = kIoReadError;
        return false;
      }
      if (done == 0) break;
      *got += done;
    }
    return true;
  }

  bool Write(uint64_t offset, const void* buffer, size_t count) override {
    if (!Seek(offset)) {
      m_error = kIoWriteError;
      return false;
    }
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    size_t written = 0;
    while (written < count) {
      DWORD done = 0;
      const DWORD chunk = static_cast<DWORD>(count - written > 0x40000000u ? 0x40000000u : count - written);
      if (!WriteFile(m_handle, bytes + written, chunk, &done, nullptr) || done == 0) {
        m_error = IoResultOf(GetLastError(), kIoWriteError);
        return false;
      }
      written += done;
    }
    return true;
  }

  bool Size(uint64_t* size) override {
    LARGE_INTEGER value;
    if (!GetFileSizeEx(m_handle, &value)) {
      m_error = kIoReadError;
      return false;
    }
    *size = static_cast<uint64_t>(value.QuadPart);
    return true;
  }

  bool Truncate(uint64_t size) override {
    if (!Seek(size) || !SetEndOfFile(m_handle)) {
      m_error = kIoWriteError;
      return false;
    }
    return true;
  }

  bool Flush() override {
    if (!FlushFileBuffers(m_handle)) {
      m_error = kIoWriteError;
      return false;
    }
    return true;
  }

  int32_t LastError() const override { return m_error; }

 private:
  bool Seek(uint64_t offset) {
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(m_handle, position, nullptr, FILE_BEGIN) != 0;
  }
  HANDLE m_handle;
  int32_t m_error = 0;
};

}  // namespace

std::unique_ptr<DbFile> Win32FileSystem::Open(const std::string& name, OpenMode mode, int32_t* ioError) {
  const DWORD access = mode == OpenMode::ReadOnly ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
  const DWORD disposition = mode == OpenMode::Create ? CREATE_ALWAYS : OPEN_EXISTING;
  HANDLE handle = CreateFileA(name.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    *ioError = IoResultOf(GetLastError(), kIoAccessDenied);
    return nullptr;
  }
  *ioError = 0;
  return std::make_unique<Win32File>(handle);
}

bool Win32FileSystem::Rename(const std::string& from, const std::string& to, int32_t* ioError) {
  if (!MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    *ioError = IoResultOf(GetLastError(), kIoAccessDenied);
    return false;
  }
  return true;
}

bool Win32FileSystem::Remove(const std::string& name, int32_t* ioError) {
  if (!DeleteFileA(name.c_str())) {
    *ioError = IoResultOf(GetLastError(), kIoAccessDenied);
    return false;
  }
  return true;
}

bool Win32FileSystem::Exists(const std::string& name) { return GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace talven::dbase
