// The family "system": programs, system and ports. Its statements start programs, open
// help, end the session and write to ports; its functions and system variables read the
// environment, the clock, the versions and the paths of the system.

#include <string>

#include "engine/engine.h"
#include "engine/system_variables.h"
#include "engine/values.h"
#include "library/families.h"
#include "library/system/functions.h"
#include "library/system/null_system.h"
#include "library/system/statements.h"
#include "library/system/system_state.h"
#include "library/system/system_values.h"

namespace talven {

namespace {

void ReadHInstance(Engine& engine, std::string_view name) {
  SetSystemNumber(engine, name, static_cast<int32_t>(SystemPlatformOf(engine).ModuleHandle()));
}
void ReadTickCount(Engine& engine, std::string_view name) {
  SetSystemNumber(engine, name, static_cast<int32_t>(SystemPlatformOf(engine).TickCount()));
}
void ReadDesktop(Engine& engine, std::string_view name) {
  SetSystemNumber(engine, name, static_cast<int32_t>(SystemPlatformOf(engine).DesktopWindow()));
}
void ReadBitsPixel(Engine& engine, std::string_view name) {
  SetSystemNumber(engine, name, SystemPlatformOf(engine).BitsPerPixel());
}
void ReadMciError(Engine& engine, std::string_view name) {
  SetSystemNumber(engine, name, SystemOf(engine).mciError);
}
void ReadDrive(Engine& engine, std::string_view) {
  SetStringValue(engine.reg, DriveText(SystemPlatformOf(engine).CurrentDirectory()));
}
void ReadDosVer(Engine& engine, std::string_view) {
  SetStringValue(engine.reg, DosVersionText(SystemPlatformOf(engine).VersionValue()));
}
void ReadWinVer(Engine& engine, std::string_view) {
  SetStringValue(engine.reg, WinVersionText(SystemPlatformOf(engine).VersionValue()));
}
void SetPath(Engine& engine, std::string path) {
  if (path.size() > kMaxSystemPath) path.resize(kMaxSystemPath);
  SetStringValue(engine.reg, std::move(path));
}
void ReadWinPath(Engine& engine, std::string_view) {
  SetPath(engine, SystemPlatformOf(engine).WindowsDirectory());
}
void ReadSysPath(Engine& engine, std::string_view) {
  SetPath(engine, SystemPlatformOf(engine).SystemDirectory());
}

constexpr StatementRow kStatements[] = {
    {"SHELL", StmtShell},         {"RUN", StmtRun},   {"EXITWINDOWS", StmtExitWindows},
    {"WINHELP", StmtWinHelp},     {"OUTP", StmtOutp}, {"OUTPB", StmtOutpB},
    {"RANDOMIZE", StmtRandomize},
};

constexpr VariableRow kVariables[] = {
    {"%HINSTANCE", ReadHInstance}, {"&GETTICKCOUNT", ReadTickCount}, {"%DESKTOP", ReadDesktop},
    {"%BITSPIXEL", ReadBitsPixel}, {"%MCIERROR", ReadMciError},      {"$DRIVE", ReadDrive},
    {"$DOSVER", ReadDosVer},       {"$WINVER", ReadWinVer},          {"$WINPATH", ReadWinPath},
    {"$SYSPATH", ReadSysPath},
};

}  // namespace

const Family& SystemFamily() {
  static const Family kFamily{
      .name = "system",
      .statements = kStatements,
      .functions = SystemFunctionRows(),
      .variables = kVariables,
      .makeState = [](Engine&) -> std::unique_ptr<FamilyState> { return std::make_unique<SystemState>(); },
      .makePlatform = []() -> std::unique_ptr<FamilyPlatform> { return std::make_unique<NullSystem>(); },
      .arguments = ArgumentStyle::ParameterText,
  };
  return kFamily;
}

}  // namespace talven
