#pragma once
// The run state of one program: everything a statement handler reads or changes lives in
// an Engine. A fresh Engine per run (and per test) starts from the documented defaults.

#include <array>
#include <deque>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/binding.h"
#include "engine/compiled_expression.h"
#include "engine/family.h"
#include "engine/host.h"
#include "engine/profile.h"
#include "engine/program_store.h"
#include "engine/values.h"
#include "engine/variables.h"

namespace talven {

enum class ProgramKind { Interpreter, Runtime, Compiler };

// Thrown when the run must end (fatal error, level 2, Cancel, PROGEND after the loop,
// the window closed). Caught in exactly one place: RunProgram.
struct RunEnd {
  int exitCode;
};

struct ErrorState {
  int32_t level = 1;       // -1 silent, 0 warnings silent, 1 warnings asked, 2 all fatal
  int32_t flag = 0;        // 0 none, 1 warning, 2 fatal; read and cleared by %ERROR
  int32_t lastNumber = 0;  // read and cleared by %ERRNUMBER
  bool trace = false;
  bool fastMode = false;   // SETERRORLEVEL -2: no message processing between statements
};

// One entry of the operator stack: the left operand and the operator waiting for its right.
struct OperatorEntry {
  Registers left;
  int32_t op = 0;
  int32_t priority = 0;
};

// The operator stack: room for 50 entries shared by all evaluations. Its entries stay
// in place when popped, so a string pushed later reuses their room.
class OperatorStack {
 public:
  size_t size() const { return m_size; }
  bool empty() const { return m_size == 0; }
  OperatorEntry& back() { return m_entries[m_size - 1]; }
  // The caller checks for room (kOperatorStackSize).
  void push(const Registers& left, int32_t op, int32_t priority) {
    OperatorEntry& entry = m_entries[m_size++];
    entry.left = left;
    entry.op = op;
    entry.priority = priority;
  }
  void pop_back() { --m_size; }
  // Drops the entries above `size`.
  void resize(size_t size) {
    if (size < m_size) m_size = size;
  }
  void clear() { m_size = 0; }

 private:
  std::array<OperatorEntry, kOperatorStackSize> m_entries;
  size_t m_size = 0;
};

// A GOSUB or procedure call: where to go back to and which variables to keep.
struct ProcedureFrame {
  int32_t returnLine = 0;
  VariableCounts counts;
};

// What a forward scan from one line meets: the ELSEIF lines at nesting 0 whose condition
// decides (IF scans only), then the line that ends the scan (0: the end of the store).
struct BlockScan {
  std::vector<int32_t> elseIfs;
  int32_t end = 0;
};

// What the statement loop remembers of a program line between its executions. The store
// never changes during a run, so everything here follows from the line's text alone.
struct LineCache {
  bool ready = false;
  bool openString = false;       // the checks of the split parameter text
  bool bracketsBalanced = true;
  bool hasOperators = true;  // a compiled line's own operator mode
  bool direct = false;  // not CASE or CASENOT: the fields below hold
  bool operatorSwitch = false;
  bool label = false;
  bool noOp = false;
  int keyword = -1;
  // A line none of whose checks applies: not CASE or CASENOT, no string left open, its
  // brackets balanced, no operator switch, no label, and either a word that does nothing
  // (`handler` nullptr) or a keyword of this program (`handler` its handler).
  bool plain = false;
  StatementHandler handler = nullptr;
  // The handler's short way for this line, installed by the handler once the line's
  // preparation allows one: it does the whole statement and returns true, or returns false
  // having done nothing that the handler would not do again (the handler then runs).
  bool (*fast)(Engine& engine, LineCache& line) = nullptr;
  // The first PROC line of the word (0 none), once a call from this line looked for it.
  int32_t procedure = -1;
  // The forward scans from this line by block kind, once made (entries of
  // SearchCache::scans, which never moves them).
  const BlockScan* scans[4] = {nullptr, nullptr, nullptr, nullptr};
  std::string display;  // the current display line for this line
  std::string word;
  std::string param;
  std::string cutParam;  // the parameter text cut before its comment
  PreparedStatement prepared;
};

// A DEF function line as the function evaluator reads it: the text of its parameter count
// and its body, with their readings.
struct DefFunctionReading {
  std::string countText;
  std::string body;
  RememberedExpression countMemo;
  RememberedExpression bodyMemo;
};

// Remembered results of the searches through the store (labels, procedures, DEF lines,
// block ends). Each entry is exactly what the search from the start would find.
struct SearchCache {
  std::unordered_map<std::string, int32_t> labels;      // label -> first line, 0 none
  std::unordered_map<std::string, int32_t> procedures;  // name -> first PROC line, 0 none
  std::unordered_map<std::string, int32_t> constants;   // name -> first DEF line, 0 none
  std::unordered_map<std::string, int32_t> defFunctions;  // DEF function -> first line, 0 none
  std::unordered_map<int32_t, DefFunctionReading> defReadings;  // by DEF line
  std::unordered_map<int64_t, BlockScan> scans;  // start line * 4 + block kind
  std::vector<LineCache> lines;
  // The reading of each parameter text the evaluator met, by separator, mode and text.
  std::unordered_map<std::string, std::unique_ptr<CompiledExpression>> expressions;
  std::string expressionKey;
  std::string stringItems;  // the value of a string assignment being built
};

class SlotsGuard;

// The state the function catalogue keeps for a run: the key of @PWD$ (PASSWORD), the
// colour mode (SETTRUECOLOR) that @RGB and its kin and every colour of the library read,
// the generator of @RND and the depth of DEF calls inside each other.
// The call whose handler runs keeps its site and the number of arguments read so far.
struct FunctionState {
  std::string passwordKey;  // empty: no key
  bool trueColor = false;
  uint32_t randomSeed = 0;
  int32_t defDepth = 0;
  FunctionSite* site = nullptr;
  size_t argument = 0;
  // The parameter text of the call in progress while it is not written out: the text
  // between the brackets, or what follows the last argument read from a remembered
  // reading. It stays where it is (the call's operand, the reading) for the call's time.
  bool textPending = false;
  std::string_view pendingText;
  bool textSwapped = false;  // the call's buffer stands in for the parameter text
  // The argument texts of the calls in progress, by depth: buffers kept for the next call
  // at the same depth.
  std::vector<std::string> argumentTexts;
  size_t callDepth = 0;
  // String arguments a handler keeps while it reads the next ones, by depth (a deque:
  // deeper calls add rows without moving those in use).
  std::deque<std::array<std::string, 3>> keptTexts;
};

class Engine {
 public:
  Engine(Host& host, ProgramKind kind, const Profile& profile)
      : host(host), kind(kind), profile(profile), bindings(BindingsOf(profile)) {}

