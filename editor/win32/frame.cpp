#include "editor/win32/frame.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <string>
#include <vector>

#include "editor/win32/frame_parts.h"

namespace talven::editor {
namespace frame {

Editor* g_editor = nullptr;

namespace {

std::string FilterFor(const std::string& filter) {
  std::string out = filter;
  std::replace(out.begin(), out.end(), '|', '\0');
  out.append(2, '\0');
  return out;
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
        if (!inputWaiting) FlushStatus();
        // What it sent shows on the screen before the answer (for timings and screenshots).
        if (!inputWaiting) RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        SetPropA(hwnd, "TalvedTaken", reinterpret_cast<HANDLE>(inputWaiting ? -lparam : lparam));
        return 0;
      }
      char path[256] = {};
      GlobalGetAtomNameA(static_cast<ATOM>(wparam), path, sizeof path);
      // "|PATH" asks for the item's state as its menu shows it when opened: 0 when there is
      // no such item, else 1, plus 2 when greyed, plus 4 when checked.
      if (path[0] == '|') return MenuItemState(GetMenu(hwnd), path + 1);
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
      case WM_ENTERIDLE:  // a dialog or menu of ours waits for input
        FlushStatus();
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

}  // namespace

void Box(const std::string& text, UINT flags, const char* caption) {
  FlushStatus();
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

std::string AskFile(FileDialog kind, const char* title, const std::string& filter,
                    const std::string& start, DWORD flags, const char* defaultExtension) {
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

void RestoreFrameMenuIfEmpty() {
  Editor& e = *g_editor;
  if (!Forms().empty() || GetMenu(e.frame) == e.frameMenu) return;
  SendMessageA(e.client, WM_MDISETMENU, reinterpret_cast<WPARAM>(e.frameMenu),
               reinterpret_cast<LPARAM>(e.frameWindowMenu));
  DrawMenuBar(e.frame);
  SetStatusText(0, "");
  SetStatusText(1, "");
}

}  // namespace frame

using namespace frame;

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
  for (;;) {
    if (StatusPending() && !PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) FlushStatus();
    if (GetMessageA(&msg, nullptr, 0, 0) <= 0) break;
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
  ResetStatus();
  return static_cast<int>(msg.wParam);
}

}  // namespace talven::editor
