#include <gtest/gtest.h>

#include "library/profiles.h"
#include "engine/engine.h"
#include "engine/errors.h"
#include "tests/support/recording_host.h"

namespace talven {
namespace {

TEST(ErrorTable, MessagesAreTheSystemsOwnBytes) {
  EXPECT_EQ(ErrorText(102), "Befehl unbekannt: ");
  EXPECT_EQ(ErrorText(116), "\"DIM%\" darf nur einmal verwandt werden!");
  // Code page 1252: ü is 0xFC, ß is 0xDF, ² is 0xB2.
  EXPECT_EQ(ErrorText(207), "Bereichsgrenze \xFC" "berschritten: ");
  EXPECT_EQ(ErrorText(244), "Der Text pa\xDFt nicht komplett in die Bereichsvariable!");
  EXPECT_EQ(ErrorText(905), "Keine TALVEN\xB2 Datei!");
  EXPECT_EQ(ErrorText(802), "Aufruf mit: \r\nTALVEN [<Dateiname>]");
}

TEST(ErrorTable, UnknownNumbersAreUnexpected) {
  for (int32_t number : {0, 99, 128, 256, 998, 1000, -1}) {
    EXPECT_EQ(ErrorText(number), "UNERWARTETER FEHLER!") << number;
  }
}

TEST(ErrorTable, IsSortedAndComplete) {
  int count = 0;
  int32_t previous = 0;
  for (int32_t n = 0; n < 1000; ++n) {
    if (const ErrorEntry* entry = FindError(n)) {
      EXPECT_GT(entry->number, previous);
      previous = entry->number;
      ++count;
    }
  }
  EXPECT_EQ(count, 130);
}

class ReportingTest : public testing::Test {
 protected:
  test::RecordingHost host;
  Engine engine{host, ProgramKind::Interpreter, InterpreterProfile()};
  void SetUp() override {
    engine.ResetRunState();
    engine.pc = 7;
    engine.displayLine = DisplayLine(7, "foo");
  }
};

TEST_F(ReportingTest, FatalErrorShowsTheLineAndEnds) {
  try {
    Error(engine, 102, "FOO");
    FAIL() << "no RunEnd";
  } catch (const RunEnd& end) {
    EXPECT_EQ(end.exitCode, 2);
  }
  ASSERT_EQ(host.events.size(), 1u);
  EXPECT_EQ(host.events[0], "box: stop ok | Zeile      7: \\nfoo | Befehl unbekannt: FOO");
  EXPECT_EQ(engine.errors.flag, 2);
  EXPECT_EQ(engine.errors.lastNumber, 102);
}

TEST_F(ReportingTest, LevelMinusOneOnlyRecords) {
  engine.errors.level = -1;
  Error(engine, 201);
  Warn(engine, 214, "x");
  EXPECT_TRUE(host.events.empty());
  EXPECT_EQ(engine.errors.flag, 1);
  EXPECT_EQ(engine.errors.lastNumber, 214);
}

TEST_F(ReportingTest, LevelZeroSilencesWarningsOnly) {
  engine.errors.level = 0;
  Warn(engine, 214, "x");
  EXPECT_TRUE(host.events.empty());
  EXPECT_EQ(engine.errors.flag, 1);
  EXPECT_THROW(Error(engine, 201), RunEnd);
}

TEST_F(ReportingTest, LevelTwoMakesWarningsFatal) {
  engine.errors.level = 2;
  EXPECT_THROW(Warn(engine, 214, "x"), RunEnd);
  EXPECT_EQ(host.boxes.at(0).icon, BoxIcon::Stop);
  EXPECT_EQ(engine.errors.flag, 2);
}

TEST_F(ReportingTest, WarningCancelEndsWith999) {
  host.answers = {"cancel"};
  EXPECT_THROW(Warn(engine, 214, "x"), RunEnd);
  ASSERT_EQ(host.boxes.size(), 2u);
  EXPECT_EQ(host.boxes[0].icon, BoxIcon::Exclamation);
  EXPECT_EQ(host.boxes[0].buttons, BoxButtons::OkCancel);
  EXPECT_EQ(host.boxes[1].text, "Programm abgebrochen!");
  EXPECT_EQ(engine.errors.lastNumber, 999);
}

TEST_F(ReportingTest, RuntimeCaptionNamesOnlyTheLine) {
  Engine runtime{host, ProgramKind::Runtime, RuntimeProfile()};
  runtime.pc = 12;
  EXPECT_EQ(ErrorCaption(runtime), "Zeile     12!");
}

TEST_F(ReportingTest, DetailIsCutAt255) {
  EXPECT_THROW(Error(engine, 102, std::string(400, 'A')), RunEnd);
  EXPECT_EQ(host.boxes.at(0).text.size(), 255u);
}

}  // namespace
}  // namespace talven
