#include "engine/string_operands.h"

#include <algorithm>

#include "engine/engine.h"
#include "engine/evaluator.h"
#include "engine/limits.h"
#include "engine/text.h"

namespace talven {

bool IsStringOperand(const CompiledOperand& operand) {
  if (operand.negate) return false;
  if (operand.kind == CompiledOperand::Kind::String) return true;
  return operand.kind == CompiledOperand::Kind::Variable && !operand.name.empty() &&
         operand.name.back() == '$';
}

const std::string* StringOperandText(Engine& engine, const CompiledOperand& operand) {
  if (operand.kind == CompiledOperand::Kind::String) return &operand.text;
  const int32_t index = engine.vars.strings.FindCached(operand.name, operand.lookup);
  return index < 0 ? nullptr : &engine.vars.strings.Value(index);
}

bool AssignPlainStrings(Engine& engine, PreparedStatement& prepared) {
  constexpr size_t kMaxItems = 8;
  if (!engine.numericPath || engine.evaluationDepth >= kMaxEvaluationDepth ||
      prepared.expression.empty()) {
    return false;
  }
  // The items as the list reads them: item i is the reading of what item i - 1 left.
  const CompiledExpression* items[kMaxItems];
  const std::string* texts[kMaxItems];
  size_t count = 0;
  while (true) {
    if (count == kMaxItems || count >= prepared.items.size()) return false;
    const RememberedExpression& memo = prepared.items[count];
    if (memo.expression == nullptr || memo.operatorMode != engine.operatorMode) return false;
    const CompiledExpression& item = *memo.expression;
    if (!item.single || !IsStringOperand(item.first)) return false;
    items[count++] = &item;
    if (item.rest.empty()) break;
  }
  // Every variable must be there (a missing one warns, which the general way does in
  // its place), the target too (else 110 after the items, likewise).
  Variables& vars = engine.vars;
  for (size_t i = 0; i < count; ++i) {
    texts[i] = StringOperandText(engine, items[i]->first);
    if (texts[i] == nullptr) return false;
  }
  const int32_t target = vars.strings.FindCached(prepared.target, prepared.lookup);
  if (target < 0) return false;
  // Each item is one evaluation of the general way, which counts them.
  if (engine.evaluationBudget >= 0) {
    if (engine.evaluationBudget < static_cast<int64_t>(count)) return false;
    engine.evaluationBudget -= static_cast<int64_t>(count);
  }
  // The register keeps the last item's value, as after its evaluation.
  const CompiledExpression& last = *items[count - 1];
  SetStringValue(engine.reg, std::string_view(*texts[count - 1]));
  std::string& value = vars.strings.Value(target);
  // Where the target is read only as the first item (s$ = s$; "ab"), or not at all, the
  // items are joined in the variable itself; otherwise in a buffer first.
  size_t from = 0;
  bool inPlace = true;
  for (size_t i = 0; i < count; ++i) {
    if (texts[i] != &value) continue;
    if (i == 0) {
      from = 1;
    } else {
      inPlace = false;
    }
  }
  std::string& out = inPlace ? value : engine.cache.stringItems;
  if (!inPlace) {
    out.clear();
    from = 0;
  } else if (from == 0) {
    out.clear();
  }
  for (size_t i = 0; i < count; ++i) {
    if (i >= from) out.append(*texts[i], 0, std::min(texts[i]->size(), kMaxStringLength));
    if (items[i]->separator == ',') out += ' ';
    CutToMaxString(out);
  }
  if (!inPlace) value.assign(out);
  engine.lastSeparator = last.separator;
  engine.param.clear();
  engine.paramEnded = true;
  return true;
}

}  // namespace talven
