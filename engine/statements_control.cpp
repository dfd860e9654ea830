// The run-control statements: END, PROGEND, SETERRORLEVEL, the trace switch, and a
// function call written as a statement.

#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/evaluator.h"
#include "engine/run_loop.h"
#include "engine/statements.h"

namespace talven {

void NotAvailable(Engine& engine) {
  engine.handled = true;
  Error(engine, ErrorCode::UnknownStatement, engine.word);
}

void StepHandled(Engine& engine) { engine.handled = true; }

void StmtExpression(Engine& engine) {
  engine.handled = true;
  Evaluate(engine, "");
}

void StmtEnd(Engine& engine) {
  engine.handled = true;
  engine.terminate = true;
}

void StmtProgEnd(Engine& engine) {
  engine.handled = true;
  throw ProgramEnd{};
}

// -2 switches the message processing between statements off (the means for tight loops)
// and leaves the level as it is; any other value becomes the error level and switches the
// message processing on again.
void StmtSetErrorLevel(Engine& engine) {
  engine.handled = true;
  const int32_t level = EvaluateInteger(engine, ",");
  if (level == -2) {
    engine.errors.fastMode = true;
    return;
  }
  engine.errors.level = level;
  engine.errors.fastMode = false;
}

void StmtTraceOn(Engine& engine) {
  engine.handled = true;
  engine.errors.trace = true;
}

void StmtTraceOff(Engine& engine) {
  engine.handled = true;
  engine.errors.trace = false;
}

}  // namespace talven
