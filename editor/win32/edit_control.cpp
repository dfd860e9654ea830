#include "editor/win32/edit_control.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string>
#include <vector>

#include "editor/colouring.h"

namespace talven::editor {

namespace {

constexpr int kLeftMargin = 2;
constexpr int kRightMargin = 5;
constexpr int32_t kHorizontalRange = 1024;

COLORREF InkColour(Ink ink) {
  switch (ink) {
    case Ink::Red: return RGB(255, 0, 0);
    case Ink::Blue: return RGB(0, 0, 255);
    case Ink::Green: return RGB(0, 128, 0);
    case Ink::Black: return RGB(0, 0, 0);
    case Ink::WindowText: break;
  }
  return GetSysColor(COLOR_WINDOWTEXT);
}

bool Pressed(int key) { return (GetKeyState(key) & 0x8000) != 0; }

}  // namespace

bool EditControl::Register(HINSTANCE instance) {
  WNDCLASSA wc = {};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = Procedure;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_IBEAM);
  wc.lpszClassName = kClassName;
  return RegisterClassA(&wc) != 0;
}

EditControl* EditControl::Create(HWND parent, const bool* syntaxColours) {
  auto* control = new EditControl;
  control->m_syntaxColours = syntaxColours;
  RECT client;
  GetClientRect(parent, &client);
  CreateWindowExA(0, kClassName, "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL, 0, 0,
                  client.right, client.bottom, parent, nullptr,
                  reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE)), control);
  return control;
}

LRESULT CALLBACK EditControl::Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* control = static_cast<EditControl*>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams);
    control->m_hwnd = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control));
  }
  auto* control = reinterpret_cast<EditControl*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (control == nullptr) return DefWindowProcA(hwnd, message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    if (control->m_font) DeleteObject(control->m_font);
    if (control->m_back) DeleteObject(control->m_back);
    delete control;
    return DefWindowProcA(hwnd, message, wparam, lparam);
  }
  // No exception may leave a window procedure: an edit that fails is dropped.
  try {
    return control->Handle(message, wparam, lparam);
  } catch (...) {
    return 0;
  }
}

void EditControl::SetFont(const FontSetting& font) {
  HDC dc = GetDC(m_hwnd);
  LOGFONTA logFont = {};
  logFont.lfHeight = -MulDiv(font.size, GetDeviceCaps(dc, LOGPIXELSY), 72);
  logFont.lfCharSet = DEFAULT_CHARSET;
  logFont.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
  lstrcpynA(logFont.lfFaceName, font.name.c_str(), LF_FACESIZE);
  HFONT created = CreateFontIndirectA(&logFont);
  if (created) {
    if (m_font) DeleteObject(m_font);
    m_font = created;
  }
  HGDIOBJ old = SelectObject(dc, m_font ? m_font : GetStockObject(ANSI_FIXED_FONT));
  TEXTMETRICA metrics = {};
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(m_hwnd, dc);
  m_charWidth = std::max<int>(metrics.tmAveCharWidth, 1);
  m_lineHeight = std::max<int>(metrics.tmHeight, 1);
  if (m_focused) {
    DestroyCaret();
    CreateCaret(m_hwnd, nullptr, m_overwrite ? m_charWidth : 2, m_lineHeight);
    ShowCaret(m_hwnd);
  }
  m_redrawAll = true;
  Changed();
}

int32_t EditControl::VisibleColumns() const {
  RECT client;
  GetClientRect(m_hwnd, &client);
  return std::max<int32_t>((client.right - kLeftMargin - kRightMargin) / m_charWidth, 0);
}

int32_t EditControl::VisibleLines() const {
  RECT client;
  GetClientRect(m_hwnd, &client);
  return std::max<int32_t>(client.bottom / m_lineHeight, 1);
}

void EditControl::SetWrap(bool on) {
  m_wrap = on;
  m_wrapColumn = std::max<int32_t>(VisibleColumns(), 1);
  m_layoutWidth = 0;
  // The top row of the view keeps showing the same line.
  if (on) {
    RefreshLayout();
    m_topLine = m_layout.RowOf({m_topLine + 1, 1});
  } else {
    m_topLine = m_layout.Row(m_topLine).line;
  }
  m_leftColumn = 0;
  m_wantColumn = -1;
  m_redrawAll = true;
  Changed();
}

