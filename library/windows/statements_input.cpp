// The statements that wait for the user: WAITKEY, WAITSCAN, WAITMOUSE, WAITINPUT, and INPUT
// of one line typed into the window.

#include <cstdlib>
#include <string>

#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/text.h"
#include "engine/values.h"
#include "library/windows/statements.h"
#include "library/windows/window_state.h"

namespace talven {

namespace {

constexpr int32_t kDuringPrinting = 221;
constexpr int32_t kNotDeclared = 215;
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
  if (clearRing) engine.window.input.ClearRing();
}

}  // namespace

void StmtWaitKey(Engine& engine) {
  engine.handled = true;
  InputState& input = engine.window.input;
  input.key = 0;
  input.scanCode = 0;
  WaitUntil(engine, [&] { return input.key != 0 || input.scanCode != 0; });
}

void StmtWaitScan(Engine& engine) {
  engine.handled = true;
  InputState& input = engine.window.input;
  input.scanCode = 0;
  WaitUntil(engine, [&] { return input.scanCode != 0; });
}

void StmtWaitMouse(Engine& engine) {
  engine.handled = true;
  InputState& input = engine.window.input;
  input.leftButton = input.rightButton = false;
  input.menuItem = 0;
  WaitUntil(engine, [&] { return input.leftButton || input.rightButton || input.menuItem != 0; });
}

void StmtWaitInput(Engine& engine) {
  engine.handled = true;
  InputState& input = engine.window.input;
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
}

// INPUT variable: one line typed into the window, echoed at the text cursor. Backspace
// takes back the last character, Enter ends the line, Ctrl+Z ends it as the end of input.
void StmtInput(Engine& engine) {
  engine.handled = true;
  if (engine.window.printing) {
    Error(engine, kDuringPrinting, engine.word);
    return;
  }
  const std::string name = UpperCase(TrimControl(engine.param));
  engine.param.clear();
  Variables& vars = engine.vars;
  const char type = name.empty() ? ' ' : name.back();
  int32_t index = -1;
  switch (type) {
    case '$': index = vars.strings.Find(name); break;
    case '%': index = vars.integers.Find(name); break;
    case '&': index = vars.longs.Find(name); break;
    case '!': index = vars.floats.Find(name); break;
    default: break;
  }
  if (index < 0) {
    Error(engine, kNotDeclared, name);
    return;
  }

  std::string line;
  bool ended = false;
  InputState& input = engine.window.input;
  while (!ended) {
    uint8_t code = 0;
    WaitUntil(engine, [&] { return input.TakeKey(code); }, false);
    if (code == '\r') {
      ended = true;
    } else if (code == kCtrlZ) {
      ended = true;
    } else if (code == kBackspace) {
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

  const double number = std::strtod(line.c_str(), nullptr);
  switch (type) {
    case '$': vars.strings.Value(index) = line; break;
    case '%': vars.integers.Value(index) = Truncated(number); break;
    case '&': vars.longs.Value(index) = Truncated(number); break;
    default: vars.floats.Value(index) = number; break;
  }
}

}  // namespace talven
