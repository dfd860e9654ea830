// The system and program functions: GETENV$, DATE$, TIME$, GETCLIP$, WINEXEC,
// WINEXECWAIT, SHELLEXEC, MCISEND$, INP, INPB, GETUSAGE. The platform does the work;
// what is built here is the reading of the arguments and the texts.

#include <array>
#include <string>

#include "engine/engine.h"
#include "engine/evaluator.h"
#include "engine/function_handlers.h"
#include "library/system/functions.h"
#include "library/system/system_state.h"
#include "library/system/system_values.h"

namespace talven {

namespace {

// A string argument; `mode` String raises 216 for a number, FileName also keeps the
// backslashes of paths as written.
std::string ReadText(Engine& engine, EvalMode mode) {
  Evaluate(engine, ",", mode);
  return engine.reg.Text();
}

// Show modes of the started programs run from 0 to 9; anything else counts as 0.
int32_t ShowMode(int32_t show) { return show >= 0 && show <= 9 ? show : 0; }

void FunctionGetEnv(Engine& engine) {
  const std::string name = ReadText(engine, EvalMode::String);
  SetStringValue(engine.reg, SystemPlatformOf(engine).Environment(name).value_or(std::string()));
}

// The short-date pattern of the system settings (win.ini, section intl).
std::string ShortDatePattern(Engine& engine) {
  return engine.host.ReadIniString("WIN.INI", "INTL", "sShortDate", kDefaultShortDate);
}

void FunctionDate(Engine& engine) {
  const int32_t mode = EvaluateInteger(engine, ",");
  const LocalTime now = SystemPlatformOf(engine).Now();
  const int32_t selected = mode % 16;
  // The long forms and yyyyMMdd do not depend on the settings.
  const std::string pattern =
      selected >= 1 && selected <= 3 ? std::string() : ShortDatePattern(engine);
  SetStringValue(engine.reg, DateText(now, mode, pattern));
}

void FunctionTime(Engine& engine) {
  const int32_t mode = EvaluateInteger(engine, ",");
  SetStringValue(engine.reg, TimeText(SystemPlatformOf(engine).Now(), mode));
}

void FunctionGetClip(Engine& engine) {
  // The first 255 characters: the string register cuts there.
  SetStringValue(engine.reg, SystemPlatformOf(engine).ClipboardText().value_or(std::string()));
}

void FunctionWinExec(Engine& engine) {
  const std::string command = ReadText(engine, EvalMode::FileName);
  const int32_t show = EvaluateInteger(engine, ",");
  ResultLong(engine, static_cast<int32_t>(SystemPlatformOf(engine).Execute(command, show)));
}

void FunctionWinExecWait(Engine& engine) {
  const std::string command = ReadText(engine, EvalMode::FileName);
  const int32_t show = ShowMode(EvaluateInteger(engine, ","));
  ResultInteger(engine, SystemPlatformOf(engine).ExecuteAndWait(command, show) ? 1 : 0);
}

void FunctionShellExec(Engine& engine) {
  const std::string file = ReadText(engine, EvalMode::FileName);
  const std::string verb = ReadText(engine, EvalMode::String);
  const int32_t show = ShowMode(EvaluateInteger(engine, ","));
  ResultLong(engine, static_cast<int32_t>(SystemPlatformOf(engine).ShellOpen(file, verb, show)));
}

// The answer, or on failure the error's text; the code stays for %MCIERROR either way.
void FunctionMciSend(Engine& engine) {
  const std::string command = ReadText(engine, EvalMode::FileName);
  const MciAnswer answer = SystemPlatformOf(engine).SendMci(command);
  SystemOf(engine).mciError = static_cast<int32_t>(answer.code);
  SetStringValue(engine.reg, answer.text);
}

// Deliberate: no ordinary program may touch the I/O ports here, so the platform reads 0
// and never tries the instruction (it would end the program with a fault).
void FunctionInp(Engine& engine, PortWidth width) {
  const int32_t port = EvaluateInteger(engine, ",");
  const uint32_t value = SystemPlatformOf(engine).ReadPort(static_cast<uint16_t>(port), width);
  const uint32_t mask = width == PortWidth::Byte ? 0xFF : 0xFFFF;
  ResultInteger(engine, static_cast<int32_t>(value & mask));
}

void FunctionGetUsage(Engine& engine) {
  Evaluate(engine, ",");
  ResultInteger(engine, 0);
}

// In the order of the function catalogue.
constexpr FunctionRow kSystemFunctions[] = {
    {"GETUSAGE", [](Engine& engine, std::string_view) { FunctionGetUsage(engine); }},
    {"WINEXEC", [](Engine& engine, std::string_view) { FunctionWinExec(engine); }},
    {"INP", [](Engine& engine, std::string_view) { FunctionInp(engine, PortWidth::Word); }},
    {"INPB", [](Engine& engine, std::string_view) { FunctionInp(engine, PortWidth::Byte); }},
    {"GETENV$", [](Engine& engine, std::string_view) { FunctionGetEnv(engine); }},
    {"MCISEND$", [](Engine& engine, std::string_view) { FunctionMciSend(engine); }},
    {"DATE$", [](Engine& engine, std::string_view) { FunctionDate(engine); }},
    {"TIME$", [](Engine& engine, std::string_view) { FunctionTime(engine); }},
    {"GETCLIP$", [](Engine& engine, std::string_view) { FunctionGetClip(engine); }},
    {"WINEXECWAIT", [](Engine& engine, std::string_view) { FunctionWinExecWait(engine); }},
    {"SHELLEXEC", [](Engine& engine, std::string_view) { FunctionShellExec(engine); }},
};

}  // namespace

std::span<const FunctionRow> SystemFunctionRows() { return kSystemFunctions; }

}  // namespace talven
