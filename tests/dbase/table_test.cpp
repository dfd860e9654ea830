// Tables: DBCREATE, the checks at open, moves, fields, writes and PACK.

#include <cstring>

#include "common/bytes.h"
#include "library/dbase/dbf_format.h"
#include "tests/dbase/dbase_test_support.h"

namespace talven::dbase::test {
namespace {

TEST(DbCreate, WritesExactlyHeaderDescriptorsAndEndBytes) {
  MemoryFileSystem files;
  MakeTable(files, "T.DBF", "betrag ; n ; 5 ; 2\r\ndatum;D\n\nkennung;x;4\n");
  const Bytes& bytes = files.Content("T.DBF");
  ASSERT_EQ(bytes.size(), 32u * 4 + 1 + 1);
  EXPECT_EQ(bytes[0], 0x03);
  EXPECT_EQ(bytes[1], 126);  // 2026 - 1900
  EXPECT_EQ(bytes[2], 12);
  EXPECT_EQ(bytes[3], 8);
  EXPECT_EQ(GetLittle32(&bytes[4]), 0u);
  EXPECT_EQ(GetLittle16(&bytes[8]), 129u);
  EXPECT_EQ(GetLittle16(&bytes[10]), 1u + 5 + 8 + 4);
  for (int i = 12; i < 32; ++i) EXPECT_EQ(bytes[i], 0) << i;
  const char* names[] = {"BETRAG", "DATUM", "KENNUNG"};
  const char types[] = {'N', 'D', 'C'};
  const int lengths[] = {5, 8, 4}, decimals[] = {2, 0, 0};
  for (int f = 0; f < 3; ++f) {
    const uint8_t* d = &bytes[32 + 32 * f];
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(d)), names[f]);
    for (size_t i = std::strlen(names[f]); i < 11; ++i) EXPECT_EQ(d[i], 0);
    EXPECT_EQ(d[11], types[f]);
    EXPECT_EQ(d[16], lengths[f]);
    EXPECT_EQ(d[17], decimals[f]);
    for (int i = 18; i < 32; ++i) EXPECT_EQ(d[i], 0);
  }
  EXPECT_EQ(bytes[128], 0x0D);
  EXPECT_EQ(bytes[129], 0x1A);
  EXPECT_FALSE(files.Exists("T.DBT"));
  auto table = OpenTable(files, "T.DBF");
  ASSERT_TRUE(table);
  EXPECT_EQ(table->RecordCount(), 0u);
  EXPECT_TRUE(table->Eof());
  EXPECT_EQ(table->Buffer(), Bytes(18, ' '));
}

TEST(DbCreate, MemoFieldsMakeTheMemoFile) {
  MemoryFileSystem files;
  MakeTable(files, "M.DBF", "Name;C;10\nNotiz;M\nOk;L\n");
  EXPECT_EQ(files.Content("M.DBF")[0], 0x83);
  const Bytes& memo = files.Content("M.DBT");
  // The header block alone, next free block 1 (a new memo file of python3-dbf is the same).
  ASSERT_EQ(memo.size(), 512u);
  EXPECT_EQ(GetLittle32(memo.data()), 1u);
  auto table = OpenTable(files, "M.DBF");
  ASSERT_TRUE(table);
  EXPECT_TRUE(table->HasMemoFile());
  EXPECT_EQ(table->Fields()[1].length, 10);
  EXPECT_EQ(table->Fields()[2].length, 1);
}

