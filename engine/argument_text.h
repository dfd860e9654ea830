#pragma once
// For a function handler that reads an argument itself from its text without writing the
// text out: PendingArgumentText gives the text the next reader would read (nullptr where
// the text is written out already, or the call has no site); TakeArgumentText then marks
// that argument read, the part of that text from `rest` on (trimmed) being what follows
// it. Inline, and with the text's parts apart: the 32-bit build reloads a text view passed
// in two halves in one piece, which waits for both stores.

#include <cstddef>
#include <string_view>

#include "engine/compiled_expression.h"
#include "engine/engine.h"

namespace talven {

inline const std::string_view* PendingArgumentText(const Engine& engine) {
  const FunctionState& state = engine.functions;
  if (state.site == nullptr || !state.textPending || state.argument >= kRememberedArguments) return nullptr;
  return &state.pendingText;
}

inline void TakeArgumentText(Engine& engine, const char* rest, size_t size) {
  FunctionState& state = engine.functions;
  ++state.argument;
  state.pendingText = std::string_view(rest, size);
}

}  // namespace talven
