#include "toolchain/code_dump.h"

#include <cstdio>

#include "engine/errors.h"
#include "engine/keywords.h"
#include "toolchain/code_lines.h"

namespace talven {

namespace {

std::string Hex(uint8_t byte) {
  char text[4];
  std::snprintf(text, sizeof(text), "%02X", byte);
  return text;
}

std::string_view ModeName(ScrambleMode mode) {
  switch (mode) {
    case ScrambleMode::Xor:
      return "XOR";
    case ScrambleMode::Cipher:
      return "cipher";
    default:
      return "plain";
  }
}

// The name of a line's statement code.
std::string CodeName(uint8_t code) {
  switch (code) {
    case kCodeProgEnd:
      return "PROGEND";
    case kCodeNoOp:
      return "no-op";
    case kCodeFunctionCall:
      return "call";
    case kCodeLabel:
      return "label";
    case kCodeProcedureCall:
      return "procedure";
    case CodeOf(StatementCode::Case):
      return "CASE";
    case CodeOf(StatementCode::CaseNot):
      return "CASENOT";
    case CodeOf(StatementCode::Def):
      return "DEF";
    default:
      break;
  }
  const Keyword* keyword = KeywordForCode(code);
  return keyword != nullptr ? std::string(keyword->word) : "procedure";
}

}  // namespace

std::string DumpCodeFile(const CodeFileContent& content) {
  std::string out = "header:";
  for (uint8_t byte : content.header) out += " " + Hex(byte);
  out += "\nmagic: ";
  for (size_t i = 1; i < 18; ++i) out.push_back(static_cast<char>(content.header[i]));
  out += "\nmode: " + std::string(ModeName(content.mode)) + "\n";
  if (content.error != ErrorCode::None)
    out += "error: " + std::to_string(ErrorNumber(content.error)) + " " +
           std::string(ErrorText(content.error)) + "\n";
  const CodeNames names(content.lines);
  const int32_t count = static_cast<int32_t>(content.lines.size());
  for (int32_t n = 1; n <= count; ++n) {
    const CodeLine& line = content.lines[static_cast<size_t>(n - 1)];
    const uint8_t code = line.body.empty() ? 0 : static_cast<uint8_t>(line.body.front());
    char number[16];
    std::snprintf(number, sizeof(number), "%5d ", n);
    out += number;
    out += line.hasOperators ? "op " : "   ";
    out += Hex(code) + " " + CodeName(code);
    const DecodedLine decoded = DecodeLineBody(line.body, names, count);
    if (decoded.procedureLine != 0) out += " ->" + std::to_string(decoded.procedureLine);
    out += " | " + decoded.text + "\n";
  }
  return out;
}

}  // namespace talven
