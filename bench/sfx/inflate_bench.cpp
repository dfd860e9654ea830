// Throughput of the extractor's inflater beside zlib's on the same streams, in one run.
// Content: generated text lines, the machine code of this very program, and noise; each
// deflated by zlib at levels 1, 6 and 9. zlib is linked into this benchmark only.
//
//   sfx_inflate_bench [SECONDS_PER_CASE]

#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "sfx/inflate.h"

namespace {

using talven::sfx::InflateInput;
using talven::sfx::InflateOutput;
using talven::sfx::InflateResult;
using talven::sfx::Inflater;

std::string Content(const char* kind) {
  std::string out;
  if (std::strcmp(kind, "text") == 0) {
    static const char* const kWords[] = {"Talven", "Zeile", "Datei", "Archiv", "entpacken", "Prüfsumme",
                                         "PRINT", "WINDOW", "Fenster", "Dialog", "und", "der", "die"};
    unsigned state = 1;
    while (out.size() < 3000000) {
      state = state * 1103515245u + 12345u;
      out += kWords[(state >> 16) % 13];
      out += (state >> 8) % 11 == 0 ? "\r\n" : " ";
      if ((state >> 4) % 29 == 0) out += std::to_string(state % 100000);
    }
  } else if (std::strcmp(kind, "code") == 0) {
    std::ifstream in("/proc/self/exe", std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    out = bytes.str();
    while (out.size() < 3000000) out += out;
    out.resize(3000000);
  } else {
    unsigned state = 7;
    out.resize(1000000);
    for (char& c : out) c = static_cast<char>((state = state * 1103515245u + 12345u) >> 16);
    out += Content("text").substr(0, 1000000) + Content("code").substr(0, 1000000);
  }
  return out;
}

std::string Deflate(const std::string& content, int level) {
  z_stream stream{};
  deflateInit2(&stream, level, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&stream, content.size()), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data()));
  stream.avail_in = static_cast<uInt>(content.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

class StreamInput final : public InflateInput {
 public:
  explicit StreamInput(const std::string& data) : m_data(data) {}
  int32_t Fill(uint8_t* buffer, int32_t capacity) override {
    const size_t n = std::min(m_data.size() - m_at, static_cast<size_t>(capacity));
    std::memcpy(buffer, m_data.data() + m_at, n);
    m_at += n;
    return static_cast<int32_t>(n);
  }

 private:
  const std::string& m_data;
  size_t m_at = 0;
};

// Like the stub's file output: each window is copied out once.
class BufferOutput final : public InflateOutput {
 public:
  explicit BufferOutput(std::string& buffer) : m_buffer(buffer) {}
  bool Write(const uint8_t* data, int32_t size) override {
    std::memcpy(m_buffer.data() + m_at, data, static_cast<size_t>(size));
    m_at += static_cast<size_t>(size);
    return true;
  }
  size_t m_at = 0;

 private:
  std::string& m_buffer;
};

template <typename Run>
double BestSeconds(double budget, Run run) {
  double best = 1e9;
  const auto start = std::chrono::steady_clock::now();
  for (int round = 0;; ++round) {
    const auto t0 = std::chrono::steady_clock::now();
    run();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (seconds < best) best = seconds;
    if (round >= 2 && std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() > budget) break;
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  const double budget = argc > 1 ? std::atof(argv[1]) : 1.0;
  auto inflater = std::make_unique<Inflater>();
  std::printf("| content | level | size | deflated | ours MB/s | zlib MB/s | ours/zlib |\n");
  std::printf("|---|---|---|---|---|---|---|\n");
  for (const char* kind : {"text", "code", "mixed"}) {
    const std::string content = Content(kind);
    for (int level : {1, 6, 9}) {
      const std::string stream = Deflate(content, level);
      std::string ours(content.size(), '\0');
      std::string theirs(content.size(), '\0');
      const double oursSeconds = BestSeconds(budget, [&] {
        StreamInput input(stream);
        BufferOutput output(ours);
        if (inflater->Run(input, output, static_cast<uint32_t>(content.size())) != InflateResult::Ok) std::abort();
      });
      const double zlibSeconds = BestSeconds(budget, [&] {
        z_stream z{};
        inflateInit2(&z, -15);
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.data()));
        z.avail_in = static_cast<uInt>(stream.size());
        z.next_out = reinterpret_cast<Bytef*>(theirs.data());
        z.avail_out = static_cast<uInt>(theirs.size());
        if (inflate(&z, Z_FINISH) != Z_STREAM_END) std::abort();
        inflateEnd(&z);
      });
      if (ours != content || theirs != content) {
        std::printf("mismatch for %s level %d\n", kind, level);
        return 1;
      }
      const double mb = static_cast<double>(content.size()) / 1e6;
      std::printf("| %s | %d | %.1f MB | %.2f MB | %.0f | %.0f | %.2f |\n", kind, level, mb,
                  static_cast<double>(stream.size()) / 1e6, mb / oursSeconds, mb / zlibSeconds,
                  zlibSeconds / oursSeconds);
    }
  }
  return 0;
}
