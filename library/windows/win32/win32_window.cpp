#include "library/windows/win32/win32_window.h"

#include <algorithm>
#include <string>

#include "library/windows/window_state.h"

namespace talven {

namespace {

constexpr char kClassName[] = "FENSTER";
constexpr UINT_PTR kTimerId = 1;
constexpr int kDialogExtraBytes = 30;
// Markers a driving program can read: the run is blocked waiting for input (the property
// holds a number that grows with each such wait), the run has ended.
constexpr char kWaitingProperty[] = "TalvenWaiting";
constexpr char kEndedProperty[] = "TalvenEnded";
// Asked with a row number, the window answers with a global atom holding "|" + that row of
// its text grid (0 past the last row); the asker deletes the atom.
constexpr char kGridRowMessage[] = "TalvenGridRow";

// The stock fonts of the font table: 0 ANSI fixed, 1 OEM fixed, 2 and 3 system fixed.
HGDIOBJ StockFont(int32_t index) {
  static const int kFonts[4] = {ANSI_FIXED_FONT, OEM_FIXED_FONT, SYSTEM_FIXED_FONT,
                                SYSTEM_FIXED_FONT};
  return GetStockObject(kFonts[index & 3]);
}

DWORD WindowStyle(uint32_t bits) {
  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN | ((bits & 15u) << 16);
  if (bits & 64u) style |= WS_POPUP;
  return style;
}

void RegisterWindowClass(HINSTANCE instance, uint32_t bits, WNDPROC procedure) {
  WNDCLASSA windowClass = {};
  if (GetClassInfoA(instance, kClassName, &windowClass)) return;
  windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC | CS_BYTEALIGNWINDOW;
  windowClass.lpfnWndProc = procedure;
  windowClass.cbWndExtra = kDialogExtraBytes;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, "TALVEN");
  if (windowClass.hIcon == nullptr) windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground =
      static_cast<HBRUSH>(GetStockObject((bits & kStyleNoBackground) ? NULL_BRUSH : WHITE_BRUSH));
  windowClass.lpszClassName = kClassName;
  RegisterClassA(&windowClass);
}

}  // namespace

Win32Window::~Win32Window() { Destroy(); }

void Win32Window::MeasureCells() {
  m_metrics.screenWidth = GetSystemMetrics(SM_CXSCREEN);
  m_metrics.screenHeight = GetSystemMetrics(SM_CYSCREEN);
  // The cell fits the widest character and the tallest line of the OEM and system fixed fonts.
  // Deliberate: the width is the fonts' average character width. For the fixed fonts of the
  // system both widths are the same; where a fixed font is substituted by one with a few wide
  // glyphs, the maximum would spread every run of text apart.
  HDC dc = GetDC(nullptr);
  int width = 0;
  int height = 0;
  for (int index : {1, 2}) {
    HGDIOBJ old = SelectObject(dc, StockFont(index));
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    width = std::max<int>(width, metrics.tmAveCharWidth);
    height = std::max<int>(height, metrics.tmHeight + metrics.tmExternalLeading - 2);
  }
  ReleaseDC(nullptr, dc);
  m_metrics.cellWidth = width > 0 ? width : 8;
  m_metrics.cellHeight = height > 0 ? height : 15;
}

WindowMetrics Win32Window::Metrics() const {
  WindowMetrics metrics = m_metrics;
  metrics.screenWidth = GetSystemMetrics(SM_CXSCREEN);
  metrics.screenHeight = GetSystemMetrics(SM_CYSCREEN);
  return metrics;
}

