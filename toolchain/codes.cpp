#include "toolchain/codes.h"

#include <string>
#include <unordered_map>

namespace talven {

namespace {

constexpr CodeName kFunctions[] = {
#define TALVEN_FUNCTION(code, name) {code, name},
#include "toolchain/function_codes.def"
#undef TALVEN_FUNCTION
};

constexpr CodeName kSystemVariables[] = {
#define TALVEN_SYSTEM_VARIABLE(code, name) {code, name},
#include "toolchain/system_variable_codes.def"
#undef TALVEN_SYSTEM_VARIABLE
};

using NameIndex = std::unordered_map<std::string_view, uint8_t>;

NameIndex IndexOf(std::span<const CodeName> table) {
  NameIndex index;
  for (const CodeName& entry : table) index.emplace(entry.name, entry.code);
  return index;
}

std::optional<uint8_t> Find(const NameIndex& index, std::string_view name) {
  const auto found = index.find(name);
  if (found == index.end()) return std::nullopt;
  return found->second;
}

std::string_view NameOf(std::span<const CodeName> table, uint8_t code) {
  for (const CodeName& entry : table) {
    if (entry.code == code) return entry.name;
  }
  return {};
}

}  // namespace

std::span<const CodeName> FunctionCodes() {
  return kFunctions;
}
std::span<const CodeName> SystemVariableCodes() {
  return kSystemVariables;
}

std::optional<uint8_t> FunctionCode(std::string_view name) {
  static const NameIndex kIndex = IndexOf(kFunctions);
  if (name == "LIST") name = "LIST%";
  return Find(kIndex, name);
}

std::optional<uint8_t> SystemVariableCode(std::string_view name) {
  static const NameIndex kIndex = IndexOf(kSystemVariables);
  return Find(kIndex, name);
}

std::string_view FunctionName(uint8_t code) {
  return NameOf(kFunctions, code);
}
std::string_view SystemVariableName(uint8_t code) {
  return NameOf(kSystemVariables, code);
}

}  // namespace talven
