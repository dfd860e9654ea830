#pragma once
// What READINI$ and WRITEINI need from the system: the private-profile calls and the
// registry. win32/ implements it with the real calls; the portable default keeps INI files
// through the INI model and the registry in memory.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "engine/family.h"

namespace talven {

// The outcome of a registry access; each failure has its own detail text.
enum class RegistryStatus { Done, OpenFailed, Missing, NotText, CreateFailed, SetFailed };

struct RegistryText {
  RegistryStatus status = RegistryStatus::Done;
  std::string text;
};

class RegistryPlatform : public FamilyPlatform {
 public:
  // An INI entry (at most 255 characters); nullopt leaves the reading to the host's own
  // profile call.
  virtual std::optional<std::string> ReadProfile(const std::string& file, const std::string& section,
                                                 const std::string& key) = 0;
  virtual bool WriteProfile(const std::string& file, const std::string& section, const std::string& key,
                            const std::string& value) = 0;
  // Root 0..6: classes root, current user, local machine, users, performance data, current
  // config, dynamic data. Reading asks for read access only.
  virtual RegistryText ReadValue(int32_t root, const std::string& subkey, const std::string& name) = 0;
  virtual RegistryStatus WriteValue(int32_t root, const std::string& subkey, const std::string& name,
                                    const std::string& value) = 0;
};

std::unique_ptr<FamilyPlatform> MakePortableRegistry();

}  // namespace talven
