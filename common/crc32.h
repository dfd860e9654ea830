#pragma once
// CRC-32 of ZIP archives (reflected polynomial 0xEDB88320, start value and final
// inversion 0xFFFFFFFF) with a 256-entry table.

#include <cstdint>
#include <span>

namespace talven {

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
  uint32_t Of(std::span<const uint8_t> data) const {
    return Of(data.data(), static_cast<int32_t>(data.size()));
  }

 private:
  uint32_t m_table[256];
};

}  // namespace talven
