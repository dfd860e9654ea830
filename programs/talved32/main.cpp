// TALVED32: the editor.

#include <windows.h>

#include "editor/win32/frame.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  return talven::editor::RunEditor(instance, GetCommandLineA());
}
