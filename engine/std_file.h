#pragma once
// Source files read through the C library: the same code serves the native build and the
// Windows build (where file names are ANSI, as the rest of the engine's text).

#include <memory>
#include <string>

#include "engine/host.h"

namespace talven {

// Opens `name` for reading; nullptr when it cannot be opened.
std::unique_ptr<InputFile> OpenStdInputFile(const std::string& name);

}  // namespace talven
