#include "tools/win32/driver_common.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace driver {

std::string Escaped(const std::string& text, LineBreaks breaks) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (breaks == LineBreaks::Folded && c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      out += "\\n";
      ++i;
    } else if (breaks == LineBreaks::Marked && c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      out += "\\n";
      ++i;
    } else if (breaks == LineBreaks::Marked && c == '\n') {
      out += "\\l";
    } else if (breaks == LineBreaks::Marked && c == '\t') {
      out += "\\t";
    } else if (breaks != LineBreaks::Folded && c == '\r') {
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

bool HasButton(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  return button != nullptr && IsWindowVisible(button);
}

bool ShowsIcon(HWND dialog) {
  HWND iconWindow = GetDlgItem(dialog, kMessageIconId);
  if (iconWindow == nullptr || !IsWindowVisible(iconWindow)) return false;
  return SendMessageA(iconWindow, STM_GETICON, 0, 0) != 0;
}

int AnswerId(const std::string& answer) {
  if (answer == "cancel") return IDCANCEL;
  if (answer == "yes") return IDYES;
  if (answer == "no") return IDNO;
  return IDOK;
}

void AnswerBox(HWND dialog, const std::string& answer) {
  int id = AnswerId(answer);
  if (!HasButton(dialog, id)) id = HasButton(dialog, IDOK) ? IDOK : IDCANCEL;
  Click(dialog, id);
}

void AnswerFileDialog(HWND dialog, const std::string& name) {
  const LPARAM text = reinterpret_cast<LPARAM>(name.c_str());
  // The explorer-style dialog holds the name in an editable combo box, the old one in an
  // edit; either takes the text directly.
  if (HWND combo = GetDlgItem(dialog, kFileNameComboId)) SendMessageA(combo, WM_SETTEXT, 0, text);
  if (HWND edit = GetDlgItem(dialog, kFileNameEditId)) SendMessageA(edit, WM_SETTEXT, 0, text);
  Click(dialog, IDOK);
}

void ApplyDialogActions(HWND dialog, const std::string& actions) {
  size_t at = 0;
  while (at <= actions.size()) {
    size_t end = actions.find(';', at);
    if (end == std::string::npos) end = actions.size();
    const std::string action = actions.substr(at, end - at);
    at = end + 1;
    const size_t equals = action.find('=');
    if (equals != std::string::npos) {
      SendMessageA(GetDlgItem(dialog, std::atoi(action.c_str())), WM_SETTEXT, 0,
                   reinterpret_cast<LPARAM>(action.substr(equals + 1).c_str()));
    } else if (action.rfind("check:", 0) == 0 || action.rfind("uncheck:", 0) == 0) {
      const bool check = action[0] == 'c';
      SendMessageA(GetDlgItem(dialog, std::atoi(action.c_str() + (check ? 6 : 8))), BM_SETCHECK,
                   check ? BST_CHECKED : BST_UNCHECKED, 0);
    } else if (!action.empty()) {
      Click(dialog, std::atoi(action.c_str()));
    }
  }
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
