// The window's functions and system variables of the text grid and the input state.

#include "library/windows/window_functions.h"

#include <string>

#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/evaluator.h"
#include "engine/function_handlers.h"
#include "library/windows/window_state.h"

namespace talven {

namespace {

// Reads of the input state let pending messages arrive first.
InputState& FreshInput(Engine& engine) {
  if (WindowPlatformOf(engine).Exists()) engine.host.PumpMessages(true);
  return WindowOf(engine).input;
}

// Two corners written "a, b - c, d".
struct Corners {
  int32_t a, b, c, d;
};

Corners ReadCorners(Engine& engine) {
  Corners corners{};
  corners.a = EvaluateInteger(engine, ",");
  corners.b = EvaluateInteger(engine, "-");
  corners.c = EvaluateInteger(engine, ",");
  corners.d = EvaluateInteger(engine, ",");
  return corners;
}

bool Inside(int32_t x, int32_t y, const Corners& box) {
  return x >= box.a && x <= box.c && y >= box.b && y <= box.d;
}

// @SCRN(column, row): the character code of a cell, 1-based.
void FunctionScrn(Engine& engine) {
  const int32_t column = EvaluateInteger(engine, ",");
  const int32_t row = EvaluateInteger(engine, ",");
  EnsureWindow(engine);
  const char c = WindowOf(engine).grid->CharAt(row - 1, column - 1);
  ResultInteger(engine, static_cast<unsigned char>(c));
}

// @TAB(column): the cursor moves to the column, on the next line when already past it.
void FunctionTab(Engine& engine) {
  const int32_t column = EvaluateInteger(engine, ",");
  EnsureWindow(engine);
  TextGrid& grid = *WindowOf(engine).grid;
  if (grid.CursorColumn() > column - 1) WriteLineEnd(engine);
  grid.Locate(grid.CursorRow(), column - 1);
  SetStringValue(engine.reg, std::string());
}

void FunctionInkey(Engine& engine) {
  InputState& input = FreshInput(engine);
  std::string text;
  if (input.key != 0) text.push_back(static_cast<char>(input.key));
  input.key = 0;
  SetStringValue(engine.reg, text);
}

void FunctionGetKey(Engine& engine) {
  WindowPlatform& platform = EnsureWindow(engine);
  InputState& input = WindowOf(engine).input;
  input.key = 0;
  for (;;) {
    if (engine.host.PumpMessages(true) == PumpResult::Quit) throw RunEnd{255};
    if (input.key != 0) break;
    platform.WaitForMessage();
  }
  SetStringValue(engine.reg, std::string(1, static_cast<char>(input.key)));
}

}  // namespace

void FnScrn(Engine& engine, std::string_view) { FunctionScrn(engine); }
void FnTab(Engine& engine, std::string_view) { FunctionTab(engine); }
void FnInkey(Engine& engine, std::string_view) { FunctionInkey(engine); }
void FnGetKey(Engine& engine, std::string_view) { FunctionGetKey(engine); }

void FnScanKey(Engine& engine, std::string_view) {
  const int32_t code = EvaluateInteger(engine, ",");
  ResultInteger(engine, FreshInput(engine).scanCode == code ? 1 : 0);
}

void FnKeyIn(Engine& engine, std::string_view) {
  Evaluate(engine, ",", EvalMode::String);
  const std::string set = engine.reg.Text();
  const int32_t key = FreshInput(engine).key;
  ResultInteger(engine, key != 0 && set.find(static_cast<char>(key)) != std::string::npos ? 1 : 0);
}

void FnMouse(Engine& engine, std::string_view) {
  const Corners box = ReadCorners(engine);
  const InputState& input = FreshInput(engine);
  ResultInteger(engine, Inside(input.mouseX, input.mouseY, box) ? 1 : 0);
}

void FnTMouse(Engine& engine, std::string_view) {
  const Corners cells = ReadCorners(engine);
  const InputState& input = FreshInput(engine);
  // Rows and columns of cells of 8 by 13 pixels; corners are row, column.
  const int32_t row = input.mouseY / 13 + 1;
  const int32_t column = input.mouseX / 8 + 1;
  ResultInteger(engine, Inside(column, row, Corners{cells.b, cells.a, cells.d, cells.c}) ? 1 : 0);
}

void FnMenuItem(Engine& engine, std::string_view) {
  const int32_t id = EvaluateInteger(engine, ",");
  ResultInteger(engine, FreshInput(engine).menuItem == id ? 1 : 0);
}

void ReadCursorRow(Engine& engine, std::string_view) {
  const WindowState& window = WindowOf(engine);
  ResultInteger(engine, window.grid ? window.grid->CursorRow() + 1 : 1);
}

void ReadCursorColumn(Engine& engine, std::string_view) {
  const WindowState& window = WindowOf(engine);
  ResultInteger(engine, window.grid ? window.grid->CursorColumn() + 1 : 1);
}

void ReadKey(Engine& engine, std::string_view) { ResultInteger(engine, FreshInput(engine).key); }
void ReadScanKey(Engine& engine, std::string_view) { ResultInteger(engine, FreshInput(engine).scanCode); }
void ReadMouseX(Engine& engine, std::string_view) { ResultInteger(engine, FreshInput(engine).mouseX); }
void ReadMouseY(Engine& engine, std::string_view) { ResultInteger(engine, FreshInput(engine).mouseY); }

// %MOUSEKEY reads and clears the buttons, %MOUSEPRESSED only reads them.
void ReadMouseButtons(Engine& engine, std::string_view name) {
  InputState& input = FreshInput(engine);
  ResultInteger(engine, input.leftButton ? 1 : (input.rightButton ? 2 : 0));
  if (name == "%MOUSEKEY") input.leftButton = input.rightButton = false;
}

void ReadMenuItem(Engine& engine, std::string_view) { ResultInteger(engine, FreshInput(engine).menuItem); }

// %GETINPUTSTATE, %WMPAINT, %WMTIMER: read and cleared.
void ReadInputFlag(Engine& engine, std::string_view name) {
  InputState& input = FreshInput(engine);
  bool& flag = name == "%WMPAINT"   ? input.paintRequested
               : name == "%WMTIMER" ? input.timerTicked
                                    : input.inputSeen;
  ResultInteger(engine, flag ? 1 : 0);
  flag = false;
}

void ReadMessage(Engine& engine, std::string_view) {
  ResultInteger(engine, static_cast<int32_t>(WindowOf(engine).input.lastMessage));
}
void ReadMessageWindow(Engine& engine, std::string_view) {
  ResultInteger(engine, static_cast<int32_t>(WindowOf(engine).input.lastWindow));
}
void ReadWParam(Engine& engine, std::string_view) {
  ResultLong(engine, static_cast<int32_t>(WindowOf(engine).input.lastWParam));
}
void ReadLParam(Engine& engine, std::string_view) {
  ResultLong(engine, static_cast<int32_t>(WindowOf(engine).input.lastLParam));
}
void ReadLastMessage(Engine& engine, std::string_view) {
  ResultInteger(engine, static_cast<int32_t>(WindowOf(engine).input.endingMessage));
}

// %MAXX, %MAXY: the screen.
void ReadScreenSize(Engine& engine, std::string_view name) {
  const WindowMetrics metrics = WindowPlatformOf(engine).Metrics();
  ResultInteger(engine, name == "%MAXX" ? metrics.screenWidth : metrics.screenHeight);
}

void ReadWindowHandle(Engine& engine, std::string_view) {
  ResultInteger(engine, static_cast<int32_t>(WindowPlatformOf(engine).NativeHandle()));
}

}  // namespace talven
