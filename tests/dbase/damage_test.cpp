// Damaged files: up to 1 % of the bytes of sample tables, memo files and indexes changed at
// random, 100 times each; every operation must end in success or a clean error. Also writes
// the fuzz corpora's seeds when asked (TALVEN_WRITE_FUZZ_SEEDS=1).

#include <cstdlib>
#include <fstream>
#include <random>

#include "fuzz/dbase_exercise.h"
#include "library/dbase/std_db_file.h"
#include "tests/dbase/dbase_test_support.h"

namespace talven::dbase::test {
namespace {

Bytes ReadFixture(const std::string& name) {
  std::ifstream in(std::string(TALVEN_DBASE_FIXTURES) + "/" + name, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Damage(Bytes& bytes, std::mt19937& random) {
  if (bytes.empty()) return;
  const size_t changes = 1 + std::uniform_int_distribution<size_t>(0, bytes.size() / 100)(random);
  for (size_t i = 0; i < changes; ++i) {
    const size_t at = std::uniform_int_distribution<size_t>(0, bytes.size() - 1)(random);
    bytes[at] = static_cast<uint8_t>(random());
  }
}

TEST(Damaged, TablesMemosAndIndexesEndCleanly) {
  const Bytes table = ReadFixture("PYDBF.DBF"), memo = ReadFixture("PYDBF.DBT");
  const Bytes shape = ReadFixture("SHAPE.DBF"), names = ReadFixture("SHAPE_NAME.NDX"), numbers = ReadFixture("SHAPE_NR.NDX");
  ASSERT_FALSE(table.empty() || memo.empty() || shape.empty() || names.empty() || numbers.empty());
  std::mt19937 random(1208);
  int opened = 0;
  for (int round = 0; round < 100; ++round) {
    MemoryFileSystem files;
    Bytes t = table, m = memo, s = shape, n = names, r = numbers;
    Damage(t, random);
    Damage(m, random);
    Damage(s, random);
    Damage(n, random);
    Damage(r, random);
    files.Put("P.DBF", t);
    files.Put("P.DBT", m);
    files.Put("S.DBF", s);
    files.Put("S_NAME.NDX", n);
    files.Put("S_NR.NDX", r);
    for (const char* name : {"P.DBF", "S.DBF"}) {
      std::unique_ptr<Table> one;
      const DbResult result = Table::Open(files, name, &one);
      ASSERT_TRUE(exercise::Clean(result)) << result.error;
      if (!one) continue;
      ++opened;
      bool attached = false;
      ASSERT_TRUE(exercise::Clean(one->AttachIndexes({"S_NAME", "S_NR"}, &attached)));
      exercise::ReadAll(*one, 100);
      exercise::WriteSome(*one, 100);
      ASSERT_TRUE(exercise::Clean(one->Close(kToday)));
    }
  }
  EXPECT_GT(opened, 20);
}

// Seeds for fuzz/corpus/dbf and fuzz/corpus/ndx, written only on request.
TEST(Damaged, WriteFuzzSeeds) {
  const char* target = std::getenv("TALVEN_WRITE_FUZZ_SEEDS");
  if (!target) GTEST_SKIP() << "set TALVEN_WRITE_FUZZ_SEEDS to the fuzz/corpus folder";
  auto write = [&](const std::string& name, const Bytes& bytes) {
    std::ofstream out(std::string(target) + "/" + name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  };
  auto seed = [](uint8_t width, const Bytes& table, const Bytes& memo) {
    Bytes bytes{width, static_cast<uint8_t>(table.size()), static_cast<uint8_t>(table.size() >> 8)};
    bytes.insert(bytes.end(), table.begin(), table.end());
    bytes.insert(bytes.end(), memo.begin(), memo.end());
    return bytes;
  };
  write("dbf/pydbf", seed(40, ReadFixture("PYDBF.DBF"), ReadFixture("PYDBF.DBT")));
  Bytes shape = ReadFixture("SHAPE.DBF");
  shape.resize(129 + 39 * 12);
  shape[4] = 12;
  shape.push_back(0x1A);
  write("dbf/shapelib", seed(80, shape, {}));
  MemoryFileSystem files;
  MakeTable(files, "M.DBF", "NAME;C;6\nNR;N;5;1\nDATUM;D\nOK;L\nNOTIZ;M\n");
  {
    auto table = OpenTable(files, "M.DBF");
    for (int i = 0; i < 5; ++i) {
      table->PutField(1, "K" + std::to_string(i));
      table->PutField(2, std::to_string(i * 1.5));
      table->PutMemo("NOTIZ", {"Zeile eins", std::string(i * 9, 'w') + " ende\x8D\nweich"});
      uint32_t written = 0;
      table->PutRecord(table->RecordCount() + 1, &written);
      if (i % 3 == 0) table->Delete();
      table->Blank();
    }
    table->Close(kToday);
  }
  write("dbf/memos", seed(12, files.Content("M.DBF"), files.Content("M.DBT")));
  MakeTable(files, "E.DBF", "A;C;1\n");
  write("dbf/empty", seed(80, files.Content("E.DBF"), {}));
  MemoryFileSystem fuzzFiles;
  exercise::MakeFuzzTable(fuzzFiles);
  auto table = OpenTable(fuzzFiles, "F.DBF");
  ASSERT_TRUE(table->CreateIndex("NAME", "NAME").Ok());
  ASSERT_TRUE(table->CreateIndex("NR", "NR").Ok());
  ASSERT_TRUE(table->CreateIndex("NAME+\"-\"+NR", "BOTH").Ok());
  table->Close(kToday);
  write("ndx/name", fuzzFiles.Content("NAME.NDX"));
  write("ndx/nr", fuzzFiles.Content("NR.NDX"));
  write("ndx/both", fuzzFiles.Content("BOTH.NDX"));
}

}  // namespace
}  // namespace talven::dbase::test
