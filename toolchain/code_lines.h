#pragma once
// Compiled line bodies back in their source form: the runtime fills the program store with
// them, so that one statement loop serves source and compiled programs; the dump tool
// prints them.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/program_store.h"
#include "toolchain/code_file.h"
#include "toolchain/parameter_codec.h"

namespace talven {

// The names behind the line numbers of a compiled program: DEF functions (whose own name
// the compiled form does not keep; they are named "ZDEF" + their line), DEF constants and
// procedures.
class CodeNames : public CompiledNames {
 public:
  explicit CodeNames(const std::vector<CodeLine>& lines);
  std::string DefFunctionName(int32_t line) const override;
  std::string DefConstantName(int32_t line) const override;
  // Empty when the line is no PROC line.
  std::string ProcedureName(int32_t line) const;

 private:
  const std::vector<CodeLine>& m_lines;
};

struct DecodedLine {
  std::string text;
  int32_t procedureLine = 0;  // a call of a procedure by its bare name
};

// The source form of one body.
DecodedLine DecodeLineBody(std::string_view body, const CodeNames& names, int32_t lineCount);

// Fills `store` with the decoded lines. A line keeps operator search on unless it was
// compiled with operators switched off ("$O-"): a flagless line whose text holds one.
void StoreCodeLines(const std::vector<CodeLine>& lines, ProgramStore& store);

}  // namespace talven
