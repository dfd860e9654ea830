#include <gtest/gtest.h>

#include <array>
#include <string_view>
#include <vector>

#include "common/bytes.h"
#include "common/crc16.h"
#include "common/crc32.h"

namespace talven {
namespace {

std::span<const uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

TEST(Bytes, FieldsGoByteByByte) {
  const uint8_t bytes[8] = {0x01, 0x02, 0x03, 0x84, 0x05, 0x06, 0x07, 0xF8};
  EXPECT_EQ(GetLittle16(bytes), 0x0201u);
  EXPECT_EQ(GetLittle32(bytes), 0x84030201u);
  EXPECT_EQ(GetLittle64(bytes), 0xF807060584030201ull);
  EXPECT_EQ(GetBig32(bytes), 0x01020384u);
  uint8_t out[4] = {};
  PutLittle16(out, 0xBEEF);
  EXPECT_EQ(out[0], 0xEF);
  EXPECT_EQ(out[1], 0xBE);
  PutLittle32(out, 0x12345678u);
  EXPECT_EQ(GetLittle32(out), 0x12345678u);
  EXPECT_EQ(out[0], 0x78);
  PutBig32(out, 0x12345678u);
  EXPECT_EQ(out[0], 0x12);
  EXPECT_EQ(GetBig32(out), 0x12345678u);
}

TEST(Bytes, ReaderTakesFieldsInTurnAndStopsAtTheEnd) {
  const uint8_t bytes[] = {0x2A, 0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 'a', 'b', 'c'};
  LittleReader reader(bytes);
  EXPECT_EQ(reader.Get8(), 0x2A);
  EXPECT_EQ(reader.Get16(), 0x1234u);
  EXPECT_EQ(reader.Get32(), 0x12345678u);
  EXPECT_FALSE(reader.Failed());
  EXPECT_EQ(reader.Remaining(), 3u);
  // Two of the four bytes are there: nothing is read, the reader is at the end and failed.
  LittleReader cut(std::span<const uint8_t>(bytes).subspan(0, 9));
  cut.Skip(7);
  EXPECT_EQ(cut.Get32(), 0u);
  EXPECT_TRUE(cut.Failed());
  EXPECT_EQ(cut.Position(), 9u);
  EXPECT_EQ(cut.Get8(), 0u) << "once at the end, every read gives 0";

  LittleReader text(bytes);
  text.Skip(7);
  const std::span<const uint8_t> abc = text.GetBytes(3);
  ASSERT_EQ(abc.size(), 3u);
  EXPECT_EQ(abc[2], 'c');
  EXPECT_TRUE(text.GetBytes(1).empty());
  EXPECT_TRUE(text.Failed());

  LittleReader empty(std::span<const uint8_t>{});
  EXPECT_EQ(empty.Get16(), 0u);
  EXPECT_TRUE(empty.Failed());
  LittleReader huge(bytes);
  huge.Skip(SIZE_MAX);  // a count from a damaged header must not wrap the position
  EXPECT_TRUE(huge.Failed());
  EXPECT_EQ(huge.Position(), sizeof(bytes));
}

TEST(Bytes, WriterNeverWritesOutsideItsSpan) {
  std::array<uint8_t, 12> buffer{};
  buffer.fill(0xEE);
  LittleWriter writer(std::span<uint8_t>(buffer).subspan(0, 10));
  writer.Put8(0x2A);
  writer.Put16(0x1234);
  writer.Put32(0x12345678u);
  EXPECT_FALSE(writer.Failed());
  writer.Put32(0xAAAAAAAAu);  // 3 bytes left: writes nothing
  EXPECT_TRUE(writer.Failed());
  EXPECT_EQ(writer.Position(), 10u);
  EXPECT_EQ(buffer[7], 0xEE);
  EXPECT_EQ(buffer[10], 0xEE);
  LittleReader back(std::span<const uint8_t>(buffer).subspan(0, 7));
  EXPECT_EQ(back.Get8(), 0x2A);
  EXPECT_EQ(back.Get16(), 0x1234u);
  EXPECT_EQ(back.Get32(), 0x12345678u);

  std::array<uint8_t, 6> field{};
  LittleWriter padded(field);
  padded.PutBytes(Bytes("AB"));
  padded.Fill(4, ' ');
  EXPECT_FALSE(padded.Failed());
  EXPECT_EQ(std::string_view(reinterpret_cast<const char*>(field.data()), 6), "AB    ");
  padded.PutBytes(Bytes("X"));
  padded.Fill(1, 0);
  EXPECT_TRUE(padded.Failed());
}

// The bit-by-bit definition, to check the table against.
uint16_t Crc16ByBits(std::span<const uint8_t> data) {
  uint16_t crc = 0;
  for (uint8_t byte : data) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) != 0 ? (crc >> 1) ^ 0xA001 : crc >> 1;
  }
  return crc;
}

TEST(Crc16, KnownValuesAndPieces) {
  const Crc16 crc;
  EXPECT_EQ(crc.Of(Bytes("123456789")), 0xBB3D);  // the usual check value of this CRC
  EXPECT_EQ(crc.Of(Bytes("A")), 0x30C0);
  EXPECT_EQ(crc.Of({}), 0);
  std::vector<uint8_t> all(256);
  for (size_t i = 0; i < all.size(); ++i) all[i] = static_cast<uint8_t>(i);
  EXPECT_EQ(crc.Of(all), 0xBAD3);
  for (size_t i = 0; i < all.size(); ++i) {
    EXPECT_EQ(crc.Of(std::span<const uint8_t>(all).subspan(i, 1)),
              Crc16ByBits(std::span<const uint8_t>(all).subspan(i, 1)))
        << i;
  }
  // Pieces give what the whole gives: archives are checked while they stream.
  const std::string_view text = "Talven-Archiv mit mehreren Teilen";
  uint16_t running = kCrc16Start;
  running = crc.Update(running, Bytes(text.substr(0, 5)));
  running = crc.UpdateByte(running, static_cast<uint8_t>(text[5]));
  running = crc.Update(running, Bytes(text.substr(6)));
  EXPECT_EQ(running, crc.Of(Bytes(text)));
}

TEST(Crc32, SpanGivesWhatPointerAndSizeGive) {
  const Crc32 crc;
  EXPECT_EQ(crc.Of(Bytes("123456789")), 0xCBF43926u);
  EXPECT_EQ(crc.Of(std::span<const uint8_t>{}), 0u);
}

}  // namespace
}  // namespace talven
