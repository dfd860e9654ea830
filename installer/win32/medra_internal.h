#pragma once
// What the parts of MEDRA32 on Win32 share: the program's state, the language library's
// texts, and the pieces each part offers the others (background window, progress window,
// dialogs).

#include <windows.h>

#include <cstdint>
#include <string>

#include "installer/setup_flow.h"
#include "installer/setup_picture.h"

namespace talven::installer::medra {

struct App {
  HINSTANCE instance = nullptr;
  HMODULE library = nullptr;
  std::string libraryPath;
  std::string helpFile;
  HWND main = nullptr;
  HWND progress = nullptr;
  SetupScript* script = nullptr;
  std::string headline, subline;
  bool background = true;
  bool abort = false;
  // The picture on the background: a metafile or a bitmap, and where it goes.
  std::string sourceDir;
  PictureLine pictureLine;
  HENHMETAFILE metafile = nullptr;
  HBITMAP bitmap = nullptr;
  int32_t bitmapWidth = 0, bitmapHeight = 0;
  // The blues of the bands on a palette display (none with [Medra] NoPalette).
  bool usePalette = true;
  HPALETTE palette = nullptr;
};
extern App g_app;

// Dialogs (medra_dialogs.cpp): the library's strings, script texts in a dialog, the abort
// question, and the user interface the flow talks to.
std::string LibraryText(int32_t id);
std::string WindowString(HWND hwnd);
void ApplyScript(HWND dialog);
bool ConfirmAbort(HWND owner);
SetupUi& Win32Ui();

// The background window (medra_background.cpp): its class, the picture, and what it holds
// to be released at the end.
constexpr char kMainClass[] = "MedraMain";
void RegisterMainClass(HINSTANCE instance);
void LoadPicture(const std::string& value);
void ReleaseBackground();

// The progress window (medra_progress.cpp): the "stext" and bar classes, the window's
// procedure, and the bar's range and advance.
void RegisterProgressClasses(HINSTANCE instance);
INT_PTR CALLBACK ProgressProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void SetBarRange(HWND bar, int64_t range);
void AdvanceBar(HWND bar, int64_t amount);

}  // namespace talven::installer::medra
