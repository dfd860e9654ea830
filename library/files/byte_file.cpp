#include "library/files/byte_file.h"

#include "library/files/file_slots.h"

#include <cerrno>
#include <limits>

namespace talven {

namespace {

// The buffer of a byte file: large enough that a byte loop reaches the system once per
// 32 KB, as COPY does.
constexpr size_t kByteBuffer = 32768;

// Positions go to the C library as a long, which has 32 bits on the system: the largest
// one is the same on every host, so that a program behaves alike everywhere.
constexpr int64_t kLargestPosition = std::numeric_limits<int32_t>::max();

// In 64 bits even where a long has 32: a file of more than 2 GB has its size (which the
// functions then read as the largest long), not 0.
int64_t SizeOf(std::FILE* file) {
#ifdef _WIN32
  if (_fseeki64(file, 0, SEEK_END) != 0) return 0;
  const int64_t size = _ftelli64(file);
  _fseeki64(file, 0, SEEK_SET);
#else
  if (fseeko(file, 0, SEEK_END) != 0) return 0;
  const int64_t size = ftello(file);
  fseeko(file, 0, SEEK_SET);
#endif
  return size < 0 ? 0 : size;
}

}  // namespace

ByteOpen ByteFile::Open(const std::string& name, ByteAccess access, int& error) {
  Close();
  error = 0;
  // Read only needs no write access; write only and both open read-write without emptying
  // the file (the C library has no mode for writing without reading that keeps a file).
  errno = 0;
  std::FILE* file = OpenStream(name, access == ByteAccess::Read ? "rb" : "r+b");
  ByteOpen result = ByteOpen::Opened;
  if (file == nullptr) {
    error = errno;
    // Deliberate: only a file that is not there is created. A file that exists but does
    // not open (read-only, in use, a directory) must never be emptied by a "w" mode.
    if (error != ENOENT) return ByteOpen::Failed;
    errno = 0;
    file = OpenStream(name, "w+b");
    if (file == nullptr) {
      error = errno;
      return ByteOpen::Failed;
    }
    access = ByteAccess::Both;
    result = ByteOpen::Created;
  }
  std::setvbuf(file, nullptr, _IOFBF, kByteBuffer);
  m_file = file;
  m_access = access;
  m_last = LastOp::None;
  m_position = 0;
  m_size = SizeOf(file);
  return result;
}

bool ByteFile::Close() {
  if (m_file == nullptr) return true;
  const bool ok = std::fclose(m_file) == 0;
  m_file = nullptr;
  m_position = 0;
  m_size = 0;
  return ok;
}

bool ByteFile::Switch(LastOp next) {
  if (m_last != next && m_last != LastOp::None) {
    if (std::fseek(m_file, static_cast<long>(m_position), SEEK_SET) != 0) return false;
  }
  m_last = next;
  return true;
}

int ByteFile::Get() {
  if (m_file == nullptr || !Switch(LastOp::Read)) return -1;
  const int c = std::getc(m_file);
  if (c != EOF) ++m_position;
  return c == EOF ? -1 : c;
}

bool ByteFile::Put(uint8_t value) {
  if (m_file == nullptr || m_position >= kLargestPosition || !Switch(LastOp::Write)) return false;
  if (std::putc(value, m_file) == EOF) return false;
  if (++m_position > m_size) m_size = m_position;
  return true;
}

int64_t ByteFile::Read(uint8_t* into, int64_t count) {
  if (m_file == nullptr || count <= 0 || !Switch(LastOp::Read)) return 0;
  const size_t got = std::fread(into, 1, static_cast<size_t>(count), m_file);
  m_position += static_cast<int64_t>(got);
  return static_cast<int64_t>(got);
}

bool ByteFile::Write(const uint8_t* from, int64_t count) {
  if (m_file == nullptr || !Switch(LastOp::Write)) return false;
  if (count <= 0) return true;
  if (m_position + count > kLargestPosition) return false;
  const size_t put = std::fwrite(from, 1, static_cast<size_t>(count), m_file);
  m_position += static_cast<int64_t>(put);
  if (m_position > m_size) m_size = m_position;
  return put == static_cast<size_t>(count);
}

bool ByteFile::Seek(int64_t position) {
  if (m_file == nullptr || position < 0 || position > kLargestPosition) return false;
  if (std::fseek(m_file, static_cast<long>(position), SEEK_SET) != 0) return false;
  // A seek ends any read or write: the next one may be either.
  m_last = LastOp::None;
  m_position = position;
  return true;
}

}  // namespace talven
