// The output window and text statements: WINDOW, WINDOWTITLE, WINDOWSTYLE, SHOWMAX,
// SHOWMIN, SHOWNORMAL, CLS, PRINT, LOCATE, COLOR, TEXTCOLOR, FONT, REPAINT, SETAUTOPAINT,
// SETTIMER, KILLTIMER, USECURSOR.

#include <string>

#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/evaluator.h"
#include "library/files/file_slots.h"
#include "library/windows/colors.h"
#include "library/windows/statements.h"
#include "library/windows/window_state.h"

namespace talven {

namespace {

constexpr int32_t kHighestCursor = 16;

// Statements that draw on the window are refused while a print job is open.
bool RefusedWhilePrinting(Engine& engine) {
  if (!WindowOf(engine).printing) return false;
  Error(engine, ErrorCode::ForbiddenWhilePrinting, engine.word);
  return true;
}

std::string RightAligned(std::string text, int32_t width) {
  if (width > 0 && text.size() < static_cast<size_t>(width)) {
    text.insert(0, static_cast<size_t>(width) - text.size(), ' ');
  }
  return text;
}

}  // namespace

// WINDOW x, y - width, height
void StmtWindow(Engine& engine) {
  engine.handled = true;
  const int32_t left = EvaluateInteger(engine, ",");
  const int32_t top = EvaluateInteger(engine, "-");
  const int32_t width = EvaluateInteger(engine, ",");
  const int32_t height = EvaluateInteger(engine, ",");
  // A warning: when the program goes on, the values are taken as given.
  if (left < 0 || top < 0 || width < 0 || height < 0) Warn(engine, ErrorCode::NegativeWindowSize);
  WindowState& window = WindowOf(engine);
  window.setup.left = left;
  window.setup.top = top;
  window.setup.width = width;
  window.setup.height = height;
  window.gridColumns = width / 8;
  window.gridRows = height / 15;
  WindowPlatform& platform = EnsureWindow(engine);
  platform.Place(left, top, width, height);
  window.grid->Resize(window.gridColumns, window.gridRows);
  platform.Invalidate();
}

void StmtWindowTitle(Engine& engine) {
  engine.handled = true;
  Evaluate(engine, ",", EvalMode::String);
  WindowOf(engine).setup.title = engine.reg.Text();
  WindowPlatform& platform = WindowPlatformOf(engine);
  if (platform.Exists()) platform.SetTitle(WindowOf(engine).setup.title);
}

// Fixed before the window exists; afterwards the value is kept but changes nothing.
void StmtWindowStyle(Engine& engine) {
  engine.handled = true;
  const int32_t style = EvaluateInteger(engine, ",");
  if (!WindowPlatformOf(engine).Exists()) WindowOf(engine).setup.styleBits = static_cast<uint32_t>(style);
}

static void Show(Engine& engine, ShowMode mode) {
  engine.handled = true;
  EnsureWindow(engine).Show(mode);
}
void StmtShowMax(Engine& engine) { Show(engine, ShowMode::Maximized); }
void StmtShowMin(Engine& engine) { Show(engine, ShowMode::Minimized); }
void StmtShowNormal(Engine& engine) { Show(engine, ShowMode::Normal); }

void StmtCls(Engine& engine) {
  engine.handled = true;
  if (RefusedWhilePrinting(engine)) return;
  Color color = 0xFFFFFF;
  if (!engine.param.empty()) color = ConvertColor(EvaluateInteger(engine, ","), engine.functions.trueColor);
  WindowPlatform& platform = EnsureWindow(engine);
  WindowOf(engine).grid->Clear();
  WindowOf(engine).origin = CellOrigin{};
  platform.FillScreen(color);
  platform.Invalidate();
}

// PRINT [#n,] items: a string in a field of STRWIDTH, a number by its type
// (formatted with NUMWIDTH and DECIMALS); "," adds one blank, ";" nothing; the line ends
// after the last item. A list that ends with its separator keeps the line open. With a
// file slot the same text goes to the slot's file, lines ending in CR LF.
void StmtPrint(Engine& engine) {
  engine.handled = true;
  int32_t slot = 0;
  if (!engine.param.empty() && engine.param.front() == '#') {
    slot = ReadFileSlot(engine);
    if (slot == 0) return;
  } else {
    if (RefusedWhilePrinting(engine)) return;
    EnsureWindow(engine);
  }
  auto write = [&](std::string_view text) {
    if (slot != 0) {
      WriteTextFile(engine, slot, text);
    } else {
      WriteText(engine, text);
    }
  };
  auto endLine = [&] {
    if (slot != 0) {
      WriteTextFile(engine, slot, "\r\n");
    } else {
      WriteLineEnd(engine);
    }
  };
  engine.lastSeparator = ' ';
  while (!engine.param.empty()) {
    const size_t before = engine.param.size();
    Evaluate(engine, kListItem);
    CheckProgress(before, engine.param);
    // Each item by its result type: an integer or long in a field of NUMWIDTH, a float
    // with DECIMALS places (also one an operator or a slot made, whose string register
    // holds the float form).
    const Registers& reg = engine.reg;
    std::string text;
    switch (reg.type) {
      case ValueType::String: text = RightAligned(reg.Text(), engine.format.stringWidth); break;
      case ValueType::Integer: text = FormatInteger(reg.integer, engine.format); break;
      case ValueType::Long: text = FormatInteger(reg.longValue, engine.format); break;
      case ValueType::Float: text = FormatFloat(reg.floatValue, engine.format); break;
      default: text = reg.Text(); break;
    }
    write(text);
    if (engine.lastSeparator == ',') write(" ");
    if (engine.lastSeparator == ' ') break;
  }
  if (engine.lastSeparator == ' ') endLine();
}

// LOCATE row, column: 1-based, clamped to the grid.
void StmtLocate(Engine& engine) {
  engine.handled = true;
  const int32_t row = EvaluateInteger(engine, ",");
  const int32_t column = EvaluateInteger(engine, ",");
  EnsureWindow(engine);
  WindowOf(engine).grid->Locate(row - 1, column - 1);
}

void StmtColor(Engine& engine) {
  engine.handled = true;
  if (RefusedWhilePrinting(engine)) return;
  const int32_t foreground = EvaluateInteger(engine, ",") & 15;
  const int32_t background = EvaluateInteger(engine, ",") & 15;
  WindowOf(engine).attribute = static_cast<uint8_t>(foreground | (background << 4));
  EnsureWindow(engine);
  WindowOf(engine).grid->attribute = WindowOf(engine).attribute;
}

void StmtFont(Engine& engine) {
  engine.handled = true;
  if (RefusedWhilePrinting(engine)) return;
  int32_t font = EvaluateInteger(engine, ",");
  if (font >= 4) return;
  font = ((font % 4) + 4) % 4;
  WindowOf(engine).font = font;
  if (WindowOf(engine).grid) WindowOf(engine).grid->font = static_cast<uint8_t>(font);
}

void StmtRepaint(Engine& engine) {
  engine.handled = true;
  if (RefusedWhilePrinting(engine)) return;
  WindowPlatform& platform = WindowPlatformOf(engine);
  if (WindowOf(engine).autoPaint > 0 && platform.Exists()) platform.Invalidate();
}

void StmtSetAutoPaint(Engine& engine) {
  engine.handled = true;
  const int32_t mode = EvaluateInteger(engine, ",");
  if (mode < 0 || mode > 2) Warn(engine, ErrorCode::InvalidValue);
  WindowOf(engine).autoPaint = mode;
}

void StmtSetTimer(Engine& engine) {
  engine.handled = true;
  const int32_t milliseconds = EvaluateInteger(engine, ",");
  WindowPlatform& platform = EnsureWindow(engine);
  if (WindowOf(engine).timerRunning) platform.StopTimer();
  platform.StartTimer(milliseconds);
  WindowOf(engine).timerRunning = true;
}

void StmtKillTimer(Engine& engine) {
  engine.handled = true;
  if (!WindowOf(engine).timerRunning) {
    Warn(engine, ErrorCode::SetTimerMissing);
    return;
  }
  WindowPlatformOf(engine).StopTimer();
  WindowOf(engine).timerRunning = false;
}

void StmtUseCursor(Engine& engine) {
  engine.handled = true;
  const int32_t cursor = EvaluateInteger(engine, ",");
  if (cursor < 0 || cursor > kHighestCursor) {
    Error(engine, ErrorCode::CursorNumberOutOfRange);
    return;
  }
  WindowOf(engine).cursor = cursor;
  // A window made later takes the cursor when it is created.
  WindowPlatform& platform = WindowPlatformOf(engine);
  if (platform.Exists()) platform.UseStandardCursor(cursor);
}

}  // namespace talven
