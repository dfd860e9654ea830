#include "library/system/win32/win32_system.h"

#include <windows.h>
#include <mmsystem.h>
#include <shellapi.h>

#include <vector>

namespace talven {

namespace {

// The answer buffer of a multimedia command string and of its error text.
constexpr size_t kMciBuffer = 255;

// A text the system writes into a buffer it sizes by its return value.
template <typename Get>
std::string SystemText(Get get) {
  char buffer[MAX_PATH + 1] = {};
  const UINT length = get(buffer, static_cast<UINT>(sizeof(buffer)));
  if (length == 0 || length >= sizeof(buffer)) return {};
  return std::string(buffer, length);
}

}  // namespace

intptr_t Win32System::ModuleHandle() {
  return reinterpret_cast<intptr_t>(GetModuleHandleA(nullptr));
}

intptr_t Win32System::DesktopWindow() { return reinterpret_cast<intptr_t>(GetDesktopWindow()); }

int32_t Win32System::BitsPerPixel() {
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return 0;
  const int32_t bits = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
  ReleaseDC(nullptr, screen);
  return bits;
}

uint32_t Win32System::TickCount() { return GetTickCount(); }

uint32_t Win32System::VersionValue() { return GetVersion(); }

std::string Win32System::WindowsDirectory() {
  return SystemText([](char* buffer, UINT size) { return GetWindowsDirectoryA(buffer, size); });
}

std::string Win32System::SystemDirectory() {
  return SystemText([](char* buffer, UINT size) { return GetSystemDirectoryA(buffer, size); });
}

std::string Win32System::CurrentDirectory() {
  return SystemText([](char* buffer, UINT size) {
    return static_cast<UINT>(GetCurrentDirectoryA(size, buffer));
  });
}

LocalTime Win32System::Now() {
  SYSTEMTIME now = {};
  GetLocalTime(&now);
  LocalTime time;
  time.year = now.wYear;
  time.month = now.wMonth;
  time.day = now.wDay;
  time.weekday = now.wDayOfWeek;
  time.hour = now.wHour;
  time.minute = now.wMinute;
  time.second = now.wSecond;
  time.millisecond = now.wMilliseconds;
  return time;
}

std::optional<std::string> Win32System::Environment(std::string_view name) {
  const std::string nameZ(name);
  const DWORD size = GetEnvironmentVariableA(nameZ.c_str(), nullptr, 0);
  if (size == 0) return std::nullopt;
  std::vector<char> value(size + 1);
  const DWORD length = GetEnvironmentVariableA(nameZ.c_str(), value.data(), size + 1);
  if (length == 0 || length > size) return std::string();
  return std::string(value.data(), length);
}

std::optional<std::string> Win32System::ClipboardText() {
  if (!IsClipboardFormatAvailable(CF_TEXT) || !OpenClipboard(nullptr)) return std::nullopt;
  std::optional<std::string> text;
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    if (const char* chars = static_cast<const char*>(GlobalLock(data))) {
      // The block may be larger than its text: the text ends at its first zero.
      const SIZE_T size = GlobalSize(data);
      size_t length = 0;
      while (length < size && chars[length] != '\0') ++length;
      text = std::string(chars, length);
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

uint32_t Win32System::Execute(const std::string& commandLine, int32_t show) {
  return WinExec(commandLine.c_str(), static_cast<UINT>(show));
}

bool Win32System::ExecuteAndWait(const std::string& commandLine, int32_t show) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(show);
  PROCESS_INFORMATION process = {};
  // CreateProcessA may write into the command line: it gets a copy of its own.
  std::vector<char> command(commandLine.begin(), commandLine.end());
  command.push_back('\0');
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return false;
  }
  // The wait serves this thread's messages: a started program that broadcasts (or sends
  // to the main window) would otherwise wait for us while we wait for it. A quit ends the
  // wait and is posted again for the run loop.
  for (;;) {
    const DWORD woken = MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, INFINITE, QS_ALLINPUT);
    if (woken != WAIT_OBJECT_0 + 1) break;
    MSG msg;
    bool quit = false;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        quit = true;
        break;
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (quit) break;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

intptr_t Win32System::ShellOpen(const std::string& file, const std::string& verb, int32_t show) {
  const HINSTANCE result = ShellExecuteA(nullptr, verb.empty() ? nullptr : verb.c_str(),
                                         file.c_str(), nullptr, nullptr, show);
  return reinterpret_cast<intptr_t>(result);
}

MciAnswer Win32System::SendMci(const std::string& command) {
  char answer[kMciBuffer + 1] = {};
  MciAnswer result;
  result.code = mciSendStringA(command.c_str(), answer, kMciBuffer, nullptr);
  if (result.code == 0) {
    result.text = answer;
  } else {
    char text[kMciBuffer + 1] = {};
    if (mciGetErrorStringA(result.code, text, kMciBuffer)) result.text = text;
  }
  return result;
}

// Ending the session needs the shut-down privilege, which a process holds but has not
// enabled.
bool Win32System::ExitSession(uint32_t flags) {
  HANDLE token = nullptr;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid)) {
      AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    }
    CloseHandle(token);
  }
  return ExitWindowsEx(flags, 0) != FALSE;
}

void Win32System::OpenHelp(intptr_t owner, const std::string& file, uint32_t command,
                           const std::optional<std::string>& keyword) {
  const ULONG_PTR data = keyword ? reinterpret_cast<ULONG_PTR>(keyword->c_str()) : 0;
  WinHelpA(reinterpret_cast<HWND>(owner), file.c_str(), command, data);
}

// Deliberate: ports are out of reach of an ordinary program on this system; the port
// instructions would fault. Reads give 0, writes go nowhere.
uint32_t Win32System::ReadPort(uint16_t, PortWidth) { return 0; }
void Win32System::WritePort(uint16_t, uint32_t, PortWidth) {}

}  // namespace talven
