#pragma once
// A window that exists only in memory: for programs run without a screen (benchmarks,
// fuzzing). Drawing goes nowhere; a wait finds no input and ends the run as if the user had
// closed the window.

#include "library/windows/window_platform.h"

namespace talven {

class NullWindow : public WindowPlatform {
 public:
  void Create(WindowState&) override { m_exists = true; }
  bool Exists() const override { return m_exists; }
  intptr_t NativeHandle() const override { return Exists() ? 1 : 0; }
  WindowMetrics Metrics() const override { return WindowMetrics{}; }
  void Place(int32_t, int32_t, int32_t, int32_t) override {}
  void SetTitle(std::string_view) override {}
  void Show(ShowMode) override {}
  void FillScreen(Color) override {}
  void DrawText(int32_t, int32_t, std::string_view, Color, Color, int32_t) override {}
  void ScrollUp(int32_t) override {}
  void Invalidate() override {}
  void Beep() override {}
  void StartTimer(int32_t) override {}
  void StopTimer() override {}
  void WaitForMessage() override { closed = true; }
  void RunUntilClosed() override {}
  void Destroy() override { m_exists = false; }

  bool closed = false;

 private:
  bool m_exists = false;
};

}  // namespace talven
