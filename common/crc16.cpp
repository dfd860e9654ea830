#include "common/crc16.h"

namespace talven {

// Each entry is the remainder of one byte value shifted through the reflected polynomial,
// built once when the object is made, as the CRC-32 table is.
Crc16::Crc16() {
  for (uint32_t value = 0; value < 256; ++value) {
    uint32_t remainder = value;
    for (int bit = 0; bit < 8; ++bit) {
      remainder = (remainder & 1) != 0 ? (remainder >> 1) ^ 0xA001u : remainder >> 1;
    }
    m_table[value] = static_cast<uint16_t>(remainder);
  }
}

uint16_t Crc16::Update(uint16_t crc, std::span<const uint8_t> data) const {
  for (const uint8_t byte : data) crc = UpdateByte(crc, byte);
  return crc;
}

}  // namespace talven
