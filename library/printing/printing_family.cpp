// The family "printing": print jobs, pages of text and graphics, hard copies of windows.
// Not built yet: its names stop as unbound ones do (statements 102, functions 101,
// system variables 100). Add rows here as handlers arrive.

#include "library/families.h"

namespace talven {

const Family& PrintingFamily() {
  static const Family kFamily{
      .name = "printing",
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
