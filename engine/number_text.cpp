#include "engine/number_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "engine/limits.h"
#include "engine/text.h"

namespace talven {

namespace {

// ---- FORMAT$ --------------------------------------------------------------------------

struct PictureItem {
  enum class Kind : uint8_t { Zero, Hash, Point, Literal };
  Kind kind;
  std::string text;  // Literal
};

struct Picture {
  std::vector<PictureItem> items;
  bool thousands = false;
  int integerPlaces = 0;  // "0" and "#" before the point
  int minInteger = 0;     // from the first "0" before the point to the point
  int decimals = 0;       // "0" and "#" after the point
  int minDecimals = 0;    // up to the last "0" after the point
};

// The sections of a picture: split at ";" outside quotes, at most three.
std::vector<std::string_view> Sections(std::string_view picture) {
  std::vector<std::string_view> sections;
  size_t start = 0;
  char quote = 0;
  for (size_t i = 0; i < picture.size(); ++i) {
    const char c = picture[i];
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == ';' && sections.size() < 2) {
      sections.push_back(picture.substr(start, i - start));
      start = i + 1;
    }
  }
  sections.push_back(picture.substr(start));
  return sections;
}

Picture ParsePicture(std::string_view section) {
  Picture picture;
  bool afterPoint = false;
  int firstZero = -1;
  for (size_t i = 0; i < section.size(); ++i) {
    const char c = section[i];
    using Kind = PictureItem::Kind;
    if (c == '"' || c == '\'') {
      size_t close = section.find(c, i + 1);
      if (close == std::string_view::npos) close = section.size();
      picture.items.push_back({Kind::Literal, std::string(section.substr(i + 1, close - i - 1))});
      i = close;
    } else if (c == '0' || c == '#') {
      picture.items.push_back({c == '0' ? Kind::Zero : Kind::Hash, {}});
      if (afterPoint) {
        ++picture.decimals;
        if (c == '0') picture.minDecimals = picture.decimals;
      } else {
        if (c == '0' && firstZero < 0) firstZero = picture.integerPlaces;
        ++picture.integerPlaces;
      }
    } else if (c == '.' && !afterPoint) {
      afterPoint = true;
      picture.items.push_back({Kind::Point, {}});
    } else if (c == ',') {
      // Deliberate: a "," among the integer digits asks for separators; one after the
      // point has no meaning and is dropped.
      if (!afterPoint) picture.thousands = true;
    } else {
      picture.items.push_back({Kind::Literal, std::string(1, c)});
    }
  }
  picture.minInteger = firstZero < 0 ? 0 : picture.integerPlaces - firstZero;
  return picture;
}

std::string FixedText(double magnitude, int decimals) {
  // A fixed-point text of the largest double needs about 310 digits before the point.
  std::vector<char> buffer(static_cast<size_t>(decimals) + 400);
  std::snprintf(buffer.data(), buffer.size(), "%.*f", decimals, magnitude);
  return std::string(buffer.data());
}

std::string FormatSection(const Picture& picture, double magnitude, bool negative) {
  std::string fixed = FixedText(magnitude, picture.decimals);
  const size_t point = fixed.find('.');
  std::string integer = fixed.substr(0, point);
  std::string fraction = point == std::string::npos ? std::string() : fixed.substr(point + 1);
  while (static_cast<int>(fraction.size()) > picture.minDecimals && !fraction.empty() &&
         fraction.back() == '0') {
    fraction.pop_back();
  }
  if (integer == "0" && picture.minInteger == 0) integer.clear();
  while (static_cast<int>(integer.size()) < picture.minInteger) integer.insert(0, 1, '0');
  bool zero = true;
  for (char c : integer + fraction) zero = zero && c == '0';

  std::string out;
  if (negative && !zero) out.push_back('-');
  const int n = static_cast<int>(integer.size());
  int place = 0;     // integer placeholders met
  size_t digit = 0;  // fraction digits written
  bool afterPoint = false;
  auto emitInteger = [&](int from, int to) {
    for (int i = from; i < to; ++i) {
      out.push_back(integer[static_cast<size_t>(i)]);
      const int right = n - 1 - i;
      if (picture.thousands && right > 0 && right % 3 == 0) out.push_back(',');
    }
  };
  for (const PictureItem& item : picture.items) {
    using Kind = PictureItem::Kind;
    switch (item.kind) {
      case Kind::Literal: out += item.text; break;
      case Kind::Point:
        afterPoint = true;
        if (!fraction.empty()) out.push_back('.');
        break;
      case Kind::Zero:
      case Kind::Hash:
        if (afterPoint) {
          if (digit < fraction.size()) out.push_back(fraction[digit++]);
        } else {
          // The digit of this place, counted from the right; the first place also takes
          // every digit the picture has no place for.
          const int at = n - picture.integerPlaces + place;
          if (place == 0) {
            emitInteger(0, std::max(0, at + 1));
          } else if (at >= 0) {
            emitInteger(at, at + 1);
          }
          ++place;
        }
        break;
    }
  }
  return out;
}

std::string GeneralText(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof(buffer), "%.15g", value);
  return buffer;
}

