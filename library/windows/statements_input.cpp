// The statements that wait for the user: WAITKEY, WAITSCAN, WAITMOUSE, WAITINPUT, and INPUT
// of one line typed into the window.

#include <cstdlib>
#include <string>

#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/text.h"
#include "engine/values.h"
#include "library/files/file_slots.h"
#include "library/windows/statements.h"
#include "library/windows/window_state.h"

namespace talven {

namespace {

constexpr uint8_t kBackspace = 8;
constexpr uint8_t kCtrlZ = 26;

// Drains the queue, then sleeps until the next message, until `done` holds. At the end the
// key ring is cleared (INPUT keeps what was typed ahead).
template <typename Done>
void WaitUntil(Engine& engine, Done done, bool clearRing = true) {
  WindowPlatform& platform = EnsureWindow(engine);
  for (;;) {
    if (engine.host.PumpMessages(true) == PumpResult::Quit) throw RunEnd{255};
    if (done()) break;
    platform.WaitForMessage();
  }
  if (clearRing) WindowOf(engine).input.ClearRing();
}

}  // namespace

void StmtWaitKey(Engine& engine) {
  engine.handled = true;
  InputState& input = WindowOf(engine).input;
  input.key = 0;
  input.scanCode = 0;
  WaitUntil(engine, [&] { return input.key != 0 || input.scanCode != 0; });
}

void StmtWaitScan(Engine& engine) {
  engine.handled = true;
  InputState& input = WindowOf(engine).input;
  input.scanCode = 0;
  WaitUntil(engine, [&] { return input.scanCode != 0; });
}

void StmtWaitMouse(Engine& engine) {
  engine.handled = true;
  InputState& input = WindowOf(engine).input;
  input.leftButton = input.rightButton = false;
  input.menuItem = 0;
  WaitUntil(engine, [&] { return input.leftButton || input.rightButton || input.menuItem != 0; });
}

void StmtWaitInput(Engine& engine) {
  engine.handled = true;
  InputState& input = WindowOf(engine).input;
  input.leftButton = input.rightButton = false;
  input.leftClick = input.rightClick = false;
  input.menuItem = 0;
  input.timerTicked = false;
  input.helpPressed = false;
  input.key = 0;
  input.scanCode = 0;
  input.waitingForInput = true;
  WaitUntil(engine, [&] {
    return input.scanCode != 0 || input.leftButton || input.rightButton || input.key != 0 ||
           input.leftClick || input.rightClick || input.paintRequested || input.timerTicked ||
           input.menuItem != 0;
  });
  input.waitingForInput = false;
  input.endingMessage = input.lastMessage;
  // A click on a control ends the wait as the control's use: key 255, %GETFOCUS the control.
  if (input.key == 0 && input.scanCode == 0 && (input.leftClick || input.rightClick)) {
    input.key = kKeyControlUsed;
  }
}

namespace {

// Where INPUT stores: the newest simple variable of the name, by its type character.
struct InputTarget {
  char type = ' ';
  int32_t index = -1;
};

InputTarget FindInputTarget(Engine& engine, const std::string& name) {
  Variables& vars = engine.vars;
  InputTarget target;
  target.type = name.empty() ? ' ' : name.back();
  switch (target.type) {
    case '$': target.index = vars.strings.Find(name); break;
    case '%': target.index = vars.integers.Find(name); break;
    case '&': target.index = vars.longs.Find(name); break;
    case '!': target.index = vars.floats.Find(name); break;
    default: break;
  }
  return target;
}

void StoreInput(Engine& engine, const InputTarget& target, const std::string& line) {
  Variables& vars = engine.vars;
  const double number = std::strtod(line.c_str(), nullptr);
  // Each type also keeps the last value INPUT read (%INPUT, $INPUT, &INPUT, !INPUT).
  WindowState& window = WindowOf(engine);
  switch (target.type) {
    case '$': vars.strings.Value(target.index) = window.inputString = line; break;
    case '%': vars.integers.Value(target.index) = window.inputInteger = Truncated(number); break;
    case '&': vars.longs.Value(target.index) = window.inputLong = Truncated(number); break;
    default: vars.floats.Value(target.index) = window.inputFloat = number; break;
  }
}

// One line typed into the window, echoed at the text cursor. Backspace takes back the last
// character, Enter ends the line, Ctrl+Z ends it as the end of input.
std::string TypedLine(Engine& engine) {
  std::string line;
  InputState& input = WindowOf(engine).input;
  for (;;) {
    uint8_t code = 0;
    WaitUntil(engine, [&] { return input.TakeKey(code); }, false);
    if (code == '\r' || code == kCtrlZ) break;
    if (code == kBackspace) {
      if (!line.empty()) {
        line.pop_back();
        WriteText(engine, "\b");
      }
    } else if (code >= 32 && line.size() < kMaxStringLength) {
      line.push_back(static_cast<char>(code));
      WriteText(engine, std::string(1, static_cast<char>(code)));
    }
  }
  WriteLineEnd(engine);
  return line;
}

}  // namespace

// INPUT [#n,] variable: a line typed into the window, or the next line of the slot's file,
// stored converted to the variable's type.
void StmtInput(Engine& engine) {
  engine.handled = true;
  int32_t slot = 0;
  if (!engine.param.empty() && engine.param.front() == '#') {
    slot = ReadFileSlot(engine);
    if (slot == 0) return;
  } else if (WindowOf(engine).printing) {
    Error(engine, ErrorCode::ForbiddenWhilePrinting, engine.word);
    return;
  }
  const std::string name = UpperCase(TrimControl(engine.param));
  engine.param.clear();
  const InputTarget target = FindInputTarget(engine, name);
  if (target.index < 0) {
    Error(engine, ErrorCode::NotDeclared, name);
    return;
  }
  std::string line;
  if (slot != 0) {
    ReadTextLine(engine, slot, line);
  } else {
    line = TypedLine(engine);
  }
  StoreInput(engine, target, line);
}

}  // namespace talven
