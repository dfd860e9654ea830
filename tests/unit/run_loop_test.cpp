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
