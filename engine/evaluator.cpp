#include "engine/evaluator.h"

#include <cmath>
#include <memory>

#include "engine/compiled_expression.h"
#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/limits.h"
#include "engine/scan.h"
#include "engine/string_operands.h"
#include "engine/text.h"

namespace talven {

namespace {

enum Op : int32_t { kNe, kLe, kGe, kEq, kGt, kLt, kAdd, kSub, kOr, kMul, kDiv, kIntDiv, kAnd, kMod, kPow };
constexpr bool IsComparison(int32_t op) { return op >= kNe && op <= kLt; }

struct Operator {
  std::string_view text;
  int32_t priority;
  Op op;
};

// Two-character operators before one-character ones; the word operators need the blank
// that follows them.
constexpr Operator kOperators[] = {
    {"<>", 1, kNe}, {"<=", 1, kLe}, {">=", 1, kGe}, {"=", 2, kEq},    {">", 2, kGt},
    {"<", 2, kLt},  {"+", 3, kAdd}, {"-", 3, kSub}, {"OR ", 3, kOr},  {"*", 4, kMul},
    {"/", 4, kDiv}, {"\\", 4, kIntDiv}, {"AND ", 4, kAnd}, {"MOD ", 4, kMod}, {"^", 5, kPow},
};

// The operator stack has room for 50 entries. An expression that needs more is reported
// as ErrorCode::OperatorStackFull, an unexpected error (the table has no text of its own
// for it), and evaluated no further.

size_t SkipBlanks(std::string_view text, size_t pos) {
  while (pos < text.size() && IsControlOrBlank(text[pos])) ++pos;
  return pos;
}

const Operator* MatchOperator(std::string_view text, size_t pos) {
  for (const Operator& candidate : kOperators) {
    if (StartsWithNoCase(text.substr(pos), candidate.text)) return &candidate;
  }
  return nullptr;
}

bool IsOperatorStop(char c) {
  switch (c) {
    case '*': case '-': case '/': case '+': case '\\': case '^': case ',': case ';':
    case '>': case '<': case '=': case ':': case '(': case '[':
      return true;
    default:
      return false;
  }
}

bool IsWordOperatorAt(std::string_view text, size_t i) {
  const std::string_view rest = text.substr(i);
  return StartsWithNoCase(rest, " AND ") || StartsWithNoCase(rest, " OR ") ||
         StartsWithNoCase(rest, " MOD ");
}

int CompareBytes(const std::string& a, const std::string& b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const auto x = static_cast<unsigned char>(a[i]);
    const auto y = static_cast<unsigned char>(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

// Whether a comparison operator holds for two strings whose byte order is `order`
// (-1, 0 or 1).
bool OrderHolds(int op, int order) {
  switch (op) {
    case kEq: return order == 0;
    case kNe: return order != 0;
    case kLt: return order < 0;
    case kLe: return order <= 0;
    case kGt: return order > 0;
    default: return order >= 0;
  }
}

// "^". Deliberate: computed with pow rather than through the logarithm, so that whole
// powers come out exact (2^3^2 is 64, not 63.99...). A left operand of 0 or below gives
// the real power where there is one (0^2 = 0, (-2)^3 = -8); where there is none
// ((-8)^0.5, 0^-1) the result is not a number and reported as 200.
double Power(Engine& engine, double left, double right) {
  const double result = std::pow(left, right);
  if (left <= 0 && !std::isfinite(result)) {
    Error(engine, ErrorCode::InvalidValue);
    return 0.0;
  }
  return result;
}

// A comparison of two numbers. NaN compares unequal to everything, also numerically: the
// ordered comparisons are false with it, "<>" true.
[[gnu::always_inline]] inline bool CompareNumbers(int32_t op, double a, double b) {
  switch (op) {
    case kEq: return a == b;
    case kNe: return a != b;
    case kLt: return a < b;
    case kLe: return a <= b;
    case kGt: return a > b;
    default: return a >= b;
  }
}

// An operator on two numbers: the result and (in `type`) its type.
[[gnu::always_inline]] inline double ApplyNumbers(Engine& engine, int32_t op, double a, double b, ValueType& type) {
  double result = 0.0;
  type = ValueType::Float;
  switch (op) {
    case kAdd: result = a + b; break;
    case kSub: result = a - b; break;
    case kMul: result = a * b; break;
    case kDiv:
      if (b == 0.0) {
        Error(engine, ErrorCode::DivisionByZero);
      } else {
        result = a / b;
      }
      break;
    case kPow: result = Power(engine, a, b); break;
    case kIntDiv:
    case kMod: {
      // Truncated never gives -2147483648, so the one quotient that does not fit (that
      // value \ -1) cannot arise, and 32 bits suffice: a 64-bit division is a library
      // call in the 32-bit build.
      const int32_t x = Truncated(a);
      const int32_t y = Truncated(b);
      if (y == 0) {
        Error(engine, ErrorCode::DivisionByZero);
      } else {
        result = static_cast<double>(op == kIntDiv ? x / y : x % y);
      }
      type = op == kIntDiv ? ValueType::Integer : ValueType::Float;
      break;
    }
    case kEq: case kNe: case kLt: case kLe: case kGt: case kGe:
      result = CompareNumbers(op, a, b) ? 1.0 : 0.0;
      type = ValueType::Integer;
      break;
    case kAnd:
      result = (a != 0.0 && b != 0.0) ? 1.0 : 0.0;
      type = ValueType::Integer;
      break;
    case kOr:
      result = (a != 0.0 || b != 0.0) ? 1.0 : 0.0;
      type = ValueType::Integer;
      break;
    default: break;
  }
  return result;
}

// Applies the top entry of the operator stack to its left operand and the registers.
void ApplyTop(Engine& engine) {
  // The entry stays on the stack until its value is computed; nothing here pushes.
  const OperatorEntry& entry = engine.operators.back();
  const Registers& left = entry.left;
  Registers& right = engine.reg;
  // Deliberate: strings do not convert to numbers. "+" and the comparisons work on the
  // texts as soon as one side is a string (a number then takes part with its formatted
  // text); the other operators take a string's numeric registers, which are 0.
  const bool strings = left.type == ValueType::String || right.type == ValueType::String;
  if (strings && entry.op == kAdd) {
    SetStringValue(right, Joined(left.Text(), right.Text()));
    engine.operators.pop_back();
    return;
  }
  double result = 0.0;
  ValueType type = ValueType::Float;
  switch (entry.op) {
    case kEq: case kNe: case kLt: case kLe: case kGt: case kGe:
      if (strings) {
        result = OrderHolds(entry.op, CompareBytes(left.Text(), right.Text())) ? 1.0 : 0.0;
        type = ValueType::Integer;
        break;
      }
      [[fallthrough]];
    default:
      result = ApplyNumbers(engine, entry.op, left.floatValue, right.floatValue, type);
      break;
  }
  engine.operators.pop_back();
  SetFloatValue(right, result, type, engine.format);
}

// The value of a numeric operand that is a number or a simple numeric variable, as
// RunOperand reads it (the undeclared warning included), in the float form the operators
// take.
[[gnu::always_inline]] inline double NumericOperandValue(Engine& engine, const CompiledOperand& operand) {
  double value = 0.0;
  if (operand.kind == CompiledOperand::Kind::Number) {
    value = operand.number.floatValue;
  } else if (operand.slot >= 0) {
    // The float form of the slot, which the call leaves in the registers.
    value = engine.slots[static_cast<size_t>(operand.slot)].floatValue;
  } else {
    Variables& vars = engine.vars;
    int32_t index = -1;
    switch (operand.name.back()) {
      case '%':
        index = vars.integers.FindCached(operand.name, operand.lookup);
        if (index >= 0) value = vars.integers.Value(index);
        break;
      case '&':
        index = vars.longs.FindCached(operand.name, operand.lookup);
        if (index >= 0) value = vars.longs.Value(index);
        break;
      default:
        index = vars.floats.FindCached(operand.name, operand.lookup);
        if (index >= 0) value = vars.floats.Value(index);
        break;
    }
    if (index < 0) WarnUndeclared(engine, operand.name);
  }
  return operand.negate ? -value : value;
}

// An expression of numbers and numeric variables joined by operators: the operator
// stack's algorithm on the float values alone (the only part of an operand the operators
// read), with the same order of reads, warnings and errors. The caller made sure that the
// entries it needs fit on the operator stack.
void RunNumeric(Engine& engine, const CompiledExpression& expression) {
  double values[kOperatorStackSize];
  int32_t ops[kOperatorStackSize];
  int32_t priorities[kOperatorStackSize];
  size_t pending = 0;
  ValueType type = ValueType::Float;
  double current = NumericOperandValue(engine, expression.first);
  for (const CompiledStep& step : expression.steps) {
    while (pending > 0 && priorities[pending - 1] >= step.priority) {
      --pending;
      current = ApplyNumbers(engine, ops[pending], values[pending], current, type);
    }
    values[pending] = current;
    ops[pending] = step.op;
    priorities[pending] = step.priority;
    ++pending;
    current = NumericOperandValue(engine, step.operand);
  }
  while (pending > 0) {
    --pending;
    current = ApplyNumbers(engine, ops[pending], values[pending], current, type);
  }
  SetFloatValue(engine.reg, current, type, engine.format);
}

// RunNumeric for one operator between two operands (most conditions and assignments):
// the same reads, in the same order, without the pending entries.
[[gnu::always_inline]] inline void RunBinary(Engine& engine, const CompiledExpression& expression) {
  const CompiledStep& step = expression.steps.front();
  const double left = NumericOperandValue(engine, expression.first);
  const double right = NumericOperandValue(engine, step.operand);
  ValueType type = ValueType::Float;
  const double result = ApplyNumbers(engine, step.op, left, right, type);
  SetFloatValue(engine.reg, result, type, engine.format);
}

// RunNumeric for two operators between three operands, written out: the same reads,
// applications and their order (the first operator is applied before the third operand
// is read when it binds at least as tightly as the second).
[[gnu::always_inline]] inline void RunTernary(Engine& engine, const CompiledExpression& expression) {
  const CompiledStep& first = expression.steps[0];
  const CompiledStep& second = expression.steps[1];
  ValueType type = ValueType::Float;
  const double a = NumericOperandValue(engine, expression.first);
  const double b = NumericOperandValue(engine, first.operand);
  double result = 0.0;
  if (first.priority >= second.priority) {
    const double left = ApplyNumbers(engine, first.op, a, b, type);
    const double c = NumericOperandValue(engine, second.operand);
    result = ApplyNumbers(engine, second.op, left, c, type);
  } else {
    const double c = NumericOperandValue(engine, second.operand);
    const double right = ApplyNumbers(engine, second.op, b, c, type);
    result = ApplyNumbers(engine, first.op, a, right, type);
  }
  SetFloatValue(engine.reg, result, type, engine.format);
}

// Operators between numeric operands by their number: one, two written out, or more.
[[gnu::always_inline]] inline void RunNumberOperators(Engine& engine, const CompiledExpression& expression) {
  switch (expression.steps.size()) {
    case 1: RunBinary(engine, expression); break;
    case 2: RunTernary(engine, expression); break;
    default: RunNumeric(engine, expression); break;
  }
}

// One comparison or "+" between two strings that are both there: what the operator stack
// leaves (ApplyTop on the two texts), without copying the left text into the registers
// and onto the stack and the right one into the registers. Nothing between the reads can
// see those copies: the result overwrites every register. False, having changed nothing,
// when a variable is missing (the general way then warns as usual).
bool RunStrings(Engine& engine, const CompiledExpression& expression) {
  const CompiledStep& step = expression.steps.front();
  const std::string* left = StringOperandText(engine, expression.first);
  if (left == nullptr) return false;
  const std::string* right = StringOperandText(engine, step.operand);
  if (right == nullptr) return false;
  Registers& reg = engine.reg;
  // Each operand is read through the register, which keeps at most 255 characters.
  const std::string_view a = std::string_view(*left).substr(0, std::min(left->size(), kMaxStringLength));
  const std::string_view b = std::string_view(*right).substr(0, std::min(right->size(), kMaxStringLength));
  if (step.op == kAdd) {
    reg.AssignJoined(a, b, kMaxStringLength);
    reg.integer = 0;
    reg.longValue = 0;
    reg.floatValue = 0.0;
    reg.type = ValueType::String;
    return true;
  }
  // Byte by byte, unsigned, the shorter first where one begins the other (CompareBytes).
  const int compared = a.compare(b);
  const int order = compared < 0 ? -1 : (compared > 0 ? 1 : 0);
  SetFloatValue(reg, OrderHolds(step.op, order) ? 1.0 : 0.0, ValueType::Integer, engine.format);
  return true;
}

// Keeps the operator stack of one evaluation above the entries of its callers.
class StackBase {
 public:
  explicit StackBase(Engine& engine) : m_engine(engine), m_base(engine.operators.size()) {}
  ~StackBase() { m_engine.operators.resize(m_base); }
  size_t base() const { return m_base; }

 private:
  Engine& m_engine;
  size_t m_base;
};

}  // namespace

size_t OperandEnd(std::string_view text, size_t pos, std::string_view stops, bool operatorMode) {
  int round = 0;
  int square = 0;
  for (size_t i = pos; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      const size_t close = text.find('"', i + 1);
      if (close == kNotFound) return text.size();
      i = close;
      continue;
    }
    if (round == 0 && square == 0) {
      if (stops.find(c) != kNotFound) return i;
      if (operatorMode && (IsOperatorStop(c) || (c == ' ' && IsWordOperatorAt(text, i)))) return i;
    }
    switch (c) {
      case '(': ++round; break;
      case ')': --round; break;
      case '[': ++square; break;
      case ']': --square; break;
      default: break;
    }
  }
  return text.size();
}

namespace {

// A call of @%, @& or @! whose argument is an index written as digits: the slot it reads
// is the same at every evaluation (the names of the slot functions are no catalogue rows).
void MarkSlotRead(CompiledOperand& operand) {
  if (operand.kind != CompiledOperand::Kind::Call || operand.name.size() != 1) return;
  const char type = operand.name.front();
  if (type != '%' && type != '&' && type != '!') return;
  const std::string& index = operand.text;
  if (index.empty() || index.size() > 2 || (index.size() == 2 && index[0] == '0')) return;
  int32_t value = 0;
  for (const char c : index) {
    if (c < '0' || c > '9') return;
    value = value * 10 + (c - '0');
  }
  if (value < kParameterSlots) operand.slot = value;
}

// A number, a simple integer, long or float variable, or a numeric slot read by its index.
bool IsNumericOperand(const CompiledOperand& operand) {
  if (operand.kind == CompiledOperand::Kind::Number || operand.slot >= 0) return true;
  if (operand.kind != CompiledOperand::Kind::Variable || operand.name.empty()) return false;
  const char suffix = operand.name.back();
  return suffix == '%' || suffix == '&' || suffix == '!';
}

// The reading of one parameter text: its operands and operators up to the separator.
void Compile(const std::string& text, std::string_view stops, bool listItem, bool operatorMode,
             EvalMode mode, CompiledExpression& out) {
  size_t pos = SkipBlanks(text, 0);
  const size_t start = pos;
  if (pos >= text.size() && !listItem) {
    out.missing = true;
    return;
  }
  ParseOperand(text, pos, stops, operatorMode, mode, listItem, out.first);
  if (operatorMode) {
    while (true) {
      pos = SkipBlanks(text, pos);
      // A separator character ends the expression even where it could be an operator
      // ("-" between the corners of @MOUSE).
      if (pos >= text.size() || stops.find(text[pos]) != kNotFound) break;
      const Operator* op = MatchOperator(text, pos);
      if (op == nullptr) break;
      pos += op->text.size();
      CompiledStep step;
      step.op = op->op;
      step.priority = op->priority;
      ParseOperand(text, pos, stops, operatorMode, mode, false, step.operand);
      out.steps.push_back(std::move(step));
    }
  }
  MarkSlotRead(out.first);
  out.readsSlots = out.first.slot >= 0;
  for (CompiledStep& step : out.steps) {
    MarkSlotRead(step.operand);
    out.readsSlots = out.readsSlots || step.operand.slot >= 0;
  }
  out.numeric = !out.steps.empty() && IsNumericOperand(out.first);
  for (const CompiledStep& step : out.steps) out.numeric = out.numeric && IsNumericOperand(step.operand);
  if (out.steps.size() == 1 && IsStringOperand(out.first) && IsStringOperand(out.steps.front().operand)) {
    switch (out.steps.front().op) {
      case kAdd: case kEq: case kNe: case kLt: case kLe: case kGt: case kGe: out.strings = true; break;
      default: break;
    }
  }
  const size_t end = pos;
  out.stalls = listItem && end == start && end < text.size();
  out.expressionText = std::string(TrimControl(std::string_view(text).substr(start, end - start)));
  out.wholeText = std::string(TrimControl(std::string_view(text).substr(start)));
  pos = SkipBlanks(text, pos);
  if (pos < text.size() && stops.find(text[pos]) != kNotFound) {
    out.separator = text[pos];
    ++pos;
  }
  out.rest = std::string(TrimControl(std::string_view(text).substr(pos)));
  if (out.separator != ' ') out.stalls = false;
  using Kind = CompiledOperand::Kind;
  const Kind kind = out.first.kind;
  out.single = out.steps.empty() && !out.stalls &&
               (kind == Kind::Number || kind == Kind::Variable || kind == Kind::String ||
                kind == Kind::Array || kind == Kind::Call || kind == Kind::Bracket ||
                kind == Kind::System || kind == Kind::Area);
  out.numericShort = out.numeric && !out.stalls && !out.missing;
  out.stringsShort = out.strings && !out.stalls && !out.missing;
  out.comparison = out.numericShort && !out.readsSlots && out.steps.size() == 1 &&
                   IsComparison(out.steps.front().op);
}

// At most this many readings are kept; texts met beyond them are read at each use.
constexpr size_t kMaxCompiledExpressions = 50000;

const CompiledExpression& CompiledFor(Engine& engine, std::string_view stops, bool listItem,
                                      EvalMode mode,
                                      std::unique_ptr<CompiledExpression>& scratch) {
  std::string& key = engine.cache.expressionKey;
  key.clear();
  key.push_back(static_cast<char>((engine.operatorMode ? 1 : 0) | (listItem ? 2 : 0) |
                                  (mode == EvalMode::FileName ? 4 : 0)));
  key.append(stops);
  key.push_back('\0');
  key.append(engine.param);
  auto& compiled = engine.cache.expressions;
  const auto found = compiled.find(key);
  if (found != compiled.end()) return *found->second;
  if (compiled.size() >= kMaxCompiledExpressions) {
    scratch = std::make_unique<CompiledExpression>();
    Compile(engine.param, stops, listItem, engine.operatorMode, mode, *scratch);
    return *scratch;
  }
  auto expression = std::make_unique<CompiledExpression>();
  Compile(engine.param, stops, listItem, engine.operatorMode, mode, *expression);
  return *compiled.emplace(key, std::move(expression)).first->second;
}

}  // namespace

namespace {

class EvaluationDepth {
 public:
  explicit EvaluationDepth(Engine& engine) : m_engine(engine) { ++engine.evaluationDepth; }
  ~EvaluationDepth() { --m_engine.evaluationDepth; }
  EvaluationDepth(const EvaluationDepth&) = delete;
  EvaluationDepth& operator=(const EvaluationDepth&) = delete;
  bool TooDeep() const { return m_engine.evaluationDepth > kMaxEvaluationDepth; }

