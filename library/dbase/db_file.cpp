// Helpers on the file interface, and the in-memory and fault-injecting file systems.

#include "library/dbase/db_file.h"

#include <algorithm>
#include <cstring>

#include "library/dbase/memory_db_file.h"

namespace talven::dbase {

bool ReadExactly(DbFile& file, uint64_t offset, void* buffer, size_t count) {
  size_t got = 0;
  return file.Read(offset, buffer, count, &got) && got == count;
}

namespace {

// Files past 1 GB are refused in memory: hostile offsets must not exhaust the machine.
constexpr uint64_t kMemoryFileLimit = uint64_t{1} << 30;

class MemoryFile final : public DbFile {
 public:
  MemoryFile(std::shared_ptr<Bytes> bytes, bool readOnly) : m_bytes(std::move(bytes)), m_readOnly(readOnly) {}

  bool Read(uint64_t offset, void* buffer, size_t count, size_t* got) override {
    *got = 0;
    if (offset >= m_bytes->size()) return true;
    *got = static_cast<size_t>(std::min<uint64_t>(count, m_bytes->size() - offset));
    std::memcpy(buffer, m_bytes->data() + offset, *got);
    return true;
  }
  bool Write(uint64_t offset, const void* buffer, size_t count) override {
    if (m_readOnly || offset + count > kMemoryFileLimit) {
      m_error = m_readOnly ? kIoAccessDenied : kIoWriteError;
      return false;
    }
    if (offset + count > m_bytes->size()) m_bytes->resize(static_cast<size_t>(offset + count), 0);
    if (count > 0) std::memcpy(m_bytes->data() + offset, buffer, count);
    return true;
  }
  bool Size(uint64_t* size) override {
    *size = m_bytes->size();
    return true;
  }
  bool Truncate(uint64_t size) override {
    if (m_readOnly || size > kMemoryFileLimit) {
      m_error = kIoWriteError;
      return false;
    }
    m_bytes->resize(static_cast<size_t>(size), 0);
    return true;
  }
  bool Flush() override { return true; }
  int32_t LastError() const override { return m_error; }

 private:
  std::shared_ptr<Bytes> m_bytes;
  bool m_readOnly;
  int32_t m_error = 0;
};

class FaultFile final : public DbFile {
 public:
  FaultFile(std::unique_ptr<DbFile> inner, FaultFileSystem& owner) : m_inner(std::move(inner)), m_owner(owner) {}

  bool Read(uint64_t offset, void* buffer, size_t count, size_t* got) override {
    if (m_owner.Tick(FaultKind::Seek)) {
      *got = 0;
      m_error = kIoReadError;
      return false;
    }
    return Pass(m_inner->Read(offset, buffer, count, got));
  }
  bool Write(uint64_t offset, const void* buffer, size_t count) override {
    if (m_owner.Tick(FaultKind::Seek) || m_owner.Tick(FaultKind::Write)) {
      m_error = kIoWriteError;
      return false;
    }
    return Pass(m_inner->Write(offset, buffer, count));
  }
  bool Size(uint64_t* size) override { return Pass(m_inner->Size(size)); }
  bool Truncate(uint64_t size) override {
    if (m_owner.Tick(FaultKind::Truncate)) {
      m_error = kIoWriteError;
      return false;
    }
    return Pass(m_inner->Truncate(size));
  }
  bool Flush() override { return Pass(m_inner->Flush()); }
  int32_t LastError() const override { return m_error; }

 private:
  bool Pass(bool ok) {
    if (!ok) m_error = m_inner->LastError();
    return ok;
  }
  std::unique_ptr<DbFile> m_inner;
  FaultFileSystem& m_owner;
  int32_t m_error = 0;
};

}  // namespace

std::unique_ptr<DbFile> MemoryFileSystem::Open(const std::string& name, OpenMode mode, int32_t* ioError) {
  auto found = m_files.find(name);
  if (mode == OpenMode::Create) {
    if (found == m_files.end()) found = m_files.emplace(name, std::make_shared<Bytes>()).first;
    found->second->clear();
  } else if (found == m_files.end()) {
    *ioError = kIoFileNotFound;
    return nullptr;
  }
  *ioError = 0;
  return std::make_unique<MemoryFile>(found->second, mode == OpenMode::ReadOnly);
}

bool MemoryFileSystem::Rename(const std::string& from, const std::string& to, int32_t* ioError) {
  auto found = m_files.find(from);
  if (found == m_files.end()) {
    *ioError = kIoFileNotFound;
    return false;
  }
  if (from == to) return true;
  auto bytes = found->second;
  m_files.erase(found);
  m_files[to] = bytes;
  return true;
}

bool MemoryFileSystem::Remove(const std::string& name, int32_t* ioError) {
  if (m_files.erase(name) == 0) {
    *ioError = kIoFileNotFound;
    return false;
  }
  return true;
}

bool MemoryFileSystem::Exists(const std::string& name) { return m_files.count(name) != 0; }

Bytes& MemoryFileSystem::Content(const std::string& name) {
  auto& slot = m_files[name];
  if (!slot) slot = std::make_shared<Bytes>();
  return *slot;
}

void MemoryFileSystem::Put(const std::string& name, Bytes content) {
  m_files[name] = std::make_shared<Bytes>(std::move(content));
}

std::vector<std::string> MemoryFileSystem::Names() const {
  std::vector<std::string> names;
  for (const auto& entry : m_files) names.push_back(entry.first);
  return names;
}

void FaultFileSystem::Arm(FaultKind kind, int64_t nth, bool sticky) {
  m_armed = true;
  m_sticky = sticky;
  m_fired = false;
  m_kind = kind;
  m_nth = nth;
  for (auto& count : m_counts) count = 0;
}

bool FaultFileSystem::Tick(FaultKind kind) {
  const int64_t count = ++m_counts[static_cast<int>(kind)];
  if (!m_armed || kind != m_kind) return false;
  if (count == m_nth || (m_sticky && count > m_nth)) {
    m_fired = true;
    return true;
  }
  return false;
}

std::unique_ptr<DbFile> FaultFileSystem::Open(const std::string& name, OpenMode mode, int32_t* ioError) {
  auto inner = m_inner.Open(name, mode, ioError);
  if (!inner) return nullptr;
  return std::make_unique<FaultFile>(std::move(inner), *this);
}

bool FaultFileSystem::Rename(const std::string& from, const std::string& to, int32_t* ioError) {
  if (Tick(FaultKind::Rename)) {
    *ioError = kIoAccessDenied;
    return false;
  }
  return m_inner.Rename(from, to, ioError);
}

bool FaultFileSystem::Remove(const std::string& name, int32_t* ioError) { return m_inner.Remove(name, ioError); }

}  // namespace talven::dbase
