// The -lh4-/-lh5- decoder. The data is a row of blocks; each block starts with its symbol
// count (16 bits) and three code-length tables: the "pre-tree" of 19 symbols that codes the
// literal/length lengths, the literal/length code of 510 symbols (0-255 bytes, 256-509
// match lengths 3-256) and the offset code of 14 symbols (bit counts of the distance).
// Codes are canonical: shorter codes first, equal lengths in symbol order. Every table is
// checked before use, so a hostile archive ends as "damaged" and never reads or writes out
// of bounds.

#include "installer/lha_decoder.h"

#include <cstring>

namespace talven::installer {
namespace {

constexpr int32_t kMaxCodeLength = 16;
constexpr int32_t kFastBits = 10;
constexpr int32_t kLiteralSymbols = 510;  // 256 bytes + 254 lengths
constexpr int32_t kPreTreeSymbols = 19;
constexpr int32_t kOffsetSymbols = 14;
constexpr int32_t kMinMatch = 3;
constexpr int32_t kInputPiece = 4096;

// One canonical code, with a lookup of the first kFastBits bits for the short codes.
struct HuffmanCode {
  int32_t single = -1;  // the only symbol of a zero-bit code, else -1
  uint16_t count[kMaxCodeLength + 1] = {};
  uint16_t symbols[kLiteralSymbols] = {};
  uint16_t fast[1 << kFastBits] = {};  // symbol | length << 9; 0 = take the slow path
};

// Builds the code from lengths[0 .. symbolCount). Over-subscribed lengths are damaged data;
// an incomplete code is accepted and its unused bit patterns are rejected when met.
bool BuildCode(HuffmanCode& code, const uint8_t* lengths, int32_t symbolCount) {
  code.single = -1;
  std::memset(code.count, 0, sizeof(code.count));
  for (int32_t s = 0; s < symbolCount; ++s) ++code.count[lengths[s]];
  code.count[0] = 0;
  int32_t left = 1;
  for (int32_t len = 1; len <= kMaxCodeLength; ++len) {
    left <<= 1;
    left -= code.count[len];
    if (left < 0) return false;
  }
  uint16_t offsets[kMaxCodeLength + 2];
  offsets[1] = 0;
  for (int32_t len = 1; len <= kMaxCodeLength; ++len) offsets[len + 1] = static_cast<uint16_t>(offsets[len] + code.count[len]);
  for (int32_t s = 0; s < symbolCount; ++s) {
    if (lengths[s] != 0) code.symbols[offsets[lengths[s]]++] = static_cast<uint16_t>(s);
  }
  std::memset(code.fast, 0, sizeof(code.fast));
  uint32_t next = 0;
  int32_t index = 0;
  for (int32_t len = 1; len <= kFastBits; ++len) {
    for (int32_t i = 0; i < code.count[len]; ++i, ++index, ++next) {
      const uint32_t first = next << (kFastBits - len);
      const uint32_t span = 1u << (kFastBits - len);
      const uint16_t entry = static_cast<uint16_t>(code.symbols[index] | (len << 9));
      for (uint32_t k = 0; k < span; ++k) code.fast[first + k] = entry;
    }
    next <<= 1;
  }
  return true;
}

class Decoder {
 public:
  Decoder(int32_t dictionaryBits, ByteSource& in, uint64_t packedSize, ByteSink& out)
      : m_in(in), m_out(out), m_packedLeft(packedSize), m_windowSize(1u << dictionaryBits) {}

  DecodeStatus Run(uint64_t originalSize);

 private:
  uint32_t Peek(int32_t count) {  // count <= 32
    Refill();
    return static_cast<uint32_t>(m_acc >> (64 - count));
  }
  void Skip(int32_t count) {
    m_acc <<= count;
    m_have -= count;
  }
  uint32_t Bits(int32_t count) {
    if (count == 0) return 0;
    const uint32_t value = Peek(count);
    Skip(count);
    return value;
  }
  void Refill() {
    while (m_have <= 56) {
      m_acc |= static_cast<uint64_t>(NextByte()) << (56 - m_have);
      m_have += 8;
    }
  }
  uint8_t NextByte();
  int32_t Decode(const HuffmanCode& code);
  bool ReadLengths(int32_t symbolCount, int32_t countBits, int32_t special, HuffmanCode& code);
  bool ReadLiteralLengths();
  bool StartBlock();
  bool Put(uint8_t byte);
  // Pad bits consumed past the member's data mean the data ended too early.
  bool OverRun() const { return m_padBytes * 8 > m_have; }

