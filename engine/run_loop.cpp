#include "engine/run_loop.h"

#include <atomic>

#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/evaluator.h"
#include "engine/keywords.h"
#include "engine/scan.h"
#include "engine/split.h"
#include "engine/statements.h"
#include "engine/text.h"

namespace talven {

namespace {

// Keywords settled before the table comparison: CASE and CASENOT head the table, and the
// comparison of every other word starts past them.
constexpr size_t kFirstTableKeyword = 2;

// The runtime processes window messages after every twentieth statement.
constexpr int32_t kRuntimePumpInterval = 20;

// The keyword a word names in this program: its index in the table, or -1 (also for a
// word the program withholds, which goes on as an unknown word).
int ProgramKeyword(const Engine& engine, std::string_view word) {
  const int index = FindKeyword(word, kFirstTableKeyword);
  if (index < 0 || engine.bindings.statements[static_cast<size_t>(index)] == nullptr) return -1;
  return index;
}

void RunKeyword(Engine& engine) {
  const int index = ProgramKeyword(engine, engine.word);
  if (index >= 0) engine.bindings.statements[static_cast<size_t>(index)](engine);
}

// The test of CASE (`onTrue`) or CASENOT: the condition runs up to ":". A selected
// statement is split again and goes on through the no-op test, the comment cut and the
// keyword table; unselected, the statement is done. Returns whether it was selected.
bool SelectCase(Engine& engine, bool onTrue, RememberedExpression* memo) {
  if (memo != nullptr) {
    EvaluateRemembered(engine, *memo, ":", EvalMode::Number);
  } else {
    Evaluate(engine, ":", EvalMode::Number);
  }
  const int32_t condition = engine.reg.integer;
  if (!engine.param.empty() && engine.param.front() == ':') {
    engine.param = std::string(TrimControl(std::string_view(engine.param).substr(1)));
  }
  if ((condition != 0) != onTrue) {
    engine.handled = true;
    return false;
  }
  SplitLine inner = Split(engine.param);
  engine.selectedWord = std::move(inner.word);
  engine.word = engine.selectedWord;
  engine.param = std::move(inner.param);
  return true;
}

// A word the keyword table does not hold: a procedure, a bracketed call, or an unknown word.
void AfterKeywords(Engine& engine) {
  // A procedure defined above this line.
  TryProcedureCall(engine);
  if (engine.handled) return;
  // Name + "(": an expression (a function called for its effect).
  std::string call(engine.word);
  call += engine.param;
  if (LooksLikeBracketCall(call)) {
    engine.param = std::move(call);
    engine.handled = true;
    Evaluate(engine, "");
    return;
  }
  // Anything else is no statement.
  Error(engine, ErrorCode::UnknownStatement, engine.word);
}

bool IsNoOpWord(std::string_view word) {
  return word.empty() || word == "REM" || word.front() == '\'' || word == "ENDIF" || word == "DEF";
}

bool IsLabel(std::string_view word, const std::string& param) {
  return param.empty() && !word.empty() && word.back() == ':';
}

void AtLabel(Engine& engine) {
  for (const auto& state : engine.FamilyStates()) {
    if (state) state->AtLabel(engine);
  }
}

// `line` is the cache of the line whose statement this is (the string-end and bracket
// checks and the CASE readings come from it), nullptr for a statement from elsewhere.
void ExecuteStatementImpl(Engine& engine, LineCache* line) {
  // A string left open or unbalanced brackets stop the statement before anything runs.
  if (line != nullptr) {
    if (line->openString) Error(engine, ErrorCode::StringEndMissing);
    if (!line->bracketsBalanced) Error(engine, ErrorCode::UnbalancedBrackets, engine.param);
  } else if (engine.word != "REM") {
    if (HasOpenString(engine.param)) Error(engine, ErrorCode::StringEndMissing);
    if (!BracketsBalanced(engine.param)) Error(engine, ErrorCode::UnbalancedBrackets, engine.param);
  }
  // $O+ and $O- switch the operator mode.
  if (engine.word == "$O+" || engine.word == "$O-") {
    engine.operatorMode = engine.word == "$O+";
    engine.handled = true;
    return;
  }
  // The trace box, when tracing is on.
  if (engine.errors.trace && !engine.word.empty()) TraceBox(engine);
  // A label line does nothing but let the families look (the information box).
  if (IsLabel(engine.word, engine.param)) {
    engine.handled = true;
    AtLabel(engine);
    return;
  }
  // CASE, then CASENOT. Tested one after the other, so the statement a CASE
  // selects may be a CASENOT, while a CASE after either reaches the table, which starts
  // past both, and ends as an unknown word.
  // The conditions of a line's own CASE and of a CASENOT after it always read the same
  // texts: their readings are kept with the line.
  PreparedStatement* prepared = line != nullptr ? &line->prepared : nullptr;
  size_t condition = 0;
  if (engine.word == "CASE" && !SelectCase(engine, true, ItemMemo(prepared, condition++))) return;
  if (engine.word == "CASENOT" && !SelectCase(engine, false, ItemMemo(prepared, condition))) return;
  // Words that do nothing: REM, a comment, ENDIF, DEF, an empty line.
  if (IsNoOpWord(engine.word)) {
    engine.handled = true;
    return;
  }
  // Cut the comment behind the parameters.
  const size_t comment = FindCommentStart(engine.param);
  if (comment != kNotFound) {
    engine.param = std::string(TrimControl(std::string_view(engine.param).substr(0, comment)));
  }
  // The keyword table.
  RunKeyword(engine);
  if (engine.handled) return;
  AfterKeywords(engine);
}

// The split of a line, its display line and (for every line but CASE and CASENOT, whose
// selected statement is split anew) the outcome of the checks and look-ups above that
// depend on its text alone, from the string-end check to the keyword, made once per line
// and run.
[[gnu::noinline]] void FillLine(Engine& engine, int32_t number, LineCache& entry) {
  const ProgramLine& stored = engine.store.Line(number);
  entry.hasOperators = stored.hasOperators;
  const std::string_view line = TrimControl(stored.text);
  entry.display = DisplayLine(number, line);
  SplitLine split = Split(line);
  entry.word = std::move(split.word);
  entry.param = std::move(split.param);
  entry.direct = entry.word != "CASE" && entry.word != "CASENOT";
  const bool checked = entry.word != "REM";
  entry.openString = checked && HasOpenString(entry.param);
  entry.bracketsBalanced = !checked || BracketsBalanced(entry.param);
  if (entry.direct) {
    entry.operatorSwitch = entry.word == "$O+" || entry.word == "$O-";
    entry.label = IsLabel(entry.word, entry.param);
    entry.noOp = IsNoOpWord(entry.word);
    const size_t comment = FindCommentStart(entry.param);
    entry.cutParam = comment == kNotFound
                         ? entry.param
                         : std::string(TrimControl(std::string_view(entry.param).substr(0, comment)));
    entry.keyword = ProgramKeyword(engine, entry.word);
    entry.plain = !entry.openString && entry.bracketsBalanced && !entry.operatorSwitch &&
                  !entry.label && (entry.noOp || entry.keyword >= 0);
    if (entry.plain && !entry.noOp) {
      entry.handler = engine.bindings.statements[static_cast<size_t>(entry.keyword)];
    }
  }
  entry.ready = true;
}

// The line's cache, filled at its first use; the statement loop's every step, so inlined
// there.
[[gnu::always_inline]] inline LineCache& CachedLine(Engine& engine, int32_t number) {
  LineCache& entry = engine.cache.lines[static_cast<size_t>(number)];
  if (!entry.ready) [[unlikely]] FillLine(engine, number, entry);
  return entry;
}

// The statement of a line that is not CASE or CASENOT, with engine.param already cut
// before its comment: the same steps as ExecuteStatement, from the line's cache.
void ExecuteDirect(Engine& engine, const LineCache& line) {
  if (line.openString) Error(engine, ErrorCode::StringEndMissing);
  if (!line.bracketsBalanced) Error(engine, ErrorCode::UnbalancedBrackets, line.param);
  if (line.operatorSwitch) {
    engine.operatorMode = line.word == "$O+";
    engine.handled = true;
    return;
  }
  if (engine.errors.trace && !line.word.empty()) TraceBox(engine);
  if (line.label || line.noOp) {
    engine.handled = true;
    if (line.label) AtLabel(engine);
    return;
  }
  if (line.keyword >= 0) engine.bindings.statements[static_cast<size_t>(line.keyword)](engine);
  if (engine.handled) return;
  AfterKeywords(engine);
}

// The statement loop of the interpreter (`Runtime` false) or the runtime: one loop each,
// so that each is laid out for its own steps (the Windows build's profile is the
// interpreter's).
template <bool Runtime>
void RunLoop(Engine& engine) {
  // The store does not change while its program runs.
  const int32_t count = engine.store.LineCount();
  // Where the host raises a flag when a drain may be due, the loop asks it only then.
  const std::atomic<bool>* drainDue = engine.host.DrainDue();
  int32_t pumpCounter = 0;
  try {
    while (engine.pc < count && !engine.terminate) {
      if (engine.statementBudget >= 0 && engine.statementBudget-- == 0) break;
      ++engine.pc;
      LineCache& line = CachedLine(engine, engine.pc);
      engine.displayLineRef = &line.display;
      engine.handled = false;
      engine.word = line.word;
      // A compiled line says itself whether its text is searched for operators.
      if constexpr (Runtime) engine.operatorMode = line.hasOperators;
      if (line.plain && !engine.errors.trace) [[likely]] {
        // ExecuteDirect's steps for a line none of whose checks applies.
        if (line.prepared.ready || line.cutParam.empty()) {
          engine.param.clear();
        } else {
          engine.param = line.cutParam;
        }
        if (line.handler == nullptr) {
          engine.handled = true;
        } else {
          engine.currentLine = &line;
          if (line.fast == nullptr || !line.fast(engine, line)) {
            line.handler(engine);
            if (!engine.handled) AfterKeywords(engine);
          }
        }
      } else if (line.direct) {
        // A statement that prepared its line reads nothing from the parameter text.
        if (line.prepared.ready) {
          engine.param.clear();
        } else {
          engine.param = line.cutParam;
        }
        engine.currentLine = &line;
        ExecuteDirect(engine, line);
      } else {
        engine.param = line.param;
        engine.currentLine = nullptr;
        ExecuteStatementImpl(engine, &line);
      }
      engine.currentLine = nullptr;
      // Let the window live between statements; the runtime every twentieth.
      if constexpr (Runtime) {
        if (++pumpCounter < kRuntimePumpInterval) continue;
        pumpCounter = 0;
      }
      if (!engine.errors.fastMode &&
          (drainDue == nullptr || drainDue->load(std::memory_order_relaxed)) &&
          engine.host.PumpMessages(false) == PumpResult::Quit) {
        throw RunEnd{255};
      }
    }
  } catch (const ProgramEnd&) {
  }
}

}  // namespace

void ExecuteStatement(Engine& engine) { ExecuteStatementImpl(engine, nullptr); }

void RunStatements(Engine& engine) {
  std::vector<LineCache>& lines = engine.cache.lines;
  if (lines.size() != static_cast<size_t>(engine.store.LineCount()) + 1) {
    lines.assign(static_cast<size_t>(engine.store.LineCount()) + 1, LineCache{});
    engine.displayLineRef = nullptr;
    engine.currentLine = nullptr;
  }
  if (engine.kind == ProgramKind::Runtime) {
    RunLoop<true>(engine);
  } else {
    RunLoop<false>(engine);
  }
}

}  // namespace talven
