// The statement loop on arbitrary program text, with budgets of statements and of
// evaluations so that loops and jumps that never end still end the run; a statement that
// loops inside itself stops the process (the progress checks of the checked builds).
// A program without DEF (the only way one statement's evaluations can multiply) runs twice
// more without the evaluation budget, with the short ways of lines and expressions and
// without them: both runs must end in the same state.

#include <cstdint>
#include <cstring>
#include <string>

#include "library/profiles.h"
#include "engine/engine.h"
#include "engine/loader.h"
#include "engine/run_loop.h"
#include "fuzz/fuzz_host.h"

namespace {

bool MentionsDef(const uint8_t* data, size_t size) {
  for (size_t i = 0; i + 3 <= size; ++i) {
    if ((data[i] | 0x20) == 'd' && (data[i + 1] | 0x20) == 'e' && (data[i + 2] | 0x20) == 'f') {
      return true;
    }
  }
  return false;
}

// How a run without the evaluation budget ended: the exit, the place, the errors, the
// loops and frames, every variable, the boxes, and the registers where the run goes on
// (after an error that ends it nothing reads them again, and the operator stack leaves its
// last operand there where the short ways leave the value before).
std::string ShortWayRun(const uint8_t* data, size_t size, bool shortWays) {
  talven::fuzz::FuzzHost host;
  talven::fuzz::BytesFile file(data, size);
  talven::Engine engine(host, talven::ProgramKind::Interpreter, talven::InterpreterProfile());
  std::string state;
  bool ended = false;
  try {
    talven::LoadSource(host, file, engine.store);
    engine.ResetRunState();
    engine.numericPath = shortWays;
    engine.statementBudget = 5000;
    talven::RunStatements(engine);
  } catch (const talven::RunEnd& end) {
    state += "end " + std::to_string(end.exitCode) + ";";
    ended = true;
  }
  if (!ended) {
    const talven::Registers& reg = engine.reg;
    uint64_t bits = 0;
    std::memcpy(&bits, &reg.floatValue, sizeof bits);
    state += std::to_string(static_cast<int>(reg.type)) + ":" + std::to_string(reg.integer) + ":" +
             std::to_string(reg.longValue) + ":" + std::to_string(bits) + ":" + reg.Text() + ";";
  }
  state += std::to_string(engine.pc) + "/" + std::to_string(engine.errors.flag) + "/" +
           std::to_string(engine.errors.lastNumber) + "/" + std::to_string(engine.whileStack.size()) +
           "/" + std::to_string(engine.frames.size()) + "/" + std::to_string(host.Boxes());
  const talven::Variables& vars = engine.vars;
  for (int32_t i = 0; i < vars.integers.Count(); ++i) state += "|" + std::to_string(vars.integers.Value(i));
  for (int32_t i = 0; i < vars.longs.Count(); ++i) state += "|" + std::to_string(vars.longs.Value(i));
  for (int32_t i = 0; i < vars.floats.Count(); ++i) {
    uint64_t bits = 0;
    std::memcpy(&bits, &vars.floats.Value(i), sizeof bits);
    state += "|" + std::to_string(bits);
  }
  for (int32_t i = 0; i < vars.strings.Count(); ++i) state += "|" + vars.strings.Value(i);
  engine.DropFamilyStates();
  return state;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  {
    talven::fuzz::FuzzHost host;
    talven::fuzz::BytesFile file(data, size);
    talven::Engine engine(host, talven::ProgramKind::Interpreter, talven::InterpreterProfile());
    try {
      talven::LoadSource(host, file, engine.store);
      engine.ResetRunState();
      engine.statementBudget = 20000;
      // Statements whose evaluations multiply end the run as the statement budget does.
      engine.evaluationBudget = 200000;
      talven::RunStatements(engine);
    } catch (const talven::RunEnd&) {
    }
  }
  if (!MentionsDef(data, size) && ShortWayRun(data, size, true) != ShortWayRun(data, size, false)) {
    __builtin_trap();
  }
  return 0;
}
