#pragma once
// The parts of TALVED32's frame, shared by the files that make it up: the editor's state for
// the whole run (`Editor`), the edit windows (`TEditForm`), the command numbers and the
// functions each part offers the others.
//   frame.cpp         the frame window, its message loop, the common helpers
//   commands.cpp      menus, accelerators, menu states, the commands
//   bars.cpp          toolbar, quick-search bar, status line
//   edit_windows.cpp  the edit windows: loading, saving, closing, crash recovery
//   settings.cpp      TALVED32.INI at frame close, projects, the command line
//   starts.cpp        the programs started: Talven commands, tools, help
//   search.cpp        find, replace, quick search
//   print.cpp         printer set-up and printing

#include <windows.h>
#include <commdlg.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "editor/editor_rules.h"
#include "editor/recovery.h"
#include "editor/win32/edit_control.h"

namespace talven::editor::frame {

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

// The one editor of the process (set while RunEditor runs).
extern Editor* g_editor;

// ---- frame.cpp ----
void Box(const std::string& text, UINT flags = MB_OK | MB_ICONSTOP, const char* caption = kAppTitle);
bool FileExists(const std::string& name);
TEditForm* FormOf(HWND hwnd);
TEditForm* ActiveForm();
// The edit windows in the frame's order, the active one first.
std::vector<TEditForm*> Forms();
std::string FullPath(const std::string& name);
enum class FileDialog { Open, Save };
// A common file dialog; empty when cancelled.
std::string AskFile(FileDialog kind, const char* title, const std::string& filter,
                    const std::string& start, DWORD flags, const char* defaultExtension = nullptr);
void RestoreFrameMenuIfEmpty();

// ---- commands.cpp ----
struct MenuItem {
  const char* caption;  // nullptr: separator
  WORD id;
};
HMENU Popup(std::initializer_list<MenuItem> items);
HMENU MarksMenu(WORD first);
void BuildMenus(Editor& e);
void UpdateMenuStates(HMENU menu);
// A menu item by its caption path ("Datei/Datei speichern", captions without "&" and
// shortcut; a trailing "*" matches the start of a caption): its command id, or 0.
UINT MenuItemByPath(HMENU menu, const std::string& path);
// The item's state after its menu has been told it opens (WM_INITMENUPOPUP, as when the user
// opens it): 0 without such an item, else 1 | 2 when greyed | 4 when checked.
LRESULT MenuItemState(HMENU menu, const std::string& path);
void InsertFromFile(TEditForm* form);
void CopyAsFile(TEditForm* form);
void Command(WORD id);

// ---- bars.cpp ----
LRESULT CALLBACK PanelProcedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
void CreateBars(Editor& e);
void Layout();
void SetBar(bool toolbar, bool visible);
void SetStatusText(int part, const std::string& text);
bool StatusPending();
// Sets the status fields that changed since they were last shown.
void FlushStatus();
void ResetStatus();
void SetProjectStatus();
void SetStatus(TEditForm* form);

// ---- edit_windows.cpp ----
LRESULT CALLBACK EditProcedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
TEditForm* CreateEditWindow();
void BindFile(TEditForm* form);
bool SaveForm(TEditForm* form);
bool SaveFormAs(TEditForm* form);
// The close query: true when the window may go.
bool QueryClose(TEditForm* form);
void DestroyForm(TEditForm* form);
// Alle schließen: every window asks; those whose answer keeps them stay. True when none stays.
bool CloseAll();
// Before a start: every modified window is asked; Cancel (or a failed save) stops the start
// but the others are still asked.
bool CanClose();
void OpenFileWindow(const std::string& name);
void OfferRecovery();

// ---- settings.cpp ----
void OpenProjekt();
void SaveProjekt();
bool ChooseProjectName();
void ProjectSettingsDialog();
void NewProject(bool fromEditWindow);
// Frame close: the windows are asked, then the settings and the project are written.
bool CloseFrame();
void HandleCommandLine();

// ---- starts.cpp ----
void Start(const std::string& commandLine);
void StartTool(const char* program, const char* failure);
void TalvenCommand(WORD command);
void Help(UINT command, const std::string& data = {});
void HelpEditorTopic();
void ContextHelp();

// ---- search.cpp ----
void ShowFind(TEditForm* form);
void ShowReplace();
void Find(bool fromReplaceDialog);
void Replace(bool all);
void QuickSearch(bool forward);

// ---- print.cpp ----
void PrintForm(TEditForm* form, bool setupOnly);

}  // namespace talven::editor::frame
