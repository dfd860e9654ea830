// Operand recognition: the one place that decides what an operand is. Literals,
// variables, array elements, area variables, system variables, function calls and
// bracketed sub-expressions are told apart here, in a fixed order.

#include <cstdlib>

#include "engine/compiled_expression.h"
#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/evaluator.h"
#include "engine/functions.h"
#include "engine/scan.h"
#include "engine/split.h"
#include "engine/system_variables.h"
#include "engine/text.h"

namespace talven {

namespace {

// The position of the bracket that closes the one at `open` ("(" or "["), strings
// skipped; the end of the text when it never closes.
size_t MatchingClose(std::string_view text, size_t open) {
  const char opening = text[open];
  const char closing = opening == '(' ? ')' : ']';
  int depth = 0;
  for (size_t i = open; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      const size_t close = text.find('"', i + 1);
      if (close == kNotFound) return text.size();
      i = close;
    } else if (c == opening) {
      ++depth;
    } else if (c == closing && --depth == 0) {
      return i;
    }
  }
  return text.size();
}

// The text of a string literal: "\\" is held back, "\n" becomes 13, "\a" 8, "\t" 9,
// "\z" 0 and "\." a backslash; the held-back "\\" is a backslash at last. A file name
// (mode 9) translates "\\" only.
std::string Unescape(std::string_view body, bool fileName) {
  std::string out;
  out.reserve(body.size());
  for (size_t i = 0; i < body.size(); ++i) {
    const char c = body[i];
    if (c != '\\' || i + 1 >= body.size()) {
      out.push_back(c);
      continue;
    }
    const char next = body[i + 1];
    char translated = 0;
    bool known = true;
    if (next == '\\') {
      translated = '\\';
    } else if (fileName) {
      known = false;
    } else {
      switch (next) {
        case 'n': translated = 13; break;
        case 'a': translated = 8; break;
        case 't': translated = 9; break;
        case 'z': translated = 0; break;
        case '.': translated = '\\'; break;
        default: known = false; break;
      }
    }
    if (known) {
      out.push_back(translated);
      ++i;
    } else {
      out.push_back(c);
    }
  }
  return out;
}

// A decimal number as the language writes it: digits with at most one ".", an optional
// exponent. Hexadecimal, "inf" and the like are not numbers here.
bool IsDecimalNumber(std::string_view text) {
  size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  size_t digits = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    size_t exponent = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++exponent;
    if (exponent == 0) return false;
  }
  return i == text.size();
}

// The text of a numeric operand: a float with its decimals, an integer or long without.
void FormatNumber(Registers& reg, const NumberFormat& format) {
  switch (reg.type) {
    case ValueType::Float: reg.SetFormatted(Registers::Pending::Float, reg.floatValue, format); break;
    case ValueType::Long: reg.SetFormatted(Registers::Pending::Integer, reg.longValue, format); break;
    default: reg.SetFormatted(Registers::Pending::Integer, reg.integer, format); break;
  }
}

bool SuppressesUndeclared(const Engine& engine) {
  return engine.word == "DECLARE" || engine.word == "PARAMETERS";
}

template <typename Table>
int32_t Lookup(const Table& table, const std::string& name, LookupCache& cache) {
  return table.FindCached(name, cache);
}

void ReadVariable(Engine& engine, const CompiledOperand& operand) {
  Variables& vars = engine.vars;
  const std::string& name = operand.name;
  int32_t index = -1;
  switch (name.back()) {
    case '%':
      index = Lookup(vars.integers, name, operand.lookup);
      SetIntegerValue(engine.reg, index < 0 ? 0 : vars.integers.Value(index), ValueType::Integer,
                      engine.format);
      break;
    case '&':
      index = Lookup(vars.longs, name, operand.lookup);
      SetIntegerValue(engine.reg, index < 0 ? 0 : vars.longs.Value(index), ValueType::Long,
                      engine.format);
      break;
    case '!':
      index = Lookup(vars.floats, name, operand.lookup);
      SetFloatValue(engine.reg, index < 0 ? 0.0 : vars.floats.Value(index), ValueType::Float,
                    engine.format);
      break;
    default:
      index = Lookup(vars.strings, name, operand.lookup);
      SetStringValue(engine.reg, index < 0 ? std::string_view() : std::string_view(vars.strings.Value(index)));
      break;
  }
  if (index < 0 && !SuppressesUndeclared(engine)) Warn(engine, ErrorCode::NotDeclared, name);
}

void ReadArea(Engine& engine, const std::string& name) {
  const int32_t index = engine.vars.areas.Find(name);
  if (index < 0) {
    SetIntegerValue(engine.reg, 0, ValueType::Long, engine.format);
    if (!SuppressesUndeclared(engine)) Warn(engine, ErrorCode::NotDeclared, name);
    return;
  }
  const AreaValue& area = engine.vars.areas.Value(index);
  SetIntegerValue(engine.reg, area.address, ValueType::Long, engine.format);
  if (area.address == 0) Error(engine, ErrorCode::AreaNotDimensioned);
}

