// The family "registry": INI files and the registry. Built so far: @READINI$ of INI files
// through the system's private-profile call. Registry values (a first argument beginning
// with "HKEY_") and WRITEINI are not built yet: they stop as unbound names do.

#include <string>

#include "engine/binding.h"
#include "engine/engine.h"
#include "engine/function_handlers.h"
#include "engine/text.h"
#include "library/families.h"

namespace talven {

namespace {

std::string TextArgument(Engine& engine, EvalMode mode) {
  NextArgument(engine, mode);
  return engine.reg.Text();
}

// @READINI$(file, section, key): the entry (at most 255 characters) trimmed; a missing
// entry is empty, without a message. The file name keeps its backslashes.
void FnReadIni(Engine& engine, std::string_view name) {
  const std::string file = TextArgument(engine, EvalMode::FileName);
  const std::string section = TextArgument(engine, EvalMode::String);
  const std::string key = TextArgument(engine, EvalMode::String);
  if (UpperCase(std::string_view(file).substr(0, 5)) == "HKEY_") {
    UnboundFunction(engine, name);
    return;
  }
  std::string value = engine.host.ReadIniString(file, section, key, "");
  ResultString(engine, std::string(TrimControl(value)));
}

constexpr FunctionRow kFunctions[] = {
    {"READINI$", FnReadIni},
};

}  // namespace

const Family& RegistryFamily() {
  static const Family kFamily{
      .name = "registry",
      .statements = {},
      .functions = kFunctions,
      .variables = {},
      .makeState = nullptr,
      .makePlatform = nullptr,
      .arguments = ArgumentStyle::Readers,
  };
  return kFamily;
}

}  // namespace talven
