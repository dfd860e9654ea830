// Control flow: IF/IFNOT/ELSEIF/ELSE, the WHILE loops, GOTO, GOSUB, RETURN, procedures.
// Blocks are found by scanning the stored lines forward and comparing their upper-cased
// beginnings with fixed prefixes; labels and procedures by scanning from line 1. The
// store never changes during a run, so each scan's outcome is remembered; what a scan
// evaluates on its way (ELSEIF conditions) is evaluated again every time.

#include <memory>

#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/evaluator.h"
#include "engine/limits.h"
#include "engine/line_preparation.h"
#include "engine/scan.h"
#include "engine/slots.h"
#include "engine/statements.h"
#include "engine/text.h"

namespace talven {

namespace {

enum class Block : int32_t { IfFalse = 0, ElseReached = 1, Loop = 2, Procedure = 3 };

// A closing line ends the scan at nesting 0 and closes an inner block above it.
bool Closes(int32_t& depth, bool closing) {
  if (!closing) return false;
  if (depth == 0) return true;
  --depth;
  return false;
}

BlockScan ScanLines(const ProgramStore& store, int32_t from, Block block) {
  BlockScan result;
  int32_t depth = 0;
  for (int32_t n = from + 1; n <= store.LineCount(); ++n) {
    const std::string_view line = ScanTextOf(store.Line(n));
    bool ends = false;
    switch (block) {
      case Block::IfFalse:
      case Block::ElseReached:
        if (block == Block::IfFalse && depth == 0 && StartsWithNoCase(line, "ELSEIF ")) {
          result.elseIfs.push_back(n);
        } else if (StartsWithNoCase(line, "IF ") || StartsWithNoCase(line, "IFNOT ")) {
          ++depth;
        } else if (StartsWithNoCase(line, "ENDIF")) {
          ends = Closes(depth, true);
        } else if (block == Block::IfFalse && depth == 0 && StartsWithNoCase(line, "ELSE")) {
          // Deliberate: any line beginning with these letters counts as ELSE.
          ends = true;
        }
        break;
      case Block::Loop:
        if (StartsWithNoCase(line, "WHILE ") || StartsWithNoCase(line, "WHILENOT ")) {
          ++depth;
        } else {
          ends = Closes(depth,
                        StartsWithNoCase(line, "WEND") || StartsWithNoCase(line, "ENDWHILE"));
        }
        break;
      case Block::Procedure:
        if (StartsWithNoCase(line, "PROC ")) {
          ++depth;
        } else {
          ends = Closes(depth, StartsWithNoCase(line, "ENDPROC"));
        }
        break;
    }
    if (ends) {
      result.end = n;
      return result;
    }
  }
  return result;
}

// The scan from the current line; its line cache keeps where the scan is kept.
const BlockScan& CachedScan(Engine& engine, Block block) {
  const auto kind = static_cast<size_t>(block);
  std::vector<LineCache>& lines = engine.cache.lines;
  LineCache* line = engine.pc >= 0 && static_cast<size_t>(engine.pc) < lines.size()
                        ? &lines[static_cast<size_t>(engine.pc)]
                        : nullptr;
  if (line != nullptr && line->scans[kind] != nullptr) return *line->scans[kind];
  const int64_t key = int64_t{engine.pc} * 4 + static_cast<int32_t>(block);
  auto found = engine.cache.scans.find(key);
  if (found == engine.cache.scans.end()) {
    found = engine.cache.scans.emplace(key, ScanLines(engine.store, engine.pc, block)).first;
  }
  // Entries of an unordered map stay where they are while others are added.
  if (line != nullptr) line->scans[kind] = &found->second;
  return found->second;
}

// The forward scan: the program counter ends on the line that closes the block (so the
// run goes on after it), or at the end of the store with `missing` reported. An IF scan
// evaluates the condition of each ELSEIF at nesting 0 on its way and stops at the first
// that is not 0 (also inside an IFNOT).
bool ScanForward(Engine& engine, Block block, ErrorCode missing) {
  // Evaluating a condition may add scans to the cache; this one stays where it is.
  const BlockScan& scan = CachedScan(engine, block);
  for (int32_t line : scan.elseIfs) {
    engine.pc = line;
    const std::string_view text = engine.store.Line(line).text;
    engine.displayLine = DisplayLine(line, text);
    engine.displayLineRef = nullptr;
    std::string_view condition = text.substr(7);
    const size_t comment = FindCommentStart(condition);
    if (comment != kNotFound) condition = condition.substr(0, comment);
    engine.param = std::string(TrimControl(condition));
    if (EvaluateInteger(engine, "") != 0) return true;
  }
  if (scan.end == 0) {
    engine.pc = engine.store.LineCount();
    Error(engine, missing);
    return false;
  }
  engine.pc = scan.end;
  return true;
}

// A statement on its own line whose condition has the evaluator's short way runs that way
// from its next execution on (the line's `fast`).
void OfferShortWay(Engine& engine, bool (*fast)(Engine&, LineCache&)) {
  LineCache* line = engine.currentLine;
  if (line != nullptr && HasNumberShortWay(line->prepared)) line->fast = fast;
}

// A kept scan that meets no ELSEIF and ends in the store: the program counter goes to its
// end, as ScanForward takes it there. False, having done nothing, for any other scan.
bool JumpPastKept(Engine& engine, const LineCache& line, Block block) {
  const BlockScan* scan = line.scans[static_cast<size_t>(block)];
  if (scan == nullptr || scan->end == 0 || !scan->elseIfs.empty()) return false;
  engine.pc = scan->end;
  return true;
}

void ConditionWith(Engine& engine, bool onTrue, ErrorCode missing, int32_t value) {
  if ((value != 0) != onTrue) ScanForward(engine, Block::IfFalse, missing);
}

template <bool OnTrue, ErrorCode Missing>
bool FastCondition(Engine& engine, LineCache& line) {
  engine.handled = true;
  if (!EvaluateConditionShort(engine, line.prepared)) return false;
  if ((engine.reg.integer != 0) != OnTrue && !JumpPastKept(engine, line, Block::IfFalse)) {
    ScanForward(engine, Block::IfFalse, Missing);
  }
  return true;
}

template <bool OnTrue, ErrorCode Missing>
void Condition(Engine& engine) {
  engine.handled = true;
  const int32_t value = EvaluateCondition(engine);
  OfferShortWay(engine, FastCondition<OnTrue, Missing>);
  ConditionWith(engine, OnTrue, Missing, value);
}

void LoopWith(Engine& engine, bool onTrue, int32_t value) {
  bool pushed = false;
  if (static_cast<int32_t>(engine.whileStack.size()) >= kMaxWhileDepth) {
    Error(engine, ErrorCode::WhileTooDeep);
  } else {
    engine.whileStack.push_back(engine.pc);
    pushed = true;
  }
  if ((value != 0) == onTrue) return;
  if (ScanForward(engine, Block::Loop, ErrorCode::EndWhileMissing) && pushed)
    engine.whileStack.pop_back();
}

template <bool OnTrue>
bool FastLoop(Engine& engine, LineCache& line) {
  engine.handled = true;
  if (!EvaluateConditionShort(engine, line.prepared)) return false;
  LoopWith(engine, OnTrue, engine.reg.integer);
  return true;
}

template <bool OnTrue>
void Loop(Engine& engine) {
  engine.handled = true;
  const int32_t value = EvaluateCondition(engine);
  OfferShortWay(engine, FastLoop<OnTrue>);
  LoopWith(engine, OnTrue, value);
}

// The first line whose upper-cased beginning is `label`; 0 when there is none.
int32_t FindLabel(Engine& engine, const std::string& label) {
  auto found = engine.cache.labels.find(label);
  if (found != engine.cache.labels.end()) return found->second;
  int32_t line = 0;
  for (int32_t n = 1; n <= engine.store.LineCount(); ++n) {
    if (StartsWithNoCase(engine.store.Line(n).text, label)) {
      line = n;
      break;
    }
  }
  engine.cache.labels.emplace(label, line);
  return line;
}

// The line of the label named by the parameter text (0: none). The label is the text
// upper-cased, with ":"; the line keeps the reading of its text, the last label in
// `target` and the line it names in `lookup.index`. A label given as one string literal
// is the same at every jump from the same reading: once its line is found, a jump reads
// the literal into the register (as any evaluation of it does) and goes there without
// making the label text again.
int32_t LabelLineOf(Engine& engine, PreparedStatement& prepared) {
  if (!prepared.ready) {
    prepared.expression = engine.param;
    prepared.ready = true;
  }
  EvaluatePrepared(engine, prepared);
  const CompiledExpression* reading = prepared.memo.expression;
  if (reading != nullptr && reading == prepared.constantReading && prepared.lookup.index > 0) {
    return prepared.lookup.index;
  }
  std::string label = UpperCase(engine.reg.Text());
  label.push_back(':');
  if (prepared.target != label || prepared.lookup.index <= 0) {
    prepared.target = std::move(label);
    prepared.lookup.index = FindLabel(engine, prepared.target);
  }
  const bool literal = reading != nullptr && reading->steps.empty() &&
                       reading->first.kind == CompiledOperand::Kind::String;
  prepared.constantReading = literal ? reading : nullptr;
  return prepared.lookup.index;
}

void JumpTo(Engine& engine, int32_t line, const std::string& label) {
  if (line == 0) {
    Error(engine, ErrorCode::LabelNotFound, label);
    return;
  }
  engine.pc = line;
}

// A new frame, when there is room: `limit` is the depth the error guards. Past it the
// error ends the run, or (error level -1) the call goes on as long as frames are left.
bool PushFrame(Engine& engine, int32_t limit) {
  const auto depth = static_cast<int32_t>(engine.frames.size());
  if (depth >= limit) Error(engine, ErrorCode::CallsTooDeep);
  if (depth >= kProcedureFrames) return false;
  engine.frames.push_back(ProcedureFrame{engine.pc, engine.vars.Counts()});
  return true;
}

void PopFrame(Engine& engine) {
  const ProcedureFrame frame = engine.frames.back();
  engine.frames.pop_back();
  engine.pc = frame.returnLine;
  // Variables declared since the call are dropped; areas and arrays stay.
  engine.vars.RestoreCounts(frame.counts);
}

// The first line "PROC name" of the store; 0 when there is none.
int32_t FindProcedure(Engine& engine, std::string_view word) {
  if (engine.currentLine != nullptr && engine.currentLine->procedure >= 0) {
    return engine.currentLine->procedure;
  }
  const std::string name(word);
  auto found = engine.cache.procedures.find(name);
  if (found != engine.cache.procedures.end()) {
    if (engine.currentLine != nullptr) engine.currentLine->procedure = found->second;
    return found->second;
  }
  int32_t line = 0;
  for (int32_t n = 1; n <= engine.store.LineCount(); ++n) {
    const std::string_view text = engine.store.Line(n).text;
    if (StartsWithNoCase(text, "PROC ") && UpperCase(TrimControl(text.substr(5))) == name) {
      line = n;
      break;
    }
  }
  engine.cache.procedures.emplace(name, line);
  if (engine.currentLine != nullptr) engine.currentLine->procedure = line;
  return line;
}

}  // namespace

void StmtIf(Engine& engine) { Condition<true, ErrorCode::EndIfOrElseMissing>(engine); }

void StmtIfNot(Engine& engine) { Condition<false, ErrorCode::EndIfMissing>(engine); }

// ELSE and ELSEIF reached by running the branch before them: past the ENDIF. Once the
// line's scan is kept, the line goes there by it directly.
bool FastElse(Engine& engine, LineCache& line) {
  engine.handled = true;
  return engine.numericPath && JumpPastKept(engine, line, Block::ElseReached);
}

void StmtElse(Engine& engine) {
  engine.handled = true;
  ScanForward(engine, Block::ElseReached, ErrorCode::EndIfMissing);
  if (engine.currentLine != nullptr) engine.currentLine->fast = FastElse;
}

void StmtWhile(Engine& engine) { Loop<true>(engine); }

void StmtWhileNot(Engine& engine) { Loop<false>(engine); }

// WEND, ENDWHILE and CONTINUE: back to the WHILE line, which evaluates and pushes again.
void StmtWend(Engine& engine) {
  engine.handled = true;
  if (engine.whileStack.empty()) {
    Error(engine, ErrorCode::WhileMissing);
    return;
  }
  engine.pc = engine.whileStack.back() - 1;
  engine.whileStack.pop_back();
}

void StmtBreak(Engine& engine) {
  engine.handled = true;
  if (engine.whileStack.empty()) {
    Error(engine, ErrorCode::WhileMissing);
    return;
  }
  if (ScanForward(engine, Block::Loop, ErrorCode::EndWhileMissing)) engine.whileStack.pop_back();
}

int32_t GosubLimit(const Engine& engine) {
  return engine.kind == ProgramKind::Runtime ? kMaxGosubDepthRuntime : kMaxGosubDepthInterpreter;
}

// GOTO (`Call` false) and GOSUB from the next execution of a line whose label is one
// string literal whose line was found: the evaluation of the literal as the evaluator's
// short way makes it (the register holds the text, the separator and the end of the
// text are the reading's), then the jump. False, having done nothing, where the
// evaluation would not take the short way.
template <bool Call>
bool FastJump(Engine& engine, LineCache& line) {
  engine.handled = true;
  PreparedStatement& prepared = line.prepared;
  const CompiledExpression* reading = prepared.memo.expression;
  if (reading == nullptr || reading != prepared.constantReading || prepared.lookup.index <= 0 ||
      !reading->single || prepared.memo.operatorMode != engine.operatorMode ||
      !engine.numericPath || engine.evaluationBudget >= 0 ||
      engine.evaluationDepth >= kMaxEvaluationDepth) {
    return false;
  }
  SetStringValue(engine.reg, std::string_view(reading->first.text));
  engine.lastSeparator = reading->separator;
  if (!(engine.param.empty() && reading->rest.empty())) engine.param = reading->rest;
  engine.paramEnded = engine.param.empty();
  if (Call && !PushFrame(engine, GosubLimit(engine))) return true;
  engine.pc = prepared.lookup.index;
  return true;
}

void StmtGoto(Engine& engine) {
  engine.handled = true;
  WithLinePreparation(engine, [&](PreparedStatement& prepared) {
    JumpTo(engine, LabelLineOf(engine, prepared), prepared.target);
  });
  if (engine.currentLine != nullptr) engine.currentLine->fast = FastJump<false>;
}

void StmtGosub(Engine& engine) {
  engine.handled = true;
  WithLinePreparation(engine, [&](PreparedStatement& prepared) {
    const int32_t line = LabelLineOf(engine, prepared);
    if (!PushFrame(engine, GosubLimit(engine))) return;
    JumpTo(engine, line, prepared.target);
  });
  if (engine.currentLine != nullptr) engine.currentLine->fast = FastJump<true>;
}

void StmtReturn(Engine& engine) {
  engine.handled = true;
  // The line keeps its value's text and reading (a value-less RETURN keeps the empty text).
  PreparedStatement* prepared = engine.currentLine != nullptr ? &engine.currentLine->prepared : nullptr;
  if (prepared != nullptr && !prepared->ready) {
    prepared->expression = engine.param;
    prepared->ready = true;
  }
  if (prepared != nullptr ? !prepared->expression.empty() : !engine.param.empty()) {
    if (prepared != nullptr) {
      EvaluatePrepared(engine, *prepared);
    } else {
      Evaluate(engine, "");
    }
    WriteSlot(engine, 0, engine.reg);
  }
  if (engine.frames.empty()) {
    Error(engine, ErrorCode::GosubOrProcMissing);
    return;
  }
  PopFrame(engine);
}

void StmtEndProc(Engine& engine) {
  engine.handled = true;
  if (engine.frames.empty()) {
    Error(engine, ErrorCode::ProcMissing);
    return;
  }
  PopFrame(engine);
}

// A PROC line reached by running into it: the body runs only when called.
void StmtProc(Engine& engine) {
  engine.handled = true;
  ScanForward(engine, Block::Procedure, ErrorCode::EndProcMissing);
}

void TryProcedureCall(Engine& engine) {
  if (!PushFrame(engine, kMaxProcDepth)) return;
  // A procedure must stand above every line that calls it; a compiled call names its PROC
  // line, which the compiler found anywhere in the program.
  const int32_t compiled = engine.store.Line(engine.pc).procedureLine;
  const int32_t line = compiled != 0 ? compiled : FindProcedure(engine, engine.word);
  if (line == 0 || (compiled == 0 && line >= engine.pc)) {
    engine.frames.pop_back();
    return;
  }
  engine.handled = true;
  PreparedStatement* prepared = engine.currentLine != nullptr ? &engine.currentLine->prepared : nullptr;
  int32_t count = 0;
  while (!engine.param.empty() && count < kMaxProcArguments) {
    // The arguments are evaluated with the caller's slots; a sixteenth is ignored.
    {
      SlotsGuard guard(engine);
      const size_t before = engine.param.size();
      engine.listStalled = false;
      if (RememberedExpression* memo = ItemMemo(prepared, static_cast<size_t>(count))) {
        EvaluateRemembered(engine, *memo, kListItem);
      } else {
        Evaluate(engine, kListItem);
      }
      CheckProgress(before, engine.param);
    }
    if (engine.listStalled) break;
    ++count;
    WriteSlot(engine, static_cast<size_t>(count), engine.reg);
  }
  engine.argumentCount = count;
  // The arguments belong to the calling line (its error caption in the runtime, the DEF
  // constants above it); the procedure starts after them.
  engine.pc = line;
}

}  // namespace talven
