// The loader on arbitrary program text, then the statement loop on what it loaded.

#include <cstdint>

#include "engine/engine.h"
#include "engine/loader.h"
#include "engine/run_loop.h"
#include "fuzz/fuzz_host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  talven::fuzz::FuzzHost host;
  talven::fuzz::BytesFile file(data, size);
  talven::Engine engine(host, talven::ProgramKind::Interpreter);
  try {
    talven::LoadSource(host, file, engine.store);
    for (int32_t n = 1; n <= engine.store.LineCount(); ++n) {
      if (engine.store.Line(n).text.size() > 254) __builtin_trap();
    }
    engine.ResetRunState();
    // Loops and jumps can run for ever now: the run stops after a budget of statements.
    engine.statementBudget = 20000;
    talven::RunStatements(engine);
  } catch (const talven::RunEnd&) {
  }
  return 0;
}
