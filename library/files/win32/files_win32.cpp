// The Win32 side of the family "files": the file slots use the C library's files, so
// there is no platform to install.

#include "library/win32/win32_host.h"

namespace talven {

void InstallFilesWin32(Win32Host&) {}

}  // namespace talven
