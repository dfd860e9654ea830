// The code-file reader on arbitrary bytes in all three modes, then the decoding of every
// line it delivered (as the runtime and the dump tool do).
//   byte 0: 0 plain header, 1 XOR header, 2 cipher header, else the bytes are the file;
//   bytes 1..11: the mode bytes; the rest: the records as stored.

#include <cstdint>
#include <vector>

#include "engine/program_store.h"
#include "toolchain/code_dump.h"
#include "toolchain/code_file.h"
#include "toolchain/code_lines.h"

namespace {

class FixedRandom : public talven::RandomSource {
 public:
  FixedRandom(const uint8_t* bytes, size_t size) : m_bytes(bytes), m_size(size) {}
  uint8_t Next(uint8_t low, uint8_t high) override {
    const uint8_t byte = m_pos < m_size ? m_bytes[m_pos++] : 0;
    return static_cast<uint8_t>(low + byte % (high - low + 1));
  }

 private:
  const uint8_t* m_bytes;
  size_t m_size;
  size_t m_pos = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> file;
  if (size >= 12 && data[0] < 3) {
    FixedRandom random(data + 1, 11);
    const auto mode = data[0] == 0   ? talven::ScrambleMode::Plain
                      : data[0] == 1 ? talven::ScrambleMode::Xor
                                     : talven::ScrambleMode::Cipher;
    const auto header = talven::MakeCodeHeader(mode, random);
    file.assign(header.begin(), header.end());
    file.insert(file.end(), data + 12, data + size);
  } else {
    file.assign(data, data + size);
  }
  talven::MemoryByteSource source(file);
  const talven::CodeFileContent content = talven::ReadCodeFile(source);
  if (content.error == talven::ErrorCode::None) {
    if (content.lines.size() > 65535) __builtin_trap();
    for (const talven::CodeLine& line : content.lines) {
      if (line.body.size() > 254) __builtin_trap();
    }
  }
  talven::ProgramStore store;
  talven::StoreCodeLines(content.lines, store);
  for (int32_t n = 1; n <= store.LineCount(); ++n) {
    const int32_t target = store.Line(n).procedureLine;
    if (target < 0 || target > store.LineCount()) __builtin_trap();
  }
  (void)talven::DumpCodeFile(content);
  return 0;
}
