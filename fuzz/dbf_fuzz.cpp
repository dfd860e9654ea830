// libFuzzer target: a table file and its memo file (input: one byte of memo width, two bytes
// of table length, the table, then the memo file) read through every operation, then
// written, packed and indexed; and the memo line splitter on the raw bytes.

#include <cstddef>
#include <cstdint>

#include "fuzz/dbase_exercise.h"
#include "library/dbase/dbt_format.h"

using namespace talven::dbase;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const int32_t width = data[0];
  const size_t tableLength = std::min<size_t>(size - 3, data[1] | (data[2] << 8));
  const uint8_t* table = data + 3;
  const uint8_t* memo = table + tableLength;
  const size_t memoLength = size - 3 - tableLength;

  std::vector<std::string> lines;
  MemoSplitter splitter(width, &lines);
  splitter.Feed(memo, memoLength);
  splitter.Finish();

  MemoryFileSystem files;
  files.Put("T.DBF", Bytes(table, table + tableLength));
  files.Put("T.DBT", Bytes(memo, memo + memoLength));
  std::unique_ptr<Table> opened;
  if (!exercise::Clean(Table::Open(files, "T.DBF", &opened))) __builtin_trap();
  if (!opened) return 0;
  exercise::ReadAll(*opened, 64);
  exercise::WriteSome(*opened, 64);
  TALVEN_EXPECT_CLEAN(opened->Close({2026, 12, 8}));
  return 0;
}