  // Everything a run begins with: the engine's own state, and each family's made anew.
  void ResetRunState();
  // The end of a run: each family's state dropped (files closed, objects released).
  void DropFamilyStates();

  // The run state of family `id` (library/families.def); nullptr when the program lacks
  // the family or no run has started.
  FamilyState* StateOf(size_t id) const {
    return id < m_familyStates.size() ? m_familyStates[id].get() : nullptr;
  }
  // The platform of family `id`: the host's installed one, else the family's default.
  FamilyPlatform& PlatformOf(size_t id);
  const std::vector<std::unique_ptr<FamilyState>>& FamilyStates() const { return m_familyStates; }

  Host& host;
  const ProgramKind kind;
  const Profile& profile;
  const Bindings& bindings;
  ProgramStore store;

  // Statement loop.
  int32_t pc = 0;
  bool terminate = false;
  bool handled = false;
  // The statement's word: a view of the line cache's word while a line runs as stored,
  // else of selectedWord (the statement a CASE selected).
  std::string_view word;
  std::string selectedWord;
  std::string param;
  // The current display line: the line cache's text while a line runs as stored, or
  // displayLine where the engine built one of its own (displayLineRef nullptr).
  std::string displayLine;
  const std::string* displayLineRef = nullptr;
  const std::string& CurrentDisplayLine() const {
    return displayLineRef != nullptr ? *displayLineRef : displayLine;
  }
  bool operatorMode = true;
  // Statements left before the loop stops as at the end of the store; -1 for no limit.
  // Only test drivers set it, to end programs that loop for ever.
  int64_t statementBudget = -1;
  // Evaluations left before the run ends as at END; -1 for no limit. Only test drivers
  // set it, to end statements whose evaluations multiply (DEF functions calling
  // themselves several times over).
  int64_t evaluationBudget = -1;
  // Expressions of numbers and numeric variables, and expressions of one operand, take
  // the evaluator's short paths, and lines their statements' short ways (LineCache::fast);
  // the fuzz driver and the tests switch them off to compare both ways.
  bool numericPath = true;
  // The cache of the line whose own statement runs (not one a CASE selected); nullptr
  // otherwise. Handlers keep what they read from its parameter text there.
  LineCache* currentLine = nullptr;

  ErrorState errors;
  Registers reg;
  char lastSeparator = ' ';
  bool paramEnded = false;
  // Set when a list item would have taken nothing and ended its list (102); the loop
  // that read it counts no item for it.
  bool listStalled = false;

  // Values.
  NumberFormat format;
  Variables vars;
  ParameterSlots slots;  // written through WriteSlot (slots.h)
  FunctionState functions;
  SlotsGuard* slotsGuard = nullptr;
  int32_t argumentCount = 0;  // %PCOUNT
  // The program's own command-line arguments (those behind the program file's name; in a
  // linked program all of them).
  std::vector<std::string> programArgs;
  OperatorStack operators;
  int32_t evaluationDepth = 0;  // evaluations running inside one another

  // Control flow.
  std::vector<int32_t> whileStack;
  std::vector<ProcedureFrame> frames;

  SearchCache cache;

 private:
  std::vector<std::unique_ptr<FamilyState>> m_familyStates;
};

}  // namespace talven
