#pragma once
// The statement keywords: one ordered table (keywords.def) from which the interpreter's
// look-up, the compiler's word-to-code map and the runtime's code-to-handler map come.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace talven {

class Engine;
using StatementHandler = void (*)(Engine&);

struct Keyword {
  std::string_view word;
  uint8_t code;
  StatementHandler handler;
};

// Codes of the compiled form that stand for no keyword of their own.
inline constexpr uint8_t kCodeProgEnd = 0x02;
inline constexpr uint8_t kCodeNoOp = 0x27;
inline constexpr uint8_t kCodeFunctionCall = 0x40;
inline constexpr uint8_t kCodeLabel = 0xFE;
inline constexpr uint8_t kCodeProcedureCall = 0xFF;

std::span<const Keyword> Keywords();

// Index of the first keyword equal to `word` (upper case), searching from `first` on;
// -1 when none is.
int FindKeyword(std::string_view word, size_t first = 0);

// The first keyword with this code, or nullptr.
const Keyword* KeywordForCode(uint8_t code);

}  // namespace talven
