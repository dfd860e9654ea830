// Level-0 LHA headers:
//   0 header size H (the bytes after the first two)   1 checksum (sum of bytes 2 .. H+1)
//   2 method "-lh5-"   7 packed size   11 original size   15 DOS time   17 DOS date
//   19 attribute   20 level (0)   21 name length N   22 name   22+N CRC-16   (rest: extensions)
// The member's data follows the header; a header size of 0 ends the archive.

#include "installer/lha_archive.h"

#include <cstring>

#include "common/bytes.h"
#include "common/crc16.h"

namespace talven::installer {
namespace {

constexpr int32_t kFixedPart = 22;  // bytes before the name

bool IsDeviceName(const char* part, int32_t length) {
  // The name up to its first dot decides: CON.TXT is the console as well.
  int32_t base = 0;
  while (base < length && part[base] != '.') ++base;
  char upper[8] = {};
  if (base > 7) return false;
  for (int32_t i = 0; i < base; ++i) upper[i] = (part[i] >= 'a' && part[i] <= 'z') ? static_cast<char>(part[i] - 32) : part[i];
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CLOCK$", "CONIN$", "CONOUT$"};
  for (const char* device : kDevices) {
    if (std::strcmp(upper, device) == 0) return true;
  }
  if (base == 4 && (std::strncmp(upper, "COM", 3) == 0 || std::strncmp(upper, "LPT", 3) == 0) && upper[3] >= '0' &&
      upper[3] <= '9') {
    return true;
  }
  return false;
}

class ArchiveSource final : public ByteSource {
 public:
  ArchiveSource(LhaArchiveFile& file, uint64_t offset) : m_file(file), m_offset(offset) {}
  int32_t Read(uint8_t* buffer, int32_t size) override {
    const int32_t got = m_file.ReadAt(m_offset, buffer, size);
    if (got > 0) m_offset += static_cast<uint64_t>(got);
    return got;
  }

 private:
  LhaArchiveFile& m_file;
  uint64_t m_offset;
};

// Counts and checksums what passes on to the real sink.
class CheckingSink final : public ByteSink {
 public:
  explicit CheckingSink(ByteSink& next) : m_next(next) {}
  bool Write(const uint8_t* data, int32_t size) override {
    crc = m_crc.Update(crc, std::span<const uint8_t>(data, static_cast<size_t>(size)));
    count += static_cast<uint64_t>(size);
    return m_next.Write(data, size);
  }
  uint16_t crc = 0;
  uint64_t count = 0;

 private:
  ByteSink& m_next;
  Crc16 m_crc;
};

class TemporarySink final : public ByteSink {
 public:
  explicit TemporarySink(LhaTargetHost& host) : m_host(host) {}
  bool Write(const uint8_t* data, int32_t size) override { return m_host.WriteTemporary(data, size); }

