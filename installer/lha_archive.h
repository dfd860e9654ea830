#pragma once
// LHA archives with level-0 headers: finding the first header behind a program stub,
// reading headers, planning safe target names and extracting members. Pure and free of
// exceptions; the archive and the target folder are reached through two small interfaces.

#include <cstdint>

#include "installer/lha_decoder.h"

namespace talven::installer {

// Results of the archive reader; the codes reach the setup's error dialog.
enum LhaCode : int32_t {
  kLhaOk = 0,
  kLhaEnd = 1,               // no further header
  kLhaBadHeader = 2021,      // no "-l", checksum mismatch, header shorter than its name
  kLhaBadMethod = 2022,      // a method other than -lh0-, -lh4-, -lh5- (or a later header level)
  kLhaCannotCreate = 2023,   // the member's file could not be created, written or renamed
  kLhaBadCrc = 2024,         // the extracted data does not match its CRC-16
  kLhaDamaged = 2025,        // damaged or truncated data, past the archive's end or its size
  kLhaNoHeader = 2026,       // no header in the first 16384 bytes
  kLhaUnsafeName = 2027,     // a member name that would leave the target folder
  kLhaStopped = 18,          // the host stopped the extraction (the user ended the setup)
};

inline constexpr int32_t kLhaSearchSize = 16384;
inline constexpr int32_t kLhaMaxPath = 260;

class LhaArchiveFile {
 public:
  virtual uint64_t Size() = 0;
  // Up to size bytes from offset; the count read, < 0 on failure.
  virtual int32_t ReadAt(uint64_t offset, uint8_t* buffer, int32_t size) = 0;

 protected:
  ~LhaArchiveFile() = default;
};

// The target folder. Each member goes to a temporary file beside its target, which replaces
// the target only after the member's size and CRC checked out.
class LhaTargetHost {
 public:
  virtual bool FileExists(const char* path) = 0;
  // "Diese Datei existiert bereits. Soll sie ueberschrieben werden": true to overwrite.
  virtual bool AskOverwrite(const char* path) = 0;
  virtual bool MakeDirectory(const char* path) = 0;  // true when it exists afterwards
  virtual bool OpenTemporary(const char* target) = 0;
  virtual bool WriteTemporary(const uint8_t* data, int32_t size) = 0;
  // Closes the temporary file, gives it the DOS time and puts it in place of target.
  virtual bool CommitTemporary(const char* target, uint16_t dosDate, uint16_t dosTime) = 0;
  virtual void DiscardTemporary() = 0;
  virtual void Extracted(const char* target) = 0;
  // True when a refused write was the host stopping the extraction, not a write failure.
  virtual bool Stopped() { return false; }

 protected:
  ~LhaTargetHost() = default;
};

struct LhaHeader {
  uint64_t offset = 0;      // of the header's first byte
  uint64_t dataOffset = 0;  // of the member's data
  char method[6] = {};      // "-lh5-"
  uint32_t packedSize = 0;
  uint32_t originalSize = 0;
  uint16_t dosTime = 0;
  uint16_t dosDate = 0;
  uint8_t attribute = 0;
  uint8_t level = 0;
  uint16_t crc = 0;
  int32_t nameLength = 0;
  char name[256] = {};  // as stored, zero-terminated (a NUL inside is kept as the end)
};

struct DosTime {
  int32_t year, month, day, hour, minute, second;
};
DosTime DecodeDosTime(uint16_t dosDate, uint16_t dosTime);

// The offset of the first header within the first kLhaSearchSize bytes: kLhaOk,
// kLhaNoHeader, or kLhaBadHeader when only headers with a wrong checksum were seen.
int32_t FindFirstHeader(LhaArchiveFile& file, uint64_t& offset);
// The header at offset: kLhaOk, kLhaEnd, or a code.
int32_t ReadLhaHeader(LhaArchiveFile& file, uint64_t offset, LhaHeader& header);
// The target path of a stored name inside targetDir (without a trailing backslash), with
// "\" as separator: kLhaOk or kLhaUnsafeName. subdirEnds receives the lengths of the
// prefixes of target that are sub-folders to create (at most 32).
int32_t PlanMemberPath(const char* targetDir, const char* storedName, char* target, int32_t targetSize,
                       int32_t* subdirEnds, int32_t& subdirCount);
// Decodes a member's data into sink and checks size and CRC: kLhaOk or a code.
int32_t DecodeMember(LhaArchiveFile& file, const LhaHeader& header, ByteSink& sink);
// Extracts every member into targetDir. On failure failedName receives the member's name.
int32_t ExtractArchive(LhaArchiveFile& file, const char* targetDir, LhaTargetHost& host, char* failedName,
                       int32_t failedNameSize);

}  // namespace talven::installer
