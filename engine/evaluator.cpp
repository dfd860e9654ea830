#include "engine/evaluator.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/scan.h"
#include "engine/split.h"
#include "engine/text.h"

namespace talven {

namespace {

int32_t Truncated(double value) {
  if (std::fabs(value) > 2147483647.0) return 0;
  return static_cast<int32_t>(value);
}

void SetNumber(Registers& reg, double value, ValueType type) {
  reg.floatValue = value;
  reg.integer = Truncated(value);
  reg.longValue = reg.integer;
  reg.type = type;
  reg.text = std::to_string(value);
}

// A number literal: without "." a long, with "." a float; anything else warns 214.
void ReadNumber(Engine& engine, std::string_view operand) {
  const std::string text(operand);
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || end != text.c_str() + text.size()) {
    engine.reg.type = ValueType::String;
    engine.reg.text = text;
    Warn(engine, 214, text);
    return;
  }
  SetNumber(engine.reg, value,
            text.find('.') == std::string::npos ? ValueType::Long : ValueType::Float);
}

}  // namespace

// The operand forms the engine spine needs: number literals with a leading minus and
// string literals. The full operand set and the operators come with the value system.
void Evaluate(Engine& engine, std::string_view separator, EvalMode mode) {
  std::string& param = engine.param;
  const size_t end = FindSeparator(param, separator);
  std::string_view operand = TrimControl(std::string_view(param).substr(0, end));
  if (operand.empty()) {
    Error(engine, 212);
    return;
  }
  bool negate = false;
  if (operand.front() == '-') {
    negate = true;
    operand = TrimControl(operand.substr(1));
  }
  if (operand.front() == '@' || LooksLikeBracketCall(operand)) {
    // Function calls arrive with the function catalogue.
    const size_t open = operand.find('(');
    Error(engine, 101, UpperCase(operand.substr(operand.front() == '@' ? 1 : 0, open == kNotFound ? operand.size() : open - (operand.front() == '@' ? 1 : 0))));
    engine.reg = Registers{};
  } else if (operand.size() >= 2 && operand.front() == '"' && operand.back() == '"') {
    engine.reg.type = ValueType::String;
    engine.reg.text = std::string(operand.substr(1, operand.size() - 2));
  } else {
    ReadNumber(engine, operand);
    if (negate && engine.reg.type != ValueType::String) {
      SetNumber(engine.reg, -engine.reg.floatValue, engine.reg.type);
    }
  }
  if (end == kNotFound) {
    param.clear();
    engine.lastSeparator = ' ';
    engine.paramEnded = true;
  } else {
    engine.lastSeparator = param[end];
    param = std::string(TrimControl(std::string_view(param).substr(end + 1)));
    engine.paramEnded = param.empty();
  }
  (void)mode;
}

int32_t EvaluateInteger(Engine& engine, std::string_view separator) {
  Evaluate(engine, separator, EvalMode::Number);
  return engine.reg.integer;
}

}  // namespace talven