void EditControl::RefreshLayout() {
  if (!m_wrap || (m_layoutRevision == m_doc.Revision() && m_layoutWidth == m_wrapColumn)) return;
  m_layout.Rebuild(m_doc, m_wrapColumn);
  m_layoutRevision = m_doc.Revision();
  m_layoutWidth = m_wrapColumn;
}

int32_t EditControl::RowCount() {
  if (!m_wrap) return m_doc.LineCount();
  RefreshLayout();
  return m_layout.RowCount();
}

int32_t EditControl::CaretRow() {
  const LineColumn place = m_doc.CaretPlace();
  if (!m_wrap) return place.line - 1;
  RefreshLayout();
  return m_layout.RowOf(place);
}

void EditControl::UpdateScrollBars() {
  // Each bar is set only when it changed, and drawn with the next paint: drawn at once, the
  // bars cost more under Wine than the text (a run of keys would redraw them per key).
  bool changed = false;
  const std::array<int32_t, 4> vertical = {RowCount() - 1, VisibleLines(), m_topLine, 0};
  if (vertical != m_shownVertical) {
    m_shownVertical = vertical;
    SCROLLINFO info = {sizeof(info), SIF_ALL | SIF_DISABLENOSCROLL, 0, vertical[0],
                       static_cast<UINT>(vertical[1]), vertical[2], 0};
    SetScrollInfo(m_hwnd, SB_VERT, &info, FALSE);
    changed = true;
  }
  const std::array<int32_t, 4> horizontal = {m_wrap ? 0 : kHorizontalRange, std::max<int32_t>(VisibleColumns(), 1),
                                             m_leftColumn, 0};
  if (horizontal != m_shownHorizontal) {
    m_shownHorizontal = horizontal;
    SCROLLINFO info = {sizeof(info), SIF_ALL | SIF_DISABLENOSCROLL, 0, horizontal[0],
                       static_cast<UINT>(horizontal[1]), horizontal[2], 0};
    SetScrollInfo(m_hwnd, SB_HORZ, &info, FALSE);
    changed = true;
  }
  // Drawn with the next paint, once for any number of changes before it.
  if (changed) RedrawWindow(m_hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_NOERASE);
}

void EditControl::PlaceCaret() {
  if (!m_focused) return;
  const LineColumn place = m_doc.CaretPlace();
  if (m_wrap) {
    const int32_t row = CaretRow();
    SetCaretPos(kLeftMargin + (place.column - 1 - m_layout.Row(row).start) * m_charWidth,
                (row - m_topLine) * m_lineHeight);
    return;
  }
  SetCaretPos(kLeftMargin + (place.column - 1 - m_leftColumn) * m_charWidth,
              (place.line - 1 - m_topLine) * m_lineHeight);
}

void EditControl::ScrollTo(int32_t top, int32_t left) {
  top = std::clamp(top, 0, std::max(RowCount() - 1, 0));
  left = m_wrap ? 0 : std::clamp(left, 0, kHorizontalRange);
  if (top == m_topLine && left == m_leftColumn) return;
  m_topLine = top;
  m_leftColumn = left;
  Invalidate();
  UpdateScrollBars();
  PlaceCaret();
}

