#pragma once
// What the output window needs from the platform. win32/ implements it on a real window
// with its full-screen backing bitmap; tests use a fake that records and plays input.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/family.h"

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

struct ClientSize {
  int32_t width = 0;
  int32_t height = 0;
};

// A window's edges in screen coordinates.
struct WindowFrame {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

// USEFONT: sizes in logical units, the angle in tenths of a degree.
struct FontRequest {
  std::string name;
  int32_t height = 0;
  int32_t width = 0;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  int32_t orientation = 0;
  int32_t charset = 0;
};

// One argument of a sent or posted message: a number, or a text whose buffer (room for 255
// characters and the end) is passed by address; after a send the text is what the buffer
// then holds.
struct MessageArgument {
  intptr_t number = 0;
  bool isText = false;
  std::string text;
};

enum class Delivery { Send, Post };

struct MessageRecord {
  intptr_t window = 0;
  uint32_t message = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
};

enum class Surface { Window, Memory };

// STARTPAINT's targets besides the handle of another window.
inline constexpr int32_t kPaintMemoryBitmap = -1;

class WindowPlatform : public FamilyPlatform {
 public:
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

  // Other windows by the handles programs see (the main window's among them).
  virtual intptr_t FindByTitle(std::string_view prefix) = 0;
  virtual intptr_t ActiveWindow() = 0;
  virtual intptr_t Activate(intptr_t window) = 0;
  // ShowWindow with mode 0..9; whether the window was visible before.
  virtual bool ShowWindowAs(intptr_t window, int32_t mode) = 0;
  virtual intptr_t FocusWindow() = 0;
  virtual intptr_t SetFocusTo(intptr_t window) = 0;
  virtual bool DestroyWindowOf(intptr_t window) = 0;
  virtual ClientSize ClientSizeOf(intptr_t window) = 0;
  virtual WindowFrame FrameOf(intptr_t window) = 0;
  virtual uint32_t StyleOf(intptr_t window) = 0;
  virtual void SetStyleOf(intptr_t window, uint32_t style) = 0;
  // Moves and sizes a window; with `after` it is placed behind that window, else the
  // z-order is kept.
  virtual void PlaceWindow(intptr_t window, int32_t left, int32_t top, int32_t width,
                           int32_t height, std::optional<intptr_t> after) = 0;
  virtual void EnableWindowOf(intptr_t window, bool enable) = 0;
  virtual intptr_t Deliver(intptr_t window, uint32_t message, MessageArgument& wParam,
                           MessageArgument& lParam, Delivery how) = 0;

  // GETMESSAGE: takes the next message of the program's queue, waiting for one, and
  // dispatches it; false when the queue ends the run (the quit message).
  virtual bool TakeMessage(MessageRecord& record) = 0;
  // %PEEKMESSAGE: the next message, left in the queue; false when none waits.
  virtual bool PeekNextMessage(MessageRecord& record) = 0;

  // USEFONT: creates the font, selects it into both targets and deletes the previous one;
  // the handle of the new font. Text of the grid keeps its stock fonts.
  virtual intptr_t UseTextFont(const FontRequest& request) = 0;
  // DRAWTEXT: text at a logical position in the current font (USEFONT's, else the stock font
  // of the font table's current index) and TEXTCOLOR's colours, on both targets.
  virtual void DrawTextAt(int32_t x, int32_t y, std::string_view text, Color foreground,
                          Color background, bool transparent, int32_t stockFont) = 0;
  // %FONT: the font selected for drawing (a stock font while USEFONT made none).
  virtual intptr_t CurrentFont() = 0;
  virtual void SetControlFont(intptr_t window, intptr_t font) = 0;
  virtual bool DeleteGraphicsObject(intptr_t object) = 0;
  // SCREEN: logical width x height mapped onto the client area of the paint target.
  virtual void MapLogical(int32_t width, int32_t height) = 0;
  // STARTPAINT: the main window's handle changes nothing, kPaintMemoryBitmap draws into the
  // memory bitmap, any other handle into that window; ENDPAINT restores both targets.
  virtual void RedirectPaint(intptr_t target) = 0;
  virtual void EndRedirect() = 0;
  // The program's icon resource of that name as the class icon; false when there is none.
  virtual bool UseIcon(std::string_view name) = 0;
  // USECURSOR: the standard cursor of that number as the class cursor.
  virtual void UseStandardCursor(int32_t number) = 0;
  // USEEXTCURSOR: kind 0 a cursor file, else the program's cursor resource; false when
  // none could be loaded.
  virtual bool UseCursorFrom(int32_t kind, std::string_view name) = 0;
  // %HDC, %HDC2: the window's context and the backing bitmap's.
  virtual intptr_t DeviceContext(Surface surface) = 0;

  // The end of a run: keeps the window alive until the user closes it.
  virtual void RunUntilClosed() = 0;
  virtual void Destroy() = 0;
};

}  // namespace talven