  ByteSource& m_in;
  ByteSink& m_out;
  uint64_t m_packedLeft;
  uint8_t m_input[kInputPiece];
  int32_t m_inputPos = 0;
  int32_t m_inputEnd = 0;
  bool m_readFailed = false;
  int64_t m_padBytes = 0;
  uint64_t m_acc = 0;
  int32_t m_have = 0;

  uint32_t m_windowSize;
  uint8_t m_window[1 << kLh5DictionaryBits];
  uint32_t m_windowPos = 0;
  bool m_writeFailed = false;

  uint32_t m_blockLeft = 0;
  uint8_t m_lengths[kLiteralSymbols];
  HuffmanCode m_preTree;
  HuffmanCode m_literals;
  HuffmanCode m_offsets;
};

uint8_t Decoder::NextByte() {
  if (m_inputPos == m_inputEnd) {
    m_inputPos = m_inputEnd = 0;
    if (m_packedLeft > 0 && !m_readFailed) {
      const int32_t want = m_packedLeft < kInputPiece ? static_cast<int32_t>(m_packedLeft) : kInputPiece;
      const int32_t got = m_in.Read(m_input, want);
      if (got <= 0) {
        m_readFailed = true;  // a truncated archive: what is missing reads as padding
      } else {
        m_inputEnd = got > want ? want : got;
        m_packedLeft -= static_cast<uint64_t>(m_inputEnd);
      }
    }
    if (m_inputEnd == 0) {
      ++m_padBytes;
      return 0;
    }
  }
  return m_input[m_inputPos++];
}

int32_t Decoder::Decode(const HuffmanCode& code) {
  if (code.single >= 0) return code.single;
  const uint32_t bits = Peek(kMaxCodeLength);
  const uint16_t entry = code.fast[bits >> (kMaxCodeLength - kFastBits)];
  if (entry != 0) {
    Skip(entry >> 9);
    return entry & 0x1FF;
  }
  // Codes longer than the lookup: walk the canonical code a bit at a time.
  int32_t first = 0, index = 0, value = 0;
  for (int32_t len = 1; len <= kMaxCodeLength; ++len) {
    value |= static_cast<int32_t>((bits >> (kMaxCodeLength - len)) & 1);
    const int32_t count = code.count[len];
    if (value - first < count) {
      Skip(len);
      return code.symbols[index + value - first];
    }
    index += count;
    first = (first + count) << 1;
    value <<= 1;
  }
  return -1;  // a bit pattern the code leaves unused
}

// The lengths of the pre-tree (with the two-bit zero run after symbol `special`) or of the
// offset code: 3 bits each, 7 meaning "7 plus the ones that follow, up to a zero".
bool Decoder::ReadLengths(int32_t symbolCount, int32_t countBits, int32_t special, HuffmanCode& code) {
  const int32_t n = static_cast<int32_t>(Bits(countBits));
  if (n == 0) {
    const int32_t only = static_cast<int32_t>(Bits(countBits));
    if (only >= symbolCount) return false;
    code.single = only;
    return true;
  }
  if (n > symbolCount) return false;
  int32_t i = 0;
  while (i < n) {
    int32_t len = static_cast<int32_t>(Peek(3));
    if (len == 7) {
      const uint32_t rest = Peek(32) << 3;
      int32_t ones = 0;
      while (ones < 29 && (rest & (0x80000000u >> ones))) ++ones;
      len += ones;
      if (len > kMaxCodeLength) return false;
      Skip(3 + ones + 1);
    } else {
      Skip(3);
    }
    m_lengths[i++] = static_cast<uint8_t>(len);
    if (i == special) {
      const int32_t zeros = static_cast<int32_t>(Bits(2));
      if (i + zeros > symbolCount) return false;
      for (int32_t k = 0; k < zeros; ++k) m_lengths[i++] = 0;
    }
  }
  while (i < symbolCount) m_lengths[i++] = 0;
  return BuildCode(code, m_lengths, symbolCount);
}

// The literal/length lengths, coded with the pre-tree: symbols 0-2 are runs of zero lengths
// (1; 3-18; 20-531), symbol s >= 3 is the length s - 2.
bool Decoder::ReadLiteralLengths() {
  const int32_t n = static_cast<int32_t>(Bits(9));
  if (n == 0) {
    const int32_t only = static_cast<int32_t>(Bits(9));
    if (only >= kLiteralSymbols) return false;
    m_literals.single = only;
    return true;
  }
  if (n > kLiteralSymbols) return false;
  int32_t i = 0;
  while (i < n) {
    const int32_t s = Decode(m_preTree);
    if (s < 0) return false;
    if (s <= 2) {
      const int32_t zeros = s == 0 ? 1 : s == 1 ? static_cast<int32_t>(Bits(4)) + 3 : static_cast<int32_t>(Bits(9)) + 20;
      if (i + zeros > kLiteralSymbols) return false;
      for (int32_t k = 0; k < zeros; ++k) m_lengths[i++] = 0;
    } else {
      m_lengths[i++] = static_cast<uint8_t>(s - 2);
    }
  }
  while (i < kLiteralSymbols) m_lengths[i++] = 0;
  return BuildCode(m_literals, m_lengths, kLiteralSymbols);
}

bool Decoder::StartBlock() {
  m_blockLeft = Bits(16);
  if (m_blockLeft == 0) return false;
  return ReadLengths(kPreTreeSymbols, 5, 3, m_preTree) && ReadLiteralLengths() &&
         ReadLengths(kOffsetSymbols, 4, -1, m_offsets) && !OverRun();
}

bool Decoder::Put(uint8_t byte) {
  m_window[m_windowPos++] = byte;
  if (m_windowPos == m_windowSize) {
    if (!m_out.Write(m_window, static_cast<int32_t>(m_windowSize))) {
      m_writeFailed = true;
      return false;
    }
    m_windowPos = 0;
  }
  return true;
}

DecodeStatus Decoder::Run(uint64_t originalSize) {
  uint64_t done = 0;
  while (done < originalSize) {
    if (m_blockLeft == 0 && !StartBlock()) return DecodeStatus::Damaged;
    --m_blockLeft;
    // Past the member's data only padding comes: a stream that goes on reading there is
    // damaged, however large the size it claims.
    if (m_padBytes > 0 && OverRun()) return DecodeStatus::Damaged;
    const int32_t s = Decode(m_literals);
    if (s < 0) return DecodeStatus::Damaged;
    if (s < 256) {
      if (!Put(static_cast<uint8_t>(s))) return DecodeStatus::WriteFailed;
      ++done;
      continue;
    }
    const uint32_t length = static_cast<uint32_t>(s - 256 + kMinMatch);
    int32_t bitCount = Decode(m_offsets);
    if (bitCount < 0) return DecodeStatus::Damaged;
    uint32_t distance = bitCount <= 1 ? static_cast<uint32_t>(bitCount)
                                      : (1u << (bitCount - 1)) + Bits(bitCount - 1);
    ++distance;
    // A match may reach neither before the first byte nor past the declared size.
    if (distance > done || distance > m_windowSize || length > originalSize - done) return DecodeStatus::Damaged;
    uint32_t from = (m_windowPos - distance) & (m_windowSize - 1);
    for (uint32_t k = 0; k < length; ++k) {
      if (!Put(m_window[from])) return DecodeStatus::WriteFailed;
      from = (from + 1) & (m_windowSize - 1);
    }
    done += length;
  }
  if (OverRun()) return DecodeStatus::Damaged;
  if (m_windowPos > 0 && !m_out.Write(m_window, static_cast<int32_t>(m_windowPos))) return DecodeStatus::WriteFailed;
  return DecodeStatus::Ok;
}

}  // namespace

DecodeStatus CopyStored(ByteSource& in, uint64_t packedSize, ByteSink& out, uint64_t originalSize) {
  if (packedSize != originalSize) return DecodeStatus::Damaged;
  uint8_t buffer[kInputPiece];
  while (packedSize > 0) {
    const int32_t want = packedSize < kInputPiece ? static_cast<int32_t>(packedSize) : kInputPiece;
    const int32_t got = in.Read(buffer, want);
    if (got <= 0 || got > want) return DecodeStatus::Damaged;
    if (!out.Write(buffer, got)) return DecodeStatus::WriteFailed;
    packedSize -= static_cast<uint64_t>(got);
  }
  return DecodeStatus::Ok;
}

DecodeStatus DecodeLhStatic(int32_t dictionaryBits, ByteSource& in, uint64_t packedSize, ByteSink& out,
                            uint64_t originalSize) {
  if (dictionaryBits != kLh4DictionaryBits && dictionaryBits != kLh5DictionaryBits) return DecodeStatus::Damaged;
  // About 36 KB: too much for the stack of a small stub thread, so it lives on the heap.
  Decoder* decoder = new Decoder(dictionaryBits, in, packedSize, out);
  const DecodeStatus status = decoder->Run(originalSize);
  delete decoder;
  return status;
}

}  // namespace talven::installer
