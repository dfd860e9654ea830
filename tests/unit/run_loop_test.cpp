#include <gtest/gtest.h>

#include "library/profiles.h"
#include "engine/engine.h"
#include "engine/run_loop.h"
#include "tests/support/recording_host.h"

namespace talven {
namespace {

class RunLoopTest : public testing::Test {
 protected:
  test::RecordingHost host;
  Engine engine{host, ProgramKind::Interpreter, InterpreterProfile()};

  int Run(std::initializer_list<const char*> lines) {
    for (const char* line : lines) engine.store.Append(line);
    engine.ResetRunState();
    try {
      RunStatements(engine);
    } catch (const RunEnd& end) {
      return end.exitCode;
    }
    return 0;
  }
};

TEST_F(RunLoopTest, PumpsBetweenStatementsUnlessFast) {
  EXPECT_EQ(Run({"REM", "REM", "SETERRORLEVEL -2", "REM", "REM"}), 0);
  EXPECT_EQ(host.pumps, 2);
  EXPECT_EQ(engine.errors.level, 1);
}

TEST_F(RunLoopTest, QuitMessageEndsWith255) {
  host.quitAfterPumps = 2;
  EXPECT_EQ(Run({"REM", "REM", "unbekannt"}), 255);
  EXPECT_TRUE(host.events.empty());
}

TEST_F(RunLoopTest, ErrorLevelMinusOneRecordsTheLastError) {
  EXPECT_EQ(Run({"SETERRORLEVEL -1", "gibtsnicht", "REM"}), 0);
  EXPECT_EQ(engine.errors.lastNumber, 102);
  EXPECT_EQ(engine.errors.flag, 2);
}

TEST_F(RunLoopTest, KeywordsIgnoreCase) {
  EXPECT_EQ(Run({"seterrorlevel 0", "SetErrorLevel x"}), 0);
  EXPECT_EQ(engine.errors.lastNumber, 214);
}

TEST_F(RunLoopTest, ShortenedKeywordIsUnknown) {
  EXPECT_EQ(Run({"SETERRORLEV 1"}), 2);
  EXPECT_EQ(host.boxes.at(0).text, "Befehl unbekannt: SETERRORLEV");
}

TEST_F(RunLoopTest, RemIsNotChecked) {
  EXPECT_EQ(Run({"REM \"open (", "END"}), 0);
}

TEST_F(RunLoopTest, OperatorModeSwitches) {
  EXPECT_EQ(Run({"$O-"}), 0);
  EXPECT_FALSE(engine.operatorMode);
}

TEST_F(RunLoopTest, CommentAfterTheParametersIsCut) {
  EXPECT_EQ(Run({"SETERRORLEVEL 0 ' zero", "SETERRORLEVEL x"}), 0);
  EXPECT_EQ(engine.errors.level, 0);
}

// A second run on the same host and engine starts with a fresh window and its text grid.
TEST_F(RunLoopTest, SecondRunOnTheSameHostPrints) {
  EXPECT_EQ(Run({"PRINT \"eins\""}), 0);
  engine.store.Clear();
  EXPECT_EQ(Run({"PRINT \"zwei\""}), 0);
}

// Lines run many times run from what their first execution kept (the word, block scans,
// the PROC line, the readings of expressions and array indices): the outcome must be the
// one of reading them anew each time.
class RepeatedLinesTest : public RunLoopTest {
 protected:
  int32_t Integer(const char* name) {
    const int32_t index = engine.vars.integers.Find(name);
    return index < 0 ? -999999 : engine.vars.integers.Value(index);
  }
};

TEST_F(RepeatedLinesTest, StatementsACaseSelectsRunEachTime) {
  EXPECT_EQ(Run({"DECLARE i%, s%", "WHILE i% < 4", "INC i%", "CASE i% MOD 2 = 0: INC s%",
                 "CASENOT i% MOD 2 = 0: ADD s%, 10", "CASE i% = 3: GOSUB \"drei\"", "WEND",
                 "END", "drei:", "SUB s%, 1000", "RETURN"}),
            0);
  EXPECT_EQ(Integer("S%"), 2 + 20 - 1000);
  EXPECT_EQ(Integer("I%"), 4);
}

TEST_F(RepeatedLinesTest, BranchesAndProceduresFromKeptScans) {
  EXPECT_EQ(Run({"DECLARE i%, s%", "PROC hundert", "ADD s%, 100", "ENDPROC", "WHILE i% < 3",
                 "INC i%", "IF i% = 1", "ADD s%, 1", "ELSEIF i% = 2", "ADD s%, 2", "ELSE",
                 "ADD s%, 3", "ENDIF", "hundert", "WEND"}),
            0);
  EXPECT_EQ(Integer("S%"), 306);
}

TEST_F(RepeatedLinesTest, ArrayIndicesFromKeptReadings) {
  EXPECT_EQ(Run({"DECLARE m%[3,3,3], i%, s%", "WHILE i% < 3", "INC i%", "m%[i%,3-i%,i%-1] = i% * 10",
                 "ADD s%, m%[i%, 3 - i%, i% - 1] + m%[i%,3-i%]", "WEND"}),
            0);
  // The second read names element [i, 3 - i, 0]: 10 for i = 1, else still 0.
  EXPECT_EQ(Integer("S%"), 10 + 20 + 30 + 10);
}

TEST_F(RepeatedLinesTest, AFourthIndexFailsAtEveryExecution) {
  EXPECT_EQ(Run({"SETERRORLEVEL -1", "DECLARE m%[2,2,2], i%, s%, t%", "WHILE i% < 3", "INC i%",
                 "ADD t%, m%[1,1,1,i%]", "CASE %ERROR = 2: INC s%", "WEND"}),
            0);
  EXPECT_EQ(Integer("S%"), 3);
  EXPECT_EQ(engine.errors.lastNumber, 254);
}

TEST_F(RepeatedLinesTest, UndeclaredOperandsWarnAtEveryExecution) {
  EXPECT_EQ(Run({"SETERRORLEVEL -1", "DECLARE i%, s%, w%", "WHILE i% < 3", "INC i%",
                 "s% = i% + nix% * 2", "CASE %ERROR = 1: INC w%", "WEND"}),
            0);
  EXPECT_EQ(Integer("S%"), 3);
  EXPECT_EQ(Integer("W%"), 3);
  EXPECT_EQ(engine.errors.lastNumber, 215);
}

}  // namespace
}  // namespace talven

namespace talven {
namespace {

TEST(GosubDepthTest, TheRuntimeAllowsDeeperGosubs) {
  // 60 nested GOSUBs: too deep for the interpreter, within the runtime's 150.
  const std::vector<std::string> program = {"DECLARE n%", "GOSUB \"tiefer\"", "END", "tiefer:",
                                            "INC n%", "CASE n% < 60: GOSUB \"tiefer\""};
  for (ProgramKind kind : {ProgramKind::Interpreter, ProgramKind::Runtime}) {
    test::RecordingHost host;
    Engine engine(host, kind, kind == ProgramKind::Runtime ? RuntimeProfile() : InterpreterProfile());
    for (const std::string& line : program) engine.store.Append(line);
    engine.ResetRunState();
    int exitCode = 0;
    try {
      RunStatements(engine);
    } catch (const RunEnd& end) {
      exitCode = end.exitCode;
    }
    if (kind == ProgramKind::Interpreter) {
      EXPECT_EQ(exitCode, 2);
      EXPECT_EQ(engine.frames.size(), 50u);
    } else {
      EXPECT_EQ(exitCode, 0);
      EXPECT_EQ(engine.frames.size(), 60u);
    }
  }
}

}  // namespace
}  // namespace talven
