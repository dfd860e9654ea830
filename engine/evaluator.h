#pragma once
// The evaluator: reads one expression from the front of the parameter text into the
// result registers, and removes it together with the separator that ended it.

#include <string_view>

namespace talven {

class Engine;

enum class EvalMode { Any = 0, String = 1, Number = 2, FileName = 9 };

void Evaluate(Engine& engine, std::string_view separator, EvalMode mode = EvalMode::Any);
// Evaluates and returns the integer register.
int32_t EvaluateInteger(Engine& engine, std::string_view separator);

}  // namespace talven
