// The string functions of the catalogue, and PASSWORD, the statement that sets the key of
// @PWD$. Every string result is cut at 255 characters; nothing reports the cut.

#include <algorithm>
#include <cstdint>
#include <string>

#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/evaluator.h"
#include "engine/function_handlers.h"
#include "engine/number_text.h"
#include "engine/statements.h"
#include "engine/text.h"

namespace talven {

namespace {

// The position of `part` in `text` from `from` on; npos when absent. An empty part is
// never found.
size_t Find(std::string_view text, std::string_view part, size_t from = 0) {
  if (part.empty()) return std::string_view::npos;
  return text.find(part, from);
}

// "Copy" of the text: `count` characters from the 1-based `start`, fewer where the text
// ends; none for a start past the end or a count below 1.
std::string Copy(const std::string& text, int32_t start, int32_t count) {
  if (start < 1 || count < 1 || static_cast<size_t>(start) > text.size()) return {};
  return text.substr(static_cast<size_t>(start) - 1, static_cast<size_t>(count));
}

void Compare(Engine& engine, bool (*test)(int order)) {
  const std::string& a = ArgKept(engine, 0);
  const std::string& b = ArgText(engine);
  // Byte-wise, as unsigned characters; a prefix is the smaller.
  int byteOrder = 0;
  const size_t n = std::min(a.size(), b.size());
  size_t i = 0;
  while (i < n && a[i] == b[i]) ++i;
  if (i < n) {
    byteOrder = static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[i]) ? -1 : 1;
  } else if (a.size() != b.size()) {
    byteOrder = a.size() < b.size() ? -1 : 1;
  }
  ResultInteger(engine, test(byteOrder) ? 1 : 0);
}

void Base(Engine& engine, uint32_t base) {
  const int32_t value = ArgLong(engine);
  ResultString(engine, ToBase(static_cast<uint32_t>(value), base));
}

}  // namespace

void FnLen(Engine& engine, std::string_view) {
  ResultInteger(engine, static_cast<int32_t>(ArgText(engine).size()));
}

void FnOrd(Engine& engine, std::string_view) {
  const std::string& text = ArgText(engine);
  ResultInteger(engine, text.empty() ? 0 : static_cast<unsigned char>(text.front()));
}

void FnChr(Engine& engine, std::string_view) {
  ResultString(engine, std::string(1, static_cast<char>(ArgInteger(engine))));
}

void FnAddStr(Engine& engine, std::string_view) {
  const std::string& a = ArgKept(engine, 0);
  const std::string& b = ArgText(engine);
  ResultString(engine, Joined(a, b));
}

void FnMid(Engine& engine, std::string_view) {
  const std::string& text = ArgKept(engine, 0);
  const int32_t start = ArgInteger(engine);
  const int32_t count = ArgInteger(engine);
  if (start < 1) {
    engine.reg = Registers{};
    Error(engine, ErrorCode::StringIndexBelowOne);
    return;
  }
  ResultString(engine, Copy(text, start, count));
}

void FnLeft(Engine& engine, std::string_view) {
  const std::string& text = ArgKept(engine, 0);
  const int32_t count = ArgInteger(engine);
  ResultString(engine, Copy(text, 1, count));
}

void FnRight(Engine& engine, std::string_view) {
  const std::string& text = ArgKept(engine, 0);
  const int32_t count = ArgInteger(engine);
  if (count < 1 || static_cast<size_t>(count) > text.size()) {
    engine.reg = Registers{};
    Error(engine, ErrorCode::StringIndexBelowOne);
    return;
  }
  ResultString(engine, text.substr(text.size() - static_cast<size_t>(count)));
}

void FnDel(Engine& engine, std::string_view) {
  std::string text = ArgString(engine);
  const int32_t start = ArgInteger(engine);
  const int32_t count = ArgInteger(engine);
  if (start < 1) {
    engine.reg = Registers{};
    Error(engine, ErrorCode::StringIndexBelowOne);
    return;
  }
  if (count > 0 && static_cast<size_t>(start) <= text.size()) {
    text.erase(static_cast<size_t>(start) - 1, static_cast<size_t>(count));
  }
  ResultString(engine, std::move(text));
}

void FnIns(Engine& engine, std::string_view) {
  const std::string& part = ArgKept(engine, 0);
  std::string text = ArgString(engine);
  const int32_t position = ArgInteger(engine);
  if (position < 1) {
    engine.reg = Registers{};
    Error(engine, ErrorCode::StringIndexBelowOne);
    return;
  }
  // A position past the end appends.
  text.insert(std::min(static_cast<size_t>(position) - 1, text.size()), part);
  ResultString(engine, std::move(text));
}

void FnInstr(Engine& engine, std::string_view) {
  const std::string& part = ArgKept(engine, 0);
  const std::string& text = ArgText(engine);
  const size_t at = Find(text, part);
  ResultInteger(engine, at == std::string::npos ? 0 : static_cast<int32_t>(at) + 1);
}

void FnSubstr(Engine& engine, std::string_view) {
  std::string text = ArgString(engine);
  const int32_t number = ArgInteger(engine);
  const std::string& separator = ArgText(engine);
  if (number < 1) {
    engine.reg = Registers{};
    Error(engine, ErrorCode::SubstringNumberBelowOne);
    return;
  }
  for (int32_t i = 1; i < number && !text.empty(); ++i) {
    const size_t at = Find(text, separator);
    if (at == std::string::npos) {
      text.clear();
    } else {
      text.erase(0, at + separator.size());
    }
  }
  const size_t at = Find(text, separator);
  ResultString(engine, at == std::string::npos ? text : text.substr(0, at));
}

