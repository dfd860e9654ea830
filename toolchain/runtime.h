#pragma once
// TLVRUN32: finds its code (a code file named on the command line, code appended to its
// own program file, or a code file chosen in the dialog), loads it into the program store
// and runs it with the interpreter's statement loop.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/host.h"
#include "engine/profile.h"

namespace talven {

struct CodeLocation {
  bool ask = false;                      // no argument at all: the dialog chooses
  std::string file;                      // the file holding the code
  uint32_t offset = 0;                   // where the code file starts in it
  bool linked = false;                   // the program file itself carries the code
  std::vector<std::string> programArgs;  // the running program's own arguments
};

// Where the code is: a code file named by parameter 1, the code linked behind the
// runtime's own program, the dialog (no parameter), or parameter 1 with ".TVC".
// `isCodeFile` tells whether a named file opens and starts with " ZUL-TALVEN"; `ownOffset`
// is the value at offset 128 of the runtime's own program file (0 for the plain runtime).
CodeLocation FindCode(const std::vector<std::string>& params, const std::string& ownFile,
                      uint32_t ownOffset, bool (*isCodeFile)(const std::string&));

// True when `name` opens and its first 11 bytes read " ZUL-TALVEN".
bool IsCodeFile(const std::string& name);

// The 32-bit value at offset 128 of `name` (0 when it cannot be read).
uint32_t LinkedCodeOffset(const std::string& name);

// Runs the runtime on its command-line parameters (without the program's own name) and
// returns the exit code. `ownFile` is the runtime's own program file.
int RunRuntime(Host& host, const std::vector<std::string>& params, const std::string& ownFile,
               const Profile& profile);

}  // namespace talven
