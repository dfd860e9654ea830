#pragma once
// The evaluator: reads one expression from the front of the parameter text into the
// result registers, and removes it together with the separator that ended it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace talven {

class Engine;
struct ArrayDescriptor;
struct CompiledOperand;
struct CompiledExpression;
struct RememberedExpression;
struct PreparedStatement;

// 0 any type; 1 a string is required (216 otherwise); 2 a number is expected (as 0);
// 9 a string is required and only the escape "\\" is translated (file names).
enum class EvalMode { Any = 0, String = 1, Number = 2, FileName = 9 };

// The separator "p" stands for one item of a list: it ends at "," or ";".
inline constexpr std::string_view kListItem = "p";

void Evaluate(Engine& engine, std::string_view separator, EvalMode mode = EvalMode::Any);

// A loop that reads a list item after item must take text each round. The evaluator ends
// a list whose next item would take nothing (102); in the checked builds (sanitizers,
// fuzzing) a loop that still did not advance stops the process at once, so that such a
// fault shows as a crash rather than as a loop.
inline void CheckProgress(size_t before, const std::string& after) {
#ifdef TALVEN_CHECKED
  if (!after.empty() && after.size() >= before) __builtin_trap();
#else
  (void)before;
  (void)after;
#endif
}
// Evaluate for a statement that evaluates the same text each time it runs: the first
// time engine.param must hold the text; later (while the operator mode is the same) the
// remembered reading is used and engine.param need not be set. The outcome is Evaluate's.
void EvaluateRemembered(Engine& engine, RememberedExpression& memo, std::string_view separator,
                        EvalMode mode = EvalMode::Any);

// EvaluateRemembered for a reading that is ready (memo.expression set, read in the current
// operator mode) that leaves the parameter text alone: what follows the expression is the
// returned text. nullptr where the evaluation cleared the parameter text instead (a
// missing text, a full operator stack).
const std::string* RunRememberedKeepingText(Engine& engine, const RememberedExpression& memo,
                                            EvalMode mode);

// Evaluates the text a statement prepared (EvaluateRemembered on prepared.expression).
void EvaluatePrepared(Engine& engine, PreparedStatement& prepared, EvalMode mode = EvalMode::Any);
// EvaluatePrepared's short way for a statement's number (mode Number), its reading ready:
// the same registers, separator, end flag and parameter text, or false, having done
// nothing, where the evaluation needs the general way (the caller then takes its own).
bool EvaluateNumberShort(Engine& engine, const PreparedStatement& prepared);
// EvaluateNumberShort for a condition: one comparison of numbers and simple numeric
// variables is evaluated by a way of its own, cheaper to enter.
bool EvaluateConditionShort(Engine& engine, const PreparedStatement& prepared);
// Mended: evaluations nest through brackets, function arguments and DEF bodies, and a DEF
// function that calls itself inside many brackets could exhaust the machine stack before
// the call depth stops it. Deeper than this an evaluation is given up as the full
// operator stack is.
inline constexpr int32_t kMaxEvaluationDepth = 2000;

// A string assignment (`prepared` of LET with a string target) whose items are string
// literals and string variables that all exist, their readings ready: the items joined
// into the newest variable of the target's name with the registers, separator, end flag
// and parameter text the item after item way leaves, without copying each item through
// the string register. False, having changed nothing, where it does not apply.
bool AssignPlainStrings(Engine& engine, PreparedStatement& prepared);

// The integer value of the current line's own parameter text, read once per line (the
// conditions of IF, IFNOT, WHILE, WHILENOT); EvaluateInteger(engine, "") otherwise.
int32_t EvaluateCondition(Engine& engine);

// Evaluates `text` to its end with the parameter text saved and restored around it.
void EvaluateText(Engine& engine, std::string_view text, EvalMode mode = EvalMode::Any);
// Passes over one argument up to and including the first separator character outside
// strings and brackets, without evaluating it.
void Skip(Engine& engine, std::string_view separator);
// Evaluates and returns the integer register.
int32_t EvaluateInteger(Engine& engine, std::string_view separator);

// Operand recognition (operand.cpp): tells what the operand that starts at `pos` of
// `text` is and moves `pos` past it; `stops` are the separator characters. RunOperand
// delivers its value in the registers.
void ParseOperand(const std::string& text, size_t& pos, std::string_view stops,
                  bool operatorMode, EvalMode mode, bool listItem, CompiledOperand& out);
void RunOperand(Engine& engine, const CompiledOperand& operand);
// Warning 215 for a variable that is not declared (not while DECLARE or PARAMETERS runs).
void WarnUndeclared(Engine& engine, const std::string& name);

// The up to three indices of an array element, each an expression whose long value
// counts; missing indices are 0, a fourth raises 254 (false).
// `memos` (when given) keeps the readings of the three index texts.
bool ReadIndices(Engine& engine, std::string_view list, int32_t (&indices)[3],
                 RememberedExpression* memos = nullptr);
// The pool position of an element, or -1 when the indices name no element of `array`.
int64_t ElementPosition(const ArrayDescriptor& array, const int32_t (&indices)[3]);

// Where the operand starting at `pos` ends: before an operator character, a separator,
// a "(" or "[" at depth 0, or " AND ", " OR ", " MOD " (operator mode on); before a
// separator only (operator mode off).
size_t OperandEnd(std::string_view text, size_t pos, std::string_view stops, bool operatorMode);

}  // namespace talven
