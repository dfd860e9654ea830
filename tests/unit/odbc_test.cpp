// SQLINIT, SQLEXEC, SQLSETDEL, SQLSETNULL, SQLDONE and &SQLCOUNT against a fake driver
// manager with fixed result sets; and the line layout by itself.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/run_loop.h"
#include "library/controls/shared_list.h"
#include "library/families.h"
#include "library/odbc/odbc_layout.h"
#include "library/odbc/odbc_platform.h"
#include "library/profiles.h"
#include "library/windows/window_state.h"
#include "tests/support/recording_host.h"

namespace talven {
namespace {

using Row = std::vector<std::optional<std::string>>;

class FakeOdbc : public OdbcPlatform {
 public:
  bool Load() override {
    log.push_back("load");
    return loadable;
  }
  bool Connect(const std::string& connection, intptr_t) override {
    log.push_back("connect " + connection);
    connected = connection == "DSN=probe" || connection.empty();
    return connected;
  }
  void Done() override {
    log.push_back("done");
    connected = false;
  }
  bool Execute(const std::string& sql, std::string& message) override {
    log.push_back("exec " + sql);
    if (sql.rfind("SELEKT", 0) == 0) {
      message = "[unixODBC][SQLite]near \"SELEKT\": syntax error (1)";
      return false;
    }
    statementOpen = true;
    selecting = sql.rfind("SELECT", 0) == 0;
    next = 0;
    return true;
  }
  int32_t ColumnCount() override { return selecting ? static_cast<int32_t>(columns.size()) : 0; }
  int32_t RowCount() override { return rowCount; }
  void Commit() override { log.push_back("commit"); }
  OdbcColumn Describe(int32_t column) override { return columns[static_cast<size_t>(column - 1)]; }
  void Bind(std::span<const size_t> sizes) override { bound.assign(sizes.begin(), sizes.end()); }
  bool Fetch(Row& values) override {
    if (endless) {
      values.assign(columns.size(), std::string("x"));
      return true;
    }
    if (next >= rows.size()) return false;
    values = rows[next++];
    // The driver cuts a value to its buffer, keeping room for the zero byte.
    for (size_t i = 0; i < values.size(); ++i) {
      if (values[i] && values[i]->size() >= bound[i]) values[i]->resize(bound[i] - 1);
    }
    return true;
  }
  void CloseStatement() override {
    if (statementOpen) log.push_back("close");
    statementOpen = false;
  }

  bool loadable = true;
  bool connected = false;
  bool statementOpen = false;
  bool selecting = false;
  bool endless = false;
  int32_t rowCount = 3;
  size_t next = 0;
  std::vector<OdbcColumn> columns{{"nr", 4, 10}, {"name", 12, 30}, {"umsatz", 8, 15}};
  std::vector<Row> rows{{"1", "M\xFCller", "12.5"}, {"-2147483648", std::nullopt, "8.25"}, {"3", "Sa\"y", std::nullopt}};
  std::vector<size_t> bound;
  std::vector<std::string> log;
};

class OdbcTest : public testing::Test {
 protected:
  OdbcTest() { host.UsePlatform(FamilyIndex(FamilyId::Odbc), odbc); }

  int Run(std::initializer_list<const char*> lines) {
    // A fresh engine for each program: nothing remembered from the one before.
    engine_ = std::make_unique<Engine>(host, ProgramKind::Interpreter, InterpreterProfile());
    Engine& engine = *engine_;
    for (const char* line : lines) engine.store.Append(line);
    engine.ResetRunState();
    int code = 0;
    try {
      RunStatements(engine);
    } catch (const RunEnd& end) {
      code = end.exitCode;
    }
    screen = ScreenText(WindowOf(engine));
    list = SharedListOf(engine).Entries();
    engine.DropFamilyStates();
    host.ReleaseRun();
    return code;
  }

