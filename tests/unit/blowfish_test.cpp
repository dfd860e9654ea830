// Blowfish against the published test vectors (common block convention), and the code
// file's 8-bit CFB in both directions.

#include "toolchain/blowfish.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

namespace talven {
namespace {

std::array<uint8_t, 8> FromHex(const char* hex) {
  std::array<uint8_t, 8> bytes{};
  for (size_t i = 0; i < 8; ++i)
    bytes[i] = static_cast<uint8_t>(std::stoul(std::string(hex + 2 * i, 2), nullptr, 16));
  return bytes;
}

struct Vector {
  const char* key;
  const char* plain;
  const char* cipher;
};

TEST(Blowfish, PublishedVectors) {
  const Vector vectors[] = {
      {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
      {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
      {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
      {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
      {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
      {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
  };
  for (const Vector& v : vectors) {
    const auto key = FromHex(v.key);
    Blowfish blowfish(key);
    auto block = FromHex(v.plain);
    blowfish.EncipherStandardBlock(block.data());
    EXPECT_EQ(block, FromHex(v.cipher)) << v.key;
  }
}

TEST(Blowfish, DecipherUndoesEncipher) {
  const uint8_t key[11] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
  Blowfish blowfish(key);
  uint32_t left = 0x01234567;
  uint32_t right = 0x89ABCDEF;
  blowfish.Encipher(left, right);
  EXPECT_NE(left, 0x01234567u);
  blowfish.Decipher(left, right);
  EXPECT_EQ(left, 0x01234567u);
  EXPECT_EQ(right, 0x89ABCDEFu);
}

TEST(Blowfish, CodeBlockIsTheStandardResultInLittleEndianWords) {
  const auto key = FromHex("0123456789ABCDEF");
  Blowfish blowfish(key);
  // Bytes 0..3 enter as the left half, read little-endian.
  uint8_t block[8] = {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11};
  blowfish.EncipherCodeBlock(block);
  // 61F9C380 2281B096 as little-endian words.
  const uint8_t expected[8] = {0x80, 0xC3, 0xF9, 0x61, 0x96, 0xB0, 0x81, 0x22};
  EXPECT_EQ(0, std::memcmp(block, expected, 8));
}

TEST(CodeFileCipher, RoundTripWithOneRunningRegister) {
  const uint8_t key[11] = {9, 200, 33, 1, 255, 17, 80, 3, 99, 140, 7};
  const std::string text =
      "PRINT \"Hallo\"\x15"
      "Aanother line, and a third";
  CodeFileCipher writer(key);
  std::string enciphered;
  for (char c : text)
    enciphered.push_back(static_cast<char>(writer.Encipher(static_cast<uint8_t>(c))));
  EXPECT_NE(enciphered, text);
  CodeFileCipher reader(key);
  std::string deciphered;
  for (char c : enciphered)
    deciphered.push_back(static_cast<char>(reader.Decipher(static_cast<uint8_t>(c))));
  EXPECT_EQ(deciphered, text);
  // The same plain byte gives different cipher bytes: the register moves on.
  CodeFileCipher again(key);
  EXPECT_NE(again.Encipher('A'), again.Encipher('A'));
}

}  // namespace
}  // namespace talven
