#pragma once
// A byte file of a slot: one file opened for reading and writing through the C library's
// buffered streams, so that a loop of PUTBYTE or GETBYTE costs no system call per byte.
// The position and the size are kept here, so FILEPOS and GETFILESIZE never ask the system
// and stay right across reads, writes and seeks.

#include <cstdint>
#include <cstdio>
#include <string>

namespace talven {

// Which of the slot's byte operations the file allows (the file mode when it was opened).
enum class ByteAccess { Read = 0, Write = 1, Both = 2 };

enum class ByteOpen { Opened, Created, Failed };

class ByteFile {
 public:
  ByteFile() = default;
  ByteFile(const ByteFile&) = delete;
  ByteFile& operator=(const ByteFile&) = delete;
  ~ByteFile() { Close(); }

  // Opens an existing file with `access`; only a missing file is created (empty, both
  // ways). An existing file that cannot be opened is left alone: Failed, `error` holds the
  // C library's errno.
  ByteOpen Open(const std::string& name, ByteAccess access, int& error);
  // Flushes and closes; false when the last buffered bytes could not be written.
  bool Close();
  bool IsOpen() const { return m_file != nullptr; }
  ByteAccess Access() const { return m_access; }

  // The next byte, or -1 at the end or on a read error (`m_failed` tells which).
  int Get();
  bool Put(uint8_t value);
  // Up to `count` bytes; the number read.
  int64_t Read(uint8_t* into, int64_t count);
  // All `count` bytes, or false.
  bool Write(const uint8_t* from, int64_t count);
  bool Seek(int64_t position);
  int64_t Position() const { return m_position; }
  int64_t Size() const { return m_size; }

 private:
  enum class LastOp { None, Read, Write };
  // Between a read and a write the C library wants a positioning call.
  bool Switch(LastOp next);

  std::FILE* m_file = nullptr;
  ByteAccess m_access = ByteAccess::Both;
  LastOp m_last = LastOp::None;
  int64_t m_position = 0;
  int64_t m_size = 0;
};

}  // namespace talven
