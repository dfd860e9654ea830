#include <algorithm>
#include <cstring>

#include "engine/keywords.h"
#include "engine/limits.h"
#include "toolchain/code_file.h"

namespace talven {

namespace {

constexpr uint8_t kOperatorPrefix = 0x15;
constexpr uint8_t kProgEndCode = kCodeProgEnd;

bool HasBytes(const std::array<uint8_t, kCodeHeaderSize>& header, size_t offset,
              std::string_view text) {
  return std::memcmp(header.data() + offset, text.data(), text.size()) == 0;
}

}  // namespace

size_t MemoryByteSource::Read(uint8_t* buffer, size_t count) {
  const size_t n = std::min(count, m_bytes.size() - m_position);
  if (n > 0) std::memcpy(buffer, m_bytes.data() + m_position, n);
  m_position += n;
  return n;
}

CodeFileContent ReadCodeFile(ByteSource& source) {
  CodeFileContent content;
  std::array<uint8_t, kCodeHeaderSize>& header = content.header;
  // The header must name the format.
  if (source.Read(header.data(), header.size()) != header.size() || source.Failed() ||
      !HasBytes(header, 1, "ZUL-TALVEN")) {
    content.error = ErrorCode::NotACodeFile;
    return content;
  }
  // The scrambling mode, tested in this order.
  const std::span<const uint8_t, 12> r(header.data() + kModeBytesOffset, 12);
  uint8_t x = 0;
  std::unique_ptr<CodeFileCipher> cipher;
  if (header[20] == ' ' && header[21] == ' ') {
    content.mode = ScrambleMode::Plain;
  } else if (HasBytes(header, 1, "ZUL-TALVEN6")) {
    content.mode = ScrambleMode::Cipher;
    cipher = std::make_unique<CodeFileCipher>(r.first(kKeySize));
  } else if (HasBytes(header, 1, "ZUL-TALVEN5")) {
    content.mode = ScrambleMode::Xor;
    x = XorByteOf(r);
  } else {
    // Files of another version character: the older XOR byte.
    content.mode = ScrambleMode::Xor;
    x = static_cast<uint8_t>(header[20] | header[21]);
  }
  // Records up to the end of the file: a length byte, then the scrambled body.
  uint8_t buffer[256];
  for (;;) {
    uint8_t length = 0;
    const size_t got = source.Read(&length, 1);
    if (source.Failed()) {
      content.error = ErrorCode::CodeFileDamaged;
      break;
    }
    if (got == 0) break;
    if (length > kMaxBodyLength) {
      content.error = ErrorCode::LineTooLong;
      break;
    }
    if (content.lines.size() >= static_cast<size_t>(kMaxProgramLines)) {
      content.error = ErrorCode::TooManyLines;
      break;
    }
    if (source.Read(buffer, length) != length || source.Failed()) {
      content.error = ErrorCode::CodeFileDamaged;
      break;
    }
    CodeLine line;
    line.body.reserve(length);
    for (size_t i = 0; i < length; ++i) {
      uint8_t byte = buffer[i] ^ x;
      if (cipher) byte = cipher->Decipher(byte);
      line.body.push_back(static_cast<char>(byte));
    }
    // A leading flag byte marks a line whose text holds operators.
    if (!line.body.empty() && static_cast<uint8_t>(line.body.front()) == kOperatorPrefix) {
      line.hasOperators = true;
      line.body.erase(0, 1);
    }
    // PROGEND ends the program; later records are never read.
    const bool progEnd =
        !line.body.empty() && static_cast<uint8_t>(line.body.front()) == kProgEndCode;
    content.lines.push_back(std::move(line));
    if (progEnd) break;
  }
  if (cipher) cipher->Wipe();
  if (content.error != ErrorCode::None) content.lines.clear();
  return content;
}

}  // namespace talven
