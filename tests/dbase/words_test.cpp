// Position words, index name lists and the dates of DTOC$/CTOD$.

#include <gtest/gtest.h>

#include "library/dbase/dbase_words.h"

namespace talven::dbase {
namespace {

TEST(MoveWords, WordsInAnyCaseAndNumbers) {
  int64_t number = 0;
  EXPECT_EQ(ParseMoveWord("|<", &number), MoveWord::Top);
  EXPECT_EQ(ParseMoveWord(" top ", &number), MoveWord::Top);
  EXPECT_EQ(ParseMoveWord("Bottom", &number), MoveWord::Bottom);
  EXPECT_EQ(ParseMoveWord(">|", &number), MoveWord::Bottom);
  EXPECT_EQ(ParseMoveWord(">", &number), MoveWord::Next);
  EXPECT_EQ(ParseMoveWord("nExT", &number), MoveWord::Next);
  EXPECT_EQ(ParseMoveWord("<", &number), MoveWord::Prev);
  EXPECT_EQ(ParseMoveWord("prev", &number), MoveWord::Prev);
  EXPECT_EQ(ParseMoveWord("*", &number), MoveWord::Index);
  EXPECT_EQ(ParseMoveWord("index", &number), MoveWord::Index);
  EXPECT_EQ(ParseMoveWord("17", &number), MoveWord::Number);
  EXPECT_EQ(number, 17);
  EXPECT_EQ(ParseMoveWord("0", &number), MoveWord::Number);
  EXPECT_EQ(number, 0);
  EXPECT_EQ(ParseMoveWord("weiter", &number), MoveWord::Invalid);
  EXPECT_EQ(ParseMoveWord("", &number), MoveWord::Invalid);
  EXPECT_EQ(ParseMoveWord("99999999999999999999", &number), MoveWord::Invalid);
}

TEST(IndexNames, BlanksAndCommas) {
  EXPECT_EQ(SplitIndexNames(" A.NDX, b  ,,C "), (std::vector<std::string>{"A.NDX", "b", "C"}));
  EXPECT_TRUE(SplitIndexNames("  ").empty());
  EXPECT_TRUE(ValidIndexName("KUNDEN.NDX"));
  EXPECT_FALSE(ValidIndexName("KUN DEN"));
  EXPECT_FALSE(ValidIndexName("A,B"));
}

TEST(ShortDates, ThreeOrdersRoundTrip) {
  const DateOrder german = DateOrderOf("dd.MM.yyyy"), us = DateOrderOf("M/d/yy"), iso = DateOrderOf("yyyy-MM-dd");
  EXPECT_EQ(german.kind, DateOrder::DayMonthYear);
  EXPECT_EQ(us.kind, DateOrder::MonthDayYear);
  EXPECT_EQ(us.separator, '/');
  EXPECT_EQ(iso.kind, DateOrder::YearMonthDay);
  std::string text, date;
  for (const DateOrder& order : {german, us, iso}) {
    ASSERT_TRUE(DateToText("20240229", order, &text));
    EXPECT_EQ(text.size(), 10u);
    ASSERT_TRUE(TextToDate(text, order, &date));
    EXPECT_EQ(date, "20240229");
  }
  ASSERT_TRUE(DateToText("19991231", german, &text));
  EXPECT_EQ(text, "31.12.1999");
  ASSERT_TRUE(DateToText("19990105", us, &text));
  EXPECT_EQ(text, "01/05/1999");
  EXPECT_FALSE(DateToText("1999123", german, &text));
  EXPECT_FALSE(TextToDate("31.12.99", german, &date));
}

}  // namespace
}  // namespace talven::dbase
