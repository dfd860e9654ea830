#pragma once
// CRC-32 of ZIP archives (reflected polynomial 0xEDB88320) with a 256-entry table.

#include <cstdint>

namespace talven::sfx {

inline constexpr uint32_t kCrc32Start = 0xFFFFFFFFu;

class Crc32 {
 public:
  Crc32();
  uint32_t UpdateByte(uint32_t crc, uint8_t byte) const {
    return m_table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
  }
  uint32_t Update(uint32_t crc, const uint8_t* data, int32_t size) const;
  // The finished checksum of a whole buffer (start value and final inversion included).
  uint32_t Of(const uint8_t* data, int32_t size) const { return ~Update(kCrc32Start, data, size); }

 private:
  uint32_t m_table[256];
};

}  // namespace talven::sfx
