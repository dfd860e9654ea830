// eddriver: drives TALVED32 the way a user would and reports what it shows.
//
//   eddriver [--timeout SECONDS] [--answer ANSWER]... [--step STEP]... -- PROGRAM [ARGS...]
//
// The steps run in order once the frame is up; after each one the driver waits until the
// program is quiet, answering every box and dialog that appears with the next ANSWER:
//   ok, cancel, yes, no                 buttons of a message box (also: cancel a dialog)
//   file:NAME                           a file dialog: the name, then OK
//   input:TEXT                          an input box: the text, then OK
//   find:TEXT[|down|up][|case][|word]   the find dialog: text and options, "Weitersuchen"
//   replace:TEXT|WITH[|all]             the replace dialog: replace (all), then close it
//   font:NAME|SIZE                      the font dialog: face (the first listed when NAME is
//                                       not) and size, then OK; reports "font: FACE"
//   print:all|selection|FROM-TO         the print dialog: the range, then OK
//   shot:FILE                           any dialog: its client area as a BMP, then cancel
//   dlg:ACTION;ACTION...                any dialog: ID=TEXT, check:ID, uncheck:ID, a bare ID
//                                       clicks; report:ID writes "field ID: TEXT" first
// Without an answer left: ok for boxes, cancel for dialogs. Reports on standard output:
//   box: ICON BUTTONS | CAPTION | TEXT      dialog: CAPTION[ | PROMPT | FIELD]  (input boxes)
// Steps:
//   type:TEXT        characters to the focused window (\n Enter, \t Tab, \b Backspace)
//   keys:CHORD ...   key presses by SendInput, e.g. "ctrl+k ctrl+r", "F9", "shift+alt+back"
//   menu:A/B[/C]     the frame's menu item by its caption path (without "&" and shortcut;
//                    a trailing "*" matches the start of a caption)
//   wait:MS          sleep
//   text             "text: ..." the active edit control's text (CR LF as \n)
//   menustate:A/B    "menu: A/B enabled|greyed[ checked]" as the item shows when its menu
//                    opens, or "no menu item: A/B"
//   tooltip:N        rests the mouse on the toolbar's button N (1 = leftmost) and reports
//                    "tooltip N: TEXT" of the tooltip that shows
//   clip:TEXT        puts TEXT on the clipboard (this driver being the other program);
//                    "clip:" empties it
//   clipboard        "clipboard: ..." the clipboard's text
//   screenshot:FILE  the frame's client area as a 24-bit BMP (needs a display)
//   close            asks the frame to close
//   kill             ends the program at once, as a crash would
//   time:STEP        runs STEP and reports "time: STEP MS", the milliseconds from an idle,
//                    focused editor until it has taken STEP and painted
// "--first" reports "first: MS" once the frame is up with its files' windows painted;
// "--idle-only" (for other programs, e.g. notepad) reports "idle: MS" once the program first
// waits for input, and ends it.
// The last line is "exit: CODE", or "timeout" when the program had to be ended.

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <set>
#include <string>
#include <vector>

#include "tools/win32/driver_common.h"
#include "tools/win32/screen_capture.h"

