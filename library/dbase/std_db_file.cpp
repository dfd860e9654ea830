// POSIX files behind the table layer's file interface (native builds only).

#include "library/dbase/std_db_file.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace talven::dbase {

namespace {

int32_t IoResultOf(int error, int32_t fallback) {
  switch (error) {
    case ENOENT: return kIoFileNotFound;
    case ENOTDIR: return kIoPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS: return kIoAccessDenied;
    default: return fallback;
  }
}

class StdFile final : public DbFile {
 public:
  explicit StdFile(int fd) : m_fd(fd) {}
  ~StdFile() override { close(m_fd); }

  bool Read(uint64_t offset, void* buffer, size_t count, size_t* got) override {
    *got = 0;
    auto* bytes = static_cast<uint8_t*>(buffer);
    while (*got < count) {
      const ssize_t n = pread(m_fd, bytes + *got, count - *got, static_cast<off_t>(offset + *got));
      if (n < 0) {
        if (errno == EINTR) continue;
        m_error = kIoReadError;
        return false;
      }
      if (n == 0) break;
      *got += static_cast<size_t>(n);
    }
    return true;
  }

  bool Write(uint64_t offset, const void* buffer, size_t count) override {
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    size_t done = 0;
    while (done < count) {
      const ssize_t n = pwrite(m_fd, bytes + done, count - done, static_cast<off_t>(offset + done));
      if (n <= 0) {
        if (n < 0 && errno == EINTR) continue;
        m_error = kIoWriteError;
        return false;
      }
      done += static_cast<size_t>(n);
    }
    return true;
  }

  bool Size(uint64_t* size) override {
    struct stat info {};
    if (fstat(m_fd, &info) != 0) {
      m_error = kIoReadError;
      return false;
    }
    *size = static_cast<uint64_t>(info.st_size);
    return true;
  }

  bool Truncate(uint64_t size) override {
    if (ftruncate(m_fd, static_cast<off_t>(size)) != 0) {
      m_error = kIoWriteError;
      return false;
    }
    return true;
  }

  bool Flush() override {
    if (fsync(m_fd) != 0 && errno != EINVAL) {
      m_error = kIoWriteError;
      return false;
    }
    return true;
  }

  int32_t LastError() const override { return m_error; }

 private:
  int m_fd;
  int32_t m_error = 0;
};

}  // namespace

std::unique_ptr<DbFile> StdFileSystem::Open(const std::string& name, OpenMode mode, int32_t* ioError) {
  int flags = O_RDWR;
  if (mode == OpenMode::ReadOnly) flags = O_RDONLY;
  if (mode == OpenMode::Create) flags = O_RDWR | O_CREAT | O_TRUNC;
  const int fd = open(name.c_str(), flags | O_CLOEXEC, 0644);
  if (fd < 0) {
    *ioError = IoResultOf(errno, kIoAccessDenied);
    return nullptr;
  }
  struct stat info {};
  if (fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    close(fd);
    *ioError = kIoAccessDenied;
    return nullptr;
  }
  *ioError = 0;
  return std::make_unique<StdFile>(fd);
}

bool StdFileSystem::Rename(const std::string& from, const std::string& to, int32_t* ioError) {
  if (std::rename(from.c_str(), to.c_str()) != 0) {
    *ioError = IoResultOf(errno, kIoAccessDenied);
    return false;
  }
  return true;
}

bool StdFileSystem::Remove(const std::string& name, int32_t* ioError) {
  if (unlink(name.c_str()) != 0) {
    *ioError = IoResultOf(errno, kIoAccessDenied);
    return false;
  }
  return true;
}

bool StdFileSystem::Exists(const std::string& name) {
  struct stat info {};
  return stat(name.c_str(), &info) == 0;
}

}  // namespace talven::dbase
