// tdriver: runs a program the way a user would and reports what it shows.
//
//   tdriver [--timeout SECONDS] [--answer ANSWER]... [--type TEXT | --cover | --click ID |
//            --key CODE | --menu PATH | --set ID=TEXT | --select ID=ENTRY | --steps-end]...
//           [--caret] [--screenshot FILE.bmp] -- PROGRAM [ARGS...]
//
// Every message box and file dialog of the program is reported on standard output, in the
// order they appear, and answered with the next ANSWER (ok, cancel, yes, no, or
// "file:NAME" for a file dialog; without one: ok, and cancel for a file dialog):
//   box: ICON BUTTONS | CAPTION | TEXT      (ICON: icon or none; CR LF written as \n)
//   dialog: CAPTION
// Each TEXT is typed into the program's main window the next time the program blocks
// waiting for input (\n types Enter, \b backspace, \f presses F1); --cover instead covers
// the window with another one for a moment and uncovers it again. --click ID clicks the
// program's control with that identifier (in any of its windows) with real mouse input, --key
// CODE presses the key with that virtual-key code as real keyboard input (to whatever window
// has the focus); both happen, like the typed texts, when the program next waits. --set
// ID=TEXT sets the text of the program's item ID (\n a line break, \xHH a byte) and --select
// ID=ENTRY chooses the entry of list or choice box ID (case ignored) with the notification a
// user's click sends: in the template dialog the program shows next (then closed by its
// answer: ok presses OK; --steps-end ends the steps such a dialog takes), else when the
// program next waits, in any of its windows. A set
// on a single-line edit (which reports its change) and a select end that wait; another set
// does not, and the next step follows in the same wait. --menu
// PATH ("Datei>Zuletzt>eins": item texts without their "&", \xHH for a byte) chooses the item
// with real mouse clicks through the real menu: the bar's when the program next waits, the
// pop-up's as soon as the program shows one (TRACKMENU). The program tells where each item
// is on the screen (WM_COPYDATA, see menu_lookup.h); a path it cannot find is reported on
// standard error and the menu closed again. A PATH ending in ">" only opens the pull-downs
// along it; --menu-shot FILE.bmp then saves the whole window with them before they are
// closed. --dialog-shot FILE.bmp saves the first dialog the program shows (the whole
// window; its own CREATEDIALOG dialogs too, which are otherwise left alone) before it is
// answered; both need a real display. --screenshot saves what the screen shows
// of the window's client area when the run is over (needs a real display, such as Xvfb), the
// caret taken away first. When the program's run is over and its
// window waits to be closed, the rows of its text grid are reported and the window closed:
//   caret: LEFT,TOP,RIGHT,BOTTOM   (with --caret: the caret in client pixels, or "none")
//   screen: ROW
// The last line is "exit: CODE", or "timeout" when the program had to be ended.
// Other dialogs (the setup program's) are reported as "dialog: CAPTION | TEXT" (TEXT: the
// control 4001, else 100) and answered by "dlg:ACTION;ACTION..." with ID=TEXT (set a
// control's text), check:ID, uncheck:ID, and a bare ID to click. A progress window (with a
// "MedraBar" control) is left alone unless the answer is "progress:cancel". A folder dialog
// (the shell's browse dialog) is answered by "folder:PATH": PATH is selected in its tree, as
// a click on it would, and OK clicked. "shot:FILE.bmp" before an answer saves the whole
// screen with the next dialog or box as it stands, "shot-behind:FILE.bmp" with it moved off
// the screen for the picture (what it covers shows); then the dialog gets the next answer.

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <deque>
#include <string>
#include <vector>

#include "tools/win32/driver_common.h"
#include "tools/win32/screen_capture.h"

