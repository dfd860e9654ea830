#pragma once
// System variables: names that begin with their type character, the number literals in
// hexadecimal, octal and binary notation, and the constants of DEF lines.

#include <string_view>

namespace talven {

class Engine;

// `name` is upper case, type character included.
void ReadSystemVariable(Engine& engine, std::string_view name);

}  // namespace talven
