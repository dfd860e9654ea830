// Indexes: key expressions, creation, searches, moves in key order, splits, updates on
// every write, and the checks of hostile index files.

#include <algorithm>
#include <cstring>
#include <map>

#include "common/bytes.h"
#include "library/dbase/ndx_format.h"
#include "tests/dbase/dbase_test_support.h"

namespace talven::dbase::test {
namespace {

std::vector<DbfField> SampleFields() {
  MemoryFileSystem files;
  MakeTable(files, "T.DBF", "NAME;C;20\nNR;N;8\nDATUM;D\nORT;C;30\n");
  return OpenTable(files, "T.DBF")->Fields();
}

TEST(KeyExpressions, FieldsLiteralsTypesAndLimits) {
  const auto fields = SampleFields();
  KeyExpression key;
  ASSERT_TRUE(ParseKeyExpression("name", fields, &key).Ok());
  EXPECT_EQ(key.length, 20u);
  EXPECT_FALSE(key.numeric);
  ASSERT_TRUE(ParseKeyExpression("NR", fields, &key).Ok());
  EXPECT_TRUE(key.numeric);
  EXPECT_EQ(key.length, 8u);
  ASSERT_TRUE(ParseKeyExpression("datum", fields, &key).Ok());
  EXPECT_TRUE(key.numeric);
  ASSERT_TRUE(ParseKeyExpression(" NAME + \"-+-\" + NR ", fields, &key).Ok());
  EXPECT_FALSE(key.numeric);
  EXPECT_EQ(key.length, 31u);
  EXPECT_EQ(ParseKeyExpression("NAME+KEINS", fields, &key).error, kErrFormula);
  EXPECT_EQ(ParseKeyExpression("NAME+", fields, &key).error, kErrFormula);
  EXPECT_EQ(ParseKeyExpression("NAME+\"offen", fields, &key).error, kErrFormula);
  EXPECT_EQ(ParseKeyExpression("", fields, &key).error, kErrFormula);
  // A key of 100 bytes is the most; 101 leaves no room for entries.
  ASSERT_TRUE(ParseKeyExpression("NAME+ORT+ORT+\"" + std::string(20, 'x') + "\"", fields, &key).Ok());
  EXPECT_EQ(key.length, 100u);
  EXPECT_EQ(ParseKeyExpression("NAME+ORT+ORT+\"" + std::string(21, 'x') + "\"", fields, &key).error, kErrFormula);
  EXPECT_EQ(ParseKeyExpression(std::string(100, ' ') + "NAME", fields, &key).error, kErrFormula);
  EXPECT_EQ(NdxKeysPerPage(100), 4);
  EXPECT_EQ(NdxEntrySize(1), 12);
  EXPECT_EQ(NdxKeysPerPage(8), 31);
}

class IndexTable : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeTable(files, "T.DBF", "NAME;C;12\nNR;N;6;1\n");
    table = OpenTable(files, "T.DBF");
    ASSERT_TRUE(table);
  }
  void Fill(int count) {
    for (int i = 0; i < count; ++i) {
      // Names repeat; numbers are scattered.
      Append(*table, {"K" + std::to_string((i * 7919) % 1000), std::to_string((i * 37) % 101 - 50)});
    }
  }
  NdxCheck CheckIndex(size_t i = 0) {
    NdxCheck check = table->Index(i)->Check();
    for (const auto& problem : check.problems) ADD_FAILURE() << problem;
    return check;
  }
  // Records in index order by moving.
  std::vector<uint32_t> Walk() {
    std::vector<uint32_t> order;
    EXPECT_TRUE(table->Top().Ok());
    while (!table->Eof() && order.size() < 100000) {
      order.push_back(table->RecordNumber());
      EXPECT_TRUE(table->Next().Ok());
    }
    return order;
  }
  std::vector<uint32_t> Sorted(const std::string& field, bool numeric) {
    std::vector<std::pair<std::pair<double, std::string>, uint32_t>> keys;
    for (uint32_t r = 1; r <= table->RecordCount(); ++r) {
      EXPECT_TRUE(table->Go(r).Ok());
      const std::string text = Field(*table, field);
      double value = 0;
      if (numeric) ParseNumber(text, &value);
      keys.push_back({{value, numeric ? std::string() : text}, r});
    }
    std::sort(keys.begin(), keys.end());
    std::vector<uint32_t> order;
    for (const auto& key : keys) order.push_back(key.second);
    return order;
  }
  MemoryFileSystem files;
  std::unique_ptr<Table> table;
};

