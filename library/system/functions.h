#pragma once
// The system and program functions: environment, date and time, clipboard, starting
// programs, multimedia command strings, ports.

#include <span>

#include "engine/family.h"

namespace talven {

// The function rows of the system family, in the order of the catalogue.
std::span<const FunctionRow> SystemFunctionRows();

}  // namespace talven
