#pragma once
// The encoded parameter text of a compiled line: word operators, system variables,
// function calls, DEF references become codes; everything else stays text. The encoder
// serves the compiler, the decoder the runtime and the dump tool. Both are pure.

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/error_codes.h"

namespace talven {

// What the encoder needs to know about the rest of the program.
class ProgramSymbols {
 public:
  virtual ~ProgramSymbols() = default;
  // The line of the DEF function `name` (upper case, without "@"); 0 when none.
  virtual int32_t DefFunctionLine(std::string_view name) const = 0;
  // The line of the DEF constant `name` (upper case, with its type character); 0 when none.
  virtual int32_t DefConstantLine(std::string_view name) const = 0;
};

// What the decoder needs: the names behind DEF line numbers.
class CompiledNames {
 public:
  virtual ~CompiledNames() = default;
  virtual std::string DefFunctionName(int32_t line) const = 0;  // without "@"
  virtual std::string DefConstantName(int32_t line) const = 0;  // with its type character
};

struct EncodeResult {
  // None, UnknownSystemVariable, UnknownFunction, ArgumentMissing or StringEndMissing.
  ErrorCode error = ErrorCode::None;
  std::string detail;  // the unknown name
};

// Appends the encoded form of `text` to `out`. A comment behind the text (an apostrophe
// outside strings and brackets) is dropped: the statement loop would cut it anyway.
EncodeResult EncodeParameters(std::string_view text, const ProgramSymbols& symbols,
                              std::string& out);

// The source form of an encoded parameter text.
std::string DecodeParameters(std::string_view encoded, const CompiledNames& names);

// True for the characters of names: letters, digits, "_" and the bytes above 127.
bool IsNameChar(char c);

}  // namespace talven
