// The shared list's own words: CLEARLIST, ADDSTRING, LISTBOXITEM$ (statement and
// function) and %GETCOUNT.

#include <string>

#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/evaluator.h"
#include "engine/function_handlers.h"
#include "library/controls/list_words.h"
#include "library/controls/shared_list.h"

namespace talven {

void StmtClearList(Engine& engine) {
  engine.handled = true;
  SharedListOf(engine).Clear();
}

// ADDSTRING text
void StmtAddString(Engine& engine) {
  engine.handled = true;
  Evaluate(engine, "", EvalMode::String);
  if (!SharedListOf(engine).Add(engine.reg.Text())) Error(engine, ErrorCode::TooManyElements);
}

// LISTBOXITEM$ index, text
void StmtListBoxItem(Engine& engine) {
  engine.handled = true;
  const int32_t index = EvaluateInteger(engine, ",");
  Evaluate(engine, "", EvalMode::String);
  if (!SharedListOf(engine).Replace(index, engine.reg.Text())) Error(engine, ErrorCode::NoSuchElement);
}

// @LISTBOXITEM$(index): below 0 an empty string, above the last index 206.
void FnListBoxItem(Engine& engine, std::string_view) {
  const int32_t index = ArgLong(engine);
  const SharedList& list = SharedListOf(engine);
  if (index > list.LastIndex()) {
    Error(engine, ErrorCode::TooFewElements);
    return;
  }
  const std::string* entry = list.At(index);
  ResultString(engine, entry != nullptr ? *entry : std::string());
}

void ReadGetCount(Engine& engine, std::string_view) { ResultInteger(engine, SharedListOf(engine).LastIndex()); }

}  // namespace talven
