#include <cstring>

#include "toolchain/code_file.h"

namespace talven {

namespace {

constexpr char kMagicPlain[] = "ZUL-TALVEN5 DATEI";
constexpr char kMagicCipher[] = "ZUL-TALVEN6 DATEI";
constexpr size_t kMagicLength = 17;

}  // namespace

std::array<uint8_t, kCodeHeaderSize> MakeCodeHeader(ScrambleMode mode, RandomSource& random) {
  std::array<uint8_t, kCodeHeaderSize> header{};
  header[0] = ' ';
  std::memcpy(header.data() + 1, mode == ScrambleMode::Cipher ? kMagicCipher : kMagicPlain,
              kMagicLength);
  // The end-of-file character: a text listing of the file shows only the magic.
  header[18] = 0x1A;
  uint8_t* r = header.data() + kModeBytesOffset;
  for (size_t i = 0; i < 12; ++i) r[i] = ' ';
  if (mode == ScrambleMode::Xor) {
    for (size_t i = 0; i <= 6; ++i) r[i] = random.Next(0, 255);
    for (size_t i = 7; i <= 10; ++i) r[i] = random.Next(0, 6);
  } else if (mode == ScrambleMode::Cipher) {
    for (size_t i = 0; i < kKeySize; ++i) r[i] = random.Next(1, 255);
  }
  header[31] = 0;
  return header;
}

uint8_t XorByteOf(std::span<const uint8_t, 12> r) {
  // Deliberate: blanks in R[1] and R[2] mean "no scrambling"; the reader takes such a file
  // for a plain one.
  if (r[1] == ' ' && r[2] == ' ') return 0;
  auto at = [&r](uint8_t index) { return r[index % kKeySize]; };
  return static_cast<uint8_t>((at(r[8]) | at(r[10])) & (at(r[7]) | at(r[9])));
}

CodeFileWriter::CodeFileWriter(const std::array<uint8_t, kCodeHeaderSize>& header) {
  const std::span<const uint8_t, 12> r(header.data() + kModeBytesOffset, 12);
  if (header[11] == '6') {
    m_mode = ScrambleMode::Cipher;
    m_cipher = std::make_unique<CodeFileCipher>(r.first(kKeySize));
  } else if (r[1] == ' ' && r[2] == ' ') {
    m_mode = ScrambleMode::Plain;
  } else {
    m_mode = ScrambleMode::Xor;
    m_xor = XorByteOf(r);
  }
}

std::string CodeFileWriter::Record(std::string_view body) {
  std::string record;
  record.reserve(body.size() + 1);
  record.push_back(static_cast<char>(body.size()));
  for (char c : body) {
    uint8_t byte = static_cast<uint8_t>(c);
    if (m_mode == ScrambleMode::Xor) byte ^= m_xor;
    if (m_mode == ScrambleMode::Cipher) byte = m_cipher->Encipher(byte);
    record.push_back(static_cast<char>(byte));
  }
  return record;
}

void CodeFileWriter::Finish() {
  if (m_cipher) m_cipher->Wipe();
  m_xor = 0;
}

}  // namespace talven
