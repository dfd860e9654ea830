// The number format: NUMWIDTH, DECIMALS and STRWIDTH. Every numeric result is written
// into the string register with the first two; STRWIDTH is the field width of strings
// in the text output.

#include "engine/engine.h"
#include "engine/evaluator.h"
#include "engine/statements.h"

namespace talven {

void StmtDecimals(Engine& engine) {
  engine.handled = true;
  engine.format.decimals = EvaluateInteger(engine, "");
}

void StmtNumWidth(Engine& engine) {
  engine.handled = true;
  engine.format.width = EvaluateInteger(engine, "");
}

void StmtStrWidth(Engine& engine) {
  engine.handled = true;
  engine.format.stringWidth = EvaluateInteger(engine, "");
}

}  // namespace talven
