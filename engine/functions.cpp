// The function evaluator. This build knows the parameter-slot functions "$", "%", "&"
// and "!"; any other name is reported as an unknown function.

#include "engine/functions.h"

#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/evaluator.h"
#include "library/library_values.h"

namespace talven {

namespace {

constexpr int32_t kSlotOutOfRange = 211;
constexpr int32_t kUnknownFunction = 101;

// @$(i), @%(i), @&(i), @!(i): all four forms of slot i; only the type differs.
void SlotFunction(Engine& engine, ValueType type) {
  const int32_t index = EvaluateInteger(engine, ")");
  if (index < 0 || index >= kParameterSlots) {
    engine.reg = Registers{};
    Error(engine, kSlotOutOfRange);
    return;
  }
  LoadSlot(engine.reg, engine.slots[static_cast<size_t>(index)]);
  engine.reg.type = type;
}

}  // namespace

void CallFunction(Engine& engine, std::string_view name, std::string_view arguments) {
  engine.param = std::string(arguments);
  if (name.size() == 1) {
    switch (name.front()) {
      case '$': SlotFunction(engine, ValueType::String); return;
      case '%': SlotFunction(engine, ValueType::Integer); return;
      case '&': SlotFunction(engine, ValueType::Long); return;
      case '!': SlotFunction(engine, ValueType::Float); return;
      default: break;
    }
  }
  if (CallLibraryFunction(engine, name)) return;
  engine.reg = Registers{};
  Error(engine, kUnknownFunction, name);
}

}  // namespace talven