namespace {

using driver::ClassOf;
using driver::Click;
using driver::WindowText;

using driver::kMessageTextId;
constexpr char kMainClass[] = "FENSTER";
constexpr char kWaitingProperty[] = "TalvenWaiting";
constexpr char kEndedProperty[] = "TalvenEnded";
constexpr char kGridRowMessage[] = "TalvenGridRow";
// Stands in a typed text for the F1 key, pressed as a key (no character comes of it).
constexpr char kF1Key = '\f';
constexpr char kDialogModeProperty[] = "TalvenDialogMode";
constexpr char kOwnDialogProperty[] = "TalvenOwnDialog";
// The item of the ready-made dialogs' templates that holds their text or list.
constexpr int kTemplateItem = 101;
// What the driver does the next times the program waits: type a text (any bytes, Ctrl+C
// included), cover the window, click a control, choose a menu item or press a key.
struct Step {
  enum class Kind { Text, Cover, Click, Menu, Key, Set, Select, StepsEnd } kind;
  std::string text;
};
// The kind of WM_COPYDATA by which the program is asked where a menu item is.
constexpr ULONG_PTR kMenuItemQuery = 0x544D4E55;
constexpr char kPopupMenuClass[] = "#32768";

struct ControlSearch {
  DWORD pid;
  int id;
  HWND found;
};

BOOL CALLBACK FindChildById(HWND hwnd, LPARAM lparam) {
  auto* search = reinterpret_cast<ControlSearch*>(lparam);
  if (GetDlgCtrlID(hwnd) == search->id && IsWindowVisible(hwnd)) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK FindControlIn(HWND hwnd, LPARAM lparam) {
  auto* search = reinterpret_cast<ControlSearch*>(lparam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != search->pid || !IsWindowVisible(hwnd)) return TRUE;
  EnumChildWindows(hwnd, FindChildById, lparam);
  return search->found == nullptr;
}

void ClickAt(int x, int y);

// A real click (SendInput) in the middle of the program's control `id`.
void ClickControl(DWORD pid, int id) {
  ControlSearch search{pid, id, nullptr};
  EnumWindows(FindControlIn, reinterpret_cast<LPARAM>(&search));
  if (search.found == nullptr) {
    std::fprintf(stderr, "tdriver: no control %d\n", id);
    return;
  }
  RECT rect = {};
  GetWindowRect(search.found, &rect);
  const POINT middle = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  const HWND root = GetAncestor(search.found, GA_ROOT);
  SetForegroundWindow(root);
  // A click goes to whatever window is at the spot: until the control is there on top
  // (another program's window may still cover it), the program's window is raised again.
  for (int tries = 0; tries < 50; ++tries) {
    const HWND at = WindowFromPoint(middle);
    if (at == search.found || IsChild(search.found, at)) break;
    SetWindowPos(root, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(root);
    Sleep(20);
  }
  ClickAt(middle.x, middle.y);
}

// The program's visible control `id` in any of its windows, or nullptr.
HWND FindControl(DWORD pid, int id) {
  ControlSearch search{pid, id, nullptr};
  EnumWindows(FindControlIn, reinterpret_cast<LPARAM>(&search));
  if (search.found == nullptr) std::fprintf(stderr, "tdriver: no control %d\n", id);
  return search.found;
}

// "ID=TEXT" of --set and --select.
std::pair<int, std::string> StepTarget(const std::string& text) {
  const size_t equals = text.find('=');
  return {std::atoi(text.c_str()), equals == std::string::npos ? std::string() : text.substr(equals + 1)};
}

bool IsClass(HWND window, const char* name) { return lstrcmpiA(ClassOf(window).c_str(), name) == 0; }

// Whether setting the text makes the control tell its window (a single-line edit does).
bool ReportsNewText(HWND control) {
  return IsClass(control, "Edit") && (GetWindowLongA(control, GWL_STYLE) & ES_MULTILINE) == 0;
}

// Sets the control's text; what the control reports of it reaches its window as Windows
// sends it. A posted null message then wakes the program's wait.
void SetControlText(HWND control, const std::string& text) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG,
                      5000, &ignored);
  PostMessageA(control, WM_NULL, 0, 0);
}

// Chooses the entry of a list or choice box as a user's click does: the entry selected,
// then the box's window told of the new selection. The entries are compared without
// regard to case. They are read as wide texts: an entry asked for across processes comes
// back wide whichever form was asked.
void SelectEntry(HWND control, const std::string& entry) {
  const bool choice = IsClass(control, "ComboBox");
  std::wstring wanted(entry.size() + 1, L'\0');
  wanted.resize(static_cast<size_t>(std::max(
      0, MultiByteToWideChar(CP_ACP, 0, entry.c_str(), -1, wanted.data(), static_cast<int>(wanted.size())) - 1)));
  DWORD_PTR count = 0;
  SendMessageTimeoutW(control, choice ? CB_GETCOUNT : LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &count);
  for (int index = 0; index < static_cast<int>(count); ++index) {
    DWORD_PTR length = 0;
    SendMessageTimeoutW(control, choice ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, index, 0, SMTO_ABORTIFHUNG, 5000,
                        &length);
    if (static_cast<LONG_PTR>(length) < 0 || length > 65536) continue;
    std::wstring text(length + 1, L'\0');
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(control, choice ? CB_GETLBTEXT : LB_GETTEXT, index,
                        reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 5000, &ignored);
    text.resize(std::wcslen(text.c_str()));
    if (lstrcmpiW(text.c_str(), wanted.c_str()) != 0) continue;
    SendMessageTimeoutA(control, choice ? CB_SETCURSEL : LB_SETCURSEL, index, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    const WPARAM notice = MAKEWPARAM(GetDlgCtrlID(control), choice ? CBN_SELCHANGE : LBN_SELCHANGE);
    SendMessageTimeoutA(GetParent(control), WM_COMMAND, notice, reinterpret_cast<LPARAM>(control),
                        SMTO_ABORTIFHUNG, 5000, &ignored);
    PostMessageA(control, WM_NULL, 0, 0);
    return;
  }
  std::fprintf(stderr, "tdriver: no entry %s\n", entry.c_str());
}

void PressKey(int code);

// A real left click (SendInput) at the screen point. Two clicks close together in time
// and place would be one double click (which a menu bar ignores): a click waits until the
// double-click time after the last one has passed.
DWORD g_lastClick = 0;
void ClickAt(int x, int y) {
  const DWORD wait = GetDoubleClickTime() + 50;
  const DWORD since = GetTickCount() - g_lastClick;
  if (g_lastClick != 0 && since < wait) Sleep(wait - since);
  SetCursorPos(x, y);
  INPUT inputs[2] = {};
  inputs[0].type = inputs[1].type = INPUT_MOUSE;
  inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, inputs, sizeof(INPUT));
  g_lastClick = GetTickCount();
}

// "\xHH" in a menu path stands for the byte HH.
std::string UnescapedPath(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' &&
        std::isxdigit(static_cast<unsigned char>(text[i + 2])) &&
        std::isxdigit(static_cast<unsigned char>(text[i + 3]))) {
      out += static_cast<char>(std::strtol(text.substr(i + 2, 2).c_str(), nullptr, 16));
      i += 3;
    } else {
      out += text[i];
    }
  }
  return out;
}

