// DBCREATE: the definition lines and the new table and memo file, written under
// temporary names and renamed when complete.

#include "library/dbase/table.h"

#include <algorithm>
#include <cstring>

#include "common/bytes.h"
#include "library/dbase/dbt_format.h"
#include "library/dbase/limits.h"

namespace talven::dbase {

// --- DBCREATE --------------------------------------------------------------------------------

namespace {

std::string TrimPart(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
  while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
  return text.substr(begin, end - begin);
}

// A whole number of digits (at most 6, so it cannot overflow); -1 when it is none.
int32_t Digits(const std::string& text) {
  if (text.empty() || text.size() > 6) return -1;
  int32_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

DbResult ParseDefinitions(const std::string& text, std::vector<DbfField>* fields) {
  std::vector<DbfField> result;
  uint64_t recordLength = 1;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    const std::string line = TrimPart(text.substr(start, end - start));
    start = end + 1;
    if (line.empty()) continue;
    std::vector<std::string> parts;
    size_t from = 0;
    for (;;) {
      const size_t semicolon = line.find(';', from);
      parts.push_back(TrimPart(line.substr(from, semicolon == std::string::npos ? std::string::npos : semicolon - from)));
      if (semicolon == std::string::npos) break;
      from = semicolon + 1;
    }
    parts.resize(std::max<size_t>(parts.size(), 4));
    DbfField field;
    field.name = UpperCase(parts[0]).substr(0, kFieldNameLength);
    if (field.name.empty()) return DbResult::Of(kErrFieldNotFound);
    const char type = parts[1].empty() ? 'C' : UpperCase(parts[1]).front();
    field.type = (type == 'C' || type == 'D' || type == 'L' || type == 'M' || type == 'N') ? type : 'C';
    int32_t length = 0, decimals = 0;
    switch (field.type) {
      case 'D': length = 8; break;
      case 'L': length = 1; break;
      case 'M': length = 10; break;
      default:
        length = Digits(parts[2]);
        if (length <= 0 || length > kMaxFieldLength) return DbResult::Of(kErrFieldLength);
    }
    if (field.type == 'N' && !parts[3].empty()) {
      decimals = Digits(parts[3]);
      if (decimals < 0 || decimals > length) return DbResult::Of(kErrDecimals);
    }
    field.length = static_cast<uint8_t>(length);
    field.decimals = static_cast<uint8_t>(decimals);
    field.offset = static_cast<uint32_t>(recordLength);
    for (const auto& other : result) {
      if (other.name == field.name) return DbResult::Of(kErrDuplicateField);
    }
    recordLength += static_cast<uint64_t>(length);
    if (recordLength > static_cast<uint64_t>(kMaxRecordLength)) return DbResult::Of(kErrFieldLength);
    result.push_back(std::move(field));
    if (result.size() > static_cast<size_t>(kMaxFields)) return {kErrDbase, kCodeLimit, "> 128"};
  }
  if (result.empty()) return {kErrDbase, kCodeLimit, "0"};
  *fields = std::move(result);
  return DbResult::Success();
}

DbResult CreateTable(DbFileSystem& files, const std::string& definitionFile, const std::string& tableName,
                     const DbDate& today) {
  int32_t ioError = 0;
  std::string text;
  {
    auto definitions = files.Open(definitionFile, OpenMode::ReadOnly, &ioError);
    if (!definitions) return DbResult::Io(definitionFile, IoStep::Reset, ioError);
    uint64_t size = 0;
    if (!definitions->Size(&size)) return DbResult::Io(definitionFile, IoStep::Read, definitions->LastError());
    // 128 fields of generous lines at most.
    if (size > 1 << 20) return {kErrDbase, kCodeLimit, definitionFile};
    text.resize(static_cast<size_t>(size));
    if (!ReadExactly(*definitions, 0, text.data(), text.size())) {
      return DbResult::Io(definitionFile, IoStep::Read, definitions->LastError());
    }
  }
  std::vector<DbfField> fields;
  if (auto parsed = ParseDefinitions(text, &fields); !parsed) return parsed;
  std::vector<uint8_t> bytes = BuildDbfHeader(fields, today);
  bytes.push_back(kFileEnd);
  const bool memo = bytes[0] == kVersionMemo;
  const std::string memoName = SiblingName(tableName, ".DBT");
  const std::string tableTemporary = SiblingName(tableName, ".$CB");
  const std::string memoTemporary = SiblingName(tableName, ".$CT");
  DbResult result;
  {
    auto table = files.Open(tableTemporary, OpenMode::Create, &ioError);
    if (!table) return DbResult::Io(tableTemporary, IoStep::Rewrite, ioError);
    if (!table->Write(0, bytes.data(), bytes.size()) || !table->Flush()) {
      result = DbResult::Io(tableName, IoStep::Write, table->LastError());
    }
    if (result && memo) {
      auto memoFile = files.Open(memoTemporary, OpenMode::Create, &ioError);
      if (!memoFile) {
        result = DbResult::Io(memoName, IoStep::Rewrite, ioError);
      } else {
        // The header block alone (next free block 1), as other programs make a new memo
        // file: the first memo goes to block 1.
        std::vector<uint8_t> block(kMemoBlock, 0);
        PutLittle32(block.data(), 1);
        if (!memoFile->Write(0, block.data(), block.size()) || !memoFile->Flush()) {
          result = DbResult::Io(memoName, IoStep::Write, memoFile->LastError());
        }
      }
    }
  }
  if (result && memo && !files.Rename(memoTemporary, memoName, &ioError)) result = DbResult::Io(memoName, IoStep::Rewrite, ioError);
  if (result && !files.Rename(tableTemporary, tableName, &ioError)) {
    result = DbResult::Io(tableName, IoStep::Rewrite, ioError);
    // The memo file of a table that was not made goes too.
    int32_t ignored = 0;
    if (memo) files.Remove(memoName, &ignored);
  }
  if (!result) {
    int32_t ignored = 0;
    files.Remove(tableTemporary, &ignored);
    if (memo) files.Remove(memoTemporary, &ignored);
  }
  return result;
}

}  // namespace talven::dbase
