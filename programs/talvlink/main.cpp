// TALVLINK: the linker.

#include <windows.h>

#include "engine/startup.h"
#include "library/win32/win32_host.h"
#include "toolchain/linker.h"
#include "toolchain/win32/progress_window.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  std::vector<std::string> params = talven::SplitCommandLine(GetCommandLineA());
  if (!params.empty()) params.erase(params.begin());
  talven::Win32Host host;
  talven::Win32ProgressWindow progress({"ZUL-TALVEN² KOMBI-LINKER 6.5-32", 160, 128, 320, 164});
  return talven::RunLinker(host, params, progress);
}
