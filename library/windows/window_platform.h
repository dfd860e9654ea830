#pragma once
// What the output window needs from the platform. win32/ implements it on a real window
// with its full-screen backing bitmap; tests use a fake that records and plays input.

#include <cstdint>
#include <string>
#include <string_view>

namespace talven {

struct WindowState;

// A colour as the platform takes it: 0x00BBGGRR.
using Color = uint32_t;

enum class ShowMode { Maximized, Minimized, Normal };

struct WindowSetup {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 640;
  int32_t height = 480;
  uint32_t styleBits = 15;  // WINDOWSTYLE
  std::string title;
};

struct WindowMetrics {
  int32_t screenWidth = 1024;
  int32_t screenHeight = 768;
  int32_t cellWidth = 8;
  int32_t cellHeight = 15;
};

class WindowPlatform {
 public:
  virtual ~WindowPlatform() = default;

  // Creates the main window from `state.setup`, shows it, and makes its backing bitmap. From
  // then on the window procedure records what arrives in `state.input`, and the window can
  // tell its text grid to whoever asks.
  virtual void Create(WindowState& state) = 0;
  virtual bool Exists() const = 0;
  // The window's handle as programs see it (%HWND); 0 before it exists.
  virtual intptr_t NativeHandle() const = 0;
  virtual WindowMetrics Metrics() const = 0;

  virtual void Place(int32_t left, int32_t top, int32_t width, int32_t height) = 0;
  virtual void SetTitle(std::string_view title) = 0;
  virtual void Show(ShowMode mode) = 0;

  // Drawing goes to the window and the backing bitmap alike. Fonts are stock-font indices of
  // the font table (0 ANSI fixed, 1 OEM fixed, 2 and 3 system fixed).
  virtual void FillScreen(Color color) = 0;
  virtual void DrawText(int32_t x, int32_t y, std::string_view text, Color foreground,
                        Color background, int32_t font) = 0;
  virtual void ScrollUp(int32_t pixels) = 0;
  virtual void Invalidate() = 0;
  virtual void Beep() = 0;

  virtual void StartTimer(int32_t milliseconds) = 0;
  virtual void StopTimer() = 0;

  // Sleeps until a message arrives (the caller then drains the queue). Only the waits for
  // input call it, so a program blocked here is waiting for the user.
  virtual void WaitForMessage() = 0;

  // The end of a run: keeps the window alive until the user closes it.
  virtual void RunUntilClosed() = 0;
  virtual void Destroy() = 0;
};

}  // namespace talven
