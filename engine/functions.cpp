// The function evaluator: the dispatch through the catalogue (function_catalogue.def),
// the parameter-slot functions "$", "%", "&" and "!", and the functions a program defines
// with DEF. The families of the catalogue have their own files (function_handlers.h).
//
// Dispatch, for a name upper-cased and trimmed by the operand reader:
// 1. the float register is cleared;
// 2. the first catalogue row of that name runs its handler;
// 3. after a handler a numeric result has its long register copied into the integer
//    register, and an integer or long result also into the float register;
// 4. else the parameter-slot functions;
// 5. else the DEF functions; else 101 "Funktion unbekannt: " and the name.
// The row a call site names is looked up once and remembered there; the table is fixed,
// so the answer is always the one the comparison in order gives.

#include "engine/functions.h"

#include <algorithm>
#include <string>
#include <unordered_map>

#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/evaluator.h"
#include "engine/function_handlers.h"
#include "engine/limits.h"
#include "engine/slots.h"
#include "engine/text.h"
#include "engine/binding.h"

namespace talven {

namespace {

constexpr std::string_view kCatalogue[] = {
#define TALVEN_CATALOGUE(name) name,
#include "engine/function_catalogue.def"
#undef TALVEN_CATALOGUE
};
constexpr auto kRows = static_cast<int32_t>(std::size(kCatalogue));

// Site values past the catalogue rows: the four slot functions, then "not in the table"
// (beyond it: kSiteOther + the line of the DEF function the name was found to be).
constexpr int32_t kSiteSlotString = kRows;
constexpr int32_t kSiteSlotInteger = kRows + 1;
constexpr int32_t kSiteSlotLong = kRows + 2;
constexpr int32_t kSiteSlotFloat = kRows + 3;
// The types of the four slot rows, in their order.
constexpr ValueType kSlotTypes[] = {ValueType::String, ValueType::Integer, ValueType::Long,
                                    ValueType::Float};
constexpr int32_t kSiteOther = kRows + 4;

const std::unordered_map<std::string_view, int32_t>& RowIndex() {
  static const auto* index = [] {
    auto* map = new std::unordered_map<std::string_view, int32_t>();
    // The first row of a name wins, as in the comparison in order.
    for (int32_t i = 0; i < kRows; ++i) map->emplace(kCatalogue[i], i);
    return map;
  }();
  return *index;
}

// A row the program withholds (no handler bound) counts as no row at all.
int32_t Resolve(const Engine& engine, std::string_view name) {
  const int32_t row = FindCatalogueRow(name);
  if (row >= 0 && engine.bindings.functions[static_cast<size_t>(row)] != nullptr) return row;
  if (name.size() == 1) {
    switch (name.front()) {
      case '$': return kSiteSlotString;
      case '%': return kSiteSlotInteger;
      case '&': return kSiteSlotLong;
      case '!': return kSiteSlotFloat;
      default: break;
    }
  }
  return kSiteOther;
}

// @$(i), @%(i), @&(i), @!(i): all four forms of slot i; only the type differs.
void SlotFunction(Engine& engine, ValueType type) {
  const int32_t index = ArgInteger(engine);
  if (index < 0 || index >= kParameterSlots) {
    engine.reg = Registers{};
    Error(engine, ErrorCode::ParameterNumberOutOfRange);
    return;
  }
  LoadSlot(engine.reg, engine.slots[static_cast<size_t>(index)]);
  engine.reg.type = type;
}

// A slot read whose index is one number written out (@&(1)), once the call site holds the
// reading of it: what SlotFunction does (the evaluation of the number as the evaluator's
// short way makes it, then the slot), without the call's own work. False, having done
// nothing, where the reading is another, the short way would not take it or the index is
// out of range (the error comes from the call as usual).
bool ConstantSlot(Engine& engine, const FunctionSite* site, ValueType type) {
  if (site == nullptr || !site->arguments || !engine.numericPath || engine.evaluationBudget >= 0 ||
      engine.evaluationDepth >= kMaxEvaluationDepth) {
    return false;
  }
  const RememberedExpression& memo = (*site->arguments)[0];
  if (memo.expression == nullptr || memo.operatorMode != engine.operatorMode) return false;
  const CompiledExpression& reading = *memo.expression;
  const CompiledOperand& operand = reading.first;
  if (!reading.single || operand.kind != CompiledOperand::Kind::Number || operand.negate) return false;
  const int32_t index = operand.number.integer;
  if (index < 0 || index >= kParameterSlots) return false;
  engine.lastSeparator = reading.separator;
  engine.paramEnded = reading.rest.empty();
  LoadSlot(engine.reg, engine.slots[static_cast<size_t>(index)]);
  engine.reg.type = type;
  return true;
}

// `text` evaluated to its end with the parameter text saved and restored around it, read
// once into `memo` (as EvaluateText, without looking the text up each time).
void EvaluateOwnText(Engine& engine, const std::string& text, RememberedExpression& memo,
                     EvalMode mode) {
  std::string saved = std::move(engine.param);
  const char savedSeparator = engine.lastSeparator;
  const bool savedEnded = engine.paramEnded;
  if (memo.expression == nullptr || memo.operatorMode != engine.operatorMode) engine.param = text;
  EvaluateRemembered(engine, memo, "", mode);
  engine.param = std::move(saved);
  engine.lastSeparator = savedSeparator;
  engine.paramEnded = savedEnded;
}

// The first line "DEF name(" of the store; 0 when none. The store never changes during a
// run, so the answer is remembered.
int32_t FindDefLine(Engine& engine, std::string_view name) {
  const std::string key(name);
  const auto found = engine.cache.defFunctions.find(key);
  if (found != engine.cache.defFunctions.end()) return found->second;
  int32_t line = 0;
  for (int32_t n = 1; n <= engine.store.LineCount() && line == 0; ++n) {
    const std::string_view text = engine.store.Line(n).text;
    if (!StartsWithNoCase(text, "DEF ")) continue;
    const std::string_view rest = text.substr(4);
    const size_t open = rest.find('(');
    if (open == std::string_view::npos) continue;
    std::string defined = UpperCase(TrimControl(rest.substr(0, open)));
    if (!defined.empty() && defined.front() == '@') defined.erase(0, 1);
    if (defined == key) line = n;
  }
  engine.cache.defFunctions.emplace(key, line);
  return line;
}

DefFunctionReading& DefReading(Engine& engine, int32_t line) {
  auto found = engine.cache.defReadings.find(line);
  if (found != engine.cache.defReadings.end()) return found->second;
  DefFunctionReading reading;
  const std::string_view rest = std::string_view(engine.store.Line(line).text).substr(4);
  const size_t open = rest.find('(');
  const size_t close = rest.find(')', open + 1);
  const size_t countEnd = close == std::string_view::npos ? rest.size() : close;
  reading.countText = std::string(rest.substr(open + 1, countEnd - open - 1));
  if (close != std::string_view::npos) reading.body = std::string(TrimControl(rest.substr(close + 1)));
  return engine.cache.defReadings.emplace(line, std::move(reading)).first->second;
}

class DefDepth {
 public:
  explicit DefDepth(Engine& engine) : m_engine(engine) { ++engine.functions.defDepth; }
  ~DefDepth() { --m_engine.functions.defDepth; }
  DefDepth(const DefDepth&) = delete;
  DefDepth& operator=(const DefDepth&) = delete;

