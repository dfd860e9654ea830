// TLVSFX.BIN: the extractor stub, the front part of every self-extracting archive.

#include <windows.h>

#include "sfx/win32/win32_sfx_host.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  return talven::sfx::RunStub(instance);
}
