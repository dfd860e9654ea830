// The Win32 side of the family "controls": real controls, the program's own dialog windows,
// the ready-made dialogs from the programs' templates, the common dialogs, the folder
// browser, keyboard input through SendInput and the enumerations that fill the shared list.

#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "library/controls/controls_platform.h"
#include "library/controls/list_text.h"
#include "library/controls/shared_list.h"
#include "library/families.h"
#include "library/controls/win32/controls_win32.h"
#include "library/win32/file_dialogs.h"
#include "library/win32/win32_host.h"
#include "library/windows/win32/win32_window_parts.h"

namespace talven {

namespace {

using win32_window_parts::kOwnDialogProperty;

constexpr int kEditId = 101;
constexpr int kListId = 101;
constexpr int kPromptId = 100;
constexpr int kInputId = 101;
constexpr int kCopyId = 102;
constexpr int kCutId = 103;
constexpr int kPasteId = 104;
constexpr int kListCharWidth = 9;
// A tree walked by ADDFILES goes at most this deep (links are not followed either).
constexpr int kMaxTreeDepth = 32;

HWND AsWindow(intptr_t handle) { return reinterpret_cast<HWND>(handle); }
intptr_t AsHandle(HWND window) { return reinterpret_cast<intptr_t>(window); }
HINSTANCE ProgramModule() { return GetModuleHandleA(nullptr); }
// The owner of a dialog: the main window while it lives, else none.
HWND OwnerWindow(intptr_t handle) {
  HWND window = AsWindow(handle);
  return window != nullptr && IsWindow(window) ? window : nullptr;
}

// Commands and scroll requests of the program's own dialogs go by the rules of the class
// "DIALOG" into the main window's input state.
INT_PTR CALLBACK OwnDialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND || message == WM_HSCROLL || message == WM_VSCROLL) {
    WNDCLASSA windowClass = {};
    if (GetClassInfoA(ProgramModule(), win32_window_parts::kDialogClassName, &windowClass)) {
      CallWindowProcA(windowClass.lpfnWndProc, dialog, message, wParam, lParam);
    }
    return TRUE;
  }
  return FALSE;
}

void ApplyFont(HWND window, intptr_t font) {
  if (window != nullptr && font != 0) {
    SendMessageA(window, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
  }
}

std::string TextOf(HWND window) {
  const int length = GetWindowTextLengthA(window);
  std::string text(static_cast<size_t>(std::max(length, 0)) + 1, '\0');
  const int got = GetWindowTextA(window, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<size_t>(std::max(got, 0)));
  return text;
}

void SetTitleIfGiven(HWND dialog, const std::string& title) {
  if (!title.empty()) ::SetWindowTextA(dialog, title.c_str());
}

// The edit dialog's state while it is open.
struct EditContext {
  std::string title;
  std::string text;
  std::vector<std::string> lines;
};

void UpdateEditButtons(HWND dialog) {
  HWND edit = GetDlgItem(dialog, kEditId);
  DWORD start = 0;
  DWORD end = 0;
  SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  const bool selection = end > start;
  EnableWindow(GetDlgItem(dialog, IDOK), GetWindowTextLengthA(edit) > 0);
  EnableWindow(GetDlgItem(dialog, kCopyId), selection);
  EnableWindow(GetDlgItem(dialog, kCutId), selection);
}

INT_PTR CALLBACK EditProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* context = reinterpret_cast<EditContext*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      context = reinterpret_cast<EditContext*>(lParam);
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      SetTitleIfGiven(dialog, context->title);
      HWND edit = GetDlgItem(dialog, kEditId);
      // Mended: the edit takes the whole list, however long (its default limit would cut
      // the text and OK would then drop the rest).
      SendMessageA(edit, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
      SetWindowTextA(edit, context->text.c_str());
      SendMessageA(edit, EM_SETSEL, 0, -1);
      SetFocus(edit);
      UpdateEditButtons(dialog);
      return FALSE;
    }
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      HWND edit = GetDlgItem(dialog, kEditId);
      switch (id) {
        case kCopyId: SendMessageA(edit, WM_COPY, 0, 0); break;
        case kCutId: SendMessageA(edit, WM_CUT, 0, 0); break;
        case kPasteId: SendMessageA(edit, WM_PASTE, 0, 0); break;
        case IDOK: {
          SplitLines split = SplitEditText(TextOf(edit), SharedList::kCapacity);
          if (split.tooMany) {
            // Mended: more lines than the list holds are refused; the dialog stays open and
            // nothing is lost.
            MessageBoxA(dialog, "Zu viele Elemente!", nullptr, MB_OK | MB_ICONEXCLAMATION);
            return TRUE;
          }
          context->lines = std::move(split.lines);
          EndDialog(dialog, 1);
          return TRUE;
        }
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
        default: break;
      }
      if (id == kEditId || id == kCopyId || id == kCutId || id == kPasteId) UpdateEditButtons(dialog);
      return TRUE;
    }
    default: return FALSE;
  }
}

