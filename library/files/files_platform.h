#pragma once
// What the file statements need from the system beyond the C library's streams:
// directories, attributes, dates, searches, drives, name forms, and the one step of COPY
// that replaces a destination. win32/ implements it with the system's calls; the portable
// default works on the host's file system for the native tests.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "engine/family.h"

namespace talven {

// File attributes in the system's numbering.
inline constexpr uint32_t kAttributeReadOnly = 1;
inline constexpr uint32_t kAttributeHidden = 2;
inline constexpr uint32_t kAttributeSystem = 4;
inline constexpr uint32_t kAttributeDirectory = 16;
inline constexpr uint32_t kAttributeArchive = 32;

struct FoundFile {
  std::string name;
  bool directory = false;
};

// One running file search; ending it (destruction) releases the system's search.
class FileSearch {
 public:
  virtual ~FileSearch() = default;
  virtual std::optional<FoundFile> Next() = 0;
};

struct FileDay {
  int32_t year = 0;
  int32_t month = 0;
  int32_t day = 0;
};

class FilesPlatform : public FamilyPlatform {
 public:
  virtual bool ChangeDirectory(const std::string& path) = 0;
  virtual bool MakeDirectory(const std::string& path) = 0;
  virtual bool DeleteDirectory(const std::string& path) = 0;

  virtual std::optional<uint32_t> Attributes(const std::string& name) = 0;
  virtual bool SetAttributes(const std::string& name, uint32_t attributes) = 0;
  // The local date of the last write.
  virtual std::optional<FileDay> LastWriteDay(const std::string& name) = 0;
  // Size of a named file; nullopt when it cannot be opened.
  virtual std::optional<int64_t> FileSize(const std::string& name) = 0;

  // Starts a search for `mask` (read-only, hidden, system, directories and archive files);
  // the first match is in `first`. nullptr when nothing matches.
  virtual std::unique_ptr<FileSearch> StartSearch(const std::string& mask,
                                                  std::optional<FoundFile>& first) = 0;

  // Drive 0 is the current one, 1 A:, 2 B: ... Bytes; nullopt for no such drive.
  virtual std::optional<double> DiskSize(int32_t drive) = 0;
  virtual std::optional<double> DiskFree(int32_t drive) = 0;
  virtual std::optional<std::string> DriveDirectory(int32_t drive) = 0;
  // The short (8.3) and long forms of a name; nullopt when the file is not there.
  virtual std::optional<std::string> ShortName(const std::string& name) = 0;
  virtual std::optional<std::string> LongName(const std::string& name) = 0;

  // Whether two names reach the same file (both must exist).
  virtual bool SameFile(const std::string& a, const std::string& b) = 0;
  // Moves `from` over `to`, replacing it; false leaves `to` as it was.
  virtual bool Replace(const std::string& from, const std::string& to) = 0;
};

// The default: the host's file system through the C++ library.
std::unique_ptr<FamilyPlatform> MakePortableFiles();

FilesPlatform& FilesPlatformOf(Engine& engine);

}  // namespace talven
