// ndxdump: an index file's header, its pages and entries in tree order. With --check, the
// tree is checked (order, page geometry, equal depth, each page once) and, given the
// table, every record has exactly one entry with its current key.
//
//   ndxdump [--check] [--quiet] [TABLE.DBF] INDEX.NDX

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "library/dbase/std_db_file.h"
#include "library/dbase/table.h"

using namespace talven::dbase;
using talven::GetLittleDouble;

namespace {

std::string KeyText(const std::string& key, bool numeric) {
  if (numeric) {
    char text[64];
    std::snprintf(text, sizeof text, "%.15g", GetLittleDouble(reinterpret_cast<const uint8_t*>(key.data())));
    return text;
  }
  return "\"" + key + "\"";
}

}  // namespace

int main(int argc, char** argv) {
  bool check = false, quiet = false;
  std::vector<std::string> names;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--check") == 0) {
      check = true;
    } else if (std::strcmp(argv[i], "--quiet") == 0) {
      quiet = true;
    } else {
      names.push_back(argv[i]);
    }
  }
  if (names.empty() || names.size() > 2) {
    std::fprintf(stderr, "usage: ndxdump [--check] [--quiet] [TABLE.DBF] INDEX.NDX\n");
    return 2;
  }
  StdFileSystem files;
  std::unique_ptr<NdxIndex> index;
  if (auto opened = NdxIndex::Open(files, names.back(), &index); !opened) {
    std::fprintf(stderr, "ndxdump: error %d%s\n", opened.error, opened.Appended().c_str());
    return 2;
  }
  const NdxHeader& header = index->Header();
  NdxCheck result = index->Check();
  if (!quiet) {
    std::printf("index %s: root %u, next free %u, key length %u (%s), keys per page %u, entry size %u\n",
                names.back().c_str(), header.root, header.nextFree, header.keyLength,
                header.Numeric() ? "numeric" : "character", header.keysPerPage, header.entrySize);
    std::printf("expression: %s\n", header.expression.c_str());
    std::printf("pages in the tree: %u, depth %u, entries %zu\n", result.pages, result.depth, result.entries.size());
    for (const auto& entry : result.entries) {
      std::printf("%8u %s\n", entry.record, KeyText(entry.key, header.Numeric()).c_str());
    }
  }
  if (check && names.size() == 2) {
    std::unique_ptr<Table> table;
    if (auto opened = Table::Open(files, names.front(), &table); !opened) {
      std::fprintf(stderr, "ndxdump: table: error %d%s\n", opened.error, opened.Appended().c_str());
      return 2;
    }
    KeyExpression key;
    if (!ParseKeyExpression(header.expression, table->Fields(), &key) || key.length != header.keyLength) {
      result.problems.push_back("the expression does not fit the table");
    } else {
      std::map<uint32_t, std::string> byRecord;
      for (const auto& entry : result.entries) {
        if (entry.record == 0 || entry.record > table->RecordCount()) {
          result.problems.push_back("entry for record " + std::to_string(entry.record) + " outside the table");
        } else if (!byRecord.emplace(entry.record, entry.key).second) {
          result.problems.push_back("record " + std::to_string(entry.record) + " has two entries");
        }
      }
      std::vector<uint8_t> keyBytes(header.keyLength + 8);
      for (uint32_t record = 1; record <= table->RecordCount(); ++record) {
        table->Go(record);
        BuildKey(key, table->Fields(), table->Buffer().data(), keyBytes.data());
        const std::string expected(reinterpret_cast<const char*>(keyBytes.data()), header.keyLength);
        auto found = byRecord.find(record);
        if (found == byRecord.end()) {
          result.problems.push_back("record " + std::to_string(record) + " has no entry");
        } else if (found->second != expected) {
          result.problems.push_back("record " + std::to_string(record) + " has a stale key " +
                                    KeyText(found->second, header.Numeric()));
        }
      }
    }
  }
  if (check) {
    for (const auto& problem : result.problems) std::printf("problem: %s\n", problem.c_str());
    std::printf("%s\n", result.problems.empty() ? "check: clean" : "check: FAILED");
    return result.problems.empty() ? 0 : 1;
  }
  return 0;
}
