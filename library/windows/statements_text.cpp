// Text-grid and drawing-state statements: TBOX, TEXTCOLOR, ORIENTATION, CHARSET,
// STARTPAINT, ENDPAINT, SHOWCURSOR.

#include <string>

#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/evaluator.h"
#include "library/windows/colors.h"
#include "library/windows/statements.h"
#include "library/windows/window_state.h"

namespace talven {

namespace {

// The frame characters of the four TBOX styles in the OEM code page: corners top left,
// top right, bottom left, bottom right, then horizontal and vertical. 0 single lines,
// 1 double lines, 2 double verticals, 3 double horizontals.
constexpr char kFrames[4][6] = {
    {'\xDA', '\xBF', '\xC0', '\xD9', '\xC4', '\xB3'},
    {'\xC9', '\xBB', '\xC8', '\xBC', '\xCD', '\xBA'},
    {'\xD6', '\xB7', '\xD3', '\xBD', '\xC4', '\xBA'},
    {'\xD5', '\xB8', '\xD4', '\xBE', '\xCD', '\xB3'},
};

void PutAt(Engine& engine, int32_t row, int32_t column, std::string_view text) {
  WindowOf(engine).grid->Locate(row, column);
  WriteText(engine, text);
}

}  // namespace

// TBOX row1, col1 - row2, col2 ; style: a frame on the border cells of the rectangle
// (1-based, corners included). The cursor is put back where it was.
void StmtTBox(Engine& engine) {
  engine.handled = true;
  if (WindowOf(engine).printing) {
    Error(engine, ErrorCode::ForbiddenWhilePrinting, engine.word);
    return;
  }
  const int32_t row1 = EvaluateInteger(engine, ",") - 1;
  const int32_t column1 = EvaluateInteger(engine, "-") - 1;
  const int32_t row2 = EvaluateInteger(engine, ",") - 1;
  const int32_t column2 = EvaluateInteger(engine, ";") - 1;
  const int32_t style = engine.param.empty() ? 0 : EvaluateInteger(engine, ",");
  EnsureWindow(engine);
  TextGrid& grid = *WindowOf(engine).grid;
  if (row1 < 0 || column1 < 0 || row2 >= grid.Rows() || column2 >= grid.Columns() ||
      row2 < row1 || column2 < column1) {
    Error(engine, ErrorCode::BoxOutsideWindow);
    return;
  }
  const char* frame = kFrames[((style % 4) + 4) % 4];
  const int32_t cursorRow = grid.CursorRow();
  const int32_t cursorColumn = grid.CursorColumn();
  const int32_t inner = column2 - column1 - 1;
  // The last cell of the grid is written last and alone, so that no wrap scrolls the grid.
  auto line = [&](char left, char middle, char right) {
    std::string text(1, left);
    if (inner > 0) text.append(static_cast<size_t>(inner), middle);
    if (column2 > column1) text.push_back(right);
    return text;
  };
  auto put = [&](int32_t row, const std::string& text) {
    const bool lastCell = row == grid.Rows() - 1 && column1 + static_cast<int32_t>(text.size()) == grid.Columns();
    if (lastCell && text.size() > 1) {
      PutAt(engine, row, column1, text.substr(0, text.size() - 1));
    } else if (!lastCell) {
      PutAt(engine, row, column1, text);
    }
  };
  put(row1, line(frame[0], frame[4], frame[1]));
  for (int32_t row = row1 + 1; row < row2; ++row) {
    PutAt(engine, row, column1, std::string(1, frame[5]));
    if (column2 > column1 && !(row == grid.Rows() - 1 && column2 == grid.Columns() - 1)) {
      PutAt(engine, row, column2, std::string(1, frame[5]));
    }
  }
  if (row2 > row1) put(row2, line(frame[2], frame[4], frame[3]));
  grid.Locate(cursorRow, cursorColumn);
}

// TEXTCOLOR foreground, background: the colours of text drawn at pixel positions; a
// background of -1 draws transparently.
void StmtTextColor(Engine& engine) {
  engine.handled = true;
  const int32_t foreground = EvaluateInteger(engine, ",");
  const int32_t background = EvaluateInteger(engine, ",");
  WindowState& window = WindowOf(engine);
  window.textForeground = ConvertColor(foreground, engine.functions.trueColor);
  window.textTransparent = background == -1;
  if (!window.textTransparent) window.textBackground = ConvertColor(background, engine.functions.trueColor);
}

void StmtOrientation(Engine& engine) {
  engine.handled = true;
  WindowOf(engine).orientation = EvaluateInteger(engine, ",");
}

// CHARSET n: 0 ANSI, 1 OEM, 2 symbol for later USEFONT fonts; other values leave it.
void StmtCharset(Engine& engine) {
  engine.handled = true;
  const int32_t choice = EvaluateInteger(engine, ",");
  static constexpr int32_t kCharsets[3] = {0, 255, 2};
  if (choice >= 0 && choice <= 2) WindowOf(engine).charset = kCharsets[choice];
}

void StmtStartPaint(Engine& engine) {
  engine.handled = true;
  WindowState& window = WindowOf(engine);
  if (window.printing) {
    Error(engine, ErrorCode::ForbiddenWhilePrinting, engine.word);
    return;
  }
  if (window.paintTarget.has_value()) {
    Error(engine, ErrorCode::ForbiddenWhilePainting, engine.word);
    return;
  }
  const int32_t target = EvaluateInteger(engine, ",");
  window.paintTarget = target;
  EnsureWindow(engine).RedirectPaint(static_cast<intptr_t>(target));
}

void StmtEndPaint(Engine& engine) {
  engine.handled = true;
  WindowState& window = WindowOf(engine);
  if (!window.paintTarget.has_value()) {
    Error(engine, ErrorCode::StartPaintMissing);
    return;
  }
  window.paintTarget.reset();
  WindowPlatformOf(engine).EndRedirect();
  engine.host.PumpMessages(true);
}

void StmtShowCursor(Engine& engine) {
  engine.handled = true;
  const int32_t flag = EvaluateInteger(engine, ",");
  if (flag != 0) engine.host.ShowMouseCursor();
}

}  // namespace talven
