// The family "dbase" as programs use it: what reaches the files however a run ends, two
// slots on one file, and the table slots' checks.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "engine/startup.h"
#include "library/dbase/dbase_state.h"
#include "library/dbase/memory_db_file.h"
#include "library/dbase/ndx_index.h"
#include "library/profiles.h"
#include "tests/support/recording_host.h"
#ifdef _WIN32
#include "library/dbase/win32/win32_db_file.h"
#else
#include "library/dbase/std_db_file.h"
#endif

namespace talven {
namespace {

#ifdef _WIN32
using RealFiles = dbase::Win32FileSystem;
#else
using RealFiles = dbase::StdFileSystem;
#endif

class DbaseFamilyTest : public testing::Test {
 protected:
  DbaseFamilyTest()
      : m_dir(std::filesystem::temp_directory_path() / ("talven_dbase_family_" + std::to_string(getpid()))),
        m_saved(std::filesystem::current_path()) {
    std::filesystem::remove_all(m_dir);
    std::filesystem::create_directories(m_dir);
    std::filesystem::current_path(m_dir);
    std::ofstream("defs.txt", std::ios::binary) << "NAME;C;10\r\nNR;N;4;0\r\n";
    // Real files in both builds (the Windows build's default keeps tables in memory).
    host.InstallPlatform(FamilyIndex(FamilyId::Dbase),
                         std::make_unique<OwnedDbasePlatform>(std::make_unique<RealFiles>()));
  }
  ~DbaseFamilyTest() override {
    std::filesystem::current_path(m_saved);
    std::filesystem::remove_all(m_dir);
  }

  int Run(const std::string& program) {
    std::ofstream("p.tvs", std::ios::binary) << program;
    return RunInterpreter(host, {"p.tvs"}, InterpreterProfile());
  }

  static std::string Bytes(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  test::RecordingHost host;

 private:
  std::filesystem::path m_dir;
  std::filesystem::path m_saved;
};

// Header 32 + 2 * 32 + 1 = 97 bytes, records of 15.
constexpr size_t kHeader = 97;
constexpr size_t kRecord = 15;

TEST_F(DbaseFamilyTest, AppendsReachTheFileWhenARunStopsWithAFatalError) {
  host.system.now = LocalTime{2031, 4, 5};
  EXPECT_EQ(Run("DECLARE n&\r\nDBCREATE \"defs.txt\" > \"T\"\r\nn& = @DBOPEN(#1, \"T\")\r\n"
                "n& = @DBPUT(\"NAME\", \"eins\")\r\nn& = @DBAPPENDBLANK()\r\n"
                "n& = @DBPUT(\"NAME\", \"zwei\")\r\nn& = @DBAPPENDBLANK()\r\n"
                "n& = @DBUSE(#7)\r\n"),
            2);
  const std::string file = Bytes("T.DBF");
  ASSERT_EQ(file.size(), kHeader + 2 * kRecord + 1);
  EXPECT_EQ(static_cast<uint8_t>(file[4]), 2);  // the count
  EXPECT_EQ(file.back(), '\x1A');
  // Closed as DBCLOSE closes: today's date in the header.
  EXPECT_EQ(static_cast<uint8_t>(file[1]), 131);
  EXPECT_EQ(file[2], 4);
  EXPECT_EQ(file[3], 5);
  EXPECT_EQ(file.substr(kHeader + kRecord + 1, 4), "zwei");
}

TEST_F(DbaseFamilyTest, ARunThatEndsNormallyClosesItsTables) {
  host.system.now = LocalTime{2027, 1, 2};
  EXPECT_EQ(Run("DECLARE n&\r\nDBCREATE \"defs.txt\" > \"T\"\r\nn& = @DBOPEN(#15, \"T\")\r\n"
                "n& = @DBAPPENDBLANK()\r\nDBCREATEINDEX \"NAME\" > \"TN\"\r\nn& = @DBAPPENDBLANK()\r\n"),
            0);
  const std::string file = Bytes("T.DBF");
  EXPECT_EQ(file.size(), kHeader + 2 * kRecord + 1);
  EXPECT_EQ(file[1], 127);
  // The index got both records and was written out.
  EXPECT_EQ(Bytes("TN.NDX").size() % 512, 0u);
  EXPECT_GE(Bytes("TN.NDX").size(), 1024u);
}

// The program's window, which runs `whileOpen` when it waits for the user after the
// program's last statement.
class WatchedWindow : public test::FakeWindow {
 public:
  std::function<void()> whileOpen;
  void RunUntilClosed() override {
    if (whileOpen) whileOpen();
    FakeWindow::RunUntilClosed();
  }
};

TEST_F(DbaseFamilyTest, TablesAndIndexesAreCompleteWhileTheWindowWaits) {
  WatchedWindow window;
  window.controls = &host.controls;
  window.menus = &host.menus;
  host.UsePlatform(FamilyIndex(FamilyId::Window), window);
  host.system.now = LocalTime{2029, 3, 4};
  std::string table, index;
  bool waited = false;
  window.whileOpen = [&] {
    waited = true;
    table = Bytes("T.DBF");
    index = Bytes("TN.NDX");
    // Another program reading the files now finds a sound index with every record.
    RealFiles files;
    std::unique_ptr<dbase::NdxIndex> ndx;
    ASSERT_TRUE(dbase::NdxIndex::Open(files, "TN.NDX", &ndx).Ok());
    const dbase::NdxCheck check = ndx->Check();
    EXPECT_TRUE(check.problems.empty());
    EXPECT_EQ(check.entries.size(), 300u);
  };
  // A table made on another day: the close stamps today's date.
  {
    RealFiles files;
    ASSERT_TRUE(dbase::CreateTable(files, "defs.txt", "T.DBF", {2001, 1, 1}).Ok());
  }
  // 300 appends through the index: its root splits.
  EXPECT_EQ(Run("DECLARE n&, i&\r\nn& = @DBOPEN(#1, \"T\")\r\n"
                "DBCREATEINDEX \"NAME\" > \"TN\"\r\nn& = @DBINDEX(\"TN\")\r\n"
                "WHILE i& < 300\r\nn& = @DBPUT(\"NAME\", \"k\" + @STR$(300 - i&))\r\nn& = @DBAPPENDBLANK()\r\n"
                "i& = i& + 1\r\nWEND\r\nPRINT &DBRECCOUNT\r\n"),
            0);
  ASSERT_TRUE(waited);
  ASSERT_FALSE(window.screen.empty());
  EXPECT_EQ(window.screen[0], "300");
  ASSERT_EQ(table.size(), kHeader + 300 * kRecord + 1);
  // The date of the close is in the header before the wait.
  EXPECT_EQ(static_cast<uint8_t>(table[1]), 129);
  EXPECT_EQ(table[2], 3);
  EXPECT_EQ(table[3], 4);
  // Nothing was left to write after the wait.
  EXPECT_TRUE(table == Bytes("T.DBF"));
  EXPECT_TRUE(index == Bytes("TN.NDX"));
}

// Tables in memory whose writes fail from the first one on.
class FailingWrites final : public DbasePlatform {
 public:
  FailingWrites() : m_faulty(memory) {}
  dbase::DbFileSystem& Files() override { return m_faulty; }
  void FailFromNow() { m_faulty.Arm(dbase::FaultKind::Write, 1, true); }
  dbase::MemoryFileSystem memory;

