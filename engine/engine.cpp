#include "engine/engine.h"

namespace talven {

void Engine::ResetRunState() {
  pc = 0;
  terminate = false;
  handled = false;
  word.clear();
  param.clear();
  displayLine.clear();
  operatorMode = true;
  errors = ErrorState{};
  reg = Registers{};
  lastSeparator = ' ';
  paramEnded = false;
}

}  // namespace talven