 private:
  Engine& m_engine;
};

// A name that is neither a catalogue function nor a parameter slot: a function of a DEF
// line; false when the program defines none of that name.
bool CallDefFunction(Engine& engine, std::string_view name, FunctionSite* site) {
  // The line, once found, is kept in the call site's row (past kSiteOther): the store
  // never changes during a run, and the sites go with the run's caches.
  const int32_t line = site != nullptr && site->row > kSiteOther ? site->row - kSiteOther
                                                                 : FindDefLine(engine, name);
  if (line == 0) return false;
  if (site != nullptr) site->row = kSiteOther + line;
  DefFunctionReading& def = DefReading(engine, line);
  // Mended: a DEF function that calls itself without end would overflow the stack; it
  // stops at the depth of procedure calls instead.
  DefDepth depth(engine);
  if (engine.functions.defDepth > kMaxProcDepth) {
    engine.reg = Registers{};
    Error(engine, ErrorCode::CallsTooDeep);
    return true;
  }
  EvaluateOwnText(engine, def.countText, def.countMemo, EvalMode::Number);
  const int32_t count = engine.reg.integer;
  if (count < 0 || count > kMaxProcArguments) {
    engine.reg = Registers{};
    Error(engine, ErrorCode::ParameterNumberOutOfRange);
    return true;
  }
  for (int32_t k = 1; k <= count; ++k) {
    // Each argument sees the slots as they were before it.
    Registers value;
    {
      SlotsGuard guard(engine);
      NextArgument(engine, EvalMode::Any);
      value = engine.reg;
    }
    WriteSlot(engine, static_cast<size_t>(k), value);
  }
  if (!def.body.empty() && (def.body.front() == '!' || def.body.front() == '*')) {
    // A function of a library: the family of DLL calls calls it; a program without that
    // family knows no such function.
    engine.reg = Registers{};
    if (engine.bindings.libraryCall == nullptr) {
      Error(engine, ErrorCode::UnknownFunction, name);
      return true;
    }
    engine.bindings.libraryCall(engine, name, def.body, count);
    return true;
  }
  EvaluateOwnText(engine, def.body, def.bodyMemo, EvalMode::Any);
  return true;
}

void RunRow(Engine& engine, int32_t row, std::string_view name) {
  engine.reg.floatValue = 0.0;
  // A family that reads engine.param itself gets the call's text written out first.
  if (engine.bindings.functionReadsText[static_cast<size_t>(row)]) CatchUpText(engine);
  engine.bindings.functions[static_cast<size_t>(row)](engine, name);
  Registers& reg = engine.reg;
  if (reg.type != ValueType::String) reg.integer = reg.longValue;
  if (reg.type == ValueType::Integer || reg.type == ValueType::Long) {
    reg.floatValue = static_cast<double>(reg.longValue);
  }
}

}  // namespace

int32_t CatalogueSize() { return kRows; }

std::string_view CatalogueName(int32_t row) { return kCatalogue[row]; }

int32_t FindCatalogueRow(std::string_view name) {
  const auto& index = RowIndex();
  const auto found = index.find(name);
  return found == index.end() ? -1 : found->second;
}

// The call site whose arguments the readers take, and the text between the brackets as
// the parameter text, for the time of one call. The text is written into the parameter
// text only when something reads that (CatchUpText), into a buffer of the call's depth,
// which keeps its room for the next call there.
// The pending text is kept as its two parts: the 32-bit build copies a text view in one
// piece, and such a load waits for the two stores that wrote it just before.
class CurrentCall {
 public:
  CurrentCall(Engine& engine, FunctionSite* site, const std::string& arguments)
      : m_engine(engine),
        m_site(engine.functions.site),
        m_argument(engine.functions.argument),
        m_pendingFlag(engine.functions.textPending),
        m_pendingData(engine.functions.pendingText.data()),
        m_pendingSize(engine.functions.pendingText.size()),
        m_swapped(engine.functions.textSwapped) {
    FunctionState& state = engine.functions;
    state.site = site;
    state.argument = 0;
    state.textPending = true;
    state.pendingText = std::string_view(arguments.data(), arguments.size());
    state.textSwapped = false;
    m_depth = state.callDepth++;
  }
  ~CurrentCall() {
    FunctionState& state = m_engine.functions;
    if (state.textSwapped) std::swap(m_engine.param, state.argumentTexts[m_depth]);
    state.textSwapped = m_swapped;
    state.callDepth = m_depth;
    state.site = m_site;
    state.argument = m_argument;
    state.textPending = m_pendingFlag;
    state.pendingText = std::string_view(m_pendingData, m_pendingSize);
  }
  CurrentCall(const CurrentCall&) = delete;
  CurrentCall& operator=(const CurrentCall&) = delete;

