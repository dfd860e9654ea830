// The family "controls": the program's own controls and dialog windows, the ready-made dialogs and the shared string list.
// Not built yet: its names stop as unbound ones do (statements 102, functions 101,
// system variables 100). Add rows here as handlers arrive.

#include "library/families.h"

namespace talven {

const Family& ControlsFamily() {
  static const Family kFamily{
      .name = "controls",
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
