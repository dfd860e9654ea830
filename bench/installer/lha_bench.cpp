// lha_bench: decoding speed of the setup program's -lh5-/-lh4- decoder beside liblhasa's
// lha_decoder (benchmark only; liblhasa is never linked into a deliverable), in one run,
// best of several rounds each, the two decoders taking turns.
//   lha_bench [ARCHIVE.LZH ...]   (default: the jlha fixtures big.lzh and lh4.lzh)

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern "C" {
#include <lha_decoder.h>
}

#include "installer/lha_archive.h"

namespace {

using namespace talven::installer;

class MemoryFile final : public LhaArchiveFile {
 public:
  explicit MemoryFile(const std::string& bytes) : m_bytes(bytes) {}
  uint64_t Size() override { return m_bytes.size(); }
  int32_t ReadAt(uint64_t offset, uint8_t* buffer, int32_t size) override {
    if (offset >= m_bytes.size()) return 0;
    const size_t count = std::min<size_t>(static_cast<size_t>(size), m_bytes.size() - offset);
    std::memcpy(buffer, m_bytes.data() + offset, count);
    return static_cast<int32_t>(count);
  }

 private:
  const std::string& m_bytes;
};

class CountingSink final : public ByteSink {
 public:
  bool Write(const uint8_t* data, int32_t size) override {
    count += static_cast<uint64_t>(size);
    last = data[size - 1];
    return true;
  }
  uint64_t count = 0;
  uint8_t last = 0;
};

struct Feed {
  const uint8_t* data;
  size_t left;
};

size_t FeedLhasa(void* buffer, size_t length, void* user) {
  auto* feed = static_cast<Feed*>(user);
  const size_t count = std::min(length, feed->left);
  std::memcpy(buffer, feed->data, count);
  feed->data += count;
  feed->left -= count;
  return count;
}

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> paths;
  for (int i = 1; i < argc; ++i) paths.push_back(argv[i]);
  if (paths.empty()) {
    paths = {std::string(TALVEN_LHA_FIXTURES) + "/big.lzh", std::string(TALVEN_LHA_FIXTURES) + "/lh4.lzh"};
  }
  for (const std::string& path : paths) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    const std::string bytes = buffer.str();
    MemoryFile file(bytes);
    uint64_t offset = 0;
    LhaHeader header;
    if (FindFirstHeader(file, offset) != kLhaOk || ReadLhaHeader(file, offset, header) != kLhaOk) {
      std::fprintf(stderr, "%s: no header\n", path.c_str());
      return 1;
    }
    // Small members are decoded many times so that each round lasts a while.
    const int repeats = static_cast<int>(std::max<uint64_t>(1, 4000000 / (header.originalSize + 1)));
    double ours = 1e9, theirs = 1e9;
    char method[6] = {};
    std::memcpy(method, header.method, 5);
    for (int round = 0; round < 7; ++round) {
      auto start = std::chrono::steady_clock::now();
      for (int r = 0; r < repeats; ++r) {
        CountingSink sink;
        if (DecodeMember(file, header, sink) != kLhaOk) {
          std::fprintf(stderr, "%s: our decoder failed\n", path.c_str());
          return 1;
        }
      }
      ours = std::min(ours, Seconds(std::chrono::steady_clock::now() - start));
      start = std::chrono::steady_clock::now();
      for (int r = 0; r < repeats; ++r) {
        Feed feed{reinterpret_cast<const uint8_t*>(bytes.data()) + header.dataOffset, header.packedSize};
        LHADecoder* decoder = lha_decoder_new(lha_decoder_for_name(method), FeedLhasa, &feed, header.originalSize);
        uint8_t out[16384];
        size_t total = 0, got;
        while ((got = lha_decoder_read(decoder, out, sizeof(out))) > 0) total += got;
        const bool ok = total == header.originalSize && lha_decoder_get_crc(decoder) == header.crc;
        lha_decoder_free(decoder);
        if (!ok) {
          std::fprintf(stderr, "%s: lhasa failed\n", path.c_str());
          return 1;
        }
      }
      theirs = std::min(theirs, Seconds(std::chrono::steady_clock::now() - start));
    }
    const double megabytes = static_cast<double>(header.originalSize) * repeats / 1e6;
    std::printf("%s %.5s %u bytes x %d: ours %.1f MB/s, lhasa %.1f MB/s, ratio %.2f\n", path.c_str(), header.method,
                header.originalSize, repeats, megabytes / ours, megabytes / theirs, theirs / ours);
  }
  return 0;
}
