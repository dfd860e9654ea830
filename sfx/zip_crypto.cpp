#include "sfx/zip_crypto.h"

namespace talven::sfx {

bool ZipDecryptor::Start(const char* password, const uint8_t* header, uint8_t checkByte) {
  // Deliberate: an empty password is never right, even for an archive that would take it.
  if (password == nullptr || password[0] == '\0') return false;
  m_keys[0] = 0x12345678u;
  m_keys[1] = 0x23456789u;
  m_keys[2] = 0x34567890u;
  for (const char* p = password; *p != '\0'; ++p) Stir(static_cast<uint8_t>(*p));
  uint8_t plain = 0;
  for (int32_t i = 0; i < kEncryptionHeaderSize; ++i) plain = Decrypt(header[i]);
  return plain == checkByte;
}

}  // namespace talven::sfx