// A --set text: \xHH a byte, \n a line break (CR LF).
std::string UnescapedSetText(const std::string& text) {
  std::string out;
  const std::string bytes = UnescapedPath(text);
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\\' && i + 1 < bytes.size() && bytes[i + 1] == 'n') {
      out += "\r\n";
      ++i;
    } else {
      out += bytes[i];
    }
  }
  return out;
}

// Where the program shows the menu item of `path` (0: not shown, or none).
LRESULT MenuItemPoint(HWND main, const std::string& path) {
  COPYDATASTRUCT data = {};
  data.dwData = kMenuItemQuery;
  data.cbData = static_cast<DWORD>(path.size());
  data.lpData = const_cast<char*>(path.data());
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(main, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                           2000, &result)) {
    return 0;
  }
  return static_cast<LRESULT>(result);
}

// Where an open pull-down is saved (--menu-shot), where the first dialog is (--dialog-shot).
std::string g_menuShot;

// A blinking caret would make every picture another: the window of the program's thread
// that shows it is told that it lost the focus (a control hides the caret and its
// selection, the program's window removes its caret).
void TakeCaretAway(HWND window) {
  GUITHREADINFO gui = {};
  gui.cbSize = sizeof(gui);
  if (GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &gui) && gui.hwndCaret != nullptr) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(gui.hwndCaret, WM_KILLFOCUS, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
  }
}
std::string g_dialogShot;

bool SaveSettledWindowShot(HWND window, const std::string& path);

