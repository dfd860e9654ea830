#pragma once
// Blowfish: 16 rounds, key schedule from pi. Pure: no I/O, no globals, no exceptions.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace talven {

class Blowfish {
 public:
  // Key of 1 to 56 bytes; the bytes are cycled through the P-array.
  explicit Blowfish(std::span<const uint8_t> key);
  ~Blowfish() { Wipe(); }
  Blowfish(const Blowfish&) = delete;
  Blowfish& operator=(const Blowfish&) = delete;

  void Encipher(uint32_t& left, uint32_t& right) const;
  void Decipher(uint32_t& left, uint32_t& right) const;

  // The block of the common convention: two big-endian words, left half first.
  void EncipherStandardBlock(uint8_t block[8]) const;
  // The block of the code file: two little-endian words, bytes 0..3 entering as the left
  // half; the result holds the final right half in bytes 0..3, the left in bytes 4..7.
  void EncipherCodeBlock(uint8_t block[8]) const;

  // Overwrites the whole key state with zeros.
  void Wipe();

 private:
  uint32_t F(uint32_t x) const;

  std::array<uint32_t, 18> m_p{};
  std::array<std::array<uint32_t, 256>, 4> m_s{};
};

// 8-bit CFB over Blowfish with one running feedback register, as the code file uses it:
// the register starts as the first 8 key bytes; each data byte is XORed with byte 0 of the
// enciphered register, and the enciphered byte is shifted into the register's end.
class CodeFileCipher {
 public:
  explicit CodeFileCipher(std::span<const uint8_t> key);
  ~CodeFileCipher() { Wipe(); }

  uint8_t Encipher(uint8_t plain);
  uint8_t Decipher(uint8_t enciphered);
  void Wipe();

 private:
  uint8_t KeyStreamByte() const;
  void Shift(uint8_t enciphered);

  Blowfish m_blowfish;
  std::array<uint8_t, 8> m_register{};
};

}  // namespace talven
