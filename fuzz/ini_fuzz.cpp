// The INI model: any bytes as an INI text, the first line of the input naming the section
// and key to look for. Every value found is at most 255 characters; writing an entry and
// reading it back gives the written value.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "library/registry/ini_model.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t split = input.find('\n');
  const std::string names = split == std::string::npos ? input : input.substr(0, split);
  const std::string text = split == std::string::npos ? std::string() : input.substr(split + 1);
  const size_t equals = names.find('=');
  const std::string section = names.substr(0, equals);
  const std::string key = equals == std::string::npos ? std::string("k") : names.substr(equals + 1);
  if (const auto value = talven::IniValue(text, section, key); value && value->size() > 255) std::abort();
  // Names and values without line ends, "=", brackets or surrounding blanks round-trip.
  std::string plainKey;
  for (char c : key) {
    if (c != '\r' && c != '\n' && c != '=' && c != '[' && c != ']' && c != ';' && c != ' ' && c != '\t' && c != '\0') plainKey.push_back(c);
  }
  std::string plainSection;
  for (char c : section) {
    if (c != '\r' && c != '\n' && c != ']' && c != '[' && c != ' ' && c != '\t' && c != '\0') plainSection.push_back(c);
  }
  if (plainKey.empty() || plainSection.empty()) return 0;
  const std::string written = talven::IniWithValue(text, plainSection, plainKey, "wert");
  const auto back = talven::IniValue(written, plainSection, plainKey);
  if (!back || *back != "wert") std::abort();
  return 0;
}