struct ListContext {
  std::string title;
  const std::vector<std::string>* entries = nullptr;
  ListDialogAnswer answer;
};

void TakeSelection(HWND dialog, ListContext& context) {
  HWND list = GetDlgItem(dialog, kListId);
  const LRESULT index = SendMessageA(list, LB_GETCURSEL, 0, 0);
  if (index == LB_ERR) return;
  const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  std::string text(static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1, '\0');
  SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(std::strlen(text.c_str()));
  context.answer.index = static_cast<int32_t>(index);
  context.answer.text = text;
}

INT_PTR CALLBACK ListProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* context = reinterpret_cast<ListContext*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      context = reinterpret_cast<ListContext*>(lParam);
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      SetTitleIfGiven(dialog, context->title);
      HWND list = GetDlgItem(dialog, kListId);
      size_t longest = 0;
      for (const std::string& entry : *context->entries) longest = std::max(longest, entry.size());
      SendMessageA(list, LB_SETHORIZONTALEXTENT, longest * kListCharWidth, 0);
      SendMessageA(list, WM_SETREDRAW, FALSE, 0);
      for (const std::string& entry : *context->entries) {
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
      }
      SendMessageA(list, WM_SETREDRAW, TRUE, 0);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == kListId && HIWORD(wParam) == LBN_SELCHANGE) {
        TakeSelection(dialog, *context);
      } else if (LOWORD(wParam) == kListId && HIWORD(wParam) == LBN_DBLCLK) {
        TakeSelection(dialog, *context);
        context->answer.ok = true;
        EndDialog(dialog, IDOK);
      } else if (LOWORD(wParam) == IDOK) {
        context->answer.ok = true;
        EndDialog(dialog, IDOK);
      } else if (LOWORD(wParam) == IDCANCEL) {
        context->answer.ok = false;
        EndDialog(dialog, IDCANCEL);
      }
      return TRUE;
    default: return FALSE;
  }
}

struct InputContext {
  std::string prompt;
  std::string title;
  std::string initial;
  std::string entered;
};

INT_PTR CALLBACK InputProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* context = reinterpret_cast<InputContext*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      context = reinterpret_cast<InputContext*>(lParam);
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      SetTitleIfGiven(dialog, context->title);
      SetDlgItemTextA(dialog, kPromptId, context->prompt.c_str());
      SetDlgItemTextA(dialog, kInputId, context->initial.c_str());
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        context->entered = TextOf(GetDlgItem(dialog, kInputId));
        EndDialog(dialog, IDOK);
      } else if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
      }
      return TRUE;
    default: return FALSE;
  }
}

