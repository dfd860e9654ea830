#include "installer/bytes.h"

namespace talven::installer {

Crc16::Crc16() {
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t value = n;
    for (int bit = 0; bit < 8; ++bit) value = (value & 1) ? (value >> 1) ^ 0xA001u : value >> 1;
    m_table[n] = static_cast<uint16_t>(value);
  }
}

uint16_t Crc16::Update(uint16_t crc, const uint8_t* data, int32_t size) const {
  for (int32_t i = 0; i < size; ++i) crc = static_cast<uint16_t>(m_table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8));
  return crc;
}

}  // namespace talven::installer
