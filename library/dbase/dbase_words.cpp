// Position words, index name lists and short dates of the dBase functions.

#include "library/dbase/dbase_words.h"

namespace talven::dbase {

namespace {

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool SameWord(std::string_view text, std::string_view word) {
  if (text.size() != word.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    if (c != word[i]) return false;
  }
  return true;
}

}  // namespace

MoveWord ParseMoveWord(std::string_view text, int64_t* number) {
  text = Trimmed(text);
  if (text == "|<" || SameWord(text, "TOP")) return MoveWord::Top;
  if (text == ">|" || SameWord(text, "BOTTOM")) return MoveWord::Bottom;
  if (text == ">" || SameWord(text, "NEXT")) return MoveWord::Next;
  if (text == "<" || SameWord(text, "PREV")) return MoveWord::Prev;
  if (text == "*" || SameWord(text, "INDEX")) return MoveWord::Index;
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  if (i == text.size() || text.size() - i > 12) return MoveWord::Invalid;
  int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return MoveWord::Invalid;
    value = value * 10 + (text[i] - '0');
  }
  *number = negative ? -value : value;
  return MoveWord::Number;
}

std::vector<std::string> SplitIndexNames(std::string_view text) {
  std::vector<std::string> names;
  std::string name;
  for (char c : text) {
    if (c == ' ' || c == ',' || c == '\t') {
      if (!name.empty()) names.push_back(std::move(name));
      name.clear();
    } else {
      name.push_back(c);
    }
  }
  if (!name.empty()) names.push_back(std::move(name));
  return names;
}

bool ValidIndexName(std::string_view name) {
  return !name.empty() && name.find(' ') == std::string_view::npos && name.find(',') == std::string_view::npos;
}

DateOrder DateOrderOf(std::string_view pattern) {
  DateOrder order;
  for (char c : pattern) {
    if (c != 'd' && c != 'D' && c != 'M' && c != 'm' && c != 'y' && c != 'Y') {
      order.separator = c;
      break;
    }
  }
  for (char c : pattern) {
    if (c == 'd' || c == 'D') return order;  // day first
    if (c == 'M' || c == 'm') {
      order.kind = DateOrder::MonthDayYear;
      return order;
    }
    if (c == 'y' || c == 'Y') {
      order.kind = DateOrder::YearMonthDay;
      return order;
    }
  }
  return order;
}

bool DateToText(std::string_view date, const DateOrder& order, std::string* text) {
  if (date.size() != 8) return false;
  const std::string year(date.substr(0, 4)), month(date.substr(4, 2)), day(date.substr(6, 2));
  const std::string s(1, order.separator);
  switch (order.kind) {
    case DateOrder::DayMonthYear: *text = day + s + month + s + year; break;
    case DateOrder::MonthDayYear: *text = month + s + day + s + year; break;
    case DateOrder::YearMonthDay: *text = year + s + month + s + day; break;
  }
  return true;
}

bool TextToDate(std::string_view text, const DateOrder& order, std::string* date) {
  if (text.size() != 10) return false;
  // Where year, month and day begin in the text.
  size_t year = 6, month = 3, day = 0;
  if (order.kind == DateOrder::MonthDayYear) month = 0, day = 3;
  if (order.kind == DateOrder::YearMonthDay) year = 0, month = 5, day = 8;
  date->assign(text.substr(year, 4));
  date->append(text.substr(month, 2));
  date->append(text.substr(day, 2));
  return true;
}

}  // namespace talven::dbase