TEST_F(IndexTable, CreateFindAndMoveInKeyOrder) {
  Fill(3000);
  ASSERT_TRUE(table->CreateIndex("NAME", "NAMEN").Ok());
  EXPECT_TRUE(files.Exists("NAMEN.NDX"));
  EXPECT_EQ(files.Names().size(), 2u);  // no temporary file left
  const NdxCheck check = CheckIndex();
  EXPECT_EQ(check.entries.size(), 3000u);
  EXPECT_GE(check.depth, 3u);  // root splits happened
  EXPECT_EQ(Walk(), Sorted("NAME", false));
  uint32_t found = 0;
  ASSERT_TRUE(table->Find("K123", true, &found).Ok());
  ASSERT_NE(found, 0u);
  EXPECT_EQ(Trim(Field(*table, "NAME")), "K123");
  // The first of equal keys, then the others by record number.
  ASSERT_TRUE(table->Next().Ok());
  EXPECT_EQ(Trim(Field(*table, "NAME")), "K123");
  EXPECT_GT(table->RecordNumber(), found);
  ASSERT_TRUE(table->Find("K12", true, &found).Ok());
  EXPECT_EQ(Trim(Field(*table, "NAME")), "K12");
  ASSERT_TRUE(table->Find("K99", false, &found).Ok());
  EXPECT_EQ(Trim(Field(*table, "NAME")).substr(0, 3), "K99");
  ASSERT_TRUE(table->Find("K9999", true, &found).Ok());
  EXPECT_EQ(found, 0u);
  ASSERT_TRUE(table->Find("K12", false, &found).Ok());
  EXPECT_EQ(Trim(Field(*table, "NAME")), "K12");
  // Bottom and backwards.
  ASSERT_TRUE(table->Bottom().Ok());
  EXPECT_EQ(Trim(Field(*table, "NAME")), "K999");
  ASSERT_TRUE(table->Prev(2).Ok());
  EXPECT_EQ(Trim(Field(*table, "NAME")), "K999");  // each name three times
  ASSERT_TRUE(table->Prev(1).Ok());
  EXPECT_EQ(Trim(Field(*table, "NAME")), "K998");
  ASSERT_TRUE(table->IndexNth(1).Ok());
  EXPECT_EQ(Trim(Field(*table, "NAME")), "K0");
  ASSERT_TRUE(table->Prev().Ok());
  EXPECT_EQ(Trim(Field(*table, "NAME")), "K0");
  // A record number positions the index at that record.
  ASSERT_TRUE(table->Go(found).Ok());
  EXPECT_EQ(Trim(Field(*table, "NAME")), "K12") << found;
  ASSERT_TRUE(table->Next().Ok());
  const uint32_t next = table->RecordNumber();
  const auto order = Sorted("NAME", false);
  const auto at = std::find(order.begin(), order.end(), found);
  EXPECT_EQ(next, *(at + 1));
}

TEST_F(IndexTable, ExactAndPrefixSearch) {
  for (const char* name : {"Schmidt", "Schulz", "Meier"}) Append(*table, {name, "1"});
  ASSERT_TRUE(table->CreateIndex("NAME", "N.NDX").Ok());
  uint32_t found = 0;
  ASSERT_TRUE(table->Find("Sch", false, &found).Ok());
  EXPECT_EQ(found, 1u);
  ASSERT_TRUE(table->Find("Sch", true, &found).Ok());
  EXPECT_EQ(found, 0u);
  ASSERT_TRUE(table->Find("Schulz", true, &found).Ok());
  EXPECT_EQ(found, 2u);
}

TEST_F(IndexTable, NumericKeysAreDoubles) {
  Fill(500);
  ASSERT_TRUE(table->CreateIndex("NR", "NR").Ok());
  CheckIndex();
  EXPECT_EQ(Walk(), Sorted("NR", true));
  uint32_t found = 0;
  ASSERT_TRUE(table->Find("-50", true, &found).Ok());
  ASSERT_NE(found, 0u);
  EXPECT_EQ(Trim(Field(*table, "NR")), "-50");
  ASSERT_TRUE(table->Find(" 50.0 ", true, &found).Ok());
  EXPECT_NE(found, 0u);
  ASSERT_TRUE(table->Find("50.5", true, &found).Ok());
  EXPECT_EQ(found, 0u);
  EXPECT_EQ(table->Find("fünfzig", true, &found).error, kErrKeyField);
}

