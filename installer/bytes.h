#pragma once
// Little-endian reads and the CRC-16 of LHA archives. Kept here rather than shared with the
// extractor's helpers until the common helpers have one home.

#include <cstdint>

namespace talven::installer {

inline uint16_t GetLe16(const uint8_t* bytes) {
  return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

inline uint32_t GetLe32(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
         (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

// CRC-16 with the reflected polynomial 0xA001, start value 0, no final inversion.
class Crc16 {
 public:
  Crc16();
  uint16_t Update(uint16_t crc, const uint8_t* data, int32_t size) const;

 private:
  uint16_t m_table[256];
};

}  // namespace talven::installer
