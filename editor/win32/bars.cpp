#include "editor/win32/frame_parts.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

namespace talven::editor::frame {

// The status fields as shown and as last set. A field is set (and redrawn, which the
// status bar does at once) only when it changed, and only once the editor has nothing else
// to do: a run of keys then redraws it once.
namespace {

struct StatusFields {
  HWND in = nullptr;
  std::string shown[3], wanted[3];
  bool pending = false;
};
StatusFields g_status;

}  // namespace

void SetStatusText(int part, const std::string& text) {
  if (part < 0 || part >= 3) return;
  g_status.wanted[part] = text;
  if (g_status.shown[part] != text || g_status.in != g_editor->status) g_status.pending = true;
}

bool StatusPending() { return g_status.pending; }

void ResetStatus() { g_status = StatusFields{}; }

void FlushStatus() {
  if (!g_status.pending || !g_editor) return;
  g_status.pending = false;
  const bool fresh = g_status.in != g_editor->status;
  g_status.in = g_editor->status;
  for (int part = 0; part < 3; ++part) {
    if (!fresh && g_status.shown[part] == g_status.wanted[part]) continue;
    g_status.shown[part] = g_status.wanted[part];
    SendMessageA(g_editor->status, SB_SETTEXTA, part, reinterpret_cast<LPARAM>(g_status.shown[part].c_str()));
  }
}

void SetProjectStatus() { SetStatusText(2, "Projekt: " + g_editor->projectFile); }

void SetStatus(TEditForm* form) {
  // Each change of the text starts the idle time before the recovery copy anew.
  if (form->control->Doc().Revision() != form->seenRevision) {
    form->seenRevision = form->control->Doc().Revision();
    SetTimer(form->hwnd, kRecoveryTimer, static_cast<UINT>(g_editor->recoverySeconds) * 1000, nullptr);
  }
  const LineColumn place = form->control->Doc().CaretPlace();
  SetStatusText(0, std::to_string(place.line) + " :  " + std::to_string(place.column));
  SetStatusText(1, form->control->Doc().Modified() ? "Ge\xE4ndert" : "");
  SetProjectStatus();
}

void Layout() {
  Editor& e = *g_editor;
  RECT client;
  GetClientRect(e.frame, &client);
  SendMessageA(e.status, WM_SIZE, 0, 0);
  RECT statusRect;
  GetWindowRect(e.status, &statusRect);
  const int statusHeight = statusRect.bottom - statusRect.top;
  int top = 0;
  ShowWindow(e.toolbar, e.toolbarVisible ? SW_SHOW : SW_HIDE);
  ShowWindow(e.quickBar, e.quickSearchVisible ? SW_SHOW : SW_HIDE);
  if (e.toolbarVisible) {
    MoveWindow(e.toolbar, 0, top, client.right, kToolbarHeight, TRUE);
    top += kToolbarHeight;
  }
  if (e.quickSearchVisible) {
    MoveWindow(e.quickBar, 0, top, client.right, kQuickSearchHeight, TRUE);
    top += kQuickSearchHeight;
  }
  MoveWindow(e.client, 0, top, client.right, std::max<int>(client.bottom - top - statusHeight, 0), TRUE);
  const int parts[3] = {72, 72 + 104, -1};
  SendMessageA(e.status, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(parts));
}

void SetBar(bool toolbar, bool visible) {
  (toolbar ? g_editor->toolbarVisible : g_editor->quickSearchVisible) = visible;
  Layout();
}

LRESULT CALLBACK PanelProcedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_COMMAND) return SendMessageA(GetParent(hwnd), message, wparam, lparam);
  return DefWindowProcA(hwnd, message, wparam, lparam);
}

WNDPROC g_fieldProcedure = nullptr;

