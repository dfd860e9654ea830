#pragma once
// The registry family's pieces that tests reach.

#include <cstdint>
#include <optional>
#include <string_view>

namespace talven {

// The root of a registry "file name": nullopt when it does not begin with "HKEY_" (an INI
// file), -1 when the rest is not one digit 0..6, else the digit.
std::optional<int32_t> RegistryRoot(std::string_view file);

}  // namespace talven
