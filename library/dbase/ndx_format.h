#pragma once
// Index files: the header page (reader and writer) and the entries of a 512-byte page,
// read and written in place. A page is a 32-bit entry count, then entries of `entrySize`
// bytes (left page, record number, key); a branch page's last pointer follows the counted
// entries and carries no key.

#include <cstdint>
#include <string>

#include "library/dbase/db_result.h"
#include "library/dbase/limits.h"

namespace talven::dbase {

struct NdxHeader {
  uint32_t root = 1;
  uint32_t nextFree = 2;
  uint16_t keyLength = 0;
  uint16_t keysPerPage = 0;
  uint16_t keyType = 0;  // 1 numeric, 0 character
  uint16_t entrySize = 0;
  std::string expression;
  uint8_t raw[kPageSize] = {};

  bool Numeric() const { return keyType == 1; }
};

// Geometry of a key: entry size key + 8 rounded up to 4, keys per page 504 / entry size.
uint16_t NdxEntrySize(uint32_t keyLength);
uint16_t NdxKeysPerPage(uint32_t keyLength);

// Checks the header against the layout and the file size (whole pages); an absurd next
// free page is clamped to the file's pages.
DbResult ParseNdxHeader(const uint8_t page[kPageSize], uint64_t fileSize, NdxHeader* header);
void BuildNdxHeader(const NdxHeader& header, uint8_t page[kPageSize]);

// Entries of a page (a buffer may hold one entry more than a page while it is split).
struct NdxPageView {
  uint8_t* bytes;
  uint32_t entrySize;

  uint32_t Count() const;
  void SetCount(uint32_t count);
  uint8_t* Entry(uint32_t i) const { return bytes + 4 + i * entrySize; }
  uint32_t Left(uint32_t i) const;   // i == Count(): the last pointer of a branch page
  uint32_t Record(uint32_t i) const;
  uint8_t* Key(uint32_t i) const { return Entry(i) + 8; }
  void SetLeft(uint32_t i, uint32_t page);
  void SetRecord(uint32_t i, uint32_t record);
};

// Compares two keys: character keys as unsigned bytes, numeric keys as doubles.
int CompareKeys(const uint8_t* a, const uint8_t* b, uint32_t length, bool numeric);

}  // namespace talven::dbase
