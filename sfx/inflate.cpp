#include "sfx/inflate.h"

#include <cstring>

#include "common/bytes.h"

namespace talven::sfx {
namespace {

constexpr uint8_t kEndOfBlock = 32;
constexpr uint8_t kInvalid = 64;
constexpr uint8_t kBaseKind = 16;  // 16 + number of extra bits
constexpr int32_t kMaxMatch = 258;

constexpr uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                      31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                      2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr uint16_t kDistanceBase[30] = {1,    2,    3,    4,    5,    7,     9,     13,    17,  25,
                                        33,   49,   65,   97,   129,  193,   257,   385,   513, 769,
                                        1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                        6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
// The order in which a dynamic block sends the lengths of the code-length code.
constexpr uint8_t kCodeLengthOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5,
                                          11, 4,  12, 3, 13, 2, 14, 1, 15};

HuffmanEntry EntryFor(CodeKind kind, int32_t symbol) {
  const auto value = static_cast<uint16_t>(symbol);
  switch (kind) {
    case CodeKind::CodeLengths:
      return {0, 0, value};
    case CodeKind::LiteralLength:
      if (symbol < 256) return {0, 0, value};
      if (symbol == 256) return {kEndOfBlock, 0, 0};
      if (symbol < 286) {
        return {static_cast<uint8_t>(kBaseKind + kLengthExtra[symbol - 257]), 0,
                kLengthBase[symbol - 257]};
      }
      return {kInvalid, 0, 0};
    case CodeKind::Distance:
      if (symbol < 30) {
        return {static_cast<uint8_t>(kBaseKind + kDistanceExtra[symbol]), 0, kDistanceBase[symbol]};
      }
      return {kInvalid, 0, 0};
  }
  return {kInvalid, 0, 0};
}

uint32_t Reversed(uint32_t code, int32_t length) {
  uint32_t out = 0;
  for (int32_t i = 0; i < length; ++i) {
    out = (out << 1) | (code & 1);
    code >>= 1;
  }
  return out;
}

}  // namespace

// Codes are assigned in canonical order (by length, then by symbol). Deflate sends codes
// starting with their first bit, so a table index is the code with its bits reversed.
// Codes up to rootBits long are replicated over the first level; longer ones get a second-
// level table per shared first-level prefix, sized just large enough for the codes that
// share it.
bool BuildHuffmanTable(CodeKind kind, const uint8_t* lengths, int32_t count, int32_t rootBits,
                       HuffmanEntry* table, int32_t capacity) {
  int32_t perLength[16] = {};
  for (int32_t i = 0; i < count; ++i) {
    if (lengths[i] > 15) return false;
    ++perLength[lengths[i]];
  }
  perLength[0] = 0;
  int32_t maxLength = 15;
  while (maxLength > 0 && perLength[maxLength] == 0) --maxLength;

  const int32_t rootSize = 1 << rootBits;
  if (rootSize > capacity || count > 320) return false;
  // Every slot that no code reaches decodes as an invalid code.
  for (int32_t i = 0; i < rootSize; ++i) table[i] = {kInvalid, 1, 0};
  if (maxLength == 0) return true;

  int32_t left = 1;
  for (int32_t length = 1; length <= 15; ++length) {
    left = (left << 1) - perLength[length];
    if (left < 0) return false;  // over-subscribed
  }
  if (left > 0 && (kind == CodeKind::CodeLengths || maxLength != 1)) return false;  // incomplete

  uint16_t offsets[16] = {};
  for (int32_t length = 1; length < 15; ++length) {
    offsets[length + 1] = static_cast<uint16_t>(offsets[length] + perLength[length]);
  }
  uint16_t sorted[320];
  for (int32_t symbol = 0; symbol < count; ++symbol) {
    if (lengths[symbol] != 0) sorted[offsets[lengths[symbol]]++] = static_cast<uint16_t>(symbol);
  }

  int32_t remaining[16];
  for (int32_t length = 0; length < 16; ++length) remaining[length] = perLength[length];
  int32_t used = rootSize;
  int32_t currentPrefix = -1;
  HuffmanEntry* second = nullptr;
  int32_t secondBits = 0;
  uint32_t code = 0;
  int32_t next = 0;
  for (int32_t length = 1; length <= maxLength; ++length) {
    for (int32_t n = 0; n < perLength[length]; ++n, ++code) {
      HuffmanEntry entry = EntryFor(kind, sorted[next++]);
      const uint32_t reversed = Reversed(code, length);
      if (length <= rootBits) {
        entry.bits = static_cast<uint8_t>(length);
        for (uint32_t k = reversed; k < static_cast<uint32_t>(rootSize); k += 1u << length) {
          table[k] = entry;
        }
      } else {
        const int32_t prefix = static_cast<int32_t>(reversed & (rootSize - 1));
        if (prefix != currentPrefix) {
          secondBits = length - rootBits;
          int32_t room = 1 << secondBits;
          while (secondBits + rootBits < maxLength) {
            room -= remaining[secondBits + rootBits];
            if (room <= 0) break;
            ++secondBits;
            room <<= 1;
          }
          if (used + (1 << secondBits) > capacity) return false;
          table[prefix] = {static_cast<uint8_t>(secondBits), static_cast<uint8_t>(rootBits),
                           static_cast<uint16_t>(used)};
          second = table + used;
          for (int32_t i = 0; i < (1 << secondBits); ++i) second[i] = {kInvalid, 1, 0};
          used += 1 << secondBits;
          currentPrefix = prefix;
        }
        entry.bits = static_cast<uint8_t>(length - rootBits);
        for (uint32_t k = reversed >> rootBits; k < (1u << secondBits);
             k += 1u << (length - rootBits)) {
          second[k] = entry;
        }
      }
      --remaining[length];
    }
    code <<= 1;
  }
  return true;
}

Inflater::Inflater() {
  std::memset(m_window, 0, sizeof(m_window));
}

bool Inflater::Refill() {
  if (m_inputEnded) return false;
  const int32_t got = m_input->Fill(m_buffer, kInflateInputSize);
  if (got <= 0) {
    // Deliberate: once the entry's data is used up, every further read is the end of data.
    m_readFailed = got < 0;
    m_inputEnded = true;
    return false;
  }
  m_next = m_buffer;
  m_end = m_buffer + got;
  return true;
}

bool Inflater::Need(int32_t bits) {
  while (m_bitCount < bits) {
    if (m_next == m_end && !Refill()) return false;
    m_hold |= static_cast<BitHold>(*m_next++) << m_bitCount;
    m_bitCount += 8;
  }
  return true;
}

bool Inflater::Flush() {
  if (m_position == 0) return true;
  if (!m_output->Write(m_window, m_position)) return false;
  m_flushed += static_cast<uint32_t>(m_position);
  m_position = 0;
  return true;
}

InflateResult Inflater::DecodeSymbol(const HuffmanEntry* table, int32_t rootBits,
                                     HuffmanEntry& entry) {
  const InflateResult starved = m_readFailed ? InflateResult::ReadFailed : InflateResult::Truncated;
  HuffmanEntry first;
  for (;;) {
    first = table[m_hold & ((1u << rootBits) - 1)];
    if (first.bits <= m_bitCount) break;
    if (!Need(m_bitCount + 1)) return m_readFailed ? InflateResult::ReadFailed : starved;
  }
  if (first.kind != 0 && first.kind < kBaseKind) {
    const HuffmanEntry* second = table + first.value;
    const uint32_t mask = (1u << first.kind) - 1;
    HuffmanEntry entry2;
    for (;;) {
      entry2 = second[(m_hold >> first.bits) & mask];
      if (first.bits + entry2.bits <= m_bitCount) break;
      if (!Need(m_bitCount + 1)) return m_readFailed ? InflateResult::ReadFailed : starved;
    }
    m_hold >>= first.bits;
    m_bitCount -= first.bits;
    first = entry2;
  }
  m_hold >>= first.bits;
  m_bitCount -= first.bits;
  if (first.kind == kInvalid) return InflateResult::BadCode;
  entry = first;
  return InflateResult::Ok;
}

InflateResult Inflater::Stored() {
  // A stored block starts at the next byte boundary.
  m_hold >>= m_bitCount & 7;
  m_bitCount -= m_bitCount & 7;
  // The fast refill leaves a copy of the next byte's first bits above the valid ones. The
  // copy below moves the input on without them, so they must go.
  m_hold &= (static_cast<BitHold>(1) << m_bitCount) - 1;
  if (!Need(32)) return m_readFailed ? InflateResult::ReadFailed : InflateResult::Truncated;
  uint32_t length = static_cast<uint32_t>(m_hold & 0xFFFF);
  const uint32_t complement = static_cast<uint32_t>((m_hold >> 16) & 0xFFFF);
  m_hold >>= 32;
  m_bitCount -= 32;
  if (length != (~complement & 0xFFFF)) return InflateResult::BadStoredLength;
  if (TotalOut() + length > m_limit) return InflateResult::TooLong;
  // Whole bytes still in the bit holder come first, then the buffer is copied directly.
  while (length > 0 && m_bitCount >= 8) {
    m_window[m_position++] = static_cast<uint8_t>(m_hold);
    m_hold >>= 8;
    m_bitCount -= 8;
    --length;
    if (m_position == kInflateWindowSize && !Flush()) return InflateResult::WriteFailed;
  }
  while (length > 0) {
    if (m_next == m_end && !Refill()) {
      return m_readFailed ? InflateResult::ReadFailed : InflateResult::Truncated;
    }
    uint32_t piece = static_cast<uint32_t>(m_end - m_next);
    if (piece > length) piece = length;
    const uint32_t room = static_cast<uint32_t>(kInflateWindowSize - m_position);
    if (piece > room) piece = room;
    std::memcpy(m_window + m_position, m_next, piece);
    m_next += piece;
    m_position += static_cast<int32_t>(piece);
    length -= piece;
    if (m_position == kInflateWindowSize && !Flush()) return InflateResult::WriteFailed;
  }
  return InflateResult::Ok;
}

InflateResult Inflater::Dynamic() {
  const InflateResult starved = InflateResult::Truncated;
  if (!Need(14)) return m_readFailed ? InflateResult::ReadFailed : starved;
  const int32_t literalCount = static_cast<int32_t>(m_hold & 31) + 257;
  const int32_t distanceCount = static_cast<int32_t>((m_hold >> 5) & 31) + 1;
  const int32_t codeLengthCount = static_cast<int32_t>((m_hold >> 10) & 15) + 4;
  m_hold >>= 14;
  m_bitCount -= 14;
  if (literalCount > 286 || distanceCount > 30) return InflateResult::BadCodeLengths;

  uint8_t codeLengths[19] = {};
  for (int32_t i = 0; i < codeLengthCount; ++i) {
    if (!Need(3)) return m_readFailed ? InflateResult::ReadFailed : starved;
    codeLengths[kCodeLengthOrder[i]] = static_cast<uint8_t>(m_hold & 7);
    m_hold >>= 3;
    m_bitCount -= 3;
  }
  if (!BuildHuffmanTable(CodeKind::CodeLengths, codeLengths, 19, kCodeLengthRootBits,
                         m_codeLengthTable, kCodeLengthTableSize)) {
    return InflateResult::BadCodeLengths;
  }

  const int32_t total = literalCount + distanceCount;
  int32_t filled = 0;
  while (filled < total) {
    HuffmanEntry entry;
    const InflateResult result = DecodeSymbol(m_codeLengthTable, kCodeLengthRootBits, entry);
    if (result != InflateResult::Ok) return result;
    if (entry.value < 16) {
      m_lengths[filled++] = static_cast<uint8_t>(entry.value);
      continue;
    }
    uint8_t value = 0;
    int32_t repeat = 0;
    if (entry.value == 16) {
      if (filled == 0) return InflateResult::BadCodeLengths;  // nothing to repeat
      value = m_lengths[filled - 1];
      if (!Need(2)) return m_readFailed ? InflateResult::ReadFailed : starved;
      repeat = 3 + static_cast<int32_t>(m_hold & 3);
      m_hold >>= 2;
      m_bitCount -= 2;
    } else if (entry.value == 17) {
      if (!Need(3)) return m_readFailed ? InflateResult::ReadFailed : starved;
      repeat = 3 + static_cast<int32_t>(m_hold & 7);
      m_hold >>= 3;
      m_bitCount -= 3;
    } else {
      if (!Need(7)) return m_readFailed ? InflateResult::ReadFailed : starved;
      repeat = 11 + static_cast<int32_t>(m_hold & 127);
      m_hold >>= 7;
      m_bitCount -= 7;
    }
    if (filled + repeat > total) return InflateResult::BadCodeLengths;
    while (repeat-- > 0) m_lengths[filled++] = value;
  }
  if (m_lengths[256] == 0) return InflateResult::BadCodeLengths;  // no end-of-block code
  if (!BuildHuffmanTable(CodeKind::LiteralLength, m_lengths, literalCount, kLiteralRootBits,
                         m_literalTable, kLiteralTableSize) ||
      !BuildHuffmanTable(CodeKind::Distance, m_lengths + literalCount, distanceCount,
                         kDistanceRootBits, m_distanceTable, kDistanceTableSize)) {
    return InflateResult::BadCodeLengths;
  }
  return Codes(m_literalTable, kLiteralRootBits, m_distanceTable, kDistanceRootBits);
}

// The hot loop. While at least eight input bytes are buffered and the window has room for
// the longest match, one refill gives enough bits for a whole literal or length/distance
// pair and no check is needed inside. The state lives in locals here: the window is written
// through byte pointers, which would otherwise force every member back to memory.
// Returns false when the careful path has to take over.
bool Inflater::FastCodes(const HuffmanEntry* literals, uint32_t literalMask,
                         const HuffmanEntry* distances, uint32_t distanceMask,
                         InflateResult& result) {
  BitHold hold = m_hold;
  int32_t bitCount = m_bitCount;
  const uint8_t* next = m_next;
  const uint8_t* const end = m_end;
  uint8_t* const window = m_window;
  int32_t position = m_position;
  const uint32_t flushed = m_flushed;
  uint32_t room = m_limit - (flushed + static_cast<uint32_t>(position));
  bool finished = false;
  while (end - next >= 8 && position <= kInflateWindowSize - kMaxMatch) {
    hold |= GetLittle64(next) << bitCount;
    next += (63 - bitCount) >> 3;
    bitCount |= 56;
    HuffmanEntry entry = literals[hold & literalMask];
    if (entry.kind != 0 && entry.kind < kBaseKind) {
      hold >>= entry.bits;
      bitCount -= entry.bits;
      entry = literals[entry.value + (hold & ((1u << entry.kind) - 1))];
    }
    hold >>= entry.bits;
    bitCount -= entry.bits;
    if (entry.kind == 0) {
      if (room == 0) {
        result = InflateResult::TooLong;
        finished = true;
        break;
      }
      --room;
      window[position++] = static_cast<uint8_t>(entry.value);
      // A second literal often fits in the bits still held.
      if (bitCount >= 15) {
        entry = literals[hold & literalMask];
        if (entry.kind == 0 && entry.bits <= bitCount) {
          if (room == 0) {
            result = InflateResult::TooLong;
            finished = true;
            break;
          }
          hold >>= entry.bits;
          bitCount -= entry.bits;
          --room;
          window[position++] = static_cast<uint8_t>(entry.value);
        }
      }
      continue;
    }
    if (entry.kind >= kEndOfBlock) {
      result = entry.kind == kEndOfBlock ? InflateResult::Ok : InflateResult::BadCode;
      finished = true;
      break;
    }
    const int32_t lengthExtra = entry.kind - kBaseKind;
    const uint32_t length = entry.value + static_cast<uint32_t>(hold & ((1u << lengthExtra) - 1));
    hold >>= lengthExtra;
    bitCount -= lengthExtra;
    entry = distances[hold & distanceMask];
    if (entry.kind != 0 && entry.kind < kBaseKind) {
      hold >>= entry.bits;
      bitCount -= entry.bits;
      entry = distances[entry.value + (hold & ((1u << entry.kind) - 1))];
    }
    hold >>= entry.bits;
    bitCount -= entry.bits;
    if (entry.kind == kInvalid) {
      result = InflateResult::BadCode;
      finished = true;
      break;
    }
    const int32_t distanceExtra = entry.kind - kBaseKind;
    const uint32_t distance = entry.value + static_cast<uint32_t>(hold & ((1u << distanceExtra) - 1));
    hold >>= distanceExtra;
    bitCount -= distanceExtra;
    if (distance > flushed + static_cast<uint32_t>(position)) {
      result = InflateResult::BadDistance;
      finished = true;
      break;
    }
    if (length > room) {
      result = InflateResult::TooLong;
      finished = true;
      break;
    }
    room -= length;
    uint8_t* to = window + position;
    if (distance <= static_cast<uint32_t>(position)) {
      const uint8_t* from = to - distance;
      uint32_t i = 0;
      if (distance >= 8) {
        for (; i + 8 <= length; i += 8) std::memcpy(to + i, from + i, 8);
        // The rest as one more 8-byte step ending at the match's end: the bytes it writes
        // twice get the same values, since the source lies at least 8 bytes behind.
        if (i < length && length >= 8) {
          std::memcpy(to + length - 8, from + length - 8, 8);
          i = length;
        }
      } else if (distance == 1) {
        std::memset(to, *from, length);
        i = length;
      }
      for (; i < length; ++i) to[i] = from[i];
    } else {
      // The match starts in the part of the window written before the last flush.
      int32_t from = (position - static_cast<int32_t>(distance)) & (kInflateWindowSize - 1);
      for (uint32_t i = 0; i < length; ++i) {
        to[i] = window[from];
        from = (from + 1) & (kInflateWindowSize - 1);
      }
    }
    position += static_cast<int32_t>(length);
  }
  m_hold = hold;
  m_bitCount = bitCount;
  m_next = next;
  m_position = position;
  return finished;
}

InflateResult Inflater::Codes(const HuffmanEntry* literals, int32_t literalBits,
                              const HuffmanEntry* distances, int32_t distanceBits) {
  const uint32_t literalMask = (1u << literalBits) - 1;
  const uint32_t distanceMask = (1u << distanceBits) - 1;
  for (;;) {
    InflateResult fastResult = InflateResult::Ok;
    if (FastCodes(literals, literalMask, distances, distanceMask, fastResult)) return fastResult;
    if (m_position == kInflateWindowSize && !Flush()) return InflateResult::WriteFailed;

    // The careful way: one symbol at a time, each bit asked for.
    HuffmanEntry entry;
    InflateResult result = DecodeSymbol(literals, literalBits, entry);
    if (result != InflateResult::Ok) return result;
    if (entry.kind == 0) {
      if (TotalOut() >= m_limit) return InflateResult::TooLong;
      m_window[m_position++] = static_cast<uint8_t>(entry.value);
      if (m_position == kInflateWindowSize && !Flush()) return InflateResult::WriteFailed;
      continue;
    }
    if (entry.kind == kEndOfBlock) return InflateResult::Ok;
    const int32_t lengthExtra = entry.kind - kBaseKind;
    if (!Need(lengthExtra)) return m_readFailed ? InflateResult::ReadFailed : InflateResult::Truncated;
    uint32_t length = entry.value + static_cast<uint32_t>(m_hold & ((1u << lengthExtra) - 1));
    m_hold >>= lengthExtra;
    m_bitCount -= lengthExtra;
    result = DecodeSymbol(distances, distanceBits, entry);
    if (result != InflateResult::Ok) return result;
    const int32_t distanceExtra = entry.kind - kBaseKind;
    if (!Need(distanceExtra)) return m_readFailed ? InflateResult::ReadFailed : InflateResult::Truncated;
    const uint32_t distance = entry.value + static_cast<uint32_t>(m_hold & ((1u << distanceExtra) - 1));
    m_hold >>= distanceExtra;
    m_bitCount -= distanceExtra;

    const uint32_t produced = TotalOut();
    if (distance > produced) return InflateResult::BadDistance;
    if (produced + length > m_limit) return InflateResult::TooLong;
    // Byte by byte: the match may reach back across the window's wrap or run into a flush.
    int32_t from = (m_position - static_cast<int32_t>(distance)) & (kInflateWindowSize - 1);
    while (length-- > 0) {
      m_window[m_position++] = m_window[from];
      from = (from + 1) & (kInflateWindowSize - 1);
      if (m_position == kInflateWindowSize && !Flush()) return InflateResult::WriteFailed;
    }
  }
}

InflateResult Inflater::Run(InflateInput& input, InflateOutput& output, uint32_t outputLimit) {
  m_input = &input;
  m_output = &output;
  m_next = m_end = m_buffer;
  m_inputEnded = false;
  m_readFailed = false;
  m_hold = 0;
  m_bitCount = 0;
  m_position = 0;
  m_flushed = 0;
  m_limit = outputLimit;
  if (!m_fixedBuilt) {
    uint8_t lengths[288];
    for (int32_t i = 0; i < 288; ++i) lengths[i] = i < 144 ? 8 : i < 256 ? 9 : i < 280 ? 7 : 8;
    BuildHuffmanTable(CodeKind::LiteralLength, lengths, 288, kFixedLiteralRootBits,
                      m_fixedLiteralTable, kLiteralTableSize);
    for (int32_t i = 0; i < 32; ++i) lengths[i] = 5;
    BuildHuffmanTable(CodeKind::Distance, lengths, 32, kFixedDistanceRootBits,
                      m_fixedDistanceTable, 32);
    m_fixedBuilt = true;
  }
  for (;;) {
    if (!Need(3)) return m_readFailed ? InflateResult::ReadFailed : InflateResult::Truncated;
    const bool last = (m_hold & 1) != 0;
    const uint32_t type = static_cast<uint32_t>((m_hold >> 1) & 3);
    m_hold >>= 3;
    m_bitCount -= 3;
    InflateResult result = InflateResult::Ok;
    if (type == 0) {
      result = Stored();
    } else if (type == 1) {
      result = Codes(m_fixedLiteralTable, kFixedLiteralRootBits, m_fixedDistanceTable,
                     kFixedDistanceRootBits);
    } else if (type == 2) {
      result = Dynamic();
    } else {
      result = InflateResult::BadBlockType;
    }
    if (result != InflateResult::Ok) return result;
    if (last) break;
  }
  return Flush() ? InflateResult::Ok : InflateResult::WriteFailed;
}

}  // namespace talven::sfx