void Win32Window::Create(WindowState& state) {
  if (m_window != nullptr) return;
  m_state = &state;
  m_gridRowMessage = RegisterWindowMessageA(kGridRowMessage);
  MeasureCells();
  HINSTANCE instance = GetModuleHandleA(nullptr);
  RegisterWindowClass(instance, state.setup.styleBits, &Win32Window::Procedure);
  m_window = CreateWindowExA(0, kClassName, state.setup.title.c_str(),
                             WindowStyle(state.setup.styleBits), 0, 0, m_metrics.screenWidth,
                             m_metrics.screenHeight, nullptr, nullptr, instance, this);
  if (m_window == nullptr) return;
  MoveWindow(m_window, state.setup.left, state.setup.top, state.setup.width, state.setup.height,
             FALSE);
  ShowWindow(m_window, SW_SHOWNORMAL);
  UpdateWindow(m_window);
  m_windowDc = GetDC(m_window);
  m_memoryDc = CreateCompatibleDC(m_windowDc);
  m_backing = CreateCompatibleBitmap(m_windowDc, m_metrics.screenWidth, m_metrics.screenHeight);
  m_oldBitmap = SelectObject(m_memoryDc, m_backing);
  SetStretchBltMode(m_windowDc, COLORONCOLOR);
  SetStretchBltMode(m_memoryDc, COLORONCOLOR);
  BitBlt(m_memoryDc, 0, 0, m_metrics.screenWidth, m_metrics.screenHeight, m_windowDc, 0, 0,
         SRCCOPY);
}

void Win32Window::Place(int32_t left, int32_t top, int32_t width, int32_t height) {
  if (m_window != nullptr) MoveWindow(m_window, left, top, width, height, TRUE);
}

void Win32Window::SetTitle(std::string_view title) {
  if (m_window != nullptr) SetWindowTextA(m_window, std::string(title).c_str());
}

void Win32Window::Show(ShowMode mode) {
  if (m_window == nullptr) return;
  ShowWindow(m_window, mode == ShowMode::Maximized   ? SW_SHOWMAXIMIZED
                       : mode == ShowMode::Minimized ? SW_SHOWMINIMIZED
                                                     : SW_SHOWNORMAL);
  UpdateWindow(m_window);
}

void Win32Window::FillScreen(Color color) {
  if (m_window == nullptr) return;
  HBRUSH brush = CreateSolidBrush(color);
  const RECT all = {0, 0, m_metrics.screenWidth, m_metrics.screenHeight};
  FillRect(m_windowDc, &all, brush);
  FillRect(m_memoryDc, &all, brush);
  DeleteObject(brush);
}

void Win32Window::DrawText(int32_t x, int32_t y, std::string_view text, Color foreground,
                           Color background, int32_t font) {
  if (m_window == nullptr) return;
  for (HDC dc : {m_windowDc, m_memoryDc}) {
    SelectObject(dc, StockFont(font));
    SetTextColor(dc, foreground);
    SetBkColor(dc, background);
    SetBkMode(dc, OPAQUE);
    TextOutA(dc, x, y, text.data(), static_cast<int>(text.size()));
  }
}

void Win32Window::ScrollUp(int32_t pixels) {
  if (m_window == nullptr) return;
  const int width = m_metrics.screenWidth;
  const int height = m_metrics.screenHeight;
  BitBlt(m_memoryDc, 0, 0, width, height - pixels, m_memoryDc, 0, pixels, SRCCOPY);
  const Color background = kColorTable[(m_state->attribute >> 4) & 15];
  HBRUSH brush = CreateSolidBrush(background);
  const RECT strip = {0, height - pixels, width, height};
  FillRect(m_memoryDc, &strip, brush);
  DeleteObject(brush);
  BitBlt(m_windowDc, 0, 0, width, height, m_memoryDc, 0, 0, SRCCOPY);
}

void Win32Window::Invalidate() {
  if (m_window == nullptr) return;
  InvalidateRect(m_window, nullptr, FALSE);
  UpdateWindow(m_window);
}

void Win32Window::Beep() { MessageBeep(MB_OK); }

void Win32Window::StartTimer(int32_t milliseconds) {
  if (m_window != nullptr) SetTimer(m_window, kTimerId, static_cast<UINT>(milliseconds), nullptr);
}

void Win32Window::StopTimer() {
  if (m_window != nullptr) KillTimer(m_window, kTimerId);
}

void Win32Window::WaitForMessage() {
  if (m_window == nullptr) {
    WaitMessage();
    return;
  }
  SetPropA(m_window, kWaitingProperty, reinterpret_cast<HANDLE>(++m_waitSequence));
  WaitMessage();
  if (m_window != nullptr) RemovePropA(m_window, kWaitingProperty);
}