// Whether the program's thread is in a menu's modal loop.
bool InMenuMode(HWND main) {
  GUITHREADINFO gui = {};
  gui.cbSize = sizeof(gui);
  return GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &gui) &&
         ((gui.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE)) != 0 || gui.hwndMenuOwner != nullptr);
}

// A greyed or disabled item refuses the click: its pull-down stays open, and a user closes
// it with Escape (as often as it takes to leave the menu), nothing chosen. A chosen item
// closes its pull-down at once.
void CloseRefusedMenu(HWND main, HWND pullDown) {
  const DWORD until = driver::DeadlineAfter(0.5);
  while (IsWindow(pullDown) && IsWindowVisible(pullDown) && !driver::Passed(until)) Sleep(10);
  if (!IsWindow(pullDown) || !IsWindowVisible(pullDown)) return;
  for (int i = 0; i < 6 && InMenuMode(main); ++i) {
    PressKey(VK_ESCAPE);
    const DWORD settled = driver::DeadlineAfter(0.3);
    while (InMenuMode(main) && IsWindowVisible(pullDown) && !driver::Passed(settled)) Sleep(10);
    if (!IsWindowVisible(pullDown) || !IsWindow(pullDown)) {
      // The pull-down is closed; the bar may still be in menu mode.
      Sleep(50);
    }
  }
}

// Chooses the item of `path` level by level: each item is clicked once the program shows
// it (a pull-down opens after the click on its parent). A path ending in ">" only opens
// the pull-downs along it: the window with them is saved (--menu-shot), then they are
// closed with Escape.
void ChooseMenu(HWND main, std::string path, bool popup) {
  if (!popup) SetForegroundWindow(main);
  const bool openOnly = !path.empty() && path.back() == '>';
  if (openOnly) path.pop_back();
  std::string prefix;
  size_t at = 0;
  int opened = 0;
  while (at <= path.size()) {
    size_t end = path.find('>', at);
    if (end == std::string::npos) end = path.size();
    prefix = path.substr(0, end);
    at = end + 1;
    LRESULT point = 0;
    const DWORD until = driver::DeadlineAfter(5.0);
    while ((point = MenuItemPoint(main, prefix)) == 0 && !driver::Passed(until)) Sleep(20);
    if (point == 0) {
      std::fprintf(stderr, "tdriver: no menu item %s\n", prefix.c_str());
      // Close what was opened (and the pop-up), as a user would.
      for (int i = 0; i <= opened; ++i) PressKey(VK_ESCAPE);
      return;
    }
    const POINT spot{static_cast<int16_t>(LOWORD(point)), static_cast<int16_t>(HIWORD(point))};
    // The pull-down the last item lies in (none for an item on the bar).
    HWND pullDown = WindowFromPoint(spot);
    if (pullDown != nullptr && ClassOf(pullDown) != kPopupMenuClass) pullDown = nullptr;
    ClickAt(spot.x, spot.y);
    ++opened;
    if (!openOnly && at == path.size() + 1 && pullDown != nullptr) CloseRefusedMenu(main, pullDown);
  }
  if (!openOnly) return;
  // The last pull-down is drawn once the program has handled the click.
  Sleep(300);
  if (!g_menuShot.empty()) TakeCaretAway(main);
  if (!g_menuShot.empty() && !SaveSettledWindowShot(main, g_menuShot)) {
    std::fprintf(stderr, "tdriver: no menu screenshot\n");
  }
  for (int i = 0; i <= opened; ++i) PressKey(VK_ESCAPE);
}

// A real key press (SendInput) of the virtual-key code.
void PressKey(int code) {
  INPUT inputs[2] = {};
  inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
  inputs[0].ki.wVk = inputs[1].ki.wVk = static_cast<WORD>(code);
  inputs[0].ki.wScan = inputs[1].ki.wScan = static_cast<WORD>(MapVirtualKeyA(code, 0));
  inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, inputs, sizeof(INPUT));
}

// Types one character as the keyboard would deliver it to the window's queue. Enter in a
// dialog-mode window is a key press, so that dialog navigation sees it; F1 is a key press.
void TypeInto(HWND main, char c) {
  const bool dialogMode = GetPropA(main, kDialogModeProperty) != nullptr;
  if (c == kF1Key || (c == '\r' && dialogMode)) {
    const WPARAM key = c == kF1Key ? VK_F1 : VK_RETURN;
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(static_cast<UINT>(key), 0)) << 16;
    PostMessageA(main, WM_KEYDOWN, key, scan | 1);
    PostMessageA(main, WM_KEYUP, key, scan | 1 | (3u << 30));
    return;
  }
  PostMessageA(main, WM_CHAR, static_cast<unsigned char>(c), 1);
}

