#pragma once
// The code file: a 32-byte header, then one record per program line (a length byte and the
// line body, scrambled in XOR and cipher mode). Writer and reader are mirror files
// (code_file_writer.cpp, code_file_reader.cpp); both are pure: bytes in, bytes out.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "engine/error_codes.h"
#include "toolchain/blowfish.h"

namespace talven {

enum class ScrambleMode { Plain, Xor, Cipher };

inline constexpr size_t kCodeHeaderSize = 32;
inline constexpr size_t kModeBytesOffset = 19;
inline constexpr size_t kKeySize = 11;  // R[0..10]; R[11] is always a blank
inline constexpr size_t kMaxBodyLength = 254;

// The random numbers a header needs: Next(low, high) draws uniformly from low..high.
class RandomSource {
 public:
  virtual ~RandomSource() = default;
  virtual uint8_t Next(uint8_t low, uint8_t high) = 0;
};

// The header for `mode`, drawing the mode bytes (XOR mode: R[0..6] from 0..255, R[7..10]
// from 0..6; cipher mode: the key, each byte from 1..255).
std::array<uint8_t, kCodeHeaderSize> MakeCodeHeader(ScrambleMode mode, RandomSource& random);

// The XOR byte of the writer's XOR mode, from the 12 mode bytes R[0..11]. The indices
// R[7..10] are taken modulo the 11 key bytes, so a foreign header never reads outside them.
uint8_t XorByteOf(std::span<const uint8_t, 12> modeBytes);

// Scrambles line bodies in file order and frames them as records.
class CodeFileWriter {
 public:
  explicit CodeFileWriter(const std::array<uint8_t, kCodeHeaderSize>& header);
  // The record of one body (at most 254 bytes): the length byte and the scrambled body.
  std::string Record(std::string_view body);
  // After the last record: the key state is overwritten with zeros.
  void Finish();

 private:
  ScrambleMode m_mode;
  uint8_t m_xor = 0;
  std::unique_ptr<CodeFileCipher> m_cipher;
};

// Where the reader takes its bytes: Read returns how many it delivered (fewer at the end
// of the file); `failed` tells a read error from the end.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual size_t Read(uint8_t* buffer, size_t count) = 0;
  virtual bool Failed() const { return false; }
};

struct CodeLine {
  bool hasOperators = false;
  std::string body;  // statement code and encoded parameter text, unscrambled
};

struct CodeFileContent {
  // None, TooManyLines, LineTooLong, NotACodeFile or CodeFileDamaged.
  ErrorCode error = ErrorCode::None;
  ScrambleMode mode = ScrambleMode::Plain;
  std::array<uint8_t, kCodeHeaderSize> header{};
  std::vector<CodeLine> lines;
};

// Reads a whole code file from `source` (positioned at its first byte).
CodeFileContent ReadCodeFile(ByteSource& source);

// A ByteSource over bytes in memory.
class MemoryByteSource : public ByteSource {
 public:
  explicit MemoryByteSource(std::span<const uint8_t> bytes) : m_bytes(bytes) {}
  size_t Read(uint8_t* buffer, size_t count) override;

 private:
  std::span<const uint8_t> m_bytes;
  size_t m_position = 0;
};

}  // namespace talven
