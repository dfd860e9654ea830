// Every family's Win32 platform installed in the host: one call per line of
// library/families.def, each defined in the family's own win32/ folder.

#include "library/win32/win32_host.h"

namespace talven {

#define TALVEN_FAMILY(id, folder) void Install##id##Win32(Win32Host& host);
#include "library/families.def"
#undef TALVEN_FAMILY

void InstallWin32Platforms(Win32Host& host) {
#define TALVEN_FAMILY(id, folder) Install##id##Win32(host);
#include "library/families.def"
#undef TALVEN_FAMILY
}

}  // namespace talven
