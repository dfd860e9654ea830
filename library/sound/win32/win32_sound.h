#pragma once
// The Win32 platform of the family "sound", for the programs' host and the Windows tests.

#include <memory>

#include "library/sound/sound_platform.h"

namespace talven {

std::unique_ptr<SoundPlatform> MakeWin32Sound();

}  // namespace talven
