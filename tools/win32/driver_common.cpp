#include "tools/win32/driver_common.h"

#include <cstdio>
#include <vector>

namespace driver {

std::string Escaped(const std::string& text, LineBreaks breaks) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (breaks == LineBreaks::Folded && c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      out += "\\n";
      ++i;
    } else if (breaks == LineBreaks::Exact && c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

std::string WindowText(HWND hwnd) {
  char buffer[4096] = {};
  SendMessageA(hwnd, WM_GETTEXT, sizeof(buffer), reinterpret_cast<LPARAM>(buffer));
  return buffer;
}

std::string CaptionOf(HWND hwnd) {
  char buffer[1024] = {};
  GetWindowTextA(hwnd, buffer, sizeof(buffer));
  return buffer;
}

std::string ClassOf(HWND hwnd) {
  char name[64] = {};
  GetClassNameA(hwnd, name, sizeof(name));
  return name;
}

void Click(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void WaitUntilGone(HWND window) {
  for (int i = 0; i < 400 && IsWindow(window) && IsWindowVisible(window); ++i) Sleep(5);
}

std::string Quoted(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
  return "\"" + arg + "\"";
}

std::string CommandLine(int argc, char** argv, int first, Arguments arguments) {
  std::string line;
  for (int k = first; k < argc; ++k) {
    if (!line.empty()) line += ' ';
    line += k == first || arguments == Arguments::Quoted ? Quoted(argv[k]) : std::string(argv[k]);
  }
  return line;
}

bool StartProgram(const char* tool, const std::string& commandLine, PROCESS_INFORMATION& process) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  process = {};
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    std::fprintf(stderr, "%s: cannot start %s (%lu)\n", tool, commandLine.c_str(), GetLastError());
    return false;
  }
  return true;
}

DWORD DeadlineAfter(double seconds) {
  return GetTickCount() + static_cast<DWORD>(seconds * 1000);
}

bool Passed(DWORD deadline) {
  return static_cast<LONG>(GetTickCount() - deadline) > 0;
}

}  // namespace driver
