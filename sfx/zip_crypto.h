#pragma once
// The traditional ZIP encryption: three keys stirred by every password byte and by every
// decrypted byte.

#include <cstdint>

#include "common/crc32.h"

namespace talven::sfx {

inline constexpr int32_t kEncryptionHeaderSize = 12;

class ZipDecryptor {
 public:
  explicit ZipDecryptor(const Crc32& crc) : m_crc(crc) {}

  // Sets the keys from a password and runs the 12-byte header through them. True when the
  // last plain header byte equals checkByte; the keys are then ready for the data.
  bool Start(const char* password, const uint8_t* header, uint8_t checkByte);
  uint8_t Decrypt(uint8_t cipher) {
    const uint32_t temp = (m_keys[2] & 0xFFFF) | 2;
    const uint8_t plain = static_cast<uint8_t>(cipher ^ ((temp * (temp ^ 1)) >> 8));
    Stir(plain);
    return plain;
  }
  void Decrypt(uint8_t* data, int32_t size) {
    for (int32_t i = 0; i < size; ++i) data[i] = Decrypt(data[i]);
  }

 private:
  void Stir(uint8_t byte) {
    m_keys[0] = m_crc.UpdateByte(m_keys[0], byte);
    m_keys[1] = (m_keys[1] + (m_keys[0] & 0xFF)) * 134775813u + 1;
    m_keys[2] = m_crc.UpdateByte(m_keys[2], static_cast<uint8_t>(m_keys[1] >> 24));
  }

  const Crc32& m_crc;
  uint32_t m_keys[3] = {};
};

}  // namespace talven::sfx
