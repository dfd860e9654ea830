#pragma once
// The compiler's translation of loaded program lines into line bodies: statement codes,
// special bodies, block depths and the encoded parameter text. Pure: lines in, bodies out.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "engine/program_store.h"
#include "toolchain/parameter_codec.h"

namespace talven {

struct TranslateError {
  ErrorCode code = ErrorCode::None;
  std::string detail;
  std::string context;  // "Zeile " + number in 6 columns + ": " + the line text
};

// The operator test of a compiled line's flag: the operators searched in the upper-cased
// text. For LET and the LIST statements the text after the first "=" is tested first.
bool HoldsOperator(std::string_view text);
bool LineHoldsOperator(std::string_view word, std::string_view param);

class Translator : public ProgramSymbols {
 public:
  explicit Translator(const ProgramStore& store);

  // The body of line `number`; false with `error` filled on a translation error.
  // `progEnd` says that the line was PROGEND and translation stops after it.
  bool TranslateLine(int32_t number, std::string& body, bool& progEnd, TranslateError& error);
  // The checks after the last line: open IF, WHILE and PROC blocks.
  bool Finish(TranslateError& error);

  int32_t DefFunctionLine(std::string_view name) const override;
  int32_t DefConstantLine(std::string_view name) const override;
  // The first line "PROC name" (any case); 0 when none.
  int32_t ProcedureLine(std::string_view name) const;

 private:
  bool Statement(std::string word, std::string param, bool afterCaseColon, std::string& body,
                 TranslateError& error);
  bool Fail(TranslateError& error, ErrorCode code, std::string detail = {});

  const ProgramStore& m_store;
  std::unordered_map<std::string, int32_t> m_defFunctions;
  std::unordered_map<std::string, int32_t> m_defConstants;
  std::unordered_map<std::string, int32_t> m_procedures;
  int32_t m_ifDepth = 0;
  int32_t m_whileDepth = 0;
  int32_t m_procDepth = 0;
  bool m_operatorMode = true;
  int32_t m_line = 0;
  std::string m_context;
};

}  // namespace talven
