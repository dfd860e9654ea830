// MEDRA32's dialogs from the language library's templates (target directory with browsing,
// components, form, insert disk, error), the script texts in them, and the user-interface
// side of the flow. Dialog procedures never let an exception pass.

#include "installer/win32/medra_app.h"

#include <shlobj.h>

#include <string>
#include <vector>

#include "installer/win32/medra_internal.h"
#include "installer/win32/win32_setup_system.h"
#include "resources/medra_ids.h"

namespace talven::installer::medra {

std::string LibraryText(int32_t id) {
  char buffer[1024];
  const int length = LoadStringA(g_app.library, static_cast<UINT>(id), buffer, sizeof(buffer));
  return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
}

std::string WindowString(HWND hwnd) {
  char buffer[512];
  GetWindowTextA(hwnd, buffer, sizeof(buffer));
  return buffer;
}

// Script texts in a dialog: a window text that names a script value ("Section.Key") is
// replaced by it; then a section named like the first control's text may size the dialog
// and place or create controls; last the dialog is centred.
void ApplyScript(HWND dialog) {
  if (g_app.script == nullptr) return;
  std::string value;
  if (g_app.script->DottedValue(WindowString(dialog), value)) SetWindowTextA(dialog, value.c_str());
  HWND first = GetWindow(dialog, GW_CHILD);
  const std::string firstText = first ? WindowString(first) : std::string();
  for (HWND child = first; child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (g_app.script->DottedValue(WindowString(child), value)) SetWindowTextA(child, value.c_str());
  }
  if (!firstText.empty()) {
    for (const std::string& line : g_app.script->Lines(firstText)) {
      if (Upper(Field(line, 0)) == "SIZE") {
        RECT r{0, 0, static_cast<LONG>(ParseNumber(Field(line, 5))), static_cast<LONG>(ParseNumber(Field(line, 6)))};
        MapDialogRect(dialog, &r);
        SetWindowPos(dialog, nullptr, 0, 0, r.right, r.bottom, SWP_NOMOVE | SWP_NOZORDER);
        continue;
      }
      bool hasKey = false;
      Field(line, 0, &hasKey);
      const std::string head = Field(line, 1);
      if (hasKey || Upper(head.substr(0, 7)) != "CONTROL") continue;
      const std::string text = head.substr(7, 50);
      HWND control = nullptr;
      for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (WindowString(child) == text) control = child;
      }
      RECT r{0, 0, 30, 30};
      bool exists = false;
      const std::string x = Field(line, 5, &exists);
      r.left = exists ? static_cast<LONG>(ParseNumber(x)) : 0;
      const std::string y = Field(line, 6, &exists);
      r.top = exists ? static_cast<LONG>(ParseNumber(y)) : 0;
      const std::string w = Field(line, 7, &exists);
      r.right = r.left + (exists ? static_cast<LONG>(ParseNumber(w)) : 30);
      const std::string h = Field(line, 8, &exists);
      r.bottom = r.top + (exists ? static_cast<LONG>(ParseNumber(h)) : 30);
      MapDialogRect(dialog, &r);
      if (control == nullptr) {
        control = CreateWindowA(Field(line, 3).c_str(), text.c_str(), WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, dialog, nullptr,
                                g_app.instance, nullptr);
      }
      if (control == nullptr) continue;
      MoveWindow(control, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
      const int64_t font = ParseNumber(Field(line, 2));
      if (font == -2) SendMessageA(control, WM_SETFONT, SendMessageA(dialog, WM_GETFONT, 0, 0), TRUE);
      if (font == -3) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(ANSI_VAR_FONT)), TRUE);
    }
  }
  RECT r;
  GetWindowRect(dialog, &r);
  SetWindowPos(dialog, nullptr, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

namespace {

constexpr UINT_PTR kStartTimer = 1;

void ShowHelpButton(HWND dialog) {
  HWND help = GetDlgItem(dialog, MEDRA_ID_HELP);
  if (help != nullptr && !g_app.helpFile.empty()) ShowWindow(help, SW_SHOW);
}

}  // namespace

bool ConfirmAbort(HWND owner) {
  return MessageBoxA(owner, LibraryText(kTextAbortQuestion).c_str(), kTitleSetup, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

namespace {

struct TargetState {
  std::string* directory;
  const std::function<void()>* atOpen;
};

INT_PTR CALLBACK TargetProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<TargetState*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      state = reinterpret_cast<TargetState*>(lParam);
      ApplyScript(dialog);
      ShowHelpButton(dialog);
      SendDlgItemMessageA(dialog, MEDRA_ID_DIR, EM_LIMITTEXT, kMaxTargetDir, 0);
      SetDlgItemTextA(dialog, MEDRA_ID_DIR, state->directory->c_str());
      SetTimer(dialog, kStartTimer, 1000, nullptr);
      return TRUE;
    case WM_TIMER:
      KillTimer(dialog, kStartTimer);
      try {
        (*state->atOpen)();
      } catch (...) {
      }
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK: {
          char buffer[kMaxTargetDir + 1];
          GetDlgItemTextA(dialog, MEDRA_ID_DIR, buffer, sizeof(buffer));
          *state->directory = buffer;
          EndDialog(dialog, IDOK);
          return TRUE;
        }
        case IDCANCEL:
          EndDialog(dialog, IDCANCEL);
          return TRUE;
        case MEDRA_ID_HELP:
          WinHelpA(dialog, g_app.helpFile.c_str(), HELP_CONTEXT, 8000);
          return TRUE;
        case MEDRA_ID_BROWSE: {
          BROWSEINFOA info{};
          char name[MAX_PATH];
          info.hwndOwner = dialog;
          info.pszDisplayName = name;
          info.ulFlags = BIF_RETURNONLYFSDIRS;
          LPITEMIDLIST list = SHBrowseForFolderA(&info);
          if (list != nullptr) {
            char path[MAX_PATH];
            if (SHGetPathFromIDListA(list, path)) SetDlgItemTextA(dialog, MEDRA_ID_DIR, path);
            CoTaskMemFree(list);
          }
          return TRUE;
        }
      }
      break;
  }
  return FALSE;
}

// Components and form: one check box, or one label and edit, per line, placed in dialog
// units under the template's first text.
struct ListState {
  std::vector<Component>* components = nullptr;
  std::vector<FormField>* fields = nullptr;
};

INT_PTR CALLBACK ListProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<ListState*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      state = reinterpret_cast<ListState*>(lParam);
      HFONT font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
      const size_t count = state->components ? state->components->size() : state->fields->size();
      for (size_t i = 0; i < count && i < 90; ++i) {
        RECT r{10, static_cast<LONG>(24 + 14 * i), 250, static_cast<LONG>(36 + 14 * i)};
        MapDialogRect(dialog, &r);
        HWND control;
        if (state->components) {
          const Component& c = (*state->components)[i];
          control = CreateWindowA("BUTTON", c.text.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, r.left, r.top,
                                  r.right - r.left, r.bottom - r.top, dialog,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(MEDRA_ID_CHECK_BASE + i)), g_app.instance, nullptr);
          SendMessageA(control, BM_SETCHECK, c.checked ? BST_CHECKED : BST_UNCHECKED, 0);
        } else {
          const FormField& f = (*state->fields)[i];
          RECT label{10, r.top, 90, r.bottom};
          HWND text = CreateWindowA("STATIC", f.label.c_str(), WS_CHILD | WS_VISIBLE, r.left, r.top, (r.right - r.left) / 3,
                                    r.bottom - r.top, dialog,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(MEDRA_ID_LABEL_BASE + i)), g_app.instance, nullptr);
          SendMessageA(text, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
          (void)label;
          control = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", f.text.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                                    r.left + (r.right - r.left) / 3, r.top, (r.right - r.left) * 2 / 3, r.bottom - r.top, dialog,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(MEDRA_ID_EDIT_BASE + i)), g_app.instance, nullptr);
          SendMessageA(control, EM_LIMITTEXT, 200, 0);
        }
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
      }
      ApplyScript(dialog);
      ShowHelpButton(dialog);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK: {
          const size_t count = state->components ? state->components->size() : state->fields->size();
          for (size_t i = 0; i < count && i < 90; ++i) {
            if (state->components) {
              (*state->components)[i].checked = IsDlgButtonChecked(dialog, static_cast<int>(MEDRA_ID_CHECK_BASE + i)) == BST_CHECKED;
            } else {
              char buffer[256];
              GetDlgItemTextA(dialog, static_cast<int>(MEDRA_ID_EDIT_BASE + i), buffer, sizeof(buffer));
              (*state->fields)[i].text = buffer;
            }
          }
          EndDialog(dialog, IDOK);
          return TRUE;
        }
        case IDCANCEL:
        case MEDRA_ID_BACK:
          EndDialog(dialog, LOWORD(wParam));
          return TRUE;
        case MEDRA_ID_HELP:
          WinHelpA(dialog, g_app.helpFile.c_str(), HELP_CONTEXT, 8001);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

