#include <gtest/gtest.h>

#include <set>
#include <string>

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

TEST(ErrorTable, EveryRowHasOneNameThatCarriesItsNumber) {
  std::set<std::string_view> names;
  for (const ErrorEntry& entry : ErrorTable()) {
    EXPECT_TRUE(names.insert(entry.name).second) << entry.name << " twice";
    ASSERT_FALSE(entry.name.empty());
    EXPECT_TRUE(entry.name[0] >= 'A' && entry.name[0] <= 'Z') << entry.name;
    EXPECT_EQ(FindError(entry.number), &entry);
  }
  EXPECT_EQ(names.size(), 130u);
  EXPECT_FALSE(names.contains("None"));
  EXPECT_FALSE(names.contains("OperatorStackFull"));
  // The enumerators are generated from the same rows: each must say its row's number.
#define TALVEN_ERROR(rowNumber, symbol, rowMessage, rowKind)               \
  EXPECT_EQ(ErrorNumber(ErrorCode::symbol), rowNumber) << #symbol;      \
  EXPECT_EQ(FindError(rowNumber)->name, #symbol);                       \
  EXPECT_EQ(ErrorText(ErrorCode::symbol), std::string_view(rowMessage)) << #symbol;
#include "engine/error_table.def"
#undef TALVEN_ERROR
  EXPECT_EQ(ErrorText(ErrorCode::OperatorStackFull), "UNERWARTETER FEHLER!");
}

// Programs see the numbers and the texts, so no edit of the table may change a row's
// number or message by accident. The fingerprint covers every row's number and message
// bytes in table order; a deliberate change updates it here.
TEST(ErrorTable, NumbersAndMessagesAreUnchanged) {
  uint32_t hash = 2166136261u;  // FNV-1a, 32 bits
  auto add = [&hash](std::string_view bytes) {
    for (unsigned char c : bytes) hash = (hash ^ c) * 16777619u;
  };
  for (const ErrorEntry& entry : ErrorTable()) {
    add(std::to_string(entry.number));
    add("|");
    add(entry.message);
    add("\n");
  }
  EXPECT_EQ(hash, 344640532u);
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
    Error(engine, ErrorCode::UnknownStatement, "FOO");
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
  Error(engine, ErrorCode::DivisionByZero);
  Warn(engine, ErrorCode::NotANumber, "x");
  EXPECT_TRUE(host.events.empty());
  EXPECT_EQ(engine.errors.flag, 1);
  EXPECT_EQ(engine.errors.lastNumber, 214);
}

TEST_F(ReportingTest, LevelZeroSilencesWarningsOnly) {
  engine.errors.level = 0;
  Warn(engine, ErrorCode::NotANumber, "x");
  EXPECT_TRUE(host.events.empty());
  EXPECT_EQ(engine.errors.flag, 1);
  EXPECT_THROW(Error(engine, ErrorCode::DivisionByZero), RunEnd);
}

TEST_F(ReportingTest, LevelTwoMakesWarningsFatal) {
  engine.errors.level = 2;
  EXPECT_THROW(Warn(engine, ErrorCode::NotANumber, "x"), RunEnd);
  EXPECT_EQ(host.boxes.at(0).icon, BoxIcon::Stop);
  EXPECT_EQ(engine.errors.flag, 2);
}

TEST_F(ReportingTest, WarningCancelEndsWith999) {
  host.answers = {"cancel"};
  EXPECT_THROW(Warn(engine, ErrorCode::NotANumber, "x"), RunEnd);
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
  EXPECT_THROW(Error(engine, ErrorCode::UnknownStatement, std::string(400, 'A')), RunEnd);
  EXPECT_EQ(host.boxes.at(0).text.size(), 255u);
}

}  // namespace
}  // namespace talven
