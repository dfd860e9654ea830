// The family "controls": the program's own controls and dialog windows, the ready-made dialogs and the shared string list.
// Built so far: the shared list's own words. The other names stop as unbound ones do
// (statements 102, functions 101, system variables 100).

#include "library/controls/list_words.h"
#include "library/controls/shared_list.h"
#include "library/families.h"

namespace talven {

namespace {

constexpr StatementRow kStatements[] = {
    {"CLEARLIST", StmtClearList},
    {"ADDSTRING", StmtAddString},
    {"LISTBOXITEM$", StmtListBoxItem},
};

constexpr FunctionRow kFunctions[] = {
    {"LISTBOXITEM$", FnListBoxItem},
};

constexpr VariableRow kVariables[] = {
    {"%GETCOUNT", ReadGetCount},
};

}  // namespace

const Family& ControlsFamily() {
  static const Family kFamily{
      .name = "controls",
      .statements = kStatements,
      .functions = kFunctions,
      .variables = kVariables,
      .makeState = [](Engine&) -> std::unique_ptr<FamilyState> { return std::make_unique<ControlsState>(); },
      .makePlatform = nullptr,
      .arguments = ArgumentStyle::Readers,
  };
  return kFamily;
}

}  // namespace talven