  test::RecordingHost host;
  FakeOdbc odbc;
  std::unique_ptr<Engine> engine_;
  std::vector<std::string> screen;
  std::vector<std::string> list;
};

TEST_F(OdbcTest, SelectInTheWindowWithHeadingSeparatorAndNullText) {
  EXPECT_EQ(Run({"DECLARE a%", "a% = @SQLINIT(\"DSN=probe\")", "PRINT a%", "SQLSETNULL \"(null)\"",
                 "SQLEXEC \"SELECT * FROM kunden\", 0", "PRINT &SQLCOUNT"}),
            0);
  ASSERT_GE(screen.size(), 7u);
  EXPECT_EQ(screen[0], "1");
  // Widths: integer 11, VARCHAR(30) 31, double 22.
  EXPECT_EQ(screen[1], "nr         name                           umsatz");
  EXPECT_EQ(screen[2], std::string(12, '-') + std::string(32, '-') + std::string(23, '-'));
  EXPECT_EQ(screen[3], "1          M\xFCller                         12.5");
  EXPECT_EQ(screen[4], "-2147483648(null)                         8.25");
  EXPECT_EQ(screen[5], "3          Sa\"y                           (null)");
  EXPECT_EQ(screen[6], "3");
  EXPECT_EQ(odbc.bound, (std::vector<size_t>{12, 32, 23}));
  // The run's end disconnects what the program left connected.
  EXPECT_EQ(odbc.log.back(), "done");
}

TEST_F(OdbcTest, FileModeQuotesDelimitsAndDoublesQuotes) {
  const auto dir = std::filesystem::temp_directory_path() / "talven_odbc_test";
  std::filesystem::create_directories(dir);
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir);
  EXPECT_EQ(Run({"DECLARE a%", "a% = @SQLINIT(\"DSN=probe\")", "SQLSETDEL \";\"\"\"", "SQLSETNULL \"NULL\"",
                 "SQLEXEC \"SELECT * FROM kunden\", 2", "SQLDONE"}),
            0);
  std::stringstream text;
  {
    std::ifstream in(dir / "SQL.DAT", std::ios::binary);
    text << in.rdbuf();
  }
  std::filesystem::current_path(previous);
  EXPECT_EQ(text.str(),
            "\"nr\";\"name\";\"umsatz\";\r\n"
            "\"1\";\"M\xFC" "ller\";\"12.5\";\r\n"
            "\"-2147483648\";\"NULL\";\"8.25\";\r\n"
            "\"3\";\"Sa\"\"y\";\"NULL\";\r\n");
  EXPECT_TRUE(screen.empty());
  std::filesystem::remove_all(dir);
}

TEST_F(OdbcTest, ListModeFillsTheSharedListAndWarnsOnceWhenFull) {
  EXPECT_EQ(Run({"DECLARE a%", "a% = @SQLINIT(\"DSN=probe\")", "SQLSETDEL \"|\"", "SQLEXEC \"SELECT x\", 1"}), 0);
  ASSERT_EQ(list.size(), 5u);
  EXPECT_EQ(list[0], "nr         |name                           |umsatz                |");
  EXPECT_EQ(list[4], "3          |Sa\"y                           |                      |");
  odbc.endless = true;
  host.events.clear();
  EXPECT_EQ(Run({"DECLARE a%", "a% = @SQLINIT(\"DSN=probe\")", "SQLEXEC \"SELECT x\", 1"}), 0);
  EXPECT_EQ(list.size(), SharedList::kCapacity);
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text, "Zu gro\xDF" "e Ergebnismenge!");
}

TEST_F(OdbcTest, ActionStatementsCountOrSucceedAndCommit) {
  EXPECT_EQ(Run({"DECLARE a%", "a% = @SQLINIT(\"DSN=probe\")", "SQLEXEC \"UPDATE t SET a=1\", 0",
                 "PRINT &SQLCOUNT"}),
            0);
  EXPECT_EQ(screen, (std::vector<std::string>{"3 S\xE4tze bearbeitet!", "3"}));
  odbc.rowCount = 0;
  odbc.log.clear();
  EXPECT_EQ(Run({"DECLARE a%", "a% = @SQLINIT(\"DSN=probe\")", "SQLEXEC \"DELETE FROM t\", 0", "PRINT &SQLCOUNT"}), 0);
  EXPECT_EQ(screen, (std::vector<std::string>{"Operation erfolgreich!", "0"}));
  EXPECT_NE(std::find(odbc.log.begin(), odbc.log.end(), "commit"), odbc.log.end());
}