void EditControl::Invalidate() {
  const size_t anchor = m_doc.Anchor(), caret = m_doc.Caret();
  const bool selectionSame = (anchor == m_shownAnchor && caret == m_shownCaret) ||
                             (anchor == caret && m_shownAnchor == m_shownCaret);
  RECT pending;
  // One line changed since what is shown (told by Char): that row, if nothing else changed.
  const bool oneLine = m_changedLine >= 0 && m_changedFromRevision == m_shownRevision &&
                       m_doc.Revision() == m_shownRevision + 1;
  const int32_t changedLine = m_changedLine;
  m_changedLine = -1;
  bool all = m_redrawAll || (m_doc.Revision() != m_shownRevision && !oneLine) || m_wrap != m_shownWrap ||
             m_leftColumn != m_shownLeft || (m_wrap && !selectionSame);
  const int32_t scrolled = m_topLine - m_shownTop;
  if (!all && scrolled != 0) {
    // Moving the pixels is only right while nothing waits to be drawn.
    if (std::abs(scrolled) >= VisibleLines() || GetUpdateRect(m_hwnd, &pending, FALSE)) {
      all = true;
    } else {
      ScrollWindowEx(m_hwnd, 0, -scrolled * m_lineHeight, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE);
    }
  }
  if (!all && oneLine) {
    RECT client;
    GetClientRect(m_hwnd, &client);
    const int top = (changedLine - m_topLine) * m_lineHeight;
    RECT row = {0, top, client.right, top + m_lineHeight};
    InvalidateRect(m_hwnd, &row, FALSE);
  }
  if (all) {
    InvalidateRect(m_hwnd, nullptr, FALSE);
  } else if (!selectionSame) {
    // The text is the same: only the rows between the old and the new selection's ends.
    const std::array<size_t, 4> ends = {anchor, caret, m_shownAnchor, m_shownCaret};
    const int32_t first = m_doc.LineOf(*std::min_element(ends.begin(), ends.end()));
    const int32_t last = m_doc.LineOf(*std::max_element(ends.begin(), ends.end()));
    RECT client;
    GetClientRect(m_hwnd, &client);
    RECT rows = {0, std::max<int32_t>(first - m_topLine, 0) * m_lineHeight, client.right,
                 std::max<int32_t>(last - m_topLine + 1, 0) * m_lineHeight};
    if (rows.bottom > rows.top) InvalidateRect(m_hwnd, &rows, FALSE);
  }
  m_redrawAll = false;
  m_shownRevision = m_doc.Revision();
  m_shownWrap = m_wrap;
  m_shownAnchor = anchor;
  m_shownCaret = caret;
  m_shownTop = m_topLine;
  m_shownLeft = m_leftColumn;
}

void EditControl::Changed() {
  const LineColumn place = m_doc.CaretPlace();
  const int32_t caretRow = CaretRow(), rows = RowCount();
  int32_t top = m_topLine, left = m_leftColumn;
  const int32_t lines = VisibleLines(), columns = std::max<int32_t>(VisibleColumns(), 1);
  if (caretRow < top) top = caretRow;
  if (caretRow >= top + lines) top = caretRow - lines + 1;
  if (top > rows - 1) top = std::max(rows - lines, 0);
  if (place.column - 1 < left) left = std::max(place.column - 1 - columns / 4, 0);
  if (place.column - 1 >= left + columns) left = place.column - columns + columns / 4;
  m_topLine = std::max(top, 0);
  m_leftColumn = m_wrap ? 0 : std::clamp(left, 0, kHorizontalRange);
  Invalidate();
  UpdateScrollBars();
  PlaceCaret();
}

void EditControl::MoveCaret(size_t pos, bool extend, bool keepColumn) {
  if (extend) {
    m_doc.SetSelectionBytes(m_doc.Anchor(), pos);
  } else {
    m_doc.SetCaret(pos);
  }
  if (!keepColumn) m_wantColumn = -1;
  Changed();
}

size_t EditControl::PositionAt(int x, int y) const {
  const int32_t line = m_topLine + (y < 0 ? -1 : y / m_lineHeight);
  const int32_t column = m_leftColumn + std::max(x - kLeftMargin + m_charWidth / 2, 0) / m_charWidth;
  if (m_wrap) return m_doc.PositionOf(m_layout.PlaceAt(std::max(line, 0), column));
  return m_doc.PositionOf({std::max(line, 0) + 1, column + 1});
}