// ---- VAL -------------------------------------------------------------------------------

size_t DecimalDigits(std::string_view text, size_t i) {
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
  return i;
}

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return 99;
}

// ---- code pages ------------------------------------------------------------------------

// cp850 -> cp1252, bytes 128..255
constexpr uint8_t kOemToAnsi[128] = {
    0xC7, 0xFC, 0xE9, 0xE2, 0xE4, 0xE0, 0xE5, 0xE7, 0xEA, 0xEB, 0xE8, 0xEF, 0xEE, 0xEC, 0xC4, 0xC5,
    0xC9, 0xE6, 0xC6, 0xF4, 0xF6, 0xF2, 0xFB, 0xF9, 0xFF, 0xD6, 0xDC, 0xF8, 0xA3, 0xD8, 0xD7, 0x83,
    0xE1, 0xED, 0xF3, 0xFA, 0xF1, 0xD1, 0xAA, 0xBA, 0xBF, 0xAE, 0xAC, 0xBD, 0xBC, 0xA1, 0xAB, 0xBB,
    0x23, 0x23, 0x23, 0x7C, 0x7C, 0xC1, 0xC2, 0xC0, 0xA9, 0x7C, 0x7C, 0x2B, 0x2B, 0xA2, 0xA5, 0x2B,
    0x2B, 0x2D, 0x2D, 0x7C, 0x2D, 0x2B, 0xE3, 0xC3, 0x2B, 0x2B, 0x2D, 0x2D, 0x7C, 0x2D, 0x2B, 0xA4,
    0xF0, 0xD0, 0xCA, 0xCB, 0xC8, 0x69, 0xCD, 0xCE, 0xCF, 0x2B, 0x2B, 0x23, 0x23, 0xA6, 0xCC, 0x23,
    0xD3, 0xDF, 0xD4, 0xD2, 0xF5, 0xD5, 0xB5, 0xFE, 0xDE, 0xDA, 0xDB, 0xD9, 0xFD, 0xDD, 0xAF, 0xB4,
    0xAD, 0xB1, 0x3D, 0xBE, 0xB6, 0xA7, 0xF7, 0xB8, 0xB0, 0xA8, 0xB7, 0xB9, 0xB3, 0xB2, 0x23, 0xA0,
};
// cp1252 -> cp850, bytes 128..255 (the five bytes 1252 leaves undefined become "?")
constexpr uint8_t kAnsiToOem[128] = {
    0x45, 0x3F, 0x2C, 0x9F, 0x22, 0x2E, 0x2B, 0x2B, 0x5E, 0x25, 0x53, 0x3C, 0x4F, 0x3F, 0x5A, 0x3F,
    0x3F, 0x27, 0x27, 0x22, 0x22, 0x2A, 0x2D, 0x2D, 0x7E, 0x54, 0x73, 0x3E, 0x6F, 0x3F, 0x7A, 0x59,
    0xFF, 0xAD, 0xBD, 0x9C, 0xCF, 0xBE, 0xDD, 0xF5, 0xF9, 0xB8, 0xA6, 0xAE, 0xAA, 0xF0, 0xA9, 0xEE,
    0xF8, 0xF1, 0xFD, 0xFC, 0xEF, 0xE6, 0xF4, 0xFA, 0xF7, 0xFB, 0xA7, 0xAF, 0xAC, 0xAB, 0xF3, 0xA8,
    0xB7, 0xB5, 0xB6, 0xC7, 0x8E, 0x8F, 0x92, 0x80, 0xD4, 0x90, 0xD2, 0xD3, 0xDE, 0xD6, 0xD7, 0xD8,
    0xD1, 0xA5, 0xE3, 0xE0, 0xE2, 0xE5, 0x99, 0x9E, 0x9D, 0xEB, 0xE9, 0xEA, 0x9A, 0xED, 0xE8, 0xE1,
    0x85, 0xA0, 0x83, 0xC6, 0x84, 0x86, 0x91, 0x87, 0x8A, 0x82, 0x88, 0x89, 0x8D, 0xA1, 0x8C, 0x8B,
    0xD0, 0xA4, 0x95, 0xA2, 0x93, 0xE4, 0x94, 0xF6, 0x9B, 0x97, 0xA3, 0x96, 0x81, 0xEC, 0xE7, 0x98,
};

