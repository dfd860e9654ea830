// The evaluator on arbitrary parameter text: every separator form, every mode, both
// operator modes and every error level, over a few declared variables and arrays; each
// input twice, with and without the short path for numeric expressions, which must agree.

#include <cstdint>
#include <cstring>
#include <string>

#include "library/profiles.h"
#include "engine/engine.h"
#include "engine/evaluator.h"
#include "engine/run_loop.h"
#include "fuzz/fuzz_host.h"

namespace {

// What one reading of the input left: each evaluation's registers, the error state and
// how the run ended.
struct Outcome {
  std::string trace;
  bool operator==(const Outcome&) const = default;
};

void Record(Outcome& out, const talven::Engine& engine) {
  const talven::Registers& reg = engine.reg;
  uint64_t bits = 0;
  std::memcpy(&bits, &reg.floatValue, sizeof bits);
  out.trace += std::to_string(static_cast<int>(reg.type)) + ":" + std::to_string(reg.integer) +
               ":" + std::to_string(reg.longValue) + ":" + std::to_string(bits) + ":" +
               reg.Text() + ":" + engine.lastSeparator + ":" + engine.param + "|";
}

// numericPath: whether expressions of numbers and numeric variables take the evaluator's
// short path; the outcome must not depend on it.
Outcome Run(const uint8_t* data, size_t size, bool numericPath) {
  Outcome out;
  talven::fuzz::FuzzHost host;
  talven::Engine engine(host, talven::ProgramKind::Interpreter, talven::InterpreterProfile());
  engine.store.Append("DECLARE a%, b&, c!, d$, e#, m%[3,3,3], s$[4]");
  engine.store.Append("DIM e#, 8");
  engine.store.Append("DEF %K 7");
  engine.store.Append("REM");
  engine.ResetRunState();
  engine.numericPath = numericPath;
  // No evaluation budget: the short ways are taken only without one, and the lines above
  // define no function, so no evaluation of the input can multiply.
  const uint8_t control = data[0];
  constexpr const char* kSeparators[] = {"", ",", ")", ":", "p", "-", ",;"};
  constexpr talven::EvalMode kModes[] = {talven::EvalMode::Any, talven::EvalMode::String,
                                         talven::EvalMode::Number, talven::EvalMode::FileName};
  try {
    talven::RunStatements(engine);
    engine.errors.level = static_cast<int32_t>(control % 4) - 1;
    engine.operatorMode = (control & 0x10) == 0;
    std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    if (text.size() > 255) text.resize(255);
    engine.param = text;
    // Read the whole text argument by argument, as statements do.
    for (int i = 0; i < 16 && !engine.param.empty(); ++i) {
      talven::Evaluate(engine, kSeparators[(control >> 5) % 7], kModes[(control >> 2) % 4]);
      Record(out, engine);
    }
    engine.param = text;
    talven::Skip(engine, ",");
  } catch (const talven::RunEnd& end) {
    out.trace += "end " + std::to_string(end.exitCode);
  }
  if (!engine.operators.empty()) __builtin_trap();
  out.trace += "/" + std::to_string(engine.errors.flag) + "/" +
               std::to_string(engine.errors.lastNumber);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  // Differential: the short path for numeric expressions and the operator stack agree.
  if (!(Run(data, size, true) == Run(data, size, false))) __builtin_trap();
  return 0;
}