void EditControl::Paint() {
  PAINTSTRUCT ps;
  HDC target = BeginPaint(m_hwnd, &ps);
  RECT client;
  GetClientRect(m_hwnd, &client);
  const int width = std::max<int>(client.right, 1), height = std::max<int>(client.bottom, 1);
  if (!m_back || m_backWidth != width || m_backHeight != height) {
    if (m_back) DeleteObject(m_back);
    m_back = CreateCompatibleBitmap(target, width, height);
    m_backWidth = width;
    m_backHeight = height;
  }
  HDC dc = CreateCompatibleDC(target);
  HGDIOBJ oldBitmap = SelectObject(dc, m_back);
  HGDIOBJ oldFont = SelectObject(dc, m_font ? m_font : GetStockObject(ANSI_FIXED_FONT));
  // Only the rows the paint asks for.
  const RECT& area = ps.rcPaint;
  FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SetBkMode(dc, TRANSPARENT);
  COLORREF ink = CLR_INVALID;
  auto setInk = [&](COLORREF colour) {
    if (colour != ink) SetTextColor(dc, ink = colour);
  };
  const Selection selection = m_doc.GetSelection();
  const int32_t columns = VisibleColumns() + 1;
  const bool syntax = m_syntaxColours && *m_syntaxColours;
  const int32_t first = m_topLine + std::max<int32_t>(area.top, 0) / m_lineHeight;
  const int32_t last = std::min<int32_t>(RowCount(), m_topLine + (area.bottom + m_lineHeight - 1) / m_lineHeight);
  std::string text;
  int32_t shownLine = -1;
  for (int32_t row = first; row < last; ++row) {
    const int y = (row - m_topLine) * m_lineHeight;
    // A row of a wrapped line shows its part of the line, coloured as the whole line is.
    const RowSpan span = m_wrap ? m_layout.Row(row) : RowSpan{row, m_leftColumn, columns};
    if (span.line != shownLine) {
      text = m_doc.DisplayText(span.line);
      shownLine = span.line;
    }
    for (const ColourRun& run : ColourLine(text, span.start, span.length, span.line + 1, selection, syntax)) {
      const int x = kLeftMargin + (run.column - span.start) * m_charWidth;
      const char* chars = text.data() + run.column;
      if (run.selected) {
        RECT box = {x, y, x + run.length * m_charWidth, y + m_lineHeight};
        FillRect(dc, &box, GetSysColorBrush(COLOR_HIGHLIGHT));
        setInk(GetSysColor(COLOR_HIGHLIGHTTEXT));
      } else {
        setInk(InkColour(run.ink));
      }
      TextOutA(dc, x, y, chars, run.length);
      if (run.bold) TextOutA(dc, x + 1, y, chars, run.length);
    }
  }
  BitBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top, dc, area.left, area.top, SRCCOPY);
  SelectObject(dc, oldFont);
  SelectObject(dc, oldBitmap);
  DeleteDC(dc);
  EndPaint(m_hwnd, &ps);
}

void EditControl::Cut() {
  if (!m_doc.HasSelection()) return;
  Copy();
  m_doc.DeleteSelection();
  Changed();
}

void EditControl::Copy() {
  if (!m_doc.HasSelection() || !OpenClipboard(m_hwnd)) return;
  const std::string text = m_doc.SelectedText();
  EmptyClipboard();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  if (memory) {
    char* bytes = static_cast<char*>(GlobalLock(memory));
    memcpy(bytes, text.c_str(), text.size() + 1);
    GlobalUnlock(memory);
    if (!SetClipboardData(CF_TEXT, memory)) GlobalFree(memory);
  }
  CloseClipboard();
}

void EditControl::Paste() {
  if (!IsClipboardFormatAvailable(CF_TEXT) || !OpenClipboard(m_hwnd)) return;
  std::string text;
  if (HANDLE memory = GetClipboardData(CF_TEXT)) {
    if (const char* bytes = static_cast<const char*>(GlobalLock(memory))) {
      text.assign(bytes, strnlen(bytes, GlobalSize(memory)));
      GlobalUnlock(memory);
    }
  }
  CloseClipboard();
  if (!text.empty()) m_doc.InsertText(text);
  Changed();
}