 private:
  LhaTargetHost& m_host;
};

void CopyName(const char* name, char* out, int32_t outSize) {
  if (out == nullptr || outSize <= 0) return;
  int32_t i = 0;
  for (; name[i] != 0 && i < outSize - 1; ++i) out[i] = name[i];
  out[i] = 0;
}

}  // namespace

DosTime DecodeDosTime(uint16_t dosDate, uint16_t dosTime) {
  return DosTime{1980 + (dosDate >> 9), (dosDate >> 5) & 15, dosDate & 31,
                 dosTime >> 11,         (dosTime >> 5) & 63, (dosTime & 31) * 2};
}

int32_t ReadLhaHeader(LhaArchiveFile& file, uint64_t offset, LhaHeader& header) {
  const uint64_t size = file.Size();
  if (offset >= size) return kLhaEnd;
  uint8_t bytes[2 + 255];
  const uint64_t available = size - offset;
  const int32_t want = available < sizeof(bytes) ? static_cast<int32_t>(available) : static_cast<int32_t>(sizeof(bytes));
  const int32_t got = file.ReadAt(offset, bytes, want);
  if (got < 1) return kLhaDamaged;
  if (bytes[0] == 0) return kLhaEnd;
  const int32_t total = bytes[0] + 2;
  if (got < total) return kLhaDamaged;  // the archive ends inside the header
  if (total < 7 || bytes[2] != '-' || bytes[3] != 'l' || bytes[6] != '-') return kLhaBadHeader;
  if (total > 20 && bytes[20] >= 2) return kLhaBadMethod;  // level 2 and later: another layout
  uint8_t sum = 0;
  for (int32_t i = 2; i < total; ++i) sum = static_cast<uint8_t>(sum + bytes[i]);
  if (sum != bytes[1]) return kLhaBadHeader;
  if (total < kFixedPart) return kLhaBadHeader;
  const int32_t nameLength = bytes[21];
  if (total < kFixedPart + nameLength + 2) return kLhaBadHeader;  // shorter than its name and CRC
  header = LhaHeader{};
  header.offset = offset;
  header.dataOffset = offset + static_cast<uint64_t>(total);
  std::memcpy(header.method, bytes + 2, 5);
  header.packedSize = GetLittle32(bytes + 7);
  header.originalSize = GetLittle32(bytes + 11);
  header.dosTime = GetLittle16(bytes + 15);
  header.dosDate = GetLittle16(bytes + 17);
  header.attribute = bytes[19];
  header.level = bytes[20];
  if (header.level != 0) return kLhaBadMethod;  // level 1: extended headers inside the data
  header.nameLength = nameLength;
  std::memcpy(header.name, bytes + kFixedPart, static_cast<size_t>(nameLength));
  header.crc = GetLittle16(bytes + kFixedPart + nameLength);
  return kLhaOk;
}

int32_t FindFirstHeader(LhaArchiveFile& file, uint64_t& offset) {
  const uint64_t size = file.Size();
  uint8_t bytes[kLhaSearchSize + 8];
  const int32_t want = size < sizeof(bytes) ? static_cast<int32_t>(size) : static_cast<int32_t>(sizeof(bytes));
  const int32_t got = want > 0 ? file.ReadAt(0, bytes, want) : 0;
  bool sawBadHeader = false;
  // "-l??-" at position 2 or later: the header starts two bytes before it. A candidate whose
  // checksum fails is taken for bytes of the stub and the search goes on.
  for (int32_t p = 2; p + 5 <= got && p < kLhaSearchSize; ++p) {
    if (bytes[p] != '-' || bytes[p + 1] != 'l' || bytes[p + 4] != '-') continue;
    LhaHeader header;
    const int32_t code = ReadLhaHeader(file, static_cast<uint64_t>(p - 2), header);
    if (code == kLhaBadHeader || code == kLhaEnd) {
      sawBadHeader = true;
      continue;
    }
    offset = static_cast<uint64_t>(p - 2);
    return kLhaOk;
  }
  return sawBadHeader ? kLhaBadHeader : kLhaNoHeader;
}

int32_t PlanMemberPath(const char* targetDir, const char* storedName, char* target, int32_t targetSize,
                       int32_t* subdirEnds, int32_t& subdirCount) {
  subdirCount = 0;
  const int32_t dirLength = static_cast<int32_t>(std::strlen(targetDir));
  if (storedName[0] == 0 || storedName[0] == '\\' || storedName[0] == '/') return kLhaUnsafeName;
  if (dirLength + 2 >= targetSize) return kLhaUnsafeName;
  std::memcpy(target, targetDir, static_cast<size_t>(dirLength));
  int32_t length = dirLength;
  const char* part = storedName;
  while (true) {
    const char* end = part;
    while (*end != 0 && *end != '\\' && *end != '/') {
      const unsigned char c = static_cast<unsigned char>(*end);
      if (c < 0x20 || c == 0x7F || std::strchr(":<>\"|?*", c) != nullptr) return kLhaUnsafeName;
      ++end;
    }
    const int32_t partLength = static_cast<int32_t>(end - part);
    const bool last = *end == 0;
    if (partLength == 0) return kLhaUnsafeName;
    if (!(partLength == 1 && part[0] == '.')) {
      // ".." leaves the folder; Windows drops trailing dots and blanks, so "... " would too.
      if (part[partLength - 1] == '.' || part[partLength - 1] == ' ') return kLhaUnsafeName;
      if (IsDeviceName(part, partLength)) return kLhaUnsafeName;
      if (length + 1 + partLength >= targetSize) return kLhaUnsafeName;
      target[length++] = '\\';
      std::memcpy(target + length, part, static_cast<size_t>(partLength));
      length += partLength;
      if (!last) {
        if (subdirCount == 32) return kLhaUnsafeName;
        subdirEnds[subdirCount++] = length;
      }
    } else if (last) {
      return kLhaUnsafeName;  // a name that is only "." or ends in it names no file
    }
    if (last) break;
    part = end + 1;
  }
  target[length] = 0;
  return kLhaOk;
}

int32_t DecodeMember(LhaArchiveFile& file, const LhaHeader& header, ByteSink& sink) {
  const uint64_t size = file.Size();
  if (header.dataOffset > size || header.packedSize > size - header.dataOffset) return kLhaDamaged;
  ArchiveSource source(file, header.dataOffset);
  CheckingSink checking(sink);
  DecodeStatus status;
  if (std::memcmp(header.method, "-lh0-", 5) == 0) {
    status = CopyStored(source, header.packedSize, checking, header.originalSize);
  } else if (std::memcmp(header.method, "-lh5-", 5) == 0) {
    status = DecodeLhStatic(kLh5DictionaryBits, source, header.packedSize, checking, header.originalSize);
  } else if (std::memcmp(header.method, "-lh4-", 5) == 0) {
    status = DecodeLhStatic(kLh4DictionaryBits, source, header.packedSize, checking, header.originalSize);
  } else {
    return kLhaBadMethod;
  }
  if (status == DecodeStatus::WriteFailed) return kLhaCannotCreate;
  if (status != DecodeStatus::Ok || checking.count != header.originalSize) return kLhaDamaged;
  if (checking.crc != header.crc) return kLhaBadCrc;
  return kLhaOk;
}

int32_t ExtractArchive(LhaArchiveFile& file, const char* targetDir, LhaTargetHost& host, char* failedName,
                       int32_t failedNameSize) {
  CopyName("", failedName, failedNameSize);
  uint64_t offset = 0;
  int32_t code = FindFirstHeader(file, offset);
  if (code != kLhaOk) return code;
  while (true) {
    LhaHeader header;
    code = ReadLhaHeader(file, offset, header);
    if (code == kLhaEnd) return kLhaOk;
    if (code != kLhaOk) return code;
    CopyName(header.name, failedName, failedNameSize);
    const bool known = std::memcmp(header.method, "-lh0-", 5) == 0 || std::memcmp(header.method, "-lh4-", 5) == 0 ||
                       std::memcmp(header.method, "-lh5-", 5) == 0;
    const bool directory = std::memcmp(header.method, "-lhd-", 5) == 0;
    if (!known && !directory) return kLhaBadMethod;
    if (header.dataOffset > file.Size() || header.packedSize > file.Size() - header.dataOffset) return kLhaDamaged;
    char target[kLhaMaxPath];
    int32_t subdirEnds[32];
    int32_t subdirCount = 0;
    code = PlanMemberPath(targetDir, header.name, target, sizeof(target), subdirEnds, subdirCount);
    if (code != kLhaOk) return code;
    for (int32_t i = 0; i < subdirCount; ++i) {
      char folder[kLhaMaxPath];
      std::memcpy(folder, target, static_cast<size_t>(subdirEnds[i]));
      folder[subdirEnds[i]] = 0;
      if (!host.MakeDirectory(folder)) return kLhaCannotCreate;
    }
    if (directory) {
      if (!host.MakeDirectory(target)) return kLhaCannotCreate;
    } else if (!host.FileExists(target) || host.AskOverwrite(target)) {
      if (!host.OpenTemporary(target)) return kLhaCannotCreate;
      TemporarySink sink(host);
      code = DecodeMember(file, header, sink);
      if (code != kLhaOk) {
        host.DiscardTemporary();
        return code == kLhaCannotCreate && host.Stopped() ? kLhaStopped : code;
      }
      if (!host.CommitTemporary(target, header.dosDate, header.dosTime)) {
        host.DiscardTemporary();
        return kLhaCannotCreate;
      }
      host.Extracted(target);
    }
    offset = header.dataOffset + header.packedSize;
  }
}

}  // namespace talven::installer