TEST_F(IndexTable, EveryAttachedIndexFollowsEveryWrite) {
  Fill(800);
  ASSERT_TRUE(table->CreateIndex("NR", "NR").Ok());
  ASSERT_TRUE(table->CreateIndex("NAME+NR", "NAMENR").Ok());
  bool attached = false;
  ASSERT_TRUE(table->AttachIndexes({"NAMENR", "NR.NDX"}, &attached).Ok());
  ASSERT_TRUE(attached);
  // Change keys of many records (key moves both ways), append some.
  for (uint32_t r = 1; r <= 800; r += 3) {
    ASSERT_TRUE(table->Go(r).Ok());
    table->PutField("NAME", r % 2 ? "AAA" : "ZZZ" + std::to_string(r));
    table->PutField("NR", std::to_string(1000 - r));
    uint32_t written = 0;
    ASSERT_TRUE(table->PutRecord(0, &written).Ok());
  }
  Fill(300);
  CheckIndex(0);
  CheckIndex(1);
  EXPECT_EQ(table->Index(0)->Check().entries.size(), 1100u);
  EXPECT_EQ(table->Index(1)->Check().entries.size(), 1100u);
  // The master orders moves: NAME then NR as text.
  std::vector<uint32_t> order = Walk();
  ASSERT_EQ(order.size(), 1100u);
  std::string previous;
  for (uint32_t r : order) {
    ASSERT_TRUE(table->Go(r).Ok());
    const std::string key = Field(*table, "NAME") + Field(*table, "NR");
    EXPECT_LE(previous, key);
    previous = key;
  }
}

TEST_F(IndexTable, AttachRulesAndDamagedFiles) {
  Fill(50);
  ASSERT_TRUE(table->CreateIndex("NAME", "A").Ok());
  bool attached = true;
  ASSERT_TRUE(table->AttachIndexes({"FEHLT"}, &attached).Ok());
  EXPECT_FALSE(attached);
  EXPECT_EQ(table->IndexCount(), 0u);
  // Seventeen names: the first sixteen are attached.
  std::vector<std::string> names(17, "A");
  ASSERT_TRUE(table->AttachIndexes(names, &attached).Ok());
  EXPECT_TRUE(attached);
  EXPECT_EQ(table->IndexCount(), 16u);
  // An index of a field this table does not have.
  Bytes other = files.Content("A.NDX");
  std::memcpy(&other[24], "KEINS", 6);
  files.Put("B.NDX", other);
  ASSERT_TRUE(table->AttachIndexes({"A", "B"}, &attached).Ok());
  EXPECT_FALSE(attached);
  EXPECT_EQ(table->IndexCount(), 0u);
  EXPECT_EQ(table->CreateIndex("NAME+", "C").error, kErrFormula);
  EXPECT_FALSE(files.Exists("C.NDX"));
}

// An index file with its header fields changed, opened directly.
DbResult OpenDamaged(const Bytes& bytes) {
  MemoryFileSystem files;
  files.Put("X.NDX", bytes);
  std::unique_ptr<NdxIndex> index;
  return NdxIndex::Open(files, "X.NDX", &index);
}

TEST_F(IndexTable, HostileHeadersAre605) {
  Fill(200);
  ASSERT_TRUE(table->CreateIndex("NAME", "A").Ok());
  table->DetachIndexes();
  const Bytes good = files.Content("A.NDX");
  ASSERT_TRUE(OpenDamaged(good).Ok());
  auto expect605 = [&](void (*damage)(Bytes&), const char* what) {
    Bytes bytes = good;
    damage(bytes);
    EXPECT_EQ(OpenDamaged(bytes).error, kErrIndexDamaged) << what;
  };
  expect605([](Bytes& b) { b.resize(b.size() - 1); }, "not whole pages");
  expect605([](Bytes& b) { b.resize(100); }, "shorter than a page");
  expect605([](Bytes& b) { PutLittle16(&b[12], 0); }, "key length 0");
  expect605([](Bytes& b) { PutLittle16(&b[12], 101); }, "key length 101");
  expect605([](Bytes& b) { PutLittle16(&b[16], 1); }, "numeric of 12 bytes");
  expect605([](Bytes& b) { PutLittle16(&b[18], 24); }, "entry size");
  expect605([](Bytes& b) { PutLittle16(&b[14], 40); }, "keys per page");
  expect605([](Bytes& b) { PutLittle32(&b[0], 0); }, "root 0");
  expect605([](Bytes& b) { PutLittle32(&b[0], GetLittle32(&b[4])); }, "root at next free");
  expect605([](Bytes& b) { PutLittle32(&b[0], static_cast<uint32_t>(b.size() / 512)); }, "root past the file");
  // An absurd next free page is clamped to the file.
  Bytes bytes = good;
  PutLittle32(&bytes[4], 0xFFFFFFF0u);
  MemoryFileSystem files2;
  files2.Put("X.NDX", bytes);
  std::unique_ptr<NdxIndex> index;
  ASSERT_TRUE(NdxIndex::Open(files2, "X.NDX", &index).Ok());
  EXPECT_EQ(index->Header().nextFree, good.size() / 512);
}