void EditControl::KeyDown(WPARAM key) {
  const bool ctrl = Pressed(VK_CONTROL), shift = Pressed(VK_SHIFT);
  if (key == VK_CONTROL || key == VK_SHIFT || key == VK_MENU) return;  // chords wait for a key
  if (m_chord) {
    // The second key of Ctrl+K: R and W in both tables, with or without Ctrl.
    m_chord = false;
    m_swallowChar = true;
    if (key == 'R') onUserCommand(256);
    if (key == 'W') onUserCommand(257);
    return;
  }
  if (ctrl && !Pressed(VK_MENU)) {
    switch (key) {
      case 'K': m_chord = true; m_swallowChar = true; return;
      case 'S': m_swallowChar = true; onUserCommand(258); return;
      case 'C': Copy(); return;
      case 'X': Cut(); return;
      case 'V': Paste(); return;
      case 'Z': m_doc.Undo(); Changed(); return;
      default: break;
    }
  }
  const LineColumn place = m_doc.CaretPlace();
  const int32_t line = place.line - 1;
  // Up and down keep a column: of the line, or with word wrap of the row.
  const int32_t caretRow = CaretRow();
  if (m_wantColumn < 0) m_wantColumn = m_wrap ? place.column - m_layout.Row(caretRow).start : place.column;
  switch (key) {
    case VK_LEFT:
      if (ctrl) {
        size_t pos = m_doc.Caret();
        while (pos > 0 && !IsWordChar(static_cast<unsigned char>(m_doc.At(pos - 1)))) --pos;
        while (pos > 0 && IsWordChar(static_cast<unsigned char>(m_doc.At(pos - 1)))) --pos;
        MoveCaret(pos, shift);
      } else if (m_doc.HasSelection() && !shift) {
        MoveCaret(m_doc.SelectionFrom(), false);
      } else if (m_doc.Caret() > 0) {
        const size_t start = m_doc.LineStart(line);
        MoveCaret(m_doc.Caret() == start ? m_doc.LineEnd(line - 1) : m_doc.Caret() - 1, shift);
      }
      break;
    case VK_RIGHT:
      if (ctrl) {
        size_t pos = m_doc.Caret();
        while (pos < m_doc.Size() && IsWordChar(static_cast<unsigned char>(m_doc.At(pos)))) ++pos;
        while (pos < m_doc.Size() && !IsWordChar(static_cast<unsigned char>(m_doc.At(pos)))) ++pos;
        MoveCaret(pos, shift);
      } else if (m_doc.HasSelection() && !shift) {
        MoveCaret(m_doc.SelectionTo(), false);
      } else if (m_doc.Caret() < m_doc.Size()) {
        MoveCaret(m_doc.Caret() == m_doc.LineEnd(line) ? m_doc.LineStart(line + 1) : m_doc.Caret() + 1, shift);
      }
      break;
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT: {
      const int32_t step = (key == VK_UP || key == VK_DOWN) ? 1 : std::max(VisibleLines() - 1, 1);
      const int32_t from = m_wrap ? caretRow : line;
      const int32_t target = key == VK_UP || key == VK_PRIOR ? from - step : from + step;
      if (key == VK_PRIOR) ScrollTo(m_topLine - step, m_leftColumn);
      if (key == VK_NEXT) ScrollTo(m_topLine + step, m_leftColumn);
      if (m_wrap) {
        MoveCaret(m_doc.PositionOf(m_layout.PlaceAt(std::max(target, 0), m_wantColumn - 1)), shift, true);
      } else {
        MoveCaret(m_doc.PositionOf({std::max(target, 0) + 1, m_wantColumn}), shift, true);
      }
      break;
    }
    case VK_HOME:
      MoveCaret(ctrl ? 0 : m_doc.LineStart(line), shift);
      break;
    case VK_END:
      MoveCaret(ctrl ? m_doc.Size() : m_doc.LineEnd(line), shift);
      break;
    case VK_DELETE:
      if (!shift && !ctrl) {
        m_doc.DeleteForward();
        Changed();
      }
      break;
    case VK_INSERT:
      if (!shift && !ctrl) {
        m_overwrite = !m_overwrite;
        if (m_focused) {
          // The caret is a block while typing overwrites.
          DestroyCaret();
          CreateCaret(m_hwnd, nullptr, m_overwrite ? m_charWidth : 2, m_lineHeight);
          ShowCaret(m_hwnd);
          PlaceCaret();
        }
      }
      break;
    default:
      break;
  }
}

void EditControl::Char(WPARAM c) {
  if (m_swallowChar) {
    m_swallowChar = false;
    return;
  }
  if (Pressed(VK_CONTROL) && !Pressed(VK_MENU) && c < 32) return;
  // A character typed, or one taken back, inside a line without a selection changes that line
  // only: only its row is drawn again.
  const uint64_t revision = m_doc.Revision();
  const int32_t lines = m_doc.LineCount(), line = m_doc.CaretPlace().line - 1;
  const bool withinLine = !m_wrap && !m_doc.HasSelection() && c != '\r' &&
                          (c != '\b' || m_doc.Caret() > m_doc.LineStart(line));
  switch (c) {
    case '\b': m_doc.Backspace(); break;
    case '\r': m_doc.NewLine(true); break;
    case '\t': m_doc.TypeChar('\t', m_overwrite); break;
    default:
      if (c < 32 || c == 127) return;
      m_doc.TypeChar(static_cast<char>(c), m_overwrite);
      break;
  }
  m_wantColumn = -1;
  if (withinLine && m_doc.Revision() == revision + 1 && m_doc.LineCount() == lines &&
      m_doc.CaretPlace().line - 1 == line) {
    m_changedLine = line;
    m_changedFromRevision = revision;
  }
  Changed();
}