// The sort key of a text under the comparison of lstrcmpi and of the sorted list boxes
// (case ignored, the given locale): comparing two keys byte by byte gives what comparing
// the texts gives. Under Wine every CompareString costs a few microseconds, so a sort of
// thousands of texts computes each key once and then compares bytes.
std::string SortKey(const std::string& text, LCID locale) {
  const int wide = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring converted(static_cast<size_t>(std::max(wide, 0)), L'\0');
  if (wide > 0) {
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), converted.data(), wide);
  }
  const DWORD flags = LCMAP_SORTKEY | NORM_IGNORECASE;
  const int length = LCMapStringW(locale, flags, converted.c_str(), -1, nullptr, 0);
  if (length <= 0) return {};
  std::string key(static_cast<size_t>(length), '\0');
  LCMapStringW(locale, flags, converted.c_str(), -1, reinterpret_cast<LPWSTR>(key.data()), length);
  return key;
}

// The positions of `texts` in the order of their sort keys; entries whose keys are equal
// keep their order. `ties` (when given) tells whether two different texts had equal keys.
std::vector<size_t> KeyOrder(const std::vector<std::string>& texts, LCID locale, bool* ties = nullptr) {
  std::vector<std::string> keys;
  keys.reserve(texts.size());
  for (const std::string& text : texts) keys.push_back(SortKey(text, locale));
  std::vector<size_t> order(texts.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&keys](size_t a, size_t b) { return keys[a] < keys[b]; });
  if (ties != nullptr) {
    *ties = false;
    for (size_t i = 1; i < order.size(); ++i) {
      if (keys[order[i - 1]] == keys[order[i]] && texts[order[i - 1]] != texts[order[i]]) *ties = true;
    }
  }
  return order;
}

// Sorts names as lstrcmpi orders them.
void SortNames(std::vector<std::string>& names) {
  const std::vector<size_t> order = KeyOrder(names, LOCALE_USER_DEFAULT);
  std::vector<std::string> sorted;
  sorted.reserve(names.size());
  for (size_t i : order) sorted.push_back(std::move(names[i]));
  names = std::move(sorted);
}

bool IsDots(const char* name) { return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0; }

// The folder part of a mask, with its backslash ("" for a bare pattern).
std::string FolderOf(const std::string& mask) {
  const size_t slash = mask.find_last_of("\\/:");
  return slash == std::string::npos ? std::string() : mask.substr(0, slash + 1);
}

