#include "editor/win32/frame_parts.h"

#include <algorithm>
#include <string>
#include <vector>

#include "editor/text_file.h"

namespace talven::editor::frame {

namespace {

void DropRecovery(TEditForm* form) {
  if (form->recoverySlot == 0) return;
  DeleteFileA(form->recoveryFile.c_str());
  RemoveRecoveryEntry(g_editor->ini, form->recoverySlot);
  form->recoverySlot = 0;
  form->recoveryFile.clear();
}

// After the idle time: a modified window's text goes to its copy, an unmodified one (saved,
// or undone back to the saved state) needs none.
void WriteRecovery(TEditForm* form) {
  TextDocument& doc = form->control->Doc();
  if (!doc.Modified()) {
    DropRecovery(form);
    return;
  }
  if (form->recoverySlot == 0) {
    std::vector<int32_t> reserved;
    std::vector<std::string> names;
    for (TEditForm* other : Forms()) {
      if (other->recoverySlot == 0) continue;
      reserved.push_back(other->recoverySlot);
      names.push_back(other->recoveryFile);
    }
    const int32_t slot = FreeRecoverySlot(g_editor->ini, reserved);
    if (slot == 0) return;
    char temp[MAX_PATH] = {};
    if (GetTempPathA(MAX_PATH, temp) == 0) temp[0] = '\0';
    const std::string name = RecoveryFileName(form->fileName, slot, temp, [&](const std::string& n) {
      return std::any_of(names.begin(), names.end(), [&](const std::string& o) { return lstrcmpiA(o.c_str(), n.c_str()) == 0; }) ||
             FileExists(n);
    });
    form->recoverySlot = slot;
    form->recoveryFile = name;
  }
  // A copy that cannot be written (a read-only folder) is tried again after the next change.
  if (SaveTextFile(form->recoveryFile, doc.Bytes(), Backup::None) != FileResult::Ok) {
    form->recoverySlot = 0;
    form->recoveryFile.clear();
    return;
  }
  WriteRecoveryEntry(g_editor->ini, {form->recoverySlot, GetCurrentProcessId(), form->recoveryFile, form->fileName});
}

}  // namespace

void LoadInto(TEditForm* form) {
  std::string bytes;
  const FileResult result = LoadTextFile(form->fileName, bytes);
  if (result != FileResult::Ok) {
    Box("Datei kann nicht gelesen werden: " + form->fileName);
    bytes.clear();
  }
  form->control->Doc().Load(bytes);
  form->control->Changed();
}

TEditForm* CreateEditWindow() {
  if (Forms().size() >= static_cast<size_t>(kMaxWindows)) {
    if (!g_editor->tooManyReported) {
      Box("Es k\xF6nnen nicht mehr als 255 Dateien ge\xF6""ffnet werden.");
      g_editor->tooManyReported = true;
    }
    return nullptr;
  }
  auto* form = new TEditForm;
  form->fileName = g_editor->nextFileName;
  MDICREATESTRUCTA create = {};
  create.szClass = kEditClass;
  create.szTitle = form->fileName.c_str();
  create.hOwner = g_editor->instance;
  create.x = create.y = create.cx = create.cy = CW_USEDEFAULT;
  create.style = WS_MAXIMIZE;
  create.lParam = reinterpret_cast<LPARAM>(form);
  if (!SendMessageA(g_editor->client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create))) {
    delete form;
    return nullptr;
  }
  return form;
}

void BindFile(TEditForm* form) {
  if (form->fileName != kUntitled) form->fileName = FullPath(form->fileName);
  SetWindowTextA(form->hwnd, form->fileName.c_str());
  TextDocument& doc = form->control->Doc();
  doc.SetCaret(0);
  doc.SetModified(false);
  doc.SetTabWidth(ReadTabWidth(g_editor->ini));
  form->control->Changed();
  SetStatus(form);
}

bool SaveFormAs(TEditForm* form);

bool SaveForm(TEditForm* form) {
  if (form->fileName == kUntitled) return SaveFormAs(form);
  if (SaveTextFile(form->fileName, form->control->Doc().Bytes()) != FileResult::Ok) {
    Box("Datei kann nicht erzeugt werden: " + form->fileName);
    return false;
  }
  form->control->Doc().SetModified(false);
  DropRecovery(form);
  SetStatus(form);
  return true;
}

