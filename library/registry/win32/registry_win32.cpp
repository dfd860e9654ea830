// The Win32 side of the family "registry": the private-profile calls and the registry.

#include <windows.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "library/families.h"
#include "library/registry/registry_platform.h"
#include "library/registry/win32/registry_win32.h"
#include "library/win32/win32_host.h"

namespace talven {

namespace {

// The largest value READINI$ reads; a longer one is cut to the 255 characters of a text
// anyway, but the system is asked for the whole value once.
constexpr DWORD kLargestValue = 1024 * 1024;

HKEY RootKey(int32_t root) {
  return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000000u + static_cast<uint32_t>(root)));
}

class Win32Registry : public RegistryPlatform {
 public:
  std::optional<std::string> ReadProfile(const std::string& file, const std::string& section,
                                         const std::string& key) override {
    char value[256] = {};
    GetPrivateProfileStringA(section.c_str(), key.c_str(), "", value, sizeof(value), file.c_str());
    return std::string(value);
  }
  // Deliberate: an empty section or key goes to the system as an empty text, never as a
  // null pointer (which would delete a whole section or every entry of one).
  bool WriteProfile(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& value) override {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) != FALSE;
  }

  // Read access only: full access is refused under HKEY_LOCAL_MACHINE to a user who is not
  // an administrator. The size is asked first and the value read once at that size, so the
  // performance data (which grows between calls) never keeps the program in a loop.
  RegistryText ReadValue(int32_t root, const std::string& subkey, const std::string& name) override {
    HKEY key = nullptr;
    if (RegOpenKeyExA(RootKey(root), subkey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
      return {RegistryStatus::OpenFailed, {}};
    }
    DWORD type = 0;
    DWORD size = 0;
    LONG status = RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size);
    RegistryText result{RegistryStatus::Missing, {}};
    if (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
      if (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_DWORD) {
        result.status = RegistryStatus::NotText;
      } else if (size <= kLargestValue) {
        std::vector<BYTE> data(size + 2, 0);
        DWORD got = size;
        status = RegQueryValueExA(key, name.c_str(), nullptr, &type, data.data(), &got);
        if (status == ERROR_SUCCESS && got <= size) {
          result.status = RegistryStatus::Done;
          if (type == REG_DWORD && got >= 4) {
            const DWORD number = data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<DWORD>(data[3]) << 24);
            result.text = std::to_string(number);
          } else if (type == REG_SZ || type == REG_EXPAND_SZ) {
            // A stored text need not carry its terminating zero: it ends at the first one
            // or at its size, and is cut at 255 characters.
            size_t length = 0;
            while (length < got && data[length] != 0) ++length;
            result.text.assign(reinterpret_cast<const char*>(data.data()), std::min<size_t>(length, 255));
          } else {
            result.status = RegistryStatus::NotText;
          }
        }
      } else {
        result.status = RegistryStatus::NotText;
      }
    }
    RegCloseKey(key);
    return result;
  }

  RegistryStatus WriteValue(int32_t root, const std::string& subkey, const std::string& name,
                            const std::string& value) override {
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExA(RootKey(root), subkey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                        nullptr, &key, &disposition) != ERROR_SUCCESS) {
      return RegistryStatus::CreateFailed;
    }
    const LONG status = RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                       static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? RegistryStatus::Done : RegistryStatus::SetFailed;
  }
};

}  // namespace

std::unique_ptr<FamilyPlatform> MakeWin32Registry() { return std::make_unique<Win32Registry>(); }

void InstallRegistryWin32(Win32Host& host) {
  host.InstallPlatform(FamilyIndex(FamilyId::Registry), MakeWin32Registry());
}

}  // namespace talven
