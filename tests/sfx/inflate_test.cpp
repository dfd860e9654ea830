// The inflater against zlib's deflater (every block kind, every level, input delivered in
// awkward pieces) and against hand-made streams aimed at each way a stream can be wrong.

#include "sfx/inflate.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "tests/sfx/zip_builder.h"

namespace talven::sfx {
namespace {

class PieceInput final : public InflateInput {
 public:
  PieceInput(const std::string& data, size_t piece, bool failAtEnd = false)
      : m_data(data), m_piece(piece), m_failAtEnd(failAtEnd) {}
  int32_t Fill(uint8_t* buffer, int32_t capacity) override {
    if (m_at == m_data.size()) return m_failAtEnd ? -1 : 0;
    size_t n = std::min({m_piece, m_data.size() - m_at, static_cast<size_t>(capacity)});
    std::memcpy(buffer, m_data.data() + m_at, n);
    m_at += n;
    ++fills;
    return static_cast<int32_t>(n);
  }
  int fills = 0;

 private:
  const std::string& m_data;
  size_t m_piece;
  bool m_failAtEnd;
  size_t m_at = 0;
};

class StringOutput final : public InflateOutput {
 public:
  bool Write(const uint8_t* data, int32_t size) override {
    if (failAfter >= 0 && static_cast<int>(text.size()) >= failAfter) return false;
    text.append(reinterpret_cast<const char*>(data), static_cast<size_t>(size));
    ++writes;
    return true;
  }
  std::string text;
  int writes = 0;
  int failAfter = -1;
};

struct Decoded {
  InflateResult result;
  std::string text;
};

Decoded Decode(const std::string& stream, uint32_t limit = 1u << 30, size_t piece = 32768) {
  auto inflater = std::make_unique<Inflater>();
  PieceInput input(stream, piece);
  StringOutput output;
  const InflateResult result = inflater->Run(input, output, limit);
  return {result, output.text};
}

// Writes bits the way deflate sends them: values from their lowest bit, Huffman codes from
// their highest.
class BitWriter {
 public:
  void Bits(uint32_t value, int count) {
    for (int i = 0; i < count; ++i) Bit((value >> i) & 1);
  }
  void Code(uint32_t code, int length) {
    for (int i = length - 1; i >= 0; --i) Bit((code >> i) & 1);
  }
  void FixedLiteral(int symbol) {
    if (symbol < 144) Code(0x30 + symbol, 8);
    else if (symbol < 256) Code(0x190 + symbol - 144, 9);
    else if (symbol < 280) Code(symbol - 256, 7);
    else Code(0xC0 + symbol - 280, 8);
  }
  std::string Done() {
    if (m_count > 0) m_out += static_cast<char>(m_byte);
    m_byte = 0;
    m_count = 0;
    return m_out;
  }