bool SaveFormAs(TEditForm* form) {
  const std::string chosen =
      AskFile(FileDialog::Save, nullptr, g_editor->fileFilter,
              form->fileName == kUntitled ? std::string() : form->fileName, OFN_OVERWRITEPROMPT, "tvs");
  if (chosen.empty()) return false;
  const std::string previous = form->fileName;
  form->fileName = chosen;
  if (!SaveForm(form)) {
    form->fileName = previous;
    return false;
  }
  const size_t slash = chosen.find_last_of("\\/:");
  SetWindowTextA(form->hwnd, slash == std::string::npos ? chosen.c_str() : chosen.c_str() + slash + 1);
  return true;
}

enum class Answer { Yes, No, Cancel };

Answer AskSave(TEditForm* form) {
  const std::string text = "\xC4nderungen in " + form->fileName + " speichern?";
  const int answer = MessageBoxA(g_editor->frame, text.c_str(), "Frage:", MB_YESNOCANCEL | MB_ICONQUESTION);
  return answer == IDYES ? Answer::Yes : answer == IDNO ? Answer::No : Answer::Cancel;
}

// The close query: true when the window may go.
bool QueryClose(TEditForm* form) {
  if (!form->control->Doc().Modified()) return true;
  switch (AskSave(form)) {
    case Answer::Yes: return SaveForm(form);
    case Answer::No: return true;
    case Answer::Cancel: return false;
  }
  return false;
}

void DestroyForm(TEditForm* form) { SendMessageA(g_editor->client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(form->hwnd), 0); }

// Alle schließen: every window asks; those whose answer keeps them stay. True when none stays.
bool CloseAll() {
  bool all = true;
  for (TEditForm* form : Forms()) {
    if (QueryClose(form)) {
      DestroyForm(form);
    } else {
      all = false;
    }
  }
  return all;
}

// Before a start: every modified window is asked; Cancel (or a failed save) stops the start
// but the others are still asked.
bool CanClose() {
  bool result = true;
  for (TEditForm* form : Forms()) {
    if (!form->control->Doc().Modified()) continue;
    switch (AskSave(form)) {
      case Answer::Yes:
        if (!SaveForm(form)) result = false;
        break;
      case Answer::No: break;
      case Answer::Cancel: result = false; break;
    }
  }
  return result;
}

void OpenFileWindow(const std::string& name) {
  g_editor->nextFileName = name;
  if (TEditForm* form = CreateEditWindow()) BindFile(form);
}

