// The Win32 files under Wine: a table written, packed and indexed on disk, a file shared by
// two slots, writes past the end, renames over existing files, and the I/O results.

#include <windows.h>

#include "library/dbase/win32/win32_db_file.h"
#include "tests/dbase/dbase_test_support.h"

namespace talven::dbase::test {
namespace {

class Win32Files : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    dir = std::string(temp) + "talven-dbase-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(dir.c_str(), nullptr);
  }
  void TearDown() override {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        DeleteFileA((dir + "\\" + found.cFileName).c_str());
      } while (FindNextFileA(search, &found));
      FindClose(search);
    }
    RemoveDirectoryA(dir.c_str());
  }
  std::string Path(const std::string& name) const { return dir + "\\" + name; }
  Win32FileSystem files;
  std::string dir;
};

TEST_F(Win32Files, OperationsAndIoResults) {
  int32_t ioError = 0;
  EXPECT_EQ(files.Open(Path("NONE.DBF"), OpenMode::ReadWrite, &ioError), nullptr);
  EXPECT_EQ(ioError, kIoFileNotFound);
  EXPECT_EQ(files.Open(dir + "\\no\\such\\T.DBF", OpenMode::ReadWrite, &ioError), nullptr);
  EXPECT_EQ(ioError, kIoPathNotFound);
  auto file = files.Open(Path("A.BIN"), OpenMode::Create, &ioError);
  ASSERT_TRUE(file);
  ASSERT_TRUE(file->Write(1000, "xy", 2));  // past the end: zeros before
  uint64_t size = 0;
  ASSERT_TRUE(file->Size(&size));
  EXPECT_EQ(size, 1002u);
  char bytes[4] = {1, 1, 1, 1};
  size_t got = 0;
  ASSERT_TRUE(file->Read(998, bytes, 4, &got));
  EXPECT_EQ(got, 4u);
  EXPECT_EQ(std::string(bytes, 4), std::string("\0\0xy", 4));
  ASSERT_TRUE(file->Truncate(999));
  ASSERT_TRUE(file->Size(&size));
  EXPECT_EQ(size, 999u);
  file.reset();
  auto other = files.Open(Path("B.BIN"), OpenMode::Create, &ioError);
  other.reset();
  ASSERT_TRUE(files.Rename(Path("A.BIN"), Path("B.BIN"), &ioError));  // replaces
  EXPECT_FALSE(files.Exists(Path("A.BIN")));
  EXPECT_TRUE(files.Exists(Path("B.BIN")));
  ASSERT_TRUE(files.Remove(Path("B.BIN"), &ioError));
  EXPECT_FALSE(files.Remove(Path("B.BIN"), &ioError));
}

TEST_F(Win32Files, TablesMemosIndexesAndPackOnDisk) {
  MakeTable(files, Path("KUNDEN.DBF"), "NAME;C;10\nNR;N;6\nNOTIZ;M\n");
  auto table = OpenTable(files, Path("KUNDEN.DBF"));
  auto second = OpenTable(files, Path("KUNDEN.DBF"));
  ASSERT_TRUE(table && second);
  for (int i = 0; i < 300; ++i) {
    table->PutField(1, "K" + std::to_string((i * 7) % 100));
    table->PutField(2, std::to_string(i));
    if (i % 10 == 0) {
      ASSERT_TRUE(table->PutMemo("NOTIZ", {"Memo " + std::to_string(i)}).Ok());
    }
    uint32_t written = 0;
    ASSERT_TRUE(table->PutRecord(table->RecordCount() + 1, &written).Ok());
    table->Blank();
  }
  uint32_t written = 0;
  second->PutField(1, "zweiter");
  ASSERT_TRUE(second->PutRecord(0, &written).Ok());
  EXPECT_EQ(written, 301u);
  second->Close(kToday);
  ASSERT_TRUE(table->CreateIndex("NAME", Path("NAME")).Ok());
  uint32_t found = 0;
  ASSERT_TRUE(table->Find("K42", true, &found).Ok());
  EXPECT_NE(found, 0u);
  for (uint32_t r = 2; r <= 301; r += 2) {
    ASSERT_TRUE(table->Go(r).Ok());
    ASSERT_TRUE(table->Delete().Ok());
  }
  uint32_t count = 0;
  // The open files are closed for the swap and opened again.
  ASSERT_TRUE(table->Pack(kToday, &count).Ok());
  EXPECT_EQ(count, 151u);
  std::vector<std::string> lines;
  int32_t result = 0;
  ASSERT_TRUE(table->Close(kToday).Ok());
  auto reopened = OpenTable(files, Path("KUNDEN.DBF"));
  ASSERT_TRUE(reopened);
  EXPECT_EQ(reopened->RecordCount(), 151u);
  ASSERT_TRUE(reopened->Go(6).Ok());  // old record 11: a memo
  ASSERT_TRUE(reopened->GetMemo("NOTIZ", &lines, &result).Ok());
  EXPECT_EQ(lines, std::vector<std::string>{"Memo 10"});
  // No temporary file is left beside the table.
  int count2 = 0;
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((dir + "\\*.*").c_str(), &entry);
  do {
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++count2;
  } while (FindNextFileA(search, &entry));
  FindClose(search);
  EXPECT_EQ(count2, 3);  // KUNDEN.DBF, KUNDEN.DBT, NAME.NDX
}

}  // namespace
}  // namespace talven::dbase::test