TEST(DbCreate, BadDefinitionsWriteNothing) {
  struct Case {
    const char* definitions;
    int32_t error;
  } cases[] = {
      {"A;N;5;6\n", kErrDecimals},
      {"A;C;5\nB;C;3\na;N;2\n", kErrDuplicateField},
      {"A;C;0\n", kErrFieldLength},
      {"A;C;x\n", kErrFieldLength},
      {"A;C\n", kErrFieldLength},
      {"A;C;256\n", kErrFieldLength},
      {"", kErrDbase},
      {"\r\n\r\n", kErrDbase},
  };
  for (const auto& c : cases) {
    MemoryFileSystem files;
    files.Put("DEF.TXT", ToBytes(c.definitions));
    const DbResult result = CreateTable(files, "DEF.TXT", "T.DBF", kToday);
    EXPECT_EQ(result.error, c.error) << c.definitions;
    EXPECT_EQ(files.Names(), std::vector<std::string>{"DEF.TXT"}) << c.definitions;
  }
  // 128 fields of 255 are the widest record; 129 fields are too many.
  std::string wide, many;
  for (int i = 0; i < 128; ++i) wide += "F" + std::to_string(i) + ";C;255\n";
  for (int i = 0; i < 129; ++i) many += "F" + std::to_string(i) + ";L\n";
  MemoryFileSystem files;
  files.Put("DEF.TXT", ToBytes(wide));
  ASSERT_TRUE(CreateTable(files, "DEF.TXT", "W.DBF", kToday).Ok());
  EXPECT_EQ(OpenTable(files, "W.DBF")->Header().recordLength, 1u + 128 * 255);
  files.Put("DEF.TXT", ToBytes(many));
  EXPECT_EQ(CreateTable(files, "DEF.TXT", "T.DBF", kToday).error, kErrDbase);
  files.Put("DEF.TXT", ToBytes(many.substr(0, many.rfind("F128"))));
  EXPECT_TRUE(CreateTable(files, "DEF.TXT", "T.DBF", kToday).Ok());
  EXPECT_EQ(CreateTable(files, "MISSING.TXT", "T.DBF", kToday).error, kErrFileNotFound);
}

// A valid two-field table (NAME C 4, NR N 3) with `count` records, to be damaged.
Bytes SmallTable(uint32_t count) {
  MemoryFileSystem files;
  MakeTable(files, "T.DBF", "NAME;C;4\nNR;N;3\n");
  auto table = OpenTable(files, "T.DBF");
  for (uint32_t i = 0; i < count; ++i) Append(*table, {"N" + std::to_string(i), std::to_string(i)});
  table->Close(kToday);
  return files.Content("T.DBF");
}

TEST(DbOpen, HostileHeadersAreNoTable) {
  const Bytes good = SmallTable(2);
  auto expectNoTable = [](Bytes bytes, const char* what) {
    MemoryFileSystem files;
    files.Put("T.DBF", std::move(bytes));
    std::unique_ptr<Table> table;
    const DbResult result = Table::Open(files, "T.DBF", &table);
    EXPECT_EQ(result.error, kErrDbase) << what;
    EXPECT_EQ(result.Appended(), "1 Keine dBase III-Datei") << what;
  };
  Bytes bytes = good;
  bytes[0] = 0x04;
  expectNoTable(bytes, "version");
  bytes = good;
  bytes[0] = 0x8B;
  expectNoTable(bytes, "version 0x8B");
  bytes = good;
  PutLittle16(&bytes[8], 98);
  expectNoTable(bytes, "header length not 32n+33");
  bytes = good;
  PutLittle16(&bytes[8], 33);
  expectNoTable(bytes, "no fields");
  bytes = good;
  PutLittle16(&bytes[8], 32 * 129 + 33);
  expectNoTable(bytes, "129 fields");
  bytes = good;
  bytes[96] = ' ';
  expectNoTable(bytes, "no 0x0D");
  bytes = good;
  PutLittle16(&bytes[10], 9);
  expectNoTable(bytes, "record length");
  bytes = good;
  bytes[32 + 16] = 0;
  PutLittle16(&bytes[10], 4);
  expectNoTable(bytes, "length 0");
  expectNoTable(Bytes(good.begin(), good.begin() + 20), "short file");
  expectNoTable(Bytes(good.begin(), good.begin() + 80), "cut header");
}

TEST(DbOpen, CountsNamesAndTypesAsTheFileAllows) {
  Bytes bytes = SmallTable(3);
  // The count claims more than the file holds; the last record is cut.
  PutLittle32(&bytes[4], 1000000000);
  bytes.resize(bytes.size() - 3);
  // A name of 11 bytes without NUL, an unknown type letter.
  std::memcpy(&bytes[32], "ABCDEFGHIJK", 11);
  bytes[32 + 32 + 11] = 'X';
  bytes[32 + 12] = 0x55;  // ignored on reading
  MemoryFileSystem files;
  files.Put("T.DBF", bytes);
  auto table = OpenTable(files, "T.DBF");
  ASSERT_TRUE(table);
  EXPECT_EQ(table->RecordCount(), 2u);
  EXPECT_EQ(table->Fields()[0].name, "ABCDEFGHIJ");
  EXPECT_EQ(table->Fields()[1].type, 'C');
  EXPECT_EQ(table->Fields()[0].offset, 1u);
  EXPECT_EQ(Field(*table, "abcdefghij"), "N0  ");
}

