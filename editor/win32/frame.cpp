#include "editor/win32/frame.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <string>
#include <vector>

#include "editor/editor_rules.h"
#include "editor/recovery.h"
#include "editor/text_file.h"
#include "editor/win32/dialogs.h"
#include "editor/win32/edit_control.h"

namespace talven::editor {

namespace {

constexpr char kFrameCaption[] = "ZUL-TALVEN-Editor 6.5-32";
constexpr char kAppTitle[] = "ZUL-TALVEN-Editor 6.2-32";
constexpr char kHelpFile[] = "TALVEN.HLP";
constexpr char kFrameClass[] = "TFrameForm";
constexpr char kEditClass[] = "TEditForm";
constexpr char kPanelClass[] = "TalvenPanel";
constexpr int kToolbarHeight = 41;
constexpr int kQuickSearchHeight = 30;

enum Command : WORD {
  kNewProject = 1000, kOpenProject, kSaveProjectAs, kCloseProject, kNewFile, kOpenFile,
  kCallProgram, kExit, kHelperFirst = 1010, kUserMenu = 1016, kTile, kTileHorizontal, kCascade,
  kArrangeIcons, kCloseAll, kCalculator, kAnsiTable, kCalendar, kHelpContents, kHelpReference,
  kHelpContext, kHelpEditor, kHelpSearch, kHelpOnHelp, kAbout, kCloseFile, kSave, kSaveAs,
  kPrinterSetup, kPrint, kUndo, kRedo, kCut, kCopy, kPaste, kDelete, kSelectAll, kDeleteAll,
  kIndent, kOutdent, kIndentText, kInsertFile, kCopyAsFile, kDateTime, kClipboard,
  kSetMarkFirst = 1100, kGotoMarkFirst = 1110, kFind = 1200, kReplace, kFindNext, kGotoLine,
  kRun, kRunScript, kCompile, kStart, kMakeExe, kMakeSaver, kToggleToolbar, kToggleQuickSearch,
  kToggleSyntax, kToggleWrap, kTabWidth, kFont, kProjectSettings, kIncludePath, kQuickBack,
  kQuickForward, kHelpButton, kQuickField, kFirstChild = 5000
};

constexpr const char* kHelperScripts[] = {"STRUKTUR.HLF", "TABELLEN.HLF", "FENSTER.HLF",
                                          "DIALOGE.HLF",  "MENUE.HLF",    "HILFE.HLF"};

// TALVED32.INI through the system's private-profile functions.
class Win32Profile : public ProfileStore {
 public:
  std::string Read(std::string_view section, std::string_view key, std::string_view fallback,
                   size_t bufferSize) override {
    std::vector<char> buffer(bufferSize + 1, '\0');
    GetPrivateProfileStringA(std::string(section).c_str(), std::string(key).c_str(),
                             std::string(fallback).c_str(), buffer.data(),
                             static_cast<DWORD>(bufferSize), kSettingsFile);
    return buffer.data();
  }
  void Write(std::string_view section, std::string_view key, std::string_view value) override {
    WritePrivateProfileStringA(std::string(section).c_str(), std::string(key).c_str(),
                               std::string(value).c_str(), kSettingsFile);
  }
  void Remove(std::string_view section, std::string_view key) override {
    WritePrivateProfileStringA(std::string(section).c_str(), std::string(key).c_str(), nullptr,
                               kSettingsFile);
  }
};

constexpr UINT_PTR kRecoveryTimer = 1;

struct TEditForm {
  HWND hwnd = nullptr;
  EditControl* control = nullptr;
  std::string fileName;
  SearchFlags lastSearch = SearchFlags::None;
  // Crash recovery: the text's revision last seen, and the copy written for it (slot 0: none).
  uint64_t seenRevision = 0;
  int32_t recoverySlot = 0;
  std::string recoveryFile;
};

// The state shared by the frame and every edit window for the whole run.
struct Editor {
  HINSTANCE instance = nullptr;
  HWND frame = nullptr, client = nullptr, toolbar = nullptr, quickBar = nullptr,
       quickField = nullptr, status = nullptr, tooltips = nullptr;
  HMENU frameMenu = nullptr, frameWindowMenu = nullptr, childMenu = nullptr,
        childWindowMenu = nullptr;
  HACCEL accelerators = nullptr;
  Win32Profile ini;
  std::string editorDir, runtimeModule, projectFile, projectDir, fileFilter, includePath;
  std::string nextFileName = kUntitled;
  bool syntaxColours = true, toolbarVisible = true, quickSearchVisible = true;
  bool findUsed = false;
  std::string lastFindText, lastReplaceText;
  std::vector<std::string> parameters;
  // The find and replace dialogs (modeless) and their buffers.
  HWND findDialog = nullptr, replaceDialog = nullptr;
  FINDREPLACEA findData = {}, replaceData = {};
  char findBuffer[256] = {}, replaceFindBuffer[256] = {}, replaceWithBuffer[256] = {};
  UINT findMessage = 0;
  UINT menuItemMessage = 0;
  // The find dialog's direction and options as last set there.
  DWORD findDialogFlags = FR_DOWN;
  bool tooManyReported = false;
  int32_t recoverySeconds = kDefaultRecoverySeconds;
};
Editor* g_editor = nullptr;

void Box(const std::string& text, UINT flags = MB_OK | MB_ICONSTOP,
         const char* caption = kAppTitle) {
  MessageBoxA(g_editor->frame, text.c_str(), caption, flags);
}

bool FileExists(const std::string& name) {
  const DWORD attributes = GetFileAttributesA(name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEditForm* FormOf(HWND hwnd) {
  if (!hwnd) return nullptr;
  char name[32] = {};
  GetClassNameA(hwnd, name, sizeof name);
  if (lstrcmpA(name, kEditClass) != 0) return nullptr;
  return reinterpret_cast<TEditForm*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

TEditForm* ActiveForm() {
  return FormOf(reinterpret_cast<HWND>(SendMessageA(g_editor->client, WM_MDIGETACTIVE, 0, 0)));
}

// The edit windows in the frame's order, the active one first.
std::vector<TEditForm*> Forms() {
  std::vector<TEditForm*> forms;
  for (HWND child = GetWindow(g_editor->client, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (TEditForm* form = FormOf(child)) forms.push_back(form);
  }
  return forms;
}

std::string FullPath(const std::string& name) {
  char buffer[MAX_PATH * 2] = {};
  const DWORD length = GetFullPathNameA(name.c_str(), sizeof buffer, buffer, nullptr);
  return length == 0 || length >= sizeof buffer ? name : std::string(buffer);
}


std::string FilterFor(const std::string& filter) {
  std::string out = filter;
  std::replace(out.begin(), out.end(), '|', '\0');
  out.append(2, '\0');
  return out;
}

enum class FileDialog { Open, Save };

// A common file dialog; empty when cancelled.
std::string AskFile(FileDialog kind, const char* title, const std::string& filter,
                    const std::string& start, DWORD flags, const char* defaultExtension = nullptr) {
  char name[MAX_PATH] = {};
  lstrcpynA(name, start.c_str(), MAX_PATH);
  const std::string filters = FilterFor(filter);
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = g_editor->frame;
  ofn.lpstrFilter = filters.c_str();
  ofn.lpstrFile = name;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrTitle = title;
  ofn.lpstrDefExt = defaultExtension;
  ofn.Flags = flags | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  const BOOL chosen = kind == FileDialog::Open ? GetOpenFileNameA(&ofn) : GetSaveFileNameA(&ofn);
  return chosen ? std::string(name) : std::string();
}

void Start(const std::string& commandLine) { WinExec(commandLine.c_str(), SW_SHOWNORMAL); }

void StartTool(const char* program, const char* failure) {
  if (WinExec(program, SW_SHOWNORMAL) <= 32) Box(failure, MB_OK | MB_ICONSTOP);
}

// ---- status ----

void SetStatusText(int part, const std::string& text) {
  // Only a changed field is set: each setting redraws it.
  static std::string shown[3];
  static HWND shownIn = nullptr;
  if (shownIn != g_editor->status) {
    for (std::string& field : shown) field = "\x01";
    shownIn = g_editor->status;
  }
  if (part >= 0 && part < 3 && shown[part] == text) return;
  if (part >= 0 && part < 3) shown[part] = text;
  SendMessageA(g_editor->status, SB_SETTEXTA, part, reinterpret_cast<LPARAM>(text.c_str()));
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

// ---- crash recovery ----

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

// ---- windows and files ----

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

// ---- projects ----

void OpenProjekt() {
  std::string bytes;
  if (LoadTextFile(g_editor->projectFile, bytes) != FileResult::Ok) return;
  g_editor->tooManyReported = false;
  for (const ProjectLine& line : ReadProject(bytes)) {
    switch (line.kind) {
      case ProjectLine::Kind::Directory: g_editor->projectDir = line.text; break;
      case ProjectLine::Kind::Runtime:
        g_editor->runtimeModule = line.text;
        g_editor->ini.Write("LINK", "Runtime", line.text);
        break;
      case ProjectLine::Kind::File:
        if (line.text == kUntitled) {
          g_editor->nextFileName = kUntitled;
          CreateEditWindow();
        } else {
          OpenFileWindow(line.text);
        }
        break;
    }
  }
  SetCurrentDirectoryA(g_editor->projectDir.c_str());
  SetProjectStatus();
}

void SaveProjekt() {
  if (g_editor->projectFile.empty()) return;
  std::vector<std::string> files;
  for (TEditForm* form : Forms()) files.push_back(form->fileName);
  const std::string bytes = WriteProject(g_editor->runtimeModule, g_editor->projectDir, files);
  if (SaveTextFile(g_editor->projectFile, bytes, Backup::None) != FileResult::Ok) {
    Box("Datei kann nicht erzeugt werden: " + g_editor->projectFile);
  }
}

bool ChooseProjectName() {
  const std::string chosen = AskFile(FileDialog::Save, "Geben Sie dem Projekt einen Namen:",
                                     "Projektdatei|*.prj", g_editor->projectFile, 0, "prj");
  if (chosen.empty()) return false;
  g_editor->projectFile = chosen;
  return true;
}

void ProjectSettingsDialog() {
  ProjectSettings settings{g_editor->projectFile, g_editor->runtimeModule, "", g_editor->projectDir};
  if (!ShowProjectSettings(g_editor->frame, settings)) return;
  g_editor->ini.Write("LINK", "Runtime", settings.typed);
  // Deliberate: the typed field counts as the runtime module too, so that what the linker
  // reads and what Starten uses never differ.
  g_editor->runtimeModule = settings.typed.empty() ? settings.runtime : settings.typed;
  g_editor->projectDir = settings.directory;
}

void NewProject(bool fromEditWindow) {
  if (!CloseAll()) return;
  char current[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, current);
  const bool named = ChooseProjectName();
  if (named) SaveProjekt();
  if (named || fromEditWindow) {
    ProjectSettingsDialog();
    SetProjectStatus();
  }
  SetCurrentDirectoryA(current);
}

// ---- the starts ----

void TalvenCommand(WORD command) {
  TEditForm* form = ActiveForm();
  if (!form || !CanClose()) return;
  const std::string& source = form->fileName;
  switch (command) {
    case kRun: Start(InterpreterCommand(source)); break;
    case kRunScript: Start(ScriptCommand(source)); break;
    case kCompile: Start(CompilerCommand(source)); break;
    case kStart: {
      std::string code = FindCodeFile(source, FileExists);
      if (code.empty()) {
        code = AskFile(FileDialog::Open, "Talven-Programm ausw\xE4hlen:", "Talven-Programme|*.tvc", "",
                       OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST);
      }
      if (!code.empty()) Start(RuntimeCommand(g_editor->runtimeModule, code));
      break;
    }
    case kMakeExe:
    case kMakeSaver: {
      const std::string code = AskFile(FileDialog::Open, "Talven-Programm ausw\xE4hlen:",
                                       "Talven-Programme|*.tvc", "", OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST);
      if (!code.empty()) Start(LinkCommand(code, command == kMakeSaver));
      break;
    }
    default: break;
  }
}

// ---- find and replace ----

void ShowFind(TEditForm* form) {
  Editor& e = *g_editor;
  if (e.findDialog) {
    SetFocus(e.findDialog);
    return;
  }
  lstrcpynA(e.findBuffer, e.lastFindText.c_str(), sizeof e.findBuffer);
  e.findData.lStructSize = sizeof(e.findData);
  e.findData.hwndOwner = e.frame;
  e.findData.lpstrFindWhat = e.findBuffer;
  e.findData.wFindWhatLen = sizeof e.findBuffer;
  e.findData.Flags |= FR_DOWN;
  e.findDialog = FindTextA(&e.findData);
  e.findUsed = true;
}

void ShowReplace() {
  Editor& e = *g_editor;
  if (e.replaceDialog) {
    SetFocus(e.replaceDialog);
    return;
  }
  lstrcpynA(e.replaceFindBuffer, e.lastFindText.c_str(), sizeof e.replaceFindBuffer);
  lstrcpynA(e.replaceWithBuffer, e.lastReplaceText.c_str(), sizeof e.replaceWithBuffer);
  e.replaceData.lStructSize = sizeof(e.replaceData);
  e.replaceData.hwndOwner = e.frame;
  e.replaceData.lpstrFindWhat = e.replaceFindBuffer;
  e.replaceData.wFindWhatLen = sizeof e.replaceFindBuffer;
  e.replaceData.lpstrReplaceWith = e.replaceWithBuffer;
  e.replaceData.wReplaceWithLen = sizeof e.replaceWithBuffer;
  e.replaceDialog = ReplaceTextA(&e.replaceData);
}

SearchFlags FindOptions() {
  const DWORD flags = g_editor->findDialogFlags;
  SearchFlags options = SearchFlags::None;
  if (!(flags & FR_DOWN)) options = options | SearchFlags::Backward;
  if (flags & FR_MATCHCASE) options = options | SearchFlags::MatchCase;
  if (flags & FR_WHOLEWORD) options = options | SearchFlags::WholeWord;
  return options;
}

void Find(bool fromReplaceDialog) {
  Editor& e = *g_editor;
  TEditForm* form = ActiveForm();
  if (!fromReplaceDialog && e.findDialog) {
    DestroyWindow(e.findDialog);
    e.findDialog = nullptr;
  }
  if (!form) return;
  const std::string text = fromReplaceDialog ? e.replaceFindBuffer : e.findBuffer;
  form->lastSearch = FindOptions();
  if (form->control->Doc().Find(text, form->lastSearch)) {
    form->control->Changed();
    SetStatus(form);
  } else {
    Box("\"" + text + "\"  nicht gefunden!", MB_OK | MB_ICONINFORMATION);
  }
  if (fromReplaceDialog) lstrcpynA(e.findBuffer, e.replaceFindBuffer, sizeof e.findBuffer);
  e.lastFindText = e.findBuffer;
  e.lastReplaceText = e.replaceWithBuffer;
}

void Replace(bool all) {
  Editor& e = *g_editor;
  TEditForm* form = ActiveForm();
  if (!form) return;
  const SearchFlags options = form->lastSearch | (all ? SearchFlags::ReplaceAll : SearchFlags::Replace);
  const std::string text = e.replaceFindBuffer;
  if (form->control->Doc().ReplaceHits(text, e.replaceWithBuffer, options) == -1) {
    Box("\"" + text + "\" nicht gefunden!", MB_OK | MB_ICONINFORMATION);
  }
  e.lastReplaceText = e.replaceWithBuffer;
  form->control->Changed();
  SetStatus(form);
}

void QuickSearch(bool forward) {
  TEditForm* form = ActiveForm();
  if (!form) return;
  char text[256] = {};
  GetWindowTextA(g_editor->quickField, text, sizeof text);
  if (form->control->Doc().Find(text, forward ? SearchFlags::None : SearchFlags::Backward)) {
    form->control->Changed();
    SetStatus(form);
  } else {
    Box("\"" + std::string(text) + "\"  nicht gefunden!", MB_OK | MB_ICONINFORMATION);
  }
}

// ---- printing ----

// Whether the system knows a printer to print on (asked without showing anything).
bool PrinterAvailable() {
  PRINTDLGA probe = {};
  probe.lStructSize = sizeof(probe);
  probe.hwndOwner = g_editor->frame;
  probe.Flags = PD_RETURNDEFAULT;
  const bool found = PrintDlgA(&probe) != FALSE;
  if (probe.hDevMode) GlobalFree(probe.hDevMode);
  if (probe.hDevNames) GlobalFree(probe.hDevNames);
  return found;
}

void PrintForm(TEditForm* form, bool setupOnly) {
  TextDocument& doc = form->control->Doc();
  // Without a printer our own box, not the print dialog's.
  if (!PrinterAvailable()) {
    Box("Drucken ist nicht m\xF6glich!");
    return;
  }
  PRINTDLGA pd = {};
  pd.lStructSize = sizeof(pd);
  pd.hwndOwner = g_editor->frame;
  pd.Flags = setupOnly ? PD_PRINTSETUP : PD_RETURNDC | PD_USEDEVMODECOPIESANDCOLLATE |
                                            (doc.HasSelection() ? 0 : PD_NOSELECTION);
  pd.nMinPage = 1;
  pd.nMaxPage = 0xFFFF;
  pd.nFromPage = pd.nToPage = 1;
  if (!PrintDlgA(&pd)) {
    if (CommDlgExtendedError() != 0) Box("Drucken ist nicht m\xF6glich!");
    return;
  }
  if (pd.hDevMode) GlobalFree(pd.hDevMode);
  if (pd.hDevNames) GlobalFree(pd.hDevNames);
  if (setupOnly || !pd.hDC) return;
  HDC dc = pd.hDC;
  const FontSetting setting = ReadFont(g_editor->ini);
  HFONT font = CreateFontA(-MulDiv(setting.size, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL,
                           0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, FIXED_PITCH | FF_MODERN, setting.name.c_str());
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICA metrics = {};
  GetTextMetricsA(dc, &metrics);
  const int lineHeight = std::max<int>(metrics.tmHeight + metrics.tmExternalLeading, 1);
  const int perPage = std::max(GetDeviceCaps(dc, VERTRES) / lineHeight, 1);
  const std::vector<std::string> lines = PrintLines(doc, (pd.Flags & PD_SELECTION) != 0);
  DOCINFOA info = {};
  info.cbSize = sizeof(info);
  info.lpszDocName = form->fileName.c_str();
  if (StartDocA(dc, &info) > 0) {
    const int pages = static_cast<int>((lines.size() + perPage - 1) / perPage);
    for (int page = 1; page <= pages; ++page) {
      // A page range prints those pages.
      if ((pd.Flags & PD_PAGENUMS) && (page < pd.nFromPage || page > pd.nToPage)) continue;
      StartPage(dc);
      SelectObject(dc, font);
      for (int i = 0; i < perPage; ++i) {
        const size_t index = static_cast<size_t>(page - 1) * perPage + i;
        if (index >= lines.size()) break;
        TextOutA(dc, 0, i * lineHeight, lines[index].c_str(), static_cast<int>(lines[index].size()));
      }
      EndPage(dc);
    }
    EndDoc(dc);
  }
  SelectObject(dc, old);
  DeleteObject(font);
  DeleteDC(dc);
}

// ---- help ----

void Help(UINT command, const std::string& data = {}) {
  WinHelpA(g_editor->frame, kHelpFile, command, data.empty() && command != HELP_PARTIALKEY
                                                    ? 0 : reinterpret_cast<ULONG_PTR>(data.c_str()));
}

void HelpEditorTopic() {
  Help(HELP_CONTENTS);
  Help(HELP_COMMAND, "JumpID(\"\",\"Editor\")");
}

// ---- menus ----

struct MenuItem {
  const char* caption;  // nullptr: separator
  WORD id;
};

HMENU Popup(std::initializer_list<MenuItem> items) {
  HMENU menu = CreatePopupMenu();
  for (const MenuItem& item : items) {
    if (item.caption == nullptr) {
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    } else {
      AppendMenuA(menu, MF_STRING, item.id, item.caption);
    }
  }
  return menu;
}

HMENU MarksMenu(WORD first) {
  HMENU menu = CreatePopupMenu();
  for (int i = 1; i <= 10; ++i) {
    const std::string caption = "&" + std::to_string(i % 10);
    AppendMenuA(menu, MF_STRING, first + i - 1, caption.c_str());
  }
  return menu;
}

HMENU HelperMenu() {
  return Popup({{"Datenbank&struktur", kHelperFirst}, {"&Tabellen bearbeiten", kHelperFirst + 1},
                {"&Fenster gestalten", kHelperFirst + 2}, {"&Dialoge gestalten", kHelperFirst + 3},
                {"&Men\xFC""designer", kHelperFirst + 4}, {"&Hilfedatei erzeugen", kHelperFirst + 5},
                {"&Benutzermen\xFC", kUserMenu}});
}

HMENU WindowMenu() {
  return Popup({{"&Nebeneinander", kTile}, {"&Untereinander", kTileHorizontal},
                {"&\xDC""berlappend", kCascade}, {"&Icons anordnen", kArrangeIcons},
                {"&Alle schlie\xDF""en\tStrg+F3", kCloseAll}, {nullptr, 0},
                {"&Rechner", kCalculator}, {"Ansi-&Tabelle", kAnsiTable},
                {"Termin-&Kalender", kCalendar}});
}

HMENU HelpMenu() {
  return Popup({{"&TALVEN\xB2-Hilfe\tF1", kHelpContents}, {nullptr, 0},
                {"&Referenz\tAlt+F1", kHelpReference}, {"&Kontextabh\xE4ngig\tStrg+F1", kHelpContext},
                {"&Editor", kHelpEditor}, {"&Suche in der Hilfe...", kHelpSearch},
                {"&Hilfe verwenden", kHelpOnHelp}, {nullptr, 0}, {"&\xDC""ber...", kAbout}});
}

void BuildMenus(Editor& e) {
  e.frameMenu = CreateMenu();
  AppendMenuA(e.frameMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(Popup({
      {"Neues P&rojekt...", kNewProject}, {"&Projekt \xF6""ffnen...", kOpenProject},
      {"Pro&jekt speichern als...", kSaveProjectAs}, {"Projekt schlie&\xDF""en", kCloseProject},
      {nullptr, 0}, {"&Neue Datei", kNewFile}, {"Datei &\xF6""ffnen...\tF3", kOpenFile}, {nullptr, 0},
      {"Programm &aufrufen...", kCallProgram}, {"&Ende", kExit}})), "&Datei");
  AppendMenuA(e.frameMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(HelperMenu()), "&Helfer");
  e.frameWindowMenu = WindowMenu();
  AppendMenuA(e.frameMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(e.frameWindowMenu), "&Fenster");
  AppendMenuA(e.frameMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(HelpMenu()), "&?");

  e.childMenu = CreateMenu();
  AppendMenuA(e.childMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(Popup({
      {"Neues P&rojekt...", kNewProject}, {"&Projekt \xF6""ffnen...", kOpenProject},
      {"Pro&jekt speichern als...", kSaveProjectAs}, {"Projekt schlie&\xDF""en", kCloseProject},
      {nullptr, 0}, {"&Neue Datei", kNewFile}, {"Datei &\xF6""ffnen...\tF3", kOpenFile},
      {"Datei s&chlie\xDF""en\tAlt+F3", kCloseFile}, {"Datei &speichern\tF2", kSave},
      {"Datei speichern &als...\tAlt+F2", kSaveAs}, {nullptr, 0},
      {"D&rucker einrichten...", kPrinterSetup}, {"&Drucken...", kPrint}, {nullptr, 0},
      {"Progra&mm aufrufen...", kCallProgram}, {"&Ende\tAlt+X", kExit}})), "&Datei");
  HMENU edit = Popup({
      {"&R\xFC""ckg\xE4ngig\tAlt+R\xFC""ck", kUndo}, {"Wider&rufen\tUmsch+Alt+R\xFC""ck", kRedo},
      {nullptr, 0}, {"&Ausschneiden\tUmsch+Entf", kCut}, {"&Kopieren\tStrg+Einfg", kCopy},
      {"&Einf\xFCgen\tUmsch+Einfg", kPaste}, {"&L\xF6schen\tStrg+Entf", kDelete}, {nullptr, 0},
      {"Alles aus&w\xE4hlen\tAlt+Einfg", kSelectAll}, {"Alles l\xF6s&chen\tAlt+Entf", kDeleteAll},
      {nullptr, 0}, {"Einr\xFC""cken\tStrg+I", kIndent}, {"Ausr\xFC""cken\tStrg+O", kOutdent},
      {"Mit Text einr\xFC""cken\tStrg+T", kIndentText}, {nullptr, 0},
      {"Einf\xFCgen a&us Datei...\tStrg+R", kInsertFile}, {"Kopiere&n als Datei...\tStrg+W", kCopyAsFile},
      {nullptr, 0}, {"Da&tum + Zeit\tF5", kDateTime}, {"&Zwischenablage", kClipboard}});
  AppendMenuA(edit, MF_POPUP, reinterpret_cast<UINT_PTR>(MarksMenu(kSetMarkFirst)), "&Setze Merker");
  AppendMenuA(e.childMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), "&Bearbeiten");
  HMENU search = Popup({{"&Finden...\tStrg+F", kFind}, {"&Ersetzen...\tStrg+A", kReplace},
                        {"&Weitersuchen\tStrg+L", kFindNext}, {nullptr, 0},
                        {"Gehe zu &Zeile...\tStrg+J", kGotoLine}});
  AppendMenuA(search, MF_POPUP, reinterpret_cast<UINT_PTR>(MarksMenu(kGotoMarkFirst)), "Gehe zu &Merker");
  AppendMenuA(e.childMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(search), "&Suchen");
  AppendMenuA(e.childMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(Popup({
      {"&Ausf\xFChren (Interpreter)\tF7", kRun}, {"als Scri&pt-Datei ausf\xFChren", kRunScript},
      {nullptr, 0}, {"&Compilieren\tF9", kCompile}, {"Sta&rten\tF8", kStart}, {nullptr, 0},
      {"&Exe-Datei erstellen...", kMakeExe}, {"&Screensaver erstellen...", kMakeSaver}})), "&Talven");
  AppendMenuA(e.childMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(Popup({
      {"&Toolbar", kToggleToolbar}, {"Sch&nellsuche", kToggleQuickSearch}, {nullptr, 0},
      {"Syntax-&Farben", kToggleSyntax}, {"Zeilen&umbruch", kToggleWrap}, {"Ta&bulator...", kTabWidth},
      {nullptr, 0}, {"&Schrift...", kFont}, {nullptr, 0},
      {"&Projekt-Einstellungen...", kProjectSettings}, {"&Include-Pfad...", kIncludePath}})), "&Optionen");
  AppendMenuA(e.childMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(HelperMenu()), "&Helfer");
  e.childWindowMenu = WindowMenu();
  AppendMenuA(e.childMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(e.childWindowMenu), "&Fenster");
  AppendMenuA(e.childMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(HelpMenu()), "&?");

  const ACCEL keys[] = {
      {FVIRTKEY, VK_F3, kOpenFile}, {FVIRTKEY | FCONTROL, VK_F3, kCloseAll},
      {FVIRTKEY, VK_F1, kHelpContents}, {FVIRTKEY | FALT, VK_F1, kHelpReference},
      {FVIRTKEY | FCONTROL, VK_F1, kHelpContext}, {FVIRTKEY | FALT, VK_F3, kCloseFile},
      {FVIRTKEY, VK_F2, kSave}, {FVIRTKEY | FALT, VK_F2, kSaveAs}, {FVIRTKEY | FALT, 'X', kExit},
      {FVIRTKEY | FALT, VK_BACK, kUndo}, {FVIRTKEY | FALT | FSHIFT, VK_BACK, kRedo},
      {FVIRTKEY | FSHIFT, VK_DELETE, kCut}, {FVIRTKEY | FCONTROL, VK_INSERT, kCopy},
      {FVIRTKEY | FSHIFT, VK_INSERT, kPaste}, {FVIRTKEY | FCONTROL, VK_DELETE, kDelete},
      {FVIRTKEY | FALT, VK_INSERT, kSelectAll}, {FVIRTKEY | FALT, VK_DELETE, kDeleteAll},
      {FVIRTKEY | FCONTROL, 'I', kIndent}, {FVIRTKEY | FCONTROL, 'O', kOutdent},
      {FVIRTKEY | FCONTROL, 'T', kIndentText}, {FVIRTKEY | FCONTROL, 'R', kInsertFile},
      {FVIRTKEY | FCONTROL, 'W', kCopyAsFile}, {FVIRTKEY, VK_F5, kDateTime},
      {FVIRTKEY | FCONTROL, 'F', kFind}, {FVIRTKEY | FCONTROL, 'A', kReplace},
      {FVIRTKEY | FCONTROL, 'L', kFindNext}, {FVIRTKEY | FCONTROL, 'J', kGotoLine},
      {FVIRTKEY, VK_F7, kRun}, {FVIRTKEY, VK_F9, kCompile}, {FVIRTKEY, VK_F8, kStart}};
  e.accelerators = CreateAcceleratorTableA(const_cast<ACCEL*>(keys), static_cast<int>(std::size(keys)));
}

void UpdateMenuStates(HMENU menu) {
  Editor& e = *g_editor;
  TEditForm* form = ActiveForm();
  auto check = [&](WORD id, bool on) { CheckMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED)); };
  auto enable = [&](WORD id, bool on) { EnableMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED)); };
  check(kToggleToolbar, e.toolbarVisible);
  check(kToggleQuickSearch, e.quickSearchVisible);
  check(kToggleSyntax, e.syntaxColours);
  check(kToggleWrap, form && form->control->Wrap());
  enable(kToggleWrap, form != nullptr);
  enable(kFindNext, e.findUsed);
  const bool selection = form && form->control->Doc().HasSelection();
  enable(kPaste, IsClipboardFormatAvailable(CF_TEXT));
  enable(kCut, selection);
  enable(kCopy, selection);
  enable(kDelete, selection);
}

// ---- commands ----

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

std::string DateTimeText() {
  char date[80] = {}, time[80] = {};
  GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, sizeof date);
  GetTimeFormatA(LOCALE_USER_DEFAULT, TIME_NOSECONDS, nullptr, nullptr, time, sizeof time);
  return std::string(date) + " - " + time + " ";
}

void ContextHelp() {
  TEditForm* form = ActiveForm();
  if (!form) return;
  TextDocument& doc = form->control->Doc();
  const LineColumn place = doc.CaretPlace();
  Help(HELP_PARTIALKEY, HelpWord(doc.DisplayText(place.line - 1), place.column));
}

void InsertFromFile(TEditForm* form) {
  const std::string chosen = AskFile(FileDialog::Open, "Datei \xF6""ffnen", g_editor->fileFilter, "",
                                     OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST);
  if (chosen.empty()) return;
  std::string bytes;
  if (LoadTextFile(chosen, bytes) != FileResult::Ok) {
    Box("Datei kann nicht gelesen werden: " + chosen);
    return;
  }
  InsertFileLines(form->control->Doc(), bytes);
  form->control->Changed();
  SetStatus(form);
}

void CopyAsFile(TEditForm* form) {
  if (!form->control->Doc().HasSelection()) return;
  const std::string chosen = AskFile(FileDialog::Save, nullptr, g_editor->fileFilter, "", OFN_OVERWRITEPROMPT);
  if (chosen.empty()) return;
  if (SaveTextFile(chosen, SelectedLinesAsFile(form->control->Doc()), Backup::None) != FileResult::Ok) {
    Box("Datei kann nicht erzeugt werden: " + chosen);
  }
}

void ChooseFontFor(TEditForm* form) {
  const FontSetting current = ReadFont(g_editor->ini);
  LOGFONTA logFont = {};
  HDC dc = GetDC(g_editor->frame);
  logFont.lfHeight = -MulDiv(current.size, GetDeviceCaps(dc, LOGPIXELSY), 72);
  ReleaseDC(g_editor->frame, dc);
  lstrcpynA(logFont.lfFaceName, current.name.c_str(), LF_FACESIZE);
  CHOOSEFONTA choose = {};
  choose.lStructSize = sizeof(choose);
  choose.hwndOwner = g_editor->frame;
  choose.lpLogFont = &logFont;
  choose.rgbColors = static_cast<COLORREF>(current.colour);
  choose.Flags = CF_SCREENFONTS | CF_FIXEDPITCHONLY | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT;
  if (!ChooseFontA(&choose)) return;
  FontSetting chosen{logFont.lfFaceName, static_cast<int32_t>(choose.rgbColors),
                     std::clamp(choose.iPointSize / 10, 4, 72)};
  WriteFont(g_editor->ini, chosen);
  form->control->SetFont(chosen);
}

void SetBar(bool toolbar, bool visible) {
  (toolbar ? g_editor->toolbarVisible : g_editor->quickSearchVisible) = visible;
  Layout();
}

// Commands that act on an edit window.
void FormCommand(TEditForm* form, WORD id) {
  EditControl& control = *form->control;
  TextDocument& doc = control.Doc();
  Editor& e = *g_editor;
  if (id >= kSetMarkFirst && id < kSetMarkFirst + 10) {
    doc.SetBookmark(id - kSetMarkFirst + 1, doc.Caret());
    return;
  }
  if (id >= kGotoMarkFirst && id < kGotoMarkFirst + 10) {
    const size_t mark = doc.Bookmark(id - kGotoMarkFirst + 1);
    if (mark != TextDocument::kNoPosition) doc.SetCaret(mark);
    control.Changed();
    SetStatus(form);
    return;
  }
  switch (id) {
    case kCloseFile: PostMessageA(form->hwnd, WM_CLOSE, 0, 0); return;
    case kSave: SaveForm(form); return;
    case kSaveAs: SaveFormAs(form); return;
    case kPrinterSetup: PrintForm(form, true); return;
    case kPrint: PrintForm(form, false); return;
    case kUndo: doc.Undo(); break;
    case kRedo: doc.Redo(); break;
    case kCut: control.Cut(); break;
    case kCopy: control.Copy(); break;
    case kPaste: control.Paste(); break;
    case kDelete: doc.DeleteSelection(); break;
    case kSelectAll: doc.SelectAll(); break;
    case kDeleteAll: doc.DeleteAll(); break;
    case kIndent: IndentLines(doc, " "); break;
    case kOutdent: OutdentLines(doc); break;
    case kIndentText: {
      std::string text;
      if (InputBox(e.frame, "Mit Text einr\xFC""cken", "Einr\xFC""cktext", text)) IndentLines(doc, text);
      break;
    }
    case kInsertFile: InsertFromFile(form); return;
    case kCopyAsFile: CopyAsFile(form); return;
    case kDateTime: doc.InsertText(DateTimeText()); break;
    case kClipboard: StartTool("clipbrd.exe", "\"CLIPBRD.EXE\" nicht gefunden."); return;
    case kFind: ShowFind(form); return;
    case kReplace: ShowReplace(); return;
    case kFindNext: Find(false); return;
    case kGotoLine: {
      std::string text = "1";
      const std::string prompt = "Zeilennummer (1 - " + std::to_string(doc.LineCount()) + "):";
      int32_t line = 0;
      if (InputBox(e.frame, "Gehe zu", prompt, text) && ParseNumber(text, line)) {
        doc.SetCaret(doc.LineStart(std::clamp(line, 1, doc.LineCount()) - 1));
      }
      break;
    }
    case kRun: case kRunScript: case kCompile: case kStart: case kMakeExe: case kMakeSaver:
      TalvenCommand(id);
      return;
    case kToggleToolbar: SetBar(true, !e.toolbarVisible); return;
    case kToggleQuickSearch: SetBar(false, !e.quickSearchVisible); return;
    case kToggleSyntax:
      e.syntaxColours = !e.syntaxColours;
      e.ini.Write("Optionen", "Syntax", e.syntaxColours ? "J" : "N");
      InvalidateRect(control.Handle(), nullptr, FALSE);
      return;
    case kToggleWrap:
      control.SetWrap(!control.Wrap());
      return;
    case kTabWidth: {
      std::string text = std::to_string(doc.TabWidth());
      int32_t width = 0;
      if (InputBox(e.frame, "Tabulator", "Position:", text) && ParseNumber(text, width) && ValidTabWidth(width)) {
        doc.SetTabWidth(width);
        e.ini.Write("Optionen", "Tab", std::to_string(width));
      }
      break;
    }
    case kFont: ChooseFontFor(form); return;
    case kIncludePath: {
      e.includePath = e.ini.Read("COMPILE", "Include", "", kLongSetting);
      std::string text = e.includePath;
      if (InputBox(e.frame, "INCLUDE-PFAD", "Vollst\xE4ndiger Suchpfad f\xFCr Include-Dateien:", text)) {
        e.includePath = text;
        e.ini.Write("COMPILE", "Include", text);
      }
      return;
    }
    default: return;
  }
  control.Changed();
  SetStatus(form);
}

void Command(WORD id) {
  Editor& e = *g_editor;
  TEditForm* form = ActiveForm();
  if (id >= kHelperFirst && id < kHelperFirst + 6) {
    Start(HelperCommand(e.editorDir, kHelperScripts[id - kHelperFirst]));
    return;
  }
  switch (id) {
    case kNewProject: NewProject(form != nullptr); return;
    case kOpenProject: {
      const std::string chosen = AskFile(FileDialog::Open, "Projekt \xF6""ffnen", "Projektdateien|*.prj", "",
                                         OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST);
      if (chosen.empty() || !CloseAll()) return;
      e.projectFile = chosen;
      OpenProjekt();
      return;
    }
    case kSaveProjectAs: {
      char current[MAX_PATH] = {};
      GetCurrentDirectoryA(MAX_PATH, current);
      if (ChooseProjectName()) SaveProjekt();
      SetCurrentDirectoryA(current);
      return;
    }
    case kCloseProject:
      if (!CloseAll()) return;
      e.projectFile.clear();
      SetProjectStatus();
      return;
    case kNewFile:
      e.nextFileName = kUntitled;
      CreateEditWindow();
      return;
    case kOpenFile: {
      const std::string chosen = AskFile(FileDialog::Open, "Datei \xF6""ffnen", e.fileFilter, "",
                                         OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST);
      if (!chosen.empty()) OpenFileWindow(chosen);
      return;
    }
    case kCallProgram: {
      const std::string chosen = AskFile(FileDialog::Open, "Programm aufrufen:",
                                         "Programme|*.exe;*.pif;*.bat|Alle Dateien|*.*", "",
                                         OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST);
      if (!chosen.empty()) Start(ProgramCommand(chosen));
      return;
    }
    case kExit: PostMessageA(e.frame, WM_CLOSE, 0, 0); return;
    case kUserMenu: Start(UserMenuCommand(e.runtimeModule, e.editorDir)); return;
    case kTile: SendMessageA(e.client, WM_MDITILE, MDITILE_VERTICAL, 0); return;
    case kTileHorizontal: SendMessageA(e.client, WM_MDITILE, MDITILE_HORIZONTAL, 0); return;
    case kCascade: SendMessageA(e.client, WM_MDICASCADE, 0, 0); return;
    case kArrangeIcons: SendMessageA(e.client, WM_MDIICONARRANGE, 0, 0); return;
    case kCloseAll: CloseAll(); return;
    case kCalculator: StartTool("calc.exe", "\"CALC.EXE\" nicht gefunden."); return;
    case kAnsiTable: StartTool("Ansi.exe", "\"ANSI.EXE\" nicht gefunden."); return;
    case kCalendar: StartTool("calendar.exe", "\"CALENDAR.EXE\" nicht gefunden."); return;
    case kHelpContents: Help(HELP_CONTENTS); return;
    case kHelpReference: Help(HELP_KEY, "Referenz"); return;
    case kHelpContext: ContextHelp(); return;
    case kHelpEditor: case kHelpButton: HelpEditorTopic(); return;
    case kHelpSearch: Help(HELP_PARTIALKEY, ""); return;
    case kHelpOnHelp: Help(HELP_HELPONHELP); return;
    case kAbout:
      Box("ZUL-TALVEN\xB2 Editor\nVersion 6.5-32", MB_OK | MB_ICONINFORMATION, kFrameCaption);
      return;
    case kQuickBack: QuickSearch(false); return;
    case kQuickForward: QuickSearch(true); return;
    case kProjectSettings:
      ProjectSettingsDialog();
      return;
    default: break;
  }
  // Buttons and menu items that act on the active window do nothing without one.
  if (form) FormCommand(form, id);
}

// ---- window procedures ----

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

bool CloseFrame() {
  Editor& e = *g_editor;
  for (TEditForm* form : Forms()) {
    if (!QueryClose(form)) return false;
  }
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof(placement);
  GetWindowPlacement(e.frame, &placement);
  const RECT& r = placement.rcNormalPosition;
  WritePlacement(e.ini, {r.top, r.left, r.right - r.left, r.bottom - r.top});
  e.ini.Write("Optionen", "Toolbar1", e.toolbarVisible ? "1" : "0");
  e.ini.Write("Optionen", "Schnellsuche", e.quickSearchVisible ? "1" : "0");
  e.ini.Write("Talved", "Projekt", e.projectFile);
  SaveProjekt();
  return true;
}

// A menu item by its caption path ("Datei/Datei speichern", captions without "&" and
// shortcut; a trailing "*" matches the start of a caption): its command id, or 0.
UINT MenuItemByPath(HMENU menu, const std::string& path) {
  const size_t slash = path.find('/');
  const std::string want = path.substr(0, slash);
  const bool prefix = !want.empty() && want.back() == '*';
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    char caption[256] = {};
    GetMenuStringA(menu, i, caption, sizeof caption, MF_BYPOSITION);
    std::string plain;
    for (const char* p = caption; *p && *p != '\t'; ++p) {
      if (*p != '&') plain += *p;
    }
    if (prefix ? plain.compare(0, want.size() - 1, want, 0, want.size() - 1) != 0 : plain != want) continue;
    if (slash == std::string::npos) return GetMenuItemID(menu, i);
    if (HMENU sub = GetSubMenu(menu, i)) {
      if (const UINT id = MenuItemByPath(sub, path.substr(slash + 1))) return id;
    }
  }
  return 0;
}

LRESULT CALLBACK FrameProcedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  Editor& e = *g_editor;
  try {
    if (message == e.menuItemMessage && e.menuItemMessage != 0) {
      // A tool (the test driver) chooses a menu item by its captions, as a user would. Without
      // a caption it asks to be told (by a window property) that what it sent before has been
      // taken: the number it gave, or its negative while keys or clicks still wait in the queue.
      if (wparam == 0) {
        const bool inputWaiting = HIWORD(GetQueueStatus(QS_INPUT)) != 0;
        // What it sent shows on the screen before the answer (for timings and screenshots).
        if (!inputWaiting) RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        SetPropA(hwnd, "TalvedTaken", reinterpret_cast<HANDLE>(inputWaiting ? -lparam : lparam));
        return 0;
      }
      char path[256] = {};
      GlobalGetAtomNameA(static_cast<ATOM>(wparam), path, sizeof path);
      const UINT id = MenuItemByPath(GetMenu(hwnd), path);
      if (id != 0 && id != static_cast<UINT>(-1)) PostMessageA(hwnd, WM_COMMAND, id, 0);
      return id == static_cast<UINT>(-1) ? 0 : id;
    }
    if (message == e.findMessage && e.findMessage != 0) {
      // The dialogs report through a structure of their own: the options are read from it,
      // the texts from our buffers, which they keep up to date.
      auto* data = reinterpret_cast<FINDREPLACEA*>(lparam);
      const bool fromReplace = data->lpstrReplaceWith != nullptr;
      if (!fromReplace) e.findDialogFlags = data->Flags & (FR_DOWN | FR_MATCHCASE | FR_WHOLEWORD);
      if (data->Flags & FR_DIALOGTERM) {
        (fromReplace ? e.replaceDialog : e.findDialog) = nullptr;
      } else if (data->Flags & (FR_REPLACE | FR_REPLACEALL)) {
        Replace((data->Flags & FR_REPLACEALL) != 0);
      } else if (data->Flags & FR_FINDNEXT) {
        Find(fromReplace);
      }
      data->Flags &= ~(FR_FINDNEXT | FR_REPLACE | FR_REPLACEALL | FR_DIALOGTERM);
      return 0;
    }
    switch (message) {
      case WM_CREATE: {
        e.frame = hwnd;
        CLIENTCREATESTRUCT ccs = {e.frameWindowMenu, kFirstChild};
        e.client = CreateWindowExA(WS_EX_CLIENTEDGE, "MDICLIENT", nullptr,
                                   WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0,
                                   0, 0, hwnd, nullptr, e.instance, &ccs);
        CreateBars(e);
        return 0;
      }
      case WM_SIZE:
        Layout();
        return 0;
      case WM_COMMAND:
        if (LOWORD(wparam) >= kNewProject && LOWORD(wparam) < kFirstChild && LOWORD(wparam) != kQuickField) {
          Command(LOWORD(wparam));
          return 0;
        }
        break;
      case WM_INITMENUPOPUP:
        UpdateMenuStates(reinterpret_cast<HMENU>(wparam));
        break;
      case WM_CLOSE:
        if (CloseFrame()) DestroyWindow(hwnd);
        return 0;
      case WM_DESTROY:
        RemovePropA(hwnd, "TalvedTaken");
        WinHelpA(hwnd, kHelpFile, HELP_QUIT, 0);
        PostQuitMessage(0);
        return 0;
      default:
        break;
    }
  } catch (...) {
    return 0;
  }
  return DefFrameProcA(hwnd, e.client, message, wparam, lparam);
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

void RestoreFrameMenuIfEmpty() {
  Editor& e = *g_editor;
  if (!Forms().empty() || GetMenu(e.frame) == e.frameMenu) return;
  SendMessageA(e.client, WM_MDISETMENU, reinterpret_cast<WPARAM>(e.frameMenu),
               reinterpret_cast<LPARAM>(e.frameWindowMenu));
  DrawMenuBar(e.frame);
  SetStatusText(0, "");
  SetStatusText(1, "");
}

void HandleCommandLine() {
  Editor& e = *g_editor;
  e.projectFile = e.ini.Read("Talved", "Projekt", "", kShortSetting);
  if (e.parameters.empty()) {
    if (!e.projectFile.empty()) OpenProjekt();
    return;
  }
  for (const StartParameter& parameter : ReadStartParameters(e.parameters)) {
    if (parameter.project) {
      e.projectFile = parameter.name;
      OpenProjekt();
    } else {
      OpenFileWindow(FullPath(parameter.name));
    }
  }
  SetProjectStatus();
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

}  // namespace

int RunEditor(HINSTANCE instance, const char* commandLine) {
  Editor editor;
  g_editor = &editor;
  editor.instance = instance;
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  editor.editorDir = EditorDirOf(path);
  editor.runtimeModule = DefaultRuntimeModule(editor.editorDir);
  editor.projectDir = editor.editorDir;
  editor.parameters = SplitParameters(commandLine ? commandLine : "");
  if (!editor.parameters.empty()) editor.parameters.erase(editor.parameters.begin());
  editor.findMessage = RegisterWindowMessageA(FINDMSGSTRINGA);
  editor.menuItemMessage = RegisterWindowMessageA("TalvedMenuItem");

  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  EditControl::Register(instance);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = FrameProcedure;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kFrameClass;
  RegisterClassA(&wc);
  wc.lpfnWndProc = EditProcedure;
  wc.lpszClassName = kEditClass;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  RegisterClassA(&wc);
  wc.lpfnWndProc = PanelProcedure;
  wc.lpszClassName = kPanelClass;
  wc.hIcon = nullptr;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  RegisterClassA(&wc);
  BuildMenus(editor);

  // Frame creation: bars and position from TALVED32.INI, project and filter.
  editor.toolbarVisible = ReadBarVisible(editor.ini, "Toolbar1");
  editor.quickSearchVisible = ReadBarVisible(editor.ini, "Schnellsuche");
  const FramePlacement placement =
      ReadPlacement(editor.ini, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  editor.projectFile = editor.ini.Read("Talved", "Projekt", "", kShortSetting);
  editor.fileFilter = ReadFilter(editor.ini);
  editor.syntaxColours = ReadSyntaxColours(editor.ini);
  editor.recoverySeconds = ReadRecoverySeconds(editor.ini);
  HWND frame = CreateWindowExA(0, kFrameClass, kAppTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                               placement.left, placement.top, placement.width, placement.height,
                               nullptr, editor.frameMenu, instance, nullptr);
  if (!frame) return 2;
  SetWindowTextA(frame, kFrameCaption);
  ShowWindow(frame, SW_SHOWNORMAL);
  Layout();
  UpdateWindow(frame);
  SetProjectStatus();
  HandleCommandLine();
  OfferRecovery();

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_NULL && msg.hwnd == editor.frame) {
      RestoreFrameMenuIfEmpty();
      continue;
    }
    if (editor.findDialog && IsDialogMessageA(editor.findDialog, &msg)) continue;
    if (editor.replaceDialog && IsDialogMessageA(editor.replaceDialog, &msg)) continue;
    if (TranslateMDISysAccel(editor.client, &msg)) continue;
    TEditForm* form = ActiveForm();
    const bool chord = form && form->control->InChord() && msg.hwnd == form->control->Handle();
    if (!chord && TranslateAcceleratorA(editor.frame, editor.accelerators, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  g_editor = nullptr;
  return static_cast<int>(msg.wParam);
}

}  // namespace talven::editor
