// The short ways a line takes from its second run on (WHILE, IF, ELSE, INC, ADD, SUB, GOTO,
// GOSUB, numeric and array element assignments on their own lines, string comparisons,
// plain array indices, slot reads by a written index) leave, statement by statement, what
// the handlers and the evaluator's general way leave.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/run_state.h"

namespace talven {
namespace {

// What a run of `program` left after `statements` statements: the end, the registers (when
// the run goes on), separator, parameter text, errors, the place, the loops, every numeric
// variable and the boxes shown.
std::string RunState(const std::vector<std::string>& program, int64_t statements, bool shortWays) {
  test::CutRun options;
  // The operator stack leaves the last operand read in the registers, the short way what
  // was there before.
  options.registersAfterEnd = false;
  options.more = [](Engine& engine, test::RecordingHost& host, std::string& state) {
    state += "/pc " + std::to_string(engine.pc) + "/loops " + std::to_string(engine.whileStack.size()) +
             "/depth " + std::to_string(engine.evaluationDepth) + "/" + (engine.handled ? "h" : "-");
    const Variables& vars = engine.vars;
    for (int32_t i = 0; i < vars.integers.Count(); ++i) state += "|" + std::to_string(vars.integers.Value(i));
    for (int32_t i = 0; i < vars.longs.Count(); ++i) state += "|" + std::to_string(vars.longs.Value(i));
    for (int32_t i = 0; i < vars.floats.Count(); ++i) state += "|" + std::to_string(vars.floats.Value(i));
    for (const auto& box : host.boxes) state += "|box " + box.text;
  };
  return test::CutRunState(program, statements, shortWays, options);
}

TEST(FastStatements, AgreeStatementByStatement) {
  std::string longSum = "n% = 1";
  for (int i = 0; i < 60; ++i) longSum += " + 1";
  // Each case: the lines of a loop body.
  const std::vector<std::vector<std::string>> bodies = {
      {"n% = n% + i% * 2 - 1"},
      {"x! = x! + i% * 0.5 - x! / 3.0"},
      {"x! = 5 / z%"},
      {"n% = i% MOD z%"},
      {"n% = 7 \\ 2", "x! = 2 ^ 40", "c& = x! * 100"},
      {"n% = -i%", "c& = i%", "x! = 2.5", "n% = x!"},
      {"n% = u% + 1"},
      {"n% = u%"},
      {"u% = 1"},
      {"n% = \"ab\""},
      {"n% = i% < 3 AND i% > 1"},
      {"n% = i% MOD z% + u%", "n% = u% + 5 / z%", "x! = 2 ^ i% ^ 2", "n% = i% MOD 3 = 0"},
      {longSum},
      {"ADD n%, i% MOD 3", "SUB n%, 2", "ADD c&, 1"},
      {"ADD n%, u%"},
      {"ADD u%, 1"},
      {"ADD x!, 1"},
      {"SUB n%"},
      {"INC n%", "DEC z%"},
      {"INC u%"},
      {"DEC x!"},
      {"ADD n%, 2147483647", "INC n%"},
      {"IF i% MOD 2 = 0", "INC n%", "ELSE", "DEC n%", "ENDIF"},
      {"IFNOT i% > 2", "INC n%", "ENDIF"},
      {"IF i% = 1", "INC n%", "ELSEIF i% = 2", "ADD n%, 10", "ELSE", "SUB n%, 5", "ENDIF"},
      {"IF u% = 0", "INC n%", "ENDIF"},
      {"IF 1 / z%", "INC n%", "ENDIF"},
      {"x! = 1e308 * 10", "x! = x! - x!", "IF x! <= 1", "INC n%", "ENDIF", "IFNOT x! <> x!", "DEC n%",
       "ENDIF", "WHILE x! >= 0", "WEND", "IF 2.5 > i%", "INC n%", "ELSEIF u% < -1", "DEC n%", "ENDIF"},
      {"j% = 0", "WHILE j% < i%", "INC j%", "ADD n%, j%", "WEND"},
      {"j% = 0", "WHILENOT j% >= 2", "INC j%", "WEND"},
      {"$O-", "n% = i% + 1", "$O+", "n% = i% + 1"},
      {"n% = i% + 1", "$O-", "IF i% > 1", "INC n%", "ENDIF", "$O+"},
      {"GOSUB \"unter\"", "ADD n%, 2"},
      {"GOSUB \"UNTER\"", "GOSUB \"unter\" ' Kommentar", "GOTO \"sprung\"", "INC n%", "sprung:"},
      {"GOSUB \"fehlt\"", "INC n%"},
      {"GOTO \"fehlt\"", "INC n%"},
      {"$O-", "GOSUB \"unter\"", "$O+", "GOSUB \"unter\""},
      {"IF i% > 2", "GOSUB \"unter\"", "ELSEIF i% = 1", "INC n%", "ELSE", "DEC n%", "ENDIF"},
      {"s$ = \"ab\"", "CASE s$ = \"ab\": INC n%", "CASENOT s$ < t$: DEC n%", "n% = s$ <> t$"},
      {"CASE u$ = \"a\": INC n%", "IF s$ = u$", "INC n%", "ENDIF", "n% = s$ + t$"},
      {"IF s$ < \"b\"", "INC n%", "ELSE", "DEC n%", "ENDIF", "t$ = s$", "s$ = \"c\""},
      {"m%[i%, 1] = i%", "n% = m%[i%, 1]", "ADD n%, m%[1, i% - 1]", "x! = m%[2, 2.5]"},
      {"n% = 7", "x! = m%[2, n%]", "m%[1, n%] = 2", "m%[i%, 1] = n%"},
      {"GOSUB \"unter\"", "n% = @%(0) + i%", "x! = @!(0) * 2", "c& = @&(0)", "s$ = @$(0)"},
      {"n% = @%(99)", "n% = @%(-1)", "x! = (@!(0) + 1) MOD 7", "n% = @%(0, 1)"},
      {"GOSUB \"unter\"", "x! = @!(0) * 2 + @&(1) - i%", "x! = -@!(0) / 2", "IF @%(0) > 20",
       "INC n%", "ENDIF", "WHILE @&(0) < 3", "n% = @%(16) + 1", "WEND"},
      {"m%[u%, 2] = 1", "n% = m%[i%, u%]", "n% = m%[2]", "n% = m%[1, 2, 3]", "m%[i% + 3, 0] = 1"},
      {"f![i%] = i% / 3", "w$[i%] = s$ + \"x\"", "w$[1] = i%", "f![0] = @LEN(w$[i%])", "n% = f![i%] * 3",
       "f![i%, 1] = 2", "w$[i%] = 1 / z%", "f![i%] = u%", "m%[1, 1] = \"7\"", "n% = m%[1, 1]"},
  };
  for (const int level : {-1, 1}) {
    for (const auto& body : bodies) {
      SCOPED_TRACE(body.front() + " level " + std::to_string(level));
      std::vector<std::string> program = {"SETERRORLEVEL " + std::to_string(level),
                                          "DECLARE i%, j%, n%, z%, c&, x!, s$, t$, m%[4, 3], f![4], w$[4]",
                                          "WHILE i% < 4", "INC i%"};
      program.insert(program.end(), body.begin(), body.end());
      // The loop, then a subroutine the bodies may call.
      for (const char* line : {"WEND", "GOTO \"ende\"", "unter:", "ADD n%, 3", "RETURN n% * 2.5", "ende:"}) {
        program.push_back(line);
      }
      const int64_t most = 12 + 4 * static_cast<int64_t>(body.size() + 8);
      for (int64_t budget = 2; budget < most; ++budget) {
        SCOPED_TRACE(budget);
        ASSERT_EQ(RunState(program, budget, true), RunState(program, budget, false));
      }
    }
  }
}

}  // namespace
}  // namespace talven
