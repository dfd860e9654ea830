#pragma once
// The numbered errors by name, one enumerator per row of engine/error_table.def. Code
// raises errors by these names; the numbers are what programs read in %ERRNUMBER.

#include <cstdint>

namespace talven {

enum class ErrorCode : int32_t {
  // No error: the zero of results that may carry one.
  None = 0,
#define TALVEN_ERROR(number, name, message, kind) name = number,
#include "engine/error_table.def"
#undef TALVEN_ERROR
  // Deliberate: raised without a row of its own, so its box reads "UNERWARTETER FEHLER!":
  // an expression that needs more room than the operator stack has.
  OperatorStackFull = 256,
};

constexpr int32_t ErrorNumber(ErrorCode code) { return static_cast<int32_t>(code); }

}  // namespace talven
