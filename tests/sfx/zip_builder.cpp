#include "tests/sfx/zip_builder.h"

#include <zlib.h>

#include <cstring>

namespace talven::sfx::test {
namespace {

void Put16(std::string& out, uint32_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& out, uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

// The encrypting side of the traditional scheme, written from its definition so that the
// extractor's decryptor is checked against an independent implementation.
class Encryptor {
 public:
  explicit Encryptor(const std::string& password) {
    for (char c : password) Stir(static_cast<uint8_t>(c));
  }
  uint8_t Encrypt(uint8_t plain) {
    const uint32_t temp = (m_keys[2] & 0xFFFF) | 2;
    const uint8_t cipher = static_cast<uint8_t>(plain ^ ((temp * (temp ^ 1)) >> 8));
    Stir(plain);
    return cipher;
  }

 private:
  static uint32_t CrcByte(uint32_t crc, uint8_t byte) {
    crc ^= byte;
    for (int i = 0; i < 8; ++i) crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    return crc;
  }
  void Stir(uint8_t byte) {
    m_keys[0] = CrcByte(m_keys[0], byte);
    m_keys[1] = (m_keys[1] + (m_keys[0] & 0xFF)) * 134775813u + 1;
    m_keys[2] = CrcByte(m_keys[2], static_cast<uint8_t>(m_keys[1] >> 24));
  }
  uint32_t m_keys[3] = {0x12345678u, 0x23456789u, 0x34567890u};
};

}  // namespace

std::string RawDeflate(const std::string& content, int level) {
  z_stream stream{};
  deflateInit2(&stream, level, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&stream, content.size()) + 16, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data()));
  stream.avail_in = static_cast<uInt>(content.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

uint32_t Crc32Of(const std::string& data) {
  return static_cast<uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

std::string ZipEntry(const ZipEntrySpec& spec) {
  const uint32_t crc = spec.crc.value_or(Crc32Of(spec.content));
  std::string data = spec.data.value_or(spec.method == 8 ? RawDeflate(spec.content) : spec.content);
  uint16_t flags = 0;
  if (!spec.password.empty()) {
    flags |= 1;
    Encryptor encryptor(spec.password);
    std::string sealed;
    const uint8_t check =
        spec.descriptor ? static_cast<uint8_t>(spec.time >> 8) : static_cast<uint8_t>(crc >> 24);
    for (int i = 0; i < 11; ++i) sealed += static_cast<char>(encryptor.Encrypt(static_cast<uint8_t>(i * 37 + 5)));
    sealed += static_cast<char>(encryptor.Encrypt(check));
    for (char c : data) sealed += static_cast<char>(encryptor.Encrypt(static_cast<uint8_t>(c)));
    data = sealed;
  }
  if (spec.descriptor) flags |= 8;
  flags |= spec.flags;
  std::string out;
  Put32(out, 0x04034B50u);
  Put16(out, 20);
  Put16(out, flags);
  Put16(out, spec.method);
  Put16(out, spec.time);
  Put16(out, 0x5A21);
  Put32(out, spec.sizesInHeader ? crc : 0);
  Put32(out, spec.sizesInHeader ? static_cast<uint32_t>(data.size()) : 0);
  Put32(out, spec.sizesInHeader ? static_cast<uint32_t>(spec.content.size()) : 0);
  Put16(out, static_cast<uint32_t>(spec.name.size()));
  Put16(out, static_cast<uint32_t>(spec.extra.size()));
  out += spec.name;
  out += spec.extra;
  out += data;
  if (spec.descriptor) {
    if (spec.descriptorSignature) Put32(out, 0x08074B50u);
    Put32(out, crc);
    Put32(out, static_cast<uint32_t>(data.size()));
    Put32(out, static_cast<uint32_t>(spec.content.size()));
  }
  return out;
}

std::string Zip(const std::vector<ZipEntrySpec>& entries) {
  std::string out;
  for (const ZipEntrySpec& entry : entries) out += ZipEntry(entry);
  // A central directory start, which the walk must take as the end.
  Put32(out, 0x02014B50u);
  out += std::string(42, '\0');
  return out;
}

}  // namespace talven::sfx::test
