#pragma once
// The main output window on Win32: class "FENSTER", the window and memory contexts with the
// full-screen backing bitmap, the window procedure that fills the input state.

#include <windows.h>

#include "library/windows/window_platform.h"

namespace talven {

class Win32Window final : public WindowPlatform {
 public:
  ~Win32Window() override;

  void Create(WindowState& state) override;
  bool Exists() const override { return m_window != nullptr; }
  intptr_t NativeHandle() const override { return reinterpret_cast<intptr_t>(m_window); }
  WindowMetrics Metrics() const override;
  void Place(int32_t left, int32_t top, int32_t width, int32_t height) override;
  void SetTitle(std::string_view title) override;
  void Show(ShowMode mode) override;
  void FillScreen(Color color) override;
  void DrawText(int32_t x, int32_t y, std::string_view text, Color foreground, Color background,
                int32_t font) override;
  void ScrollUp(int32_t pixels) override;
  void Invalidate() override;
  void Beep() override;
  void StartTimer(int32_t milliseconds) override;
  void StopTimer() override;
  void WaitForMessage() override;
  void RunUntilClosed() override;
  void Destroy() override;

  HWND Handle() const { return m_window; }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void MeasureCells();
  LRESULT GridRowAtom(WPARAM row) const;

  WindowState* m_state = nullptr;
  HWND m_window = nullptr;
  HDC m_windowDc = nullptr;
  HDC m_memoryDc = nullptr;
  HBITMAP m_backing = nullptr;
  HGDIOBJ m_oldBitmap = nullptr;
  WindowMetrics m_metrics;
  UINT m_gridRowMessage = 0;
  uintptr_t m_waitSequence = 0;
};

}  // namespace talven
