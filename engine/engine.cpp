#include "engine/engine.h"

namespace talven {

void Engine::ResetRunState() {
  pc = 0;
  terminate = false;
  handled = false;
  word.clear();
  param.clear();
  displayLine.clear();
  displayLineRef = nullptr;
  operatorMode = true;
  errors = ErrorState{};
  reg = Registers{};
  lastSeparator = ' ';
  paramEnded = false;
  format = NumberFormat{};
  vars.Reset();
  slots = ParameterSlots{};
  functions = FunctionState{};
  slotsGuard = nullptr;
  argumentCount = 0;
  operators.clear();
  whileStack.clear();
  frames.clear();
  currentLine = nullptr;
  cache = SearchCache{};
  system = SystemState{};
}

}  // namespace talven
