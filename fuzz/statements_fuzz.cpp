// The statement loop on arbitrary program text, with budgets of statements and of
// evaluations so that loops and jumps that never end still end the run; a statement that
// loops inside itself stops the process (the progress checks of the checked builds).

#include <cstdint>

#include "library/profiles.h"
#include "engine/engine.h"
#include "engine/loader.h"
#include "engine/run_loop.h"
#include "fuzz/fuzz_host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
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
  return 0;
}
