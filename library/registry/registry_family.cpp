// The family "registry": READINI$ and WRITEINI. A first argument that begins with "HKEY_"
// (in any case) names a root key of the registry, HKEY_0 .. HKEY_6; the section is then the
// subkey and the key the value name. Anything else is an INI file for the system's
// private-profile calls. Registry failures are warning 305 with a detail that says what
// failed; a failed INI write is warning 303.

#include <optional>
#include <string>

#include "engine/binding.h"
#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/evaluator.h"
#include "engine/function_handlers.h"
#include "engine/scan.h"
#include "engine/text.h"
#include "library/families.h"
#include "library/registry/registry_family.h"
#include "library/registry/registry_platform.h"

namespace talven {

namespace {

RegistryPlatform& RegistryOf(Engine& engine) {
  return FamilyPlatformOf<RegistryPlatform>(engine, FamilyId::Registry);
}

std::string TextArgument(Engine& engine, EvalMode mode) {
  NextArgument(engine, mode);
  return engine.reg.Text();
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

void RegistryWarning(Engine& engine, RegistryStatus status, const std::string& subkey, const std::string& name) {
  switch (status) {
    case RegistryStatus::Done:
      return;
    case RegistryStatus::OpenFailed:
      Warn(engine, ErrorCode::RegistryError, "RegOpenkeyEx scheiterte für " + Quoted(subkey) + ".");
      return;
    case RegistryStatus::Missing:
      Warn(engine, ErrorCode::RegistryError, Quoted(name) + " nicht in " + Quoted(subkey) + " gefunden.");
      return;
    case RegistryStatus::NotText:
      Warn(engine, ErrorCode::RegistryError, Quoted(name) + " in " + Quoted(subkey) + " ist kein Textwert.");
      return;
    case RegistryStatus::CreateFailed:
      Warn(engine, ErrorCode::RegistryError, "RegCreateKeyEx scheiterte für " + Quoted(subkey) + ".");
      return;
    case RegistryStatus::SetFailed:
      Warn(engine, ErrorCode::RegistryError,
           "RegSetValueEX scheiterte für " + Quoted(subkey) + " : " + Quoted(name) + ".");
      return;
  }
}

// The registry file name, or nullopt for an INI file. A bad root (HKEY_7, HKEY_, hkey_1x,
// HKEY_-1) warns 305 and gives -1.
std::optional<int32_t> RegistryTarget(Engine& engine, const std::string& file) {
  const std::optional<int32_t> root = RegistryRoot(file);
  if (root && *root < 0) Warn(engine, ErrorCode::RegistryError, "Ungültiger HKEY: " + file);
  return root;
}

// @READINI$(file, section, key): the entry (at most 255 characters) trimmed; a missing
// INI entry is empty, without a message. The file name keeps its backslashes.
void FnReadIni(Engine& engine, std::string_view) {
  const std::string file = TextArgument(engine, EvalMode::FileName);
  const std::string section = TextArgument(engine, EvalMode::String);
  const std::string key = TextArgument(engine, EvalMode::String);
  RegistryPlatform& platform = RegistryOf(engine);
  std::string value;
  if (const std::optional<int32_t> root = RegistryTarget(engine, file)) {
    if (*root >= 0) {
      RegistryText read = platform.ReadValue(*root, section, key);
      RegistryWarning(engine, read.status, section, key);
      if (read.status == RegistryStatus::Done) value = std::move(read.text);
    }
  } else if (std::optional<std::string> entry = platform.ReadProfile(file, section, key)) {
    value = std::move(*entry);
  } else {
    value = engine.host.ReadIniString(file, section, key, "");
  }
  if (value.size() > kMaxStringLength) value.resize(kMaxStringLength);
  ResultString(engine, std::string(TrimControl(value)));
}

// WRITEINI file, section, key = value. The key is an expression read up to "=" (as the
// offset of BYTE), the value the rest.
void StmtWriteIni(Engine& engine) {
  engine.handled = true;
  Evaluate(engine, ",", EvalMode::FileName);
  const std::string file = engine.reg.Text();
  Evaluate(engine, ",", EvalMode::String);
  const std::string section = engine.reg.Text();
  const size_t equals = FindSeparator(engine.param, "=");
  const std::string keyText(TrimControl(std::string_view(engine.param).substr(0, equals)));
  const std::string valueText =
      equals == kNotFound ? std::string() : std::string(TrimControl(std::string_view(engine.param).substr(equals + 1)));
  engine.param.clear();
  EvaluateText(engine, keyText);
  const std::string key = engine.reg.Text();
  EvaluateText(engine, valueText);
  const std::string value = engine.reg.Text();

  RegistryPlatform& platform = RegistryOf(engine);
  if (const std::optional<int32_t> root = RegistryTarget(engine, file)) {
    if (*root >= 0) RegistryWarning(engine, platform.WriteValue(*root, section, key, value), section, key);
    return;
  }
  if (!platform.WriteProfile(file, section, key, value)) Warn(engine, ErrorCode::WriteFailed, file);
}

constexpr StatementRow kStatements[] = {
    {"WRITEINI", StmtWriteIni},
};

constexpr FunctionRow kFunctions[] = {
    {"READINI$", FnReadIni},
};

}  // namespace

// "HKEY_" in any case and one digit 0..6, nothing else; -1 for any other rest.
std::optional<int32_t> RegistryRoot(std::string_view file) {
  if (file.size() < 5 || UpperCase(file.substr(0, 5)) != "HKEY_") return std::nullopt;
  const std::string_view rest = file.substr(5);
  if (rest.size() != 1 || rest[0] < '0' || rest[0] > '6') return -1;
  return rest[0] - '0';
}

const Family& RegistryFamily() {
  static const Family kFamily{
      .name = "registry",
      .statements = kStatements,
      .functions = kFunctions,
      .variables = {},
      .makeState = nullptr,
      .makePlatform = MakePortableRegistry,
      .arguments = ArgumentStyle::Readers,
  };
  return kFamily;
}

}  // namespace talven
