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
  intptr_t FindByTitle(std::string_view) override { return 0; }
  intptr_t ActiveWindow() override { return NativeHandle(); }
  intptr_t Activate(intptr_t) override { return NativeHandle(); }
  bool ShowWindowAs(intptr_t, int32_t) override { return false; }
  intptr_t FocusWindow() override { return NativeHandle(); }
  intptr_t SetFocusTo(intptr_t) override { return NativeHandle(); }
  bool DestroyWindowOf(intptr_t) override { return false; }
  ClientSize ClientSizeOf(intptr_t) override { return ClientSize{}; }
  WindowFrame FrameOf(intptr_t) override { return WindowFrame{}; }
  uint32_t StyleOf(intptr_t) override { return 0; }
  void SetStyleOf(intptr_t, uint32_t) override {}
  void PlaceWindow(intptr_t, int32_t, int32_t, int32_t, int32_t,
                   std::optional<intptr_t>) override {}
  void EnableWindowOf(intptr_t, bool) override {}
  intptr_t Deliver(intptr_t, uint32_t, MessageArgument&, MessageArgument&, Delivery) override {
    return 0;
  }
  bool TakeMessage(MessageRecord&) override {
    closed = true;
    return false;
  }
  bool PeekNextMessage(MessageRecord&) override { return false; }
  intptr_t UseTextFont(const FontRequest&) override { return 0; }
  void DrawTextAt(int32_t, int32_t, std::string_view, Color, Color, bool, int32_t) override {}
  intptr_t CurrentFont() override { return 0; }
  void SetControlFont(intptr_t, intptr_t) override {}
  bool DeleteGraphicsObject(intptr_t) override { return false; }
  void MapLogical(int32_t, int32_t) override {}
  void RedirectPaint(intptr_t) override {}
  void EndRedirect() override {}
  bool UseIcon(std::string_view) override { return false; }
  void UseStandardCursor(int32_t) override {}
  bool UseCursorFrom(int32_t, std::string_view) override { return false; }
  intptr_t DeviceContext(Surface) override { return 0; }
  void WaitForMessage() override { closed = true; }
  void RunUntilClosed() override {}
  void Destroy() override { m_exists = false; }

  bool closed = false;

 private:
  bool m_exists = false;
};

}  // namespace talven
