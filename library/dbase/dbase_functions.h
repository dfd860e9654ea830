#pragma once
// The rows of the family "dbase": its functions, statements and system variables.

#include <span>

#include "engine/family.h"

namespace talven {

std::span<const FunctionRow> DbaseFunctionRows();
std::span<const StatementRow> DbaseStatementRows();
std::span<const VariableRow> DbaseVariableRows();

}  // namespace talven