void Win32Window::RunUntilClosed() {
  if (m_window == nullptr) return;
  SetPropA(m_window, kEndedProperty, reinterpret_cast<HANDLE>(1));
  MSG msg;
  while (m_window != nullptr && GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void Win32Window::Destroy() {
  if (m_memoryDc != nullptr) {
    SelectObject(m_memoryDc, m_oldBitmap);
    DeleteDC(m_memoryDc);
    m_memoryDc = nullptr;
  }
  if (m_backing != nullptr) {
    DeleteObject(m_backing);
    m_backing = nullptr;
  }
  if (m_window != nullptr) {
    if (m_windowDc != nullptr) ReleaseDC(m_window, m_windowDc);
    m_windowDc = nullptr;
    HWND window = m_window;
    DestroyWindow(window);
    m_window = nullptr;
  }
}

LRESULT Win32Window::GridRowAtom(WPARAM row) const {
  if (m_state == nullptr || !m_state->grid) return 0;
  const TextGrid& grid = *m_state->grid;
  if (row >= static_cast<WPARAM>(grid.Rows())) return 0;
  std::string text = "|";
  for (int32_t column = 0; column < grid.Columns(); ++column) {
    text += grid.CharAt(static_cast<int32_t>(row), column);
  }
  while (text.size() > 1 && text.back() == ' ') text.pop_back();
  return GlobalAddAtomA(text.c_str());
}

// Window procedures never throw: they only record input and paint.
LRESULT CALLBACK Win32Window::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self == nullptr || self->m_state == nullptr) {
    return DefWindowProcA(window, message, wParam, lParam);
  }
  return self->Handle(window, message, wParam, lParam);
}

LRESULT Win32Window::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  InputState& input = m_state->input;
  input.lastWindow = reinterpret_cast<intptr_t>(window);
  input.lastMessage = message;
  input.lastWParam = wParam;
  input.lastLParam = lParam;
  if (message == m_gridRowMessage && m_gridRowMessage != 0) return GridRowAtom(wParam);
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      if (m_state->autoPaint >= 1 && m_memoryDc != nullptr) {
        BitBlt(dc, 0, 0, m_metrics.screenWidth, m_metrics.screenHeight, m_memoryDc, 0, 0, SRCCOPY);
      } else {
        input.paintRequested = true;
      }
      EndPaint(window, &paint);
      return 0;
    }
    case WM_KEYDOWN:
      input.scanCode = static_cast<int32_t>(wParam);
      return 0;
    case WM_CHAR: {
      const uint8_t code = static_cast<uint8_t>(wParam);
      input.PushKey(code == 0 ? 1 : code);
      input.key = code == 0 ? 1 : code;
      return 0;
    }
    case WM_COMMAND:
      if (lParam == 0) {
        input.mouseX = input.mouseY = 0;
        input.leftButton = input.rightButton = false;
        const int32_t id = LOWORD(wParam);
        input.menuItem = id == 32767 ? 255 : id;
      } else {
        input.menuItem = -static_cast<int32_t>(LOWORD(wParam));
      }
      return 0;
    case WM_TIMER:
      if (wParam == kTimerId) input.timerTicked = true;
      return 0;
    case WM_SIZE:
      input.PushKey(kKeyResized);
      break;
    case WM_MOUSEMOVE:
      input.mouseX = static_cast<int16_t>(LOWORD(lParam));
      input.mouseY = static_cast<int16_t>(HIWORD(lParam));
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      input.mouseX = static_cast<int16_t>(LOWORD(lParam));
      input.mouseY = static_cast<int16_t>(HIWORD(lParam));
      input.leftButton = message == WM_LBUTTONDOWN;
      input.rightButton = message == WM_RBUTTONDOWN;
      input.focus = reinterpret_cast<intptr_t>(window);
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      input.mouseX = static_cast<int16_t>(LOWORD(lParam));
      input.mouseY = static_cast<int16_t>(HIWORD(lParam));
      if (message == WM_LBUTTONUP) input.leftButton = false;
      if (message == WM_RBUTTONUP) input.rightButton = false;
      input.focus = reinterpret_cast<intptr_t>(window);
      return 0;
    case WM_DESTROY:
      m_window = nullptr;
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace talven
