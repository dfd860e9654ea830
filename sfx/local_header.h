#pragma once
// The local file headers of a ZIP archive, walked one after another. The central directory
// is never read: an appended archive's own offsets do not fit its new place in the file.

#include <cstdint>

namespace talven::sfx {

inline constexpr uint32_t kLocalHeaderSignature = 0x04034B50u;
inline constexpr uint32_t kDataDescriptorSignature = 0x08074B50u;
inline constexpr int32_t kLocalHeaderSize = 30;
inline constexpr int32_t kMaxEntryName = 255;
inline constexpr uint16_t kFlagEncrypted = 1 << 0;
inline constexpr uint16_t kFlagDataDescriptor = 1 << 3;
inline constexpr uint16_t kFlagUtf8Name = 1 << 11;
inline constexpr uint16_t kMethodStored = 0;
inline constexpr uint16_t kMethodDeflated = 8;

struct LocalHeader {
  uint16_t flags = 0;
  uint16_t method = 0;
  uint16_t modificationTime = 0;
  uint32_t crc = 0;
  uint32_t compressedSize = 0;
  uint32_t uncompressedSize = 0;
  uint16_t nameLength = 0;
  uint16_t extraLength = 0;
};

// False when the bytes do not start with the local-header signature.
bool ParseLocalHeader(const uint8_t* bytes, LocalHeader& header);

// A streamed entry leaves the sizes in the header zero and gives them only behind the data;
// its end cannot be found without decoding, so such an entry is never read.
bool LacksSizes(const LocalHeader& header);

// How many bytes of a data descriptor follow the data: bytes holds the 16 bytes behind it
// (fewer at the end of the file). 16 with its signature, 12 without, 0 when none is there.
int32_t DataDescriptorLength(const LocalHeader& header, const uint8_t* bytes, int32_t available);

// The check byte that ends a right password's decrypted 12-byte header.
inline uint8_t CheckByte(const LocalHeader& header) {
  return (header.flags & kFlagDataDescriptor) != 0
             ? static_cast<uint8_t>(header.modificationTime >> 8)
             : static_cast<uint8_t>(header.crc >> 24);
}

}  // namespace talven::sfx