LRESULT EditControl::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      SetFont(FontSetting{});
      return 0;
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      // The wrap column follows the visible columns, except while minimised.
      if (wparam != SIZE_MINIMIZED) m_wrapColumn = std::max<int32_t>(VisibleColumns(), 1);
      m_redrawAll = true;
      Changed();
      return 0;
    case WM_SETFOCUS:
      m_focused = true;
      CreateCaret(m_hwnd, nullptr, m_overwrite ? m_charWidth : 2, m_lineHeight);
      PlaceCaret();
      ShowCaret(m_hwnd);
      // The window learns of the focus (it sets the check marks and the status).
      SendMessageA(GetParent(m_hwnd), WM_COMMAND, MAKEWPARAM(0, EN_SETFOCUS), reinterpret_cast<LPARAM>(m_hwnd));
      return 0;
    case WM_KILLFOCUS:
      m_focused = false;
      DestroyCaret();
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTALLKEYS | DLGC_WANTCHARS | DLGC_WANTTAB;
    case WM_KEYDOWN:
      KeyDown(wparam);
      return 0;
    case WM_KEYUP:
      if (onStatus) onStatus();
      return 0;
    case WM_CHAR:
      Char(wparam);
      if (onStatus) onStatus();  // characters may come without key presses (pasted, composed)
      return 0;
    case WM_LBUTTONDOWN:
      SetFocus(m_hwnd);
      SetCapture(m_hwnd);
      MoveCaret(PositionAt(static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))),
                (wparam & MK_SHIFT) != 0);
      return 0;
    case WM_MOUSEMOVE:
      if (GetCapture() == m_hwnd) {
        MoveCaret(PositionAt(static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))), true);
      }
      return 0;
    case WM_LBUTTONUP:
      if (GetCapture() == m_hwnd) ReleaseCapture();
      if (onStatus) onStatus();
      return 0;
    case WM_MOUSEWHEEL:
      ScrollTo(m_topLine - static_cast<short>(HIWORD(wparam)) / WHEEL_DELTA * 3, m_leftColumn);
      return 0;
    case WM_VSCROLL:
    case WM_HSCROLL: {
      const bool vertical = message == WM_VSCROLL;
      const int32_t page = vertical ? VisibleLines() : VisibleColumns();
      int32_t pos = vertical ? m_topLine : m_leftColumn;
      switch (LOWORD(wparam)) {
        case SB_LINEUP: --pos; break;
        case SB_LINEDOWN: ++pos; break;
        case SB_PAGEUP: pos -= page; break;
        case SB_PAGEDOWN: pos += page; break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
          SCROLLINFO info = {};
          info.cbSize = sizeof(info);
          info.fMask = SIF_TRACKPOS;
          GetScrollInfo(m_hwnd, vertical ? SB_VERT : SB_HORZ, &info);
          pos = info.nTrackPos;
          break;
        }
        default: break;
      }
      if (vertical) {
        ScrollTo(pos, m_leftColumn);
      } else {
        ScrollTo(m_topLine, pos);
      }
      return 0;
    }
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(std::min<size_t>(m_doc.Size(), 0x7FFFFFFF));
    case WM_GETTEXT: {
      // The text for tools that read the control, cut to their buffer.
      if (wparam == 0) return 0;
      const std::string text = m_doc.Bytes();
      const size_t count = std::min<size_t>(text.size(), wparam - 1);
      memcpy(reinterpret_cast<char*>(lparam), text.data(), count);
      reinterpret_cast<char*>(lparam)[count] = '\0';
      return static_cast<LRESULT>(count);
    }
    default:
      return DefWindowProcA(m_hwnd, message, wparam, lparam);
  }
}

}  // namespace talven::editor
