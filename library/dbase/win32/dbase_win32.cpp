// The Win32 side of the family "dbase": its platform, installed in the host.

#include "library/win32/win32_host.h"

namespace talven {

void InstallDbaseWin32(Win32Host&) {}

}  // namespace talven