 private:
  Engine& m_engine;
};

// keepText: the parameter text is left as it is (the caller takes expression.rest as what
// follows); only a missing text or a stack overflow still clear it. False when they did.
[[gnu::noinline]] bool RunGeneral(Engine& engine, const CompiledExpression& expression,
                                  EvalMode mode, bool keepText) {
  const EvaluationDepth depth(engine);
  if (depth.TooDeep()) {
    // Only the silent error level comes back here; the text is given up.
    Error(engine, ErrorCode::OperatorStackFull);
    engine.reg = Registers{};
    engine.lastSeparator = ' ';
    engine.param.clear();
    engine.paramEnded = true;
    return false;
  }
  if (engine.evaluationBudget >= 0 && engine.evaluationBudget-- == 0) throw RunEnd{0};
  if (expression.stalls) {
    // The list cannot go on: the statement ends here (at level -1 with what it has).
    engine.param.clear();
    engine.listStalled = true;
    Error(engine, ErrorCode::UnknownStatement, UpperCase(expression.wholeText));
    engine.reg = Registers{};
    engine.lastSeparator = ' ';
    engine.paramEnded = true;
    return false;
  }
  if (expression.missing) {
    engine.param.clear();
    Error(engine, ErrorCode::TooFewParameters);
    engine.reg = Registers{};
    engine.lastSeparator = ' ';
    engine.paramEnded = true;
    return false;
  }

  bool overflow = false;
  if (expression.single && engine.numericPath) {
    // One operand: nothing goes on the operator stack.
    RunOperand(engine, expression.first);
  } else if (expression.numeric && !expression.readsSlots && engine.numericPath &&
             mode != EvalMode::String && mode != EvalMode::FileName &&
      engine.operators.size() + expression.steps.size() <= static_cast<size_t>(kOperatorStackSize)) {
    RunNumberOperators(engine, expression);
  } else if (expression.strings && engine.numericPath &&
             engine.operators.size() < static_cast<size_t>(kOperatorStackSize) &&
             RunStrings(engine, expression)) {
    // Applied to the texts where they are.
  } else {
    StackBase stack(engine);
    RunOperand(engine, expression.first);
    for (const CompiledStep& step : expression.steps) {
      while (engine.operators.size() > stack.base() &&
             engine.operators.back().priority >= step.priority) {
        ApplyTop(engine);
      }
      if (engine.operators.size() >= static_cast<size_t>(kOperatorStackSize)) {
        Error(engine, ErrorCode::OperatorStackFull);
        overflow = true;
        break;
      }
      engine.operators.push(engine.reg, step.op, step.priority);
      RunOperand(engine, step.operand);
    }
    while (engine.operators.size() > stack.base()) ApplyTop(engine);
  }

  if (overflow) {
    // The rest of the text is given up.
    engine.lastSeparator = ' ';
    engine.param.clear();
  } else {
    engine.lastSeparator = expression.separator;
    if (!keepText && !(engine.param.empty() && expression.rest.empty())) engine.param = expression.rest;
  }
  engine.paramEnded = keepText && !overflow ? expression.rest.empty() : engine.param.empty();

  if ((mode == EvalMode::String || mode == EvalMode::FileName) &&
      engine.reg.type != ValueType::String) {
    Error(engine, ErrorCode::WrongParameterType,
          overflow ? expression.wholeText : expression.expressionText);
  }
  return !overflow;
}

// What a short way leaves behind it, as the general way does: the separator that ended
// the expression and the parameter text after it (with `keepText`, only whether that text
// is empty: the caller takes it from the reading).
[[gnu::always_inline]] inline void LeaveRest(Engine& engine, const CompiledExpression& expression,
                                             bool keepText = false) {
  engine.lastSeparator = expression.separator;
  if (keepText) {
    engine.paramEnded = expression.rest.empty();
    return;
  }
  if (!(engine.param.empty() && expression.rest.empty())) engine.param = expression.rest;
  engine.paramEnded = engine.param.empty();
}

// One operand from its reading: RunGeneral's steps for it without the operator stack.
[[gnu::noinline]] bool RunSingle(Engine& engine, const CompiledExpression& expression, EvalMode mode,
                                 bool keepText) {
  {
    const EvaluationDepth depth(engine);
    RunOperand(engine, expression.first);
  }
  LeaveRest(engine, expression, keepText);
  if ((mode == EvalMode::String || mode == EvalMode::FileName) &&
      engine.reg.type != ValueType::String) {
    Error(engine, ErrorCode::WrongParameterType, expression.expressionText);
  }
  return true;
}

// Whether the short ways may take an evaluation now: switched on, no evaluation budget of
// a test driver counting down, and room for one more level.
[[gnu::always_inline]] inline bool ShortWayOpen(const Engine& engine) {
  return engine.numericPath && engine.evaluationBudget < 0 &&
         engine.evaluationDepth < kMaxEvaluationDepth;
}

// An evaluation from its reading by a short way: an expression of one operand (RunSingle)
// or the common case, operators between numbers and numeric variables with room on the
// operator stack, outside the string modes and with no evaluation budget to count down,
// which takes the same steps as RunGeneral takes for it, without those that cannot apply.
// False, having done nothing, where neither applies.
[[gnu::always_inline]] inline bool RunShort(Engine& engine, const CompiledExpression& expression,
                                            EvalMode mode, bool keepText) {
  if (!ShortWayOpen(engine)) return false;
  if (expression.single) return RunSingle(engine, expression, mode, keepText);
  if (mode == EvalMode::String || mode == EvalMode::FileName) return false;
  if (expression.stringsShort) {
    // A comparison or "+" of two texts: as RunGeneral applies it, when both are there.
    if (engine.operators.size() >= static_cast<size_t>(kOperatorStackSize)) return false;
    const EvaluationDepth depth(engine);
    if (!RunStrings(engine, expression)) return false;
  } else {
    // A slot read evaluates its index one level deeper, which must take the short way too.
    if (!expression.numericShort ||
        engine.operators.size() + expression.steps.size() > static_cast<size_t>(kOperatorStackSize) ||
        (expression.readsSlots && engine.evaluationDepth + 1 >= kMaxEvaluationDepth)) {
      return false;
    }
    const EvaluationDepth depth(engine);
    RunNumberOperators(engine, expression);
  }
  LeaveRest(engine, expression, keepText);
  return true;
}

[[gnu::always_inline]] inline bool RunCompiled(Engine& engine, const CompiledExpression& expression,
                                               EvalMode mode, bool keepText = false) {
  return RunShort(engine, expression, mode, keepText) ||
         RunGeneral(engine, expression, mode, keepText);
}

}  // namespace

void Evaluate(Engine& engine, std::string_view separator, EvalMode mode) {
  const bool listItem = separator == kListItem;
  const std::string_view stops = listItem ? std::string_view(",;") : separator;
  std::unique_ptr<CompiledExpression> scratch;
  // The cache never drops an entry during a run, so this stays valid while nested
  // evaluations add their own.
  RunCompiled(engine, CompiledFor(engine, stops, listItem, mode, scratch), mode);
}

void EvaluateRemembered(Engine& engine, RememberedExpression& memo, std::string_view separator,
                        EvalMode mode) {
  if (memo.expression != nullptr && memo.operatorMode == engine.operatorMode) [[likely]] {
    RunCompiled(engine, *memo.expression, mode);
    return;
  }
  {
    const bool listItem = separator == kListItem;
    const std::string_view stops = listItem ? std::string_view(",;") : separator;
    std::unique_ptr<CompiledExpression> scratch;
    const CompiledExpression& expression = CompiledFor(engine, stops, listItem, mode, scratch);
    memo.expression = scratch ? nullptr : &expression;
    memo.operatorMode = engine.operatorMode;
    RunCompiled(engine, expression, mode);
  }
}

const std::string* RunRememberedKeepingText(Engine& engine, const RememberedExpression& memo,
                                            EvalMode mode) {
  const CompiledExpression& expression = *memo.expression;
  return RunCompiled(engine, expression, mode, true) ? &expression.rest : nullptr;
}

void EvaluatePrepared(Engine& engine, PreparedStatement& prepared, EvalMode mode) {
  const RememberedExpression& memo = prepared.memo;
  if (memo.expression != nullptr && memo.operatorMode == engine.operatorMode) [[likely]] {
    RunCompiled(engine, *memo.expression, mode);
    return;
  }
  engine.param = prepared.expression;
  EvaluateRemembered(engine, prepared.memo, "", mode);
}

bool EvaluateNumberShort(Engine& engine, const PreparedStatement& prepared) {
  const RememberedExpression& memo = prepared.memo;
  return memo.expression != nullptr && memo.operatorMode == engine.operatorMode &&
         RunShort(engine, *memo.expression, EvalMode::Number, false);
}

// RunShort's steps for one comparison between numbers and simple numeric variables (the
// same reads, warnings and registers as RunBinary), in a function small enough to cost
// little to enter: a loop evaluates its condition at every pass.
bool EvaluateConditionShort(Engine& engine, const PreparedStatement& prepared) {
  const RememberedExpression& memo = prepared.memo;
  const CompiledExpression* expression = memo.expression;
  if (expression == nullptr || memo.operatorMode != engine.operatorMode) return false;
  if (!expression->comparison) return EvaluateNumberShort(engine, prepared);
  if (!ShortWayOpen(engine) || engine.operators.size() >= static_cast<size_t>(kOperatorStackSize)) {
    return false;
  }
  const CompiledStep& step = expression->steps.front();
  const double left = NumericOperandValue(engine, expression->first);
  const double right = NumericOperandValue(engine, step.operand);
  SetFloatValue(engine.reg, CompareNumbers(step.op, left, right) ? 1.0 : 0.0, ValueType::Integer,
                engine.format);
  LeaveRest(engine, *expression);
  return true;
}

int32_t EvaluateCondition(Engine& engine) {
  if (engine.currentLine == nullptr) return EvaluateInteger(engine, "");
  PreparedStatement& prepared = engine.currentLine->prepared;
  if (!prepared.ready) {
    prepared.expression = engine.param;
    prepared.ready = true;
  }
  EvaluatePrepared(engine, prepared, EvalMode::Number);
  return engine.reg.integer;
}

void EvaluateText(Engine& engine, std::string_view text, EvalMode mode) {
  std::string saved = std::move(engine.param);
  const char savedSeparator = engine.lastSeparator;
  const bool savedEnded = engine.paramEnded;
  engine.param = std::string(text);
  Evaluate(engine, "", mode);
  engine.param = std::move(saved);
  engine.lastSeparator = savedSeparator;
  engine.paramEnded = savedEnded;
}

void Skip(Engine& engine, std::string_view separator) {
  const std::string_view text = TrimControl(engine.param);
  if (text.empty()) {
    engine.param.clear();
    Error(engine, ErrorCode::TooFewParameters);
    return;
  }
  const size_t at = FindSeparator(text, separator);
  engine.param = at == kNotFound ? std::string() : std::string(TrimControl(text.substr(at + 1)));
}

int32_t EvaluateInteger(Engine& engine, std::string_view separator) {
  Evaluate(engine, separator, EvalMode::Number);
  return engine.reg.integer;
}

}  // namespace talven
