#pragma once
// The handlers of the function catalogue (function_catalogue.def) and the argument
// readers they share. Each family has its own file: functions_strings.cpp,
// functions_numbers.cpp, functions_lists.cpp; the dispatch, the parameter-slot functions
// and the DEF functions are in functions.cpp.

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/evaluator.h"
#include "engine/family.h"
#include "engine/values.h"

namespace talven {

class Engine;


// Argument readers: the next argument up to "," (the last one runs to the end of the text
// between the brackets); the text is missing: 212. Through the call site's remembered
// readings (FunctionSite) where the call has a site.
void NextArgument(Engine& engine, EvalMode mode);
// NextArgument on the argument's text with its first `skip` characters passed over (the
// "#" before a file slot's number); what the call site remembers is the reading of the
// text after them. The same `skip` at every call of a site.
void NextArgumentAfter(Engine& engine, size_t skip, EvalMode mode);
// A handler that reads an argument itself from its text: engine/argument_text.h.
// Passes over the next argument without evaluating it (Skip).
void SkipArgument(Engine& engine);
// Arguments read through remembered readings leave the parameter text behind; a handler
// that reads engine.param itself after them calls this first.
void CatchUpText(Engine& engine);
std::string ArgString(Engine& engine);
// The string argument kept in buffer `which` (0 to 2) of the handler, valid for the
// handler's time: for a string that later arguments must not overwrite.
const std::string& ArgKept(Engine& engine, size_t which);
// The string argument in the string register itself: valid until the next evaluation.
const std::string& ArgText(Engine& engine);
int32_t ArgInteger(Engine& engine);
int32_t ArgLong(Engine& engine);
double ArgFloat(Engine& engine);

// Results.
void ResultString(Engine& engine, std::string text);
void ResultInteger(Engine& engine, int32_t value, ValueType type = ValueType::Integer);
inline void ResultLong(Engine& engine, int32_t value) { ResultInteger(engine, value, ValueType::Long); }
void ResultFloat(Engine& engine, double value, ValueType type = ValueType::Float);

// functions_strings.cpp
void FnPwd(Engine&, std::string_view);
void FnTranslate(Engine&, std::string_view);
void FnEquStr(Engine&, std::string_view);
void FnLtStr(Engine&, std::string_view);
void FnGtStr(Engine&, std::string_view);
void FnNeqStr(Engine&, std::string_view);
void FnChr(Engine&, std::string_view);
void FnAddStr(Engine&, std::string_view);
void FnMid(Engine&, std::string_view);
void FnSubstr(Engine&, std::string_view);
void FnDel(Engine&, std::string_view);
void FnIns(Engine&, std::string_view);
void FnLen(Engine&, std::string_view);
void FnInstr(Engine&, std::string_view);
void FnOrd(Engine&, std::string_view);
void FnTrim(Engine&, std::string_view);
void FnStr(Engine&, std::string_view);
void FnUpper(Engine&, std::string_view);
void FnLower(Engine&, std::string_view);
void FnVal(Engine&, std::string_view);
void FnOemToAnsi(Engine&, std::string_view);
void FnAnsiToOem(Engine&, std::string_view);
void FnFormat(Engine&, std::string_view);
void FnHex(Engine&, std::string_view);
void FnOct(Engine&, std::string_view);
void FnBin(Engine&, std::string_view);
void FnLeft(Engine&, std::string_view);
void FnRight(Engine&, std::string_view);
void FnMkStr(Engine&, std::string_view);
void FnSpace(Engine&, std::string_view);

// functions_numbers.cpp
void FnRound(Engine&, std::string_view);
void FnAdd(Engine&, std::string_view);
void FnSub(Engine&, std::string_view);
void FnMul(Engine&, std::string_view);
void FnDiv(Engine&, std::string_view);
void FnIntDiv(Engine&, std::string_view);
void FnMod(Engine&, std::string_view);
void FnAnd(Engine&, std::string_view);
void FnOr(Engine&, std::string_view);
void FnXor(Engine&, std::string_view);
void FnNeq(Engine&, std::string_view);
void FnEqu(Engine&, std::string_view);
void FnGt(Engine&, std::string_view);
void FnLt(Engine&, std::string_view);
void FnIf(Engine&, std::string_view);
void FnNot(Engine&, std::string_view);
void FnAbs(Engine&, std::string_view);
void FnCos(Engine&, std::string_view);
void FnSin(Engine&, std::string_view);
void FnExp(Engine&, std::string_view);
void FnLn(Engine&, std::string_view);
void FnLg(Engine&, std::string_view);
void FnTan(Engine&, std::string_view);
void FnCot(Engine&, std::string_view);
void FnPow(Engine&, std::string_view);
void FnSqr(Engine&, std::string_view);
void FnSqrt(Engine&, std::string_view);
void FnArcTan(Engine&, std::string_view);
void FnPi(Engine&, std::string_view);
void FnInt(Engine&, std::string_view);
void FnRnd(Engine&, std::string_view);
void FnRgb(Engine&, std::string_view);
void FnGetRValue(Engine&, std::string_view);
void FnGetGValue(Engine&, std::string_view);
void FnGetBValue(Engine&, std::string_view);
void FnTestBit(Engine&, std::string_view);
void FnSetBit(Engine&, std::string_view);

// functions_lists.cpp
void FnByte(Engine&, std::string_view);
void FnWord(Engine&, std::string_view);
void FnLong(Engine&, std::string_view);
void FnStringAt(Engine&, std::string_view);
void FnCharAt(Engine&, std::string_view);
void FnListInteger(Engine&, std::string_view);
void FnListLong(Engine&, std::string_view);
void FnListFloat(Engine&, std::string_view);
void FnListString(Engine&, std::string_view);
void FnPar(Engine&, std::string_view);
void FnAddr(Engine&, std::string_view);

}  // namespace talven
