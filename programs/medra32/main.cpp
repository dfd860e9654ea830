// MEDRA32: the setup program.

#include <windows.h>

#include "installer/win32/medra_app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  return talven::installer::RunMedra(instance, GetCommandLineA());
}