 private:
  Engine& m_engine;
  FunctionSite* m_site;
  size_t m_argument;
  bool m_pendingFlag;
  const char* m_pendingData;
  size_t m_pendingSize;
  bool m_swapped;
  size_t m_depth = 0;
};

void CallFunction(Engine& engine, const std::string& name, const std::string& arguments,
                  FunctionSite* site) {
  int32_t row = site != nullptr ? site->row : -1;
  if (row < 0) {
    row = Resolve(engine, name);
    if (site != nullptr) site->row = row;
  }
  if (row >= kSiteSlotString && row <= kSiteSlotFloat &&
      ConstantSlot(engine, site, kSlotTypes[static_cast<size_t>(row - kSiteSlotString)])) {
    return;
  }
  CurrentCall current(engine, site, arguments);
  if (row < kRows) {
    RunRow(engine, row, name);
    return;
  }
  engine.reg.floatValue = 0.0;
  switch (row) {
    case kSiteSlotString: SlotFunction(engine, ValueType::String); return;
    case kSiteSlotInteger: SlotFunction(engine, ValueType::Integer); return;
    case kSiteSlotLong: SlotFunction(engine, ValueType::Long); return;
    case kSiteSlotFloat: SlotFunction(engine, ValueType::Float); return;
    default: break;
  }
  if (CallDefFunction(engine, name, site)) return;
  engine.reg = Registers{};
  Error(engine, ErrorCode::UnknownFunction, name);
}

// ---- shared by the handlers --------------------------------------------------------------

void CatchUpText(Engine& engine) {
  FunctionState& state = engine.functions;
  if (!state.textPending) return;
  if (!state.textSwapped && state.callDepth > 0) {
    // The call's buffer takes the place of the parameter text until the call ends.
    const size_t depth = state.callDepth - 1;
    if (state.argumentTexts.size() <= depth) state.argumentTexts.resize(depth + 1);
    std::swap(engine.param, state.argumentTexts[depth]);
    state.textSwapped = true;
  }
  engine.param.assign(state.pendingText);
  state.textPending = false;
}

namespace {

// The next argument, its first `skip` characters passed over.
[[gnu::always_inline]] inline void ReadArgument(Engine& engine, size_t skip, EvalMode mode) {
  FunctionState& state = engine.functions;
  FunctionSite* site = state.site;
  const size_t k = state.argument++;
  if (site == nullptr || k >= kRememberedArguments) {
    CatchUpText(engine);
    if (skip > 0) engine.param.erase(0, skip);
    Evaluate(engine, ",", mode);
    return;
  }
  if (!site->arguments) {
    site->arguments = std::make_unique<std::array<RememberedExpression, kRememberedArguments>>();
  }
  RememberedExpression& memo = (*site->arguments)[k];
  if (memo.expression != nullptr && memo.operatorMode == engine.operatorMode) {
    // The parameter text is brought up to date only where something reads it.
    const std::string* rest = RunRememberedKeepingText(engine, memo, mode);
    state.textPending = rest != nullptr;
    if (rest != nullptr) state.pendingText = *rest;
    return;
  }
  CatchUpText(engine);
  if (skip > 0) engine.param.erase(0, skip);
  EvaluateRemembered(engine, memo, ",", mode);
}

}  // namespace

void NextArgument(Engine& engine, EvalMode mode) { ReadArgument(engine, 0, mode); }

void NextArgumentAfter(Engine& engine, size_t skip, EvalMode mode) { ReadArgument(engine, skip, mode); }

void SkipArgument(Engine& engine) {
  ++engine.functions.argument;
  CatchUpText(engine);
  Skip(engine, ",");
}

std::string ArgString(Engine& engine) {
  NextArgument(engine, EvalMode::Any);
  return engine.reg.Text();
}

const std::string& ArgKept(Engine& engine, size_t which) {
  NextArgument(engine, EvalMode::Any);
  FunctionState& state = engine.functions;
  // The handler's own depth: the call in progress is one above it.
  const size_t depth = state.callDepth;
  while (state.keptTexts.size() <= depth) state.keptTexts.emplace_back();
  std::string& kept = state.keptTexts[depth][which];
  kept.assign(engine.reg.Text());
  return kept;
}

const std::string& ArgText(Engine& engine) {
  NextArgument(engine, EvalMode::Any);
  return engine.reg.Text();
}

int32_t ArgInteger(Engine& engine) {
  NextArgument(engine, EvalMode::Number);
  return engine.reg.integer;
}

int32_t ArgLong(Engine& engine) {
  NextArgument(engine, EvalMode::Number);
  return engine.reg.longValue;
}

double ArgFloat(Engine& engine) {
  NextArgument(engine, EvalMode::Number);
  return engine.reg.floatValue;
}

// Into the register's own buffer: it keeps its room for the texts of later evaluations.
void ResultString(Engine& engine, std::string text) { SetStringValue(engine.reg, std::string_view(text)); }

void ResultInteger(Engine& engine, int32_t value, ValueType type) {
  SetIntegerValue(engine.reg, value, type, engine.format);
}

void ResultFloat(Engine& engine, double value, ValueType type) {
  SetFloatValue(engine.reg, value, type, engine.format);
}

}  // namespace talven
