#include "library/library_values.h"

#include <string>

#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/evaluator.h"
#include "engine/function_handlers.h"
#include "library/files/file_slots.h"
#include "library/system/functions.h"
#include "library/windows/window_functions.h"
#include "library/windows/window_state.h"

namespace talven {

namespace {

// Reads of the input state let pending messages arrive first.
InputState& FreshInput(Engine& engine) {
  if (engine.host.Window().Exists()) engine.host.PumpMessages(true);
  return engine.window.input;
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
  const char c = engine.window.grid->CharAt(row - 1, column - 1);
  ResultInteger(engine, static_cast<unsigned char>(c));
}

// @TAB(column): the cursor moves to the column, on the next line when already past it.
void FunctionTab(Engine& engine) {
  const int32_t column = EvaluateInteger(engine, ",");
  EnsureWindow(engine);
  TextGrid& grid = *engine.window.grid;
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
  InputState& input = engine.window.input;
  input.key = 0;
  for (;;) {
    if (engine.host.PumpMessages(true) == PumpResult::Quit) throw RunEnd{255};
    if (input.key != 0) break;
    platform.WaitForMessage();
  }
  SetStringValue(engine.reg, std::string(1, static_cast<char>(input.key)));
}

void FunctionEof(Engine& engine) {
  const int32_t slot = ReadFileSlot(engine);
  ResultInteger(engine, slot == 0 ? 1 : (AtTextEnd(engine, slot) ? 1 : 0));
}

}  // namespace

bool CallLibraryFunction(Engine& engine, std::string_view name) {
  if (CallSystemFunction(engine, name)) return true;
  if (name == "SCRN") {
    FunctionScrn(engine);
  } else if (name == "TAB") {
    FunctionTab(engine);
  } else if (name == "INKEY$") {
    FunctionInkey(engine);
  } else if (name == "GETKEY$") {
    FunctionGetKey(engine);
  } else if (name == "SCANKEY") {
    const int32_t code = EvaluateInteger(engine, ",");
    ResultInteger(engine, FreshInput(engine).scanCode == code ? 1 : 0);
  } else if (name == "KEYIN") {
    Evaluate(engine, ",", EvalMode::String);
    const std::string set = engine.reg.Text();
    const int32_t key = FreshInput(engine).key;
    ResultInteger(engine, key != 0 && set.find(static_cast<char>(key)) != std::string::npos ? 1 : 0);
  } else if (name == "MOUSE") {
    const Corners box = ReadCorners(engine);
    const InputState& input = FreshInput(engine);
    ResultInteger(engine, Inside(input.mouseX, input.mouseY, box) ? 1 : 0);
  } else if (name == "TMOUSE") {
    const Corners cells = ReadCorners(engine);
    const InputState& input = FreshInput(engine);
    // Rows and columns of cells of 8 by 13 pixels; corners are row, column.
    const int32_t row = input.mouseY / 13 + 1;
    const int32_t column = input.mouseX / 8 + 1;
    ResultInteger(engine, Inside(column, row, Corners{cells.b, cells.a, cells.d, cells.c}) ? 1 : 0);
  } else if (name == "MENUITEM") {
    const int32_t id = EvaluateInteger(engine, ",");
    ResultInteger(engine, FreshInput(engine).menuItem == id ? 1 : 0);
  } else if (name == "EOF") {
    FunctionEof(engine);
  } else {
    // The window functions on handles, fonts and messages.
    return CallWindowFunction(engine, name);
  }
  return true;
}

bool ReadLibraryVariable(Engine& engine, std::string_view name) {
  WindowState& window = engine.window;
  InputState& input = window.input;
  const TextGrid* grid = window.grid ? &*window.grid : nullptr;
  if (name == "%CSRLIN") {
    ResultInteger(engine, grid != nullptr ? grid->CursorRow() + 1 : 1);
  } else if (name == "%POS") {
    ResultInteger(engine, grid != nullptr ? grid->CursorColumn() + 1 : 1);
  } else if (name == "%KEY") {
    ResultInteger(engine, FreshInput(engine).key);
  } else if (name == "%SCANKEY") {
    ResultInteger(engine, FreshInput(engine).scanCode);
  } else if (name == "%MOUSEX") {
    ResultInteger(engine, FreshInput(engine).mouseX);
  } else if (name == "%MOUSEY") {
    ResultInteger(engine, FreshInput(engine).mouseY);
  } else if (name == "%MOUSEKEY" || name == "%MOUSEPRESSED") {
    FreshInput(engine);
    ResultInteger(engine, input.leftButton ? 1 : (input.rightButton ? 2 : 0));
    if (name == "%MOUSEKEY") input.leftButton = input.rightButton = false;
  } else if (name == "%MENUITEM") {
    ResultInteger(engine, FreshInput(engine).menuItem);
  } else if (name == "%GETINPUTSTATE" || name == "%WMPAINT" || name == "%WMTIMER") {
    FreshInput(engine);
    bool& flag = name == "%WMPAINT"   ? input.paintRequested
                 : name == "%WMTIMER" ? input.timerTicked
                                      : input.inputSeen;
    ResultInteger(engine, flag ? 1 : 0);
    flag = false;
  } else if (name == "%MESSAGE") {
    ResultInteger(engine, static_cast<int32_t>(input.lastMessage));
  } else if (name == "%MWND") {
    ResultInteger(engine, static_cast<int32_t>(input.lastWindow));
  } else if (name == "&WPARAM") {
    ResultLong(engine, static_cast<int32_t>(input.lastWParam));
  } else if (name == "&LPARAM") {
    ResultLong(engine, static_cast<int32_t>(input.lastLParam));
  } else if (name == "%LASTMESSAGE") {
    ResultInteger(engine, static_cast<int32_t>(input.endingMessage));
  } else if (name == "%MAXX" || name == "%MAXY") {
    const WindowMetrics metrics = engine.host.Window().Metrics();
    ResultInteger(engine, name == "%MAXX" ? metrics.screenWidth : metrics.screenHeight);
  } else if (name == "%HWND") {
    ResultInteger(engine, static_cast<int32_t>(engine.host.Window().NativeHandle()));
  } else if (name == "%IORESULT") {
    ResultInteger(engine, engine.files.ioResult);
    engine.files.ioResult = 0;
  } else {
    // The window's handles, edges, fonts, messages and the values of the last INPUT.
    return ReadWindowVariable(engine, name);
  }
  return true;
}

}  // namespace talven
