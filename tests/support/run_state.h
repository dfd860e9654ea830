#pragma once
// Runs of a program cut after a number of statements, with the short ways on or off, told
// as a text the tests compare: the end, the registers, separator, parameter text, end
// flag and errors, then what the caller adds.

#include <functional>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/run_loop.h"
#include "library/profiles.h"
#include "tests/support/recording_host.h"

namespace talven::test {

struct CutRun {
  // After an error that ended the run nothing reads the registers again (the operator
  // stack and the short ways may leave different values there): blank them then.
  bool registersAfterEnd = true;
  // Adds the caller's part of the state; the engine's families are still there.
  std::function<void(Engine&, RecordingHost&, std::string&)> more;
};

inline std::string CutRunState(const std::vector<std::string>& program, int64_t statements,
                               bool shortWays, const CutRun& options = {}) {
  RecordingHost host;
  Engine engine{host, ProgramKind::Interpreter, InterpreterProfile()};
  for (const std::string& line : program) engine.store.Append(line);
  engine.ResetRunState();
  engine.numericPath = shortWays;
  engine.statementBudget = statements;
  std::string state;
  bool ended = false;
  try {
    RunStatements(engine);
  } catch (const RunEnd& end) {
    state += "end " + std::to_string(end.exitCode) + ";";
    ended = true;
  }
  const Registers reg = ended && !options.registersAfterEnd ? Registers{} : engine.reg;
  state += std::to_string(static_cast<int>(reg.type)) + "/" + std::to_string(reg.integer) + "/" +
           std::to_string(reg.longValue) + "/" + std::to_string(reg.floatValue) + "/" + reg.Text() +
           "/" + engine.lastSeparator + "/" + engine.param + "/" + (engine.paramEnded ? "e" : "-") +
           "/" + std::to_string(engine.errors.flag) + "/" + std::to_string(engine.errors.lastNumber);
  if (options.more) options.more(engine, host, state);
  engine.DropFamilyStates();
  return state;
}

}  // namespace talven::test
