#pragma once
// An archive in memory and a target folder in memory, with failures to inject, for the LHA
// tests and the fuzz target.

#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "installer/lha_archive.h"

namespace talven::installer::test {

class MemoryArchive final : public LhaArchiveFile {
 public:
  explicit MemoryArchive(std::string bytes) : m_bytes(std::move(bytes)) {}
  uint64_t Size() override { return m_bytes.size(); }
  int32_t ReadAt(uint64_t offset, uint8_t* buffer, int32_t size) override {
    if (offset >= m_bytes.size()) return 0;
    const uint64_t left = m_bytes.size() - offset;
    const int32_t count = left < static_cast<uint64_t>(size) ? static_cast<int32_t>(left) : size;
    std::memcpy(buffer, m_bytes.data() + offset, static_cast<size_t>(count));
    return count;
  }

 private:
  std::string m_bytes;
};

class MemoryFolder final : public LhaTargetHost {
 public:
  bool FileExists(const char* path) override { return files.count(path) != 0; }
  bool AskOverwrite(const char* path) override {
    questions.push_back(path);
    return overwrite;
  }
  bool MakeDirectory(const char* path) override {
    folders.insert(path);
    return !failFolders;
  }
  bool OpenTemporary(const char* target) override {
    if (failOpen) return false;
    temporary.clear();
    temporaryOpen = true;
    ++writes;
    return true;
  }
  bool WriteTemporary(const uint8_t* data, int32_t size) override {
    if (failWriteAt != 0 && ++writeCount == failWriteAt) {
      stopped = stopInsteadOfFailing;
      return false;
    }
    temporary.append(reinterpret_cast<const char*>(data), static_cast<size_t>(size));
    return true;
  }
  bool CommitTemporary(const char* target, uint16_t dosDate, uint16_t dosTime) override {
    temporaryOpen = false;
    if (failCommit) return false;
    files[target] = temporary;
    times[target] = static_cast<uint32_t>(dosDate) << 16 | dosTime;
    return true;
  }
  void DiscardTemporary() override {
    temporaryOpen = false;
    ++discarded;
  }
  void Extracted(const char* target) override { extracted.push_back(target); }
  bool Stopped() override { return stopped; }

  std::map<std::string, std::string> files;
  std::map<std::string, uint32_t> times;
  std::set<std::string> folders;
  std::vector<std::string> questions;
  std::vector<std::string> extracted;
  std::string temporary;
  bool temporaryOpen = false;
  bool overwrite = true;
  bool failFolders = false;
  bool failOpen = false;
  bool failCommit = false;
  int32_t failWriteAt = 0;  // the Nth write fails (0: none)
  bool stopInsteadOfFailing = false;  // the Nth write is the host stopping the extraction
  bool stopped = false;
  int32_t writeCount = 0;
  int32_t writes = 0;
  int32_t discarded = 0;
};

}  // namespace talven::installer::test
