#pragma once
// The preparation a statement handler works with: the current line's own, else (a
// statement a CASE selected, which reads its own text each time) one made for this time
// only. The scratch is made only where it is used: a preparation is large, and the
// line's own is the common case.

#include <memory>

#include "engine/compiled_expression.h"
#include "engine/engine.h"

namespace talven {

template <typename Step>
[[gnu::noinline]] void WithScratchPreparation(const Step& step) {
  const auto scratch = std::make_unique<PreparedStatement>();
  step(*scratch);
}

template <typename Step>
[[gnu::always_inline]] inline void WithLinePreparation(Engine& engine, const Step& step) {
  if (engine.currentLine != nullptr) [[likely]] {
    step(engine.currentLine->prepared);
    return;
  }
  WithScratchPreparation(step);
}

}  // namespace talven
