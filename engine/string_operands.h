#pragma once
// String literals and simple string variables read where they stand, without the copy
// through the registers: the short ways of the evaluator and of string assignment.

#include <string>

#include "engine/compiled_expression.h"

namespace talven {

class Engine;

// A string literal, or a simple string variable (not negated: a sign does nothing to a
// string, but it is left to the general way).
bool IsStringOperand(const CompiledOperand& operand);

// The text an operand of IsStringOperand reads, where it is; nullptr for a variable that
// does not exist (its read warns, which is left to the general way).
const std::string* StringOperandText(Engine& engine, const CompiledOperand& operand);

}  // namespace talven
