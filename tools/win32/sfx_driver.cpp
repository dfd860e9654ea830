// sfx_driver: works the extractor stub's dialog the way a user would and reports what it
// shows.
//
//   sfx_driver [--timeout S] [--answer A]... [--do STEP]... -- PROGRAM [ARGUMENTS...]
//
// STEPs act on the main dialog once it is up, in order:
//   set:ID=TEXT      sets a control's text          check:ID=0|1   sets a box and clicks it
//   click:ID         clicks a button and waits until the program has handled the click
//   select:NAME      selects a list entry           unselect:NAME  deselects one
//   dump             reports list, status, target, paths box and overwrite mode
//   close            clicks "Abbruch"
// Every other dialog is reported when it appears and answered with the next ANSWER:
//   box: CAPTION | TEXT      (answer: ok)
//   fileexist: NAME          (answer: yes, no, yes+dontask, no+dontask; default no)
//   password                 (answer: pwd:TEXT; default: closes it)
// The last line is "exit: CODE", or "timeout" when the program had to be ended.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <string>
#include <vector>

#include "tools/win32/driver_common.h"

namespace {

using driver::CaptionOf;
using driver::Click;
using driver::LineBreaks;

constexpr int kMessageTextId = 0xFFFF;
constexpr char kMainCaption[] = "TLVSFX 1.0";
constexpr char kFileExistCaption[] = "Soll die folgende Datei überschrieben werden?";
constexpr char kPasswordCaption[] = "Passwort eingeben ...";
constexpr int kTargetId = 101;
constexpr int kListId = 301;
constexpr int kStatusId = 601;
constexpr int kPathsId = 401;
constexpr int kDontAskId = 401;

DWORD g_pid = 0;
HANDLE g_process = nullptr;
DWORD g_deadline = 0;
std::deque<std::string> g_answers;

// Every CR and LF of a box is reported as it stands: the texts are checked byte for byte.
std::string Escaped(const std::string& text) {
  return driver::Escaped(text, LineBreaks::Exact);
}

std::string TextOf(HWND hwnd) {
  return driver::WindowText(hwnd);
}

struct Search {
  HWND found;
  bool wantMain;
};

BOOL CALLBACK FindDialog(HWND hwnd, LPARAM lparam) {
  auto* search = reinterpret_cast<Search*>(lparam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != g_pid || !IsWindowVisible(hwnd) || driver::ClassOf(hwnd) != "#32770") return TRUE;
  const bool isMain = CaptionOf(hwnd) == kMainCaption;
  if (isMain == search->wantMain) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND Find(bool main) {
  Search search{nullptr, main};
  EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool TimedOut() {
  return driver::Passed(g_deadline);
}

std::string NextAnswer() {
  if (g_answers.empty()) return "";
  std::string answer = g_answers.front();
  g_answers.pop_front();
  return answer;
}

// Reports and answers one popup; waits until it is gone so it is never seen twice.
void HandlePopup(HWND popup) {
  const std::string caption = CaptionOf(popup);
  if (GetDlgItem(popup, kMessageTextId) != nullptr) {
    std::printf("box: %s | %s\n", Escaped(caption).c_str(),
                Escaped(TextOf(GetDlgItem(popup, kMessageTextId))).c_str());
    NextAnswer();
    Click(popup, GetDlgItem(popup, IDOK) != nullptr ? IDOK : IDCANCEL);
  } else if (caption == kFileExistCaption) {
    std::printf("fileexist: %s\n", TextOf(GetDlgItem(popup, 101)).c_str());
    const std::string answer = NextAnswer();
    if (answer.find("+dontask") != std::string::npos) {
      SendMessageA(GetDlgItem(popup, kDontAskId), BM_SETCHECK, BST_CHECKED, 0);
    }
    Click(popup, answer.rfind("yes", 0) == 0 ? IDOK : IDCANCEL);
  } else if (caption == kPasswordCaption) {
    std::printf("password\n");
    const std::string answer = NextAnswer();
    if (answer.rfind("pwd:", 0) == 0) {
      SendMessageA(GetDlgItem(popup, 101), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(answer.c_str() + 4));
      Click(popup, IDOK);
    } else {
      Click(popup, IDCANCEL);
    }
  } else {
    std::printf("dialog: %s\n", Escaped(caption).c_str());
    Click(popup, IDCANCEL);
  }
  std::fflush(stdout);
  driver::WaitUntilGone(popup);
}

bool ProcessEnded() { return WaitForSingleObject(g_process, 0) == WAIT_OBJECT_0; }

struct Command {
  HWND dialog;
  int id;
};

DWORD WINAPI SendClick(LPVOID parameter) {
  auto* command = static_cast<Command*>(parameter);
  SendMessageA(command->dialog, WM_COMMAND, MAKEWPARAM(command->id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(command->dialog, command->id)));
  return 0;
}

// Clicks from a second thread: the click returns only when the program has handled it,
// and any prompt it shows meanwhile is answered here.
void ClickAndWait(HWND dialog, int id) {
  Command command{dialog, id};
  HANDLE thread = CreateThread(nullptr, 0, SendClick, &command, 0, nullptr);
  while (WaitForSingleObject(thread, 10) == WAIT_TIMEOUT) {
    if (ProcessEnded() || TimedOut()) break;
    if (HWND popup = Find(false)) HandlePopup(popup);
  }
  // A program that ended in the middle leaves the sender waiting for nothing.
  if (WaitForSingleObject(thread, 500) == WAIT_TIMEOUT) TerminateThread(thread, 0);
  CloseHandle(thread);
}

LRESULT List(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  return SendDlgItemMessageA(dialog, kListId, message, wparam, lparam);
}

// Wine hands list texts across processes as UTF-16 only: read them wide and convert.
std::string ListText(HWND dialog, int index) {
  wchar_t wide[1024] = {};
  const LRESULT length = SendDlgItemMessageW(dialog, kListId, LB_GETTEXTLEN, index, 0);
  if (length < 0 || length >= 1024) return "";
  SendDlgItemMessageW(dialog, kListId, LB_GETTEXT, index, reinterpret_cast<LPARAM>(wide));
  char buffer[2048] = {};
  WideCharToMultiByte(CP_ACP, 0, wide, -1, buffer, sizeof(buffer), nullptr, nullptr);
  return buffer;
}

void Select(HWND dialog, const std::string& name, bool selected) {
  const int count = static_cast<int>(List(dialog, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    if (ListText(dialog, i) == name) {
      List(dialog, LB_SETSEL, selected ? TRUE : FALSE, i);
      return;
    }
  }
  std::printf("driver: no entry %s\n", name.c_str());
}

void Dump(HWND dialog) {
  const int count = static_cast<int>(List(dialog, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    std::printf("list: %s%s\n", ListText(dialog, i).c_str(), List(dialog, LB_GETSEL, i, 0) > 0 ? " [x]" : "");
  }
  std::printf("status: %s\n", TextOf(GetDlgItem(dialog, kStatusId)).c_str());
  std::printf("target: %s\n", TextOf(GetDlgItem(dialog, kTargetId)).c_str());
  HWND paths = GetDlgItem(dialog, kPathsId);
  std::printf("paths: %s %s\n", SendMessageA(paths, BM_GETCHECK, 0, 0) == BST_CHECKED ? "on" : "off",
              IsWindowEnabled(paths) ? "enabled" : "disabled");
  const char* mode = "none";
  if (SendMessageA(GetDlgItem(dialog, 501), BM_GETCHECK, 0, 0) == BST_CHECKED) mode = "always";
  if (SendMessageA(GetDlgItem(dialog, 502), BM_GETCHECK, 0, 0) == BST_CHECKED) mode = "never";
  if (SendMessageA(GetDlgItem(dialog, 503), BM_GETCHECK, 0, 0) == BST_CHECKED) mode = "ask";
  std::printf("mode: %s\n", mode);
  std::fflush(stdout);
}

void RunStep(HWND dialog, const std::string& step) {
  const size_t colon = step.find(':');
  const std::string verb = step.substr(0, colon);
  const std::string rest = colon == std::string::npos ? "" : step.substr(colon + 1);
  const size_t equals = rest.find('=');
  const int id = std::atoi(rest.c_str());
  const std::string value = equals == std::string::npos ? "" : rest.substr(equals + 1);
  if (verb == "set") {
    SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()));
  } else if (verb == "check") {
    SendMessageA(GetDlgItem(dialog, id), BM_SETCHECK, value == "1" ? BST_CHECKED : BST_UNCHECKED, 0);
    ClickAndWait(dialog, id);
  } else if (verb == "click") {
    ClickAndWait(dialog, id);
  } else if (verb == "select" || verb == "unselect") {
    Select(dialog, rest, verb == "select");
  } else if (verb == "dump") {
    Dump(dialog);
  } else if (verb == "close") {
    ClickAndWait(dialog, IDCANCEL);
  } else {
    std::printf("driver: unknown step %s\n", step.c_str());
  }
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  double timeout = 30.0;
  std::vector<std::string> steps;
  int i = 1;
  for (; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--") {
      ++i;
      break;
    }
    if (arg == "--timeout" && i + 1 < argc) timeout = std::atof(argv[++i]);
    else if (arg == "--answer" && i + 1 < argc) g_answers.push_back(argv[++i]);
    else if (arg == "--do" && i + 1 < argc) steps.push_back(argv[++i]);
    else {
      std::fprintf(stderr, "sfx_driver: unknown option %s\n", arg.c_str());
      return 100;
    }
  }
  if (i >= argc) {
    std::fprintf(stderr, "usage: sfx_driver [--timeout S] [--answer A]... [--do STEP]... -- PROGRAM\n");
    return 100;
  }
  const std::string commandLine = driver::CommandLine(argc, argv, i, driver::Arguments::Quoted);
  PROCESS_INFORMATION process;
  if (!driver::StartProgram("sfx_driver", commandLine, process)) return 101;
  g_pid = process.dwProcessId;
  g_process = process.hProcess;
  g_deadline = driver::DeadlineAfter(timeout);

  // Until the main dialog is up (or the program has ended), only popups are answered.
  HWND dialog = nullptr;
  while (!ProcessEnded() && !TimedOut()) {
    if (HWND popup = Find(false)) {
      HandlePopup(popup);
      continue;
    }
    dialog = Find(true);
    if (dialog != nullptr) break;
    Sleep(10);
  }
  if (dialog != nullptr) {
    for (const std::string& step : steps) {
      if (ProcessEnded() || TimedOut()) break;
      RunStep(dialog, step);
    }
  }
  while (!ProcessEnded() && !TimedOut()) {
    if (HWND popup = Find(false)) HandlePopup(popup);
    Sleep(10);
  }
  if (!ProcessEnded()) {
    TerminateProcess(process.hProcess, 254);
    std::printf("timeout\n");
    return 102;
  }
  DWORD exitCode = 0;
  GetExitCodeProcess(process.hProcess, &exitCode);
  std::printf("exit: %lu\n", exitCode);
  return 0;
}