// The quick-search field: Enter searches forwards.
LRESULT CALLBACK QuickFieldProcedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_KEYDOWN && wparam == VK_RETURN) {
    PostMessageA(g_editor->frame, WM_COMMAND, kQuickForward, 0);
    return 0;
  }
  if (message == WM_CHAR && wparam == '\r') return 0;
  return CallWindowProcA(g_fieldProcedure, hwnd, message, wparam, lparam);
}

void AddTooltip(HWND tool, const char* text) {
  TOOLINFOA info = {};
  info.cbSize = TTTOOLINFOA_V1_SIZE;
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = GetParent(tool);
  info.uId = reinterpret_cast<UINT_PTR>(tool);
  info.lpszText = const_cast<char*>(text);
  SendMessageA(g_editor->tooltips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

HWND Child(HWND parent, const char* className, const char* text, DWORD style, int x, int y, int w,
           int h, WORD id) {
  HWND hwnd = CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                              reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), g_editor->instance, nullptr);
  SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
  return hwnd;
}

void CreateBars(Editor& e) {
  e.tooltips = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                               e.frame, nullptr, e.instance, nullptr);
  e.toolbar = CreateWindowExA(0, kPanelClass, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, e.frame, nullptr, e.instance, nullptr);
  struct Button {
    const char* glyph;
    const char* tip;
    WORD id;
  };
  static const Button buttons[] = {
      {"?", "Hilfe zum Editor anzeigen", kHelpButton},
      {"\xD6""ff", "Datei \xF6""ffnen", kOpenFile},
      {"Sp", "Datei speichern", kSave},
      {"R\xFC", "Letzte \xC4nderung r\xFC""ckg\xE4ngig machen", kUndo},
      {"Aus", "Text ausschneiden und in Zwischenablage speichern", kCut},
      {"Kop", "Text in Zwischenablage kopieren", kCopy},
      {"Ein", "Text aus Zwischenablage einf\xFCgen", kPaste},
      {"Su", "Testpassage suchen", kFind},
      {"\xDC""b", "Textfenster hintereinander anordnen", kCascade},
      {"Ne", "Textfenster nebeneinander anordnen", kTile},
      {"Me", "Benutzermen\xFC anzeigen", kUserMenu},
      {"Lauf", "Programm im Interpretermodus starten", kRun},
      {"Dr", "Listing drucken", kPrint},
      {"End", "Editor verlassen", kExit}};
  int x = 4;
  for (const Button& button : buttons) {
    HWND hwnd = Child(e.toolbar, "BUTTON", button.glyph, BS_PUSHBUTTON, x, 4, 33, 33, button.id);
    AddTooltip(hwnd, button.tip);
    x += 33 + (button.id == kHelpButton || button.id == kSave || button.id == kUndo ||
                       button.id == kPaste || button.id == kFind || button.id == kTile ||
                       button.id == kUserMenu || button.id == kPrint
                   ? 6 : 0);
  }
  e.quickBar = CreateWindowExA(0, kPanelClass, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, e.frame, nullptr, e.instance, nullptr);
  Child(e.quickBar, "STATIC", "Schnellsuche (Strg+S):", SS_LEFT, 6, 7, 130, 18, 0xFFFF);
  e.quickField = Child(e.quickBar, "EDIT", "", WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, 140, 4, 200, 22, kQuickField);
  SendMessageA(e.quickField, EM_LIMITTEXT, 255, 0);
  AddTooltip(e.quickField, "Suchtext");
  g_fieldProcedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(e.quickField, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(QuickFieldProcedure)));
  AddTooltip(Child(e.quickBar, "BUTTON", "<", BS_PUSHBUTTON, 346, 4, 24, 22, kQuickBack), "r\xFC""ckw\xE4rts suchen");
  AddTooltip(Child(e.quickBar, "BUTTON", ">", BS_PUSHBUTTON, 372, 4, 24, 22, kQuickForward), "vorw\xE4rts suchen");
  e.status = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0,
                             e.frame, nullptr, e.instance, nullptr);
}

}  // namespace talven::editor::frame