 private:
  dbase::FaultFileSystem m_faulty;
};

TEST_F(DbaseFamilyTest, AFailedWriteWarnsAndGivesNoRecordNumber) {
  auto& files = static_cast<FailingWrites&>(
      host.InstallPlatform(FamilyIndex(FamilyId::Dbase), std::make_unique<FailingWrites>()));
  const std::string definitions = "NAME;C;10\r\nNR;N;4;0\r\n";
  files.memory.Put("D.TXT", dbase::Bytes(definitions.begin(), definitions.end()));
  ASSERT_TRUE(dbase::CreateTable(files.memory, "D.TXT", "T.DBF", {2030, 1, 1}).Ok());
  {
    std::unique_ptr<dbase::Table> table;
    ASSERT_TRUE(dbase::Table::Open(files.memory, "T.DBF", &table).Ok());
    table->PutField(1, "alt");
    uint32_t written = 0;
    ASSERT_TRUE(table->PutRecord(0, &written).Ok());
    ASSERT_TRUE(table->Close({2030, 1, 1}).Ok());
  }
  const dbase::Bytes before = files.memory.Content("T.DBF");
  files.FailFromNow();
  EXPECT_EQ(Run("DECLARE n&, m&, p&\r\nn& = @DBOPEN(#1, \"T\")\r\np& = @DBPUT(\"NAME\", \"neu\")\r\n"
                "n& = @DBAPPENDBLANK()\r\nm& = @DBPUTREC()\r\nPRINT n&; \"|\"; m&; \"|\"; &DBRECCOUNT\r\n"),
            0);
  ASSERT_EQ(host.window.screen.size(), 1u);
  EXPECT_EQ(host.window.screen[0], "0|0|1");
  // Both failures were warnings naming the table and the step.
  int writes = 0;
  for (const auto& event : host.events) {
    if (event.find("dB-Fehler: ") != std::string::npos && event.find("T.DBF (Write)") != std::string::npos) ++writes;
  }
  EXPECT_EQ(writes, 2);
  EXPECT_EQ(files.memory.Content("T.DBF"), before);
}

TEST_F(DbaseFamilyTest, TwoSlotsOnOneFileSeeEachOthersAppends) {
  EXPECT_EQ(Run("DECLARE n&, m&\r\nDBCREATE \"defs.txt\" > \"T\"\r\nn& = @DBOPEN(#1, \"T\")\r\n"
                "n& = @DBOPEN(#2, \"T\")\r\nn& = @DBAPPENDBLANK()\r\nn& = @DBUSE(#1)\r\n"
                "n& = @DBPUT(\"NAME\", \"erster\")\r\nm& = @DBAPPENDBLANK()\r\nPRINT n&; \"|\"; m&; \"|\"; &DBRECCOUNT\r\n"),
            0);
  ASSERT_FALSE(host.window.screen.empty());
  EXPECT_EQ(host.window.screen[0], "1|2|2");
  EXPECT_EQ(Bytes("T.DBF").size(), kHeader + 2 * kRecord + 1);
}

TEST_F(DbaseFamilyTest, ASlotOpenedAgainClosesItsTableFirst) {
  EXPECT_EQ(Run("DECLARE n&\r\nDBCREATE \"defs.txt\" > \"A\"\r\nDBCREATE \"defs.txt\" > \"B\"\r\n"
                "n& = @DBOPEN(#3, \"A\")\r\nn& = @DBAPPENDBLANK()\r\nn& = @DBOPEN(#3, \"B\")\r\n"
                "PRINT n&; \"|\"; &DBRECCOUNT; \"|\"; %DBFCOUNT\r\nn& = @DBOPEN(#3, \"A\")\r\nPRINT n&\r\n"),
            0);
  ASSERT_EQ(host.window.screen.size(), 2u);
  EXPECT_EQ(host.window.screen[0], "0|0|2");
  EXPECT_EQ(host.window.screen[1], "1");
}

}  // namespace
}  // namespace talven
