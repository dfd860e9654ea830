// The family "dll": calls into Windows libraries.
// Not built yet: its names stop as unbound ones do (statements 102, functions 101,
// system variables 100). Add rows here as handlers arrive.

#include "library/families.h"

namespace talven {

const Family& DllFamily() {
  static const Family kFamily{
      .name = "dll",
  };
  return kFamily;
}

}  // namespace talven
