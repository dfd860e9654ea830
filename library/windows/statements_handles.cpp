// Statements on fonts, mapping, messages, icons and cursors, and on windows by handle:
// USEFONT, DRAWTEXT, SETFONT, SCREEN, GETMESSAGE, USEICON, USEEXTCURSOR, SETWINDOWPOS,
// ENABLEWINDOW, SETSTYLE, DELETEOBJECT.

#include <string>

#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/evaluator.h"
#include "library/windows/statements.h"
#include "library/windows/window_state.h"

namespace talven {

namespace {

constexpr int32_t kPrinterScale = 10;

std::string EvaluateString(Engine& engine, std::string_view separator) {
  Evaluate(engine, separator, EvalMode::String);
  return engine.reg.Text();
}

intptr_t EvaluateHandle(Engine& engine, std::string_view separator) {
  return static_cast<intptr_t>(EvaluateInteger(engine, separator));
}

}  // namespace

// USEFONT name, height, width, bold, italic, underline
void StmtUseFont(Engine& engine) {
  engine.handled = true;
  FontRequest request;
  request.name = EvaluateString(engine, ",");
  request.height = EvaluateInteger(engine, ",");
  request.width = EvaluateInteger(engine, ",");
  request.bold = EvaluateInteger(engine, ",") != 0;
  request.italic = EvaluateInteger(engine, ",") != 0;
  request.underline = EvaluateInteger(engine, ",") != 0;
  WindowState& window = WindowOf(engine);
  if (window.printing) {
    request.height *= kPrinterScale;
    request.width *= kPrinterScale;
  }
  request.orientation = window.orientation;
  request.charset = window.charset;
  EnsureWindow(engine).UseTextFont(request);
}

// DRAWTEXT x, y, text: at a pixel position (logical units after SCREEN) in the current font
// and the colours of TEXTCOLOR. Needs the window or a paint redirection.
void StmtDrawText(Engine& engine) {
  engine.handled = true;
  WindowState& window = WindowOf(engine);
  int32_t x = EvaluateInteger(engine, ",");
  int32_t y = EvaluateInteger(engine, ",");
  const std::string text = EvaluateString(engine, ",");
  WindowPlatform& platform = WindowPlatformOf(engine);
  if (!platform.Exists() && !window.paintTarget.has_value()) {
    Error(engine, ErrorCode::WindowRequired);
    return;
  }
  if (window.printing) {
    x *= kPrinterScale;
    y *= kPrinterScale;
  }
  platform.DrawTextAt(x, y, text, window.textForeground, window.textBackground,
                      window.textTransparent, window.font);
}

// SETFONT window, font: the font for a control.
void StmtSetFont(Engine& engine) {
  engine.handled = true;
  const intptr_t target = EvaluateHandle(engine, ",");
  const intptr_t font = EvaluateHandle(engine, ",");
  WindowPlatformOf(engine).SetControlFont(target, font);
}

// SCREEN width, height: later drawing in logical units of that extent.
void StmtScreen(Engine& engine) {
  engine.handled = true;
  if (WindowOf(engine).printing) {
    Error(engine, ErrorCode::ForbiddenWhilePrinting, engine.word);
    return;
  }
  const int32_t width = EvaluateInteger(engine, ",");
  const int32_t height = EvaluateInteger(engine, ",");
  EnsureWindow(engine).MapLogical(width, height);
}

// GETMESSAGE: one message from the queue, waiting for it; its fields become the last
// message and %LASTMESSAGE.
void StmtGetMessage(Engine& engine) {
  engine.handled = true;
  WindowPlatform& platform = EnsureWindow(engine);
  MessageRecord record;
  if (!platform.TakeMessage(record)) throw RunEnd{255};
  InputState& input = WindowOf(engine).input;
  input.lastWindow = record.window;
  input.lastMessage = record.message;
  input.lastWParam = record.wParam;
  input.lastLParam = record.lParam;
  input.endingMessage = record.message;
}

// USEICON name: a missing icon is a warning; the class icon then stays.
void StmtUseIcon(Engine& engine) {
  engine.handled = true;
  const std::string name = EvaluateString(engine, ",");
  if (!EnsureWindow(engine).UseIcon(name)) Warn(engine, ErrorCode::IconMissing, name);
}

// USEEXTCURSOR kind, name: 0 a cursor file, else a cursor resource of the program. A cursor
// that cannot be loaded leaves the one in use.
void StmtUseExtCursor(Engine& engine) {
  engine.handled = true;
  const int32_t kind = EvaluateInteger(engine, ",");
  const std::string name = EvaluateString(engine, ",");
  EnsureWindow(engine).UseCursorFrom(kind, name);
}

// SETWINDOWPOS window = x, y - width, height [; after]
void StmtSetWindowPos(Engine& engine) {
  engine.handled = true;
  const intptr_t target = EvaluateHandle(engine, "=");
  const int32_t left = EvaluateInteger(engine, ",");
  const int32_t top = EvaluateInteger(engine, "-");
  const int32_t width = EvaluateInteger(engine, ",");
  const int32_t height = EvaluateInteger(engine, ";");
  std::optional<intptr_t> after;
  if (!engine.param.empty()) after = EvaluateHandle(engine, ",");
  // A warning: when the program goes on, the values are taken as given.
  if (left < 0 || top < 0 || width < 0 || height < 0) Warn(engine, ErrorCode::NegativeWindowSize);
  WindowPlatform& platform = WindowPlatformOf(engine);
  if (platform.Exists() && target == platform.NativeHandle()) {
    WindowSetup& setup = WindowOf(engine).setup;
    setup.left = left;
    setup.top = top;
    setup.width = width;
    setup.height = height;
  }
  platform.PlaceWindow(target, left, top, width, height, after);
}

void StmtEnableWindow(Engine& engine) {
  engine.handled = true;
  const intptr_t target = EvaluateHandle(engine, ",");
  const int32_t flag = EvaluateInteger(engine, ",");
  WindowPlatformOf(engine).EnableWindowOf(target, flag != 0);
}

void StmtSetStyle(Engine& engine) {
  engine.handled = true;
  const intptr_t target = EvaluateHandle(engine, ",");
  const int32_t style = EvaluateInteger(engine, ",");
  WindowPlatformOf(engine).SetStyleOf(target, static_cast<uint32_t>(style));
}

void StmtDeleteObject(Engine& engine) {
  engine.handled = true;
  const intptr_t object = EvaluateHandle(engine, ",");
  WindowPlatformOf(engine).DeleteGraphicsObject(object);
}

}  // namespace talven
