// libFuzzer target: an index file (the input) on a fixed table: opened directly and walked,
// searched and changed (insertions, removals, splits); then attached to the table, which
// moves, finds and writes through it.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz/dbase_exercise.h"

using namespace talven::dbase;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const Bytes tableBytes = [] {
    MemoryFileSystem files;
    exercise::MakeFuzzTable(files);
    return files.Content("F.DBF");
  }();
  MemoryFileSystem files;
  files.Put("F.DBF", tableBytes);
  files.Put("X.NDX", Bytes(data, data + size));

  std::unique_ptr<NdxIndex> index;
  if (!exercise::Clean(NdxIndex::Open(files, "X.NDX", &index))) __builtin_trap();
  if (index) {
    uint8_t key[128] = {};
    uint32_t record = 0;
    TALVEN_EXPECT_CLEAN(index->First(&record));
    for (int i = 0; i < 300 && record != 0; ++i) TALVEN_EXPECT_CLEAN(index->Next(&record));
    TALVEN_EXPECT_CLEAN(index->Last(&record));
    for (int i = 0; i < 300 && record != 0; ++i) TALVEN_EXPECT_CLEAN(index->Prev(&record));
    for (uint32_t i = 0; i < 40; ++i) {
      std::memset(key, 'A' + static_cast<int>(i % 26), sizeof key);
      key[0] = static_cast<uint8_t>(i * 37);
      TALVEN_EXPECT_CLEAN(index->Insert(key, i + 1));
      bool found = false;
      if (i % 3 == 0) TALVEN_EXPECT_CLEAN(index->Remove(key, i + 1, &found));
      TALVEN_EXPECT_CLEAN(index->Find(key, index->KeyLength(), &record));
      TALVEN_EXPECT_CLEAN(index->Find(key, 1, &record));
    }
    const NdxCheck check = index->Check();
    (void)check;
    index.reset();
  }
  files.Put("X.NDX", Bytes(data, data + size));
  std::unique_ptr<Table> table;
  if (!Table::Open(files, "F.DBF", &table)) return 0;
  bool attached = false;
  TALVEN_EXPECT_CLEAN(table->AttachIndexes({"X"}, &attached));
  if (!attached) return 0;
  exercise::ReadAll(*table, 80);
  exercise::WriteSome(*table, 80);
  return 0;
}
