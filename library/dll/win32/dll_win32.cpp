// The Win32 side of the family "dll": its platform, installed in the host.

#include "library/win32/win32_host.h"

namespace talven {

void InstallDllWin32(Win32Host&) {}

}  // namespace talven
