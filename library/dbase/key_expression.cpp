// Key expressions, numbers and names of the table layer.

#include "library/dbase/key_expression.h"

#include <cmath>
#include <cstring>

#include "common/bytes.h"
#include "library/dbase/limits.h"

namespace talven::dbase {

namespace {

std::string Trim(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
  while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
  return text.substr(begin, end - begin);
}

uint8_t UpperByte(uint8_t c) {
  if (c >= 'a' && c <= 'z') return static_cast<uint8_t>(c - 32);
  // The accented small letters of the ANSI set (not the division sign).
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<uint8_t>(c - 32);
  return c;
}

}  // namespace

std::string UpperCase(std::string text) {
  for (auto& c : text) c = static_cast<char>(UpperByte(static_cast<uint8_t>(c)));
  return text;
}

bool ParseNumber(const std::string& text, double* value) {
  const std::string trimmed = Trim(text);
  size_t i = 0;
  bool negative = false;
  if (i < trimmed.size() && (trimmed[i] == '-' || trimmed[i] == '+')) negative = trimmed[i++] == '-';
  double result = 0, scale = 1;
  bool digits = false, point = false;
  for (; i < trimmed.size(); ++i) {
    const char c = trimmed[i];
    if (c >= '0' && c <= '9') {
      digits = true;
      if (point) {
        scale /= 10;
        result += (c - '0') * scale;
      } else {
        result = result * 10 + (c - '0');
      }
    } else if ((c == '.' || c == ',') && !point) {
      point = true;
    } else {
      return false;
    }
  }
  if (!digits) return false;
  *value = negative ? -result : result;
  return std::isfinite(*value);
}

DbResult ParseKeyExpression(const std::string& text, const std::vector<DbfField>& fields, KeyExpression* key) {
  KeyExpression result;
  result.source = text;
  if (text.size() > static_cast<size_t>(kMaxKeyExpression)) return DbResult::Of(kErrFormula);
  size_t start = 0;
  int32_t fieldParts = 0;
  char fieldType = 'C';
  uint64_t length = 0;
  for (;;) {
    // Literals may hold a "+": the part ends at the first "+" outside quotes.
    size_t end = start;
    char quote = 0;
    while (end < text.size() && (quote || text[end] != '+')) {
      if (quote && text[end] == quote) {
        quote = 0;
      } else if (!quote && (text[end] == '"' || text[end] == '\'')) {
        quote = text[end];
      }
      ++end;
    }
    const std::string part = Trim(text.substr(start, end - start));
    if (part.empty() || quote) return DbResult::Of(kErrFormula);
    KeyExpression::Part piece;
    if (part.front() == '"' || part.front() == '\'') {
      if (part.size() < 2 || part.back() != part.front()) return DbResult::Of(kErrFormula);
      piece.literal = true;
      piece.text = part.substr(1, part.size() - 2);
      length += piece.text.size();
    } else {
      const std::string name = UpperCase(part);
      for (size_t f = 0; f < fields.size(); ++f) {
        if (UpperCase(fields[f].name) == name) piece.field = static_cast<int32_t>(f);
      }
      if (piece.field < 0) return DbResult::Of(kErrFormula);
      length += fields[piece.field].length;
      fieldType = fields[piece.field].type;
      ++fieldParts;
    }
    result.parts.push_back(std::move(piece));
    if (end >= text.size()) break;
    start = end + 1;
  }
  result.numeric = result.parts.size() == 1 && fieldParts == 1 && (fieldType == 'N' || fieldType == 'D');
  result.length = result.numeric ? 8 : static_cast<uint32_t>(length);
  if (result.length == 0 || length > static_cast<uint64_t>(kMaxKeyLength)) return DbResult::Of(kErrFormula);
  *key = std::move(result);
  return DbResult::Success();
}

void BuildKey(const KeyExpression& key, const std::vector<DbfField>& fields, const uint8_t* record, uint8_t* out) {
  if (key.numeric) {
    const DbfField& field = fields[key.parts.front().field];
    double value = 0;
    // Deliberate: a blank or damaged number indexes as 0, as the table shows it.
    ParseNumber(std::string(reinterpret_cast<const char*>(record + field.offset), field.length), &value);
    PutLittleDouble(out, value);
    return;
  }
  size_t at = 0;
  for (const auto& part : key.parts) {
    if (part.literal) {
      std::memcpy(out + at, part.text.data(), part.text.size());
      at += part.text.size();
    } else {
      const DbfField& field = fields[part.field];
      std::memcpy(out + at, record + field.offset, field.length);
      at += field.length;
    }
  }
}

std::string WithExtension(const std::string& name, const std::string& extension) {
  const size_t slash = name.find_last_of("/\\:");
  const size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) return name;
  return name + extension;
}

std::string SiblingName(const std::string& name, const std::string& extension) {
  const size_t slash = name.find_last_of("/\\:");
  size_t dot = name.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) dot = name.size();
  bool lower = false;
  for (size_t i = dot + 1; i < name.size(); ++i) lower = lower || (name[i] >= 'a' && name[i] <= 'z');
  std::string result = name.substr(0, dot) + extension;
  if (lower) {
    for (size_t i = dot; i < result.size(); ++i) {
      if (result[i] >= 'A' && result[i] <= 'Z') result[i] = static_cast<char>(result[i] + 32);
    }
  }
  return result;
}

}  // namespace talven::dbase
