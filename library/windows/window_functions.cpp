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
      engine.host.Window().Deliver(target, message, wParam.value, lParam.value, how);
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
  const InputState& input = engine.window.input;
  return input.focus != 0 ? input.focus : engine.host.Window().FocusWindow();
}

}  // namespace

bool CallWindowFunction(Engine& engine, std::string_view name) {
  WindowPlatform& platform = engine.host.Window();
  if (name == "FINDWINDOW") {
    Evaluate(engine, ",", EvalMode::String);
    ResultInteger(engine, AsInteger(platform.FindByTitle(engine.reg.Text())));
  } else if (name == "GETACTIVEWINDOW") {
    ResultInteger(engine, AsInteger(platform.ActiveWindow()));
  } else if (name == "SETACTIVEWINDOW") {
    ResultInteger(engine, AsInteger(platform.Activate(EvaluateHandle(engine))));
  } else if (name == "SHOWWINDOW") {
    const intptr_t target = EvaluateHandle(engine);
    int32_t mode = EvaluateInteger(engine, ",");
    if (mode < 0 || mode > kHighestShowMode) mode = 0;
    ResultInteger(engine, platform.ShowWindowAs(target, mode) ? 1 : 0);
  } else if (name == "SETFOCUS") {
    ResultInteger(engine, AsInteger(platform.SetFocusTo(EvaluateHandle(engine))));
  } else if (name == "GETFOCUS") {
    // After F1 the program asks with the negated handle for which window help was asked.
    const intptr_t asked = EvaluateHandle(engine);
    if (platform.Exists()) engine.host.PumpMessages(true);
    const intptr_t focus = platform.FocusWindow();
    const bool help = engine.window.input.lastPushedHelp;
    ResultInteger(engine, focus != 0 && asked == (help ? -focus : focus) ? 1 : 0);
  } else if (name == "DESTROYWINDOW") {
    const intptr_t target = EvaluateHandle(engine);
    const bool mainWindow = platform.Exists() && target == platform.NativeHandle();
    const bool destroyed = platform.DestroyWindowOf(target);
    // The main window gone, the run ends as when the user closes it.
    if (mainWindow && destroyed) throw RunEnd{255};
    ResultInteger(engine, destroyed ? 1 : 0);
  } else if (name == "WIDTH" || name == "HEIGHT") {
    const ClientSize size = platform.ClientSizeOf(EvaluateHandle(engine));
    ResultInteger(engine, name == "WIDTH" ? size.width : size.height);
  } else if (name == "GETSTYLE") {
    ResultInteger(engine, static_cast<int32_t>(platform.StyleOf(EvaluateHandle(engine))));
  } else if (name == "SENDMESSAGE") {
    FunctionMessage(engine, Delivery::Send);
  } else if (name == "POSTMESSAGE") {
    FunctionMessage(engine, Delivery::Post);
  } else {
    return false;
  }
  return true;
}

bool ReadWindowVariable(Engine& engine, std::string_view name) {
  WindowState& window = engine.window;
  WindowPlatform& platform = engine.host.Window();
  if (name == "%PEEKMESSAGE") {
    MessageRecord record;
    const bool waiting = platform.Exists() && platform.PeekNextMessage(record);
    if (waiting) {
      InputState& input = window.input;
      input.lastWindow = record.window;
      input.lastMessage = record.message;
      input.lastWParam = record.wParam;
      input.lastLParam = record.lParam;
      input.endingMessage = record.message;
    }
    ResultInteger(engine, waiting ? 1 : 0);
  } else if (name == "%HDC" || name == "%HDC2") {
    const Surface surface = name == "%HDC" ? Surface::Window : Surface::Memory;
    ResultInteger(engine, AsInteger(platform.DeviceContext(surface)));
  } else if (name == "%FONT") {
    ResultInteger(engine, AsInteger(platform.CurrentFont()));
  } else if (name == "%WINLEFT" || name == "%WINTOP" || name == "%WINRIGHT" ||
             name == "%WINBOTTOM") {
    // Before the window exists its edges are the placement it will get.
    WindowFrame frame;
    if (platform.Exists()) {
      frame = platform.FrameOf(platform.NativeHandle());
    } else {
      const WindowSetup& setup = window.setup;
      frame = WindowFrame{setup.left, setup.top, setup.left + setup.width,
                          setup.top + setup.height};
    }
    ResultInteger(engine, name == "%WINLEFT"    ? frame.left
                       : name == "%WINTOP"   ? frame.top
                       : name == "%WINRIGHT" ? frame.right
                                             : frame.bottom);
  } else if (name == "%INPUT") {
    ResultInteger(engine, window.inputInteger);
  } else if (name == "&INPUT") {
    ResultLong(engine, window.inputLong);
  } else if (name == "!INPUT") {
    SetFloatValue(engine.reg, window.inputFloat, ValueType::Float, engine.format);
  } else if (name == "$INPUT") {
    SetStringValue(engine.reg, window.inputString);
  } else if (name == "%GETFOCUS") {
    if (platform.Exists()) engine.host.PumpMessages(true);
    const intptr_t focus = FocusSeen(engine);
    ResultInteger(engine, AsInteger(window.input.lastPushedHelp ? -focus : focus));
  } else {
    return false;
  }
  return true;
}

}  // namespace talven
