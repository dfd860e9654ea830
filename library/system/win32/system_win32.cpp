// The Win32 side of the family "system": the real calls of the operating system.

#include "library/families.h"
#include "library/system/win32/win32_system.h"
#include "library/win32/win32_host.h"

namespace talven {

void InstallSystemWin32(Win32Host& host) {
  host.InstallPlatform(FamilyIndex(FamilyId::System), std::make_unique<Win32System>());
}

}  // namespace talven
