// The Win32 side of the family "dde": its platform, installed in the host.

#include "library/win32/win32_host.h"

namespace talven {

void InstallDdeWin32(Win32Host&) {}

}  // namespace talven
