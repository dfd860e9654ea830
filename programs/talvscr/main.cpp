// TALVSCR: the script interpreter, the engine with the script profile's families and
// names.

#include <windows.h>

#include "engine/startup.h"
#include "library/profiles.h"
#include "library/win32/win32_host.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  std::vector<std::string> params = talven::SplitCommandLine(GetCommandLineA());
  if (!params.empty()) params.erase(params.begin());
  talven::Win32Host host;
  return talven::RunInterpreter(host, params, talven::ScriptProfile());
}