LRESULT CALLBACK EditProcedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  Editor& e = *g_editor;
  TEditForm* form = reinterpret_cast<TEditForm*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  try {
    switch (message) {
      case WM_CREATE: {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lparam);
        form = reinterpret_cast<TEditForm*>(reinterpret_cast<MDICREATESTRUCTA*>(create->lpCreateParams)->lParam);
        form->hwnd = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
        form->control = EditControl::Create(hwnd, &e.syntaxColours);
        form->control->SetFont(ReadFont(e.ini));
        form->control->onStatus = [form] { SetStatus(form); };
        form->control->onUserCommand = [form](int32_t command) {
          if (command == 256) InsertFromFile(form);
          if (command == 257) CopyAsFile(form);
          if (command == 258) SetFocus(g_editor->quickField);
          SetStatus(form);
        };
        if (form->fileName != kUntitled) LoadInto(form);
        e.syntaxColours = ReadSyntaxColours(e.ini);
        break;
      }
      case WM_SIZE:
        if (form && form->control) MoveWindow(form->control->Handle(), 0, 0, LOWORD(lparam), HIWORD(lparam), TRUE);
        break;
      case WM_SETFOCUS:
        if (form && form->control) SetFocus(form->control->Handle());
        return 0;
      case WM_COMMAND:
        if (HIWORD(wparam) == EN_SETFOCUS && form) {
          SetStatus(form);
          return 0;
        }
        break;
      case WM_MDIACTIVATE:
        if (reinterpret_cast<HWND>(lparam) == hwnd) {
          SendMessageA(e.client, WM_MDISETMENU, reinterpret_cast<WPARAM>(e.childMenu),
                       reinterpret_cast<LPARAM>(e.childWindowMenu));
          DrawMenuBar(e.frame);
          if (form) SetStatus(form);
        }
        return 0;
      case WM_CONTEXTMENU: {
        HMENU popup = Popup({{"&R\xFC""ckg\xE4ngig", kUndo}, {nullptr, 0}, {"&Ausschneiden", kCut},
                             {"&Kopieren", kCopy}, {"&Einf\xFCgen", kPaste}, {nullptr, 0}});
        AppendMenuA(popup, MF_POPUP, reinterpret_cast<UINT_PTR>(MarksMenu(kSetMarkFirst)), "&Setze Merker");
        AppendMenuA(popup, MF_POPUP, reinterpret_cast<UINT_PTR>(MarksMenu(kGotoMarkFirst)), "Gehe zu &Merker");
        AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(popup, MF_STRING, kHelpContext, "&Hilfe");
        AppendMenuA(popup, MF_STRING, kRun, "Aus&f\xFChren (Interpreter)");
        UpdateMenuStates(popup);
        POINT at = {static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
        const WORD chosen = static_cast<WORD>(TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd, nullptr));
        DestroyMenu(popup);
        if (chosen) Command(chosen);
        return 0;
      }
      case WM_CLOSE:
        if (form && QueryClose(form)) DestroyForm(form);
        return 0;
      case WM_TIMER:
        if (wparam == kRecoveryTimer) {
          KillTimer(hwnd, kRecoveryTimer);
          if (form && form->control) WriteRecovery(form);
          return 0;
        }
        break;
      case WM_DESTROY:
        if (form) {
          KillTimer(hwnd, kRecoveryTimer);
          DropRecovery(form);
          SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
          delete form;
        }
        break;
      default:
        break;
    }
  } catch (...) {
    return 0;
  }
  LRESULT result = DefMDIChildProcA(hwnd, message, wparam, lparam);
  if (message == WM_DESTROY) {
    // The last window gone: the frame's own menus come back.
    PostMessageA(e.frame, WM_NULL, 0, 0);
  }
  return result;
}

bool ProcessRunning(uint32_t id) {
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, id);
  if (!process) return false;
  DWORD code = 0;
  const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
  CloseHandle(process);
  return running;
}

// At start: the copies an editor that is no longer running left behind are offered. Yes
// opens each in its window (or the window already showing that file), modified; No deletes
// them.
void OfferRecovery() {
  Editor& e = *g_editor;
  std::vector<RecoveryEntry> left;
  for (const RecoveryEntry& entry : ReadRecoveryEntries(e.ini)) {
    // Another editor still running keeps its copies; our own number can only be an old one's.
    if (entry.process != GetCurrentProcessId() && ProcessRunning(entry.process)) continue;
    if (!FileExists(entry.copy)) {
      RemoveRecoveryEntry(e.ini, entry.slot);
      continue;
    }
    left.push_back(entry);
  }
  if (left.empty()) return;
  const bool restore = MessageBoxA(e.frame, RecoveryQuestion(left).c_str(), kAppTitle,
                                   MB_YESNO | MB_ICONQUESTION) == IDYES;
  for (const RecoveryEntry& entry : left) {
    if (!restore) {
      DeleteFileA(entry.copy.c_str());
      RemoveRecoveryEntry(e.ini, entry.slot);
      continue;
    }
    std::string bytes;
    if (LoadTextFile(entry.copy, bytes) != FileResult::Ok) {
      Box("Datei kann nicht gelesen werden: " + entry.copy);  // the copy stays for the next start
      continue;
    }
    TEditForm* form = nullptr;
    if (entry.original != kUntitled) {
      for (TEditForm* open : Forms()) {
        if (lstrcmpiA(open->fileName.c_str(), entry.original.c_str()) == 0) form = open;
      }
    }
    if (!form) {
      e.nextFileName = entry.original;
      form = CreateEditWindow();
      if (!form) continue;
      BindFile(form);
    }
    form->control->Doc().Load(bytes);
    form->control->Doc().SetModified(true);
    form->recoverySlot = entry.slot;
    form->recoveryFile = entry.copy;
    WriteRecoveryEntry(e.ini, {entry.slot, GetCurrentProcessId(), entry.copy, entry.original});
    form->control->Changed();
    SetStatus(form);
  }
}

}  // namespace talven::editor::frame
