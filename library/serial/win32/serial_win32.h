#pragma once
// The Win32 platform of the family "serial", for the programs' host and the tests under Wine.

#include <memory>

#include "engine/family.h"

namespace talven {

std::unique_ptr<FamilyPlatform> MakeWin32Serial();

}  // namespace talven
