// The Win32 side of the family "window": the host's own main window is its platform.

#include "library/families.h"
#include "library/win32/win32_host.h"

namespace talven {

void InstallWindowWin32(Win32Host& host) {
  host.UsePlatform(FamilyIndex(FamilyId::Window), host.MainWindow());
}

}  // namespace talven
