#pragma once
// Binary fields byte by byte: little-endian (archives, code files, tables, executables) and
// big-endian (the cipher's blocks). Never depends on the layout of the machine it runs on.
// Pure and free of exceptions: the extractor stub uses it too.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace talven {

inline uint16_t GetLittle16(const uint8_t* bytes) {
  return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

inline uint32_t GetLittle32(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
         (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

inline uint64_t GetLittle64(const uint8_t* bytes) {
  return static_cast<uint64_t>(GetLittle32(bytes)) |
         (static_cast<uint64_t>(GetLittle32(bytes + 4)) << 32);
}

inline void PutLittle16(uint8_t* bytes, uint16_t value) {
  bytes[0] = static_cast<uint8_t>(value);
  bytes[1] = static_cast<uint8_t>(value >> 8);
}

inline void PutLittle32(uint8_t* bytes, uint32_t value) {
  for (size_t i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

// IEEE doubles as the index files keep their numeric keys: eight bytes, little-endian.
inline double GetLittleDouble(const uint8_t* bytes) {
  uint64_t bits = GetLittle64(bytes);
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

inline void PutLittleDouble(uint8_t* bytes, double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  for (size_t i = 0; i < 8; ++i) bytes[i] = static_cast<uint8_t>(bits >> (8 * i));
}

inline uint32_t GetBig32(const uint8_t* bytes) {
  return (static_cast<uint32_t>(bytes[0]) << 24) | (static_cast<uint32_t>(bytes[1]) << 16) |
         (static_cast<uint32_t>(bytes[2]) << 8) | static_cast<uint32_t>(bytes[3]);
}

inline void PutBig32(uint8_t* bytes, uint32_t value) {
  for (size_t i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

// Reads little-endian fields one after another from a span of bytes. A read past the end
// delivers 0 (and no bytes), leaves the position at the end and marks the reader failed,
// so a parser can read a whole header and test Failed() once.
class LittleReader {
 public:
  explicit LittleReader(std::span<const uint8_t> bytes) : m_bytes(bytes) {}

  uint8_t Get8() { return Take(1) ? m_bytes[m_pos - 1] : 0; }
  uint16_t Get16() { return Take(2) ? GetLittle16(&m_bytes[m_pos - 2]) : 0; }
  uint32_t Get32() { return Take(4) ? GetLittle32(&m_bytes[m_pos - 4]) : 0; }
  // The next `count` bytes as they stand; empty when fewer remain.
  std::span<const uint8_t> GetBytes(size_t count) {
    return Take(count) ? m_bytes.subspan(m_pos - count, count) : std::span<const uint8_t>();
  }
  void Skip(size_t count) { Take(count); }

  size_t Position() const { return m_pos; }
  size_t Remaining() const { return m_bytes.size() - m_pos; }
  bool Failed() const { return m_failed; }

 private:
  bool Take(size_t count) {
    if (count > Remaining()) {
      m_pos = m_bytes.size();
      m_failed = true;
      return false;
    }
    m_pos += count;
    return true;
  }

  std::span<const uint8_t> m_bytes;
  size_t m_pos = 0;
  bool m_failed = false;
};

// Writes little-endian fields one after another into a span of bytes. A write that does
// not fit writes nothing, leaves the position at the end and marks the writer failed:
// never a byte outside the span.
class LittleWriter {
 public:
  explicit LittleWriter(std::span<uint8_t> bytes) : m_bytes(bytes) {}

  void Put8(uint8_t value) {
    if (Take(1)) m_bytes[m_pos - 1] = value;
  }
  void Put16(uint16_t value) {
    if (Take(2)) PutLittle16(&m_bytes[m_pos - 2], value);
  }
  void Put32(uint32_t value) {
    if (Take(4)) PutLittle32(&m_bytes[m_pos - 4], value);
  }
  void PutBytes(std::span<const uint8_t> bytes) {
    if (!Take(bytes.size())) return;
    for (size_t i = 0; i < bytes.size(); ++i) m_bytes[m_pos - bytes.size() + i] = bytes[i];
  }
  // `count` bytes of `value` (padding, blank-filled fields).
  void Fill(size_t count, uint8_t value) {
    if (!Take(count)) return;
    for (size_t i = m_pos - count; i < m_pos; ++i) m_bytes[i] = value;
  }

  size_t Position() const { return m_pos; }
  size_t Remaining() const { return m_bytes.size() - m_pos; }
  bool Failed() const { return m_failed; }

 private:
  bool Take(size_t count) {
    if (count > Remaining()) {
      m_pos = m_bytes.size();
      m_failed = true;
      return false;
    }
    m_pos += count;
    return true;
  }

  std::span<uint8_t> m_bytes;
  size_t m_pos = 0;
  bool m_failed = false;
};

}  // namespace talven
