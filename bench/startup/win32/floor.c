/* The floor of a start-up under Wine: a 32-bit GUI program that does what every window
   program does before its first statement (register a class, make a window, take its
   messages until none are left) and ends. bench/startup.sh times it beside TALVEN.EXE. */
#include <windows.h>

static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  return DefWindowProcA(window, message, w, l);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command, int show) {
  WNDCLASSA type = {0};
  MSG message;
  HWND window;
  (void)previous;
  (void)command;
  type.lpfnWndProc = Procedure;
  type.hInstance = instance;
  type.lpszClassName = "StartupFloor";
  if (!RegisterClassA(&type)) return 1;
  window = CreateWindowExA(0, "StartupFloor", "floor", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                           CW_USEDEFAULT, 320, 200, NULL, NULL, instance, NULL);
  if (window == NULL) return 1;
  ShowWindow(window, show);
  while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  DestroyWindow(window);
  return 0;
}
