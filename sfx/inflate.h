#pragma once
// Deflate decoding with its own buffers: a 32 KiB input buffer refilled from an entry, and a
// 32 KiB sliding window handed to the output each time it is full.

#include <cstdint>

namespace talven::sfx {

enum class InflateResult {
  Ok,
  Truncated,        // the entry's data ended before the last block did
  BadBlockType,
  BadStoredLength,  // a stored block whose length and its complement disagree
  BadCodeLengths,   // over-subscribed, incomplete or overflowing code lengths
  BadCode,          // a code that no table entry stands for
  BadDistance,      // a distance reaching before the start of the output
  TooLong,          // the output would grow past the entry's size
  ReadFailed,
  WriteFailed,
};

class InflateInput {
 public:
  // Fills buffer with up to capacity bytes; 0 at the end of the entry's data, < 0 on failure.
  virtual int32_t Fill(uint8_t* buffer, int32_t capacity) = 0;

 protected:
  ~InflateInput() = default;
};

class InflateOutput {
 public:
  virtual bool Write(const uint8_t* data, int32_t size) = 0;

 protected:
  ~InflateOutput() = default;
};

// One decoding-table entry. kind: 0 literal (or code-length symbol), 1..15 link to a
// second-level table of that many bits, 16 + n a length or distance base with n extra bits,
// kEndOfBlock, kInvalid. bits: how many bits this level consumes.
struct HuffmanEntry {
  uint8_t kind;
  uint8_t bits;
  uint16_t value;
};

inline constexpr int32_t kInflateInputSize = 32768;
inline constexpr int32_t kInflateWindowSize = 32768;
inline constexpr int32_t kLiteralRootBits = 9;
inline constexpr int32_t kDistanceRootBits = 6;
inline constexpr int32_t kCodeLengthRootBits = 7;
inline constexpr int32_t kFixedLiteralRootBits = 7;
inline constexpr int32_t kFixedDistanceRootBits = 5;
// Room for the largest complete codes with these first-level sizes, with a margin.
inline constexpr int32_t kLiteralTableSize = 1444;
inline constexpr int32_t kDistanceTableSize = 1184;
inline constexpr int32_t kCodeLengthTableSize = 128;

enum class CodeKind { CodeLengths, LiteralLength, Distance };

// Builds a two-level table from code lengths. False for over-subscribed codes and for
// incomplete ones (except a single distance code of one bit, which deflate allows).
bool BuildHuffmanTable(CodeKind kind, const uint8_t* lengths, int32_t count, int32_t rootBits,
                       HuffmanEntry* table, int32_t capacity);

class Inflater {
 public:
  Inflater();
  // Decodes one entry's deflate stream; the output never exceeds outputLimit bytes.
  InflateResult Run(InflateInput& input, InflateOutput& output, uint32_t outputLimit);
  uint32_t TotalOut() const { return m_flushed + static_cast<uint32_t>(m_position); }

 private:
  bool Refill();
  bool Need(int32_t bits);
  bool Flush();
  InflateResult Stored();
  InflateResult Dynamic();
  bool FastCodes(const HuffmanEntry* literals, uint32_t literalMask, const HuffmanEntry* distances,
                 uint32_t distanceMask, InflateResult& result);
  InflateResult Codes(const HuffmanEntry* literals, int32_t literalBits,
                      const HuffmanEntry* distances, int32_t distanceBits);
  InflateResult DecodeSymbol(const HuffmanEntry* table, int32_t rootBits, HuffmanEntry& entry);

  using BitHold = uint64_t;

  InflateInput* m_input = nullptr;
  InflateOutput* m_output = nullptr;
  const uint8_t* m_next = nullptr;
  const uint8_t* m_end = nullptr;
  bool m_inputEnded = false;
  bool m_readFailed = false;
  BitHold m_hold = 0;
  int32_t m_bitCount = 0;
  int32_t m_position = 0;    // next write position in the window
  uint32_t m_flushed = 0;    // bytes already handed to the output
  uint32_t m_limit = 0;
  bool m_fixedBuilt = false;

  uint8_t m_buffer[kInflateInputSize + 2];
  // The window carries a tail so that a match may be copied in 8-byte steps past its end.
  uint8_t m_window[kInflateWindowSize + 16];
  uint8_t m_lengths[320];
  HuffmanEntry m_literalTable[kLiteralTableSize];
  HuffmanEntry m_distanceTable[kDistanceTableSize];
  HuffmanEntry m_codeLengthTable[kCodeLengthTableSize];
  HuffmanEntry m_fixedLiteralTable[kLiteralTableSize];
  HuffmanEntry m_fixedDistanceTable[32];
};

}  // namespace talven::sfx
