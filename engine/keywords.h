#pragma once
// The statement keywords: one ordered table (keywords.def) from which the interpreter's
// look-up, the compiler's word-to-code map and the runtime's code-to-word map come. The
// handlers are bound to the words by the library families (family.h, binding.h).

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace talven {

struct Keyword {
  std::string_view word;
  uint8_t code;  // 0: the word has no compiled form
};

// The codes of the compiled form by name.
enum class StatementCode : uint8_t {
#define TALVEN_KEYWORD(word, code, name) name = code,
#include "engine/keywords.def"
#undef TALVEN_KEYWORD
  // Codes that stand for no keyword of their own.
  NoOp = 0x27,          // TRACEON and TRACEOFF compile to nothing
  FunctionCall = 0x40,  // "@": a function call as a statement
  Label = 0xFE,
  ProcedureCall = 0xFF,
};

constexpr uint8_t CodeOf(StatementCode code) { return static_cast<uint8_t>(code); }

// Codes of the compiled form that stand for no keyword of their own.
inline constexpr uint8_t kCodeProgEnd = CodeOf(StatementCode::ProgEnd);
inline constexpr uint8_t kCodeNoOp = CodeOf(StatementCode::NoOp);
inline constexpr uint8_t kCodeFunctionCall = CodeOf(StatementCode::FunctionCall);
inline constexpr uint8_t kCodeLabel = CodeOf(StatementCode::Label);
inline constexpr uint8_t kCodeProcedureCall = CodeOf(StatementCode::ProcedureCall);

std::span<const Keyword> Keywords();

// Index of the first keyword equal to `word` (upper case), searching from `first` on;
// -1 when none is.
int FindKeyword(std::string_view word, size_t first = 0);

// The first keyword with this code, or nullptr (also for 0, which no compiled line holds).
const Keyword* KeywordForCode(uint8_t code);

}  // namespace talven
