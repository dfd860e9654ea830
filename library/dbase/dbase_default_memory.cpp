// Builds without real files of their own (the fuzzers, and Windows, where the host
// installs the Win32 files): tables live in memory, so no program writes to the disk.

#include "library/dbase/dbase_state.h"
#include "library/dbase/memory_db_file.h"

namespace talven {

std::unique_ptr<dbase::DbFileSystem> DefaultDbFileSystem() { return std::make_unique<dbase::MemoryFileSystem>(); }

}  // namespace talven
