#pragma once
// The Win32 platform of the family "dde", for the programs' host and the tests under Wine.

#include <memory>

#include "engine/family.h"

namespace talven {

std::unique_ptr<FamilyPlatform> MakeWin32Dde();

}  // namespace talven
