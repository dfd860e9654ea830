#include "editor/win32/dialogs.h"

#include <commdlg.h>

#include <vector>

namespace talven::editor {

namespace {

// A dialog template in memory: the header, then one item after another, DWORD-aligned.
class Template {
 public:
  Template(const std::string& caption, short width, short height) {
    Align();
    Put32(DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    Put32(0);
    m_countAt = m_words.size();
    Put16(0);
    Put16(0), Put16(0), Put16(width), Put16(height);
    Put16(0), Put16(0);  // no menu, standard class
    PutText(caption);
    Put16(8);
    PutText("MS Sans Serif");
  }
  void Item(const char* className, const std::string& text, WORD id, DWORD style, short x, short y,
            short width, short height) {
    Align();
    Put32(style | WS_CHILD | WS_VISIBLE);
    Put32(0);
    Put16(x), Put16(y), Put16(width), Put16(height), Put16(id);
    PutText(className);
    PutText(text);
    Put16(0);
    ++m_words[m_countAt];
  }
  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(m_words.data()); }

 private:
  void Put16(WORD value) { m_words.push_back(value); }
  void Put32(DWORD value) {
    Put16(LOWORD(value));
    Put16(HIWORD(value));
  }
  void PutText(const std::string& text) {
    // Our texts are CP1252 bytes; the template wants UTF-16.
    const int count = MultiByteToWideChar(1252, 0, text.c_str(), -1, nullptr, 0);
    std::vector<wchar_t> wide(count > 0 ? count : 1);
    MultiByteToWideChar(1252, 0, text.c_str(), -1, wide.data(), count);
    for (wchar_t c : wide) Put16(static_cast<WORD>(c));
  }
  void Align() {
    if (m_words.size() % 2 != 0) Put16(0);
  }
  std::vector<WORD> m_words;
  size_t m_countAt = 0;
};

constexpr WORD kFieldId = 100;
constexpr WORD kRuntimeId = 101;
constexpr WORD kBrowseId = 102;
constexpr WORD kDirectoryId = 103;
constexpr WORD kProjectFileId = 104;

std::string FieldText(HWND dialog, int id) {
  HWND field = GetDlgItem(dialog, id);
  std::string text(static_cast<size_t>(GetWindowTextLengthA(field)) + 1, '\0');
  text.resize(GetWindowTextA(field, text.data(), static_cast<int>(text.size())));
  return text;
}

struct InputState {
  std::string* text;
};

INT_PTR CALLBACK InputProcedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, DWLP_USER, lparam);
    auto* state = reinterpret_cast<InputState*>(lparam);
    SetDlgItemTextA(dialog, kFieldId, state->text->c_str());
    SendDlgItemMessageA(dialog, kFieldId, EM_SETSEL, 0, -1);
    return TRUE;
  }
  if (message == WM_COMMAND && (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL)) {
    auto* state = reinterpret_cast<InputState*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (LOWORD(wparam) == IDOK) *state->text = FieldText(dialog, kFieldId);
    EndDialog(dialog, LOWORD(wparam));
    return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK SettingsProcedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* settings = reinterpret_cast<ProjectSettings*>(GetWindowLongPtrA(dialog, DWLP_USER));
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, DWLP_USER, lparam);
    settings = reinterpret_cast<ProjectSettings*>(lparam);
    SetDlgItemTextA(dialog, kProjectFileId, settings->projectFile.c_str());
    SetDlgItemTextA(dialog, kRuntimeId, settings->runtime.c_str());
    SetDlgItemTextA(dialog, kDirectoryId, settings->directory.c_str());
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  switch (LOWORD(wparam)) {
    case kBrowseId: {
      std::string start = settings->runtime;
      if (!start.empty() && start.front() == '"') start.erase(0, 1);
      if (!start.empty() && start.back() == '"') start.pop_back();
      char name[MAX_PATH] = {};
      lstrcpynA(name, start.c_str(), MAX_PATH);
      OPENFILENAMEA ofn = {};
      ofn.lStructSize = sizeof(ofn);
      ofn.hwndOwner = dialog;
      ofn.lpstrFilter = "Programme\0*.exe\0";
      ofn.lpstrFile = name;
      ofn.nMaxFile = MAX_PATH;
      ofn.lpstrTitle = "Runtime-Modul f\xFCr das aktuelle Projekt angeben:";
      ofn.Flags = OFN_HIDEREADONLY;
      if (GetOpenFileNameA(&ofn)) {
        settings->runtime = "\"" + std::string(name) + "\"";
        SetDlgItemTextA(dialog, kRuntimeId, settings->runtime.c_str());
      }
      return TRUE;
    }
    case IDOK:
      settings->typed = FieldText(dialog, kRuntimeId);
      settings->directory = FieldText(dialog, kDirectoryId);
      EndDialog(dialog, IDOK);
      return TRUE;
    case IDCANCEL:
      EndDialog(dialog, IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

bool InputBox(HWND owner, const std::string& caption, const std::string& prompt, std::string& text) {
  Template dialog(caption, 200, 66);
  dialog.Item("STATIC", prompt, 0xFFFF, SS_LEFT, 7, 6, 186, 10);
  dialog.Item("EDIT", "", kFieldId, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 7, 18, 186, 12);
  dialog.Item("BUTTON", "OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 88, 44, 50, 14);
  dialog.Item("BUTTON", "Abbrechen", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 143, 44, 50, 14);
  std::string edited = text;
  InputState state{&edited};
  const INT_PTR result = DialogBoxIndirectParamA(GetModuleHandleA(nullptr), dialog.Get(), owner,
                                                 InputProcedure, reinterpret_cast<LPARAM>(&state));
  if (result != IDOK) return false;
  text = edited;
  return true;
}

bool ShowProjectSettings(HWND owner, ProjectSettings& settings) {
  Template dialog("Projekt-Einstellungen", 250, 120);
  dialog.Item("STATIC", "Projektdatei:", 0xFFFF, SS_LEFT, 7, 6, 236, 10);
  dialog.Item("EDIT", "", kProjectFileId, WS_BORDER | ES_READONLY | ES_AUTOHSCROLL, 7, 17, 236, 12);
  dialog.Item("STATIC", "Runtime-Modul des Projektes:", 0xFFFF, SS_LEFT, 7, 34, 236, 10);
  dialog.Item("EDIT", "", kRuntimeId, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 7, 45, 212, 12);
  dialog.Item("BUTTON", "..", kBrowseId, BS_PUSHBUTTON | WS_TABSTOP, 223, 45, 20, 12);
  dialog.Item("STATIC", "Projektverzeichnis:", 0xFFFF, SS_LEFT, 7, 62, 236, 10);
  dialog.Item("EDIT", "", kDirectoryId, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 7, 73, 236, 12);
  dialog.Item("BUTTON", "OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 138, 98, 50, 14);
  dialog.Item("BUTTON", "Abbrechen", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 193, 98, 50, 14);
  return DialogBoxIndirectParamA(GetModuleHandleA(nullptr), dialog.Get(), owner, SettingsProcedure,
                                 reinterpret_cast<LPARAM>(&settings)) == IDOK;
}

}  // namespace talven::editor