namespace {

using driver::Click;
using driver::LineBreaks;

DWORD g_pid = 0;
DWORD g_thread = 0;
std::deque<std::string> g_answers;
std::set<HWND> g_answered;

constexpr int kInputFieldId = 100;  // the editor's input boxes

std::string TextOf(HWND hwnd) {
  std::vector<char> buffer(1 << 20);
  SendMessageTimeoutA(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                      SMTO_ABORTIFHUNG, 5000, nullptr);
  return buffer.data();
}

std::string Escaped(const std::string& text) { return driver::Escaped(text, LineBreaks::Marked); }

struct Found {
  const char* className;
  std::vector<HWND> windows;
};

BOOL CALLBACK Collect(HWND hwnd, LPARAM lparam) {
  auto* found = reinterpret_cast<Found*>(lparam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == g_pid && IsWindowVisible(hwnd) && driver::ClassOf(hwnd) == found->className) found->windows.push_back(hwnd);
  return TRUE;
}

std::vector<HWND> WindowsOf(const char* className) {
  Found found{className, {}};
  EnumWindows(Collect, reinterpret_cast<LPARAM>(&found));
  return found.windows;
}

HWND Frame() {
  const auto frames = WindowsOf("TFrameForm");
  return frames.empty() ? nullptr : frames.front();
}

std::string NextAnswer(const char* fallback) {
  if (g_answers.empty()) return fallback;
  std::string answer = g_answers.front();
  g_answers.pop_front();
  return answer;
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == separator) {
      parts.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  return parts;
}

void SetCheck(HWND dialog, int id, bool on) {
  SendMessageA(GetDlgItem(dialog, id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

// A message box holds a text and buttons only; every other dialog has a field or a list.
bool IsMessageBox(HWND dialog) {
  if (!GetDlgItem(dialog, driver::kMessageTextId)) return false;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const std::string kind = driver::ClassOf(child);
    if (_stricmp(kind.c_str(), "Edit") == 0 || _stricmp(kind.c_str(), "ComboBox") == 0 ||
        _stricmp(kind.c_str(), "ListBox") == 0) {
      return false;
    }
  }
  return true;
}

// Selects `text` in a combo box of the dialog and tells the dialog, as a click would.
void SelectInCombo(HWND dialog, int id, const std::string& text) {
  HWND combo = GetDlgItem(dialog, id);
  SendMessageA(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

void AnswerFont(HWND dialog, const std::string& answer) {
  const auto parts = Split(answer, '|');
  HWND faces = GetDlgItem(dialog, 0x470);  // cmb1: the face
  SelectInCombo(dialog, 0x470, parts[0]);
  if (SendMessageA(faces, CB_GETCURSEL, 0, 0) == CB_ERR) {
    // Not installed here: the first face of the list instead.
    SendMessageA(faces, CB_SETCURSEL, 0, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(0x470, CBN_SELCHANGE), reinterpret_cast<LPARAM>(faces));
  }
  std::printf("font: %s\n", TextOf(faces).c_str());
  std::fflush(stdout);
  if (parts.size() > 1) {
    SelectInCombo(dialog, 0x472, parts[1]);  // cmb3: the size
    SendMessageA(GetDlgItem(dialog, 0x472), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(parts[1].c_str()));
  }
  Click(dialog, IDOK);
}

void AnswerPrint(HWND dialog, const std::string& range) {
  const int all = 0x420, selection = 0x421, pages = 0x422;  // rad1, rad2, rad3
  const size_t dash = range.find('-');
  const int chosen = range == "all" ? all : range == "selection" ? selection : pages;
  for (int id : {all, selection, pages}) SetCheck(dialog, id, id == chosen);
  if (chosen == pages && dash != std::string::npos) {
    SendMessageA(GetDlgItem(dialog, 0x480), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(range.substr(0, dash).c_str()));
    SendMessageA(GetDlgItem(dialog, 0x481), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(range.substr(dash + 1).c_str()));
  }
  Click(dialog, IDOK);
}

// "report:ID" actions write the control's text; the rest go to the dialog.
void AnswerActions(HWND dialog, const std::string& actions) {
  std::string rest;
  for (const std::string& action : Split(actions, ';')) {
    if (action.rfind("report:", 0) == 0) {
      const int id = atoi(action.c_str() + 7);
      std::printf("field %d: %s\n", id, Escaped(TextOf(GetDlgItem(dialog, id))).c_str());
    } else {
      rest += (rest.empty() ? "" : ";") + action;
    }
  }
  std::fflush(stdout);
  driver::ApplyDialogActions(dialog, rest);
}

bool SaveScreenshot(HWND window, const std::string& path, bool whole);

// Reports and answers one dialog window.
void Answer(HWND dialog) {
  const std::string caption = TextOf(dialog);
  if (IsMessageBox(dialog)) {
    std::string buttons;
    const struct { int id; const char* name; } kinds[] = {{IDOK, "ok"}, {IDYES, "yes"}, {IDNO, "no"}, {IDCANCEL, "cancel"}};
    for (const auto& kind : kinds) {
      if (driver::HasButton(dialog, kind.id)) buttons += std::string(buttons.empty() ? "" : ",") + kind.name;
    }
    const bool icon = GetDlgItem(dialog, driver::kMessageIconId) != nullptr;
    std::printf("box: %s %s | %s | %s\n", icon ? "icon" : "none", buttons.c_str(), caption.c_str(),
                Escaped(TextOf(GetDlgItem(dialog, driver::kMessageTextId))).c_str());
    std::fflush(stdout);
    driver::AnswerBox(dialog, NextAnswer("ok"));
    return;
  }
  HWND input = GetDlgItem(dialog, kInputFieldId);
  if (input && GetDlgItem(dialog, driver::kMessageTextId)) {
    std::printf("dialog: %s | %s | %s\n", caption.c_str(), TextOf(GetDlgItem(dialog, driver::kMessageTextId)).c_str(),
                TextOf(input).c_str());
  } else {
    std::printf("dialog: %s\n", caption.c_str());
  }
  std::fflush(stdout);
  const std::string answer = NextAnswer("cancel");
  auto setText = [&](int id, const std::string& text) {
    SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  };
  if (answer.rfind("file:", 0) == 0) {
    driver::AnswerFileDialog(dialog, answer.substr(5));
  } else if (answer.rfind("input:", 0) == 0) {
    setText(kInputFieldId, answer.substr(6));
    Click(dialog, IDOK);
  } else if (answer.rfind("dlg:", 0) == 0) {
    AnswerActions(dialog, answer.substr(4));
  } else if (answer.rfind("font:", 0) == 0) {
    AnswerFont(dialog, answer.substr(5));
  } else if (answer.rfind("print:", 0) == 0) {
    AnswerPrint(dialog, answer.substr(6));
  } else if (answer.rfind("shot:", 0) == 0) {
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(600);
    if (!SaveScreenshot(dialog, answer.substr(5), false)) std::printf("screenshot failed\n");
    Click(dialog, IDCANCEL);
  } else if (answer.rfind("find:", 0) == 0) {
    const auto parts = Split(answer.substr(5), '|');
    setText(0x480, parts[0]);
    bool down = true, matchCase = false, word = false;
    for (size_t i = 1; i < parts.size(); ++i) {
      if (parts[i] == "up") down = false;
      if (parts[i] == "case") matchCase = true;
      if (parts[i] == "word") word = true;
    }
    SetCheck(dialog, 0x420, !down);  // rad1: up
    SetCheck(dialog, 0x421, down);   // rad2: down
    SetCheck(dialog, 0x411, matchCase);
    SetCheck(dialog, 0x410, word);
    // The dialog may follow its radio buttons by their clicks.
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(down ? 0x421 : 0x420, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, down ? 0x421 : 0x420)));
    Click(dialog, IDOK);
  } else if (answer.rfind("replace:", 0) == 0) {
    const auto parts = Split(answer.substr(8), '|');
    setText(0x480, parts[0]);
    setText(0x481, parts.size() > 1 ? parts[1] : "");
    Click(dialog, parts.size() > 2 && parts[2] == "all" ? 0x401 : 0x400);  // psh2, psh1
    Sleep(300);
    Click(dialog, IDCANCEL);
  } else {
    Click(dialog, answer == "ok" ? IDOK : IDCANCEL);
  }
}

// Answers the dialogs that are up; true when there was one.
bool AnswerDialogs() {
  bool any = false;
  for (HWND dialog : WindowsOf("#32770")) {
    if (g_answered.count(dialog)) continue;
    g_answered.insert(dialog);
    Sleep(150);  // let it finish its set-up
    Answer(dialog);
    any = true;
  }
  return any;
}

// Waits until the program has had no new dialog for a while and serves its messages.
void Settle(HANDLE process) {
  int quiet = 0;
  while (quiet < 20) {  // dialogs can take a second to come up under Wine
    if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0) return;
    if (AnswerDialogs()) {
      quiet = 0;
    } else {
      ++quiet;
    }
    Sleep(60);
  }
}

struct KeyName {
  const char* name;
  WORD key;
};
const KeyName kKeys[] = {
    {"ctrl", VK_CONTROL}, {"shift", VK_SHIFT}, {"alt", VK_MENU}, {"back", VK_BACK}, {"del", VK_DELETE},
    {"ins", VK_INSERT}, {"enter", VK_RETURN}, {"tab", VK_TAB}, {"home", VK_HOME}, {"end", VK_END},
    {"left", VK_LEFT}, {"right", VK_RIGHT}, {"up", VK_UP}, {"down", VK_DOWN}, {"pgup", VK_PRIOR},
    {"pgdn", VK_NEXT}, {"esc", VK_ESCAPE}, {"F1", VK_F1}, {"F2", VK_F2}, {"F3", VK_F3}, {"F4", VK_F4},
    {"F5", VK_F5}, {"F6", VK_F6}, {"F7", VK_F7}, {"F8", VK_F8}, {"F9", VK_F9}, {"F10", VK_F10}};

WORD KeyOf(const std::string& name) {
  for (const KeyName& key : kKeys) {
    if (_stricmp(key.name, name.c_str()) == 0) return key.key;
  }
  return name.size() == 1 ? static_cast<WORD>(toupper(static_cast<unsigned char>(name[0]))) : 0;
}

void SendKey(WORD key, bool up) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, 0));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &input, sizeof(input));
}

