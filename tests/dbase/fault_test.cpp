// Failing the Nth write, seek, truncation or rename (for every N) in each writing
// operation: an error and no crash, a count that names only complete records, earlier
// records unchanged, PACK all or nothing, no temporary file left.

#include <cstdio>
#include <functional>
#include <set>

#include "common/bytes.h"
#include "tests/dbase/dbase_test_support.h"

namespace talven::dbase::test {
namespace {

struct Files {
  std::map<std::string, Bytes> content;
};

Files Snapshot(MemoryFileSystem& files) {
  Files snapshot;
  for (const auto& name : files.Names()) snapshot.content[name] = files.Content(name);
  return snapshot;
}

void Restore(MemoryFileSystem& files, const Files& snapshot) {
  for (const auto& [name, bytes] : snapshot.content) files.Put(name, bytes);
}

// The base: a table with memos, 6 records (2 and 5 deleted), an index on NAME.
Files Base() {
  MemoryFileSystem files;
  MakeTable(files, "T.DBF", "NAME;C;8\nNR;N;4\nNOTIZ;M\n");
  auto table = OpenTable(files, "T.DBF");
  for (int i = 0; i < 6; ++i) {
    table->PutField(1, "n" + std::to_string(5 - i));
    table->PutField(2, std::to_string(i));
    table->PutMemo("NOTIZ", std::vector<std::string>(i * 30 + 1, "memo" + std::to_string(i)));
    uint32_t written = 0;
    table->PutRecord(table->RecordCount() + 1, &written);
    table->Blank();
  }
  for (uint32_t r : {2u, 5u}) {
    table->Go(r);
    table->Delete();
  }
  table->CreateIndex("NAME", "T.NDX");
  table->Close(kToday);
  return Snapshot(files);
}

uint32_t CountIn(const Bytes& table) { return GetLittle32(&table[4]); }

// The records of a table file (header and records only).
std::vector<Bytes> Records(const Bytes& table) {
  const uint32_t header = GetLittle16(&table[8]), length = GetLittle16(&table[10]);
  std::vector<Bytes> records;
  for (uint32_t r = 0; r < CountIn(table); ++r) {
    const size_t at = header + size_t{r} * length;
    if (at + length > table.size()) break;
    records.emplace_back(table.begin() + at, table.begin() + at + length);
  }
  return records;
}

using Operation = std::function<DbResult(Table&, DbFileSystem&)>;

// Runs the operation with the Nth operation of each kind failing, N = 1, 2, ... until
// the operation completes without reaching N; `check` looks at the files after a failure.
void Exhaust(const char* what, const Operation& operation,
             const std::function<void(const Files& before, MemoryFileSystem& after)>& check) {
  const Files base = Base();
  int64_t firedRuns = 0;
  for (FaultKind kind : {FaultKind::Write, FaultKind::Seek, FaultKind::Truncate, FaultKind::Rename}) {
    for (int64_t n = 1; n < 400; ++n) {
      MemoryFileSystem memory;
      Restore(memory, base);
      FaultFileSystem faulty(memory);
      std::unique_ptr<Table> table;
      ASSERT_TRUE(Table::Open(faulty, "T.DBF", &table).Ok());
      bool attached = false;
      table->AttachIndexes({"T"}, &attached);
      ASSERT_TRUE(attached);
      faulty.Arm(kind, n);
      const DbResult result = operation(*table, faulty);
      const bool fired = faulty.Fired();
      faulty.Disarm();
      if (fired) {
        ++firedRuns;
        EXPECT_FALSE(result.Ok()) << what << " kind " << static_cast<int>(kind) << " n " << n;
        table->Close(kToday);
        table.reset();
        // Count = complete records, earlier records as they were, no temporary files.
        const Bytes& file = memory.Content("T.DBF");
        std::unique_ptr<Table> reopened;
        ASSERT_TRUE(Table::Open(memory, "T.DBF", &reopened).Ok()) << what << " n " << n;
        EXPECT_EQ(reopened->RecordCount(), CountIn(file)) << what << " n " << n;
        std::set<std::string> names;
        for (const auto& name : memory.Names()) names.insert(name);
        for (const auto& name : names) {
          EXPECT_TRUE(base.content.count(name) || name == "T2.DBF" || name == "T2.DBT" || name == "U.NDX")
              << what << " left " << name << " (kind " << static_cast<int>(kind) << ", n " << n << ")";
        }
        check(base, memory);
      } else {
        table->Close(kToday);
        break;
      }
    }
  }
  // Every operation writes: at least the writes failed one after the other.
  EXPECT_GE(firedRuns, 2) << what;
  std::printf("%s: %lld runs with a fault\n", what, static_cast<long long>(firedRuns));
}

void EarlierRecordsKept(const Files& before, MemoryFileSystem& after, size_t upTo) {
  const auto old = Records(before.content.at("T.DBF"));
  const auto now = Records(after.Content("T.DBF"));
  for (size_t r = 0; r < std::min({upTo, old.size(), now.size()}); ++r) EXPECT_EQ(old[r], now[r]) << "record " << r + 1;
}

TEST(Faults, AppendBlank) {
  Exhaust("append", [](Table& t, DbFileSystem&) {
    if (auto moved = t.Go(3); !moved) return moved;
    uint32_t record = 0;
    return t.AppendBlank(&record);
  }, [](const Files& before, MemoryFileSystem& after) { EarlierRecordsKept(before, after, 6); });
}

TEST(Faults, PutRecordWithAChangedKey) {
  Exhaust("putrec", [](Table& t, DbFileSystem&) {
    if (auto moved = t.Go(4); !moved) return moved;
    t.PutField("NAME", "aaa");
    uint32_t written = 0;
    return t.PutRecord(0, &written);
  }, [](const Files& before, MemoryFileSystem& after) { EarlierRecordsKept(before, after, 3); });
}

TEST(Faults, PutMemo) {
  Exhaust("putmemo", [](Table& t, DbFileSystem&) {
    if (auto moved = t.Go(1); !moved) return moved;
    if (auto memo = t.PutMemo("NOTIZ", std::vector<std::string>(50, "neu")); !memo) return memo;
    uint32_t written = 0;
    return t.PutRecord(0, &written);
  }, [](const Files& before, MemoryFileSystem& after) { EarlierRecordsKept(before, after, 0); });
}

TEST(Faults, PackIsAllOrNothing) {
  // The packed files of a run without faults.
  MemoryFileSystem clean;
  Restore(clean, Base());
  {
    auto table = OpenTable(clean, "T.DBF");
    uint32_t count = 0;
    ASSERT_TRUE(table->Pack(kToday, &count).Ok());
    EXPECT_EQ(count, 4u);
    table->Close(kToday);
  }
  const Files packed = Snapshot(clean);
  Exhaust("pack", [](Table& t, DbFileSystem&) {
    uint32_t count = 0;
    return t.Pack(kToday, &count);
  }, [&](const Files& before, MemoryFileSystem& after) {
    const bool unchanged = after.Content("T.DBF") == before.content.at("T.DBF") &&
                           after.Content("T.DBT") == before.content.at("T.DBT");
    const bool done = after.Content("T.DBF") == packed.content.at("T.DBF") &&
                      after.Content("T.DBT") == packed.content.at("T.DBT");
    EXPECT_TRUE(unchanged || done);
  });
}

TEST(Faults, CreateIndex) {
  Exhaust("createindex", [](Table& t, DbFileSystem&) { return t.CreateIndex("NR", "U"); },
          [](const Files& before, MemoryFileSystem& after) {
            EXPECT_EQ(after.Content("T.DBF"), before.content.at("T.DBF"));
          });
}

TEST(Faults, Close) {
  Exhaust("close", [](Table& t, DbFileSystem&) {
    uint32_t record = 0;
    if (auto appended = t.AppendBlank(&record); !appended) return appended;
    return t.Close({2030, 1, 1});
  }, [](const Files& before, MemoryFileSystem& after) { EarlierRecordsKept(before, after, 6); });
}

TEST(Faults, DbCreate) {
  Exhaust("dbcreate", [](Table&, DbFileSystem& files) {
    int32_t ignored = 0;
    auto definitions = files.Open("D.TXT", OpenMode::Create, &ignored);
    const std::string text = "A;C;5\nB;M\n";
    definitions->Write(0, text.data(), text.size());
    definitions.reset();
    const DbResult result = CreateTable(files, "D.TXT", "T2.DBF", kToday);
    files.Remove("D.TXT", &ignored);
    return result;
  }, [](const Files& before, MemoryFileSystem& after) {
    EXPECT_EQ(after.Content("T.DBF"), before.content.at("T.DBF"));
    // Either nothing or the complete table.
    if (after.Exists("T2.DBF")) {
      std::unique_ptr<Table> table;
      EXPECT_TRUE(Table::Open(after, "T2.DBF", &table).Ok());
    }
  });
}

}  // namespace
}  // namespace talven::dbase::test
