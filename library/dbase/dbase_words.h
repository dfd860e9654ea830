#pragma once
// The small texts the dBase functions read: DBGO's position words, DBINDEX's list of index
// names, and the dates of DTOC$/CTOD$ in the system's short date format.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace talven::dbase {

enum class MoveWord { Top, Bottom, Next, Prev, Index, Number, Invalid };

// "|<"/TOP, ">|"/BOTTOM, ">"/NEXT, "<"/PREV, "*"/INDEX in any case (blanks around ignored);
// Number when the text is a whole number (*number set), Invalid otherwise.
MoveWord ParseMoveWord(std::string_view text, int64_t* number);

// Index names separated by blanks or commas, empty names dropped.
std::vector<std::string> SplitIndexNames(std::string_view text);

// Whether DBCREATEINDEX may use the name (no blank, no comma: 616 otherwise).
bool ValidIndexName(std::string_view name);

// The order of day, month and year in a short date pattern such as "dd.MM.yyyy",
// "M/d/yy" or "yyyy-MM-dd", and its separator.
struct DateOrder {
  enum Kind { DayMonthYear, MonthDayYear, YearMonthDay } kind = DayMonthYear;
  char separator = '.';
};
DateOrder DateOrderOf(std::string_view pattern);

// DTOC$: "YYYYMMDD" to two-digit day and month and four-digit year in the pattern's order;
// false unless the text has exactly 8 characters (202).
bool DateToText(std::string_view date, const DateOrder& order, std::string* text);
// CTOD$: 10 characters in the pattern's order back to "YYYYMMDD"; false unless the text has
// exactly 10 characters (203).
bool TextToDate(std::string_view text, const DateOrder& order, std::string* date);

}  // namespace talven::dbase