HWND Focused();

// Waits until the editor has taken what it was sent: posted messages come before keys in its
// queue, so it answers a posted question only once no keys or clicks wait there any more. A
// dialog opened by what it took is up by then.
void LetItTake(HANDLE process) {
  static LPARAM cookie = 0;
  HWND frame = Frame();
  if (!frame) return;
  const UINT question = RegisterWindowMessageA("TalvedMenuItem");
  const DWORD deadline = driver::DeadlineAfter(8);
  while (!driver::Passed(deadline)) {
    ++cookie;
    PostMessageA(frame, question, 0, cookie);
    while (!driver::Passed(deadline)) {
      const LPARAM answer = reinterpret_cast<LPARAM>(GetPropA(frame, "TalvedTaken"));
      if (answer == cookie) return;
      if (answer == -cookie) break;  // keys still wait: ask again
      if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0 || !IsWindow(frame)) return;
      Sleep(5);
    }
    Sleep(5);
  }
}

// Keys go where the focus is: after a dialog it may take a moment to come back, and the
// editor may still be busy with what came before.
void ReadyForKeys(HANDLE process, HWND frame) {
  SetForegroundWindow(frame);
  for (int i = 0; i < 60 && (GetForegroundWindow() != frame || Focused() == nullptr); ++i) Sleep(50);
  LetItTake(process);
}

