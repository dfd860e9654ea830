#pragma once
// Runs a table and its indexes through every operation of the table layer, whatever the
// files hold: shared by the fuzz targets and the damaged-file test. Every result must be
// success or one of the layer's errors; anything else (a crash, a hang, a leak) is a fault.

#include <cstdint>
#include <string>
#include <vector>

#include "library/dbase/memory_db_file.h"
#include "library/dbase/table.h"

namespace talven::dbase::exercise {

inline bool Clean(const DbResult& result) { return result.Ok() || (result.error >= 600 && result.error <= 616); }

#define TALVEN_EXPECT_CLEAN(call)                        \
  do {                                                   \
    if (!::talven::dbase::exercise::Clean(call)) __builtin_trap(); \
  } while (0)

// The fixed table of the index fuzzer: NAME C 10, NR N 6, 60 records.
inline void MakeFuzzTable(MemoryFileSystem& files) {
  files.Put("DEF.TXT", Bytes{});
  const std::string definitions = "NAME;C;10\nNR;N;6\n";
  files.Content("DEF.TXT").assign(definitions.begin(), definitions.end());
  CreateTable(files, "DEF.TXT", "F.DBF", {2026, 12, 8});
  std::unique_ptr<Table> table;
  if (!Table::Open(files, "F.DBF", &table)) return;
  for (int i = 0; i < 60; ++i) {
    table->PutField(1, "K" + std::to_string((i * 13) % 17));
    table->PutField(2, std::to_string((i * 7) % 23 - 11));
    uint32_t written = 0;
    table->PutRecord(table->RecordCount() + 1, &written);
  }
  table->Close({2026, 12, 8});
}

// Reads every record (fields, memos in a few widths), moves both ways, searches.
inline void ReadAll(Table& table, uint32_t limit) {
  for (int32_t width : {1, 7, 80, 255}) {
    table.SetMemoWidth(width);
    const uint32_t count = std::min(table.RecordCount(), limit);
    for (uint32_t r = 1; r <= count; ++r) {
      TALVEN_EXPECT_CLEAN(table.Go(r));
      for (int32_t f = 1; f <= static_cast<int32_t>(table.Fields().size()) + 1; ++f) {
        std::string text;
        TALVEN_EXPECT_CLEAN(table.GetField(f, &text));
        if (f <= static_cast<int32_t>(table.Fields().size()) && table.Fields()[f - 1].type == 'M') {
          std::vector<std::string> lines;
          int32_t result = 0;
          TALVEN_EXPECT_CLEAN(table.GetMemo(table.Fields()[f - 1].name, &lines, &result));
        }
      }
    }
    if (width != 80) continue;
    TALVEN_EXPECT_CLEAN(table.Top());
    for (uint32_t i = 0; i < limit && !table.Eof(); ++i) TALVEN_EXPECT_CLEAN(table.Next());
    TALVEN_EXPECT_CLEAN(table.Bottom());
    for (uint32_t i = 0; i < limit; ++i) TALVEN_EXPECT_CLEAN(table.Prev());
    uint32_t found = 0;
    if (!table.Fields().empty()) {
      TALVEN_EXPECT_CLEAN(table.Seek(table.Fields()[0].name, "K1", SeekMode::Contains, &found));
    }
    for (const char* key : {"K1", "K", "-3", "0", ""}) {
      TALVEN_EXPECT_CLEAN(table.Find(key, true, &found));
      TALVEN_EXPECT_CLEAN(table.Find(key, false, &found));
    }
  }
}

// Writes: changed keys, appends, memos, deletion, then PACK and a new index.
inline void WriteSome(Table& table, uint32_t limit) {
  if (table.Fields().empty()) return;
  const std::string first = table.Fields()[0].name;
  for (uint32_t r = 1; r <= std::min<uint32_t>(table.RecordCount(), limit); r += 3) {
    TALVEN_EXPECT_CLEAN(table.Go(r));
    TALVEN_EXPECT_CLEAN(table.PutField(1, "K" + std::to_string(r % 11)));
    uint32_t written = 0;
    TALVEN_EXPECT_CLEAN(table.PutRecord(0, &written));
    for (const auto& field : table.Fields()) {
      if (field.type == 'M') TALVEN_EXPECT_CLEAN(table.PutMemo(field.name, {"neu", std::string(r % 600, 'm')}));
    }
    if (r % 2) TALVEN_EXPECT_CLEAN(table.Delete());
  }
  uint32_t record = 0;
  TALVEN_EXPECT_CLEAN(table.AppendBlank(&record));
  TALVEN_EXPECT_CLEAN(table.AppendBlank(&record));
  if (table.IndexCount() > 0) {
    const NdxCheck check = table.Index(0)->Check();
    (void)check;
  }
  uint32_t count = 0;
  TALVEN_EXPECT_CLEAN(table.Pack({2026, 12, 8}, &count));
  TALVEN_EXPECT_CLEAN(table.CreateIndex(first, "NEU"));
  ReadAll(table, limit);
}

}  // namespace talven::dbase::exercise
