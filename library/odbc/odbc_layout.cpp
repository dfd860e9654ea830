// The lines SQLEXEC writes. Mended here: widths are 64-bit (a column of 2^31-1 bytes or
// SQL_NO_TOTAL cannot overflow them), the buffer holds the width and the zero byte (the
// widest value of a column, "-2147483648" in a width of 11, loses nothing), and in
// SQL.DAT a quote character inside a value is doubled, so that the file reads back.

#include "library/odbc/odbc_layout.h"

#include <algorithm>

namespace talven {

namespace {

// SQL type numbers of the driver managers (ODBC 2 and 3 forms of date and time).
enum SqlType : int32_t {
  kBit = -7,
  kTinyInt = -6,
  kBigInt = -5,
  kLongVarBinary = -4,
  kVarBinary = -3,
  kBinary = -2,
  kLongVarChar = -1,
  kNumeric = 2,
  kDecimal = 3,
  kInteger = 4,
  kSmallInt = 5,
  kFloat = 6,
  kReal = 7,
  kDouble = 8,
  kDate = 9,
  kTime = 10,
  kTimestamp = 11,
  kTypeDate = 91,
  kTypeTime = 92,
  kTypeTimestamp = 93,
};

int64_t TypeWidth(int32_t sqlType, int64_t size) {
  switch (sqlType) {
    case kBit: return 1;
    case kTinyInt: return 4;
    case kBigInt: return 20;
    case kBinary:
    case kVarBinary: return 2 * size;
    case kLongVarChar: return 50;
    case kNumeric:
    case kDecimal: return size + 2;
    case kInteger:
    case kDate:
    case kTypeDate: return 11;
    case kSmallInt: return 6;
    case kFloat:
    case kDouble: return 22;
    case kReal: return 13;
    case kTime:
    case kTypeTime: return 8;
    case kTimestamp:
    case kTypeTimestamp: return 23;
    default: return size + 1;
  }
}

}  // namespace

int64_t DisplayWidth(int32_t sqlType, uint32_t size, size_t nameLength) {
  return std::max<int64_t>(static_cast<int64_t>(nameLength), TypeWidth(sqlType, size));
}

int64_t ShownWidth(int64_t displayWidth, SqlTarget target) {
  return target == SqlTarget::File ? displayWidth : std::min(displayWidth, kMaxShownWidth);
}

size_t BufferSize(int64_t displayWidth, SqlTarget target) {
  const int64_t most = target == SqlTarget::File ? kMaxFileValue : kMaxShownWidth;
  return static_cast<size_t>(std::clamp<int64_t>(displayWidth, 0, most) + 1);
}

std::string SqlLine(std::span<const std::optional<std::string>> pieces, std::span<const int64_t> widths,
                    const SqlLineStyle& style) {
  std::string line;
  for (size_t i = 0; i < pieces.size(); ++i) {
    const std::string& value = pieces[i] ? *pieces[i] : style.nullText;
    if (style.target == SqlTarget::File) {
      line += style.quote;
      if (style.quote.empty()) {
        line += value;
      } else {
        for (const char c : value) {
          line.push_back(c);
          if (c == style.quote.front()) line.push_back(c);
        }
      }
      line += style.quote;
    } else {
      line += value;
      const int64_t width = i < widths.size() ? ShownWidth(widths[i], style.target) : 0;
      if (static_cast<int64_t>(value.size()) < width) line.append(static_cast<size_t>(width) - value.size(), ' ');
    }
    line += style.delimiter;
  }
  return line;
}

std::string SqlSeparator(std::span<const std::optional<std::string>> names, std::span<const int64_t> widths,
                         const SqlLineStyle& style) {
  std::string line;
  for (size_t i = 0; i < names.size(); ++i) {
    const std::string piece = SqlLine(names.subspan(i, 1), widths.subspan(i, 1), style);
    line.append(piece.size() + 1, '-');
  }
  return line;
}

std::string DriverMessage(std::string_view message) {
  const size_t bracket = message.rfind(']');
  return std::string(bracket == std::string_view::npos ? message : message.substr(bracket + 1));
}

}  // namespace talven
