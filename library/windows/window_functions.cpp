#include "library/windows/window_functions.h"

#include <string>

#include "engine/engine.h"
#include "engine/evaluator.h"
#include "engine/function_handlers.h"
#include "engine/text.h"
#include "engine/values.h"
#include "library/windows/window_state.h"

namespace talven {

namespace {

constexpr int32_t kHighestShowMode = 9;

int32_t AsInteger(intptr_t value) { return static_cast<int32_t>(value); }

intptr_t EvaluateHandle(Engine& engine) {
  return static_cast<intptr_t>(EvaluateInteger(engine, ","));
}

// One message argument: a number, or a text passed by the address of its buffer. When the
// argument is a string variable by itself, it receives the buffer's text after a send (so
// WM_GETTEXT can fill it).
struct ReadArgument {
  MessageArgument value;
  int32_t variable = -1;
};

ReadArgument EvaluateMessageArgument(Engine& engine) {
  ReadArgument argument;
  const std::string upper = UpperCase(engine.param);
  const size_t end = OperandEnd(upper, 0, ",", false);
  const std::string written(TrimControl(std::string_view(upper).substr(0, end)));
  Evaluate(engine, ",");
  if (engine.reg.type == ValueType::String) {
    argument.value.isText = true;
    argument.value.text = engine.reg.Text();
    if (!written.empty() && written.back() == '$') {
      argument.variable = engine.vars.strings.Find(written);
    }
  } else {
    argument.value.number = static_cast<intptr_t>(engine.reg.longValue);
  }
  return argument;
}

void FunctionMessage(Engine& engine, Delivery how) {
  const intptr_t target = EvaluateHandle(engine);
  const uint32_t message = static_cast<uint32_t>(EvaluateInteger(engine, ","));
  ReadArgument wParam = EvaluateMessageArgument(engine);
  ReadArgument lParam = EvaluateMessageArgument(engine);
  const intptr_t result =
      WindowPlatformOf(engine).Deliver(target, message, wParam.value, lParam.value, how);
  if (how == Delivery::Send) {
    for (const ReadArgument* argument : {&wParam, &lParam}) {
      if (argument->variable >= 0) {
        engine.vars.strings.Value(argument->variable) = argument->value.text;
      }
    }
  }
  ResultInteger(engine, AsInteger(result));
}

// The focus as the program sees it: the window recorded at the last event, else the one
// that has the keyboard focus now.
intptr_t FocusSeen(Engine& engine) {
  const InputState& input = WindowOf(engine).input;
  return input.focus != 0 ? input.focus : WindowPlatformOf(engine).FocusWindow();
}

}  // namespace

void FnFindWindow(Engine& engine, std::string_view) {
  Evaluate(engine, ",", EvalMode::String);
  ResultInteger(engine, AsInteger(WindowPlatformOf(engine).FindByTitle(engine.reg.Text())));
}

void FnGetActiveWindow(Engine& engine, std::string_view) {
  ResultInteger(engine, AsInteger(WindowPlatformOf(engine).ActiveWindow()));
}

void FnSetActiveWindow(Engine& engine, std::string_view) {
  ResultInteger(engine, AsInteger(WindowPlatformOf(engine).Activate(EvaluateHandle(engine))));
}

void FnShowWindow(Engine& engine, std::string_view) {
  const intptr_t target = EvaluateHandle(engine);
  int32_t mode = EvaluateInteger(engine, ",");
  if (mode < 0 || mode > kHighestShowMode) mode = 0;
  ResultInteger(engine, WindowPlatformOf(engine).ShowWindowAs(target, mode) ? 1 : 0);
}

void FnSetFocus(Engine& engine, std::string_view) {
  ResultInteger(engine, AsInteger(WindowPlatformOf(engine).SetFocusTo(EvaluateHandle(engine))));
}

// After F1 the program asks with the negated handle for which window help was asked.
void FnGetFocus(Engine& engine, std::string_view) {
  WindowPlatform& platform = WindowPlatformOf(engine);
  const intptr_t asked = EvaluateHandle(engine);
  if (platform.Exists()) engine.host.PumpMessages(true);
  const intptr_t focus = platform.FocusWindow();
  const bool help = WindowOf(engine).input.lastPushedHelp;
  ResultInteger(engine, focus != 0 && asked == (help ? -focus : focus) ? 1 : 0);
}

void FnDestroyWindow(Engine& engine, std::string_view) {
  WindowPlatform& platform = WindowPlatformOf(engine);
  const intptr_t target = EvaluateHandle(engine);
  const bool mainWindow = platform.Exists() && target == platform.NativeHandle();
  const bool destroyed = platform.DestroyWindowOf(target);
  // The main window gone, the run ends as when the user closes it.
  if (mainWindow && destroyed) throw RunEnd{255};
  ResultInteger(engine, destroyed ? 1 : 0);
}

// @WIDTH and @HEIGHT: the client area of a window.
void FnClientSize(Engine& engine, std::string_view name) {
  const ClientSize size = WindowPlatformOf(engine).ClientSizeOf(EvaluateHandle(engine));
  ResultInteger(engine, name == "WIDTH" ? size.width : size.height);
}

void FnGetStyle(Engine& engine, std::string_view) {
  ResultInteger(engine, static_cast<int32_t>(WindowPlatformOf(engine).StyleOf(EvaluateHandle(engine))));
}

void FnSendMessage(Engine& engine, std::string_view) { FunctionMessage(engine, Delivery::Send); }
void FnPostMessage(Engine& engine, std::string_view) { FunctionMessage(engine, Delivery::Post); }

void ReadPeekMessage(Engine& engine, std::string_view) {
  WindowPlatform& platform = WindowPlatformOf(engine);
  MessageRecord record;
  const bool waiting = platform.Exists() && platform.PeekNextMessage(record);
  if (waiting) {
    InputState& input = WindowOf(engine).input;
    input.lastWindow = record.window;
    input.lastMessage = record.message;
    input.lastWParam = record.wParam;
    input.lastLParam = record.lParam;
    input.endingMessage = record.message;
  }
  ResultInteger(engine, waiting ? 1 : 0);
}

// %HDC, %HDC2: the window's context and the backing bitmap's.
void ReadDeviceContext(Engine& engine, std::string_view name) {
  const Surface surface = name == "%HDC" ? Surface::Window : Surface::Memory;
  ResultInteger(engine, AsInteger(WindowPlatformOf(engine).DeviceContext(surface)));
}

void ReadFont(Engine& engine, std::string_view) {
  ResultInteger(engine, AsInteger(WindowPlatformOf(engine).CurrentFont()));
}

// %WINLEFT, %WINTOP, %WINRIGHT, %WINBOTTOM. Before the window exists its edges are the
// placement it will get.
void ReadWindowEdge(Engine& engine, std::string_view name) {
  WindowPlatform& platform = WindowPlatformOf(engine);
  WindowFrame frame;
  if (platform.Exists()) {
    frame = platform.FrameOf(platform.NativeHandle());
  } else {
    const WindowSetup& setup = WindowOf(engine).setup;
    frame = WindowFrame{setup.left, setup.top, setup.left + setup.width, setup.top + setup.height};
  }
  ResultInteger(engine, name == "%WINLEFT"    ? frame.left
                     : name == "%WINTOP"   ? frame.top
                     : name == "%WINRIGHT" ? frame.right
                                           : frame.bottom);
}

void ReadInputInteger(Engine& engine, std::string_view) {
  ResultInteger(engine, WindowOf(engine).inputInteger);
}
void ReadInputLong(Engine& engine, std::string_view) { ResultLong(engine, WindowOf(engine).inputLong); }
void ReadInputFloat(Engine& engine, std::string_view) {
  SetFloatValue(engine.reg, WindowOf(engine).inputFloat, ValueType::Float, engine.format);
}
void ReadInputString(Engine& engine, std::string_view) {
  SetStringValue(engine.reg, WindowOf(engine).inputString);
}

void ReadGetFocus(Engine& engine, std::string_view) {
  if (WindowPlatformOf(engine).Exists()) engine.host.PumpMessages(true);
  const intptr_t focus = FocusSeen(engine);
  ResultInteger(engine, AsInteger(WindowOf(engine).input.lastPushedHelp ? -focus : focus));
}

}  // namespace talven