 private:
  void Bit(uint32_t bit) {
    m_byte |= bit << m_count;
    if (++m_count == 8) {
      m_out += static_cast<char>(m_byte);
      m_byte = 0;
      m_count = 0;
    }
  }
  std::string m_out;
  uint32_t m_byte = 0;
  int m_count = 0;
};

std::string MixedContent(size_t size, uint32_t seed) {
  std::mt19937 random(seed);
  static const char* const kWords[] = {"Talven ", "Archiv ", "entpacken ", "Zeile\r\n", "Datei ",
                                       "Prüfsumme ", "0123456789", "\t"};
  std::string out;
  while (out.size() < size) {
    if (random() % 4 == 0) {
      const size_t run = random() % 300;
      for (size_t i = 0; i < run; ++i) out += static_cast<char>(random());
    } else {
      out += kWords[random() % 8];
    }
  }
  out.resize(size);
  return out;
}

std::string DeflateWith(const std::string& content, int level, int strategy) {
  z_stream stream{};
  deflateInit2(&stream, level, Z_DEFLATED, -15, 9, strategy);
  std::string out(deflateBound(&stream, content.size()) + 64, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data()));
  stream.avail_in = static_cast<uInt>(content.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

// Runs with every short period, so that matches at distances 1 to 16 of every length occur.
std::string Periodic() {
  std::string out;
  for (int period = 1; period <= 16; ++period) {
    for (int length = 3; length <= 300; length += 37) {
      for (int i = 0; i < length + period; ++i) out += static_cast<char>('a' + (i % period));
      out += static_cast<char>('0' + period % 10);
    }
  }
  return out;
}

struct RoundTrip {
  const char* name;
  int level;
  int strategy;
};

class InflateRoundTrip : public testing::TestWithParam<RoundTrip> {};

TEST_P(InflateRoundTrip, GivesBackWhatWasDeflated) {
  const RoundTrip& trip = GetParam();
  const std::string contents[] = {
      "",
      "a",
      std::string(100000, 'a'),              // overlapping matches at distance 1
      Periodic(),
      MixedContent(300000, 7),               // matches across the window's wrap
      MixedContent(70000, 11) + std::string(40000, '\0') + MixedContent(5000, 3),
  };
  for (const std::string& content : contents) {
    const std::string stream = DeflateWith(content, trip.level, trip.strategy);
    for (size_t piece : {size_t{1}, size_t{7}, size_t{4096}, size_t{32768}}) {
      if (piece == 1 && content.size() > 100000) continue;
      const Decoded decoded = Decode(stream, static_cast<uint32_t>(content.size()), piece);
      ASSERT_EQ(decoded.result, InflateResult::Ok) << content.size() << " piece " << piece;
      ASSERT_EQ(decoded.text.size(), content.size());
      ASSERT_TRUE(decoded.text == content) << content.size() << " piece " << piece;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Zlib, InflateRoundTrip,
    testing::Values(RoundTrip{"Stored", 0, Z_DEFAULT_STRATEGY}, RoundTrip{"Fast", 1, Z_DEFAULT_STRATEGY},
                    RoundTrip{"Default", 6, Z_DEFAULT_STRATEGY}, RoundTrip{"Best", 9, Z_DEFAULT_STRATEGY},
                    RoundTrip{"Fixed", 9, Z_FIXED}, RoundTrip{"HuffmanOnly", 6, Z_HUFFMAN_ONLY},
                    RoundTrip{"Rle", 6, Z_RLE}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Inflate, WritesTheWindowEachTimeItIsFull) {
  const std::string content = MixedContent(100000, 5);
  const std::string stream = DeflateWith(content, 6, Z_DEFAULT_STRATEGY);
  auto inflater = std::make_unique<Inflater>();
  PieceInput input(stream, 32768);
  StringOutput output;
  ASSERT_EQ(inflater->Run(input, output, 100000), InflateResult::Ok);
  EXPECT_EQ(output.writes, 4);  // three full windows and the rest
  EXPECT_EQ(inflater->TotalOut(), 100000u);
}

TEST(Inflate, HandMadeBlocks) {
  BitWriter stored;
  stored.Bits(1, 1);
  stored.Bits(0, 2);
  std::string bytes = stored.Done();
  bytes += std::string("\x05\x00\xFA\xFF", 4) + "Hallo";
  EXPECT_EQ(Decode(bytes).text, "Hallo");

  // A fixed block with a literal, a match at distance 1 and the end of the block.
  BitWriter fixed;
  fixed.Bits(1, 1);
  fixed.Bits(1, 2);
  fixed.FixedLiteral('x');
  fixed.FixedLiteral(258);  // length 4
  fixed.Code(0, 5);         // distance 1
  fixed.FixedLiteral(256);
  const Decoded decoded = Decode(fixed.Done());
  EXPECT_EQ(decoded.result, InflateResult::Ok);
  EXPECT_EQ(decoded.text, "xxxxx");
}

// 7-Zip mixes block kinds freely: a stored block right behind a Huffman block must start
// from the bits that block left, not from what the fast refill had already peeked at.
TEST(Inflate, StoredBlockBetweenHuffmanBlocks) {
  BitWriter writer;
  writer.Bits(0, 1);
  writer.Bits(1, 2);
  for (char c : std::string("fixed-")) writer.FixedLiteral(static_cast<uint8_t>(c));
  writer.FixedLiteral(256);
  writer.Bits(0, 1);
  writer.Bits(0, 2);
  std::string stream = writer.Done();
  const std::string raw = "stored bytes, more than eight";
  stream += static_cast<char>(raw.size());
  stream += '\0';
  stream += static_cast<char>(~raw.size());
  stream += '\xFF';
  stream += raw;
  BitWriter last;
  last.Bits(1, 1);
  last.Bits(1, 2);
  for (char c : std::string("-end")) last.FixedLiteral(static_cast<uint8_t>(c));
  last.FixedLiteral(256);
  stream += last.Done();
  const Decoded decoded = Decode(stream);
  EXPECT_EQ(decoded.result, InflateResult::Ok);
  EXPECT_EQ(decoded.text, "fixed-" + raw + "-end");
}

TEST(Inflate, DamagedStreamsEndWithAnError) {
  BitWriter badType;
  badType.Bits(1, 1);
  badType.Bits(3, 2);
  EXPECT_EQ(Decode(badType.Done()).result, InflateResult::BadBlockType);

  BitWriter badStored;
  badStored.Bits(1, 1);
  badStored.Bits(0, 2);
  EXPECT_EQ(Decode(badStored.Done() + std::string("\x05\x00\xFA\xFE", 4) + "Hallo").result,
            InflateResult::BadStoredLength);

  // A match reaching before the first byte of output.
  BitWriter farBack;
  farBack.Bits(1, 1);
  farBack.Bits(1, 2);
  farBack.FixedLiteral('x');
  farBack.FixedLiteral(257);
  farBack.Code(1, 5);  // distance 2, one byte exists
  farBack.FixedLiteral(256);
  EXPECT_EQ(Decode(farBack.Done()).result, InflateResult::BadDistance);

  // Literal/length symbols 286 and 287 and distance codes 30 and 31 exist only in fixed
  // blocks' tables and must not decode.
  BitWriter badLiteral;
  badLiteral.Bits(1, 1);
  badLiteral.Bits(1, 2);
  badLiteral.FixedLiteral(286);
  EXPECT_EQ(Decode(badLiteral.Done()).result, InflateResult::BadCode);
  BitWriter badDistance;
  badDistance.Bits(1, 1);
  badDistance.Bits(1, 2);
  badDistance.FixedLiteral('x');
  badDistance.FixedLiteral(257);
  badDistance.Code(30, 5);
  EXPECT_EQ(Decode(badDistance.Done()).result, InflateResult::BadCode);
}

// Dynamic block headers whose code lengths cannot form a code.
TEST(Inflate, BadDynamicHeaders) {
  const auto header = [](int literals, int distances, int codeLengths) {
    BitWriter writer;
    writer.Bits(1, 1);
    writer.Bits(2, 2);
    writer.Bits(literals - 257, 5);
    writer.Bits(distances - 1, 5);
    writer.Bits(codeLengths - 4, 4);
    return writer;
  };
  BitWriter oversubscribed = header(257, 1, 19);
  for (int i = 0; i < 19; ++i) oversubscribed.Bits(1, 3);  // 19 codes of one bit
  EXPECT_EQ(Decode(oversubscribed.Done()).result, InflateResult::BadCodeLengths);

  BitWriter incomplete = header(257, 1, 4);
  incomplete.Bits(2, 3);  // only symbol 16, with two bits
  for (int i = 0; i < 3; ++i) incomplete.Bits(0, 3);
  EXPECT_EQ(Decode(incomplete.Done()).result, InflateResult::BadCodeLengths);

  BitWriter tooMany = header(287, 1, 4);
  EXPECT_EQ(Decode(tooMany.Done() + std::string(8, '\0')).result, InflateResult::BadCodeLengths);

  // Code-length code: symbols 16, 17, 18 and 0 with two bits each (a complete code).
  const auto fourSymbols = [&](int literals, int distances) {
    BitWriter writer = header(literals, distances, 4);
    for (int i = 0; i < 4; ++i) writer.Bits(2, 3);
    return writer;
  };
  // Canonical codes: 0 -> 00, 16 -> 01, 17 -> 10, 18 -> 11.
  BitWriter repeatFirst = fourSymbols(257, 1);
  repeatFirst.Code(1, 2);  // 16 with nothing before it
  repeatFirst.Bits(0, 2);
  EXPECT_EQ(Decode(repeatFirst.Done()).result, InflateResult::BadCodeLengths);

  BitWriter overflow = fourSymbols(257, 1);
  overflow.Code(3, 2);  // 18: 138 zeros
  overflow.Bits(127, 7);
  overflow.Code(3, 2);  // another 138 zeros: past 258 lengths
  overflow.Bits(127, 7);
  EXPECT_EQ(Decode(overflow.Done()).result, InflateResult::BadCodeLengths);

  // All lengths zero: no end-of-block code.
  BitWriter noEnd = fourSymbols(257, 1);
  noEnd.Code(3, 2);
  noEnd.Bits(127, 7);
  noEnd.Code(3, 2);
  noEnd.Bits(109, 7);  // 120 more zeros: 258 in all
  EXPECT_EQ(Decode(noEnd.Done()).result, InflateResult::BadCodeLengths);
}

TEST(Inflate, DataEndingEarlyIsTruncatedAtEveryCut) {
  const std::string content = MixedContent(20000, 9);
  for (int strategy : {Z_DEFAULT_STRATEGY, Z_FIXED}) {
    const std::string stream = DeflateWith(content, 9, strategy);
    for (size_t cut = 0; cut < stream.size(); cut += (cut < 64 ? 1 : 97)) {
      const Decoded decoded = Decode(stream.substr(0, cut), static_cast<uint32_t>(content.size()));
      ASSERT_NE(decoded.result, InflateResult::Ok) << cut;
      ASSERT_LE(decoded.text.size(), content.size());
    }
  }
  const std::string stored = DeflateWith(content, 0, Z_DEFAULT_STRATEGY);
  EXPECT_EQ(Decode(stored.substr(0, stored.size() - 1)).result, InflateResult::Truncated);
}

TEST(Inflate, NeverWritesMoreThanTheLimit) {
  const std::string content = MixedContent(50000, 4);
  for (int level : {0, 9}) {
    const std::string stream = DeflateWith(content, level, Z_DEFAULT_STRATEGY);
    EXPECT_EQ(Decode(stream, 50000).result, InflateResult::Ok);
    const Decoded cut = Decode(stream, 49999);
    EXPECT_EQ(cut.result, InflateResult::TooLong);
    EXPECT_LE(cut.text.size(), 49999u);
  }
}

TEST(Inflate, ReportsFailingInputAndOutput) {
  const std::string content = MixedContent(100000, 2);
  const std::string stream = DeflateWith(content, 6, Z_DEFAULT_STRATEGY);
  auto inflater = std::make_unique<Inflater>();
  const std::string half = stream.substr(0, stream.size() / 2);
  PieceInput failing(half, 4096, true);
  StringOutput output;
  EXPECT_EQ(inflater->Run(failing, output, 100000), InflateResult::ReadFailed);

  PieceInput input(stream, 4096);
  StringOutput refusing;
  refusing.failAfter = 32768;
  EXPECT_EQ(inflater->Run(input, refusing, 100000), InflateResult::WriteFailed);
}

// Random bytes: whatever they decode to, the run ends and stays within the limit.
TEST(Inflate, RandomStreamsEndWithinTheLimit) {
  std::mt19937 random(1234);
  auto inflater = std::make_unique<Inflater>();
  for (int round = 0; round < 3000; ++round) {
    std::string stream(1 + random() % 600, '\0');
    for (char& c : stream) c = static_cast<char>(random());
    if (round % 3 == 0) stream[0] = static_cast<char>((stream[0] & ~6) | 4);  // dynamic
    PieceInput input(stream, 1 + random() % 64);
    StringOutput output;
    inflater->Run(input, output, 5000);
    ASSERT_LE(output.text.size(), 5000u);
  }
}

TEST(HuffmanTable, AcceptsOnlyCompleteCodesButOneLoneDistance) {
  HuffmanEntry table[kDistanceTableSize];
  const uint8_t lone[2] = {1, 0};
  EXPECT_TRUE(BuildHuffmanTable(CodeKind::Distance, lone, 2, 6, table, kDistanceTableSize));
  EXPECT_FALSE(BuildHuffmanTable(CodeKind::CodeLengths, lone, 2, 7, table, kDistanceTableSize));
  const uint8_t incomplete[3] = {2, 2, 2};
  EXPECT_FALSE(BuildHuffmanTable(CodeKind::Distance, incomplete, 3, 6, table, kDistanceTableSize));
  const uint8_t over[5] = {2, 2, 2, 2, 2};
  EXPECT_FALSE(BuildHuffmanTable(CodeKind::Distance, over, 5, 6, table, kDistanceTableSize));
  // The longest codes need second-level tables; the table must still fit its room.
  uint8_t deep[30];
  for (int i = 0; i < 30; ++i) deep[i] = static_cast<uint8_t>(i < 14 ? i + 1 : 15);
  deep[13] = 14;
  for (int i = 14; i < 30; ++i) deep[i] = 0;
  deep[14] = 15;
  deep[15] = 15;
  EXPECT_TRUE(BuildHuffmanTable(CodeKind::Distance, deep, 30, 6, table, kDistanceTableSize));
}

}  // namespace
}  // namespace talven::sfx
