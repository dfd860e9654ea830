#pragma once
// Builds ZIP archives in memory the way zippers write their local headers, with every knob
// the extractor has to cope with: extra fields, data descriptors, encryption, damage.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace talven::sfx::test {

struct ZipEntrySpec {
  std::string name;
  std::string content;
  uint16_t method = 8;             // 0 stored, 8 deflated, anything else as given
  std::string password;            // encrypts when not empty
  bool descriptor = false;         // flag bit 3 and a data descriptor behind the data
  bool descriptorSignature = true;
  bool sizesInHeader = true;       // false: a streamed entry with zero sizes in the header
  std::string extra;               // extra field bytes
  uint16_t time = 0x6B2A;
  std::optional<uint32_t> crc;     // overrides the real CRC
  std::optional<std::string> data; // overrides the (compressed, unencrypted) data
  uint16_t flags = 0;              // further general-purpose flags
};

std::string RawDeflate(const std::string& content, int level = 9);
uint32_t Crc32Of(const std::string& data);
std::string ZipEntry(const ZipEntrySpec& spec);
std::string Zip(const std::vector<ZipEntrySpec>& entries);

}  // namespace talven::sfx::test
