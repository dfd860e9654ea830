#include "common/crc32.h"

namespace talven {

// The table is built once when the program starts; each entry is the remainder of one
// byte value shifted through the reflected polynomial.
Crc32::Crc32() {
  for (uint32_t value = 0; value < 256; ++value) {
    uint32_t remainder = value;
    for (int bit = 0; bit < 8; ++bit) {
      remainder = (remainder & 1) != 0 ? (remainder >> 1) ^ 0xEDB88320u : remainder >> 1;
    }
    m_table[value] = remainder;
  }
}

uint32_t Crc32::Update(uint32_t crc, const uint8_t* data, int32_t size) const {
  for (int32_t i = 0; i < size; ++i) crc = m_table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return crc;
}

}  // namespace talven
