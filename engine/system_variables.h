#pragma once
// System variables: names that begin with their type character (one ordered table,
// system_variables.def), the number literals in hexadecimal, octal and binary notation,
// and the constants of DEF lines.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace talven {

class Engine;

// `name` is upper case, type character included.
void ReadSystemVariable(Engine& engine, std::string_view name);
// The names of the system-variable table, in its order.
std::vector<std::string_view> SystemVariableNames();
// The row of `name` in the table; -1 when it has none.
int FindSystemVariableRow(std::string_view name);
size_t SystemVariableCount();
std::string_view SystemVariableName(size_t row);
// An integer or long value in the type the name's first character gives ("&": long).
void SetSystemNumber(Engine& engine, std::string_view name, int32_t value);

}  // namespace talven
