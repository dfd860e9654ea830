// The main output window on Win32, its life cycle: the classes, creation and placing, the
// timer and the waits, the message step, the end of the run, and the window procedures.
#include "library/windows/win32/win32_window.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "library/menus/win32/menu_lookup.h"
#include "library/menus/win32/menu_resource.h"
#include "library/windows/win32/win32_window_parts.h"
#include "library/windows/window_state.h"

namespace talven {

using namespace win32_window_parts;

namespace {

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

void RegisterDialogClass(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSA windowClass = {};
  if (GetClassInfoA(instance, kDialogClassName, &windowClass)) return;
  windowClass.style = CS_CLASSDC;
  windowClass.lpfnWndProc = procedure;
  windowClass.cbWndExtra = kDialogExtraBytes;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, "TALVEN");
  if (windowClass.hIcon == nullptr) windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszClassName = kDialogClassName;
  RegisterClassA(&windowClass);
}

}  // namespace

Win32Window::Win32Window() {
  RegisterDialogClass(GetModuleHandleA(nullptr), &Win32Window::DialogProcedure);
}

Win32Window::~Win32Window() {
  Destroy();
  if (g_mainWindow == this) g_mainWindow = nullptr;
}

bool Win32Window::DialogMode() const {
  return m_state != nullptr && (m_state->setup.styleBits & kStyleDialogMode) != 0;
}

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
  g_mainWindow = this;
  m_gridRowMessage = RegisterWindowMessageA(kGridRowMessage);
  MeasureCells();
  state.metrics = m_metrics;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  RegisterWindowClass(instance, state.setup.styleBits, &Win32Window::Procedure);
  // The empty menu bar "LEER" unless style bit 16 asks for none (a program without that
  // resource has none either).
  HMENU menu =
      (state.setup.styleBits & kStyleNoMenu) ? nullptr : LoadMenuResource(instance, "LEER");
  m_window = CreateWindowExA(0, kClassName, state.setup.title.c_str(),
                             MainWindowStyle(state.setup.styleBits), 0, 0, m_metrics.screenWidth,
                             m_metrics.screenHeight, nullptr, menu, instance, this);
  if (m_window == nullptr) return;
  if (DialogMode()) SetPropA(m_window, kDialogModeProperty, reinterpret_cast<HANDLE>(1));
  if (!state.breakChecking) {
    EnableMenuItem(GetSystemMenu(m_window, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
  }
  // The information entry of the system menu: with style bits 128 or 256 it arrives as menu
  // item 32767 (read as 255), and the next label line shows the information box.
  HMENU systemMenu = GetSystemMenu(m_window, FALSE);
  AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(systemMenu, MF_STRING, 32767, "Info...");
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
  if (state.cursor != 0) UseStandardCursor(state.cursor);
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

void Win32Window::Beep() { MessageBeep(MB_OK); }

void Win32Window::StartTimer(int32_t milliseconds) {
  if (m_window != nullptr) SetTimer(m_window, kTimerId, static_cast<UINT>(milliseconds), nullptr);
}

void Win32Window::StopTimer() {
  if (m_window != nullptr) KillTimer(m_window, kTimerId);
}

// The caret is a bar along the foot of the text cursor's cell, two pixels high.
constexpr int kCaretHeight = 2;

void Win32Window::MakeCaret(HWND window) {
  if (window != m_window || m_state == nullptr) return;
  if (!CreateCaret(window, nullptr, m_metrics.cellWidth, kCaretHeight)) return;
  m_caret = true;
  m_caretShown = false;
}

void Win32Window::MoveCaret() {
  if (!m_caret || m_state == nullptr || !m_state->grid) return;
  SetCaretPos((m_state->grid->CursorColumn() - m_state->origin.column) * m_metrics.cellWidth,
              (m_state->grid->CursorRow() - m_state->origin.row + 1) * m_metrics.cellHeight -
                  kCaretHeight);
}

void Win32Window::ShowCaretNow() {
  if (!m_caret || m_caretShown || m_state == nullptr || !m_state->grid) return;
  MoveCaret();
  ShowCaret(m_window);
  m_caretShown = true;
}

void Win32Window::HideCaretNow() {
  if (!m_caretShown) return;
  HideCaret(m_window);
  m_caretShown = false;
}

void Win32Window::RemoveCaret() {
  if (!m_caret) return;
  DestroyCaret();
  m_caret = false;
  m_caretShown = false;
}

void Win32Window::WaitForMessage() {
  if (m_window == nullptr) {
    WaitMessage();
    return;
  }
  ShowCaretNow();
  SetPropA(m_window, kWaitingProperty, reinterpret_cast<HANDLE>(++m_waitSequence));
  WaitMessage();
  if (m_window != nullptr) {
    RemovePropA(m_window, kWaitingProperty);
    HideCaretNow();
  }
}

// The end of the run: break checking off, Close enabled, the window served until closed.
void Win32Window::RunUntilClosed() {
  if (m_window == nullptr) return;
  if (m_state != nullptr) m_state->breakChecking = false;
  EnableMenuItem(GetSystemMenu(m_window, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_ENABLED);
  MoveCaret();
  SetPropA(m_window, kEndedProperty, reinterpret_cast<HANDLE>(1));
  MSG msg;
  while (m_window != nullptr && GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (FilterMessage(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void Win32Window::BeginMessageStep() {
  if (m_state != nullptr) talven::BeginMessageStep(m_state->input);
}

bool Win32Window::FilterMessage(MSG& msg) {
  if (m_state == nullptr) return false;
  if ((msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) ||
      (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST)) {
    m_state->input.inputSeen = true;
  }
  if (const auto id = SystemMessageAsCommand(m_state->setup.styleBits, msg.message, msg.wParam)) {
    msg.message = WM_COMMAND;
    msg.wParam = static_cast<WPARAM>(*id);
    msg.lParam = 0;
  }
  // Deliberate: system commands become menu items before dialog navigation sees them, which
  // would otherwise dispatch them unchanged.
  if (m_window != nullptr && DialogMode() && IsDialogMessageA(m_window, &msg)) return true;
  // Then the program's own dialog window the message is for.
  HWND root = msg.hwnd != nullptr ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
  return root != nullptr && root != m_window && GetPropA(root, kOwnDialogProperty) != nullptr &&
         IsDialogMessageA(root, &msg);
}

bool Win32Window::TakeMessage(MessageRecord& record) {
  MSG msg;
  for (;;) {
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) break;
    WaitForMessage();
  }
  if (msg.message == WM_QUIT) return false;
  record = MessageRecord{AsHandle(msg.hwnd), msg.message, msg.wParam, msg.lParam};
  if (!FilterMessage(msg)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return true;
}

bool Win32Window::PeekNextMessage(MessageRecord& record) {
  MSG msg;
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) return false;
  record = MessageRecord{AsHandle(msg.hwnd), msg.message, msg.wParam, msg.lParam};
  return true;
}

void Win32Window::Destroy() {
  EndRedirect();
  if (m_bitmapDc != nullptr) {
    SelectObject(m_bitmapDc, m_oldBitmapOfBitmapDc);
    DeleteDC(m_bitmapDc);
    DeleteObject(m_bitmap);
    m_bitmapDc = nullptr;
    m_bitmap = nullptr;
  }
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
  if (m_userFont != nullptr) {
    DeleteObject(m_userFont);
    m_userFont = nullptr;
  }
  m_postedTexts.clear();
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

// The program's own dialog windows (class "DIALOG"): their commands follow the rules of
// dialog mode into the main window's input state; painting is the default procedure's, with
// the paint flag set in auto-paint modes 0 and 1.
LRESULT CALLBACK Win32Window::DialogProcedure(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
  Win32Window* self = g_mainWindow;
  if (self != nullptr && self->m_state != nullptr) {
    InputState& input = self->m_state->input;
    input.lastWindow = AsHandle(window);
    input.lastMessage = message;
    input.lastWParam = wParam;
    input.lastLParam = lParam;
    if (message == WM_COMMAND) {
      const CommandMessage command{LOWORD(wParam), HIWORD(wParam), lParam};
      self->ApplyCommandEffect(window, RecordCommand(input, true, command),
                               reinterpret_cast<HWND>(lParam));
      return 0;
    }
    if (message == WM_PAINT && self->m_state->autoPaint <= 1) input.paintRequested = true;
    if (message == WM_HSCROLL || message == WM_VSCROLL) {
      self->Scroll(window, message, wParam, lParam);
      return 0;
    }
  }
  if (message == WM_CLOSE) return DefWindowProcA(window, message, wParam, lParam);
  return DefDlgProcA(window, message, wParam, lParam);
}

// Messages the main window leaves: to the default dialog procedure in dialog mode, except
// Close, which closes the window in either mode.
LRESULT Win32Window::Default(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (DialogMode() && message != WM_CLOSE) return DefDlgProcA(window, message, wParam, lParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

void Win32Window::ApplyCommandEffect(HWND window, CommandEffect effect, HWND control) {
  switch (effect) {
    case CommandEffect::FocusNextControl: {
      HWND next = GetNextDlgTabItem(window, GetFocus(), FALSE);
      if (next != nullptr) SetFocus(next);
      break;
    }
    case CommandEffect::RemoveFocus: SetFocus(nullptr); break;
    case CommandEffect::FocusControl: SetFocus(control); break;
    default: break;
  }
}

// A scroll bar moves by itself; the focused window is recorded and key 255 pushed.
void Win32Window::Scroll(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND control = reinterpret_cast<HWND>(lParam);
  HWND owner = control != nullptr ? control : window;
  const int bar = control != nullptr ? SB_CTL : (message == WM_HSCROLL ? SB_HORZ : SB_VERT);
  ScrollBar state;
  int minimum = 0;
  int maximum = 0;
  GetScrollRange(owner, bar, &minimum, &maximum);
  state.minimum = minimum;
  state.maximum = maximum;
  state.position = GetScrollPos(owner, bar);
  const int32_t position =
      ScrolledPosition(state, LOWORD(wParam), static_cast<int16_t>(HIWORD(wParam)));
  SetScrollPos(owner, bar, position, TRUE);
  InputState& input = m_state->input;
  input.focus = AsHandle(GetFocus());
  PushEvent(input, kKeyControlUsed);
}

LRESULT Win32Window::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // A test driver asking where a menu item is: no input of the program's.
  if (message == WM_COPYDATA && lParam != 0) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (data->dwData == kMenuItemQuery && data->lpData != nullptr) {
      return MenuItemPoint(window, std::string_view(static_cast<const char*>(data->lpData), data->cbData));
    }
  }
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
      // Mended: the first paint, while the window is still being made and has no backing
      // bitmap yet, is no paint request of the program's (it would end every WAITINPUT).
      if (m_state->autoPaint >= 1) {
        if (m_memoryDc != nullptr) {
          DeviceUnits windowUnits(dc);
          DeviceUnits memoryUnits(m_memoryDc);
          BitBlt(dc, 0, 0, m_metrics.screenWidth, m_metrics.screenHeight, m_memoryDc, 0, 0,
                 SRCCOPY);
        }
      } else {
        input.paintRequested = true;
      }
      EndPaint(window, &paint);
      return 0;
    }
    case WM_KEYDOWN:
      RecordKeyDown(input, static_cast<int32_t>(wParam));
      // Ctrl+Break ends the program while break checking is on.
      if (wParam == VK_CANCEL && m_state->breakChecking) PostQuitMessage(0);
      return 0;
    case WM_CHAR:
      // Ctrl+C ends the program while break checking is on.
      if (RecordChar(input, static_cast<uint8_t>(wParam), m_state->breakChecking)) {
        PostQuitMessage(0);
      }
      return 0;
    case WM_COMMAND: {
      const CommandMessage command{LOWORD(wParam), HIWORD(wParam), lParam};
      ApplyCommandEffect(window, RecordCommand(input, DialogMode(), command),
                         reinterpret_cast<HWND>(lParam));
      return 0;
    }
    case WM_TIMER:
      if (wParam == kTimerId) input.timerTicked = true;
      return 0;
    case WM_SIZE:
      ResizeClient(*m_state, LOWORD(lParam), HIWORD(lParam));
      PushEvent(input, kKeyResized);
      break;
    case WM_GETMINMAXINFO:
      MeasureCells();
      break;
    case WM_SETFOCUS:
      MakeCaret(window);
      break;
    case WM_KILLFOCUS:
      if (window == m_window) RemoveCaret();
      break;
    case WM_HSCROLL:
    case WM_VSCROLL:
      Scroll(window, message, wParam, lParam);
      return 0;
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
    case WM_PARENTNOTIFY:
      // A button pressed on a child control: the click flag, the control and the position.
      if (LOWORD(wParam) == WM_LBUTTONDOWN || LOWORD(wParam) == WM_RBUTTONDOWN) {
        const POINT point = {static_cast<int16_t>(LOWORD(lParam)),
                             static_cast<int16_t>(HIWORD(lParam))};
        if (LOWORD(wParam) == WM_LBUTTONDOWN) input.leftClick = true;
        if (LOWORD(wParam) == WM_RBUTTONDOWN) input.rightClick = true;
        input.mouseX = point.x;
        input.mouseY = point.y;
        input.focus = AsHandle(ChildWindowFromPoint(window, point));
      }
      break;
    case WM_DESTROY:
      if (window == m_window) RemoveCaret();
      m_window = nullptr;
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return Default(window, message, wParam, lParam);
}

}  // namespace talven
