// TALVCOMP: the compiler.

#include <windows.h>

#include "engine/startup.h"
#include "library/win32/win32_host.h"
#include "toolchain/compiler.h"
#include "toolchain/win32/progress_window.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  std::vector<std::string> params = talven::SplitCommandLine(GetCommandLineA());
  if (!params.empty()) params.erase(params.begin());
  talven::Win32Host host;
  talven::Win32ProgressWindow progress({"ZUL-TALVEN² COMPILER 6.6a-32", 180, 120, 420, 120});
  talven::ClockRandom random;
  return talven::RunCompiler(host, params, progress, random);
}
