// CRC-32, the traditional decryption and the local-header fields.

#include <gtest/gtest.h>

#include <string>

#include "common/crc32.h"
#include "sfx/local_header.h"
#include "sfx/zip_crypto.h"
#include "tests/sfx/zip_builder.h"

namespace talven::sfx {
namespace {

const uint8_t* Bytes(const std::string& text) { return reinterpret_cast<const uint8_t*>(text.data()); }

TEST(Crc32, KnownValuesAndPieces) {
  const Crc32 crc;
  EXPECT_EQ(crc.Of(Bytes("123456789"), 9), 0xCBF43926u);
  EXPECT_EQ(crc.Of(Bytes(""), 0), 0u);
  const std::string text = "Prüfsumme bei allen Dateien OK!";
  uint32_t running = kCrc32Start;
  running = crc.Update(running, Bytes(text), 10);
  running = crc.Update(running, Bytes(text) + 10, static_cast<int32_t>(text.size()) - 10);
  EXPECT_EQ(~running, test::Crc32Of(text));
}

// The archive of one encrypted stored entry, split into its 12-byte header and data.
struct Sealed {
  LocalHeader header;
  std::string encryptionHeader;
  std::string data;
};

Sealed Seal(const std::string& content, const std::string& password, bool descriptor) {
  test::ZipEntrySpec spec{"a.txt", content, 0, password, descriptor};
  spec.time = 0xA55A;
  const std::string entry = test::ZipEntry(spec);
  Sealed sealed;
  EXPECT_TRUE(ParseLocalHeader(Bytes(entry), sealed.header));
  sealed.encryptionHeader = entry.substr(35, 12);
  sealed.data = entry.substr(47, content.size());
  return sealed;
}

TEST(ZipDecryptor, RightPasswordDecryptsWrongOnesAreTold) {
  const Crc32 crc;
  for (bool descriptor : {false, true}) {
    const Sealed sealed = Seal("Geheime Zeilen\r\n", "Kennwort", descriptor);
    EXPECT_EQ(CheckByte(sealed.header), descriptor ? 0xA5 : sealed.header.crc >> 24);
    ZipDecryptor decryptor(crc);
    ASSERT_TRUE(decryptor.Start("Kennwort", Bytes(sealed.encryptionHeader), CheckByte(sealed.header)));
    std::string plain = sealed.data;
    decryptor.Decrypt(reinterpret_cast<uint8_t*>(plain.data()), static_cast<int32_t>(plain.size()));
    EXPECT_EQ(plain, "Geheime Zeilen\r\n");
    EXPECT_FALSE(decryptor.Start("kennwort", Bytes(sealed.encryptionHeader), CheckByte(sealed.header)));
    EXPECT_FALSE(decryptor.Start("", Bytes(sealed.encryptionHeader), CheckByte(sealed.header)));
  }
}

TEST(LocalHeader, FieldsSignatureAndDescriptors) {
  test::ZipEntrySpec spec{"dir/name.txt", "content"};
  spec.extra = std::string("UT\x05\x00\x01\x02\x03\x04\x05", 9);
  spec.descriptor = true;
  const std::string entry = test::ZipEntry(spec);
  LocalHeader header;
  ASSERT_TRUE(ParseLocalHeader(Bytes(entry), header));
  EXPECT_EQ(header.method, 8);
  EXPECT_EQ(header.flags, 8);
  EXPECT_EQ(header.crc, test::Crc32Of("content"));
  EXPECT_EQ(header.uncompressedSize, 7u);
  EXPECT_EQ(header.nameLength, 12);
  EXPECT_EQ(header.extraLength, 9);
  EXPECT_FALSE(LacksSizes(header));
  const size_t dataEnd = 30 + 12 + 9 + header.compressedSize;
  EXPECT_EQ(DataDescriptorLength(header, Bytes(entry) + dataEnd, 16), 16);
  EXPECT_EQ(DataDescriptorLength(header, Bytes(entry) + dataEnd + 4, 12), 12);
  // What follows is no descriptor (here: the next header) - nothing is skipped.
  const std::string next = test::ZipEntry({"b", "x"});
  EXPECT_EQ(DataDescriptorLength(header, Bytes(next), 16), 0);

  std::string wrong = entry;
  wrong[3] = 0x05;
  EXPECT_FALSE(ParseLocalHeader(Bytes(wrong), header));
  // The second signature value some old extractors accepted is no header here.
  EXPECT_FALSE(ParseLocalHeader(Bytes(std::string("\0\0\0\x50", 4) + entry.substr(4)), header));
}

TEST(LocalHeader, StreamedEntriesLackTheirSizes) {
  LocalHeader header;
  test::ZipEntrySpec streamed{"s.txt", "data"};
  streamed.descriptor = true;
  streamed.sizesInHeader = false;
  ASSERT_TRUE(ParseLocalHeader(Bytes(test::ZipEntry(streamed)), header));
  EXPECT_TRUE(LacksSizes(header));
  test::ZipEntrySpec empty{"e.txt", "", 0};
  empty.descriptor = true;
  ASSERT_TRUE(ParseLocalHeader(Bytes(test::ZipEntry(empty)), header));
  EXPECT_FALSE(LacksSizes(header));  // an empty stored file really has no data
}

}  // namespace
}  // namespace talven::sfx
