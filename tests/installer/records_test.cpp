// The small text formats: log records, MEDRA.LST, WININIT.INI, shared counts, library
// strings formatted safely, the error text and the program-manager commands.

#include <gtest/gtest.h>

#include <string>

#include "installer/setup_flow.h"
#include "installer/setup_records.h"
#include "tests/installer/fake_setup.h"

namespace talven::installer {
namespace {

// A byte string with its zero bytes, without the terminating one.
template <size_t N>
std::string Bytes(const char (&text)[N]) {
  return std::string(text, N - 1);
}

TEST(SetupRecords, LogRecords) {
  EXPECT_EQ(LogRecord(LogKind::File, false, "C:\\ZIEL\\A.TXT"), "AC:\\ZIEL\\A.TXT\r\n");
  EXPECT_EQ(LogRecord(LogKind::File, true, "C:\\WINDOWS\\A.DLL"), "aC:\\WINDOWS\\A.DLL\r\n");
  EXPECT_EQ(LogRecord(LogKind::Ini, true, "x"), "Ex\r\n");
  EXPECT_EQ(LogRecord(LogKind::Directory, false, std::string(200, 'd')), "G" + std::string(94, 'd') + "\r\n");
  EXPECT_EQ(LogRecord(LogKind::Registry, false, "a\r\nb"), "Fa  b\r\n");
}

TEST(SetupRecords, CleanupListTakesPlainNamesOnly) {
  EXPECT_EQ(ParseCleanupList(Bytes("A.DLL\0SUB\\B\0/c\0D:E\0CON\0nul.txt\0..\0.\0F.TMP")),
            (std::vector<std::string>{"A.DLL", "F.TMP"}));
  EXPECT_EQ(ParseCleanupList(Bytes("A\0\0B\0")), std::vector<std::string>{"A"});
  EXPECT_TRUE(ParseCleanupList("").empty());
}

TEST(SetupRecords, WininitRenameSection) {
  EXPECT_EQ(AddWininitDelete("", "C:\\X.TMP"), "[rename]\r\nNUL=C:\\X.TMP\r\n");
  EXPECT_EQ(AddWininitDelete("[boot]\nA=1\r\n\r\n\n", "C:\\X.TMP"), "[boot]\r\nA=1\r\n[rename]\r\nNUL=C:\\X.TMP\r\n");
  EXPECT_EQ(AddWininitDelete("[RENAME]\r\nNUL=C:\\OLD\r\n[x]\r\n[rename]\r\n", "C:\\X.TMP"),
            "[RENAME]\r\nNUL=C:\\X.TMP\r\nNUL=C:\\OLD\r\n[x]\r\n[rename]\r\n");
  EXPECT_EQ(AddWininitDelete(std::string("\r\r\r", 3), "C:\\X"), "[rename]\r\nNUL=C:\\X\r\n");
  EXPECT_EQ(AddWininitRename("[rename]", "C:\\A.DLL", "C:\\V.TMP"), "[rename]\r\nC:\\A.DLL=C:\\V.TMP\r\n");
}

TEST(SetupRecords, SharedCounts) {
  EXPECT_EQ(NextSharedCount(true, 0), 1u);
  EXPECT_EQ(NextSharedCount(true, 5), 6u);
  EXPECT_EQ(NextSharedCount(false, 5), 1u);
  EXPECT_EQ(NextSharedCount(true, 0xFFFFFFFFu), 0xFFFFFFFFu);
  EXPECT_TRUE(IsSharedLibrary("C:\\WINDOWS\\SYSTEM32\\A.DLL", "C:\\WINDOWS"));
  EXPECT_TRUE(IsSharedLibrary("c:\\windows\\x.exe", "C:\\WINDOWS\\"));
  EXPECT_FALSE(IsSharedLibrary("C:\\WINDOWSX\\A.DLL", "C:\\WINDOWS"));
  EXPECT_FALSE(IsSharedLibrary("C:\\WINDOWS\\A.TXT", "C:\\WINDOWS"));
  EXPECT_FALSE(IsSharedLibrary("C:\\ZIEL\\A.DLL", "C:\\WINDOWS"));
}

TEST(SetupRecords, FormatTextNeverOverruns) {
  EXPECT_EQ(FormatText("%s: %02d.%02d.%04d %3d%%", {"A", 5, 3, 2026, 7}), "A: 05.03.2026   7%");
  EXPECT_EQ(FormatText("%s %s %d", {"x"}), "x  0");
  EXPECT_EQ(FormatText("%d %s", {"text", 5}), "0 5");
  EXPECT_EQ(FormatText("%n%p%x%s", {"a", "b", "c", "d"}), "d");
  EXPECT_EQ(FormatText("%999999d", {1}).size(), 99u);
  EXPECT_EQ(FormatText("%.2s|%-4s|%4s", {"abc", "x", "y"}), "ab|x   |   y");
  EXPECT_EQ(FormatText("%ld KB %", {int64_t{5000000000}}), "5000000000 KB %");
}

TEST(SetupRecords, ErrorTexts) {
  test::FakeTexts texts;
  EXPECT_EQ(ErrorDialogText(texts, 2, "A:\\X", false), "File not found.\r\nA:\\X");
  EXPECT_EQ(ErrorDialogText(texts, 29, "A:\\X", true), "Error 29.\r\nThe disk is nearly full. A:\\X");
  EXPECT_EQ(ErrorDialogText(texts, 29, "A:\\X", false), "Error 29.\r\nA:\\X");
  EXPECT_EQ(ErrorDialogText(texts, 2027, "..\\X", false), "Archive error.\r\n..\\X");
  EXPECT_EQ(InstallFailureCode(kInstallOutOfMemory | kInstallCannotCreate), kCodeOutOfMemory);
  EXPECT_EQ(InstallFailureCode(kInstallOutOfSpace), kCodeDiskFull);
  EXPECT_EQ(InstallFailureCode(kInstallCannotRename), kCodeDiskFull);
  EXPECT_EQ(InstallFailureCode(kInstallWriteProtected), kCodeLocked);
  EXPECT_EQ(InstallFailureCode(kInstallCannotReadSource), kCodeLocked);
  EXPECT_EQ(InstallFailureCode(kInstallAccessViolation | kInstallCannotDelete), kCodeLocked);
}

TEST(SetupRecords, ProgramManagerCommands) {
  EXPECT_EQ(DdeCreateGroup("Talven", ""), "[creategroup(Talven)]");
  EXPECT_EQ(DdeCreateGroup("Talven", "TALVEN.GRP"), "[creategroup(Talven, TALVEN.GRP)]");
  EXPECT_EQ(DdeDeleteGroup("Talven"), "[deletegroup(Talven)]");
  EXPECT_EQ(DdeShowGroup("Talven"), "[showgroup(Talven,2)]");
  EXPECT_EQ(DdeAddItem("C:\\T\\T.EXE a", "Talven", "", 0, ""), "[additem(C:\\T\\T.EXE a,\"Talven\",\"\",0)]");
  EXPECT_EQ(DdeAddItem("C:\\T\\T.EXE", "Talven", "C:\\T\\T.ICO", 2, "C:\\T"),
            "[additem(C:\\T\\T.EXE,\"Talven\",\"C:\\T\\T.ICO\",2,0,0,\"C:\\T\")]");
}

TEST(SetupRecords, ItemCommands) {
  test::FakeSystem system;
  system.Put("C:\\WINDOWS\\NOTEPAD.EXE", "");
  system.Put("C:\\Program Files\\T\\T.EXE", "");
  system.Put("C:\\ZIEL\\TALVEN.EXE", "");
  const SetupPlaces places{"C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM32", "C:\\ZIEL", "A:\\", {}, {}};
  std::string command;
  ASSERT_TRUE(ResolveItemCommand("NOTEPAD a.txt", places, system, command));
  EXPECT_EQ(command, "C:\\WINDOWS\\NOTEPAD.EXE a.txt");
  ASSERT_TRUE(ResolveItemCommand("TALVEN.EXE 0:HALLO.TVS", places, system, command));
  EXPECT_EQ(command, "C:\\ZIEL\\TALVEN.EXE C:\\ZIEL\\HALLO.TVS");
  ASSERT_TRUE(ResolveItemCommand("0:\\TALVEN", places, system, command));
  EXPECT_EQ(command, "C:\\ZIEL\\TALVEN.EXE");
  ASSERT_TRUE(ResolveItemCommand("\"C:\\Program Files\\T\\T\" /x", places, system, command));
  EXPECT_EQ(command, "\"C:\\Program Files\\T\\T.EXE\" /x");
  EXPECT_FALSE(ResolveItemCommand("NIX", places, system, command));
  EXPECT_FALSE(ResolveItemCommand("", places, system, command));
  EXPECT_FALSE(ResolveItemCommand("\"", places, system, command));
}

}  // namespace
}  // namespace talven::installer
