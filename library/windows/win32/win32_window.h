#pragma once
// The main output window on Win32: class "FENSTER", the window and memory contexts with the
// full-screen backing bitmap, the window procedure that fills the input state.

#include <windows.h>

#include <array>
#include <memory>
#include <vector>

#include "library/windows/window_events.h"
#include "library/windows/window_platform.h"

namespace talven {

class Win32Window final : public WindowPlatform {
 public:
  // Registers the class "DIALOG" of the program's own dialog windows.
  Win32Window();
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
  intptr_t FindByTitle(std::string_view prefix) override;
  intptr_t ActiveWindow() override;
  intptr_t Activate(intptr_t window) override;
  bool ShowWindowAs(intptr_t window, int32_t mode) override;
  intptr_t FocusWindow() override;
  intptr_t SetFocusTo(intptr_t window) override;
  bool DestroyWindowOf(intptr_t window) override;
  ClientSize ClientSizeOf(intptr_t window) override;
  WindowFrame FrameOf(intptr_t window) override;
  uint32_t StyleOf(intptr_t window) override;
  void SetStyleOf(intptr_t window, uint32_t style) override;
  void PlaceWindow(intptr_t window, int32_t left, int32_t top, int32_t width, int32_t height,
                   std::optional<intptr_t> after) override;
  void EnableWindowOf(intptr_t window, bool enable) override;
  intptr_t Deliver(intptr_t window, uint32_t message, MessageArgument& wParam,
                   MessageArgument& lParam, Delivery how) override;
  bool TakeMessage(MessageRecord& record) override;
  bool PeekNextMessage(MessageRecord& record) override;
  intptr_t UseTextFont(const FontRequest& request) override;
  void DrawTextAt(int32_t x, int32_t y, std::string_view text, Color foreground,
                  Color background, bool transparent, int32_t stockFont) override;
  intptr_t CurrentFont() override;
  void SetControlFont(intptr_t window, intptr_t font) override;
  bool DeleteGraphicsObject(intptr_t object) override;
  void MapLogical(int32_t width, int32_t height) override;
  void RedirectPaint(intptr_t target) override;
  void EndRedirect() override;
  bool UseIcon(std::string_view name) override;
  void UseStandardCursor(int32_t number) override;
  bool UseCursorFrom(int32_t kind, std::string_view name) override;
  intptr_t DeviceContext(Surface surface) override;
  void WaitForMessage() override;
  void RunUntilClosed() override;
  void Destroy() override;

  HWND Handle() const { return m_window; }

  // For the families that draw into the window (graphics, printing): the contexts drawing
  // goes to now, the window's and the backing bitmap's own, USEFONT's font.
  int DrawingTargets(HDC (&targets)[2]) const { return Targets(targets); }
  HDC WindowContext() const { return m_windowDc; }
  HDC BackingContext() const { return m_memoryDc; }
  HFONT UserFont() const { return m_userFont; }
  // The memory bitmap's context, made (white, of the screen's size) when none exists yet.
  HDC MemoryBitmapContext();
  HBITMAP MemoryBitmap() const { return m_bitmap; }
  // Makes `bitmap` the memory bitmap (the window owns it from then on; the old one is
  // deleted).
  void ReplaceMemoryBitmap(HBITMAP bitmap);
  // A print job's page becomes the one drawing target; nullptr gives the targets back.
  void DrawOnPage(HDC page);

  // The message step's own part, run by the host's pump: F1 noted since the last step.
  void BeginMessageStep();
  // Before translation and dispatch: input seen, system commands as menu items, dialog
  // navigation in dialog mode. True when the message was consumed.
  bool FilterMessage(MSG& msg);

 private:
  static LRESULT CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam);
  bool DialogMode() const;
  LRESULT Default(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Scroll(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void ApplyCommandEffect(HWND window, CommandEffect effect, HWND control);
  // The contexts drawing goes to: the window and the backing bitmap, or the one of a
  // STARTPAINT redirection (none when that window gave no context).
  int Targets(HDC (&targets)[2]) const;
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void MeasureCells();
  LRESULT GridRowAtom(WPARAM row) const;
  // The caret: made with the focus, removed with it. It shows only while the program waits
  // for input, in the text cursor's cell: the program draws on the window outside of
  // painting, which a shown caret would spoil. Once the run is over it stays hidden (where
  // it is): the window then only waits to be closed.
  void MakeCaret(HWND window);
  void MoveCaret();
  void ShowCaretNow();
  void HideCaretNow();
  void RemoveCaret();

  WindowState* m_state = nullptr;
  HWND m_window = nullptr;
  HDC m_windowDc = nullptr;
  HDC m_memoryDc = nullptr;
  HBITMAP m_backing = nullptr;
  HGDIOBJ m_oldBitmap = nullptr;
  WindowMetrics m_metrics;
  UINT m_gridRowMessage = 0;
  uintptr_t m_waitSequence = 0;
  HFONT m_userFont = nullptr;  // USEFONT's font, selected into both contexts
  bool m_redirected = false;
  HDC m_redirectDc = nullptr;
  HWND m_redirectWindow = nullptr;  // whose context ENDPAINT gives back
  HDC m_bitmapDc = nullptr;         // the memory bitmap, made for STARTPAINT -1
  HBITMAP m_bitmap = nullptr;
  HGDIOBJ m_oldBitmapOfBitmapDc = nullptr;
  bool m_caret = false;       // made, with the focus
  bool m_caretShown = false;
  // Buffers of texts posted with POSTMESSAGE: they must outlive the post.
  std::vector<std::unique_ptr<std::array<char, 256>>> m_postedTexts;
};

}  // namespace talven