void FnTranslate(Engine& engine, std::string_view) {
  const std::string& text = ArgKept(engine, 0);
  const std::string& find = ArgKept(engine, 1);
  const std::string& replace = ArgText(engine);
  std::string out;
  size_t from = 0;
  for (size_t at = Find(text, find); at != std::string::npos; at = Find(text, find, from)) {
    out.append(text, from, at - from).append(replace);
    from = at + find.size();
    if (out.size() > kMaxStringLength) break;
  }
  if (out.size() <= kMaxStringLength) out.append(text, from, std::string::npos);
  ResultString(engine, std::move(out));
}

void FnTrim(Engine& engine, std::string_view) {
  ResultString(engine, std::string(TrimControl(ArgText(engine))));
}

void FnUpper(Engine& engine, std::string_view) {
  std::string text = ArgString(engine);
  for (char& c : text) {
    const auto u = static_cast<unsigned char>(c);
    if ((u >= 'a' && u <= 'z') || (u >= 224 && u <= 254 && u != 247)) c = static_cast<char>(u - 32);
  }
  ResultString(engine, std::move(text));
}

void FnLower(Engine& engine, std::string_view) {
  std::string text = ArgString(engine);
  for (char& c : text) {
    const auto u = static_cast<unsigned char>(c);
    if ((u >= 'A' && u <= 'Z') || (u >= 192 && u <= 222 && u != 215)) c = static_cast<char>(u + 32);
  }
  ResultString(engine, std::move(text));
}

void FnSpace(Engine& engine, std::string_view) {
  const int32_t count = ArgInteger(engine);
  ResultString(engine, std::string(static_cast<size_t>(std::clamp<int32_t>(count, 0, kMaxStringLength)), ' '));
}

void FnMkStr(Engine& engine, std::string_view) {
  const std::string& part = ArgKept(engine, 0);
  const int32_t count = ArgInteger(engine);
  std::string out;
  for (int32_t i = 0; i < count && !part.empty() && out.size() + part.size() <= kMaxStringLength; ++i) {
    out += part;
  }
  ResultString(engine, std::move(out));
}

void FnStr(Engine& engine, std::string_view) {
  NextArgument(engine, EvalMode::Number);
  const Registers& reg = engine.reg;
  // The NUMWIDTH and DECIMALS of the moment, as PRINT writes numbers.
  ResultString(engine, reg.type == ValueType::Float ? FormatFloat(reg.floatValue, engine.format)
                                                    : FormatInteger(reg.longValue, engine.format));
}

void FnVal(Engine& engine, std::string_view) {
  const ValReading reading = ReadVal(ArgText(engine));
  if (reading.isFloat) {
    ResultFloat(engine, reading.floatValue);
  } else {
    ResultInteger(engine, reading.longValue, ValueType::Long);
  }
}

void FnHex(Engine& engine, std::string_view) { Base(engine, 16); }
void FnOct(Engine& engine, std::string_view) { Base(engine, 8); }
void FnBin(Engine& engine, std::string_view) { Base(engine, 2); }

void FnFormat(Engine& engine, std::string_view) {
  const std::string& picture = ArgKept(engine, 0);
  const double value = ArgFloat(engine);
  ResultString(engine, FormatPicture(picture, value));
}

void FnOemToAnsi(Engine& engine, std::string_view) { ResultString(engine, OemToAnsi(ArgText(engine))); }
void FnAnsiToOem(Engine& engine, std::string_view) { ResultString(engine, AnsiToOem(ArgText(engine))); }

void FnEquStr(Engine& engine, std::string_view) {
  Compare(engine, [](int order) { return order == 0; });
}
void FnNeqStr(Engine& engine, std::string_view) {
  Compare(engine, [](int order) { return order != 0; });
}
void FnLtStr(Engine& engine, std::string_view) {
  Compare(engine, [](int order) { return order < 0; });
}
void FnGtStr(Engine& engine, std::string_view) {
  Compare(engine, [](int order) { return order > 0; });
}

// @PWD$(s): character i keeps its low six bits; its top two are exclusive-or-ed with those
// of key character 256 - i. Twice is the identity; without a key nothing changes.
void FnPwd(Engine& engine, std::string_view) {
  std::string text = ArgString(engine);
  const std::string& key = engine.functions.passwordKey;
  if (key.size() == kMaxStringLength) {
    for (size_t i = 0; i < text.size(); ++i) {
      const auto k = static_cast<unsigned char>(key[kMaxStringLength - 1 - i]);
      text[i] = static_cast<char>(static_cast<unsigned char>(text[i]) ^ (k & 0xC0));
    }
  }
  ResultString(engine, std::move(text));
}

// PASSWORD text: each character c becomes (c mod 4) * 64, repeated to 255 characters; an
// empty text clears the key.
void StmtPassword(Engine& engine) {
  engine.handled = true;
  std::string text;
  if (!TrimControl(engine.param).empty()) {
    Evaluate(engine, "");
    text = engine.reg.Text();
  }
  std::string& key = engine.functions.passwordKey;
  key.clear();
  if (text.empty()) return;
  while (key.size() < kMaxStringLength) {
    const auto c = static_cast<unsigned char>(text[key.size() % text.size()]);
    key.push_back(static_cast<char>((c % 4) * 64));
  }
}

}  // namespace talven