void ReadArrayElement(Engine& engine, const std::string& name, const std::string& inside,
                      ArrayAccessCache& access) {
  int32_t indices[3] = {0, 0, 0};
  if (!ReadIndices(engine, inside, indices, access.indices)) return;
  const int32_t index = engine.vars.FindArrayCached(name, access.array);
  if (index < 0) {
    engine.reg = Registers{};
    if (!SuppressesUndeclared(engine)) Warn(engine, ErrorCode::NotDeclared, name);
    return;
  }
  const ArrayDescriptor& array = engine.vars.arrays[static_cast<size_t>(index)];
  const int64_t element = ElementPosition(array, indices);
  if (element < 0) {
    engine.reg = Registers{};
    Error(engine, ErrorCode::NoSuchElement);
    return;
  }
  Variables& vars = engine.vars;
  const auto at = static_cast<size_t>(element);
  switch (array.type) {
    case '%': SetIntegerValue(engine.reg, vars.integerPool[at], ValueType::Integer, engine.format); break;
    case '&': SetIntegerValue(engine.reg, vars.longPool[at], ValueType::Long, engine.format); break;
    case '!': SetFloatValue(engine.reg, vars.floatPool[at], ValueType::Float, engine.format); break;
    default: SetStringValue(engine.reg, std::string_view(vars.stringPool[at])); break;
  }
}

// A literal number, read once.
void ParseNumber(CompiledOperand& out, std::string_view operand) {
  if (!IsDecimalNumber(operand)) {
    out.kind = CompiledOperand::Kind::NotNumber;
    out.text = std::string(operand);
    return;
  }
  out.kind = CompiledOperand::Kind::Number;
  const std::string text(operand);
  Registers& reg = out.number;
  reg.floatValue = std::strtod(text.c_str(), nullptr);
  reg.integer = Truncated(reg.floatValue);
  reg.longValue = reg.integer;
  reg.type = text.find('.') == std::string::npos ? ValueType::Long : ValueType::Float;
}

}  // namespace

void WarnUndeclared(Engine& engine, const std::string& name) {
  if (!SuppressesUndeclared(engine)) Warn(engine, ErrorCode::NotDeclared, name);
}

int64_t ElementPosition(const ArrayDescriptor& array, const int32_t (&indices)[3]) {
  // Deliberate: a negative index names no element either; it would reach before the
  // array's first element.
  for (int i = 0; i < 3; ++i) {
    if (indices[i] < 0 || indices[i] > array.bounds[i]) return -1;
  }
  const int64_t b1 = int64_t{array.bounds[0]} + 1;
  const int64_t b2 = int64_t{array.bounds[1]} + 1;
  const int64_t offset = indices[0] + b1 * indices[1] + b1 * b2 * indices[2];
  // With fewer than three bounds declared the missing ones equal the first; the offset
  // stays within the elements allocated for the array.
  if (offset >= array.count) return -1;
  return array.first + offset;
}

void ParseOperand(const std::string& text, size_t& pos, std::string_view stops,
                  bool operatorMode, EvalMode mode, bool listItem, CompiledOperand& out) {
  using Kind = CompiledOperand::Kind;
  out = CompiledOperand{};
  while (pos < text.size() && IsControlOrBlank(text[pos])) ++pos;
  // 1. Nothing left.
  if (pos >= text.size()) {
    out.kind = listItem ? Kind::EmptyItem : Kind::Missing;
    return;
  }
  // 2. A leading minus binds tighter than every operator.
  if (text[pos] == '-') {
    out.negate = true;
    ++pos;
    while (pos < text.size() && IsControlOrBlank(text[pos])) ++pos;
  }

  const std::string_view all(text);
  size_t end = OperandEnd(all, pos, stops, operatorMode);
  if (pos < text.size() && text[pos] == '(') {
    // 3. A bracketed sub-expression.
    const size_t close = MatchingClose(all, pos);
    out.kind = Kind::Bracket;
    out.text = std::string(all.substr(pos + 1, std::min(close, text.size()) - pos - 1));
    out.fileName = mode == EvalMode::FileName;
    pos = close < text.size() ? close + 1 : text.size();
    return;
  }
  // 4. A function call: "(" ends the name (operator mode on) or stands in the operand
  // after a name (operator mode off).
  size_t open = kNotFound;
  if (operatorMode) {
    if (end < text.size() && text[end] == '(') open = end;
  } else {
    const size_t at = all.substr(pos, end - pos).find('(');
    if (at != kNotFound) open = pos + at;
  }
  const bool at = pos < text.size() && text[pos] == '@';
  if (open != kNotFound && (at || LooksLikeBracketCall(all.substr(pos, open - pos + 1)))) {
    // The name is what stands before the "(" without "@", trimmed and upper-cased.
    std::string_view name = all.substr(pos, open - pos);
    if (!name.empty() && name.front() == '@') name.remove_prefix(1);
    const size_t close = MatchingClose(all, open);
    out.kind = Kind::Call;
    out.name = UpperCase(TrimControl(name));
    out.text = std::string(all.substr(open + 1, std::min(close, text.size()) - open - 1));
    pos = close < text.size() ? close + 1 : text.size();
    return;
  }
  if (at) {
    out.kind = Kind::CallMissing;
    pos = end;
    return;
  }
  // An array element runs to its closing "]".
  if (operatorMode && end < text.size() && text[end] == '[') {
    const size_t close = MatchingClose(all, end);
    end = close >= text.size() ? text.size() : OperandEnd(all, close + 1, stops, true);
  }
  const std::string_view operand = TrimControl(all.substr(pos, end - pos));
  pos = end;
  constexpr std::string_view kTypeCharacters = "$!&%";
  if (operand.size() >= 2 && operand.front() == '"' && operand.back() == '"') {
    // 5. A string literal.
    out.kind = Kind::String;
    out.text = Unescape(operand.substr(1, operand.size() - 2), mode == EvalMode::FileName);
    CutToMaxString(out.text);
  } else if (!operand.empty() && operand.back() == ']' && operand.find('[') != kNotFound) {
    // 6. An array element.
    const size_t bracket = operand.find('[');
    out.kind = Kind::Array;
    out.name = UpperCase(TrimControl(operand.substr(0, bracket)));
    out.text = std::string(operand.substr(bracket + 1, operand.size() - bracket - 2));
  } else if (!operand.empty() && operand.back() == '#') {
    // 7. An area variable.
    out.kind = Kind::Area;
    out.name = UpperCase(operand);
  } else if (!operand.empty() && kTypeCharacters.find(operand.front()) != kNotFound) {
    // 8. A system variable, a hexadecimal, octal or binary number, a DEF constant.
    out.kind = Kind::System;
    out.name = UpperCase(operand);
  } else if (!operand.empty() && kTypeCharacters.find(operand.back()) != kNotFound) {
    // 9. A variable.
    out.kind = Kind::Variable;
    out.name = UpperCase(operand);
  } else {
    // 10. A number.
    ParseNumber(out, operand);
  }
}

