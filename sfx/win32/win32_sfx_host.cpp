#include "sfx/win32/win32_sfx_host.h"

#include <cstring>

#include "resources/sfx_resource_ids.h"
#include "sfx/sfx_texts.h"

namespace talven::sfx {
namespace {

struct OverwritePrompt {
  const char* fileName;
  bool dontAskAgain;
};

INT_PTR CALLBACK FileExistProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* prompt = reinterpret_cast<OverwritePrompt*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dialog, DWLP_USER, lparam);
      SetDlgItemTextA(dialog, IDC_SFX_FILE_NAME,
                      reinterpret_cast<OverwritePrompt*>(lparam)->fileName);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
        prompt->dontAskAgain = IsDlgButtonChecked(dialog, IDC_SFX_DONT_ASK) == BST_CHECKED;
        EndDialog(dialog, LOWORD(wparam));
        return TRUE;
      }
      break;
  }
  return FALSE;
}

INT_PTR CALLBACK PasswordProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* password = reinterpret_cast<char*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dialog, DWLP_USER, lparam);
      SendDlgItemMessageA(dialog, IDC_SFX_PASSWORD, EM_LIMITTEXT, kMaxPassword, 0);
      SetFocus(GetDlgItem(dialog, IDC_SFX_PASSWORD));
      return FALSE;
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK) {
        GetDlgItemTextA(dialog, IDC_SFX_PASSWORD, password, kMaxPassword + 1);
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(wparam) == IDCANCEL) {
        // Closing the prompt counts as one try with an empty, hence wrong, password.
        password[0] = '\0';
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      break;
  }
  return FALSE;
}

}  // namespace

bool Win32SfxHost::SeekArchive(uint64_t offset) {
  LONG high = static_cast<LONG>(offset >> 32);
  const DWORD low = SetFilePointer(m_ownFile, static_cast<LONG>(offset & 0xFFFFFFFFu), &high, FILE_BEGIN);
  return !(low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
}

int32_t Win32SfxHost::ReadArchive(uint8_t* buffer, int32_t size) {
  DWORD read = 0;
  if (!ReadFile(m_ownFile, buffer, static_cast<DWORD>(size), &read, nullptr)) return -1;
  return static_cast<int32_t>(read);
}

LRESULT Win32SfxHost::List(UINT message, WPARAM wparam, LPARAM lparam) {
  return SendDlgItemMessageA(m_dialog, IDC_SFX_LIST, message, wparam, lparam);
}

void Win32SfxHost::ClearList() { List(LB_RESETCONTENT, 0, 0); }

void Win32SfxHost::AddToList(const char* name) {
  List(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
}

int32_t Win32SfxHost::ListCount() { return static_cast<int32_t>(List(LB_GETCOUNT, 0, 0)); }

int32_t Win32SfxHost::FindInList(const char* name) {
  const LRESULT found = List(LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name));
  return found == LB_ERR ? -1 : static_cast<int32_t>(found);
}

bool Win32SfxHost::IsSelected(int32_t index) { return List(LB_GETSEL, index, 0) > 0; }

void Win32SfxHost::SetSelected(int32_t index, bool selected) {
  List(LB_SETSEL, selected ? TRUE : FALSE, index);
}

int32_t Win32SfxHost::SelectedCount() { return static_cast<int32_t>(List(LB_GETSELCOUNT, 0, 0)); }

bool Win32SfxHost::PathsChecked() {
  return IsDlgButtonChecked(m_dialog, IDC_SFX_PATHS) == BST_CHECKED;
}

void Win32SfxHost::DisablePaths() {
  CheckDlgButton(m_dialog, IDC_SFX_PATHS, BST_UNCHECKED);
  EnableWindow(GetDlgItem(m_dialog, IDC_SFX_PATHS), FALSE);
}

void Win32SfxHost::ShowMode(OverwriteMode mode) {
  const int id = mode == OverwriteMode::Always ? IDC_SFX_ALWAYS
                 : mode == OverwriteMode::Never ? IDC_SFX_NEVER
                                                : IDC_SFX_ASK;
  CheckRadioButton(m_dialog, IDC_SFX_ALWAYS, IDC_SFX_ASK, id);
}

void Win32SfxHost::ShowStatus(const char* text) { SetDlgItemTextA(m_dialog, IDC_SFX_STATUS, text); }

void Win32SfxHost::ShowMessage(const char* text, const char* title) {
  MessageBoxA(m_dialog, text, title, MB_OK | MB_ICONSTOP);
}

// One pending message is let through per file, so that the status line gets painted.
void Win32SfxHost::PumpOneMessage() {
  MSG message;
  if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return;
  if (message.message == WM_QUIT) {
    PostQuitMessage(static_cast<int>(message.wParam));
    return;
  }
  if (!IsDialogMessageA(m_dialog, &message)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

Answer Win32SfxHost::AskOverwrite(const char* fileName, bool& dontAskAgain) {
  OverwritePrompt prompt{fileName, false};
  const INT_PTR answer = DialogBoxParamA(m_instance, "FILEEXIST", m_dialog, FileExistProc,
                                         reinterpret_cast<LPARAM>(&prompt));
  dontAskAgain = prompt.dontAskAgain;
  return answer == IDOK ? Answer::Yes : Answer::No;
}

void Win32SfxHost::AskPassword(char* password) {
  password[0] = '\0';
  DialogBoxParamA(m_instance, "PWD", m_dialog, PasswordProc, reinterpret_cast<LPARAM>(password));
}

bool Win32SfxHost::FileExists(const char* path) {
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32SfxHost::DirectoryExists(const char* path) {
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void Win32SfxHost::MakeDirectory(const char* path) { CreateDirectoryA(path, nullptr); }

// The data goes to a fresh temporary file in the target's directory, so that replacing the
// target at the end is a rename on the same drive.
bool Win32SfxHost::OpenOutput(const char* target) {
  char directory[kMaxPath];
  DirectoryOf(target, directory);
  std::strcat(directory, "\\");
  if (std::strlen(target) >= sizeof(m_target) ||
      GetTempFileNameA(directory, "tlv", 0, m_temporary) == 0) {
    return false;
  }
  m_output = CreateFileA(m_temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (m_output == INVALID_HANDLE_VALUE) {
    DeleteFileA(m_temporary);
    return false;
  }
  std::strcpy(m_target, target);
  return true;
}

bool Win32SfxHost::WriteOutput(const uint8_t* data, int32_t size) {
  DWORD written = 0;
  return WriteFile(m_output, data, static_cast<DWORD>(size), &written, nullptr) &&
         written == static_cast<DWORD>(size);
}

bool Win32SfxHost::CommitOutput() {
  const bool closed = CloseHandle(m_output) != 0;
  m_output = INVALID_HANDLE_VALUE;
  if (closed && MoveFileExA(m_temporary, m_target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) {
    return true;
  }
  DeleteFileA(m_temporary);
  return false;
}

void Win32SfxHost::DiscardOutput() {
  CloseHandle(m_output);
  m_output = INVALID_HANDLE_VALUE;
  DeleteFileA(m_temporary);
}

}  // namespace talven::sfx
