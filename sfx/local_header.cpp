#include "sfx/local_header.h"

#include "sfx/bytes.h"

namespace talven::sfx {

bool ParseLocalHeader(const uint8_t* bytes, LocalHeader& header) {
  // Deliberate: only the real signature starts a header; the second value some old
  // extractors took as well ("PK" 0 0 read the other way round) is not accepted.
  if (GetLe32(bytes) != kLocalHeaderSignature) return false;
  header.flags = GetLe16(bytes + 6);
  header.method = GetLe16(bytes + 8);
  header.modificationTime = GetLe16(bytes + 10);
  header.crc = GetLe32(bytes + 14);
  header.compressedSize = GetLe32(bytes + 18);
  header.uncompressedSize = GetLe32(bytes + 22);
  header.nameLength = GetLe16(bytes + 26);
  header.extraLength = GetLe16(bytes + 28);
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
  if (available >= 16 && GetLe32(bytes) == kDataDescriptorSignature &&
      GetLe32(bytes + 4) == header.crc) {
    return 16;
  }
  if (available >= 12 && GetLe32(bytes) == header.crc) return 12;
  return 0;
}

}  // namespace talven::sfx
