#include "library/win32/file_dialogs.h"

namespace talven {

namespace {

using FileDialogFunction = BOOL(WINAPI*)(LPOPENFILENAMEA);

FileDialogFunction LoadFileDialog(const char* name) {
  static const HMODULE library = LoadLibraryA("comdlg32.dll");
  if (library == nullptr) return nullptr;
  // Through the generic function type, which converts to any other without a warning.
  return reinterpret_cast<FileDialogFunction>(
      reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

}  // namespace

BOOL ShowOpenFileDialog(OPENFILENAMEA* dialog) {
  static const FileDialogFunction function = LoadFileDialog("GetOpenFileNameA");
  return function != nullptr && function(dialog);
}

BOOL ShowSaveFileDialog(OPENFILENAMEA* dialog) {
  static const FileDialogFunction function = LoadFileDialog("GetSaveFileNameA");
  return function != nullptr && function(dialog);
}

}  // namespace talven
