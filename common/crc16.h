#pragma once
// CRC-16 of LHA and ARC archives: reflected polynomial 0xA001 (x^16 + x^15 + x^2 + 1),
// start value 0, no final inversion, with a 256-entry table.

#include <cstddef>
#include <cstdint>
#include <span>

namespace talven {

inline constexpr uint16_t kCrc16Start = 0;

class Crc16 {
 public:
  Crc16();
  uint16_t UpdateByte(uint16_t crc, uint8_t byte) const {
    return static_cast<uint16_t>(m_table[(crc ^ byte) & 0xFF] ^ (crc >> 8));
  }
  uint16_t Update(uint16_t crc, std::span<const uint8_t> data) const;
  // The checksum of a whole buffer.
  uint16_t Of(std::span<const uint8_t> data) const { return Update(kCrc16Start, data); }

 private:
  uint16_t m_table[256];
};

}  // namespace talven
