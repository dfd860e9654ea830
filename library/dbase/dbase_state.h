#pragma once
// The run state of the family "dbase": the table slots #1 .. #15 and the current table,
// and the platform that gives the tables their files.

#include <array>
#include <cstdint>
#include <memory>

#include "engine/family.h"
#include "library/dbase/db_file.h"
#include "library/dbase/limits.h"
#include "library/dbase/table.h"
#include "library/families.h"

namespace talven {

// Where the tables' files live: Win32 files in the programs, the C library's natively.
class DbasePlatform : public FamilyPlatform {
 public:
  virtual dbase::DbFileSystem& Files() = 0;
};

// A platform around a file system of its own.
class OwnedDbasePlatform final : public DbasePlatform {
 public:
  explicit OwnedDbasePlatform(std::unique_ptr<dbase::DbFileSystem> files) : m_files(std::move(files)) {}
  dbase::DbFileSystem& Files() override { return *m_files; }

 private:
  std::unique_ptr<dbase::DbFileSystem> m_files;
};

// The file system a program gets when its host installed none (the native tests: the
// C library's files; the fuzzers: files in memory; Windows: the host always installs one).
std::unique_ptr<dbase::DbFileSystem> DefaultDbFileSystem();

struct DbaseState : FamilyState {
  std::array<std::unique_ptr<dbase::Table>, dbase::kTableSlots + 1> slots;  // 1-based
  int32_t current = 0;  // 0: no table current
  // The date the tables are stamped with when the run's end closes them: the clock's at
  // the last call that asked it (a run over midnight stamps the later date).
  dbase::DbDate today;

  ~DbaseState() override { CloseAll(); }
  // A run that ended normally closes its tables at once, as DBCLOSE does: the files are
  // complete while the window waits for the user.
  void AfterLastStatement(Engine&) override { CloseAll(); }
  void CloseAll();
  dbase::Table* Current() { return current > 0 ? slots[static_cast<size_t>(current)].get() : nullptr; }
};

// Today's date from the clock, also kept in the state for the closes at the run's end.
dbase::DbDate Today(Engine& engine);

inline DbaseState& DbaseOf(Engine& engine) { return FamilyStateOf<DbaseState>(engine, FamilyId::Dbase); }
inline DbasePlatform& DbasePlatformOf(Engine& engine) {
  return FamilyPlatformOf<DbasePlatform>(engine, FamilyId::Dbase);
}

}  // namespace talven
