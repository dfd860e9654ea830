// dbfdump: a table as the table layer reads it: header, field descriptors, records with
// their deletion flags, and the memo lines. With --csv, the records as CSV instead.
//
//   dbfdump [--csv] [--width N] TABLE.DBF

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "library/dbase/std_db_file.h"
#include "library/dbase/table.h"

using namespace talven::dbase;

namespace {

int Fail(const DbResult& result) {
  std::fprintf(stderr, "dbfdump: error %d%s%s\n", result.error, result.error == kErrDbase ? ": " : "",
               result.Appended().c_str());
  return 2;
}

std::string Trimmed(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && text[begin] == ' ') ++begin;
  while (end > begin && text[end - 1] == ' ') --end;
  return text.substr(begin, end - begin);
}

std::string Csv(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

}  // namespace

int main(int argc, char** argv) {
  bool csv = false;
  int32_t width = 80;
  std::string name;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--csv") == 0) {
      csv = true;
    } else if (std::strcmp(argv[i], "--width") == 0 && i + 1 < argc) {
      width = std::atoi(argv[++i]);
    } else {
      name = argv[i];
    }
  }
  if (name.empty()) {
    std::fprintf(stderr, "usage: dbfdump [--csv] [--width N] TABLE.DBF\n");
    return 2;
  }
  StdFileSystem files;
  std::unique_ptr<Table> table;
  if (auto opened = Table::Open(files, name, &table); !opened) return Fail(opened);
  table->SetMemoWidth(width);
  const DbfHeader& header = table->Header();
  const auto& fields = table->Fields();
  if (csv) {
    for (size_t f = 0; f < fields.size(); ++f) std::printf("%s%s", f ? "," : "", Csv(fields[f].name).c_str());
    std::printf("\n");
  } else {
    std::printf("table %s: version 0x%02X%s, updated %s, %u records (header says %u), header %u, record %u\n",
                name.c_str(), header.version, header.HasMemo() ? " (memo file)" : "", header.UpdateText().c_str(),
                table->RecordCount(), header.recordCount, header.headerLength, header.recordLength);
    for (size_t f = 0; f < fields.size(); ++f) {
      std::printf("field %3zu %-10s %c %3u %2u  offset %u\n", f + 1, fields[f].name.c_str(), fields[f].type,
                  fields[f].length, fields[f].decimals, fields[f].offset);
    }
  }
  for (uint32_t record = 1; record <= table->RecordCount(); ++record) {
    if (auto moved = table->Go(record); !moved) return Fail(moved);
    if (!csv) std::printf("record %u%s\n", record, table->Deleted() ? " *deleted*" : "");
    for (size_t f = 0; f < fields.size(); ++f) {
      std::string text;
      table->GetField(static_cast<int32_t>(f + 1), &text);
      if (csv) {
        if (fields[f].type == 'M') {
          std::vector<std::string> lines;
          int32_t result = 0;
          table->GetMemo(fields[f].name, &lines, &result);
          std::string joined;
          for (size_t l = 0; l < lines.size(); ++l) joined += (l ? "\n" : "") + lines[l];
          text = joined;
        }
        std::printf("%s%s", f ? "," : "", Csv(Trimmed(text)).c_str());
        continue;
      }
      std::printf("  %-10s [%s]\n", fields[f].name.c_str(), text.c_str());
      if (fields[f].type == 'M') {
        std::vector<std::string> lines;
        int32_t result = 0;
        if (auto memo = table->GetMemo(fields[f].name, &lines, &result); !memo) {
          std::printf("    memo: error %d%s\n", memo.error, memo.Appended().c_str());
        } else if (result > 0) {
          std::printf("    memo (%d):\n", result);
          for (const auto& line : lines) std::printf("    | %s\n", line.c_str());
        }
      }
    }
    if (csv) std::printf("\n");
  }
  return 0;
}
