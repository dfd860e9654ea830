#pragma once
// A byte file of a slot: one file opened for reading and writing, with a buffer of its own
// so that a loop of PUTBYTE or GETBYTE costs neither a system call nor a C library call per
// byte (the system's C runtime takes a lock in every call): the stream under it moves
// whole blocks. The position and the size are kept here, so FILEPOS
// and GETFILESIZE never ask the system and stay right across reads, writes and seeks.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace talven {

// Which of the slot's byte operations the file allows (the file mode when it was opened).
enum class ByteAccess { Read = 0, Write = 1, Both = 2 };

enum class ByteOpen { Opened, Created, Failed };

class ByteFile {
 public:
  // The buffer's size: written bytes reach the file in blocks of this size, at the same
  // places as they did through a buffered stream of that size.
  static constexpr int64_t kBlock = 32768;
  // Positions have 32 bits on the system: the largest one is the same on every host, so
  // that a program behaves alike everywhere.
  static constexpr int64_t kLargestPosition = 0x7FFFFFFF;

  ByteFile() = default;
  ByteFile(const ByteFile&) = delete;
  ByteFile& operator=(const ByteFile&) = delete;
  ~ByteFile() { Close(); }

  // Opens an existing file with `access`; only a missing file is created (empty, both
  // ways). An existing file that cannot be opened is left alone: Failed, `error` holds the
  // C library's errno.
  ByteOpen Open(const std::string& name, ByteAccess access, int& error);
  // Writes what is buffered and closes; false when those bytes could not be written.
  bool Close();
  bool IsOpen() const { return m_file != nullptr; }
  ByteAccess Access() const { return m_access; }

  // The next byte, or -1 at the end, on a read error or when written bytes could not go
  // to the file first.
  int Get() {
    const uint64_t at = static_cast<uint64_t>(m_position - m_start);
    if (m_dirtyTo == 0 && at < m_length) {
      ++m_position;
      return m_buffer[at];
    }
    return GetOutsideBuffer();
  }
  // False (nothing written, the position kept) on a read-only file, at the largest
  // position, or when the buffered bytes could not be written to make room.
  bool Put(uint8_t value) {
    const uint64_t at = static_cast<uint64_t>(m_position - m_start);
    if (!m_writable || at > m_length || at >= static_cast<uint64_t>(kBlock) || m_position >= kLargestPosition) {
      return PutOutsideBuffer(value);
    }
    m_buffer[at] = value;
    MarkWritten(at, at + 1);
    if (++m_position > m_size) m_size = m_position;
    return true;
  }
  // Up to `count` bytes; the number read.
  int64_t Read(uint8_t* into, int64_t count);
  // All `count` bytes, or false.
  bool Write(const uint8_t* from, int64_t count);
  bool Seek(int64_t position);
  int64_t Position() const { return m_position; }
  int64_t Size() const { return m_size; }

 private:
  enum class LastOp { None, Read, Write };

  int GetOutsideBuffer();
  bool PutOutsideBuffer(uint8_t value);
  // Bytes [from, to) of the buffer were written and wait for the file.
  void MarkWritten(uint64_t from, uint64_t to) {
    m_atEnd = false;
    if (to > m_length) m_length = to;
    if (m_dirtyTo == 0) {
      m_dirtyFrom = from;
      m_dirtyTo = to;
      return;
    }
    if (from < m_dirtyFrom) m_dirtyFrom = from;
    if (to > m_dirtyTo) m_dirtyTo = to;
  }
  // Writes the buffer's written bytes to the file; false (they stay buffered) on failure.
  bool Flush();
  // Loads the buffer from `position` on (after a flush); false on a read error.
  bool Fill(int64_t position);
  // Puts the stream at `position` for a transfer `next` (the C library wants a
  // positioning call between a read and a write).
  bool StreamAt(int64_t position, LastOp next);
  // The buffer holds nothing from now on; it starts at the current position.
  void Drop();

  std::FILE* m_file = nullptr;
  ByteAccess m_access = ByteAccess::Both;
  bool m_writable = false;
  std::unique_ptr<uint8_t[]> m_buffer;
  // The buffer holds the file's bytes [m_start, m_start + m_length); of them [m_start +
  // m_dirtyFrom, m_start + m_dirtyTo) were written and are not in the file yet (none when
  // m_dirtyTo is 0).
  int64_t m_start = 0;
  uint64_t m_length = 0;
  uint64_t m_dirtyFrom = 0;
  uint64_t m_dirtyTo = 0;
  // A read found the end: later reads find it too, without asking the file, until a seek
  // or a write (bytes another program appends meanwhile are read after a seek).
  bool m_atEnd = false;
  // Where the stream stands (-1: not known) and its last transfer.
  int64_t m_stream = -1;
  LastOp m_last = LastOp::None;
  int64_t m_position = 0;
  int64_t m_size = 0;
};

}  // namespace talven
