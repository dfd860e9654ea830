// TLVRUN32: the runtime for code files, and the front part of every linked program.

#include <windows.h>

#include "engine/startup.h"
#include "library/profiles.h"
#include "library/win32/win32_host.h"
#include "toolchain/runtime.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  std::vector<std::string> params = talven::SplitCommandLine(GetCommandLineA());
  if (!params.empty()) params.erase(params.begin());
  char own[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, own, MAX_PATH);
  talven::Win32Host host;
  return talven::RunRuntime(host, params, own, talven::RuntimeProfile());
}
