#include "toolchain/blowfish.h"

#include "common/bytes.h"
#include "toolchain/blowfish_tables.h"

namespace talven {

Blowfish::Blowfish(std::span<const uint8_t> key) {
  for (size_t i = 0; i < m_p.size(); ++i) m_p[i] = blowfish_tables::kInitialP[i];
  for (size_t box = 0; box < 4; ++box) {
    for (size_t i = 0; i < 256; ++i) m_s[box][i] = blowfish_tables::kInitialS[box][i];
  }
  // Each P entry is XORed with the next four key bytes taken as a big-endian word,
  // cycling through the key.
  size_t next = 0;
  for (uint32_t& entry : m_p) {
    uint32_t word = 0;
    for (int i = 0; i < 4; ++i) {
      word = (word << 8) | (key.empty() ? 0u : key[next]);
      if (!key.empty()) next = (next + 1) % key.size();
    }
    entry ^= word;
  }
  // An all-zero block enciphered again and again replaces the P entries and then the
  // S-box entries two at a time: 9 + 4 * 128 = 521 encipherments.
  uint32_t left = 0;
  uint32_t right = 0;
  for (size_t i = 0; i < m_p.size(); i += 2) {
    Encipher(left, right);
    m_p[i] = left;
    m_p[i + 1] = right;
  }
  for (auto& box : m_s) {
    for (size_t i = 0; i < box.size(); i += 2) {
      Encipher(left, right);
      box[i] = left;
      box[i + 1] = right;
    }
  }
}

uint32_t Blowfish::F(uint32_t x) const {
  const uint32_t a = m_s[0][x >> 24];
  const uint32_t b = m_s[1][(x >> 16) & 0xFF];
  const uint32_t c = m_s[2][(x >> 8) & 0xFF];
  const uint32_t d = m_s[3][x & 0xFF];
  return ((a + b) ^ c) + d;
}

void Blowfish::Encipher(uint32_t& left, uint32_t& right) const {
  uint32_t l = left;
  uint32_t r = right;
  for (size_t round = 0; round < 16; ++round) {
    l ^= m_p[round];
    r ^= F(l);
    std::swap(l, r);
  }
  std::swap(l, r);
  r ^= m_p[16];
  l ^= m_p[17];
  left = l;
  right = r;
}

void Blowfish::Decipher(uint32_t& left, uint32_t& right) const {
  uint32_t l = left;
  uint32_t r = right;
  for (size_t round = 17; round > 1; --round) {
    l ^= m_p[round];
    r ^= F(l);
    std::swap(l, r);
  }
  std::swap(l, r);
  r ^= m_p[1];
  l ^= m_p[0];
  left = l;
  right = r;
}

void Blowfish::EncipherStandardBlock(uint8_t block[8]) const {
  uint32_t left = GetBig32(block);
  uint32_t right = GetBig32(block + 4);
  Encipher(left, right);
  PutBig32(block, left);
  PutBig32(block + 4, right);
}

void Blowfish::EncipherCodeBlock(uint8_t block[8]) const {
  uint32_t left = GetLittle32(block);
  uint32_t right = GetLittle32(block + 4);
  Encipher(left, right);
  // The half XORed with P[17] last goes to bytes 0..3 (it is the first word of the common
  // output; counted without the undone last swap it is the "right" half), the half XORed
  // with P[16] to bytes 4..7. What differs from the common convention is the byte order
  // of the words, little-endian on both sides.
  PutLittle32(block, left);
  PutLittle32(block + 4, right);
}

void Blowfish::Wipe() {
  m_p.fill(0);
  for (auto& box : m_s) box.fill(0);
}

CodeFileCipher::CodeFileCipher(std::span<const uint8_t> key) : m_blowfish(key) {
  for (size_t i = 0; i < m_register.size() && i < key.size(); ++i) m_register[i] = key[i];
}

uint8_t CodeFileCipher::KeyStreamByte() const {
  std::array<uint8_t, 8> block = m_register;
  m_blowfish.EncipherCodeBlock(block.data());
  return block[0];
}

void CodeFileCipher::Shift(uint8_t enciphered) {
  for (size_t i = 0; i + 1 < m_register.size(); ++i) m_register[i] = m_register[i + 1];
  m_register.back() = enciphered;
}

uint8_t CodeFileCipher::Encipher(uint8_t plain) {
  const uint8_t enciphered = plain ^ KeyStreamByte();
  Shift(enciphered);
  return enciphered;
}

uint8_t CodeFileCipher::Decipher(uint8_t enciphered) {
  const uint8_t plain = enciphered ^ KeyStreamByte();
  Shift(enciphered);
  return plain;
}

void CodeFileCipher::Wipe() {
  m_blowfish.Wipe();
  m_register.fill(0);
}

}  // namespace talven