TEST_F(OdbcTest, DriverMessageBoxAndTheRunGoesOn) {
  EXPECT_EQ(Run({"DECLARE a%", "a% = @SQLINIT(\"DSN=probe\")", "SQLEXEC \"SELEKT * FORM t\", 0",
                 "PRINT &SQLCOUNT"}),
            0);
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].caption, "ODBC-Fehler");
  EXPECT_EQ(host.boxes[0].text, "near \"SELEKT\": syntax error (1)");
  EXPECT_EQ(host.boxes[0].icon, BoxIcon::Stop);
  EXPECT_EQ(screen, std::vector<std::string>{"-1"});
}

TEST_F(OdbcTest, NotInitialisedAndInitialisationFailed) {
  EXPECT_EQ(Run({"SQLEXEC \"SELECT 1\", 0"}), 2);
  EXPECT_EQ(host.boxes.back().text, "ODBC ist nicht initialisiert!");
  EXPECT_EQ(Run({"SQLDONE"}), 2);
  EXPECT_EQ(host.boxes.back().text, "ODBC ist nicht initialisiert!");
  odbc.loadable = false;
  EXPECT_EQ(Run({"DECLARE a%", "a% = @SQLINIT(\"DSN=probe\")"}), 2);
  EXPECT_EQ(host.boxes.back().text, "Fehler bei der ODBC-Initialisierung!");
  odbc.loadable = true;
  host.boxes.clear();
  // A source that does not exist: 0, no box; a second SQLINIT ends the first.
  EXPECT_EQ(Run({"DECLARE a%", "a% = @SQLINIT(\"DSN=nosuch\")", "PRINT a%", "a% = @SQLINIT(\"DSN=probe\")",
                 "a% = @SQLINIT(\"DSN=probe\")", "PRINT a%"}),
            0);
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(screen, (std::vector<std::string>{"0", "1"}));
}

TEST(OdbcLayout, WidthsByTypeAndBuffers) {
  EXPECT_EQ(DisplayWidth(-7, 1, 2), 2);        // bit, but the name is longer
  EXPECT_EQ(DisplayWidth(-6, 3, 1), 4);        // tiny integer
  EXPECT_EQ(DisplayWidth(-5, 19, 1), 20);      // big integer
  EXPECT_EQ(DisplayWidth(-2, 8, 1), 16);       // binary: twice the size
  EXPECT_EQ(DisplayWidth(-1, 65536, 1), 50);   // long text
  EXPECT_EQ(DisplayWidth(3, 10, 1), 12);       // decimal
  EXPECT_EQ(DisplayWidth(4, 10, 1), 11);
  EXPECT_EQ(DisplayWidth(91, 10, 1), 11);      // date
  EXPECT_EQ(DisplayWidth(5, 5, 1), 6);
  EXPECT_EQ(DisplayWidth(7, 7, 1), 13);
  EXPECT_EQ(DisplayWidth(93, 19, 1), 23);
  EXPECT_EQ(DisplayWidth(92, 8, 1), 8);
  // 2^31-1 and SQL_NO_TOTAL (-4 as the driver's unsigned size) do not overflow.
  EXPECT_EQ(DisplayWidth(12, 0x7FFFFFFFu, 1), 0x80000000LL);
  EXPECT_EQ(DisplayWidth(-3, 0xFFFFFFFCu, 1), 2 * 0xFFFFFFFCLL);
  EXPECT_EQ(BufferSize(0x80000000LL, SqlTarget::Window), 256u);
  EXPECT_EQ(BufferSize(11, SqlTarget::List), 12u);
  EXPECT_EQ(BufferSize(2 * 0xFFFFFFFCLL, SqlTarget::File), static_cast<size_t>(kMaxFileValue + 1));
  EXPECT_EQ(ShownWidth(0x80000000LL, SqlTarget::Window), 255);
}

TEST(OdbcLayout, DriverMessages) {
  EXPECT_EQ(DriverMessage("[unixODBC][Driver Manager]Data source name not found"), "Data source name not found");
  EXPECT_EQ(DriverMessage("no bracket"), "no bracket");
  EXPECT_EQ(DriverMessage("ends]"), "");
}

}  // namespace
}  // namespace talven
