#include "toolchain/parameter_codec.h"

#include <cctype>

#include "common/bytes.h"
#include "engine/text.h"
#include "toolchain/codes.h"

namespace talven {

namespace {

struct WordOperator {
  std::string_view text;
  char letter;
};
constexpr WordOperator kWordOperators[] = {{" AND ", 'A'}, {" MOD ", 'M'}, {" OR ", 'O'}};

bool IsTypeChar(char c) {
  return c == '$' || c == '%' || c == '&' || c == '!';
}
bool IsNameStart(char c) {
  return std::isalpha(static_cast<unsigned char>(c)) || c == '_' ||
         static_cast<unsigned char>(c) >= 0x80;
}
bool IsHexDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

void PutLine(std::string& out, int32_t line) {
  uint8_t bytes[2];
  PutLittle16(bytes, static_cast<uint16_t>(line));
  out.push_back(static_cast<char>(bytes[0]));
  out.push_back(static_cast<char>(bytes[1]));
}

class Encoder {
 public:
  Encoder(std::string_view text, const ProgramSymbols& symbols, std::string& out)
      : m_text(text), m_symbols(symbols), m_out(out) {}

  EncodeResult Run() {
    while (m_pos < m_text.size() && m_result.error == ErrorCode::None) Step();
    return m_result;
  }

 private:
  char At(size_t i) const { return i < m_text.size() ? m_text[i] : '\0'; }
  // A type character or a name starts a name only where no name goes on before it.
  bool AtNameBoundary() const { return m_pos == 0 || !IsNameChar(m_text[m_pos - 1]); }

  void Fail(ErrorCode code, std::string detail = {}) {
    m_result.error = code;
    m_result.detail = std::move(detail);
  }

  void Step() {
    const char c = m_text[m_pos];
    if (c == '"') return String();
    if (c == '\'' && m_round == 0 && m_square == 0) {
      m_pos = m_text.size();  // the comment behind the statement
      return;
    }
    if (c == ' ' && WordOperatorAt()) return;
    if (c == '@') return FunctionCall();
    if (IsTypeChar(c) && AtNameBoundary() && IsNameStart(At(m_pos + 1))) return SystemVariable();
    if (IsNameStart(c) && AtNameBoundary()) return Name();
    if (c == '(') ++m_round;
    if (c == ')') --m_round;
    if (c == '[') ++m_square;
    if (c == ']') --m_square;
    m_out.push_back(c);
    ++m_pos;
  }

  void String() {
    const size_t close = m_text.find('"', m_pos + 1);
    if (close == std::string_view::npos) return Fail(ErrorCode::StringEndMissing);
    m_out.append(m_text.substr(m_pos, close + 1 - m_pos));
    m_pos = close + 1;
  }

  bool WordOperatorAt() {
    for (const WordOperator& op : kWordOperators) {
      if (m_pos + op.text.size() <= m_text.size() &&
          EqualsNoCase(m_text.substr(m_pos, op.text.size()), op.text)) {
        m_out.push_back(static_cast<char>(kOperatorMark));
        m_out.push_back(op.letter);
        m_pos += op.text.size();
        return true;
      }
    }
    return false;
  }

  // The name of a function: name characters with type characters among them ("DIV&",
  // "LIST%", and the slot functions "$", "%", "&", "!").
  size_t FunctionNameEnd(size_t from) const {
    size_t end = from;
    while (end < m_text.size() && (IsNameChar(m_text[end]) || IsTypeChar(m_text[end]))) ++end;
    return end;
  }

  // "@" code, or "@" 0xFF and the DEF line; false when the name is no function.
  bool EncodeCall(const std::string& name) {
    if (const auto code = FunctionCode(name)) {
      m_out.push_back('@');
      m_out.push_back(static_cast<char>(*code));
      return true;
    }
    if (const int32_t line = m_symbols.DefFunctionLine(name)) {
      m_out.push_back('@');
      m_out.push_back(static_cast<char>(kCodeDefCall));
      PutLine(m_out, line);
      return true;
    }
    return false;
  }

  void FunctionCall() {
    const size_t end = FunctionNameEnd(m_pos + 1);
    const std::string name = UpperCase(m_text.substr(m_pos + 1, end - m_pos - 1));
    if (!EncodeCall(name)) return Fail(ErrorCode::UnknownFunction, name);
    size_t next = end;
    while (At(next) == ' ') ++next;
    if (At(next) != '(') return Fail(ErrorCode::ArgumentMissing);
    m_pos = end;
  }

