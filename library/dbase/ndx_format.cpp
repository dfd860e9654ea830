// Header and page layout of dBase III index files.

#include "library/dbase/ndx_format.h"

#include <cstring>

#include "common/bytes.h"

namespace talven::dbase {

uint16_t NdxEntrySize(uint32_t keyLength) { return static_cast<uint16_t>((keyLength + 8 + 3) / 4 * 4); }
uint16_t NdxKeysPerPage(uint32_t keyLength) { return static_cast<uint16_t>(504 / NdxEntrySize(keyLength)); }

DbResult ParseNdxHeader(const uint8_t page[kPageSize], uint64_t fileSize, NdxHeader* header) {
  NdxHeader result;
  std::memcpy(result.raw, page, kPageSize);
  result.root = GetLittle32(page);
  result.nextFree = GetLittle32(page + 4);
  result.keyLength = GetLittle16(page + 12);
  result.keysPerPage = GetLittle16(page + 14);
  result.keyType = GetLittle16(page + 16);
  result.entrySize = GetLittle16(page + 18);
  size_t length = 0;
  while (length < static_cast<size_t>(kMaxKeyLength) && page[24 + length] != 0) ++length;
  result.expression.assign(reinterpret_cast<const char*>(page + 24), length);
  if (fileSize == 0 || fileSize % kPageSize != 0) return DbResult::Index("");
  const uint64_t pages = fileSize / kPageSize;
  if (result.keyLength == 0 || result.keyLength > kMaxKeyLength) return DbResult::Index("");
  if (result.keyType > 1 || (result.Numeric() && result.keyLength != 8)) return DbResult::Index("");
  if (result.entrySize != NdxEntrySize(result.keyLength) || result.keysPerPage != NdxKeysPerPage(result.keyLength)) {
    return DbResult::Index("");
  }
  if (result.nextFree > pages) result.nextFree = static_cast<uint32_t>(pages);
  if (result.root == 0 || result.root >= result.nextFree) return DbResult::Index("");
  *header = std::move(result);
  return DbResult::Success();
}

void BuildNdxHeader(const NdxHeader& header, uint8_t page[kPageSize]) {
  std::memcpy(page, header.raw, kPageSize);
  PutLittle32(page, header.root);
  PutLittle32(page + 4, header.nextFree);
  PutLittle32(page + 8, 0);
  PutLittle16(page + 12, header.keyLength);
  PutLittle16(page + 14, header.keysPerPage);
  PutLittle16(page + 16, header.keyType);
  PutLittle16(page + 18, header.entrySize);
  PutLittle32(page + 20, 0);
  std::memset(page + 24, 0, kMaxKeyLength + 1);
  std::memcpy(page + 24, header.expression.data(), std::min<size_t>(header.expression.size(), kMaxKeyLength));
}

uint32_t NdxPageView::Count() const { return GetLittle32(bytes); }
void NdxPageView::SetCount(uint32_t count) { PutLittle32(bytes, count); }
uint32_t NdxPageView::Left(uint32_t i) const { return GetLittle32(Entry(i)); }
uint32_t NdxPageView::Record(uint32_t i) const { return GetLittle32(Entry(i) + 4); }
void NdxPageView::SetLeft(uint32_t i, uint32_t page) { PutLittle32(Entry(i), page); }
void NdxPageView::SetRecord(uint32_t i, uint32_t record) { PutLittle32(Entry(i) + 4, record); }

int CompareKeys(const uint8_t* a, const uint8_t* b, uint32_t length, bool numeric) {
  if (numeric) {
    const double x = GetLittleDouble(a), y = GetLittleDouble(b);
    return x < y ? -1 : (x > y ? 1 : 0);
  }
  const int order = std::memcmp(a, b, length);
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

}  // namespace talven::dbase
