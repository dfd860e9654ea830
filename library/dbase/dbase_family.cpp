// The family "dbase": dBase III tables, memos and NDX indexes in the slots #1 .. #15.

#include "library/dbase/dbase_functions.h"
#include "library/dbase/dbase_state.h"
#include "library/families.h"

namespace talven {

const Family& DbaseFamily() {
  static const Family kFamily{
      .name = "dbase",
      .statements = DbaseStatementRows(),
      .functions = DbaseFunctionRows(),
      .variables = DbaseVariableRows(),
      .makeState = [](Engine&) -> std::unique_ptr<FamilyState> { return std::make_unique<DbaseState>(); },
      .makePlatform = []() -> std::unique_ptr<FamilyPlatform> {
        return std::make_unique<OwnedDbasePlatform>(DefaultDbFileSystem());
      },
      // Functions take "#n" before their expressions: they read the text between the brackets.
      .arguments = ArgumentStyle::ParameterText,
  };
  return kFamily;
}

}  // namespace talven