TEST(DbOpen, ARecordCutAfterOpeningIsARead) {
  MemoryFileSystem files;
  files.Put("T.DBF", SmallTable(3));
  auto table = OpenTable(files, "T.DBF");
  ASSERT_TRUE(table);
  files.Content("T.DBF").resize(97 + 8 * 2 + 3);  // another program cut the file
  const DbResult result = table->Go(3);
  EXPECT_EQ(result.error, kErrDbase);
  EXPECT_EQ(result.Appended(), "100 T.DBF (Read)");
  EXPECT_EQ(table->RecordNumber(), 1u);  // the buffer stays
}

TEST(DbOpen, MissingFilesAre601) {
  MemoryFileSystem files;
  std::unique_ptr<Table> table;
  DbResult result = Table::Open(files, "KEINE.DBF", &table);
  EXPECT_EQ(result.error, kErrFileNotFound);
  EXPECT_EQ(result.Appended(), "KEINE.DBF");
  MakeTable(files, "M.DBF", "NOTIZ;M\n");
  files.Remove("M.DBT", &result.code);
  result = Table::Open(files, "M.DBF", &table);
  EXPECT_EQ(result.error, kErrFileNotFound);
  EXPECT_EQ(result.Appended(), "M.DBT");
}

TEST(DbMoves, NumbersWordsAndTheEnd) {
  MemoryFileSystem files;
  MakeTable(files, "T.DBF", "NAME;C;6\n");
  auto table = OpenTable(files, "T.DBF");
  ASSERT_TRUE(table);
  // An empty table: every move sets the end flag.
  EXPECT_TRUE(table->Next().Ok());
  EXPECT_TRUE(table->Eof());
  EXPECT_TRUE(table->Go(1).Ok());
  EXPECT_TRUE(table->Eof());
  for (const char* name : {"eins", "zwei", "drei"}) Append(*table, {name});
  ASSERT_TRUE(table->Go(1).Ok());
  EXPECT_EQ(Field(*table, "NAME"), "eins  ");
  EXPECT_FALSE(table->Eof());
  ASSERT_TRUE(table->Next(2).Ok());
  EXPECT_EQ(table->RecordNumber(), 3u);
  ASSERT_TRUE(table->Next().Ok());
  EXPECT_TRUE(table->Eof());
  EXPECT_EQ(table->RecordNumber(), 3u);
  EXPECT_EQ(Field(*table, "NAME"), "drei  ");
  ASSERT_TRUE(table->Prev(5).Ok());
  EXPECT_EQ(table->RecordNumber(), 1u);
  EXPECT_FALSE(table->Eof());
  ASSERT_TRUE(table->Bottom().Ok());
  EXPECT_EQ(table->RecordNumber(), 3u);
  ASSERT_TRUE(table->IndexNth(2).Ok());
  EXPECT_EQ(table->RecordNumber(), 2u);
  DbResult result = table->Go(0);
  EXPECT_EQ(result.error, kErrKeyField);
  EXPECT_EQ(result.Appended(), " Datensatz 0 nicht in der Tabelle gefunden.");
  EXPECT_EQ(table->Go(4).Appended(), " Datensatz 4 nicht in der Tabelle gefunden.");
  EXPECT_EQ(table->RecordNumber(), 2u);
}

