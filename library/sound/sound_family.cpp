// The family "sound": beeps, tones, wave files and music.
// Not built yet: its names stop as unbound ones do (statements 102, functions 101,
// system variables 100). Add rows here as handlers arrive.

#include "library/families.h"

namespace talven {

const Family& SoundFamily() {
  static const Family kFamily{
      .name = "sound",
      .statements = {},
      .functions = {},
      .variables = {},
      .makeState = nullptr,
      .makePlatform = nullptr,
      .arguments = ArgumentStyle::Readers,
  };
  return kFamily;
}

}  // namespace talven
