// Header and field descriptors of dBase III tables. The reader accepts only what a table
// of this layout can be; every length is checked in 64-bit arithmetic before it is used.

#include "library/dbase/dbf_format.h"

#include <cstdio>
#include <cstring>

#include "common/bytes.h"
#include "library/dbase/limits.h"

namespace talven::dbase {

std::string DbfHeader::UpdateText() const {
  char text[16];
  std::snprintf(text, sizeof text, "%02u.%02u.%02u", day % 100u, month % 100u, year % 100u);
  return text;
}

uint32_t DbfHeaderLength(const uint8_t first32[32]) { return GetLittle16(first32 + 8); }

DbResult ParseDbfHeader(const uint8_t* bytes, size_t size, DbfHeader* header) {
  if (size < 32) return DbResult::NotDbase("");
  DbfHeader result;
  std::memcpy(result.raw, bytes, 32);
  result.version = bytes[0];
  result.year = bytes[1];
  result.month = bytes[2];
  result.day = bytes[3];
  result.recordCount = GetLittle32(bytes + 4);
  result.headerLength = GetLittle16(bytes + 8);
  result.recordLength = GetLittle16(bytes + 10);
  if (result.version != kVersionPlain && result.version != kVersionMemo) return DbResult::NotDbase("");
  // Header length 32 n + 33 with 1 <= n <= 128, and the 0x0D after the descriptors.
  const uint64_t headerLength = result.headerLength;
  if (headerLength < 65 || (headerLength - 33) % 32 != 0) return DbResult::NotDbase("");
  const uint64_t fieldCount = (headerLength - 33) / 32;
  if (fieldCount > static_cast<uint64_t>(kMaxFields) || size < headerLength) return DbResult::NotDbase("");
  if (bytes[32 + 32 * fieldCount] != kFieldEnd) return DbResult::NotDbase("");
  uint64_t offset = 1;
  for (uint64_t i = 0; i < fieldCount; ++i) {
    const uint8_t* descriptor = bytes + 32 + 32 * i;
    DbfField field;
    std::memcpy(field.raw, descriptor, 32);
    // The name ends at a zero byte; without one it is cut at 10 characters.
    size_t length = 0;
    while (length < static_cast<size_t>(kFieldNameLength) && descriptor[length] != 0) ++length;
    field.name.assign(reinterpret_cast<const char*>(descriptor), length);
    while (!field.name.empty() && field.name.back() == ' ') field.name.pop_back();
    const char type = static_cast<char>(descriptor[11]);
    field.type = (type == 'C' || type == 'D' || type == 'L' || type == 'M' || type == 'N') ? type : 'C';
    field.length = descriptor[16];
    field.decimals = descriptor[17];
    if (field.length == 0) return DbResult::NotDbase("");
    field.offset = static_cast<uint32_t>(offset);
    offset += field.length;
    result.fields.push_back(std::move(field));
  }
  if (offset != result.recordLength) return DbResult::NotDbase("");
  *header = std::move(result);
  return DbResult::Success();
}

uint64_t CompleteRecords(const DbfHeader& header, uint64_t fileSize) {
  if (fileSize <= header.headerLength || header.recordLength == 0) return 0;
  const uint64_t fit = (fileSize - header.headerLength) / header.recordLength;
  return fit < header.recordCount ? fit : header.recordCount;
}

void StampDbfHeader(uint8_t raw[32], uint32_t recordCount, const DbDate& date) {
  raw[1] = static_cast<uint8_t>(date.year - 1900);
  raw[2] = static_cast<uint8_t>(date.month);
  raw[3] = static_cast<uint8_t>(date.day);
  PutLittle32(raw + 4, recordCount);
}

std::vector<uint8_t> BuildDbfHeader(const std::vector<DbfField>& fields, const DbDate& date) {
  const size_t headerLength = 32 * fields.size() + 33;
  std::vector<uint8_t> bytes(headerLength, 0);
  uint32_t recordLength = 1;
  bool memo = false;
  for (size_t i = 0; i < fields.size(); ++i) {
    uint8_t* descriptor = bytes.data() + 32 + 32 * i;
    std::memcpy(descriptor, fields[i].name.data(), std::min<size_t>(fields[i].name.size(), kFieldNameLength));
    descriptor[11] = static_cast<uint8_t>(fields[i].type);
    descriptor[16] = fields[i].length;
    descriptor[17] = fields[i].decimals;
    recordLength += fields[i].length;
    memo = memo || fields[i].type == 'M';
  }
  bytes[0] = memo ? kVersionMemo : kVersionPlain;
  StampDbfHeader(bytes.data(), 0, date);
  PutLittle16(bytes.data() + 8, static_cast<uint32_t>(headerLength));
  PutLittle16(bytes.data() + 10, recordLength);
  bytes[headerLength - 1] = kFieldEnd;
  return bytes;
}

}  // namespace talven::dbase
