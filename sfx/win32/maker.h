#pragma once
// The maker TLVSFX: joins the stub TLVSFX.BIN and a ZIP archive into one program.

#include <windows.h>

namespace talven::sfx {

int RunMaker(const char* parameter);

}  // namespace talven::sfx