void RunOperand(Engine& engine, const CompiledOperand& operand) {
  using Kind = CompiledOperand::Kind;
  switch (operand.kind) {
    case Kind::Missing:
      engine.reg = Registers{};
      Error(engine, ErrorCode::TooFewParameters);
      return;
    case Kind::EmptyItem:
      SetStringValue(engine.reg, std::string_view());
      return;
    case Kind::Bracket: {
      // As EvaluateText on the bracket's text, with its reading kept in the operand (in
      // the first index reading, which a bracket has no other use for): no look-up of the
      // text and no copy of it at each evaluation.
      RememberedExpression& memo = operand.access.indices[0];
      std::string saved = std::move(engine.param);
      const char savedSeparator = engine.lastSeparator;
      const bool savedEnded = engine.paramEnded;
      engine.param.clear();
      if (memo.expression == nullptr || memo.operatorMode != engine.operatorMode) engine.param = operand.text;
      EvaluateRemembered(engine, memo, "", operand.fileName ? EvalMode::FileName : EvalMode::Any);
      engine.param = std::move(saved);
      engine.lastSeparator = savedSeparator;
      engine.paramEnded = savedEnded;
      break;
    }
    case Kind::Call: {
      // The parameter text is kept around the call; an empty one need not be moved away.
      if (engine.param.empty()) {
        CallFunction(engine, operand.name, operand.text, &operand.function);
        engine.param.clear();
        break;
      }
      std::string saved = std::move(engine.param);
      CallFunction(engine, operand.name, operand.text, &operand.function);
      engine.param = std::move(saved);
      break;
    }
    case Kind::CallMissing:
      engine.reg = Registers{};
      Error(engine, ErrorCode::ArgumentMissing);
      break;
    case Kind::String:
      SetStringValue(engine.reg, std::string_view(operand.text));
      break;
    case Kind::Array: ReadArrayElement(engine, operand.name, operand.text, operand.access); break;
    case Kind::Area: ReadArea(engine, operand.name); break;
    case Kind::System: ReadSystemVariable(engine, operand.name); break;
    case Kind::Variable: ReadVariable(engine, operand); break;
    case Kind::Number:
      engine.reg.integer = operand.number.integer;
      engine.reg.longValue = operand.number.longValue;
      engine.reg.floatValue = operand.number.floatValue;
      engine.reg.type = operand.number.type;
      FormatNumber(engine.reg, engine.format);
      break;
    case Kind::NotNumber:
      SetStringValue(engine.reg, std::string_view(operand.text));
      Warn(engine, ErrorCode::NotANumber, operand.text);
      break;
  }

  if (operand.negate && engine.reg.type != ValueType::String && engine.reg.type != ValueType::None) {
    // The integer, long and float registers are negated each; -(-2147483648) wraps as
    // the 32-bit registers do.
    Registers& reg = engine.reg;
    reg.integer = static_cast<int32_t>(0u - static_cast<uint32_t>(reg.integer));
    reg.longValue = static_cast<int32_t>(0u - static_cast<uint32_t>(reg.longValue));
    reg.floatValue = -reg.floatValue;
    FormatNumber(reg, engine.format);
  }
}

}  // namespace talven
