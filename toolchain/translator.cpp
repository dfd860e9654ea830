#include "toolchain/translator.h"

#include "common/bytes.h"
#include "engine/errors.h"
#include "engine/keywords.h"
#include "engine/limits.h"
#include "engine/scan.h"
#include "engine/split.h"
#include "engine/text.h"
#include "toolchain/codes.h"

namespace talven {

namespace {

constexpr uint8_t kCodeCase = CodeOf(StatementCode::Case);
constexpr uint8_t kCodeCaseNot = CodeOf(StatementCode::CaseNot);
constexpr uint8_t kCodeDef = CodeOf(StatementCode::Def);

void PutLine(std::string& out, int32_t line) {
  uint8_t bytes[2];
  PutLittle16(bytes, static_cast<uint16_t>(line));
  out.push_back(static_cast<char>(bytes[0]));
  out.push_back(static_cast<char>(bytes[1]));
}

// "DEF name ..." with its name upper-cased: the name of a constant (with its type
// character) or of a function (up to "(", without "@").
struct DefName {
  bool function = false;
  std::string name;
};

DefName DefNameOf(std::string_view line) {
  DefName def;
  const std::string_view rest = TrimControl(line.substr(4));
  if (!rest.empty() && rest.front() == '@') {
    def.function = true;
    const size_t open = rest.find('(');
    def.name = UpperCase(
        TrimControl(rest.substr(1, open == std::string_view::npos ? rest.size() : open - 1)));
  } else {
    def.name = UpperCase(rest.substr(0, rest.find(' ')));
  }
  return def;
}

// The text before the first "=" outside strings, upper-cased: the target of an
// assignment written without LET.
std::string WithUpperTarget(std::string_view param) {
  const size_t equals = FindSeparator(param, "=");
  std::string text(param);
  bool inString = false;
  for (size_t i = 0; i < text.size() && i < equals; ++i) {
    if (text[i] == '"') inString = !inString;
    if (!inString) text[i] = UpperChar(text[i]);
  }
  return text;
}

bool IsListOrLet(std::string_view word) {
  return word == "LET" || word == "LIST$" || word == "LIST%" || word == "LIST&" || word == "LIST!";
}

}  // namespace

bool HoldsOperator(std::string_view text) {
  static constexpr std::string_view kOperators[] = {
      "<>", ">=", "<=", "=", ">", "<", "-", "+", " OR ", " MOD ", "\\", "/", "*", " AND ", "^"};
  const std::string upper = UpperCase(text);
  for (std::string_view op : kOperators) {
    if (upper.find(op) != std::string::npos) return true;
  }
  return false;
}

bool LineHoldsOperator(std::string_view word, std::string_view param) {
  if (IsListOrLet(word)) {
    const size_t equals = param.find('=');
    if (equals != std::string_view::npos) {
      return HoldsOperator(param.substr(equals + 1)) || HoldsOperator(param.substr(0, equals));
    }
  }
  return HoldsOperator(param);
}

Translator::Translator(const ProgramStore& store) : m_store(store) {
  // DEF functions, constants and procedures are found anywhere in the program; the first
  // definition of a name wins.
  for (int32_t n = 1; n <= store.LineCount(); ++n) {
    const std::string_view text = TrimControl(store.Line(n).text);
    if (StartsWithNoCase(text, "DEF ")) {
      const DefName def = DefNameOf(text);
      (def.function ? m_defFunctions : m_defConstants).emplace(def.name, n);
    } else if (StartsWithNoCase(text, "PROC ")) {
      m_procedures.emplace(UpperCase(TrimControl(text.substr(5))), n);
    }
  }
}

int32_t Translator::DefFunctionLine(std::string_view name) const {
  const auto found = m_defFunctions.find(std::string(name));
  return found == m_defFunctions.end() ? 0 : found->second;
}

int32_t Translator::DefConstantLine(std::string_view name) const {
  const auto found = m_defConstants.find(std::string(name));
  return found == m_defConstants.end() ? 0 : found->second;
}

int32_t Translator::ProcedureLine(std::string_view name) const {
  const auto found = m_procedures.find(UpperCase(name));
  return found == m_procedures.end() ? 0 : found->second;
}

bool Translator::Fail(TranslateError& error, ErrorCode code, std::string detail) {
  error.code = code;
  error.detail = std::move(detail);
  error.context = m_context;
  return false;
}

bool Translator::TranslateLine(int32_t number, std::string& body, bool& progEnd,
                               TranslateError& error) {
  m_line = number;
  body.clear();
  progEnd = false;
  const std::string_view text = TrimControl(m_store.Line(number).text);
  m_context = "Zeile " + PadLeft(number, 6) + ": " + std::string(text);
  SplitLine split = Split(text);
  // "$O+" and "$O-" switch the operator mode of the following lines.
  if (split.word == "$O+" || split.word == "$O-") {
    m_operatorMode = split.word == "$O+";
    split.word.clear();
    split.param.clear();
  }
  if (split.word == "LET" && !StartsWithNoCase(text, "LET")) {
    split.param = WithUpperTarget(split.param);
  }
  const bool operators = LineHoldsOperator(split.word, split.param);
  const std::string word = split.word;
  if (!Statement(split.word, std::move(split.param), false, body, error)) return false;
  progEnd = static_cast<uint8_t>(body.front()) == kCodeProgEnd;
  if (m_operatorMode && (operators || word == "PARAMETERS")) {
    body.insert(body.begin(), static_cast<char>(kOperatorMark));
  }
  // Codes are never longer than what they stand for, but a DEF call of a one-letter
  // function is: such a body must not be cut into a different program.
  if (body.size() > kMaxLineLength) return Fail(error, ErrorCode::LineTooLong);
  return true;
}

bool Translator::Statement(std::string word, std::string param, bool afterCaseColon,
                           std::string& body, TranslateError& error) {
  // No-op lines carry nothing behind their code.
  if (word.empty() || word == "REM" || word == "TRACEON" || word == "TRACEOFF" ||
      word.front() == '\'') {
    body.push_back(static_cast<char>(kCodeNoOp));
    return true;
  }
  if (param.empty() && word.back() == ':') {
    body.push_back(static_cast<char>(kCodeLabel));
    body.append(word);
    return true;
  }
  if (HasOpenString(param)) return Fail(error, ErrorCode::StringEndMissing);
  if (!BracketsBalanced(param)) return Fail(error, ErrorCode::UnbalancedBrackets, param);

  if (word == "CASE" || word == "CASENOT") {
    body.push_back(static_cast<char>(word == "CASE" ? kCodeCase : kCodeCaseNot));
    const size_t colon = FindSeparator(param, ":");
    const std::string_view condition =
        std::string_view(param).substr(0, colon == kNotFound ? param.size() : colon + 1);
    const EncodeResult encoded = EncodeParameters(condition, *this, body);
    if (encoded.error != ErrorCode::None) return Fail(error, encoded.error, encoded.detail);
    if (colon == kNotFound) return true;
    SplitLine inner = Split(TrimControl(std::string_view(param).substr(colon + 1)));
    return Statement(std::move(inner.word), std::move(inner.param), true, body, error);
  }

  if (word == "DEF") {
    body.push_back(static_cast<char>(kCodeDef));
    const std::string_view rest = TrimControl(param);
    const size_t open = rest.find('(');
    const size_t close = rest.find(')');
    const bool function = !rest.empty() && rest.front() == '@' && open != std::string_view::npos &&
                          close != std::string_view::npos && open < close;
    if (!function) {
      // A constant: its value is read as text where it is used.
      body.append(rest);
      return true;
    }
    body.push_back('@');
    body.push_back(static_cast<char>(kCodeDefCall));
    PutLine(body, m_line);
    body.append(rest.substr(open, close + 1 - open));
    const std::string_view definition = TrimControl(rest.substr(close + 1));
    // The body of a DLL function names a library and a function: it stays text.
    if (!definition.empty() && (definition.front() == '!' || definition.front() == '*')) {
      body.append(definition);
      return true;
    }
    const EncodeResult encoded = EncodeParameters(definition, *this, body);
    if (encoded.error != ErrorCode::None) return Fail(error, encoded.error, encoded.detail);
    return true;
  }

  uint8_t code = 0;
  const int index = FindKeyword(word);
  // A word without a compiled form is no keyword of the compiled language.
  if (index >= 0 && Keywords()[static_cast<size_t>(index)].code != 0) {
    code = Keywords()[static_cast<size_t>(index)].code;
    body.push_back(static_cast<char>(code));
  } else if (const int32_t procedure = ProcedureLine(word)) {
    code = kCodeProcedureCall;
    body.push_back(static_cast<char>(code));
    PutLine(body, procedure);
  } else if (LooksLikeBracketCall(word + param)) {
    code = kCodeFunctionCall;
    body.push_back(static_cast<char>(code));
    param = word + param;
  } else {
    return Fail(error, ErrorCode::UnknownStatement, word);
  }

  // Block depths; a statement behind a CASE colon is checked but not always counted.
  switch (code) {
    case CodeOf(StatementCode::If):
    case CodeOf(StatementCode::IfNot):
      ++m_ifDepth;
      break;
    case CodeOf(StatementCode::EndIf):
      if (m_ifDepth < 1) return Fail(error, ErrorCode::IfMissing);
      if (!afterCaseColon) --m_ifDepth;
      break;
    case CodeOf(StatementCode::While):
    case CodeOf(StatementCode::WhileNot):
      ++m_whileDepth;
      break;
    case CodeOf(StatementCode::Wend):  // and ENDWHILE
      if (word == "WEND") {
        if (m_whileDepth < 1) return Fail(error, ErrorCode::WhileMissing);
        if (!afterCaseColon) --m_whileDepth;
      } else if (--m_whileDepth < 0) {
        return Fail(error, ErrorCode::WhileMissing);
      }
      break;
    case CodeOf(StatementCode::Break):
    case CodeOf(StatementCode::Continue):
      if (m_whileDepth < 1) return Fail(error, ErrorCode::WhileMissing);
      break;
    case CodeOf(StatementCode::Proc):
      ++m_procDepth;
      break;
    case CodeOf(StatementCode::EndProc):
      if (--m_procDepth < 0) return Fail(error, ErrorCode::ProcMissing);
      break;
    default:
      break;
  }
  if (code == kCodeProgEnd) return true;
  const EncodeResult encoded = EncodeParameters(param, *this, body);
  if (encoded.error != ErrorCode::None) return Fail(error, encoded.error, encoded.detail);
  return true;
}

bool Translator::Finish(TranslateError& error) {
  if (m_ifDepth > 0) return Fail(error, ErrorCode::EndIfMissing);
  if (m_whileDepth > 0) return Fail(error, ErrorCode::EndWhileMissing);
  if (m_procDepth > 0) return Fail(error, ErrorCode::EndProcMissing);
  return true;
}

}  // namespace talven
