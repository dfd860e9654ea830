#include "toolchain/win32/progress_window.h"

namespace talven {

namespace {

constexpr char kClassName[] = "TalvenProgress";
constexpr size_t kColumns = 40;

}  // namespace

Win32ProgressWindow::Win32ProgressWindow(const ProgressPlacement& placement) {
  for (std::string& row : m_rows) row.assign(kColumns, ' ');
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = &WindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszClassName = kClassName;
  RegisterClassA(&windowClass);
  m_window = CreateWindowA(kClassName, placement.title, WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE,
                           placement.left, placement.top, placement.width, placement.height,
                           nullptr, nullptr, windowClass.hInstance, nullptr);
  if (m_window != nullptr)
    SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Win32ProgressWindow::~Win32ProgressWindow() {
  if (m_window != nullptr) DestroyWindow(m_window);
}

void Win32ProgressWindow::Write(int32_t column, int32_t row, std::string_view text) {
  if (row < 1 || row > static_cast<int32_t>(m_rows.size()) || column < 1) return;
  std::string& line = m_rows[static_cast<size_t>(row - 1)];
  for (size_t i = 0; i < text.size() && static_cast<size_t>(column - 1) + i < kColumns; ++i) {
    line[static_cast<size_t>(column - 1) + i] = text[i];
  }
  if (m_window == nullptr) return;
  InvalidateRect(m_window, nullptr, FALSE);
  UpdateWindow(m_window);
  // Let the window show what it holds; nothing here waits.
  MSG message;
  while (PeekMessageA(&message, m_window, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

void Win32ProgressWindow::Paint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(m_window, &paint);
  HGDIOBJ old = SelectObject(dc, GetStockObject(SYSTEM_FIXED_FONT));
  TEXTMETRICA metrics;
  GetTextMetricsA(dc, &metrics);
  for (size_t i = 0; i < m_rows.size(); ++i) {
    TextOutA(dc, 0, static_cast<int>(i) * metrics.tmHeight, m_rows[i].data(),
             static_cast<int>(m_rows[i].size()));
  }
  SelectObject(dc, old);
  EndPaint(m_window, &paint);
}

LRESULT CALLBACK Win32ProgressWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                                 LPARAM lParam) {
  auto* self = reinterpret_cast<Win32ProgressWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (message == WM_PAINT && self != nullptr) {
    self->Paint();
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace talven
