#pragma once
// Little-endian reads of archive bytes. Fields are always assembled byte by byte, so the
// layout of the host never matters.

#include <cstdint>

namespace talven::sfx {

inline uint16_t GetLe16(const uint8_t* bytes) {
  return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

inline uint32_t GetLe32(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
         (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

inline uint64_t GetLe64(const uint8_t* bytes) {
  return static_cast<uint64_t>(GetLe32(bytes)) | (static_cast<uint64_t>(GetLe32(bytes + 4)) << 32);
}

}  // namespace talven::sfx