// Line breaks of boxes and grid rows are reported as "\n", whichever bytes make them.
std::string Escaped(const std::string& text) {
  return driver::Escaped(text, driver::LineBreaks::Folded);
}

struct Search {
  DWORD pid;
  const char* className;
  HWND found;
  bool progressToo = false;
  bool ownToo = false;
};

BOOL CALLBACK FindWindowOf(HWND hwnd, LPARAM lparam) {
  auto* search = reinterpret_cast<Search*>(lparam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  // The setup program's progress window stays open while other dialogs come and go.
  HWND bar = GetDlgItem(hwnd, 401);
  const bool progress = bar != nullptr && ClassOf(bar) == "MedraBar" && !search->progressToo;
  // The program's own dialogs (CREATEDIALOG) are windows it waits in, not dialogs to answer,
  // unless a picture of the first dialog is wanted (it is then cancelled like the others).
  if (!search->ownToo && GetPropA(hwnd, kOwnDialogProperty) != nullptr) return TRUE;
  if (pid == search->pid && IsWindowVisible(hwnd) && ClassOf(hwnd) == search->className && !progress) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND FindOf(DWORD pid, const char* className, bool progressToo = false, bool ownToo = false) {
  Search search{pid, className, nullptr, progressToo, ownToo};
  EnumWindows(FindWindowOf, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string Unescaped(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() &&
        (text[i + 1] == 'n' || text[i + 1] == 'b' || text[i + 1] == 'f')) {
      out += text[i + 1] == 'n' ? '\r' : text[i + 1] == 'b' ? '\b' : kF1Key;
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

// Covers `window` with a window of our own for a moment, then uncovers it.
void CoverAndUncover(HWND window) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  HWND cover = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE | SS_BLACKRECT,
                               rect.left, rect.top, rect.right - rect.left,
                               rect.bottom - rect.top, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
  UpdateWindow(cover);
  const DWORD until = GetTickCount() + 300;
  MSG msg;
  while (static_cast<LONG>(GetTickCount() - until) < 0) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(10);
  }
  DestroyWindow(cover);
  // Wine keeps the pixels of a covered window itself and may put them back without telling
  // the program; Windows invalidates what was uncovered. Do what Windows does.
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

// The client area of `window` as the screen shows it, written as a 24-bit BMP file.
bool SaveScreenshot(HWND window, const std::string& path) {
  RECT client = {};
  GetClientRect(window, &client);
  POINT origin = {0, 0};
  ClientToScreen(window, &origin);
  return driver::SaveScreenArea(origin, client.right, client.bottom, path);
}

// The whole of `window` (frame, caption, menu bar, and what lies over it, such as an open
// pull-down) once what the screen shows of it has stopped changing (a dialog
// under load paints its items one after the other): the same pixels four times, 150 ms
// apart, or after 5 s whatever is there.
bool SaveSettledWindowShot(HWND window, const std::string& path) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return false;
  const POINT origin{rect.left, rect.top};
  std::vector<unsigned char> last = driver::CaptureScreenArea(origin, width, height);
  int same = 0;
  for (int i = 0; i < 33 && same < 3; ++i) {
    Sleep(150);
    std::vector<unsigned char> now = driver::CaptureScreenArea(origin, width, height);
    same = now == last ? same + 1 : 0;
    last = std::move(now);
  }
  return driver::WriteBitmap(width, height, last, path);
}

// The whole screen with `dialog` in place, or moved off the screen meanwhile. The program
// repaints what the dialog uncovers while it waits in the dialog's loop.
bool SaveScreenWith(HWND dialog, bool behind, const std::string& path) {
  RECT place = {};
  GetWindowRect(dialog, &place);
  if (behind) {
    SetWindowPos(dialog, nullptr, -4000, -4000, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  Sleep(behind ? 700 : 400);
  const bool saved = driver::SaveScreenArea(POINT{0, 0}, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), path);
  if (behind) {
    SetWindowPos(dialog, nullptr, place.left, place.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return saved;
}

// The program's text grid, row by row, asked for through its grid-row message.
// The caret of the program's window, in client pixels: "caret: LEFT,TOP,RIGHT,BOTTOM", or
// "caret: none".
void ReportCaret(HWND window) {
  GUITHREADINFO gui = {};
  gui.cbSize = sizeof(gui);
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &gui) || gui.hwndCaret != window) {
    std::printf("caret: none\n");
    return;
  }
  std::printf("caret: %ld,%ld,%ld,%ld\n", gui.rcCaret.left, gui.rcCaret.top, gui.rcCaret.right,
              gui.rcCaret.bottom);
}

void ReportScreen(HWND window) {
  const UINT message = RegisterWindowMessageA(kGridRowMessage);
  std::vector<std::string> rows;
  for (WPARAM row = 0; row < 1000; ++row) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, row, 0, SMTO_ABORTIFHUNG, 2000, &result) ||
        result == 0) {
      break;
    }
    const ATOM atom = static_cast<ATOM>(result);
    char text[300] = {};
    GlobalGetAtomNameA(atom, text, sizeof(text));
    GlobalDeleteAtom(atom);
    rows.push_back(text[0] == '|' ? text + 1 : text);
  }
  while (!rows.empty() && rows.back().empty()) rows.pop_back();
  for (const std::string& row : rows) std::printf("screen: %s\n", Escaped(row).c_str());
  std::fflush(stdout);
}

std::string IconName(HWND dialog) { return driver::ShowsIcon(dialog) ? "icon" : "none"; }

std::string ButtonsName(HWND dialog) {
  const bool ok = driver::HasButton(dialog, IDOK);
  const bool cancel = driver::HasButton(dialog, IDCANCEL);
  const bool yes = driver::HasButton(dialog, IDYES);
  const bool no = driver::HasButton(dialog, IDNO);
  if (yes && no) return cancel ? "yesnocancel" : "yesno";
  if (ok && cancel) return "okcancel";
  return "ok";
}

// Selects PATH in the shell's browse dialog and clicks OK. The dialog takes the path as a
// string in its own process: the text is written into that process for the message.
void AnswerFolderDialog(HWND dialog, const std::string& path) {
  constexpr UINT kSetSelection = WM_USER + 102;  // BFFM_SETSELECTIONA
  DWORD pid = 0;
  GetWindowThreadProcessId(dialog, &pid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
  void* remote = process ? VirtualAllocEx(process, nullptr, path.size() + 1, MEM_COMMIT | MEM_RESERVE,
                                          PAGE_READWRITE)
                         : nullptr;
  DWORD_PTR ignored = 0;
  if (remote != nullptr && WriteProcessMemory(process, remote, path.c_str(), path.size() + 1, nullptr)) {
    SendMessageTimeoutA(dialog, kSetSelection, TRUE, reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG, 5000,
                        &ignored);
    Click(dialog, IDOK);
  } else {
    std::fprintf(stderr, "tdriver: cannot select the folder\n");
    Click(dialog, IDCANCEL);
  }
  driver::WaitUntilGone(dialog);
  if (remote != nullptr) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  if (process != nullptr) CloseHandle(process);
}

// Whether the dialog is one of the ready-made dialogs from the programs' templates (their
// edit or list is item 101).
bool IsTemplateDialog(HWND dialog) {
  HWND item = GetDlgItem(dialog, kTemplateItem);
  return item != nullptr && (IsClass(item, "Edit") || IsClass(item, "ListBox"));
}

// Reports and answers one dialog; waits until it is gone so it is never seen twice.
void Handle(HWND dialog, std::deque<std::string>& answers, std::deque<Step>& typed) {
  while (!answers.empty() && (answers.front().rfind("shot:", 0) == 0 || answers.front().rfind("shot-behind:", 0) == 0)) {
    const bool behind = answers.front()[4] == '-';
    if (!SaveScreenWith(dialog, behind, answers.front().substr(behind ? 12 : 5))) {
      std::fprintf(stderr, "tdriver: no screenshot\n");
    }
    answers.pop_front();
  }
  std::string answer;
  if (!answers.empty()) {
    answer = answers.front();
    answers.pop_front();
  }
  const std::string caption = driver::CaptionOf(dialog);
  if (!g_dialogShot.empty()) {
    // Drawn once the program waits for the dialog's messages (the frame too).
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
    TakeCaretAway(dialog);
    // Painted now, frame and items (the paint messages are sent to the program and
    // answered before this returns).
    RedrawWindow(dialog, nullptr, nullptr,
                 RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
    Sleep(200);
    if (!SaveSettledWindowShot(dialog, g_dialogShot)) std::fprintf(stderr, "tdriver: no dialog screenshot\n");
    g_dialogShot.clear();
  }
  // The set and select steps that come first are for this dialog (not for a box).
  while (GetDlgItem(dialog, kMessageTextId) == nullptr && !typed.empty() &&
         (typed.front().kind == Step::Kind::Set || typed.front().kind == Step::Kind::Select ||
          typed.front().kind == Step::Kind::StepsEnd)) {
    if (typed.front().kind == Step::Kind::StepsEnd) {
      typed.pop_front();
      break;
    }
    const auto [id, text] = StepTarget(typed.front().text);
    HWND item = GetDlgItem(dialog, id);
    if (item == nullptr) {
      std::fprintf(stderr, "tdriver: no item %d\n", id);
    } else if (typed.front().kind == Step::Kind::Set) {
      SetControlText(item, text);
    } else {
      SelectEntry(item, text);
    }
    typed.pop_front();
  }
  if (HWND text = GetDlgItem(dialog, kMessageTextId)) {
    std::printf("box: %s %s | %s | %s\n", IconName(dialog).c_str(), ButtonsName(dialog).c_str(),
                Escaped(caption).c_str(), Escaped(WindowText(text)).c_str());
    driver::AnswerBox(dialog, answer);
  } else if (answer.rfind("dlg:", 0) == 0 || answer == "progress:cancel") {
    HWND text = GetDlgItem(dialog, 4001);
    if (text == nullptr) text = GetDlgItem(dialog, 100);
    std::printf("dialog: %s | %s\n", Escaped(caption).c_str(), text ? Escaped(WindowText(text)).c_str() : "");
    driver::ApplyDialogActions(dialog, answer == "progress:cancel" ? "2" : answer.substr(4));
  } else if (answer.rfind("folder:", 0) == 0) {
    std::printf("dialog: %s\n", Escaped(caption).c_str());
    std::fflush(stdout);
    AnswerFolderDialog(dialog, answer.substr(7));
  } else {
    std::printf("dialog: %s\n", Escaped(caption).c_str());
    if (answer.rfind("file:", 0) == 0) {
      driver::AnswerFileDialog(dialog, answer.substr(5));
    } else if (answer == "ok" && IsTemplateDialog(dialog)) {
      Click(dialog, IDOK);
    } else {
      Click(dialog, IDCANCEL);
    }
  }
  std::fflush(stdout);
  driver::WaitUntilGone(dialog);
}

}  // namespace

int main(int argc, char** argv) {
  double timeout = 20.0;
  std::deque<std::string> answers;
  std::deque<Step> typed;  // texts to type, and the other actions in their order
  std::string screenshot;
  bool reportCaret = false;
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
    } else if (arg == "--type" && i + 1 < argc) {
      typed.push_back({Step::Kind::Text, Unescaped(argv[++i])});
    } else if (arg == "--click" && i + 1 < argc) {
      typed.push_back({Step::Kind::Click, argv[++i]});
    } else if (arg == "--menu" && i + 1 < argc) {
      typed.push_back({Step::Kind::Menu, UnescapedPath(argv[++i])});
    } else if (arg == "--set" && i + 1 < argc) {
      typed.push_back({Step::Kind::Set, UnescapedSetText(argv[++i])});
    } else if (arg == "--steps-end") {
      typed.push_back({Step::Kind::StepsEnd, {}});
    } else if (arg == "--select" && i + 1 < argc) {
      typed.push_back({Step::Kind::Select, UnescapedPath(argv[++i])});
    } else if (arg == "--key" && i + 1 < argc) {
      typed.push_back({Step::Kind::Key, argv[++i]});
    } else if (arg == "--cover") {
      typed.push_back({Step::Kind::Cover, {}});
    } else if (arg == "--menu-shot" && i + 1 < argc) {
      g_menuShot = argv[++i];
    } else if (arg == "--dialog-shot" && i + 1 < argc) {
      g_dialogShot = argv[++i];
    } else if (arg == "--caret") {
      reportCaret = true;
    } else if (arg == "--screenshot" && i + 1 < argc) {
      screenshot = argv[++i];
    } else {
      std::fprintf(stderr, "tdriver: unknown option %s\n", arg.c_str());
      return 100;
    }
  }
  if (i >= argc) {
    std::fprintf(stderr, "usage: tdriver [--timeout S] [--answer A]... -- PROGRAM [ARGS...]\n");
    return 100;
  }
  const std::string commandLine = driver::CommandLine(argc, argv, i, driver::Arguments::AsWritten);

  PROCESS_INFORMATION process;
  if (!driver::StartProgram("tdriver", commandLine, process)) return 101;

  const DWORD deadline = driver::DeadlineAfter(timeout);
  uintptr_t typedAtWait = 0;
  bool closing = false;
  for (;;) {
    if (WaitForSingleObject(process.hProcess, 10) == WAIT_OBJECT_0) break;
    const bool progressNext = !answers.empty() && answers.front() == "progress:cancel";
    if (HWND dialog = FindOf(process.dwProcessId, "#32770", progressNext, !g_dialogShot.empty())) {
      Handle(dialog, answers, typed);
      continue;
    }
    HWND main = FindOf(process.dwProcessId, kMainClass);
    // A pop-up menu shown by the program is answered at once when a menu choice is next.
    if (main != nullptr && !closing && !typed.empty() && typed.front().kind == Step::Kind::Menu &&
        FindOf(process.dwProcessId, kPopupMenuClass) != nullptr) {
      ChooseMenu(main, typed.front().text, true);
      typed.pop_front();
      continue;
    }
    if (main != nullptr && !closing) {
      const auto wait = reinterpret_cast<uintptr_t>(GetPropA(main, kWaitingProperty));
      if (GetPropA(main, kEndedProperty) != nullptr) {
        // Wine shows what a window drew once its program waits for messages again: let the
        // program answer one message and give the display a moment before the picture.
        if (reportCaret) ReportCaret(main);
        if (!screenshot.empty()) {
          DWORD_PTR ignored = 0;
          TakeCaretAway(main);
          SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
          Sleep(250);
        }
        if (!screenshot.empty() && !SaveScreenshot(main, screenshot)) {
          std::fprintf(stderr, "tdriver: no screenshot\n");
        }
        ReportScreen(main);
        PostMessageA(main, WM_CLOSE, 0, 0);
        closing = true;
      } else if (!typed.empty() && wait != 0 && wait != typedAtWait) {
        // The program is blocked waiting for input: type the next text, or cover.
        const Step& step = typed.front();
        bool waitEnds = true;
        switch (step.kind) {
          case Step::Kind::StepsEnd:
            waitEnds = false;  // the steps before it were not a dialog's
            break;
          case Step::Kind::Set:
          case Step::Kind::Select: {
            const auto [id, text] = StepTarget(step.text);
            HWND control = FindControl(process.dwProcessId, id);
            if (control == nullptr) break;
            if (step.kind == Step::Kind::Set) {
              waitEnds = ReportsNewText(control);
              SetControlText(control, text);
            } else {
              SelectEntry(control, text);
            }
            break;
          }
          case Step::Kind::Cover:
            CoverAndUncover(main);
            break;
          case Step::Kind::Click:
            ClickControl(process.dwProcessId, std::atoi(step.text.c_str()));
            break;
          case Step::Kind::Menu:
            ChooseMenu(main, step.text, false);
            break;
          case Step::Kind::Key:
            PressKey(std::atoi(step.text.c_str()));
            break;
          case Step::Kind::Text:
            for (const char c : step.text) TypeInto(main, c);
            break;
        }
        typed.pop_front();
        // A step that does not end the wait is followed by the next one in the same wait.
        if (waitEnds) typedAtWait = wait;
      }
    }
    if (driver::Passed(deadline)) {
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