// Files matching `pattern` in `folder`, then the folders below (links left alone), as full
// names; false when more than `room` were found.
bool WalkTree(const std::string& folder, const std::string& pattern, int depth, size_t room,
              std::vector<std::string>& out) {
  WIN32_FIND_DATAA found;
  std::vector<std::string> names;
  HANDLE search = FindFirstFileA((folder + pattern).c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      names.push_back(folder + found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  SortNames(names);
  for (std::string& name : names) {
    if (out.size() >= room) return false;
    out.push_back(std::move(name));
  }
  if (depth >= kMaxTreeDepth) return true;
  std::vector<std::string> folders;
  search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || IsDots(found.cFileName)) continue;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
      folders.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  SortNames(folders);
  for (const std::string& sub : folders) {
    if (!WalkTree(folder + sub + "\\", pattern, depth + 1, room, out)) return false;
  }
  return true;
}

struct TitleSearch {
  std::string prefix;
  size_t room = 0;
  ControlsPlatform::Names* names = nullptr;
};

BOOL CALLBACK CollectTitle(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<TitleSearch*>(lParam);
  char title[256] = {};
  GetWindowTextA(window, title, sizeof(title));
  if (title[0] == '\0' || std::strncmp(title, search->prefix.c_str(), search->prefix.size()) != 0) {
    return TRUE;
  }
  if (search->names->names.size() >= search->room) {
    search->names->more = true;
    return FALSE;
  }
  search->names->names.emplace_back(title);
  return TRUE;
}

struct FontSearch {
  std::set<std::string> seen;
  size_t room = 0;
  ControlsPlatform::Names* names = nullptr;
};

int CALLBACK CollectFont(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM lParam) {
  auto* search = reinterpret_cast<FontSearch*>(lParam);
  const std::string name = font->lfFaceName;
  if (name.empty() || !search->seen.insert(name).second) return 1;
  if (search->names->names.size() >= search->room) {
    search->names->more = true;
    return 0;
  }
  search->names->names.push_back(name);
  return 1;
}

// A filter as the common dialogs take it: the parts of the mask between "|" as strings
// that end in NUL; a mask of one part names itself.
std::string FilterOf(std::string_view mask) {
  std::string filter(mask);
  if (filter.find('|') == std::string::npos) filter = filter + "|" + filter;
  for (char& c : filter) {
    if (c == '|') c = '\0';
  }
  filter.append(2, '\0');
  return filter;
}

class Win32Controls final : public ControlsPlatform {
 public:
  intptr_t CreateControl(const ControlRequest& request) override {
    HINSTANCE instance = request.instance != 0 ? reinterpret_cast<HINSTANCE>(request.instance)
                                               : ProgramModule();
    HWND window = CreateWindowExA(request.extendedStyle, request.className.c_str(),
                                  request.text.c_str(), request.style, request.x, request.y,
                                  request.width, request.height, AsWindow(request.parent),
                                  reinterpret_cast<HMENU>(static_cast<intptr_t>(request.id)),
                                  instance, nullptr);
    ApplyFont(window, request.font);
    return AsHandle(window);
  }

  intptr_t CreateDialogWindow(intptr_t parent, std::string_view title, int32_t x, int32_t y,
                              int32_t width, int32_t height, intptr_t font) override {
    HWND dialog = CreateDialogParamA(ProgramModule(), "LDIALOG", AsWindow(parent),
                                     OwnDialogProcedure, 0);
    if (dialog == nullptr) return 0;
    SetPropA(dialog, kOwnDialogProperty, reinterpret_cast<HANDLE>(1));
    ::SetWindowTextA(dialog, std::string(title).c_str());
    MoveWindow(dialog, x, y, width, height, TRUE);
    ApplyFont(dialog, font);
    ShowWindow(dialog, SW_SHOW);
    return AsHandle(dialog);
  }

  intptr_t CreateOwnedWindow(intptr_t parent, std::string_view title, int32_t x, int32_t y,
                             int32_t width, int32_t height, uint32_t style, bool mainClass,
                             intptr_t font) override {
    // Mended: a window of the main window's class gets no creation data, so its procedure
    // leaves the main window's grid, contexts and the quit message alone.
    const char* className =
        mainClass ? win32_window_parts::kClassName : win32_window_parts::kDialogClassName;
    HWND window = CreateWindowExA(0, className, std::string(title).c_str(), style | WS_VISIBLE,
                                  x, y, width, height, AsWindow(parent), nullptr,
                                  ProgramModule(), nullptr);
    if (window == nullptr) return 0;
    if (!mainClass) SetPropA(window, kOwnDialogProperty, reinterpret_cast<HANDLE>(1));
    ApplyFont(window, font);
    return AsHandle(window);
  }

  intptr_t CreateExternalDialog(intptr_t parent, intptr_t instance, std::string_view name,
                                bool byNumber, int32_t number) override {
    HINSTANCE module = instance != 0 ? reinterpret_cast<HINSTANCE>(instance) : ProgramModule();
    const std::string nameZ(name);
    LPCSTR resource = byNumber ? MAKEINTRESOURCEA(number & 0xFFFF) : nameZ.c_str();
    HWND dialog = CreateDialogParamA(module, resource, AsWindow(parent), OwnDialogProcedure, 0);
    if (dialog == nullptr) return 0;
    SetPropA(dialog, kOwnDialogProperty, reinterpret_cast<HANDLE>(1));
    ShowWindow(dialog, SW_SHOW);
    return AsHandle(dialog);
  }

  intptr_t DialogItem(intptr_t dialog, int32_t id) override {
    return AsHandle(GetDlgItem(AsWindow(dialog), id));
  }

  int32_t Send(intptr_t window, ListMessage message, int32_t index,
               std::string_view text) override {
    const std::string textZ(text);
    const LPARAM textParam = reinterpret_cast<LPARAM>(textZ.c_str());
    const WPARAM indexParam = static_cast<WPARAM>(index);
    HWND target = AsWindow(window);
    LRESULT result = 0;
    switch (message) {
      case ListMessage::AddString: result = SendMessageA(target, LB_ADDSTRING, 0, textParam); break;
      case ListMessage::AddChoice: result = SendMessageA(target, CB_ADDSTRING, 0, textParam); break;
      case ListMessage::InsertString:
        result = SendMessageA(target, LB_INSERTSTRING, indexParam, textParam);
        break;
      case ListMessage::DeleteString: result = SendMessageA(target, LB_DELETESTRING, indexParam, 0); break;
      case ListMessage::DeleteChoice: result = SendMessageA(target, CB_DELETESTRING, indexParam, 0); break;
      case ListMessage::SelectString:
        result = SendMessageA(target, LB_SELECTSTRING, indexParam, textParam);
        break;
      case ListMessage::Count: result = SendMessageA(target, LB_GETCOUNT, 0, 0); break;
      case ListMessage::CurrentIndex: result = SendMessageA(target, LB_GETCURSEL, 0, 0); break;
      case ListMessage::LineCount: result = SendMessageA(target, EM_GETLINECOUNT, 0, 0); break;
      case ListMessage::GetCheck: result = SendMessageA(target, BM_GETCHECK, 0, 0); break;
      case ListMessage::SetCheck: result = SendMessageA(target, BM_SETCHECK, indexParam, 0); break;
    }
    return static_cast<int32_t>(result);
  }

  // Mended: the entry's length is asked first, so a long entry cannot overrun the buffer.
  std::string ListText(intptr_t window, int32_t index) override {
    HWND list = AsWindow(window);
    const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR || length < 0) return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const LRESULT got = SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(index),
                                     reinterpret_cast<LPARAM>(text.data()));
    if (got == LB_ERR) return {};
    text.resize(std::strlen(text.c_str()));
    return text;
  }

  std::string EditLine(intptr_t window, int32_t line) override {
    char buffer[258] = {};
    *reinterpret_cast<WORD*>(buffer) = 255;
    const LRESULT got = SendMessageA(AsWindow(window), EM_GETLINE, static_cast<WPARAM>(line),
                                     reinterpret_cast<LPARAM>(buffer));
    return std::string(buffer, static_cast<size_t>(std::clamp<LRESULT>(got, 0, 255)));
  }

  std::string WindowText(intptr_t window) override {
    char buffer[256] = {};
    SendMessageA(AsWindow(window), WM_GETTEXT, sizeof(buffer), reinterpret_cast<LPARAM>(buffer));
    return buffer;
  }

  void SetTextOf(intptr_t window, std::string_view text) override {
    ::SetWindowTextA(AsWindow(window), std::string(text).c_str());
  }

  int32_t ScrollPosition(intptr_t window) override { return GetScrollPos(AsWindow(window), SB_CTL); }

  void SetScrollPosition(intptr_t window, int32_t position) override {
    SetScrollPos(AsWindow(window), SB_CTL, position, TRUE);
  }

  void SetScrollRange(intptr_t window, int32_t minimum, int32_t maximum) override {
    ::SetScrollRange(AsWindow(window), SB_CTL, minimum, maximum, TRUE);
  }

  void AddEntries(intptr_t window, const std::vector<std::string>& entries, bool comboBox) override {
    HWND target = AsWindow(window);
    const UINT add = comboBox ? CB_ADDSTRING : LB_ADDSTRING;
    const UINT insert = comboBox ? CB_INSERTSTRING : LB_INSERTSTRING;
    const LONG style = GetWindowLongA(target, GWL_STYLE);
    const bool sorted = comboBox ? (style & CBS_SORT) != 0 : (style & LBS_SORT) != 0;
    const bool empty = SendMessageA(target, comboBox ? CB_GETCOUNT : LB_GETCOUNT, 0, 0) == 0;
    // Room for all of them at once: else the list grows its store a few entries at a time,
    // copying it each time.
    size_t bytes = 0;
    for (const std::string& entry : entries) bytes += entry.size() + 1;
    SendMessageA(target, comboBox ? CB_INITSTORAGE : LB_INITSTORAGE, entries.size(), static_cast<LPARAM>(bytes));
    SendMessageA(target, WM_SETREDRAW, FALSE, 0);
    // A sorted list finds the place of each added entry by a binary search with CompareString,
    // which under Wine makes 32768 entries take seconds. Into an empty sorted list the entries
    // go in the order the list itself gives them (its own comparison, by sort keys) and are
    // appended without a search. Only when two different entries compare equal would the
    // list's search decide their order: then they are added one by one as before.
    std::vector<size_t> order;
    if (sorted && empty && entries.size() > 1) {
      const LCID locale = static_cast<LCID>(SendMessageA(target, comboBox ? CB_GETLOCALE : LB_GETLOCALE, 0, 0));
      bool ties = false;
      order = KeyOrder(entries, locale, &ties);
      if (ties) order.clear();
    }
    if (!order.empty()) {
      for (size_t i : order) {
        SendMessageA(target, insert, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(entries[i].c_str()));
      }
    } else {
      for (const std::string& entry : entries) {
        SendMessageA(target, add, 0, reinterpret_cast<LPARAM>(entry.c_str()));
      }
    }
    SendMessageA(target, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(target, nullptr, TRUE);
  }

  void SetEditText(intptr_t window, std::string_view text) override {
    ::SetWindowTextA(AsWindow(window), std::string(text).c_str());
  }

  bool SendKeys(intptr_t window, const std::vector<KeyPress>& presses) override {
    if (window != 0) {
      SetForegroundWindow(AsWindow(window));
      SetActiveWindow(AsWindow(window));
    }
    if (presses.empty()) return true;
    std::vector<INPUT> inputs(presses.size());
    for (size_t i = 0; i < presses.size(); ++i) {
      INPUT& input = inputs[i];
      input.type = INPUT_KEYBOARD;
      input.ki.wVk = presses[i].key;
      input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(presses[i].key, 0));
      input.ki.dwFlags = presses[i].down ? 0 : KEYEVENTF_KEYUP;
    }
    return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) ==
           inputs.size();
  }

  KeyLayout Layout() override {
    return [](unsigned char c) { return static_cast<int16_t>(VkKeyScanA(static_cast<CHAR>(c))); };
  }

  int32_t ShowMessageBox(intptr_t owner, std::string_view text, std::string_view title,
                     uint32_t flags) override {
    return ::MessageBoxA(OwnerWindow(owner), std::string(text).c_str(), std::string(title).c_str(), flags);
  }

  std::optional<std::vector<std::string>> EditDialog(intptr_t owner, const std::string& templateName,
                                                     std::string_view title,
                                                     const std::string& text) override {
    EditContext context{std::string(title), text, {}};
    const INT_PTR result = DialogBoxParamA(ProgramModule(), templateName.c_str(), OwnerWindow(owner),
                                           EditProcedure, reinterpret_cast<LPARAM>(&context));
    if (result != 1) return std::nullopt;
    return std::move(context.lines);
  }

  ListDialogAnswer ListDialog(intptr_t owner, const std::string& templateName,
                              std::string_view title,
                              const std::vector<std::string>& entries) override {
    ListContext context;
    context.title = std::string(title);
    context.entries = &entries;
    DialogBoxParamA(ProgramModule(), templateName.c_str(), OwnerWindow(owner), ListProcedure,
                    reinterpret_cast<LPARAM>(&context));
    return context.answer;
  }

  std::optional<std::string> InputDialog(intptr_t owner, std::string_view prompt,
                                         std::string_view title,
                                         std::string_view initial) override {
    InputContext context{std::string(prompt), std::string(title), std::string(initial), {}};
    const INT_PTR result = DialogBoxParamA(ProgramModule(), "INPUT", OwnerWindow(owner),
                                           InputProcedure, reinterpret_cast<LPARAM>(&context));
    if (result != IDOK) return std::nullopt;
    return context.entered;
  }

  std::optional<std::string> FileDialog(intptr_t owner, std::string_view title,
                                        std::string_view mask, bool save) override {
    const std::string filter = FilterOf(mask);
    const std::string titleZ(title);
    char fileName[MAX_PATH] = {};
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = OwnerWindow(owner);
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = fileName;
    ofn.nMaxFile = sizeof(fileName);
    ofn.lpstrTitle = titleZ.empty() ? nullptr : titleZ.c_str();
    if (save) {
      ofn.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
      if (!ShowSaveFileDialog(&ofn)) return std::nullopt;
    } else {
      ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
      if (!ShowOpenFileDialog(&ofn)) return std::nullopt;
    }
    return std::string(fileName);
  }

  std::optional<std::string> FolderDialog(intptr_t owner, std::string_view title) override {
    const std::string titleZ(title);
    char display[MAX_PATH] = {};
    LPITEMIDLIST root = nullptr;
    SHGetSpecialFolderLocation(OwnerWindow(owner), CSIDL_DRIVES, &root);
    BROWSEINFOA info = {};
    info.hwndOwner = OwnerWindow(owner);
    info.pidlRoot = root;
    info.pszDisplayName = display;
    info.lpszTitle = titleZ.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    LPITEMIDLIST chosen = SHBrowseForFolderA(&info);
    std::optional<std::string> folder;
    char path[MAX_PATH] = {};
    if (chosen != nullptr && SHGetPathFromIDListA(chosen, path)) folder = std::string(path);
    IMalloc* memory = nullptr;
    if (SUCCEEDED(SHGetMalloc(&memory)) && memory != nullptr) {
      if (chosen != nullptr) memory->Free(chosen);
      if (root != nullptr) memory->Free(root);
      memory->Release();
    }
    return folder;
  }

  Names Files(std::string_view mask, bool recursive, size_t room) override {
    Names found;
    const std::string maskZ(mask);
    if (recursive) {
      const std::string folder = FolderOf(maskZ);
      const std::string pattern = maskZ.substr(folder.size());
      found.more = !WalkTree(folder, pattern.empty() ? "*" : pattern, 0, room, found.names);
      return found;
    }
    std::vector<std::string> files;
    std::vector<std::string> folders;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(maskZ.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return found;
    do {
      if (std::strcmp(entry.cFileName, ".") == 0) continue;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        folders.push_back(std::string("[") + entry.cFileName + "]");
      } else {
        files.emplace_back(entry.cFileName);
      }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    SortNames(files);
    SortNames(folders);
    files.insert(files.end(), folders.begin(), folders.end());
    if (files.size() > room) {
      files.resize(room);
      found.more = true;
    }
    found.names = std::move(files);
    return found;
  }

  Names WindowTitles(std::string_view prefix, size_t room) override {
    Names found;
    TitleSearch search{std::string(prefix), room, &found};
    EnumWindows(CollectTitle, reinterpret_cast<LPARAM>(&search));
    return found;
  }

  Names FontFamilies(size_t room) override {
    Names found;
    FontSearch search;
    search.room = room;
    search.names = &found;
    LOGFONTA font = {};
    font.lfCharSet = DEFAULT_CHARSET;
    HDC dc = GetDC(nullptr);
    EnumFontFamiliesExA(dc, &font, CollectFont, reinterpret_cast<LPARAM>(&search), 0);
    ReleaseDC(nullptr, dc);
    return found;
  }
};

}  // namespace

std::unique_ptr<ControlsPlatform> MakeWin32Controls() { return std::make_unique<Win32Controls>(); }

void InstallControlsWin32(Win32Host& host) {
  host.InstallPlatform(FamilyIndex(FamilyId::Controls), MakeWin32Controls());
}

}  // namespace talven
