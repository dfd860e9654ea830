#pragma once
// The text edit control of an edit window: draws a TextDocument with the colouring runs,
// takes keys and the mouse, talks to the clipboard.

#include <windows.h>

#include <functional>

#include "editor/editor_rules.h"
#include "editor/text_document.h"

namespace talven::editor {

class EditControl {
 public:
  static constexpr char kClassName[] = "TalvenEdit";
  static bool Register(HINSTANCE instance);
  // The control fills `parent`; `syntaxColours` is the editor's shared switch.
  static EditControl* Create(HWND parent, const bool* syntaxColours);

  HWND Handle() const { return m_hwnd; }
  TextDocument& Doc() { return m_doc; }
  void SetFont(const FontSetting& font);
  // After the text or the caret changed from outside: scroll the caret into view, redraw.
  void Changed();
  int32_t VisibleColumns() const;
  bool Overwrite() const { return m_overwrite; }
  // True while the first key of a two-key command (Ctrl+K) waits for its second.
  bool InChord() const { return m_chord; }

  void Cut();
  void Copy();
  void Paste();

  std::function<void(int32_t)> onUserCommand;
  std::function<void()> onStatus;

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void Paint();
  void KeyDown(WPARAM key);
  void Char(WPARAM c);
  void MoveCaret(size_t pos, bool extend, bool keepColumn = false);
  size_t PositionAt(int x, int y) const;
  int32_t VisibleLines() const;
  void UpdateScrollBars();
  void ScrollTo(int32_t top, int32_t left);
  void PlaceCaret();

  HWND m_hwnd = nullptr;
  TextDocument m_doc;
  const bool* m_syntaxColours = nullptr;
  HFONT m_font = nullptr;
  int m_charWidth = 8;
  int m_lineHeight = 16;
  int32_t m_topLine = 0;
  int32_t m_leftColumn = 0;
  int32_t m_wantColumn = -1;
  bool m_overwrite = false;
  bool m_chord = false;
  bool m_swallowChar = false;
  bool m_focused = false;
};

}  // namespace talven::editor
