// The default platform of READINI$ and WRITEINI for the native tests: INI files on the
// host's file system through the INI model, and a registry in memory that lives as long as
// the host.

#include <cstdio>
#include <map>
#include <tuple>

#include "engine/text.h"
#include "library/files/file_slots.h"
#include "library/registry/ini_model.h"
#include "library/registry/registry_platform.h"

namespace talven {

namespace {

// The largest INI file the model reads (the profile calls read no more either).
constexpr long kLargestIni = 16 * 1024 * 1024;

std::optional<std::string> ReadWhole(const std::string& name) {
  std::FILE* file = OpenStream(name, "rb");
  if (file == nullptr) return std::nullopt;
  std::string text;
  char buffer[32768];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof(buffer), file)) > 0 &&
         text.size() < static_cast<size_t>(kLargestIni)) {
    text.append(buffer, got);
  }
  std::fclose(file);
  return text;
}

class PortableRegistry : public RegistryPlatform {
 public:
  std::optional<std::string> ReadProfile(const std::string& file, const std::string& section,
                                         const std::string& key) override {
    const std::optional<std::string> text = ReadWhole(file);
    if (!text) return std::nullopt;
    return IniValue(*text, section, key).value_or(std::string());
  }
  bool WriteProfile(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& value) override {
    const std::string text = IniWithValue(ReadWhole(file).value_or(std::string()), section, key, value);
    std::FILE* out = OpenStream(file, "wb");
    if (out == nullptr) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    return std::fclose(out) == 0 && written;
  }
  RegistryText ReadValue(int32_t root, const std::string& subkey, const std::string& name) override {
    const auto key = m_values.find(Key(root, subkey, ""));
    if (key == m_values.end()) return {RegistryStatus::OpenFailed, {}};
    const auto value = m_values.find(Key(root, subkey, name));
    if (value == m_values.end() || name.empty()) return {RegistryStatus::Missing, {}};
    return {RegistryStatus::Done, value->second};
  }
  RegistryStatus WriteValue(int32_t root, const std::string& subkey, const std::string& name,
                            const std::string& value) override {
    // The performance data and dynamic data roots take no keys of a program's.
    if (root == 4 || root == 6) return RegistryStatus::CreateFailed;
    m_values[Key(root, subkey, "")];
    if (!name.empty()) m_values[Key(root, subkey, name)] = value;
    return RegistryStatus::Done;
  }

 private:
  // Key and value names compare without regard to case.
  static std::string Key(int32_t root, const std::string& subkey, const std::string& name) {
    return std::to_string(root) + "\\" + UpperCase(subkey) + "\\" + (name.empty() ? "" : UpperCase(name) + "=");
  }
  std::map<std::string, std::string> m_values;
};

}  // namespace

std::unique_ptr<FamilyPlatform> MakePortableRegistry() { return std::make_unique<PortableRegistry>(); }

}  // namespace talven
