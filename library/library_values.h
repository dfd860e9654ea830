#pragma once
// The functions and system variables of the built-in library (window, input, file slots),
// asked by the engine's function evaluator and system-variable reader before they give up.

#include <string_view>

namespace talven {

class Engine;

// Calls library function `name` (upper case, without "@") on engine.param; false when the
// library has no function of that name.
bool CallLibraryFunction(Engine& engine, std::string_view name);
// Reads library system variable `name` (upper case, type character included); false when
// the library has none of that name.
bool ReadLibraryVariable(Engine& engine, std::string_view name);

}  // namespace talven