TEST_F(IndexTable, HostilePagesEndCleanly) {
  Fill(400);
  ASSERT_TRUE(table->CreateIndex("NAME", "A").Ok());
  table->DetachIndexes();
  const Bytes good = files.Content("A.NDX");
  const uint32_t root = GetLittle32(&good[0]);
  auto run = [&](const Bytes& bytes, const char* what) {
    files.Put("A.NDX", bytes);
    bool attached = false;
    ASSERT_TRUE(table->AttachIndexes({"A"}, &attached).Ok() || true);
    if (!attached) return;
    uint32_t found = 0;
    const DbResult result = table->Find("K5", false, &found);
    EXPECT_TRUE(result.Ok() || result.error == kErrIndexDamaged || result.error == kErrKeyField) << what;
    for (int i = 0; i < 500 && !table->Eof(); ++i) {
      if (!table->Next().Ok()) break;
    }
    table->Index(0)->Check();
  };
  Bytes bytes = good;
  PutLittle32(&bytes[512 * root], 1000);  // count above keys per page
  run(bytes, "count");
  bytes = good;
  PutLittle32(&bytes[512 * root + 4], root);  // the root points to itself
  run(bytes, "cycle");
  bytes = good;
  PutLittle32(&bytes[512 * root + 4], 0x7FFFFFFF);  // a child past the file
  run(bytes, "child");
  // A leaf entry naming record 0 or one past the count is not found.
  table->DetachIndexes();
  bytes = good;
  for (size_t page = 1; page < bytes.size() / 512; ++page) {
    uint8_t* p = &bytes[512 * page];
    if (GetLittle32(p + 4) != 0) continue;  // a branch
    for (uint32_t i = 0; i < GetLittle32(p); ++i) PutLittle32(p + 4 + i * 20 + 4, i % 2 ? 0 : 5000);
  }
  files.Put("A.NDX", bytes);
  bool attached = false;
  ASSERT_TRUE(table->AttachIndexes({"A"}, &attached).Ok() || !attached);
  if (attached) {
    uint32_t found = 1;
    ASSERT_TRUE(table->Find("K5", false, &found).Ok());
    EXPECT_EQ(found, 0u);
  }
}

}  // namespace
}  // namespace talven::dbase::test

namespace talven::dbase::test {
namespace {

// Keys of 20 bytes make entries of 28: 18 fill 504 bytes, so a full branch page's last
// child pointer takes bytes 508..511, the very end of the page.
TEST(FullBranchPages, TheLastChildEndsWithThePage) {
  MemoryFileSystem files;
  MakeTable(files, "W.DBF", "NAME;C;20\n");
  auto table = OpenTable(files, "W.DBF");
  ASSERT_TRUE(table);
  // 342 records: 19 full leaves under one root with 18 keys and 19 children.
  for (int i = 0; i < 342; ++i) Append(*table, {"W" + std::to_string(100000 + (i * 7919) % 342)});
  ASSERT_TRUE(table->CreateIndex("NAME", "W").Ok());
  bool attached = false;
  ASSERT_TRUE(table->AttachIndexes({"W"}, &attached).Ok());
  ASSERT_TRUE(attached);
  EXPECT_EQ(table->Index(0)->Header().keysPerPage, 18);
  {
    ASSERT_TRUE(table->Close(kToday).Ok());
    const Bytes& bytes = files.Content("W.NDX");
    const uint32_t root = GetLittle32(&bytes[0]);
    ASSERT_EQ(GetLittle32(&bytes[512 * root]), 18u);  // a full branch page
    const uint32_t last = GetLittle32(&bytes[512 * root + 508]);
    EXPECT_GE(last, 1u);
    EXPECT_LT(last, root);
    EXPECT_EQ(GetLittle32(&bytes[512 * last + 4]), 0u);  // a leaf, not a branch
  }
  table = OpenTable(files, "W.DBF");
  ASSERT_TRUE(table->AttachIndexes({"W"}, &attached).Ok());
  // Appends through the index split the leaves and then the full root.
  for (int i = 0; i < 400; ++i) {
    table->Blank();
    ASSERT_TRUE(table->PutField("NAME", "V" + std::to_string(100000 + (i * 31) % 400)).Ok());
    uint32_t written = 0;
    ASSERT_TRUE(table->PutRecord(table->RecordCount() + 1, &written).Ok());
  }
  const NdxCheck check = table->Index(0)->Check();
  for (const auto& problem : check.problems) ADD_FAILURE() << problem;
  EXPECT_EQ(check.entries.size(), 742u);
  EXPECT_GE(check.depth, 3u);
  uint32_t found = 0;
  ASSERT_TRUE(table->Find("W100341", false, &found).Ok());
  EXPECT_NE(found, 0u);
}

}  // namespace
}  // namespace talven::dbase::test
