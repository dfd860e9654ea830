#include "library/system/system_values.h"

#include <array>

namespace talven {

namespace {

// Deliberate: the month table stores "Februar " and "März " with a trailing blank; the
// blank is dropped here so that the dates of February and March read like all others.
constexpr std::array<std::string_view, 12> kMonths = {
    "Januar", "Februar", "März",      "April",   "Mai",      "Juni",
    "Juli",   "August",  "September", "Oktober", "November", "Dezember"};
constexpr std::array<std::string_view, 7> kWeekdays = {
    "Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"};

// `value` with leading zeros to at least `digits` digits.
std::string Digits(int32_t value, size_t digits) {
  std::string text = std::to_string(value < 0 ? -value : value);
  if (text.size() < digits) text.insert(0, digits - text.size(), '0');
  if (value < 0) text.insert(0, 1, '-');
  return text;
}

// A name of a table, or "" for a value outside it (a clock never gives one).
template <size_t N>
std::string_view NameAt(const std::array<std::string_view, N>& table, int32_t index) {
  return index >= 0 && static_cast<size_t>(index) < N ? table[static_cast<size_t>(index)]
                                                      : std::string_view();
}

bool IsFieldLetter(char c) {
  return c == 'd' || c == 'D' || c == 'M' || c == 'm' || c == 'y' || c == 'Y';
}

// The field a pattern letter stands for: 0 day, 1 month, 2 year.
int FieldOf(char c) {
  switch (c) {
    case 'd':
    case 'D': return 0;
    case 'M':
    case 'm': return 1;
    default: return 2;
  }
}

// Mode 0: day, month and year in the order of the short-date pattern, joined by its
// separator (what stands between its first two fields). Each field has a fixed width:
// two digits for day and month, four for the year. A field the pattern leaves out
// follows in the order day, month, year.
std::string ShortDate(const LocalTime& time, std::string_view pattern) {
  std::array<int, 3> order{};
  size_t fields = 0;
  std::string separator;
  bool seen[3] = {false, false, false};
  size_t i = 0;
  while (i < pattern.size() && fields < 3) {
    if (!IsFieldLetter(pattern[i])) {
      ++i;
      continue;
    }
    const int field = FieldOf(pattern[i]);
    size_t end = i;
    while (end < pattern.size() && IsFieldLetter(pattern[end]) && FieldOf(pattern[end]) == field) {
      ++end;
    }
    if (!seen[field]) {
      seen[field] = true;
      order[fields++] = field;
      if (fields == 1) {
        size_t next = end;
        while (next < pattern.size() && !IsFieldLetter(pattern[next])) ++next;
        separator = std::string(pattern.substr(end, next - end));
      }
    }
    i = end;
  }
  if (fields == 0) return ShortDate(time, kDefaultShortDate);
  for (int field = 0; field < 3; ++field) {
    if (!seen[field]) order[fields++] = field;
  }
  std::string text;
  for (size_t n = 0; n < 3; ++n) {
    if (n > 0) text += separator;
    switch (order[n]) {
      case 0: text += Digits(time.day, 2); break;
      case 1: text += Digits(time.month, 2); break;
      default: text += Digits(time.year, 4); break;
    }
  }
  return text;
}

std::string LongDate(const LocalTime& time) {
  std::string text = std::to_string(time.day);
  text += ". ";
  text += NameAt(kMonths, time.month - 1);
  text += ' ';
  text += Digits(time.year, 4);
  return text;
}

}  // namespace

std::string DosVersionText(uint32_t version) {
  const uint32_t high = version >> 16;
  return std::to_string((high >> 8) & 0xFF) + "." + std::to_string(high & 0xFF);
}

std::string WinVersionText(uint32_t version) {
  return std::to_string(version & 0xFF) + "." + std::to_string((version >> 8) & 0xFF);
}

std::string DriveText(std::string_view currentDirectory) {
  return std::string(currentDirectory.substr(0, 2));
}

std::string DateText(const LocalTime& time, int32_t mode, std::string_view shortDatePattern) {
  // Deliberate: C++'s remainder keeps the sign, so a negative mode is "any other mode".
  switch (mode % 16) {
    case 1: return LongDate(time);
    case 2: return std::string(NameAt(kWeekdays, time.weekday)) + ", der " + LongDate(time);
    case 3: return Digits(time.year, 4) + Digits(time.month, 2) + Digits(time.day, 2);
    case 4: return std::string(shortDatePattern);
    default: return ShortDate(time, shortDatePattern);
  }
}

std::string TimeText(const LocalTime& time, int32_t mode) {
  if (mode % 2 == 0) return Digits(time.hour, 2) + ":" + Digits(time.minute, 2);
  return Digits(time.second, 2) + "." + Digits(time.millisecond, 2);
}

}  // namespace talven