void Chords(HANDLE process, HWND frame, const std::string& spec) {
  ReadyForKeys(process, frame);
  for (const std::string& chord : Split(spec, ' ')) {
    if (chord.empty()) continue;
    std::vector<WORD> keys;
    for (const std::string& part : Split(chord, '+')) keys.push_back(KeyOf(part));
    for (WORD key : keys) SendKey(key, false);
    for (auto it = keys.rbegin(); it != keys.rend(); ++it) SendKey(*it, true);
  }
}

HWND Focused() {
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  GetGUIThreadInfo(g_thread, &info);
  return info.hwndFocus;
}

// The window's client area (or, `whole`, the window with its frame) as a 24-bit BMP.
bool SaveScreenshot(HWND window, const std::string& path, bool whole) {
  RECT client = {};
  GetClientRect(window, &client);
  POINT origin = {0, 0};
  ClientToScreen(window, &origin);
  if (whole) {
    RECT outer = {};
    GetWindowRect(window, &outer);
    origin = {outer.left, outer.top};
    client = {0, 0, outer.right - outer.left, outer.bottom - outer.top};
  }
  return driver::SaveScreenArea(origin, client.right, client.bottom, path);
}

HWND ActiveEdit(HWND frame) {
  HWND client = FindWindowExA(frame, nullptr, "MDICLIENT", nullptr);
  HWND child = client ? reinterpret_cast<HWND>(SendMessageA(client, WM_MDIGETACTIVE, 0, 0)) : nullptr;
  return child ? FindWindowExA(child, nullptr, "TalvenEdit", nullptr) : nullptr;
}

// The clipboard as another program uses it: CF_TEXT put with a window of our own as owner
// (none for an empty text: the clipboard is emptied).
void PutClipboardText(const std::string& text) {
  HWND owner = CreateWindowA("STATIC", "eddriver", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  for (int i = 0; i < 50 && !OpenClipboard(owner); ++i) Sleep(20);
  EmptyClipboard();
  if (!text.empty()) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
    GlobalUnlock(memory);
    if (!SetClipboardData(CF_TEXT, memory)) GlobalFree(memory);
  }
  CloseClipboard();
  DestroyWindow(owner);
}

std::string ClipboardText() {
  std::string text = "(none)";
  for (int i = 0; i < 50 && !OpenClipboard(nullptr); ++i) Sleep(20);
  if (HANDLE memory = GetClipboardData(CF_TEXT)) {
    if (const char* bytes = static_cast<const char*>(GlobalLock(memory))) {
      text.assign(bytes, strnlen(bytes, GlobalSize(memory)));
      GlobalUnlock(memory);
    }
  }
  CloseClipboard();
  return text;
}

BOOL CALLBACK CollectChildren(HWND hwnd, LPARAM lparam) {
  reinterpret_cast<std::vector<HWND>*>(lparam)->push_back(hwnd);
  return TRUE;
}

