#pragma once
// The Win32 platform of the family "odbc", for the programs' host and the Windows tests.

#include <memory>

#include "library/odbc/odbc_platform.h"

namespace talven {

std::unique_ptr<OdbcPlatform> MakeWin32Odbc();

}  // namespace talven