std::string Mapped(std::string_view text, const uint8_t (&table)[128]) {
  std::string out(text);
  for (char& c : out) {
    const auto byte = static_cast<uint8_t>(c);
    if (byte >= 128) c = static_cast<char>(table[byte - 128]);
  }
  return out;
}

}  // namespace

std::string FormatPicture(std::string_view picture, double value) {
  std::string out;
  if (std::isnan(value)) {
    out = "NAN";
  } else if (std::isinf(value)) {
    out = value < 0 ? "-INF" : "INF";
  } else {
    const std::vector<std::string_view> sections = Sections(picture);
    std::string_view section = sections[0];
    bool sign = value < 0;
    if (value < 0 && sections.size() > 1 && !sections[1].empty()) {
      section = sections[1];
      sign = false;
    } else if (value == 0 && sections.size() > 2 && !sections[2].empty()) {
      section = sections[2];
    }
    if (section.empty()) {
      out = GeneralText(value);
    } else {
      out = FormatSection(ParsePicture(section), std::fabs(value), sign);
    }
  }
  CutToMaxString(out);
  return out;
}

ValReading ReadVal(std::string_view text) {
  text = TrimControl(text);
  ValReading reading;
  if (text.empty()) return reading;
  uint32_t base = 0;
  switch (text.front()) {
    case '$': base = 16; break;
    case '&': base = 8; break;
    case '%': base = 2; break;
    default: break;
  }
  if (base != 0) {
    // The digits up to the first that does not belong to the base; wider values wrap
    // as the 32-bit register does.
    uint32_t value = 0;
    for (size_t i = 1; i < text.size(); ++i) {
      const int digit = DigitValue(text[i]);
      if (digit >= static_cast<int>(base)) break;
      value = value * base + static_cast<uint32_t>(digit);
    }
    reading.longValue = static_cast<int32_t>(value);
    reading.floatValue = reading.longValue;
    return reading;
  }
  // The longest beginning that is a number: sign, digits, and (for a float) a point with
  // digits and an exponent.
  reading.isFloat = text.find('.') != std::string_view::npos;
  size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  const size_t digitsStart = i;
  i = DecimalDigits(text, i);
  if (reading.isFloat) {
    if (i < text.size() && text[i] == '.') i = DecimalDigits(text, i + 1);
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
      size_t e = i + 1;
      if (e < text.size() && (text[e] == '+' || text[e] == '-')) ++e;
      const size_t end = DecimalDigits(text, e);
      if (end > e) i = end;
    }
    const std::string number(text.substr(0, i));
    reading.floatValue = i > digitsStart ? std::strtod(number.c_str(), nullptr) : 0.0;
    if (!std::isfinite(reading.floatValue)) reading.floatValue = 0.0;
    const double magnitude = std::fabs(reading.floatValue);
    reading.longValue = magnitude <= 2147483647.0 ? static_cast<int32_t>(reading.floatValue) : 0;
    return reading;
  }
  // A long: a digit that would carry it past the 32-bit range ends it as well.
  const bool negative = digitsStart > 0 && text[0] == '-';
  int64_t value = 0;
  for (size_t d = digitsStart; d < i; ++d) {
    const int64_t next = value * 10 + (text[d] - '0');
    if (next > (negative ? 2147483648LL : 2147483647LL)) break;
    value = next;
  }
  reading.longValue = static_cast<int32_t>(negative ? -value : value);
  reading.floatValue = reading.longValue;
  return reading;
}

std::string ToBase(uint32_t value, uint32_t base) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  do {
    out.insert(out.begin(), kDigits[value % base]);
    value /= base;
  } while (value != 0);
  return out;
}

std::string OemToAnsi(std::string_view text) { return Mapped(text, kOemToAnsi); }
std::string AnsiToOem(std::string_view text) { return Mapped(text, kAnsiToOem); }

}  // namespace talven
