// cmdrecord: stands in for a program that the editor starts. Appends its own command line,
// exactly as it was handed over, as one line to "commands.txt" beside itself, then ends.
//
// Copied as WINHLP32.EXE it stands in for the help program as well: the system's WinHelp
// starts it and then hands each request to its window of class "MS_WINHELP" (WM_COPYDATA
// with a request block: size, command, data, reserved, offset of the file name, offset of
// the data text). Each request becomes a line "help: COMMAND FILE[ | TEXT]"; it ends on
// HELP_QUIT or after a minute without requests.

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

char g_log[MAX_PATH] = {};

void Append(const char* line) {
  HANDLE file = CreateFileA(g_log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, line, lstrlenA(line), &written, nullptr);
  WriteFile(file, "\r\n", 2, &written, nullptr);
  CloseHandle(file);
}

#pragma pack(push, 1)
struct HelpRequest {
  WORD size;
  WORD command;
  LONG data;
  LONG reserved;
  WORD fileOffset;
  WORD dataOffset;
};
#pragma pack(pop)

// A text inside the request block, or "" when the offset or the text leaves it.
const char* TextAt(const char* block, DWORD size, WORD offset) {
  if (offset == 0 || offset >= size || memchr(block + offset, '\0', size - offset) == nullptr) return "";
  return block + offset;
}

LRESULT CALLBACK HelpWindow(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_COPYDATA) {
    const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
    if (copy->lpData == nullptr || copy->cbData < sizeof(HelpRequest)) return FALSE;
    const char* block = static_cast<const char*>(copy->lpData);
    const auto* request = reinterpret_cast<const HelpRequest*>(block);
    const char* text = TextAt(block, copy->cbData, request->dataOffset);
    char line[1024];
    std::snprintf(line, sizeof line, "help: %u %s%s%s", request->command,
                  TextAt(block, copy->cbData, request->fileOffset), *text ? " | " : "", text);
    Append(line);
    if (request->command == HELP_QUIT) PostQuitMessage(0);
    SetTimer(hwnd, 1, 60000, nullptr);
    return TRUE;
  }
  if (message == WM_TIMER) PostQuitMessage(0);
  return DefWindowProcA(hwnd, message, wparam, lparam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  char* slash = std::strrchr(path, '\\');
  const bool help = lstrcmpiA(slash ? slash + 1 : path, "WINHLP32.EXE") == 0;
  if (slash) slash[1] = '\0';
  lstrcpynA(g_log, path, MAX_PATH - 16);
  lstrcatA(g_log, "commands.txt");
  Append(GetCommandLineA());
  if (!help) return 0;
  WNDCLASSA wc = {};
  wc.lpfnWndProc = HelpWindow;
  wc.hInstance = instance;
  wc.lpszClassName = "MS_WINHELP";
  RegisterClassA(&wc);
  HWND window = CreateWindowA("MS_WINHELP", "Hilfe", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                              instance, nullptr);
  if (!window) return 1;
  SetTimer(window, 1, 60000, nullptr);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}
