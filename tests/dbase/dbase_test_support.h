#pragma once
// Shared helpers of the table layer's tests: tables in memory, built from definition text.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "library/dbase/memory_db_file.h"
#include "library/dbase/table.h"

namespace talven::dbase::test {

inline const DbDate kToday{2026, 12, 8};

inline Bytes ToBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Creates the table `name` from definition lines; fails the test on an error.
inline void MakeTable(DbFileSystem& files, const std::string& name, const std::string& definitions) {
  int32_t ignored = 0;
  auto file = files.Open("DEF.TXT", OpenMode::Create, &ignored);
  ASSERT_TRUE(file);
  ASSERT_TRUE(file->Write(0, definitions.data(), definitions.size()));
  file.reset();
  const DbResult created = CreateTable(files, "DEF.TXT", name, kToday);
  ASSERT_TRUE(created.Ok()) << created.error << created.Appended();
  files.Remove("DEF.TXT", &ignored);
}

inline std::unique_ptr<Table> OpenTable(DbFileSystem& files, const std::string& name) {
  std::unique_ptr<Table> table;
  const DbResult opened = Table::Open(files, name, &table);
  EXPECT_TRUE(opened.Ok()) << opened.error << opened.Appended();
  return table;
}

// Appends a record with these field values (in field order).
inline uint32_t Append(Table& table, const std::vector<std::string>& values) {
  for (size_t i = 0; i < values.size(); ++i) {
    EXPECT_TRUE(table.PutField(static_cast<int32_t>(i + 1), values[i]).Ok());
  }
  uint32_t written = 0;
  const DbResult result = table.PutRecord(table.RecordCount() + 1, &written);
  EXPECT_TRUE(result.Ok()) << result.error << result.Appended();
  return written;
}

inline std::string Field(Table& table, const std::string& name) {
  std::string text;
  EXPECT_TRUE(table.GetField(name, &text).Ok());
  return text;
}

inline std::string Trim(const std::string& text) {
  size_t end = text.size();
  while (end > 0 && text[end - 1] == ' ') --end;
  size_t begin = 0;
  while (begin < end && text[begin] == ' ') ++begin;
  return text.substr(begin, end - begin);
}

}  // namespace talven::dbase::test
