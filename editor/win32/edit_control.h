#pragma once
// The text edit control of an edit window: draws a TextDocument with the colouring runs,
// takes keys and the mouse, talks to the clipboard.

#include <windows.h>

#include <array>
#include <functional>

#include "editor/editor_rules.h"
#include "editor/text_document.h"
#include "editor/wrap_layout.h"

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
  // Word wrap at the number of visible columns (kept while the window is minimised).
  bool Wrap() const { return m_wrap; }
  void SetWrap(bool on);

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
  // Marks for redrawing what differs from what was last drawn: nothing for a caret move,
  // the rows of the selection that changed, the strip a short scroll uncovers (the rest is
  // moved on the screen), the row of a character typed inside a line, everything after any
  // other change of the text.
  void Invalidate();
  void PlaceCaret();
  // Rows: the text's lines, or with word wrap the rows of the layout (brought up to date).
  int32_t RowCount();
  int32_t CaretRow();
  void RefreshLayout();

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
  // With word wrap m_topLine counts rows and m_leftColumn stays 0.
  bool m_wrap = false;
  int32_t m_wrapColumn = 1;
  WrapLayout m_layout;
  uint64_t m_layoutRevision = 0;
  int32_t m_layoutWidth = 0;
  // What the scroll bars show (range end, page, position), -1: not set yet.
  std::array<int32_t, 4> m_shownVertical = {-1, -1, -1, -1};
  std::array<int32_t, 4> m_shownHorizontal = {-1, -1, -1, -1};
  // What the window shows (or will once the pending paint is done).
  uint64_t m_shownRevision = ~0ULL;
  size_t m_shownAnchor = 0, m_shownCaret = 0;
  int32_t m_shownTop = 0, m_shownLeft = 0;
  bool m_shownWrap = false;
  bool m_redrawAll = true;  // the font or the size changed
  // The line a typed character changed (-1: none), and the revision before it.
  int32_t m_changedLine = -1;
  uint64_t m_changedFromRevision = 0;
  // The drawing surface, kept while the window keeps its size.
  HBITMAP m_back = nullptr;
  int m_backWidth = 0, m_backHeight = 0;
};

}  // namespace talven::editor
