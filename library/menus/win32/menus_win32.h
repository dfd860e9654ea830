#pragma once
// The Win32 menus platform on its own, for tests that drive real menus.

#include <memory>

#include "library/menus/menus_platform.h"

namespace talven {

std::unique_ptr<MenusPlatform> MakeWin32Menus();

}  // namespace talven
