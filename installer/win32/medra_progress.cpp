// MEDRA32's progress window: its texts of the class "stext", which repaint at once, and the
// bar with the percentage in two colours; Cancel goes to the main window as command 7.

#include <cstdio>
#include <string>

#include "installer/win32/medra_internal.h"
#include "resources/medra_ids.h"

namespace talven::installer::medra {
namespace {

constexpr char kTextClass[] = "stext";
constexpr char kBarClass[] = "MedraBar";
constexpr UINT kBarSetRange = WM_USER + 1;
constexpr UINT kBarAdvance = WM_USER + 2;

// A static text that repaints itself at once when its text changes.
LRESULT CALLBACK TextProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETTEXT) {
    const LRESULT result = DefWindowProcA(hwnd, message, wParam, lParam);
    InvalidateRect(hwnd, nullptr, TRUE);
    UpdateWindow(hwnd);
    return result;
  }
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    RECT r;
    GetClientRect(hwnd, &r);
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(GetParent(hwnd), WM_GETFONT, 0, 0)));
    const std::string text = WindowString(hwnd);
    DrawTextA(dc, text.c_str(), -1, &r, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    SelectObject(dc, old);
    EndPaint(hwnd, &paint);
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

// The bar: a range (default 100) and a position; the percentage "%3d%%" centred, white on
// blue over the done part and blue on white over the rest.
LRESULT CALLBACK BarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      SetWindowLongPtrA(hwnd, 0, 100);
      SetWindowLongPtrA(hwnd, sizeof(LONG_PTR), 0);
      return 0;
    case kBarSetRange:
      SetWindowLongPtrA(hwnd, 0, lParam < 1 ? 1 : lParam);
      SetWindowLongPtrA(hwnd, sizeof(LONG_PTR), 0);
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case kBarAdvance: {
      const LONG_PTR range = GetWindowLongPtrA(hwnd, 0);
      LONG_PTR position = GetWindowLongPtrA(hwnd, sizeof(LONG_PTR)) + lParam;
      if (position > range) position = range;
      SetWindowLongPtrA(hwnd, sizeof(LONG_PTR), position);
      InvalidateRect(hwnd, nullptr, FALSE);
      UpdateWindow(hwnd);
      return 0;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd, &paint);
      RECT r;
      GetClientRect(hwnd, &r);
      const long long range = GetWindowLongPtrA(hwnd, 0), position = GetWindowLongPtrA(hwnd, sizeof(LONG_PTR));
      const int percent = static_cast<int>(range > 0 ? position * 100 / range : 0);
      const int split = static_cast<int>(r.right * static_cast<long long>(percent) / 100);
      char text[16];
      std::snprintf(text, sizeof(text), "%3d%%", percent);
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(GetParent(hwnd), WM_GETFONT, 0, 0)));
      RECT done{0, 0, split, r.bottom}, rest{split, 0, r.right, r.bottom};
      SetBkMode(dc, OPAQUE);
      SetTextColor(dc, RGB(255, 255, 255));
      SetBkColor(dc, RGB(0, 0, 255));
      ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &done, "", 0, nullptr);
      SetTextAlign(dc, TA_LEFT);
      DrawTextA(dc, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      HRGN clip = CreateRectRgnIndirect(&rest);
      SelectClipRgn(dc, clip);
      SetTextColor(dc, RGB(0, 0, 255));
      SetBkColor(dc, RGB(255, 255, 255));
      ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rest, "", 0, nullptr);
      DrawTextA(dc, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      SelectClipRgn(dc, nullptr);
      DeleteObject(clip);
      EndPaint(hwnd, &paint);
      return 0;
    }
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

INT_PTR CALLBACK ProgressProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    ApplyScript(dialog);
    return TRUE;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
    if (g_app.main) SendMessageA(g_app.main, WM_COMMAND, MEDRA_CMD_CANCEL_PROGRESS, 0);
    return TRUE;
  }
  return FALSE;
}

// Global classes: the progress window comes from the language library's template, and a
// control is created with the library's instance, which finds no class local to the program.
void RegisterProgressClasses(HINSTANCE instance) {
  WNDCLASSA textClass{};
  textClass.style = CS_GLOBALCLASS;
  textClass.lpfnWndProc = TextProc;
  textClass.hInstance = instance;
  textClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  textClass.lpszClassName = kTextClass;
  RegisterClassA(&textClass);
  WNDCLASSA barClass{};
  barClass.style = CS_GLOBALCLASS;
  barClass.lpfnWndProc = BarProc;
  barClass.cbWndExtra = 2 * sizeof(LONG_PTR);
  barClass.hInstance = instance;
  barClass.lpszClassName = kBarClass;
  RegisterClassA(&barClass);
}

void SetBarRange(HWND bar, int64_t range) { SendMessageA(bar, kBarSetRange, 0, static_cast<LPARAM>(range)); }

void AdvanceBar(HWND bar, int64_t amount) { SendMessageA(bar, kBarAdvance, 0, static_cast<LPARAM>(amount)); }

}  // namespace talven::installer::medra