// The tooltip of the toolbar's button `number` (1 = leftmost): the mouse rests on the button
// until the editor's tooltip window shows; its text, or "(none)".
std::string Tooltip(HANDLE process, HWND frame, int number) {
  HWND toolbar = FindWindowExA(frame, nullptr, "TalvenPanel", nullptr);
  std::vector<HWND> children, buttons;
  if (toolbar) EnumChildWindows(toolbar, CollectChildren, reinterpret_cast<LPARAM>(&children));
  for (HWND child : children) {
    if (driver::ClassOf(child) == "Button" || driver::ClassOf(child) == "BUTTON") buttons.push_back(child);
  }
  auto left = [](HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    return r.left;
  };
  std::sort(buttons.begin(), buttons.end(), [&](HWND a, HWND b) { return left(a) < left(b); });
  if (number < 1 || number > static_cast<int>(buttons.size())) return "(no button)";
  RECT box;
  GetWindowRect(buttons[number - 1], &box);
  // Away first, so that the tooltip of the button before does not stay.
  SetForegroundWindow(frame);
  for (const POINT& at : {POINT{0, 0}, POINT{(box.left + box.right) / 2, (box.top + box.bottom) / 2},
                          POINT{(box.left + box.right) / 2 + 1, (box.top + box.bottom) / 2 + 1}}) {
    SetCursorPos(at.x, at.y);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = MOUSEEVENTF_MOVE;
    SendInput(1, &input, sizeof(input));
    Sleep(100);
  }
  const DWORD deadline = driver::DeadlineAfter(5);
  while (!driver::Passed(deadline)) {
    for (HWND tip : WindowsOf(TOOLTIPS_CLASSA)) {
      const std::string text = TextOf(tip);
      if (!text.empty()) return text;
    }
    Sleep(50);
  }
  return "(none)";
}

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

void RunStep(HANDLE process, const std::string& timedStep) {
  HWND frame = Frame();
  if (!frame) return;
  const bool timed = timedStep.rfind("time:", 0) == 0;
  const std::string step = timed ? timedStep.substr(5) : timedStep;
  const size_t colon = step.find(':');
  const std::string verb = step.substr(0, colon);
  const std::string argument = colon == std::string::npos ? "" : step.substr(colon + 1);
  // A timed step starts from an editor that has finished what came before.
  if (timed) ReadyForKeys(process, frame);
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  if (verb == "type") {
    HWND target = Focused();
    for (size_t i = 0; i < argument.size(); ++i) {
      char c = argument[i];
      if (c == '\\' && i + 1 < argument.size()) {
        const char next = argument[++i];
        c = next == 'n' ? '\r' : next == 't' ? '\t' : next == 'b' ? '\b' : next;
      }
      PostMessageA(target, WM_CHAR, static_cast<unsigned char>(c), 1);
    }
  } else if (verb == "keys") {
    Chords(process, frame, argument);
  } else if (verb == "menu") {
    // Menus belong to their process: the editor looks the item up itself.
    const ATOM atom = GlobalAddAtomA(argument.c_str());
    DWORD_PTR id = 0;
    SendMessageTimeoutA(frame, RegisterWindowMessageA("TalvedMenuItem"), atom, 0, SMTO_ABORTIFHUNG, 5000, &id);
    GlobalDeleteAtom(atom);
    if (id == 0) {
      std::printf("no menu item: %s\n", argument.c_str());
    }
  } else if (verb == "menustate") {
    // The editor opens the item's menu for itself (so its states are set) and reports them.
    const std::string query = "|" + argument;
    const ATOM atom = GlobalAddAtomA(query.c_str());
    DWORD_PTR state = 0;
    SendMessageTimeoutA(frame, RegisterWindowMessageA("TalvedMenuItem"), atom, 0, SMTO_ABORTIFHUNG, 5000, &state);
    GlobalDeleteAtom(atom);
    if (state == 0) {
      std::printf("no menu item: %s\n", argument.c_str());
    } else {
      std::printf("menu: %s %s%s\n", argument.c_str(), state & 2 ? "greyed" : "enabled", state & 4 ? " checked" : "");
    }
  } else if (verb == "tooltip") {
    std::printf("tooltip %s: %s\n", argument.c_str(), Tooltip(process, frame, atoi(argument.c_str())).c_str());
  } else if (verb == "clip") {
    // This driver is the other program: it puts text on the clipboard.
    PutClipboardText(argument);
  } else if (verb == "clipboard") {
    std::printf("clipboard: %s\n", Escaped(ClipboardText()).c_str());
  } else if (verb == "wait") {
    Sleep(static_cast<DWORD>(atoi(argument.c_str())));
  } else if (verb == "text") {
    HWND edit = ActiveEdit(frame);
    std::printf("text: %s\n", edit ? Escaped(TextOf(edit)).c_str() : "(no window)");
  } else if (verb == "caption") {
    HWND client = FindWindowExA(frame, nullptr, "MDICLIENT", nullptr);
    HWND child = reinterpret_cast<HWND>(SendMessageA(client, WM_MDIGETACTIVE, 0, 0));
    std::printf("caption: %s | %s\n", TextOf(frame).c_str(), child ? TextOf(child).c_str() : "");
  } else if (verb == "screenshot") {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(frame, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
    Sleep(300);
    if (!SaveScreenshot(frame, argument, false)) std::printf("screenshot failed\n");
  } else if (verb == "close") {
    PostMessageA(frame, WM_CLOSE, 0, 0);
  } else if (verb == "kill") {
    TerminateProcess(process, 3);
    WaitForSingleObject(process, 5000);
  }
  std::fflush(stdout);
  if (verb != "kill" && verb != "close") LetItTake(process);
  if (timed) {
    LARGE_INTEGER end;
    QueryPerformanceCounter(&end);
    std::printf("time: %s %.1f\n", step.c_str(), Milliseconds(start, end));
    std::fflush(stdout);
  }
  Settle(process);
}

}  // namespace

