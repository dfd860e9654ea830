#pragma once
// The source loader: reads a program text into the program store line by line, with
// comments cut, continuation lines joined and include files expanded.

#include <string>

#include "engine/host.h"
#include "engine/profile.h"
#include "engine/program_store.h"

namespace talven {

// The compiler's view of the scrambling directives: "$P+" (XOR mode) and "$P*" (cipher
// mode) count only in the main file, the later one winning; in an include file they stay
// ordinary lines (and fail as unknown words).
enum class ScrambleDirective { None, Xor, Cipher };
struct CompilerLoad {
  ScrambleDirective directive = ScrambleDirective::None;
};

// Reads `file` (whose name is `fileName`) into `store`. A load error shows its box (no
// owner: no window exists yet) and throws RunEnd{1}. `compiler` is given by the compiler
// only; `profile` (the program's) sets the line limit and the boxes' caption.
void LoadSource(Host& host, InputFile& file, ProgramStore& store, CompilerLoad* compiler = nullptr,
                const Profile* profile = nullptr);

// The loader's treatment of one physical line: trimmed, comment cut, tabs made blanks.
std::string CleanSourceLine(std::string_view physical);

}  // namespace talven
