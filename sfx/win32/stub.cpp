// The extractor stub's start, its main dialog and its end.

#include <windows.h>

#include "resources/sfx_resource_ids.h"
#include "sfx/sfx_texts.h"
#include "sfx/win32/win32_sfx_host.h"

namespace talven::sfx {
namespace {

constexpr int kEndedByError = 2;

struct StubRun {
  Win32SfxHost& host;
  Extractor& extractor;
  bool busy;
  bool endAfterPass;
};

// The archive start is the stub's own size, kept as decimal text in string resource 2.
uint64_t StoredStubSize(HINSTANCE instance) {
  char text[256] = {};
  LoadStringA(instance, 2, text, sizeof(text));
  uint64_t size = 0;
  for (const char* p = text; *p >= '0' && *p <= '9'; ++p) size = size * 10 + static_cast<uint64_t>(*p - '0');
  return size;
}

void CentreOnScreen(HWND dialog) {
  RECT box;
  GetWindowRect(dialog, &box);
  const int width = box.right - box.left;
  const int height = box.bottom - box.top;
  SetWindowPos(dialog, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void SelectAll(HWND dialog, bool selected) {
  SendDlgItemMessageA(dialog, IDC_SFX_LIST, LB_SETSEL, selected ? TRUE : FALSE, -1);
}

void Extract(HWND dialog, StubRun& run) {
  char target[256] = {};
  GetDlgItemTextA(dialog, IDC_SFX_TARGET, target, sizeof(target));
  if (target[0] == '\0') {
    GetCurrentDirectoryA(sizeof(target), target);
    SetDlgItemTextA(dialog, IDC_SFX_TARGET, target);
  }
  // The pass lets messages through; a second click must not start a pass inside the pass.
  run.busy = true;
  const PassEnd end = run.extractor.ExtractPass(target);
  run.busy = false;
  if (end == PassEnd::EndProgram) {
    EndDialog(dialog, kEndedByError);
  } else if (run.endAfterPass) {
    EndDialog(dialog, 0);
  }
}

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* run = reinterpret_cast<StubRun*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowLongPtrA(dialog, DWLP_USER, lparam);
      run = reinterpret_cast<StubRun*>(lparam);
      run->host.Attach(dialog);
      CentreOnScreen(dialog);
      HICON icon = LoadIconA(GetModuleHandleA(nullptr), "MainIcon");
      SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
      SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
      char directory[MAX_PATH] = {};
      GetCurrentDirectoryA(sizeof(directory), directory);
      SendDlgItemMessageA(dialog, IDC_SFX_TARGET, EM_LIMITTEXT, 255, 0);
      SetDlgItemTextA(dialog, IDC_SFX_TARGET, directory);
      SendDlgItemMessageA(dialog, IDC_SFX_TARGET, EM_SETSEL, 0, -1);
      SetFocus(GetDlgItem(dialog, IDC_SFX_TARGET));
      CheckRadioButton(dialog, IDC_SFX_ALWAYS, IDC_SFX_ASK, IDC_SFX_ASK);
      CheckDlgButton(dialog, IDC_SFX_PATHS, BST_CHECKED);
      if (run->extractor.ListPass() == PassEnd::EndProgram) {
        EndDialog(dialog, kEndedByError);
        return FALSE;
      }
      SelectAll(dialog, true);
      return FALSE;
    }
    case WM_COMMAND: {
      if (run == nullptr || HIWORD(wparam) != BN_CLICKED) break;
      const int id = LOWORD(wparam);
      if (run->busy) {
        if (id == IDCANCEL) run->endAfterPass = true;
        return TRUE;
      }
      switch (id) {
        case IDC_SFX_SELECT_ALL:
          SelectAll(dialog, true);
          return TRUE;
        case IDC_SFX_SELECT_NONE:
          SelectAll(dialog, false);
          return TRUE;
        case IDC_SFX_ALWAYS:
        case IDC_SFX_NEVER:
        case IDC_SFX_ASK: {
          const OverwriteMode mode = id == IDC_SFX_ALWAYS  ? OverwriteMode::Always
                                     : id == IDC_SFX_NEVER ? OverwriteMode::Never
                                                           : OverwriteMode::Ask;
          run->extractor.SetMode(mode);
          run->host.ShowMode(mode);
          return TRUE;
        }
        case IDC_SFX_PATHS:
          if (run->extractor.ListPass() == PassEnd::EndProgram) EndDialog(dialog, kEndedByError);
          return TRUE;
        case IDOK:
          Extract(dialog, *run);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
      }
      break;
    }
    case WM_CLOSE:
      if (run != nullptr && run->busy) {
        run->endAfterPass = true;
      } else {
        EndDialog(dialog, 0);
      }
      return TRUE;
  }
  return FALSE;
}

}  // namespace

int RunStub(HINSTANCE instance) {
  char ownName[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, ownName, sizeof(ownName));
  HANDLE own = CreateFileA(ownName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (own == INVALID_HANDLE_VALUE) {
    MessageBoxA(nullptr, ownName, texts::kNotFoundTitle, MB_OK | MB_ICONSTOP);
    return kEndedByError;
  }
  const uint64_t archiveStart = StoredStubSize(instance);
  DWORD high = 0;
  const DWORD low = GetFileSize(own, &high);
  if ((static_cast<uint64_t>(high) << 32 | low) == archiveStart) {
    MessageBoxA(nullptr, texts::kNoArchive, texts::kProgramTitle, MB_OK | MB_ICONSTOP);
    CloseHandle(own);
    return kEndedByError;
  }
  Win32SfxHost host(instance, own);
  Extractor extractor(host, archiveStart);
  StubRun run{host, extractor, false, false};
  const INT_PTR result =
      DialogBoxParamA(instance, "MAINDIALOG", nullptr, MainDialogProc, reinterpret_cast<LPARAM>(&run));
  int exitCode = result == kEndedByError ? kEndedByError : 0;
  if (!CloseHandle(own)) {
    MessageBoxA(nullptr, texts::kCloseFailed, texts::kErrorTitle, MB_OK | MB_ICONSTOP);
    exitCode = kEndedByError;
  }
  return exitCode;
}

}  // namespace talven::sfx