TEST(DbFields, PutCutsGetReturnsFullWidthLastFieldFollows) {
  MemoryFileSystem files;
  MakeTable(files, "T.DBF", "NAME;C;5\nBETRAG;N;7;2\nNOTIZ;M\n");
  auto table = OpenTable(files, "T.DBF");
  ASSERT_TRUE(table);
  ASSERT_TRUE(table->PutField("name", "Mustermann").Ok());
  EXPECT_EQ(Field(*table, "NAME"), "Muste");
  ASSERT_TRUE(table->PutField(2, "12.5").Ok());
  std::string text;
  ASSERT_TRUE(table->GetField(2, &text).Ok());
  EXPECT_EQ(text, "12.5   ");  // no alignment
  EXPECT_EQ(table->Last().type, 'N');
  EXPECT_EQ(table->Last().length, 7);
  EXPECT_EQ(table->Last().decimals, 2);
  EXPECT_EQ(table->Last().name, "BETRAG");
  EXPECT_EQ(table->Last().number, 2);
  EXPECT_EQ(table->GetField("FEHLT", &text).error, kErrReadField);
  EXPECT_EQ(table->Last().number, 0);
  EXPECT_EQ(table->Last().name, "");
  EXPECT_EQ(table->GetField(4, &text).error, kErrReadFieldNumber);
  EXPECT_EQ(table->GetField(0, &text).error, kErrReadFieldNumber);
  EXPECT_EQ(table->PutField("FEHLT", "x").error, kErrWriteField);
  EXPECT_EQ(table->PutField(9, "x").error, kErrWriteFieldNumber);
  EXPECT_EQ(table->PutField("NOTIZ", "5").error, kErrWriteField);
}

TEST(DbWrite, EachAppendLeavesACompleteFile) {
  MemoryFileSystem files;
  MakeTable(files, "T.DBF", "NAME;C;3\n");
  auto table = OpenTable(files, "T.DBF");
  ASSERT_TRUE(table);
  for (int i = 1; i <= 3; ++i) {
    Append(*table, {"r" + std::to_string(i)});
    // Without DBCLOSE: the count, the records and the end byte are in the file.
    const Bytes& bytes = files.Content("T.DBF");
    EXPECT_EQ(GetLittle32(&bytes[4]), static_cast<uint32_t>(i));
    EXPECT_EQ(bytes.size(), 65u + 4 * i + 1);
    EXPECT_EQ(bytes.back(), 0x1A);
  }
  auto reader = OpenTable(files, "T.DBF");
  ASSERT_TRUE(reader);
  EXPECT_EQ(reader->RecordCount(), 3u);
}

TEST(DbWrite, AppendBlankCopiesTheBufferAndBlanksIt) {
  MemoryFileSystem files;
  MakeTable(files, "T.DBF", "NAME;C;4\n");
  auto table = OpenTable(files, "T.DBF");
  ASSERT_TRUE(table);
  Append(*table, {"abcd"});
  Append(*table, {"efgh"});
  ASSERT_TRUE(table->Go(1).Ok());
  uint32_t record = 0;
  ASSERT_TRUE(table->AppendBlank(&record).Ok());
  EXPECT_EQ(record, 3u);
  EXPECT_EQ(table->RecordNumber(), 3u);
  EXPECT_EQ(Field(*table, "NAME"), "    ");
  ASSERT_TRUE(table->Go(3).Ok());
  EXPECT_EQ(Field(*table, "NAME"), "abcd");
}

TEST(DbWrite, PutRecordTargets) {
  MemoryFileSystem files;
  MakeTable(files, "T.DBF", "NAME;C;4\n");
  auto table = OpenTable(files, "T.DBF");
  ASSERT_TRUE(table);
  uint32_t written = 9;
  // No current record: 0 appends.
  table->PutField(1, "one");
  ASSERT_TRUE(table->PutRecord(0, &written).Ok());
  EXPECT_EQ(written, 1u);
  table->PutField(1, "two");
  ASSERT_TRUE(table->PutRecord(0, &written).Ok());
  EXPECT_EQ(written, 1u);  // the current record
  ASSERT_TRUE(table->PutRecord(77, &written).Ok());
  EXPECT_EQ(written, 2u);  // beyond the count: appended
  EXPECT_EQ(table->RecordCount(), 2u);
  ASSERT_TRUE(table->Go(1).Ok());
  EXPECT_EQ(Field(*table, "NAME"), "two ");
}

