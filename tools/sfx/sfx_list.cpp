// sfx_list: shows the local headers of a ZIP archive the way the extractor walks them.
//
//   sfx_list FILE [START]
//
// START is where the archive begins (a self-extracting archive's stub size, see its string
// resource 2); 0 by default. One line per entry:
//   OFFSET METHOD FLAGS CRC COMPRESSED SIZE EXTRA DESCRIPTOR NAME [refused] [no sizes]

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "common/bytes.h"
#include "sfx/entry_names.h"
#include "sfx/local_header.h"

using namespace talven::sfx;

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: sfx_list FILE [START]\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "sfx_list: cannot read %s\n", argv[1]);
    return 2;
  }
  std::stringstream buffer;
  buffer << in.rdbuf();
  const std::string file = buffer.str();
  const auto* bytes = reinterpret_cast<const uint8_t*>(file.data());
  uint64_t at = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 0;
  int entries = 0;
  while (at + kLocalHeaderSize <= file.size()) {
    LocalHeader header;
    if (!ParseLocalHeader(bytes + at, header)) break;
    const uint64_t nameAt = at + kLocalHeaderSize;
    if (nameAt + header.nameLength > file.size()) {
      std::printf("%" PRIu64 " name runs past the end\n", at);
      return 1;
    }
    const std::string name(file.data() + nameAt, header.nameLength);
    const uint64_t dataEnd = nameAt + header.nameLength + header.extraLength + header.compressedSize;
    const int32_t available = dataEnd < file.size() ? static_cast<int32_t>(std::min<uint64_t>(16, file.size() - dataEnd)) : 0;
    const int32_t descriptor = available > 0 ? DataDescriptorLength(header, bytes + dataEnd, available) : 0;
    const bool whole = name.size() <= static_cast<size_t>(kMaxEntryName) && name.find('\0') == std::string::npos;
    std::printf("%" PRIu64 " %u 0x%04X %08X %u %u %u %d %s%s%s\n", at, header.method, header.flags,
                header.crc, header.compressedSize, header.uncompressedSize, header.extraLength,
                descriptor, name.c_str(),
                whole && IsSafeEntryName(name.c_str(), PathMode::WithPaths) ? "" : " [refused]",
                LacksSizes(header) ? " [no sizes]" : "");
    ++entries;
    if (LacksSizes(header) || dataEnd > file.size()) break;
    at = dataEnd + static_cast<uint64_t>(descriptor);
  }
  std::printf("%d entries\n", entries);
  return 0;
}