int main(int argc, char** argv) {
  int timeout = 30;
  bool first = false, idleOnly = false;
  std::vector<std::string> steps;
  int i = 1;
  for (; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--") {
      ++i;
      break;
    }
    if (arg == "--first") first = true;
    else if (arg == "--idle-only") idleOnly = true;
    else if (arg == "--timeout" && i + 1 < argc) timeout = atoi(argv[++i]);
    else if (arg == "--answer" && i + 1 < argc) g_answers.push_back(argv[++i]);
    else if (arg == "--step" && i + 1 < argc) steps.push_back(argv[++i]);
  }
  if (i >= argc) {
    std::fprintf(stderr, "usage: eddriver [options] -- PROGRAM [ARGS...]\n");
    return 2;
  }
  const std::string commandLine = driver::CommandLine(argc, argv, i, driver::Arguments::Quoted);
  // A blinking caret would make screenshots depend on the moment they are taken.
  for (const std::string& step : steps) {
    if (step.rfind("screenshot:", 0) == 0) SetCaretBlinkTime(INFINITE);
  }
  for (const std::string& answer : g_answers) {
    if (answer.rfind("shot:", 0) == 0) SetCaretBlinkTime(INFINITE);
  }
  PROCESS_INFORMATION info = {};
  LARGE_INTEGER started;
  QueryPerformanceCounter(&started);
  if (!driver::StartProgram("eddriver", commandLine, info)) {
    std::printf("cannot start: %s\n", commandLine.c_str());
    return 2;
  }
  g_pid = info.dwProcessId;
  g_thread = info.dwThreadId;
  const DWORD deadline = driver::DeadlineAfter(timeout);
  if (idleOnly) {
    WaitForInputIdle(info.hProcess, static_cast<DWORD>(timeout) * 1000);
    LARGE_INTEGER idle;
    QueryPerformanceCounter(&idle);
    std::printf("idle: %.1f\n", Milliseconds(started, idle));
    TerminateProcess(info.hProcess, 0);
    return 0;
  }
  WaitForInputIdle(info.hProcess, 10000);
  while (!Frame() && !driver::Passed(deadline) &&
         WaitForSingleObject(info.hProcess, 0) != WAIT_OBJECT_0) {
    AnswerDialogs();
    Sleep(50);
  }
  // The frame shows before the files' windows are made: the steps start once it has settled.
  LetItTake(info.hProcess);
  if (first) {
    LARGE_INTEGER painted;
    QueryPerformanceCounter(&painted);
    std::printf("first: %.1f\n", Milliseconds(started, painted));
    std::fflush(stdout);
  }
  Settle(info.hProcess);
  for (const std::string& step : steps) {
    if (WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0) break;
    RunStep(info.hProcess, step);
  }
  while (WaitForSingleObject(info.hProcess, 50) == WAIT_TIMEOUT) {
    if (driver::Passed(deadline)) {
      TerminateProcess(info.hProcess, 99);
      std::printf("timeout\n");
      return 1;
    }
    AnswerDialogs();
  }
  DWORD code = 0;
  GetExitCodeProcess(info.hProcess, &code);
  std::printf("exit: %lu\n", code);
  return 0;
}
