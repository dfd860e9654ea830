#pragma once
// The table file's header and field descriptors: reader and writer side by side.

#include <cstdint>
#include <string>
#include <vector>

#include "library/dbase/db_result.h"

namespace talven::dbase {

struct DbDate {
  int32_t year = 1900;
  int32_t month = 1;
  int32_t day = 1;
};

struct DbfField {
  std::string name;     // upper case as stored, at most 10 characters
  char type = 'C';      // C D L M N; unknown types read as C
  uint8_t length = 0;
  uint8_t decimals = 0;
  uint32_t offset = 0;  // within the record; the first field at 1
  uint8_t raw[32] = {};
};

struct DbfHeader {
  uint8_t version = 0x03;
  uint8_t year = 0, month = 0, day = 0;  // as stored: year - 1900
  uint32_t recordCount = 0;              // as stored
  uint32_t headerLength = 0;
  uint32_t recordLength = 0;
  uint8_t raw[32] = {};
  std::vector<DbfField> fields;

  bool HasMemo() const { return version == 0x83; }
  // "DD.MM.YY", the year byte taken modulo 100.
  std::string UpdateText() const;
};

// The bytes needed to parse the header: at least 32, then `headerLength`.
uint32_t DbfHeaderLength(const uint8_t first32[32]);
// Checks and decodes header and descriptors (`bytes` holds `size` bytes from offset 0).
DbResult ParseDbfHeader(const uint8_t* bytes, size_t size, DbfHeader* header);
// Complete records that fit in a file of that size.
uint64_t CompleteRecords(const DbfHeader& header, uint64_t fileSize);

// Header, descriptors and 0x0D of a new table without records.
std::vector<uint8_t> BuildDbfHeader(const std::vector<DbfField>& fields, const DbDate& date);
// Writes count and date into a raw 32-byte header.
void StampDbfHeader(uint8_t raw[32], uint32_t recordCount, const DbDate& date);

}  // namespace talven::dbase
