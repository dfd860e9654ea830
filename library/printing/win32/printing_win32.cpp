// The Win32 side of the family "printing": its platform, installed in the host.

#include "library/win32/win32_host.h"

namespace talven {

void InstallPrintingWin32(Win32Host&) {}

}  // namespace talven
