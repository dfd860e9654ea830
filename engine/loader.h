#pragma once
// The source loader: reads a program text into the program store line by line, with
// comments cut, continuation lines joined and include files expanded.

#include <string>

#include "engine/host.h"
#include "engine/program_store.h"

namespace talven {

// Reads `file` (whose name is `fileName`) into `store`. A load error shows its box (no
// owner: no window exists yet) and throws RunEnd{1}.
void LoadSource(Host& host, InputFile& file, ProgramStore& store);

// The loader's treatment of one physical line: trimmed, comment cut, tabs made blanks.
std::string CleanSourceLine(std::string_view physical);

}  // namespace talven
