// shellhost: a test fixture that keeps the shell's own program-manager DDE server running
// (Wine starts none by itself), so that group commands have someone to answer them. Ends
// by itself after the number of seconds on its command line (default 120).

#include <windows.h>
#include <objbase.h>

#include <cstdlib>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  CoInitialize(nullptr);
  HMODULE shell = LoadLibraryA("shell32.dll");
  using ShellDdeInit = BOOL(WINAPI*)(BOOL);
  auto init = reinterpret_cast<ShellDdeInit>(reinterpret_cast<void*>(GetProcAddress(shell, MAKEINTRESOURCEA(188))));
  if (init == nullptr) return 1;
  init(TRUE);
  const int seconds = commandLine[0] != 0 ? std::atoi(commandLine) : 120;
  SetTimer(nullptr, 0, static_cast<UINT>(seconds > 0 ? seconds : 120) * 1000, nullptr);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (message.message == WM_TIMER) break;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  init(FALSE);
  CoUninitialize();
  return 0;
}
