// libFuzzer target: any byte string as a deflate stream. The inflater must end, stay inside
// its buffers and never give more than the limit.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "sfx/inflate.h"

namespace {

using namespace talven::sfx;

class BytesInput final : public InflateInput {
 public:
  BytesInput(const uint8_t* data, size_t size, size_t piece) : m_data(data), m_size(size), m_piece(piece) {}
  int32_t Fill(uint8_t* buffer, int32_t capacity) override {
    size_t n = m_size - m_at;
    if (n > m_piece) n = m_piece;
    if (n > static_cast<size_t>(capacity)) n = static_cast<size_t>(capacity);
    std::memcpy(buffer, m_data + m_at, n);
    m_at += n;
    return static_cast<int32_t>(n);
  }

 private:
  const uint8_t* m_data;
  size_t m_size;
  size_t m_piece;
  size_t m_at = 0;
};

class CountingOutput final : public InflateOutput {
 public:
  bool Write(const uint8_t* data, int32_t size) override {
    if (size <= 0 || size > kInflateWindowSize) std::abort();
    total += static_cast<uint32_t>(size);
    checksum += data[0] + data[size - 1];
    return true;
  }
  uint32_t total = 0;
  uint32_t checksum = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static auto* inflater = new Inflater();
  if (size < 2) return 0;
  // The first byte picks how the input arrives and how much output is allowed.
  const size_t piece = 1 + data[0] % 64 * 512;
  const uint32_t limit = 1u << (data[0] % 20);
  BytesInput input(data + 1, size - 1, piece);
  CountingOutput output;
  inflater->Run(input, output, limit);
  if (output.total > limit || inflater->TotalOut() > limit) std::abort();
  return 0;
}
