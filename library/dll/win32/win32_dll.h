#pragma once
// The Win32 platform of the family "dll", for the programs' host and the Windows tests.

#include <memory>

#include "library/dll/dll_platform.h"

namespace talven {

std::unique_ptr<DllPlatform> MakeWin32Dll();

}  // namespace talven
