// The function evaluator on arbitrary argument text: the first byte picks a catalogue row
// (or a slot function, a DEF function of the program, an unknown name), the second the
// error level and the operator mode, the rest is the text between the call's brackets. The program declares a few
// variables, lists and an area, and defines DEF functions (one of them recursive).

#include <cstdint>
#include <string>

#include "library/profiles.h"
#include "engine/compiled_expression.h"
#include "engine/engine.h"
#include "engine/functions.h"
#include "engine/run_loop.h"
#include "fuzz/fuzz_host.h"

namespace {

constexpr const char* kExtraNames[] = {"$", "%", "&", "!", "SQ", "HYP", "TIEF", "DLL", "NOPE"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  talven::fuzz::FuzzHost host;
  talven::Engine engine(host, talven::ProgramKind::Interpreter, talven::InterpreterProfile());
  engine.store.Append("DECLARE a%, b&, c!, d$, e#, m%[3,3,3], s$[4]");
  engine.store.Append("DIM e#, 8");
  engine.store.Append("DIM% 4");
  engine.store.Append("DIM$ 2");
  engine.store.Append("PASSWORD \"key\"");
  engine.store.Append("DEF @SQ(1) @!(1)*@!(1)");
  engine.store.Append("DEF @HYP(2) @SQRT(@SQ(@!(1)) + @SQ(@!(2)))");
  engine.store.Append("DEF @TIEF(1) @TIEF(@%(1) + 1)");
  engine.store.Append("DEF @DLL(1) !USER32,MessageBeep");
  engine.store.Append("REM");
  engine.ResetRunState();
  // Statements whose evaluations multiply end the run as the statement budget does.
  engine.evaluationBudget = 200000;
  engine.programArgs = {"eins", "zwei"};
  const int32_t rows = talven::CatalogueSize();
  const int32_t extra = static_cast<int32_t>(std::size(kExtraNames));
  const int32_t pick = data[0] % (rows + extra);
  const std::string name = pick < rows ? std::string(talven::CatalogueName(pick))
                                       : std::string(kExtraNames[pick - rows]);
  // GETKEY$ waits for a key that never comes.
  if (name == "GETKEY$") return 0;
  try {
    talven::RunStatements(engine);
    engine.errors.level = static_cast<int32_t>((data[1] >> 4) % 4) - 1;
    engine.operatorMode = (data[1] & 0x80) == 0;
    std::string text(reinterpret_cast<const char*>(data + 2), size - 2);
    if (text.size() > 255) text.resize(255);
    talven::FunctionSite site;
    // Twice: the second call goes through the remembered row.
    for (int i = 0; i < 2; ++i) {
      talven::CallFunction(engine, name, text, &site);
      if (engine.reg.Text().size() > 255) __builtin_trap();
    }
  } catch (const talven::RunEnd&) {
  }
  if (!engine.operators.empty()) __builtin_trap();
  if (engine.functions.defDepth != 0) __builtin_trap();
  return 0;
}
