#pragma once
// Files held in memory (tests, fuzzing) and files that fail on purpose: the Nth write,
// positioned read ("seek"), truncation or rename of a wrapped file system fails once, or
// from then on.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "library/dbase/db_file.h"

namespace talven::dbase {

using Bytes = std::vector<uint8_t>;

class MemoryFileSystem final : public DbFileSystem {
 public:
  std::unique_ptr<DbFile> Open(const std::string& name, OpenMode mode, int32_t* ioError) override;
  bool Rename(const std::string& from, const std::string& to, int32_t* ioError) override;
  bool Remove(const std::string& name, int32_t* ioError) override;
  bool Exists(const std::string& name) override;

  // Direct access for tests: the content of a file (created empty when missing).
  Bytes& Content(const std::string& name);
  void Put(const std::string& name, Bytes content);
  std::vector<std::string> Names() const;

 private:
  std::map<std::string, std::shared_ptr<Bytes>> m_files;
};

enum class FaultKind { Write, Seek, Truncate, Rename };

class FaultFileSystem final : public DbFileSystem {
 public:
  explicit FaultFileSystem(DbFileSystem& inner) : m_inner(inner) {}
  // Fails the Nth operation of that kind (counted from 1 after this call); with
  // `sticky` every later one fails too.
  void Arm(FaultKind kind, int64_t nth, bool sticky = false);
  void Disarm() { m_armed = false; }
  bool Fired() const { return m_fired; }
  int64_t Count(FaultKind kind) const { return m_counts[static_cast<int>(kind)]; }

  std::unique_ptr<DbFile> Open(const std::string& name, OpenMode mode, int32_t* ioError) override;
  bool Rename(const std::string& from, const std::string& to, int32_t* ioError) override;
  bool Remove(const std::string& name, int32_t* ioError) override;
  bool Exists(const std::string& name) override { return m_inner.Exists(name); }

  // True when this operation must fail.
  bool Tick(FaultKind kind);

 private:
  DbFileSystem& m_inner;
  bool m_armed = false;
  bool m_sticky = false;
  bool m_fired = false;
  FaultKind m_kind = FaultKind::Write;
  int64_t m_nth = 0;
  int64_t m_counts[4] = {};
};

}  // namespace talven::dbase
