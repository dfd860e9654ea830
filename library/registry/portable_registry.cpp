// The default platform of READINI$ and WRITEINI for the native tests: INI files on the
// host's file system through the INI model, and a registry in memory that lives as long as
// the host.

#include <cstdio>
#include <filesystem>
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

// The whole file; nullopt when it does not open, cannot be read to its end, or is larger
// than an INI file may be.
std::optional<std::string> ReadWhole(const std::string& name) {
  std::FILE* file = OpenStream(name, "rb");
  if (file == nullptr) return std::nullopt;
  std::string text;
  char buffer[32768];
  size_t got = 0;
  bool whole = true;
  while ((got = std::fread(buffer, 1, sizeof(buffer), file)) > 0) {
    if (text.size() + got > static_cast<size_t>(kLargestIni)) {
      whole = false;
      break;
    }
    text.append(buffer, got);
  }
  if (std::ferror(file)) whole = false;
  std::fclose(file);
  if (!whole) return std::nullopt;
  return text;
}

bool Exists(const std::string& name) {
  std::error_code error;
  return std::filesystem::exists(StreamName(name), error);
}

// A name beside `file` that nothing uses yet.
std::string TemporaryBeside(const std::string& file) {
  for (int i = 0;; ++i) {
    std::string name = file + ".~t" + std::to_string(i);
    if (!Exists(name)) return name;
  }
}

class PortableRegistry : public RegistryPlatform {
 public:
  std::optional<std::string> ReadProfile(const std::string& file, const std::string& section,
                                         const std::string& key) override {
    const std::optional<std::string> text = ReadWhole(file);
    if (!text) {
      // A file that is there but too large or unreadable has no entries for us.
      if (Exists(file)) return std::string();
      return std::nullopt;
    }
    return IniValue(*text, section, key).value_or(std::string());
  }
  // The new text goes into a file beside the old one, which it replaces only when it is
  // complete: a failed write leaves the old file as it was and nothing beside it. A file
  // that is there but cannot be read whole is not written at all (its rest would be lost).
  bool WriteProfile(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& value) override {
    std::optional<std::string> old = ReadWhole(file);
    if (!old) {
      if (Exists(file)) return false;
      old.emplace();
    }
    const std::string text = IniWithValue(*old, section, key, value);
    const std::string temporary = TemporaryBeside(file);
    std::FILE* out = OpenStream(temporary, "wb");
    if (out == nullptr) return false;
    bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    written = std::fclose(out) == 0 && written;
    if (written && RenameStream(temporary, file)) return true;
    std::remove(StreamName(temporary).c_str());
    return false;
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
