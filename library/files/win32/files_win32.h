#pragma once
// The Win32 platform of the family "files", for the programs' host and the tests under Wine.

#include <memory>

#include "engine/family.h"

namespace talven {

std::unique_ptr<FamilyPlatform> MakeWin32Files();

}  // namespace talven
