#pragma once
// TALVLINK: a copy of the runtime module, one zero byte and the code file make a
// stand-alone program (or, with "/S", a screen saver).

#include <string>
#include <vector>

#include "engine/host.h"
#include "toolchain/progress.h"

namespace talven {

// Runs the linker on its command-line parameters (without its own name); returns the exit
// code: 0 success, 2 any failure.
int RunLinker(Host& host, const std::vector<std::string>& params, ProgressWindow& progress);

}  // namespace talven
