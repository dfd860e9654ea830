#pragma once
// The function evaluator: a call written "@NAME(arguments)" or "NAME(arguments)".

#include <string_view>

namespace talven {

class Engine;

// Calls function `name` (upper case, without "@") on the text between its brackets and
// leaves the value in the registers.
void CallFunction(Engine& engine, std::string_view name, std::string_view arguments);

}  // namespace talven
