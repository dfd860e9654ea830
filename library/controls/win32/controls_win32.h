#pragma once
// The Win32 controls platform on its own, for tests that drive real controls.

#include <memory>

#include "library/controls/controls_platform.h"

namespace talven {

std::unique_ptr<ControlsPlatform> MakeWin32Controls();

}  // namespace talven
