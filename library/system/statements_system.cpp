// The statements that reach outside the program: SHELL, RUN, EXITWINDOWS, WINHELP, OUTP,
// OUTPB. Each reads its arguments, hands them to the platform and reports nothing: what
// the system answers is dropped.

#include <string>

#include "engine/engine.h"
#include "engine/evaluator.h"
#include "library/system/statements.h"
#include "library/system/system_state.h"
#include "library/windows/window_state.h"

namespace talven {

namespace {

// The show mode "normal" of a started program.
constexpr int32_t kShowNormal = 1;

// ExitWindowsEx flags: 66 for any non-zero argument, 1 (shut down) for 0.
constexpr uint32_t kExitFlagsNonZero = 66;
constexpr uint32_t kExitFlagsShutDown = 1;

// WinHelp commands.
constexpr uint32_t kHelpContents = 3;
constexpr uint32_t kHelpOnHelp = 4;
constexpr uint32_t kHelpPartialKey = 261;

// The command line of SHELL and RUN: one expression to the end, backslashes as written.
std::string ReadCommandLine(Engine& engine) {
  Evaluate(engine, "", EvalMode::FileName);
  return engine.reg.Text();
}

void WritePort(Engine& engine, PortWidth width) {
  engine.handled = true;
  const int32_t port = EvaluateInteger(engine, ",");
  Evaluate(engine, "");
  const auto value = static_cast<uint32_t>(engine.reg.integer);
  // The port number has 16 bits; the value the width of the output.
  SystemPlatformOf(engine).WritePort(static_cast<uint16_t>(port),
                                 width == PortWidth::Byte ? value & 0xFF : value & 0xFFFF, width);
}

}  // namespace

// A command line that cannot be started goes unnoticed.
void StmtShell(Engine& engine) {
  engine.handled = true;
  SystemPlatformOf(engine).Execute(ReadCommandLine(engine), kShowNormal);
}

// As SHELL; the program then ends before its next statement, normally, with exit code 0.
void StmtRun(Engine& engine) {
  engine.handled = true;
  SystemPlatformOf(engine).Execute(ReadCommandLine(engine), kShowNormal);
  engine.terminate = true;
}

// A refusal of the system has no effect on the program.
void StmtExitWindows(Engine& engine) {
  engine.handled = true;
  Evaluate(engine, ",");
  const uint32_t flags = engine.reg.longValue != 0 ? kExitFlagsNonZero : kExitFlagsShutDown;
  SystemPlatformOf(engine).ExitSession(flags);
}

// "?" shows help on using help, "*" the contents; any other key, the empty one too, is
// looked up as a partial keyword. A missing file is WinHelp's to report.
void StmtWinHelp(Engine& engine) {
  engine.handled = true;
  Evaluate(engine, ",", EvalMode::FileName);
  const std::string file = engine.reg.Text();
  Evaluate(engine, "", EvalMode::String);
  const std::string key = engine.reg.Text();
  const intptr_t owner = WindowPlatformOf(engine).NativeHandle();
  if (key == "?") {
    SystemPlatformOf(engine).OpenHelp(owner, file, kHelpOnHelp, std::nullopt);
  } else if (key == "*") {
    SystemPlatformOf(engine).OpenHelp(owner, file, kHelpContents, std::nullopt);
  } else {
    SystemPlatformOf(engine).OpenHelp(owner, file, kHelpPartialKey, key);
  }
}

// Seeds the generator of @RND from the clock to the millisecond: two runs a second (or a
// millisecond) apart draw other numbers.
void StmtRandomize(Engine& engine) {
  engine.handled = true;
  const LocalTime now = SystemPlatformOf(engine).Now();
  const uint32_t days = static_cast<uint32_t>(now.year * 372 + now.month * 31 + now.day);
  const uint32_t milliseconds =
      static_cast<uint32_t>(((now.hour * 60 + now.minute) * 60 + now.second) * 1000 + now.millisecond);
  engine.functions.randomSeed = days * 86400000u + milliseconds;
}

void StmtOutp(Engine& engine) { WritePort(engine, PortWidth::Word); }
void StmtOutpB(Engine& engine) { WritePort(engine, PortWidth::Byte); }

}  // namespace talven
