// The variable statements: DECLARE, PARAMETERS, assignment, INC/DEC/ADD/SUB, the area
// variables (DIM, DISPOSE, BYTE, WORD, LONG, STRING, CHAR), the DIM lists and CLEAR.

#include <algorithm>
#include <memory>
#include <optional>

#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/evaluator.h"
#include "engine/limits.h"
#include "engine/line_preparation.h"
#include "engine/scan.h"
#include "engine/statements.h"
#include "engine/text.h"

namespace talven {

namespace {

std::string_view Trimmed(std::string_view text) { return TrimControl(text); }

// The items of a name list: up to each "," outside strings and brackets.
std::vector<std::string> ListItems(std::string_view text) {
  std::vector<std::string> items;
  text = Trimmed(text);
  while (!text.empty()) {
    const size_t comma = FindSeparator(text, ",");
    items.emplace_back(UpperCase(Trimmed(text.substr(0, comma))));
    if (comma == kNotFound) break;
    text = Trimmed(text.substr(comma + 1));
  }
  return items;
}

struct DeclaredName {
  std::string name;
  std::string bounds;
  bool array = false;
};

// The name rules of DECLARE and PARAMETERS, in their order. False after a fatal error.
bool ParseDeclaredName(Engine& engine, const std::string& item, DeclaredName& out) {
  out = DeclaredName{};
  out.name = item;
  if (!item.empty() && item.back() == ']') {
    const size_t open = item.find('[');
    if (open == std::string::npos) {
      Error(engine, ErrorCode::BadVariableName, item);
      return false;
    }
    out.array = true;
    out.bounds = item.substr(open + 1, item.size() - open - 2);
    out.name = item.substr(0, open);
  }
  if (out.name.empty() || std::string_view("!#$%&").find(out.name.back()) == kNotFound ||
      (out.array && out.name.back() == '#') || out.name.find(' ') != std::string::npos) {
    Error(engine, ErrorCode::BadVariableName, item);
    return false;
  }
  if (out.name.size() > kMaxNameLength) {
    Error(engine, ErrorCode::VariableNameTooLong, out.name);
    return false;
  }
  return true;
}

template <typename T>
void DeclareIn(Engine& engine, VariableTable<T>& table, ErrorCode fullError, const std::string& name,
               T value) {
  if (table.Count() >= kMaxVariablesPerKind) {
    // Deliberate: a full table takes no further entry, also when the error lets the
    // program go on.
    Error(engine, fullError);
    return;
  }
  table.Add(name, std::move(value));
}

// A simple variable with the value of `slot` (PARAMETERS) or 0 / empty (DECLARE).
void DeclareSimple(Engine& engine, const std::string& name, const ParameterSlot* slot) {
  Variables& vars = engine.vars;
  switch (name.back()) {
    case '%':
      DeclareIn(engine, vars.integers, ErrorCode::IntegerVariablesFull, name,
                slot ? slot->integer : 0);
      break;
    case '&':
      DeclareIn(engine, vars.longs, ErrorCode::LongVariablesFull, name,
                slot ? slot->longValue : 0);
      break;
    case '!':
      DeclareIn(engine, vars.floats, ErrorCode::FloatVariablesFull, name,
                slot ? slot->floatValue : 0.0);
      break;
    case '$':
      DeclareIn(engine, vars.strings, ErrorCode::StringVariablesFull, name,
                slot ? slot->Text() : std::string());
      break;
    default:
      DeclareIn(engine, vars.areas, ErrorCode::AreaVariablesFull, name,
                AreaValue{slot ? slot->longValue : 0, 0});
      break;
  }
}

template <typename T>
void GrowPool(std::vector<T>& pool, int64_t count) {
  pool.resize(pool.size() + static_cast<size_t>(count));
}

size_t PoolSize(const Variables& vars, char type) {
  switch (type) {
    case '%': return vars.integerPool.size();
    case '&': return vars.longPool.size();
    case '!': return vars.floatPool.size();
    default: return vars.stringPool.size();
  }
}

void DeclareArray(Engine& engine, const DeclaredName& declared) {
  Variables& vars = engine.vars;
  if (static_cast<int32_t>(vars.arrays.size()) >= kMaxArrays) {
    Error(engine, ErrorCode::ArrayVariablesFull);
    return;
  }
  ArrayDescriptor array;
  array.type = declared.name.back();
  array.name = declared.name;
  // The first bound stands for all three until a second and a third replace it.
  std::string saved = std::move(engine.param);
  engine.param = declared.bounds;
  Evaluate(engine, ",");
  array.bounds[0] = array.bounds[1] = array.bounds[2] = engine.reg.longValue;
  for (int i = 1; i < 3 && !engine.param.empty(); ++i) {
    Evaluate(engine, ",");
    array.bounds[i] = engine.reg.longValue;
  }
  const bool fourth = !engine.param.empty();
  engine.param = std::move(saved);
  if (fourth) {
    Error(engine, ErrorCode::TooManyDimensions);
    return;
  }
  // Deliberate: a negative bound gives an array without elements (any access is 233),
  // where the product of negative sizes would count elements that are not there.
  int64_t count = 1;
  for (int32_t bound : array.bounds) {
    count = bound < 0 ? 0 : count * (int64_t{bound} + 1);
    if (count > kMaxPoolElements) break;
  }
  if (static_cast<int64_t>(PoolSize(vars, array.type)) + count > kMaxPoolElements) {
    Error(engine, ErrorCode::TooManyElements, array.name);
    return;
  }
  array.count = static_cast<int32_t>(count);
  array.first = static_cast<int32_t>(PoolSize(vars, array.type));
  switch (array.type) {
    case '%': GrowPool(vars.integerPool, count); break;
    case '&': GrowPool(vars.longPool, count); break;
    case '!': GrowPool(vars.floatPool, count); break;
    default: GrowPool(vars.stringPool, count); break;
  }
  vars.arrays.push_back(std::move(array));
}

// The slot PARAMETERS takes for the name at `position` (1-based); nullptr for DECLARE.
const ParameterSlot* SlotFor(Engine& engine, bool fromSlots, size_t position) {
  if (!fromSlots) return nullptr;
  // Deliberate: names past the fifteenth argument slot take 0 or empty.
  static const ParameterSlot kEmptySlot{};
  return position < static_cast<size_t>(kParameterSlots) ? &engine.slots[position] : &kEmptySlot;
}

void DeclareList(Engine& engine, bool fromSlots) {
  engine.handled = true;
  PreparedStatement* prepared = engine.currentLine != nullptr ? &engine.currentLine->prepared : nullptr;
  if (prepared != nullptr && prepared->ready) {
    size_t position = 0;
    for (const std::string& name : prepared->names) {
      DeclareSimple(engine, name, SlotFor(engine, fromSlots, ++position));
    }
    return;
  }
  const std::vector<std::string> items = ListItems(engine.param);
  engine.param.clear();
  // A list of valid simple names is kept with the line; one with an array or a name
  // that breaks the rules is read again each time, so that its errors come again.
  std::vector<std::string> names;
  bool keep = prepared != nullptr;
  size_t position = 0;
  for (const std::string& item : items) {
    ++position;
    DeclaredName declared;
    if (!ParseDeclaredName(engine, item, declared)) {
      keep = false;
      continue;
    }
    if (declared.array) {
      keep = false;
      DeclareArray(engine, declared);
      continue;
    }
    if (keep) names.push_back(declared.name);
    DeclareSimple(engine, declared.name, SlotFor(engine, fromSlots, position));
  }
  if (keep) {
    prepared->names = std::move(names);
    prepared->ready = true;
  }
}

// A target array element "NAME[i1,i2,i3]": its pool position, or -1 after an error.
// `prepared` holds the target's name and index text (arrayName, indexText), read once.
int64_t ArrayTarget(Engine& engine, PreparedStatement& prepared, const ArrayDescriptor*& array) {
  const std::string& target = prepared.target;
  const size_t open = target.find('[');
  const std::string& name = prepared.arrayName;
  int32_t indices[3] = {0, 0, 0};
  if (open != std::string::npos &&
      !ReadIndices(engine, prepared.indexText, indices, prepared.access.indices)) {
    return -1;
  }
  const int32_t index = open == std::string::npos ? -1 : engine.vars.FindArrayCached(name, prepared.access.array);
  if (index < 0) {
    Error(engine, ErrorCode::NotDeclared, name);
    return -1;
  }
  array = &engine.vars.arrays[static_cast<size_t>(index)];
  const int64_t position = ElementPosition(*array, indices);
  if (position < 0) Error(engine, ErrorCode::NoSuchElement);
  return position;
}

void StoreElement(Engine& engine, const ArrayDescriptor& array, int64_t position) {
  Variables& vars = engine.vars;
  const auto at = static_cast<size_t>(position);
  switch (array.type) {
    case '%': vars.integerPool[at] = engine.reg.integer; break;
    case '&': vars.longPool[at] = engine.reg.longValue; break;
    case '!': vars.floatPool[at] = engine.reg.floatValue; break;
    default: vars.stringPool[at] = engine.reg.Text(); break;
  }
}

// The items of a string assignment: "," joins with a blank, ";" without.
// The value is built in the engine's buffer for it (`value`), which keeps its room.
void StringItems(Engine& engine, PreparedStatement* prepared, std::string& value) {
  value.clear();
  size_t item = 0;
  while (!engine.param.empty()) {
    const size_t before = engine.param.size();
    if (RememberedExpression* memo = ItemMemo(prepared, item++)) {
      EvaluateRemembered(engine, *memo, kListItem);
    } else {
      Evaluate(engine, kListItem);
    }
    CheckProgress(before, engine.param);
    value += engine.reg.Text();
    if (engine.lastSeparator == ',') value += ' ';
    CutToMaxString(value);
  }
}

// INC, DEC, ADD and SUB on the newest integer variable of that name.
void ChangeInteger(Engine& engine, const std::string& target, int32_t delta, LookupCache& lookup) {
  if (target.empty() || target.back() != '%') {
    Error(engine, ErrorCode::IntegerVariableExpected);
    return;
  }
  const int32_t index = engine.vars.integers.FindCached(target, lookup);
  if (index < 0) {
    Error(engine, ErrorCode::NotDeclared, target);
    return;
  }
  int32_t& value = engine.vars.integers.Value(index);
  // The 32-bit register wraps.
  value = static_cast<int32_t>(static_cast<uint32_t>(value) + static_cast<uint32_t>(delta));
}

// The statement's preparation on its own line, or a fresh one for a statement a CASE
// selected.
// The scratch is made only where it is used: a preparation is large, and the line's own
// is the common case.
PreparedStatement& Preparation(Engine& engine, std::optional<PreparedStatement>& scratch) {
  return engine.currentLine != nullptr ? engine.currentLine->prepared : scratch.emplace();
}

// INC and DEC of a variable that exists, from the line's preparation; false (nothing
// done) when it does not, and the handler reports it.
template <int32_t Delta>
bool FastStep(Engine& engine, LineCache& line) {
  PreparedStatement& prepared = line.prepared;
  if (!engine.numericPath) return false;
  const int32_t index = engine.vars.integers.FindCached(prepared.target, prepared.lookup);
  if (index < 0) return false;
  engine.handled = true;
  int32_t& value = engine.vars.integers.Value(index);
  value = static_cast<int32_t>(static_cast<uint32_t>(value) + static_cast<uint32_t>(Delta));
  return true;
}

template <int32_t Delta>
void StepInteger(Engine& engine) {
  engine.handled = true;
  WithLinePreparation(engine, [&](PreparedStatement& prepared) {
    if (!prepared.ready) {
      prepared.target = UpperCase(Trimmed(engine.param));
      prepared.ready = true;
      if (engine.currentLine != nullptr && !prepared.target.empty() && prepared.target.back() == '%') {
        engine.currentLine->fast = FastStep<Delta>;
      }
    }
    ChangeInteger(engine, prepared.target, Delta, prepared.lookup);
  });
}

int32_t Signed(int32_t sign, int32_t amount) {
  return sign > 0 ? amount : static_cast<int32_t>(0u - static_cast<uint32_t>(amount));
}

// ADD and SUB whose amount has the evaluator's short way.
template <int32_t Sign>
bool FastAddOrSub(Engine& engine, LineCache& line) {
  engine.handled = true;
  PreparedStatement& prepared = line.prepared;
  if (!EvaluateNumberShort(engine, prepared)) return false;
  ChangeInteger(engine, prepared.target, Signed(Sign, engine.reg.integer), prepared.lookup);
  return true;
}

template <int32_t Sign>
void AddOrSub(Engine& engine) {
  engine.handled = true;
  WithLinePreparation(engine, [&](PreparedStatement& prepared) {
    if (!prepared.ready) {
      const size_t comma = FindSeparator(engine.param, ",");
      prepared.target = UpperCase(Trimmed(std::string_view(engine.param).substr(0, comma)));
      prepared.expression = comma == kNotFound ? std::string() : std::string(Trimmed(std::string_view(engine.param).substr(comma + 1)));
      prepared.ready = true;
    }
    EvaluatePrepared(engine, prepared, EvalMode::Number);
    if (engine.currentLine != nullptr && HasNumberShortWay(prepared)) {
      engine.currentLine->fast = FastAddOrSub<Sign>;
    }
    ChangeInteger(engine, prepared.target, Signed(Sign, engine.reg.integer), prepared.lookup);
  });
}

// The area variable named before the first ",": its name (121 when it is none).
bool AreaName(Engine& engine, std::string& name) {
  const size_t comma = FindSeparator(engine.param, ",");
  name = UpperCase(Trimmed(std::string_view(engine.param).substr(0, comma)));
  engine.param = comma == kNotFound ? std::string() : std::string(Trimmed(std::string_view(engine.param).substr(comma + 1)));
  if (name.empty() || name.back() != '#') {
    Error(engine, ErrorCode::AreaVariableExpected);
    return false;
  }
  return true;
}

enum class AreaWrite { Byte, Word, Long, String, Char };

void WriteArea(Engine& engine, AreaWrite kind) {
  engine.handled = true;
  std::string name;
  if (!AreaName(engine, name)) return;
  const size_t equals = FindSeparator(engine.param, "=");
  const std::string offsetText(Trimmed(std::string_view(engine.param).substr(0, equals)));
  const std::string valueText =
      equals == kNotFound ? std::string() : std::string(Trimmed(std::string_view(engine.param).substr(equals + 1)));
  engine.param.clear();
  EvaluateText(engine, offsetText);
  const int32_t offset = engine.reg.longValue;
  EvaluateText(engine, valueText);
  const Registers value = engine.reg;

  const int32_t index = engine.vars.areas.Find(name);
  if (index < 0) {
    Error(engine, ErrorCode::NotDeclared, name);
    return;
  }
  const AreaValue area = engine.vars.areas.Value(index);
  std::vector<uint8_t>* block = engine.vars.Block(area.address);
  if (block == nullptr) {
    Error(engine, ErrorCode::AreaNotDimensioned);
    return;
  }
  // The block holds size + 1 bytes; never more than were allocated at that address.
  const int64_t limit = std::min<int64_t>(int64_t{area.size} + 1, static_cast<int64_t>(Variables::UsableBytes(*block)));
  int64_t needs = 1;
  if (kind == AreaWrite::Word) needs = 2;
  if (kind == AreaWrite::Long) needs = 4;
  if (offset < 0 || offset + needs > limit) {
    Error(engine, ErrorCode::OutOfBounds, std::to_string(offset));
    return;
  }
  uint8_t* at = block->data() + offset;
  switch (kind) {
    case AreaWrite::Byte:
      at[0] = static_cast<uint8_t>(value.integer);
      break;
    case AreaWrite::Word:
    case AreaWrite::Long: {
      const auto bits = static_cast<uint32_t>(value.longValue);
      for (int64_t i = 0; i < needs; ++i) at[i] = static_cast<uint8_t>(bits >> (8 * i));
      break;
    }
    case AreaWrite::String:
    case AreaWrite::Char: {
      std::string bytes = value.Text();
      if (kind == AreaWrite::String) bytes.push_back('\0');
      // Characters that would pass the end of the block are not written.
      const int64_t room = limit - offset;
      const int64_t count = std::min<int64_t>(room, static_cast<int64_t>(bytes.size()));
      std::copy_n(bytes.begin(), count, at);
      break;
    }
  }
}

template <typename T>
void DimensionList(Engine& engine, DimList<T>& list, ErrorCode onceError) {
  engine.handled = true;
  if (list.dimensioned) {
    Error(engine, onceError);
    return;
  }
  const int32_t bound = EvaluateInteger(engine, "");
  if (bound < 0 || bound > kMaxDimListBound) {
    Error(engine, ErrorCode::ListBoundOutOfRange);
    return;
  }
  list.elements.assign(static_cast<size_t>(bound) + 1, T{});
  list.dimensioned = true;
}

// The element of a DIM list named by the index before the ","; nullptr after 207.
template <typename T>
T* ListElement(Engine& engine, DimList<T>& list) {
  engine.handled = true;
  const int32_t index = engine.reg.longValue;
  if (index < 0 || index > list.Bound()) {
    Error(engine, ErrorCode::OutOfBounds, std::to_string(list.Bound()));
    return nullptr;
  }
  return &list.elements[static_cast<size_t>(index)];
}

template <typename T, typename Store>
void SetListElement(Engine& engine, DimList<T>& list, Store store) {
  engine.handled = true;
  Evaluate(engine, ",");
  T* element = ListElement(engine, list);
  if (element == nullptr) return;
  Evaluate(engine, "");
  store(*element, engine.reg);
}

// CLEAR for one name; false when no variable or array of that name exists.
bool ClearName(Engine& engine, const std::string& name) {
  Variables& vars = engine.vars;
  if (!name.empty()) {
    int32_t index = -1;
    switch (name.back()) {
      case '%':
        if ((index = vars.integers.Find(name)) >= 0) vars.integers.Value(index) = 0;
        break;
      case '&':
        if ((index = vars.longs.Find(name)) >= 0) vars.longs.Value(index) = 0;
        break;
      case '!':
        if ((index = vars.floats.Find(name)) >= 0) vars.floats.Value(index) = 0.0;
        break;
      case '$':
        if ((index = vars.strings.Find(name)) >= 0) vars.strings.Value(index).clear();
        break;
      case '#':
        if ((index = vars.areas.Find(name)) >= 0) {
          const AreaValue& area = vars.areas.Value(index);
          std::vector<uint8_t>* block = vars.Block(area.address);
          if (block == nullptr) {
            Error(engine, ErrorCode::AreaNotDimensioned);
          } else {
            const size_t bytes = std::min<size_t>(static_cast<size_t>(area.size) + 1, Variables::UsableBytes(*block));
            std::fill_n(block->begin(), bytes, uint8_t{0});
          }
        }
        break;
      default:
        break;
    }
    if (index >= 0) return true;
  }
  const int32_t found = vars.FindArray(name);
  if (found < 0) return false;
  const ArrayDescriptor& array = vars.arrays[static_cast<size_t>(found)];
  const auto first = static_cast<size_t>(array.first);
  const auto count = static_cast<size_t>(array.count);
  switch (array.type) {
    case '%': std::fill_n(vars.integerPool.begin() + first, count, 0); break;
    case '&': std::fill_n(vars.longPool.begin() + first, count, 0); break;
    case '!': std::fill_n(vars.floatPool.begin() + first, count, 0.0); break;
    default: std::fill_n(vars.stringPool.begin() + first, count, std::string()); break;
  }
  return true;
}

}  // namespace

void StmtDeclare(Engine& engine) { DeclareList(engine, false); }

void StmtParameters(Engine& engine) { DeclareList(engine, true); }

namespace {

// The value in the registers into a numeric or area target: the register of its type.
void StoreNumber(Engine& engine, PreparedStatement& prepared) {
  Variables& vars = engine.vars;
  const std::string& target = prepared.target;
  int32_t index = -1;
  switch (target.back()) {
    case '%':
      if ((index = vars.integers.FindCached(target, prepared.lookup)) >= 0) vars.integers.Value(index) = engine.reg.integer;
      break;
    case '&':
      if ((index = vars.longs.FindCached(target, prepared.lookup)) >= 0) vars.longs.Value(index) = engine.reg.longValue;
      break;
    case '!':
      if ((index = vars.floats.FindCached(target, prepared.lookup)) >= 0) vars.floats.Value(index) = engine.reg.floatValue;
      break;
    default:
      if ((index = vars.areas.FindCached(target, prepared.lookup)) >= 0) vars.areas.Value(index).address = engine.reg.longValue;
      break;
  }
  if (index < 0) Error(engine, ErrorCode::NotDeclared, target);
}

bool FastAssignNumber(Engine& engine, LineCache& line) {
  engine.handled = true;
  if (!EvaluateNumberShort(engine, line.prepared)) return false;
  StoreNumber(engine, line.prepared);
  return true;
}

// A string assignment whose items are string literals and string variables: the join in
// place from the line's next execution on; where it does not apply the handler runs.
bool FastAssignStrings(Engine& engine, LineCache& line) {
  engine.handled = true;
  return AssignPlainStrings(engine, line.prepared);
}

}  // namespace

// An array element target: indices, array, bounds, then one expression of its type: by
// the evaluator's short way where it takes one, which reads nothing from the parameter
// text; only the general way gets the value's text there first.
void AssignElement(Engine& engine, PreparedStatement& prepared) {
  const ArrayDescriptor* array = nullptr;
  const int64_t position = ArrayTarget(engine, prepared, array);
  if (position < 0) return;
  const size_t arrayIndex = static_cast<size_t>(array - engine.vars.arrays.data());
  // In the short way the modes Number and Any take the same steps.
  if (!EvaluateNumberShort(engine, prepared)) {
    engine.param = prepared.expression;
    EvaluatePrepared(engine, prepared);
  }
  StoreElement(engine, engine.vars.arrays[arrayIndex], position);
}

namespace {

// An assignment to an array element from the line's second execution on.
bool FastAssignElement(Engine& engine, LineCache& line) {
  engine.handled = true;
  AssignElement(engine, line.prepared);
  return true;
}

}  // namespace

// A numeric or area target of an assignment: one expression, the register of its type.
void AssignNumber(Engine& engine, PreparedStatement& prepared) {
  EvaluatePrepared(engine, prepared);
  LineCache* line = engine.currentLine;
  if (line != nullptr && &line->prepared == &prepared && HasNumberShortWay(prepared)) {
    line->fast = FastAssignNumber;
  }
  StoreNumber(engine, prepared);
}

// A string target: the items, then the newest string variable of that name.
void AssignString(Engine& engine, PreparedStatement* prepared, const std::string& target) {
  std::string& value = engine.cache.stringItems;
  StringItems(engine, prepared, value);
  const int32_t index = prepared != nullptr ? engine.vars.strings.FindCached(target, prepared->lookup)
                                            : engine.vars.strings.Find(target);
  if (index < 0) {
    Error(engine, ErrorCode::NotDeclared, target);
    return;
  }
  engine.vars.strings.Value(index).assign(value);
}

void StmtLet(Engine& engine) {
  engine.handled = true;
  if (engine.currentLine != nullptr && engine.currentLine->prepared.ready) {
    PreparedStatement& prepared = engine.currentLine->prepared;
    if (prepared.target.back() == ']') {
      engine.currentLine->fast = FastAssignElement;
      FastAssignElement(engine, *engine.currentLine);
    } else if (prepared.target.back() == '$') {
      if (AssignPlainStrings(engine, prepared)) {
        engine.currentLine->fast = FastAssignStrings;
        return;
      }
      engine.param = prepared.expression;
      AssignString(engine, &prepared, prepared.target);
    } else {
      AssignNumber(engine, prepared);
    }
    return;
  }
  const size_t equals = engine.param.find('=');
  const std::string target = UpperCase(Trimmed(std::string_view(engine.param).substr(0, equals)));
  engine.param = equals == std::string::npos ? std::string()
                                             : std::string(Trimmed(std::string_view(engine.param).substr(equals + 1)));
  if (!target.empty() && target.back() == ']') {
    std::optional<PreparedStatement> scratch;
    PreparedStatement& prepared = Preparation(engine, scratch);
    prepared.target = target;
    const size_t open = target.find('[');
    prepared.arrayName = std::string(Trimmed(std::string_view(target).substr(0, open == std::string::npos ? target.size() : open)));
    prepared.indexText = open == std::string::npos ? std::string() : target.substr(open + 1, target.size() - open - 2);
    prepared.expression = engine.param;
    prepared.ready = true;
    AssignElement(engine, prepared);
    return;
  }
  const char suffix = target.empty() ? ' ' : target.back();
  if (suffix == '$') {
    PreparedStatement* prepared = nullptr;
    if (engine.currentLine != nullptr) {
      prepared = &engine.currentLine->prepared;
      prepared->target = target;
      prepared->expression = engine.param;
      prepared->ready = true;
    }
    AssignString(engine, prepared, target);
    return;
  }
  if (suffix != '%' && suffix != '&' && suffix != '!' && suffix != '#') {
    Error(engine, ErrorCode::NotDeclared, target);
    return;
  }
  std::optional<PreparedStatement> scratch;
  PreparedStatement& prepared = Preparation(engine, scratch);
  prepared.target = target;
  prepared.expression = engine.param;
  prepared.ready = true;
  AssignNumber(engine, prepared);
}

void StmtInc(Engine& engine) { StepInteger<1>(engine); }

void StmtDec(Engine& engine) { StepInteger<-1>(engine); }

void StmtAdd(Engine& engine) { AddOrSub<1>(engine); }

void StmtSub(Engine& engine) { AddOrSub<-1>(engine); }

void StmtDim(Engine& engine) {
  engine.handled = true;
  std::string name;
  if (!AreaName(engine, name)) return;
  const int32_t size = EvaluateInteger(engine, "");
  const int32_t index = engine.vars.areas.Find(name);
  if (index < 0) {
    Error(engine, ErrorCode::NotDeclared, name);
    return;
  }
  AreaValue& area = engine.vars.areas.Value(index);
  if (area.address != 0) {
    Error(engine, ErrorCode::AreaAlreadyDimensioned);
    return;
  }
  const int32_t address = engine.vars.Allocate(int64_t{size} + 1);
  if (address == 0) {
    engine.vars.areas.Value(index) = AreaValue{};
    Error(engine, ErrorCode::AreaMemoryTooSmall);
    return;
  }
  engine.vars.areas.Value(index) = AreaValue{address, size};
}

void StmtDispose(Engine& engine) {
  engine.handled = true;
  const std::string name = UpperCase(Trimmed(engine.param));
  engine.param.clear();
  if (name.empty() || name.back() != '#') {
    Error(engine, ErrorCode::AreaVariableExpected);
    return;
  }
  const int32_t index = engine.vars.areas.Find(name);
  if (index < 0) {
    Error(engine, ErrorCode::NotDeclared, name);
    return;
  }
  AreaValue& area = engine.vars.areas.Value(index);
  if (area.address == 0) return;
  engine.vars.Free(area.address);
  area = AreaValue{};
}

void StmtClear(Engine& engine) {
  engine.handled = true;
  const std::vector<std::string> names = ListItems(engine.param);
  engine.param.clear();
  bool lastFound = true;
  for (const std::string& name : names) lastFound = ClearName(engine, name);
  // Deliberate: only the last name of the list must exist.
  if (!lastFound) Error(engine, ErrorCode::NotDeclared, names.back());
}

void StmtDimInteger(Engine& engine) {
  DimensionList(engine, engine.vars.integerList, ErrorCode::DimIntegerTwice);
}
void StmtDimLong(Engine& engine) {
  DimensionList(engine, engine.vars.longList, ErrorCode::DimLongTwice);
}
void StmtDimString(Engine& engine) {
  DimensionList(engine, engine.vars.stringList, ErrorCode::DimStringTwice);
}
void StmtDimFloat(Engine& engine) {
  DimensionList(engine, engine.vars.floatList, ErrorCode::DimFloatTwice);
}

void StmtListInteger(Engine& engine) {
  SetListElement(engine, engine.vars.integerList, [](int32_t& e, const Registers& r) { e = r.integer; });
}
void StmtListLong(Engine& engine) {
  SetListElement(engine, engine.vars.longList, [](int32_t& e, const Registers& r) { e = r.longValue; });
}
void StmtListFloat(Engine& engine) {
  SetListElement(engine, engine.vars.floatList, [](double& e, const Registers& r) { e = r.floatValue; });
}
void StmtListString(Engine& engine) {
  SetListElement(engine, engine.vars.stringList, [](std::string& e, const Registers& r) { e = r.Text(); });
}

void StmtByte(Engine& engine) { WriteArea(engine, AreaWrite::Byte); }
void StmtWord(Engine& engine) { WriteArea(engine, AreaWrite::Word); }
void StmtLong(Engine& engine) { WriteArea(engine, AreaWrite::Long); }
void StmtString(Engine& engine) { WriteArea(engine, AreaWrite::String); }
void StmtChar(Engine& engine) { WriteArea(engine, AreaWrite::Char); }

}  // namespace talven