struct DiskState {
  const std::string* label;
  std::string* directory;
};

INT_PTR CALLBACK DiskProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<DiskState*>(GetWindowLongPtrA(dialog, DWLP_USER));
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    state = reinterpret_cast<DiskState*>(lParam);
    MessageBeep(MB_OK);
    ApplyScript(dialog);
    SetDlgItemTextA(dialog, MEDRA_ID_DISK_LABEL, state->label->c_str());
    SendDlgItemMessageA(dialog, MEDRA_ID_DISK_DIR, EM_LIMITTEXT, 128, 0);
    SetDlgItemTextA(dialog, MEDRA_ID_DISK_DIR, state->directory->c_str());
    return TRUE;
  }
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    if (LOWORD(wParam) == IDOK) {
      char buffer[129];
      GetDlgItemTextA(dialog, MEDRA_ID_DISK_DIR, buffer, sizeof(buffer));
      *state->directory = buffer;
    }
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

class Win32SetupUi final : public SetupUi {
 public:
  DialogEnd TargetDialog(std::string& directory, const std::function<void()>& atOpen) override {
    TargetState state{&directory, &atOpen};
    const INT_PTR result = DialogBoxParamA(g_app.library, MAKEINTRESOURCEA(MEDRA_DLG_TARGET), g_app.main, TargetProc,
                                           reinterpret_cast<LPARAM>(&state));
    return result == IDOK ? DialogEnd::Ok : DialogEnd::Cancel;
  }
  DialogEnd ComponentsDialog(std::vector<Component>& components) override {
    ListState state{&components, nullptr};
    return End(DialogBoxParamA(g_app.library, MAKEINTRESOURCEA(MEDRA_DLG_COMPONENTS), g_app.main, ListProc,
                               reinterpret_cast<LPARAM>(&state)));
  }
  DialogEnd FormDialog(std::vector<FormField>& fields) override {
    ListState state{nullptr, &fields};
    return End(DialogBoxParamA(g_app.library, MAKEINTRESOURCEA(MEDRA_DLG_FORM), g_app.main, ListProc,
                               reinterpret_cast<LPARAM>(&state)));
  }
  Answer Ask(const std::string& text, const std::string& title, AskKind kind) override {
    UINT style = MB_ICONQUESTION | (kind == AskKind::YesNoCancel ? MB_YESNOCANCEL : MB_YESNO);
    if (kind == AskKind::YesNoTaskModal) style |= MB_TASKMODAL;
    const int result = MessageBoxA(g_app.main, text.c_str(), title.c_str(), style);
    return result == IDYES ? Answer::Yes : result == IDNO ? Answer::No : Answer::Cancel;
  }
  void Message(const std::string& text, const std::string& title, bool warning) override {
    MessageBoxA(g_app.main, text.c_str(), title.c_str(), MB_OK | (warning ? MB_ICONEXCLAMATION : MB_ICONINFORMATION));
  }
  ErrorChoice ErrorDialog(const std::string& text) override {
    // After the main window was closed (code 18) the dialog stands on its own.
    const INT_PTR result = DialogBoxParamA(g_app.library, MAKEINTRESOURCEA(MEDRA_DLG_ERROR),
                                           IsWindow(g_app.main) ? g_app.main : nullptr, wsErrorDlg,
                                           reinterpret_cast<LPARAM>(text.c_str()));
    return result == MEDRA_ID_RETRY ? ErrorChoice::Retry : result == MEDRA_ID_IGNORE ? ErrorChoice::Ignore : ErrorChoice::Abort;
  }
  bool DiskDialog(const std::string& label, std::string& directory) override {
    DiskState state{&label, &directory};
    return DialogBoxParamA(g_app.library, MAKEINTRESOURCEA(MEDRA_DLG_DISK), g_app.main, DiskProc,
                           reinterpret_cast<LPARAM>(&state)) == IDOK;
  }
  void SetPicture(const std::string& pictureLine) override { LoadPicture(pictureLine); }
  void ShowProgress(bool visible) override {
    if (g_app.progress) ShowWindow(g_app.progress, visible ? SW_SHOW : SW_HIDE);
  }
  void ProgressText(const std::string& text) override {
    if (g_app.progress) SetDlgItemTextA(g_app.progress, MEDRA_ID_TEXT1, text.c_str());
  }
  void ProgressRange(int64_t range) override {
    if (g_app.progress) SetBarRange(GetDlgItem(g_app.progress, MEDRA_ID_BAR), range);
  }
  void ProgressAdvance(int64_t amount) override {
    if (g_app.progress) AdvanceBar(GetDlgItem(g_app.progress, MEDRA_ID_BAR), amount);
  }
  bool Pump() override {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (g_app.progress && IsDialogMessageA(g_app.progress, &message)) continue;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    return !g_app.abort;
  }

 private:
  static DialogEnd End(INT_PTR result) {
    return result == IDOK ? DialogEnd::Ok : result == MEDRA_ID_BACK ? DialogEnd::Back : DialogEnd::Cancel;
  }
};

}  // namespace

SetupUi& Win32Ui() {
  static Win32SetupUi ui;
  return ui;
}

}  // namespace talven::installer::medra

extern "C" __declspec(dllexport) INT_PTR CALLBACK wsErrorDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  using namespace talven::installer::medra;
  if (message == WM_INITDIALOG) {
    MessageBeep(MB_ICONEXCLAMATION);
    ApplyScript(dialog);
    SetDlgItemTextA(dialog, MEDRA_ID_TEXT1, reinterpret_cast<const char*>(lParam));
    return TRUE;
  }
  if (message == WM_COMMAND) {
    const int id = LOWORD(wParam);
    if (id == MEDRA_ID_ABORT || id == MEDRA_ID_RETRY || id == MEDRA_ID_IGNORE) {
      EndDialog(dialog, id);
      return TRUE;
    }
  }
  return FALSE;
}