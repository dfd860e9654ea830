// Natively the tables are files of the C library.

#include "library/dbase/dbase_state.h"
#include "library/dbase/std_db_file.h"

namespace talven {

std::unique_ptr<dbase::DbFileSystem> DefaultDbFileSystem() { return std::make_unique<dbase::StdFileSystem>(); }

}  // namespace talven
