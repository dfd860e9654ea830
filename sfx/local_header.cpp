#include "sfx/local_header.h"

#include "common/bytes.h"

namespace talven::sfx {

bool ParseLocalHeader(const uint8_t* bytes, LocalHeader& header) {
  // Deliberate: only the real signature starts a header; the second value some old
  // extractors took as well ("PK" 0 0 read the other way round) is not accepted.
  if (GetLittle32(bytes) != kLocalHeaderSignature) return false;
  header.flags = GetLittle16(bytes + 6);
  header.method = GetLittle16(bytes + 8);
  header.modificationTime = GetLittle16(bytes + 10);
  header.crc = GetLittle32(bytes + 14);
  header.compressedSize = GetLittle32(bytes + 18);
  header.uncompressedSize = GetLittle32(bytes + 22);
  header.nameLength = GetLittle16(bytes + 26);
  header.extraLength = GetLittle16(bytes + 28);
  return true;
}

bool LacksSizes(const LocalHeader& header) {
  if ((header.flags & kFlagDataDescriptor) == 0) return false;
  if (header.compressedSize != 0) return false;
  // A stored, unencrypted empty file legitimately has no data at all; anything else with a
  // compressed size of zero cannot be real (a deflate stream has at least two bytes).
  return header.method != kMethodStored || (header.flags & kFlagEncrypted) != 0 ||
         header.crc != 0 || header.uncompressedSize != 0;
}

int32_t DataDescriptorLength(const LocalHeader& header, const uint8_t* bytes, int32_t available) {
  if ((header.flags & kFlagDataDescriptor) == 0) return 0;
  // The descriptor repeats the CRC; with it the guess is safe whether or not the optional
  // signature was written.
  if (available >= 16 && GetLittle32(bytes) == kDataDescriptorSignature &&
      GetLittle32(bytes + 4) == header.crc) {
    return 16;
  }
  if (available >= 12 && GetLittle32(bytes) == header.crc) return 12;
  return 0;
}

}  // namespace talven::sfx
