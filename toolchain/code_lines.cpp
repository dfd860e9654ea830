#include "toolchain/code_lines.h"

#include "common/bytes.h"
#include "engine/keywords.h"
#include "engine/split.h"
#include "engine/text.h"
#include "toolchain/codes.h"
#include "toolchain/translator.h"

namespace talven {

namespace {

constexpr uint8_t kCodeCase = CodeOf(StatementCode::Case);
constexpr uint8_t kCodeCaseNot = CodeOf(StatementCode::CaseNot);
constexpr uint8_t kCodeDef = CodeOf(StatementCode::Def);
constexpr uint8_t kCodeProc = CodeOf(StatementCode::Proc);
constexpr uint8_t kCodeLet = CodeOf(StatementCode::Let);

int32_t LineAt(std::string_view bytes, size_t i) {
  if (i + 1 >= bytes.size()) return 0;
  const uint8_t pair[2] = {static_cast<uint8_t>(bytes[i]), static_cast<uint8_t>(bytes[i + 1])};
  return GetLittle16(pair);
}

bool IsDefFunction(std::string_view body) {
  return body.size() >= 5 && static_cast<uint8_t>(body[0]) == kCodeDef && body[1] == '@' &&
         static_cast<uint8_t>(body[2]) == kCodeDefCall;
}

// Where the condition of a CASE body ends: after its first ":" outside strings and
// brackets, stepping over the codes (whose bytes may look like any character).
size_t ConditionEnd(std::string_view in) {
  int32_t depth = 0;
  size_t i = 0;
  while (i < in.size()) {
    const char c = in[i];
    const uint8_t next = i + 1 < in.size() ? static_cast<uint8_t>(in[i + 1]) : 0;
    if (c == '"') {
      const size_t close = in.find('"', i + 1);
      i = close == std::string_view::npos ? in.size() : close + 1;
      continue;
    }
    if (c == '@') {
      i += next == kCodeDefCall ? 4 : 2;
      continue;
    }
    if ((c == '$' || c == '%' || c == '&' || c == '!') && next >= 0x80) {
      i += next == kCodeDefConstant ? 4 : 2;
      continue;
    }
    if (static_cast<uint8_t>(c) == kOperatorMark) {
      i += 2;
      continue;
    }
    if (c == '(' || c == '[') ++depth;
    if (c == ')' || c == ']') --depth;
    if (c == ':' && depth == 0) return i + 1;
    ++i;
  }
  return in.size();
}

std::string WithParameters(std::string word, const std::string& param) {
  if (!param.empty()) word.append(" ").append(param);
  return word;
}

}  // namespace

CodeNames::CodeNames(const std::vector<CodeLine>& lines) : m_lines(lines) {}

std::string CodeNames::DefFunctionName(int32_t line) const {
  return "ZDEF" + std::to_string(line);
}

std::string CodeNames::DefConstantName(int32_t line) const {
  if (line < 1 || static_cast<size_t>(line) > m_lines.size()) return "%ZDEF" + std::to_string(line);
  const std::string_view body = m_lines[static_cast<size_t>(line - 1)].body;
  if (body.empty() || static_cast<uint8_t>(body.front()) != kCodeDef || IsDefFunction(body)) {
    return "%ZDEF" + std::to_string(line);
  }
  const std::string_view rest = TrimControl(body.substr(1));
  return UpperCase(rest.substr(0, rest.find(' ')));
}

std::string CodeNames::ProcedureName(int32_t line) const {
  if (line < 1 || static_cast<size_t>(line) > m_lines.size()) return {};
  const std::string_view body = m_lines[static_cast<size_t>(line - 1)].body;
  if (body.empty() || static_cast<uint8_t>(body.front()) != kCodeProc) return {};
  return UpperCase(TrimControl(DecodeParameters(body.substr(1), *this)));
}

DecodedLine DecodeLineBody(std::string_view body, const CodeNames& names, int32_t lineCount) {
  DecodedLine line;
  if (body.empty()) return line;
  const uint8_t code = static_cast<uint8_t>(body.front());
  const std::string_view rest = body.substr(1);
  switch (code) {
    case kCodeProgEnd:
      line.text = "PROGEND";
      return line;
    case kCodeNoOp:
      return line;
    case kCodeFunctionCall:
      line.text = DecodeParameters(rest, names);
      return line;
    case kCodeLabel:
      line.text = std::string(rest);
      return line;
    case kCodeCase:
    case kCodeCaseNot: {
      const size_t end = ConditionEnd(rest);
      line.text =
          (code == kCodeCase ? "CASE " : "CASENOT ") + DecodeParameters(rest.substr(0, end), names);
      if (end < rest.size()) {
        DecodedLine inner = DecodeLineBody(rest.substr(end), names, lineCount);
        line.text.append(" ").append(inner.text);
        line.procedureLine = inner.procedureLine;
      }
      return line;
    }
    case kCodeDef:
      if (IsDefFunction(body)) {
        line.text = "DEF @" + names.DefFunctionName(LineAt(body, 3)) +
                    DecodeParameters(body.substr(5), names);
      } else {
        line.text = WithParameters("DEF", std::string(rest));
      }
      return line;
    case kCodeLet:
      line.text = WithParameters("LET", DecodeParameters(rest, names));
      return line;
    default:
      break;
  }
  if (code != kCodeProcedureCall) {
    if (const Keyword* keyword = KeywordForCode(code)) {
      line.text = WithParameters(std::string(keyword->word), DecodeParameters(rest, names));
      return line;
    }
  }
  // A procedure called by its bare name; so is every code without a statement of its own.
  const int32_t target = LineAt(rest, 0);
  std::string name = names.ProcedureName(target);
  if (name.empty()) {
    name = "PROC" + std::to_string(target);  // no PROC there: an unknown word when run
  } else if (target >= 1 && target <= lineCount) {
    line.procedureLine = target;
  }
  line.text = WithParameters(
      name, DecodeParameters(rest.substr(rest.size() >= 2 ? 2 : rest.size()), names));
  return line;
}

namespace {

// The block word of a compiled line for the block scans, by its statement code: a label
// "ELSEWHERE:" or a call "ENDIFFER" is no block word in a compiled program, and an IF
// without a condition still opens its block. A CASE line opens or closes no block.
std::string ScanTextFor(std::string_view body) {
  if (body.empty()) return "-";
  switch (static_cast<uint8_t>(body.front())) {
    case CodeOf(StatementCode::If):
      return "IF ";
    case CodeOf(StatementCode::IfNot):
      return "IFNOT ";
    case CodeOf(StatementCode::EndIf):
      return "ENDIF";
    case CodeOf(StatementCode::Else):
      return "ELSE";
    case CodeOf(StatementCode::ElseIf):
      return "ELSEIF ";
    case CodeOf(StatementCode::While):
      return "WHILE ";
    case CodeOf(StatementCode::WhileNot):
      return "WHILENOT ";
    case CodeOf(StatementCode::Wend):
      return "WEND";
    case kCodeProc:
      return "PROC ";
    case CodeOf(StatementCode::EndProc):
      return "ENDPROC";
    default:
      return "-";
  }
}

}  // namespace

void StoreCodeLines(const std::vector<CodeLine>& lines, ProgramStore& store) {
  const CodeNames names(lines);
  const int32_t count = static_cast<int32_t>(lines.size());
  for (const CodeLine& code : lines) {
    DecodedLine decoded = DecodeLineBody(code.body, names, count);
    ProgramLine line;
    const SplitLine split = Split(decoded.text);
    line.hasOperators = code.hasOperators || !LineHoldsOperator(split.word, split.param);
    line.procedureLine = decoded.procedureLine;
    line.scanText = ScanTextFor(code.body);
    line.text = std::move(decoded.text);
    store.Append(std::move(line));
  }
}

}  // namespace talven