TEST(DbWrite, DeleteUndeleteAndPack) {
  MemoryFileSystem files;
  MakeTable(files, "T.DBF", "NAME;C;4\n");
  auto table = OpenTable(files, "T.DBF");
  ASSERT_TRUE(table);
  for (const char* name : {"a", "b", "c", "d"}) Append(*table, {name});
  ASSERT_TRUE(table->Go(2).Ok());
  ASSERT_TRUE(table->Delete().Ok());
  EXPECT_TRUE(table->Deleted());
  ASSERT_TRUE(table->Go(4).Ok());
  ASSERT_TRUE(table->Delete().Ok());
  ASSERT_TRUE(table->Go(3).Ok());
  ASSERT_TRUE(table->Delete().Ok());
  ASSERT_TRUE(table->Undelete().Ok());
  EXPECT_FALSE(table->Deleted());
  ASSERT_TRUE(table->Go(2).Ok());
  EXPECT_TRUE(table->Deleted());
  uint32_t count = 0;
  ASSERT_TRUE(table->Pack(kToday, &count).Ok());
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(table->RecordNumber(), 1u);
  ASSERT_TRUE(table->Go(2).Ok());
  EXPECT_EQ(Field(*table, "NAME"), "c   ");
  const Bytes& bytes = files.Content("T.DBF");
  EXPECT_EQ(bytes.size(), 65u + 2 * 5 + 1);
  EXPECT_EQ(GetLittle32(&bytes[4]), 2u);
  EXPECT_EQ(files.Names(), std::vector<std::string>{"T.DBF"});
  // Nothing deleted: the file stays as it is.
  const Bytes before = bytes;
  ASSERT_TRUE(table->Pack(kToday, &count).Ok());
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(files.Content("T.DBF"), before);
}

TEST(DbWrite, CloseStampsDateAndCountOnlyAfterWrites) {
  MemoryFileSystem files;
  MakeTable(files, "T.DBF", "NAME;C;4\n");
  Bytes& bytes = files.Content("T.DBF");
  bytes[1] = 95;  // an old date
  const Bytes before = bytes;
  auto table = OpenTable(files, "T.DBF");
  ASSERT_TRUE(table);
  EXPECT_EQ(table->Header().UpdateText(), "08.12.95");
  table->Close(kToday);
  EXPECT_EQ(files.Content("T.DBF"), before);
  table = OpenTable(files, "T.DBF");
  Append(*table, {"x"});
  table->Close({2031, 1, 2});
  EXPECT_EQ(files.Content("T.DBF")[1], 131);
  table = OpenTable(files, "T.DBF");
  EXPECT_EQ(table->Header().UpdateText(), "02.01.31");
}

TEST(DbWrite, TwoSlotsOnOneFileAppendAfterEachOther) {
  MemoryFileSystem files;
  MakeTable(files, "T.DBF", "NAME;C;4\n");
  auto first = OpenTable(files, "T.DBF");
  auto second = OpenTable(files, "T.DBF");
  ASSERT_TRUE(first && second);
  Append(*first, {"a"});
  uint32_t written = 0;
  second->PutField(1, "b");
  ASSERT_TRUE(second->PutRecord(0, &written).Ok());
  EXPECT_EQ(written, 2u);
  auto reader = OpenTable(files, "T.DBF");
  ASSERT_EQ(reader->RecordCount(), 2u);
  EXPECT_EQ(Field(*reader, "NAME"), "a   ");
}

TEST(DbSeek, ModesFromTheCurrentRecord) {
  MemoryFileSystem files;
  MakeTable(files, "T.DBF", "NAME;C;10\n");
  auto table = OpenTable(files, "T.DBF");
  ASSERT_TRUE(table);
  for (const char* name : {"Berlin", "Bremen", "  Bonn", "Hamburg"}) Append(*table, {name});
  ASSERT_TRUE(table->Go(1).Ok());
  uint32_t found = 0;
  ASSERT_TRUE(table->Seek("name", "REM", SeekMode::Contains, &found).Ok());
  EXPECT_EQ(found, 2u);
  ASSERT_TRUE(table->Seek("NAME", "b", SeekMode::Begins, &found).Ok());
  EXPECT_EQ(found, 2u);  // the current record is searched first
  ASSERT_TRUE(table->Go(3).Ok());
  ASSERT_TRUE(table->Seek("NAME", "b", SeekMode::Begins, &found).Ok());
  EXPECT_EQ(found, 0u);
  EXPECT_TRUE(table->Eof());
  ASSERT_TRUE(table->Go(1).Ok());
  ASSERT_TRUE(table->Seek("NAME", " bonn ", SeekMode::Equal, &found).Ok());
  EXPECT_EQ(found, 3u);
  EXPECT_EQ(table->Seek("ORT", "x", SeekMode::Equal, &found).error, kErrFieldNotFound);
}

}  // namespace
}  // namespace talven::dbase::test
