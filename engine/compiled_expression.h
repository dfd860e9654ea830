#pragma once
// An expression as the evaluator reads it from a parameter text: its operands, told apart
// once, and its operators in order, with the rest of the text behind it. Reading a text
// depends on nothing but the text, the separator and the operator mode, so the evaluator
// keeps the reading of each text it meets and evaluates from it; every value, variable
// look-up, warning and error still happens at each evaluation, in the same order.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/values.h"
#include "engine/variables.h"

namespace talven {


struct CompiledExpression;

// A statement's own remembered reading of its parameter text (EvaluateRemembered).
struct RememberedExpression {
  const CompiledExpression* expression = nullptr;
  bool operatorMode = true;
};

// The readings of the up to three indices of an array element and its array.
struct ArrayAccessCache {
  RememberedExpression indices[3];
  ArrayLookupCache array;
};

// What a function call site remembers: the catalogue row its name resolved to (-1 not yet)
// and the readings of its first arguments, by their position in the order the handler
// reads or passes over them. The text between the brackets never changes, and what is
// left of it after k arguments depends on that text alone, so reading k is always the
// reading of the same text.
inline constexpr size_t kRememberedArguments = 16;
struct FunctionSite {
  int32_t row = -1;
  std::unique_ptr<std::array<RememberedExpression, kRememberedArguments>> arguments;
};

struct CompiledOperand {
  enum class Kind : uint8_t {
    Missing,      // no text left: 212
    EmptyItem,    // an empty list item: the empty string
    Bracket,      // "(" text ")": `text` is evaluated
    Call,         // `name` "(" `text` ")"
    CallMissing,  // "@" name without "(": 213
    String,       // a string literal: `text` is its value
    Array,        // `name` "[" `text` "]"
    Area,         // `name` ends with "#"
    System,       // `name` starts with a type character
    Variable,     // `name` ends with a type character
    Number,       // `number` holds the value
    NotNumber,    // `text` is no number: 214
  };
  Kind kind = Kind::Missing;
  bool negate = false;
  bool fileName = false;  // a bracket inside a file-name evaluation
  // A Call that reads a numeric slot by an index written as digits (@&(1)): the index;
  // -1 for every other operand.
  int32_t slot = -1;
  std::string name;
  std::string text;
  Registers number;
  mutable LookupCache lookup;
  mutable ArrayAccessCache access;
  mutable FunctionSite function;  // a Call's remembered dispatch (functions.cpp)
};

struct CompiledStep {
  int32_t op = 0;
  int32_t priority = 0;
  CompiledOperand operand;
};

struct CompiledExpression {
  bool missing = false;  // the text was empty: 212
  // A list item that would take nothing from a text that is not empty (it starts with a
  // character no operand or separator takes, as a stray ":"): reading the list on would
  // never end, so the statement ends with 102 and the text.
  bool stalls = false;
  // Operators between numbers and simple numeric variables only: evaluated on their float
  // values without the registers.
  bool numeric = false;
  // `numeric` and neither `missing` nor `stalls`: the short way may take it.
  bool numericShort = false;
  // Some operand reads a slot (CompiledOperand::slot); `numeric` counts those as numbers.
  bool readsSlots = false;
  // `numericShort`, no slot read, and one comparison: the short way of conditions
  // (EvaluateConditionShort) takes it.
  bool comparison = false;
  // One number, variable, literal, array element, call, bracket, system or area variable
  // without operators: its value is the operand's own (RunOperand), nothing is stacked.
  bool single = false;
  // One comparison or "+" between two string literals or simple string variables: applied
  // to the texts where they are, without copying them through the registers.
  bool strings = false;
  // `strings` and not `stalls`: the short way may take it.
  bool stringsShort = false;
  CompiledOperand first;
  std::vector<CompiledStep> steps;
  std::string expressionText;  // the consumed expression, for 216
  std::string wholeText;       // from the expression on, for 216 after a stack overflow
  char separator = ' ';        // the separator that ended it, blank when none
  std::string rest;            // the parameter text after it, trimmed
};

// What a statement handler read from its line's parameter text the first time, kept for
// the line's later executions: the target variable (upper-cased) and its look-up, and
// the text it evaluates with the reading of it.
struct PreparedStatement {
  bool ready = false;
  // A number read from the text once (the byte statements: a file slot written as
  // digits; 0 where the slot is an expression).
  int32_t number = 0;
  std::string target;
  std::string expression;
  RememberedExpression memo;
  LookupCache lookup;
  // GOTO and GOSUB: the reading whose value (one string literal) made `target`.
  const CompiledExpression* constantReading = nullptr;
  // The readings of a list evaluated item after item (procedure arguments, the items of
  // a string assignment, the conditions of CASE and of a CASENOT after it): item i is
  // read from what item i - 1 left.
  std::vector<RememberedExpression> items;
  // The names of DECLARE and PARAMETERS once they passed the name rules (simple
  // variables only).
  std::vector<std::string> names;
  // An array element as the target: its name, its index text and their readings.
  std::string arrayName;
  std::string indexText;
  ArrayAccessCache access;
};

// Whether the prepared reading is one the evaluator's short way can take (one operand, or
// operators between numbers and numeric variables); the rest of its conditions are checked
// at each evaluation (EvaluateNumberShort).
inline bool HasNumberShortWay(const PreparedStatement& prepared) {
  const CompiledExpression* expression = prepared.memo.expression;
  return expression != nullptr && (expression->single || expression->numeric);
}

// More items than a line can hold (each takes at least one of its 254 characters) are
// never remembered.
inline constexpr size_t kMaxRememberedItems = 256;

// The reading for item `index` of `prepared.items`, or nullptr without a preparation.
inline RememberedExpression* ItemMemo(PreparedStatement* prepared, size_t index) {
  if (prepared == nullptr || index >= kMaxRememberedItems) return nullptr;
  if (prepared->items.size() <= index) prepared->items.resize(index + 1);
  return &prepared->items[index];
}

}  // namespace talven
