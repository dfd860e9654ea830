#pragma once
// The system and program functions: environment, date and time, clipboard, starting
// programs, multimedia command strings, ports.

#include <string_view>

namespace talven {

class Engine;

// Calls system function `name` (upper case, without "@") on engine.param; false when it
// is none of them.
bool CallSystemFunction(Engine& engine, std::string_view name);

}  // namespace talven
