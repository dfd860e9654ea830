#pragma once
// What the parts of the main window's Win32 side share (win32_window.cpp: life cycle and
// procedures; win32_window_handles.cpp: operations on any window handle;
// win32_window_gdi.cpp: drawing, fonts, GDI objects and paint redirection;
// win32_window_probe.cpp: what a test driver reads). Not for other families.

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "library/windows/win32/win32_window.h"

namespace talven::win32_window_parts {

inline constexpr char kClassName[] = "FENSTER";
inline constexpr char kDialogClassName[] = "DIALOG";
inline constexpr char kDialogModeProperty[] = "TalvenDialogMode";
// Marks the program's own dialog windows (CREATEDIALOG, CREATEWINDOW, CREATEEXTDIALOG):
// the message step gives them keyboard dialog navigation.
inline constexpr char kOwnDialogProperty[] = "TalvenOwnDialog";
inline constexpr size_t kTextBuffer = 256;
inline constexpr UINT_PTR kTimerId = 1;
inline constexpr int kDialogExtraBytes = 30;
// Markers a driving program can read: the run is blocked waiting for input (the property
// holds a number that grows with each such wait), the run has ended.
inline constexpr char kWaitingProperty[] = "TalvenWaiting";
inline constexpr char kEndedProperty[] = "TalvenEnded";
// Asked with a row number, the window answers with a global atom holding "|" + that row of
// its text grid (0 past the last row); the asker deletes the atom.
inline constexpr char kGridRowMessage[] = "TalvenGridRow";

// The stock fonts of the font table: 0 ANSI fixed, 1 OEM fixed, 2 and 3 system fixed.
inline HGDIOBJ StockFont(int32_t index) {
  static const int kFonts[4] = {ANSI_FIXED_FONT, OEM_FIXED_FONT, SYSTEM_FIXED_FONT,
                                SYSTEM_FIXED_FONT};
  return GetStockObject(kFonts[index & 3]);
}

// The window procedures reach the one main window through this: the program's dialog
// windows report into its input state.
inline Win32Window* g_mainWindow = nullptr;

// Drawing that means the whole surface (clearing, the copy of the backing bitmap) is done
// in device pixels whatever SCREEN mapped.
class DeviceUnits {
 public:
  explicit DeviceUnits(HDC dc) : m_dc(dc), m_saved(dc != nullptr ? SaveDC(dc) : 0) {
    if (m_dc != nullptr) SetMapMode(m_dc, MM_TEXT);
  }
  ~DeviceUnits() {
    if (m_dc != nullptr) RestoreDC(m_dc, m_saved);
  }
  DeviceUnits(const DeviceUnits&) = delete;
  DeviceUnits& operator=(const DeviceUnits&) = delete;

 private:
  HDC m_dc;
  int m_saved;
};

inline HWND AsWindow(intptr_t handle) { return reinterpret_cast<HWND>(handle); }
inline intptr_t AsHandle(HWND window) { return reinterpret_cast<intptr_t>(window); }

// The standard cursors of USECURSOR by number; 11 is the program's own resource.
inline HCURSOR StandardCursor(int32_t number) {
  static const LPCSTR kCursors[17] = {
      IDC_ARROW,    IDC_IBEAM,  IDC_WAIT,   IDC_CROSS,    IDC_UPARROW,  IDC_SIZEALL,
      IDC_ICON,     IDC_SIZENWSE, IDC_SIZENESW, IDC_SIZEWE, IDC_SIZENS, nullptr,
      IDC_SIZEALL,  IDC_SIZENWSE, IDC_NO,   IDC_APPSTARTING, IDC_HELP};
  if (number < 0 || number > 16) return LoadCursorA(nullptr, IDC_ARROW);
  HCURSOR cursor = number == 11 ? LoadCursorA(GetModuleHandleA(nullptr), "DRUCKER")
                                : LoadCursorA(nullptr, kCursors[number]);
  return cursor != nullptr ? cursor : LoadCursorA(nullptr, IDC_ARROW);
}

}  // namespace talven::win32_window_parts
