#include "library/windows/win32/win32_window.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "library/windows/window_state.h"

namespace talven {

namespace {

constexpr char kClassName[] = "FENSTER";
constexpr char kDialogClassName[] = "DIALOG";
constexpr char kDialogModeProperty[] = "TalvenDialogMode";
constexpr size_t kTextBuffer = 256;
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

// The window procedures reach the one main window through this: the program's dialog
// windows report into its input state.
Win32Window* g_mainWindow = nullptr;

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

HWND AsWindow(intptr_t handle) { return reinterpret_cast<HWND>(handle); }
intptr_t AsHandle(HWND window) { return reinterpret_cast<intptr_t>(window); }

// The standard cursors of USECURSOR by number; 11 is the program's own resource.
HCURSOR StandardCursor(int32_t number) {
  static const LPCSTR kCursors[17] = {
      IDC_ARROW,    IDC_IBEAM,  IDC_WAIT,   IDC_CROSS,    IDC_UPARROW,  IDC_SIZEALL,
      IDC_ICON,     IDC_SIZENWSE, IDC_SIZENESW, IDC_SIZEWE, IDC_SIZENS, nullptr,
      IDC_SIZEALL,  IDC_SIZENWSE, IDC_NO,   IDC_APPSTARTING, IDC_HELP};
  if (number < 0 || number > 16) return LoadCursorA(nullptr, IDC_ARROW);
  HCURSOR cursor = number == 11 ? LoadCursorA(GetModuleHandleA(nullptr), "DRUCKER")
                                : LoadCursorA(nullptr, kCursors[number]);
  return cursor != nullptr ? cursor : LoadCursorA(nullptr, IDC_ARROW);
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
  HMENU menu = (state.setup.styleBits & kStyleNoMenu) ? nullptr : LoadMenuA(instance, "LEER");
  m_window = CreateWindowExA(0, kClassName, state.setup.title.c_str(),
                             MainWindowStyle(state.setup.styleBits), 0, 0, m_metrics.screenWidth,
                             m_metrics.screenHeight, nullptr, menu, instance, this);
  if (m_window == nullptr) return;
  if (DialogMode()) SetPropA(m_window, kDialogModeProperty, reinterpret_cast<HANDLE>(1));
  if (!state.breakChecking) {
    EnableMenuItem(GetSystemMenu(m_window, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
  }
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

int Win32Window::Targets(HDC (&targets)[2]) const {
  if (m_redirected) {
    targets[0] = m_redirectDc;
    return m_redirectDc != nullptr ? 1 : 0;
  }
  targets[0] = m_windowDc;
  targets[1] = m_memoryDc;
  return 2;
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

// The end of the run: break checking off, Close enabled, the window served until closed.
void Win32Window::RunUntilClosed() {
  if (m_window == nullptr) return;
  if (m_state != nullptr) m_state->breakChecking = false;
  EnableMenuItem(GetSystemMenu(m_window, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_ENABLED);
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
  return m_window != nullptr && DialogMode() && IsDialogMessageA(m_window, &msg);
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

intptr_t Win32Window::FindByTitle(std::string_view prefix) {
  // The top-level windows from the first one; the first whose title begins with the text.
  for (HWND window = GetWindow(GetDesktopWindow(), GW_CHILD); window != nullptr;
       window = GetWindow(window, GW_HWNDNEXT)) {
    char title[kTextBuffer] = {};
    GetWindowTextA(window, title, sizeof(title));
    if (std::string_view(title).substr(0, prefix.size()) == prefix &&
        std::strlen(title) >= prefix.size()) {
      return AsHandle(window);
    }
  }
  return 0;
}

intptr_t Win32Window::ActiveWindow() { return AsHandle(GetActiveWindow()); }
intptr_t Win32Window::Activate(intptr_t window) {
  return AsHandle(SetActiveWindow(AsWindow(window)));
}
bool Win32Window::ShowWindowAs(intptr_t window, int32_t mode) {
  return ShowWindow(AsWindow(window), mode) != 0;
}
intptr_t Win32Window::FocusWindow() { return AsHandle(GetFocus()); }
intptr_t Win32Window::SetFocusTo(intptr_t window) { return AsHandle(SetFocus(AsWindow(window))); }
bool Win32Window::DestroyWindowOf(intptr_t window) {
  if (window == 0) return false;
  // The main window goes with its contexts and bitmaps; the quit message then ends the run.
  if (m_window != nullptr && AsWindow(window) == m_window) {
    Destroy();
    return true;
  }
  return DestroyWindow(AsWindow(window)) != 0;
}

ClientSize Win32Window::ClientSizeOf(intptr_t window) {
  RECT rect = {};
  if (!GetClientRect(AsWindow(window), &rect)) return ClientSize{};
  return ClientSize{rect.right - rect.left, rect.bottom - rect.top};
}

WindowFrame Win32Window::FrameOf(intptr_t window) {
  RECT rect = {};
  if (!GetWindowRect(AsWindow(window), &rect)) return WindowFrame{};
  return WindowFrame{rect.left, rect.top, rect.right, rect.bottom};
}

uint32_t Win32Window::StyleOf(intptr_t window) {
  return static_cast<uint32_t>(GetWindowLongA(AsWindow(window), GWL_STYLE));
}

void Win32Window::SetStyleOf(intptr_t window, uint32_t style) {
  SetWindowLongA(AsWindow(window), GWL_STYLE, static_cast<LONG>(style));
  InvalidateRect(AsWindow(window), nullptr, TRUE);
}

void Win32Window::PlaceWindow(intptr_t window, int32_t left, int32_t top, int32_t width,
                              int32_t height, std::optional<intptr_t> after) {
  UINT flags = SWP_NOACTIVATE;
  if (!after) flags |= SWP_NOZORDER;
  SetWindowPos(AsWindow(window), after ? AsWindow(*after) : nullptr, left, top, width, height,
               flags);
}

void Win32Window::EnableWindowOf(intptr_t window, bool enable) {
  EnableWindow(AsWindow(window), enable ? TRUE : FALSE);
}

intptr_t Win32Window::Deliver(intptr_t window, uint32_t message, MessageArgument& wParam,
                              MessageArgument& lParam, Delivery how) {
  // A text goes by the address of a buffer of 256 bytes.
  auto buffer = [](const MessageArgument& argument) {
    auto room = std::make_unique<std::array<char, kTextBuffer>>();
    room->fill('\0');
    std::memcpy(room->data(), argument.text.data(),
                std::min(argument.text.size(), kTextBuffer - 1));
    return room;
  };
  std::unique_ptr<std::array<char, kTextBuffer>> wText;
  std::unique_ptr<std::array<char, kTextBuffer>> lText;
  WPARAM w = static_cast<WPARAM>(wParam.number);
  LPARAM l = static_cast<LPARAM>(lParam.number);
  if (wParam.isText) {
    wText = buffer(wParam);
    w = reinterpret_cast<WPARAM>(wText->data());
  }
  if (lParam.isText) {
    lText = buffer(lParam);
    l = reinterpret_cast<LPARAM>(lText->data());
    // Mended: WM_GETTEXT never writes past the buffer, whatever size the program names.
    if (message == WM_GETTEXT && !wParam.isText && (w == 0 || w > kTextBuffer)) w = kTextBuffer;
  }
  if (how == Delivery::Post) {
    const BOOL posted = PostMessageA(AsWindow(window), message, w, l);
    // The buffers must outlive the post: they stay until the run ends.
    if (wText) m_postedTexts.push_back(std::move(wText));
    if (lText) m_postedTexts.push_back(std::move(lText));
    return posted ? 1 : 0;
  }
  const LRESULT result = SendMessageA(AsWindow(window), message, w, l);
  if (wText) wParam.text.assign(wText->data(), strnlen(wText->data(), kTextBuffer - 1));
  if (lText) lParam.text.assign(lText->data(), strnlen(lText->data(), kTextBuffer - 1));
  return static_cast<intptr_t>(result);
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
    if (m_bitmapDc == nullptr) {
      m_bitmapDc = CreateCompatibleDC(m_windowDc);
      m_bitmap = CreateCompatibleBitmap(m_windowDc, m_metrics.screenWidth, m_metrics.screenHeight);
      m_oldBitmapOfBitmapDc = SelectObject(m_bitmapDc, m_bitmap);
      PatBlt(m_bitmapDc, 0, 0, m_metrics.screenWidth, m_metrics.screenHeight, WHITENESS);
    }
    m_redirectDc = m_bitmapDc;
    return;
  }
  m_redirectWindow = AsWindow(target);
  m_redirectDc = GetDC(m_redirectWindow);
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
      m_window = nullptr;
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return Default(window, message, wParam, lParam);
}

}  // namespace talven
