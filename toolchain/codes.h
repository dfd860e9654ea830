#pragma once
// The function and system-variable codes of the compiled form, from their ordered tables
// (function_codes.def, system_variable_codes.def).

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace talven {

struct CodeName {
  uint8_t code;
  std::string_view name;  // functions without "@", system variables with their type character
};

// After "@": a DEF function call, followed by the DEF line's number (two bytes, low first).
inline constexpr uint8_t kCodeDefCall = 0xFF;
// After a type character: a DEF constant, followed by the DEF line's number.
inline constexpr uint8_t kCodeDefConstant = 0xFE;
// Operator prefix of a line body, and the escape of the word operators " AND ", " MOD ",
// " OR " in a parameter text.
inline constexpr uint8_t kOperatorMark = 0x15;

std::span<const CodeName> FunctionCodes();
std::span<const CodeName> SystemVariableCodes();

// `name` upper case; the bare name LIST stands for LIST%.
std::optional<uint8_t> FunctionCode(std::string_view name);
std::optional<uint8_t> SystemVariableCode(std::string_view name);
// Empty when no entry has this code.
std::string_view FunctionName(uint8_t code);
std::string_view SystemVariableName(uint8_t code);

}  // namespace talven
