// lzhdump: the setup program's view of an LHA archive, one line per member:
//   OFFSET METHOD PACKED ORIGINAL YYYY-MM-DD HH:MM:SS CRC NAME [ok|code]
// With -t every member is decoded and checked; the last line is "result: CODE".

#include <cstdio>
#include <cstring>

#include "installer/lha_archive.h"

namespace {

using namespace talven::installer;

class StdioArchive final : public LhaArchiveFile {
 public:
  explicit StdioArchive(FILE* file) : m_file(file) {
    std::fseek(m_file, 0, SEEK_END);
    m_size = static_cast<uint64_t>(std::ftell(m_file));
  }
  uint64_t Size() override { return m_size; }
  int32_t ReadAt(uint64_t offset, uint8_t* buffer, int32_t size) override {
    if (std::fseek(m_file, static_cast<long>(offset), SEEK_SET) != 0) return -1;
    return static_cast<int32_t>(std::fread(buffer, 1, static_cast<size_t>(size), m_file));
  }

 private:
  FILE* m_file;
  uint64_t m_size = 0;
};

class NullSink final : public ByteSink {
 public:
  bool Write(const uint8_t*, int32_t) override { return true; }
};

}  // namespace

int main(int argc, char** argv) {
  bool test = false;
  const char* path = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-t") == 0) test = true;
    else path = argv[i];
  }
  if (path == nullptr) {
    std::fprintf(stderr, "usage: lzhdump [-t] ARCHIVE.LZH\n");
    return 2;
  }
  FILE* file = std::fopen(path, "rb");
  if (file == nullptr) {
    std::fprintf(stderr, "lzhdump: cannot open %s\n", path);
    return 2;
  }
  StdioArchive archive(file);
  uint64_t offset = 0;
  int32_t code = FindFirstHeader(archive, offset);
  while (code == kLhaOk) {
    LhaHeader header;
    code = ReadLhaHeader(archive, offset, header);
    if (code != kLhaOk) break;
    const DosTime t = DecodeDosTime(header.dosDate, header.dosTime);
    std::printf("%llu %.5s %u %u %04d-%02d-%02d %02d:%02d:%02d %04X %s", static_cast<unsigned long long>(offset),
                header.method, header.packedSize, header.originalSize, t.year, t.month, t.day, t.hour, t.minute,
                t.second, header.crc, header.name);
    if (test) {
      NullSink sink;
      const int32_t memberCode = DecodeMember(archive, header, sink);
      if (memberCode == kLhaOk) std::printf(" ok");
      else std::printf(" %d", memberCode);
    }
    std::printf("\n");
    offset = header.dataOffset + header.packedSize;
  }
  if (code == kLhaEnd) code = kLhaOk;
  std::printf("result: %d\n", code);
  std::fclose(file);
  return code == kLhaOk ? 0 : 1;
}
