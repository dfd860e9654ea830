// The Win32 side of the family "dbase": tables, memos and indexes as Win32 files.

#include "library/dbase/dbase_state.h"
#include "library/dbase/win32/win32_db_file.h"
#include "library/win32/win32_host.h"

namespace talven {

void InstallDbaseWin32(Win32Host& host) {
  host.InstallPlatform(FamilyIndex(FamilyId::Dbase),
                       std::make_unique<OwnedDbasePlatform>(std::make_unique<dbase::Win32FileSystem>()));
}

}  // namespace talven
