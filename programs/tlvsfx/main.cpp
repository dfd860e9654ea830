// TLVSFX: makes a self-extracting program from a ZIP archive.

#include <windows.h>

#include <cstdlib>

#include "sfx/win32/maker.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return talven::sfx::RunMaker(__argc > 1 ? __argv[1] : nullptr);
}
