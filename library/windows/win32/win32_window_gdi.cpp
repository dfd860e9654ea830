// Drawing on the window and its backing bitmap: the drawing targets, clearing, text of the
// grid, scrolling; fonts and other GDI objects, the logical mapping, paint redirection,
// icons and cursors. Controls and graphics draw through the same targets.
#include "library/windows/win32/win32_window.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "library/windows/win32/win32_window_parts.h"
#include "library/windows/window_state.h"

namespace talven {

using namespace win32_window_parts;

int Win32Window::Targets(HDC (&targets)[2]) const {
  if (m_redirected) {
    targets[0] = m_redirectDc;
    return m_redirectDc != nullptr ? 1 : 0;
  }
  targets[0] = m_windowDc;
  targets[1] = m_memoryDc;
  return 2;
}

void Win32Window::FillScreen(Color color) {
  if (m_window == nullptr) return;
  HBRUSH brush = CreateSolidBrush(color);
  const RECT all = {0, 0, m_metrics.screenWidth, m_metrics.screenHeight};
  HDC targets[2];
  const int count = Targets(targets);
  for (int i = 0; i < count; ++i) {
    DeviceUnits units(targets[i]);
    FillRect(targets[i], &all, brush);
  }
  DeleteObject(brush);
}

void Win32Window::DrawText(int32_t x, int32_t y, std::string_view text, Color foreground,
                           Color background, int32_t font) {
  if (m_window == nullptr) return;
  HDC targets[2];
  const int count = Targets(targets);
  for (int i = 0; i < count; ++i) {
    HDC dc = targets[i];
    SelectObject(dc, StockFont(font));
    SetTextColor(dc, foreground);
    SetBkColor(dc, background);
    SetBkMode(dc, OPAQUE);
    TextOutA(dc, x, y, text.data(), static_cast<int>(text.size()));
    // The grid draws in its stock fonts; other text keeps USEFONT's font.
    if (m_userFont != nullptr) SelectObject(dc, m_userFont);
  }
}

void Win32Window::ScrollUp(int32_t pixels) {
  if (m_window == nullptr) return;
  // The grid's rows stand in logical units: so does the scroll, over the screen's extent.
  POINT extent = {m_metrics.screenWidth, m_metrics.screenHeight};
  HDC source = m_redirected ? m_redirectDc : m_memoryDc;
  if (source == nullptr) return;
  DPtoLP(source, &extent, 1);
  const int width = extent.x;
  const int height = extent.y;
  BitBlt(source, 0, 0, width, height - pixels, source, 0, pixels, SRCCOPY);
  const Color background = kColorTable[(m_state->attribute >> 4) & 15];
  HBRUSH brush = CreateSolidBrush(background);
  const RECT strip = {0, height - pixels, width, height};
  FillRect(source, &strip, brush);
  DeleteObject(brush);
  if (m_redirected) return;
  DeviceUnits windowUnits(m_windowDc);
  DeviceUnits memoryUnits(m_memoryDc);
  BitBlt(m_windowDc, 0, 0, m_metrics.screenWidth, m_metrics.screenHeight, m_memoryDc, 0, 0,
         SRCCOPY);
}

void Win32Window::Invalidate() {
  if (m_window == nullptr) return;
  InvalidateRect(m_window, nullptr, FALSE);
  UpdateWindow(m_window);
}

intptr_t Win32Window::UseTextFont(const FontRequest& request) {
  HFONT font = CreateFontA(request.height, request.width, request.orientation,
                           request.orientation, request.bold ? FW_BOLD : FW_NORMAL,
                           request.italic ? TRUE : FALSE, request.underline ? TRUE : FALSE,
                           FALSE, static_cast<DWORD>(request.charset), OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                           request.name.c_str());
  if (font == nullptr) return 0;
  for (HDC dc : {m_windowDc, m_memoryDc, m_redirectDc}) {
    if (dc != nullptr) SelectObject(dc, font);
  }
  if (m_userFont != nullptr) DeleteObject(m_userFont);
  m_userFont = font;
  return reinterpret_cast<intptr_t>(font);
}

void Win32Window::DrawTextAt(int32_t x, int32_t y, std::string_view text, Color foreground,
                             Color background, bool transparent, int32_t stockFont) {
  if (m_window == nullptr) return;
  HDC targets[2];
  const int count = Targets(targets);
  for (int i = 0; i < count; ++i) {
    HDC dc = targets[i];
    SelectObject(dc, m_userFont != nullptr ? static_cast<HGDIOBJ>(m_userFont)
                                           : StockFont(stockFont));
    SetTextColor(dc, foreground);
    SetBkColor(dc, background);
    SetBkMode(dc, transparent ? TRANSPARENT : OPAQUE);
    TextOutA(dc, x, y, text.data(), static_cast<int>(text.size()));
  }
}

intptr_t Win32Window::CurrentFont() {
  HGDIOBJ font = m_userFont != nullptr ? static_cast<HGDIOBJ>(m_userFont)
                                       : StockFont(m_state != nullptr ? m_state->font : 2);
  return reinterpret_cast<intptr_t>(font);
}

void Win32Window::SetControlFont(intptr_t window, intptr_t font) {
  SendMessageA(AsWindow(window), WM_SETFONT, static_cast<WPARAM>(font), TRUE);
}

bool Win32Window::DeleteGraphicsObject(intptr_t object) {
  HGDIOBJ handle = reinterpret_cast<HGDIOBJ>(object);
  // Mended: the window's own contexts and bitmaps are not the program's to delete.
  if (handle == nullptr || handle == m_backing || handle == m_bitmap ||
      handle == reinterpret_cast<HGDIOBJ>(m_windowDc) ||
      handle == reinterpret_cast<HGDIOBJ>(m_memoryDc) ||
      handle == reinterpret_cast<HGDIOBJ>(m_bitmapDc)) {
    return false;
  }
  // Mended: the font in use is first taken out of the contexts, and forgotten, so that the
  // next USEFONT does not delete it a second time.
  if (handle == m_userFont) {
    for (HDC dc : {m_windowDc, m_memoryDc, m_redirectDc}) {
      if (dc != nullptr) SelectObject(dc, StockFont(m_state != nullptr ? m_state->font : 2));
    }
    m_userFont = nullptr;
  }
  return DeleteObject(handle) != 0;
}

void Win32Window::MapLogical(int32_t width, int32_t height) {
  if (m_window == nullptr || width <= 0 || height <= 0) return;
  RECT client = {};
  GetClientRect(m_redirectWindow != nullptr ? m_redirectWindow : m_window, &client);
  HDC targets[2];
  const int count = Targets(targets);
  for (int i = 0; i < count; ++i) {
    SetMapMode(targets[i], MM_ANISOTROPIC);
    SetWindowExtEx(targets[i], width, height, nullptr);
    SetViewportExtEx(targets[i], client.right - client.left, client.bottom - client.top, nullptr);
  }
}

void Win32Window::RedirectPaint(intptr_t target) {
  if (m_window == nullptr || target == AsHandle(m_window)) return;
  m_redirected = true;
  if (target == kPaintMemoryBitmap) {
    m_redirectDc = MemoryBitmapContext();
    return;
  }
  m_redirectWindow = AsWindow(target);
  m_redirectDc = GetDC(m_redirectWindow);
}

HDC Win32Window::MemoryBitmapContext() {
  if (m_bitmapDc == nullptr && m_windowDc != nullptr) {
    m_bitmapDc = CreateCompatibleDC(m_windowDc);
    m_bitmap = CreateCompatibleBitmap(m_windowDc, m_metrics.screenWidth, m_metrics.screenHeight);
    m_oldBitmapOfBitmapDc = SelectObject(m_bitmapDc, m_bitmap);
    PatBlt(m_bitmapDc, 0, 0, m_metrics.screenWidth, m_metrics.screenHeight, WHITENESS);
  }
  return m_bitmapDc;
}

void Win32Window::ReplaceMemoryBitmap(HBITMAP bitmap) {
  if (MemoryBitmapContext() == nullptr) {
    DeleteObject(bitmap);
    return;
  }
  SelectObject(m_bitmapDc, bitmap);
  DeleteObject(m_bitmap);
  m_bitmap = bitmap;
}

void Win32Window::DrawOnPage(HDC page) {
  m_redirected = page != nullptr;
  m_redirectDc = page;
  m_redirectWindow = nullptr;
  if (page != nullptr && m_userFont != nullptr) SelectObject(page, m_userFont);
}

void Win32Window::EndRedirect() {
  if (m_redirectWindow != nullptr && m_redirectDc != nullptr) {
    ReleaseDC(m_redirectWindow, m_redirectDc);
  }
  m_redirectWindow = nullptr;
  m_redirectDc = nullptr;
  m_redirected = false;
}

bool Win32Window::UseIcon(std::string_view name) {
  HICON icon = LoadIconA(GetModuleHandleA(nullptr), std::string(name).c_str());
  if (icon == nullptr || m_window == nullptr) return false;
  SetClassLongPtrA(m_window, GCLP_HICON, reinterpret_cast<LONG_PTR>(icon));
  return true;
}

void Win32Window::UseStandardCursor(int32_t number) {
  if (m_window == nullptr) return;
  SetClassLongPtrA(m_window, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(StandardCursor(number)));
}

bool Win32Window::UseCursorFrom(int32_t kind, std::string_view name) {
  const std::string text(name);
  HCURSOR cursor = kind == 0 ? LoadCursorFromFileA(text.c_str())
                             : LoadCursorA(GetModuleHandleA(nullptr), text.c_str());
  if (cursor == nullptr || m_window == nullptr) return false;
  SetClassLongPtrA(m_window, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(cursor));
  return true;
}

intptr_t Win32Window::DeviceContext(Surface surface) {
  return reinterpret_cast<intptr_t>(surface == Surface::Window ? m_windowDc : m_memoryDc);
}

}  // namespace talven