  void SystemVariable() {
    size_t end = m_pos + 1;
    while (end < m_text.size() && IsNameChar(m_text[end])) ++end;
    const std::string name = UpperCase(m_text.substr(m_pos, end - m_pos));
    const char type = m_text[m_pos];
    m_pos = end;
    if (const auto code = SystemVariableCode(name)) {
      m_out.push_back(type);
      m_out.push_back(static_cast<char>(*code));
      return;
    }
    // "$" with hexadecimal digits is a number.
    if (type == '$' && IsHexDigits(std::string_view(name).substr(1))) {
      m_out.append(m_text.substr(end - (name.size()), name.size()));
      return;
    }
    if (const int32_t line = m_symbols.DefConstantLine(name)) {
      m_out.push_back(type);
      m_out.push_back(static_cast<char>(kCodeDefConstant));
      PutLine(m_out, line);
      return;
    }
    Fail(ErrorCode::UnknownSystemVariable, name);
  }

  // A name: a known function directly followed by "(" is a call written without "@";
  // any other name (a variable, a procedure) stays as written.
  void Name() {
    size_t end = m_pos;
    while (end < m_text.size() && IsNameChar(m_text[end])) ++end;
    if (IsTypeChar(At(end))) ++end;
    if (At(end) == '(' && EncodeCall(UpperCase(m_text.substr(m_pos, end - m_pos)))) {
      m_pos = end;
      return;
    }
    m_out.append(m_text.substr(m_pos, end - m_pos));
    m_pos = end;
  }

  std::string_view m_text;
  const ProgramSymbols& m_symbols;
  std::string& m_out;
  size_t m_pos = 0;
  int32_t m_round = 0;
  int32_t m_square = 0;
  EncodeResult m_result;
};

int32_t LineAt(std::string_view bytes, size_t i) {
  if (i + 1 >= bytes.size()) return 0;
  const uint8_t pair[2] = {static_cast<uint8_t>(bytes[i]), static_cast<uint8_t>(bytes[i + 1])};
  return GetLittle16(pair);
}

}  // namespace

bool IsNameChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' ||
         static_cast<unsigned char>(c) >= 0x80;
}

EncodeResult EncodeParameters(std::string_view text, const ProgramSymbols& symbols,
                              std::string& out) {
  return Encoder(text, symbols, out).Run();
}

std::string DecodeParameters(std::string_view in, const CompiledNames& names) {
  std::string out;
  size_t i = 0;
  while (i < in.size()) {
    const char c = in[i];
    const uint8_t next = i + 1 < in.size() ? static_cast<uint8_t>(in[i + 1]) : 0;
    if (c == '"') {
      const size_t close = in.find('"', i + 1);
      const size_t end = close == std::string_view::npos ? in.size() : close + 1;
      out.append(in.substr(i, end - i));
      i = end;
      continue;
    }
    if (static_cast<uint8_t>(c) == kOperatorMark && (next == 'A' || next == 'M' || next == 'O')) {
      out.append(next == 'A' ? " AND " : next == 'M' ? " MOD " : " OR ");
      i += 2;
      continue;
    }
    if (c == '@' && i + 1 < in.size()) {
      out.push_back('@');
      if (next == kCodeDefCall) {
        out.append(names.DefFunctionName(LineAt(in, i + 2)));
        i += 4;
        continue;
      }
      const std::string_view name = FunctionName(next);
      out.append(name.empty() ? "FN" + std::to_string(next) : std::string(name));
      i += 2;
      continue;
    }
    // A type character at a name boundary followed by a byte above 127: a code. The
    // encoder leaves no such pair as text (it would have been a name).
    if (IsTypeChar(c) && next >= 0x80 && (out.empty() || !IsNameChar(out.back()))) {
      if (next == kCodeDefConstant) {
        out.append(names.DefConstantName(LineAt(in, i + 2)));
        i += 4;
        continue;
      }
      const std::string_view name = SystemVariableName(next);
      out.append(name.empty() ? std::string(1, c) + "SV" + std::to_string(next)
                              : std::string(name));
      i += 2;
      continue;
    }
    out.push_back(c);
    ++i;
  }
  return out;
}

}  // namespace talven
