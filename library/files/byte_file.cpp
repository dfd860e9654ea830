#include "library/files/byte_file.h"

#include "library/files/file_slots.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace talven {

namespace {

// In 64 bits even where a long has 32: a file of more than 2 GB has its size (which the
// functions then read as the largest long), not 0, and is read past 2 GB.
int SeekTo(std::FILE* file, int64_t position, int whence) {
#ifdef _WIN32
  return _fseeki64(file, position, whence);
#else
  return fseeko(file, static_cast<off_t>(position), whence);
#endif
}

int64_t SizeOf(std::FILE* file) {
  if (SeekTo(file, 0, SEEK_END) != 0) return 0;
#ifdef _WIN32
  const int64_t size = _ftelli64(file);
#else
  const int64_t size = ftello(file);
#endif
  SeekTo(file, 0, SEEK_SET);
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
  // The stream's own buffer is no larger than ours (glibc takes the file's block size), so
  // the C library moves a whole block of ours straight to or from the file and keeps only
  // the tail of an odd-sized transfer. (Unbuffered, glibc reads a cookie stream one byte a
  // call.)
  std::setvbuf(file, nullptr, _IOFBF, kBlock);
  if (m_buffer == nullptr) m_buffer.reset(new uint8_t[kBlock]);
  m_file = file;
  m_access = access;
  m_writable = access != ByteAccess::Read;
  m_position = 0;
  m_size = SizeOf(file);
  m_stream = -1;
  m_last = LastOp::None;
  m_atEnd = false;
  Drop();
  return result;
}

bool ByteFile::Close() {
  if (m_file == nullptr) return true;
  // Deliberate: bytes that cannot be written now are lost with the file, and so reported.
  bool ok = Flush();
  if (std::fclose(m_file) != 0) ok = false;
  m_file = nullptr;
  m_writable = false;
  m_buffer.reset();
  m_position = 0;
  m_size = 0;
  m_dirtyFrom = m_dirtyTo = 0;
  m_atEnd = false;
  Drop();
  return ok;
}

void ByteFile::Drop() {
  m_start = m_position;
  m_length = 0;
}

bool ByteFile::StreamAt(int64_t position, LastOp next) {
  if (m_stream != position || (m_last != next && m_last != LastOp::None)) {
    if (SeekTo(m_file, position, SEEK_SET) != 0) {
      m_stream = -1;
      return false;
    }
    m_stream = position;
  }
  m_last = next;
  return true;
}

bool ByteFile::Flush() {
  if (m_dirtyTo == 0) return true;
  const int64_t at = m_start + static_cast<int64_t>(m_dirtyFrom);
  if (!StreamAt(at, LastOp::Write)) return false;
  const size_t count = static_cast<size_t>(m_dirtyTo - m_dirtyFrom);
  // What part of a failed write reached the file is not known: all of it stays buffered
  // and is written again, at the same place, by the next try.
  if (std::fwrite(m_buffer.get() + m_dirtyFrom, 1, count, m_file) != count || std::fflush(m_file) != 0) {
    std::clearerr(m_file);
    m_stream = -1;
    return false;
  }
  m_stream = at + static_cast<int64_t>(count);
  m_dirtyFrom = m_dirtyTo = 0;
  return true;
}

bool ByteFile::Fill(int64_t position) {
  m_start = position;
  m_length = 0;
  if (!StreamAt(position, LastOp::Read)) return false;
  const size_t got = std::fread(m_buffer.get(), 1, static_cast<size_t>(kBlock), m_file);
  m_length = got;
  m_stream = position + static_cast<int64_t>(got);
  const bool failed = std::ferror(m_file) != 0;
  std::clearerr(m_file);
  if (failed) {
    // The bytes that did arrive are good; the next read past them tries again.
    m_stream = -1;
    return got > 0;
  }
  if (got == 0) m_atEnd = true;
  return true;
}

// A read right after a write puts the written bytes into the file first, as a stream
// does when it turns from writing to reading: another program then finds them there.
int ByteFile::GetOutsideBuffer() {
  if (m_file == nullptr || !Flush()) return -1;
  uint64_t at = static_cast<uint64_t>(m_position - m_start);
  if (at >= m_length) {
    if (m_atEnd || !Fill(m_position) || m_length == 0) return -1;
    at = 0;
  }
  ++m_position;
  return m_buffer[at];
}

// Past the buffered bytes (a gap after a seek, before the buffer, or the buffer full): the
// written bytes go to the file and the buffer starts again at the position.
bool ByteFile::PutOutsideBuffer(uint8_t value) {
  if (!m_writable || m_position >= kLargestPosition || !Flush()) return false;
  Drop();
  m_buffer[0] = value;
  MarkWritten(0, 1);
  if (++m_position > m_size) m_size = m_position;
  return true;
}

int64_t ByteFile::Read(uint8_t* into, int64_t count) {
  if (m_file == nullptr || count <= 0 || !Flush()) return 0;
  int64_t done = 0;
  while (done < count) {
    const uint64_t at = static_cast<uint64_t>(m_position - m_start);
    if (at < m_length) {
      const int64_t take = std::min<int64_t>(count - done, static_cast<int64_t>(m_length - at));
      std::memcpy(into + done, m_buffer.get() + at, static_cast<size_t>(take));
      m_position += take;
      done += take;
      continue;
    }
    const int64_t rest = count - done;
    if (m_atEnd) break;
    if (rest < kBlock) {
      if (!Fill(m_position) || m_length == 0) break;
      continue;
    }
    // A large read goes straight into the area; the buffer then holds nothing.
    Drop();
    if (!StreamAt(m_position, LastOp::Read)) break;
    const size_t got = std::fread(into + done, 1, static_cast<size_t>(rest), m_file);
    m_position += static_cast<int64_t>(got);
    done += static_cast<int64_t>(got);
    m_stream = m_position;
    if (std::ferror(m_file)) {
      m_stream = -1;
    } else if (got < static_cast<size_t>(rest)) {
      m_atEnd = true;
    }
    std::clearerr(m_file);
    Drop();
    break;
  }
  return done;
}

bool ByteFile::Write(const uint8_t* from, int64_t count) {
  if (m_file == nullptr) return false;
  if (count <= 0) return true;
  if (!m_writable || m_position + count > kLargestPosition) return false;
  if (count >= kBlock) {
    // A large write goes straight to the file, after the bytes written before it.
    if (!Flush()) return false;
    Drop();
    m_atEnd = false;
    if (!StreamAt(m_position, LastOp::Write)) return false;
    // The tail the stream kept goes to the file too. Deliberate: after a failure, which
    // part reached the file is not known, so the position stays at the block's start and
    // a second BLOCKWRITE writes all of it again.
    if (std::fwrite(from, 1, static_cast<size_t>(count), m_file) != static_cast<size_t>(count) ||
        std::fflush(m_file) != 0) {
      std::clearerr(m_file);
      m_stream = -1;
      return false;
    }
    m_position += count;
    if (m_position > m_size) m_size = m_position;
    m_stream = m_position;
    Drop();
    return true;
  }
  int64_t done = 0;
  while (done < count) {
    const uint64_t at = static_cast<uint64_t>(m_position - m_start);
    if (at > m_length || at >= static_cast<uint64_t>(kBlock)) {
      if (!Flush()) return false;
      Drop();
      continue;
    }
    const int64_t take = std::min<int64_t>(count - done, kBlock - static_cast<int64_t>(at));
    std::memcpy(m_buffer.get() + at, from + done, static_cast<size_t>(take));
    MarkWritten(at, at + static_cast<uint64_t>(take));
    m_position += take;
    done += take;
    if (m_position > m_size) m_size = m_position;
  }
  return true;
}

// A seek puts the written bytes into the file (a failure keeps the position) and forgets
// what was read: the next read positions the stream anew and finds what others have
// written meanwhile.
bool ByteFile::Seek(int64_t position) {
  if (m_file == nullptr || position < 0 || position > kLargestPosition || !Flush()) return false;
  m_position = position;
  m_stream = -1;
  m_atEnd = false;
  Drop();
  return true;
}

}  // namespace talven
