// tdriver: runs a program the way a user would and reports what it shows.
//
//   tdriver [--timeout SECONDS] [--answer ANSWER]... -- PROGRAM [ARGUMENTS...]
//
// Every message box and file dialog of the program is reported on standard output, in the
// order they appear, and answered with the next ANSWER (ok, cancel, yes, no, or
// "file:NAME" for a file dialog; without one: ok, and cancel for a file dialog):
//   box: ICON BUTTONS | CAPTION | TEXT      (ICON: icon or none; CR LF written as \n)
//   dialog: CAPTION
// The last line is "exit: CODE", or "timeout" when the program had to be ended.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

namespace {

constexpr int kMessageTextId = 0xFFFF;
constexpr int kMessageIconId = 0x440;
constexpr int kFileNameComboId = 0x47C;
constexpr int kFileNameEditId = 0x480;

std::string Escaped(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      out += "\\n";
      ++i;
    } else if (text[i] == '\n') {
      out += "\\n";
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string WindowText(HWND hwnd) {
  char buffer[4096] = {};
  SendMessageA(hwnd, WM_GETTEXT, sizeof(buffer), reinterpret_cast<LPARAM>(buffer));
  return buffer;
}

std::string ClassOf(HWND hwnd) {
  char name[64] = {};
  GetClassNameA(hwnd, name, sizeof(name));
  return name;
}

struct Search {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindDialog(HWND hwnd, LPARAM lparam) {
  auto* search = reinterpret_cast<Search*>(lparam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == search->pid && IsWindowVisible(hwnd) && ClassOf(hwnd) == "#32770") {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

// Whether the box shows an icon. Which one cannot be told from outside: icon handles are
// private to the program that loaded them and its pixels cannot be read across processes
// here, so the kind of icon is checked by the in-process tests.
std::string IconName(HWND dialog) {
  HWND iconWindow = GetDlgItem(dialog, kMessageIconId);
  if (iconWindow == nullptr || !IsWindowVisible(iconWindow)) return "none";
  return SendMessageA(iconWindow, STM_GETICON, 0, 0) != 0 ? "icon" : "none";
}

bool HasButton(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  return button != nullptr && IsWindowVisible(button);
}

std::string ButtonsName(HWND dialog) {
  const bool ok = HasButton(dialog, IDOK);
  const bool cancel = HasButton(dialog, IDCANCEL);
  const bool yes = HasButton(dialog, IDYES);
  const bool no = HasButton(dialog, IDNO);
  if (yes && no) return cancel ? "yesnocancel" : "yesno";
  if (ok && cancel) return "okcancel";
  return "ok";
}

int AnswerId(const std::string& answer) {
  if (answer == "cancel") return IDCANCEL;
  if (answer == "yes") return IDYES;
  if (answer == "no") return IDNO;
  return IDOK;
}

void Click(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void AnswerFileDialog(HWND dialog, const std::string& answer) {
  if (answer.rfind("file:", 0) != 0) {
    Click(dialog, IDCANCEL);
    return;
  }
  const std::string name = answer.substr(5);
  const LPARAM text = reinterpret_cast<LPARAM>(name.c_str());
  // The explorer-style dialog holds the name in an editable combo box, the old one in an
  // edit; either takes the text directly.
  if (HWND combo = GetDlgItem(dialog, kFileNameComboId)) SendMessageA(combo, WM_SETTEXT, 0, text);
  if (HWND edit = GetDlgItem(dialog, kFileNameEditId)) SendMessageA(edit, WM_SETTEXT, 0, text);
  Click(dialog, IDOK);
}

// Reports and answers one dialog; waits until it is gone so it is never seen twice.
void Handle(HWND dialog, std::deque<std::string>& answers) {
  std::string answer;
  if (!answers.empty()) {
    answer = answers.front();
    answers.pop_front();
  }
  char caption[1024] = {};
  GetWindowTextA(dialog, caption, sizeof(caption));
  if (HWND text = GetDlgItem(dialog, kMessageTextId)) {
    std::printf("box: %s %s | %s | %s\n", IconName(dialog).c_str(), ButtonsName(dialog).c_str(),
                Escaped(caption).c_str(), Escaped(WindowText(text)).c_str());
    int id = AnswerId(answer);
    if (!HasButton(dialog, id)) id = HasButton(dialog, IDOK) ? IDOK : IDCANCEL;
    Click(dialog, id);
  } else {
    std::printf("dialog: %s\n", Escaped(caption).c_str());
    AnswerFileDialog(dialog, answer);
  }
  std::fflush(stdout);
  for (int i = 0; i < 400 && IsWindow(dialog) && IsWindowVisible(dialog); ++i) Sleep(5);
}

std::string Quoted(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
  return "\"" + arg + "\"";
}

}  // namespace

int main(int argc, char** argv) {
  double timeout = 20.0;
  std::deque<std::string> answers;
  int i = 1;
  for (; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--") {
      ++i;
      break;
    }
    if (arg == "--timeout" && i + 1 < argc) {
      timeout = std::atof(argv[++i]);
    } else if (arg == "--answer" && i + 1 < argc) {
      answers.push_back(argv[++i]);
    } else {
      std::fprintf(stderr, "tdriver: unknown option %s\n", arg.c_str());
      return 100;
    }
  }
  if (i >= argc) {
    std::fprintf(stderr, "usage: tdriver [--timeout S] [--answer A]... -- PROGRAM [ARGS...]\n");
    return 100;
  }
  std::string commandLine;
  for (int k = i; k < argc; ++k) {
    if (!commandLine.empty()) commandLine += ' ';
    // The program's own arguments are passed as written: a test may need a raw text.
    commandLine += k == i ? Quoted(argv[k]) : std::string(argv[k]);
  }

  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    std::fprintf(stderr, "tdriver: cannot start %s (%lu)\n", commandLine.c_str(),
                 GetLastError());
    return 101;
  }

  const DWORD deadline = GetTickCount() + static_cast<DWORD>(timeout * 1000);
  for (;;) {
    if (WaitForSingleObject(process.hProcess, 10) == WAIT_OBJECT_0) break;
    Search search{process.dwProcessId, nullptr};
    EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) Handle(search.found, answers);
    if (static_cast<LONG>(GetTickCount() - deadline) > 0) {
      TerminateProcess(process.hProcess, 254);
      std::printf("timeout\n");
      return 102;
    }
  }
  DWORD exitCode = 0;
  GetExitCodeProcess(process.hProcess, &exitCode);
  std::printf("exit: %lu\n", exitCode);
  return 0;
}
