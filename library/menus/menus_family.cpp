// The family "menus": menu bars and pop-up menus.
// Not built yet: its names stop as unbound ones do (statements 102, functions 101,
// system variables 100). Add rows here as handlers arrive.

#include "library/families.h"

namespace talven {

const Family& MenusFamily() {
  static const Family kFamily{
      .name = "menus",
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
