// The indices of an array element: each an expression of its own, read from the list
// between the brackets. Plain indices (one integer variable or one number each, their
// readings kept) are read directly.

#include <string>

#include "engine/compiled_expression.h"
#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/evaluator.h"
#include "engine/text.h"

namespace talven {

namespace {

// An index whose reading is ready and is one integer variable or one number, without a
// sign: what RunSingle does for it, read here directly.
bool IsPlainIndex(const Engine& engine, const RememberedExpression& memo) {
  if (memo.expression == nullptr || memo.operatorMode != engine.operatorMode) return false;
  const CompiledExpression& expression = *memo.expression;
  if (!expression.single || expression.first.negate) return false;
  const CompiledOperand& operand = expression.first;
  return operand.kind == CompiledOperand::Kind::Number ||
         (operand.kind == CompiledOperand::Kind::Variable && operand.name.back() == '%');
}

// The indices of an array element when every one of them is a plain index (and the list
// holds at most three): each evaluated as RunSingle evaluates it, in order, with the
// parameter text left alone. False, having evaluated nothing, when they are not.
bool ReadPlainIndices(Engine& engine, int32_t (&indices)[3], const RememberedExpression* memos) {
  if (!engine.numericPath || engine.evaluationBudget >= 0 ||
      engine.evaluationDepth >= kMaxEvaluationDepth) {
    return false;
  }
  // A first reading is made only of a list that is not empty (ReadIndices), and the list
  // of a site never changes: without one, the general way reads the list.
  int count = 0;
  while (true) {
    if (count == 3 || !IsPlainIndex(engine, memos[count])) return false;
    if (memos[count++].expression->rest.empty()) break;
  }
  // Each index overwrites every register, the separator and the end flag: only the last
  // one's are written, and those of an index whose variable is missing before its warning.
  Registers& reg = engine.reg;
  for (int i = 0; i < count; ++i) {
    const CompiledOperand& operand = memos[i].expression->first;
    if (operand.kind == CompiledOperand::Kind::Number) {
      indices[i] = operand.number.longValue;
      continue;
    }
    const int32_t index = engine.vars.integers.FindCached(operand.name, operand.lookup);
    if (index >= 0) {
      indices[i] = engine.vars.integers.Value(index);
      continue;
    }
    indices[i] = 0;
    SetIntegerValue(reg, 0, ValueType::Integer, engine.format);
    engine.lastSeparator = memos[i].expression->separator;
    engine.paramEnded = memos[i].expression->rest.empty();
    WarnUndeclared(engine, operand.name);
  }
  const CompiledExpression& last = *memos[count - 1].expression;
  const CompiledOperand& operand = last.first;
  if (operand.kind == CompiledOperand::Kind::Number) {
    reg.integer = operand.number.integer;
    reg.longValue = operand.number.longValue;
    reg.floatValue = operand.number.floatValue;
    reg.type = operand.number.type;
    // As RunOperand formats a number.
    switch (reg.type) {
      case ValueType::Float: reg.SetFormatted(Registers::Pending::Float, reg.floatValue, engine.format); break;
      case ValueType::Long: reg.SetFormatted(Registers::Pending::Integer, reg.longValue, engine.format); break;
      default: reg.SetFormatted(Registers::Pending::Integer, reg.integer, engine.format); break;
    }
  } else {
    SetIntegerValue(reg, indices[count - 1], ValueType::Integer, engine.format);
  }
  engine.lastSeparator = last.separator;
  engine.paramEnded = true;
  return true;
}

}  // namespace

bool ReadIndices(Engine& engine, std::string_view list, int32_t (&indices)[3],
                 RememberedExpression* memos) {
  if (memos != nullptr && ReadPlainIndices(engine, indices, memos)) return true;
  std::string saved = std::move(engine.param);
  engine.param.clear();
  // While the readings of the indices are ready, what is left of the list after each is
  // its reading's rest (`left`) and the list is never copied; from the first index that
  // is still to be read on, the list is the parameter text as usual.
  std::string_view left = TrimControl(list);
  bool inParam = false;
  for (int i = 0; i < 3; ++i) {
    if (!inParam) {
      if (left.empty()) break;
      const RememberedExpression* memo = memos != nullptr ? &memos[i] : nullptr;
      if (memo != nullptr && memo->expression != nullptr && memo->operatorMode == engine.operatorMode) {
        const std::string* rest = RunRememberedKeepingText(engine, *memo, EvalMode::Any);
        left = rest != nullptr ? std::string_view(*rest) : std::string_view();
        indices[i] = engine.reg.longValue;
        continue;
      }
      engine.param.assign(left);
      inParam = true;
    }
    if (engine.param.empty()) break;
    if (memos != nullptr) {
      EvaluateRemembered(engine, memos[i], ",");
    } else {
      Evaluate(engine, ",");
    }
    indices[i] = engine.reg.longValue;
  }
  bool ok = true;
  if (inParam ? !engine.param.empty() : !left.empty()) {
    Error(engine, ErrorCode::TooManyDimensions);
    ok = false;
  }
  engine.param = std::move(saved);
  return ok;
}

}  // namespace talven
