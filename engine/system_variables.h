#pragma once
// System variables: names that begin with their type character (one ordered table,
// system_variables.def), the number literals in hexadecimal, octal and binary notation,
// and the constants of DEF lines.

#include <string_view>
#include <vector>

namespace talven {

class Engine;

// `name` is upper case, type character included.
void ReadSystemVariable(Engine& engine, std::string_view name);
// The names of the system-variable table, in its order.
std::vector<std::string_view> SystemVariableNames();

}  // namespace talven
