#include <gtest/gtest.h>

#include "engine/scan.h"
#include "engine/split.h"

namespace talven {
namespace {

void ExpectSplit(std::string_view line, std::string_view word, std::string_view param) {
  const SplitLine split = Split(line);
  EXPECT_EQ(split.word, word) << line;
  EXPECT_EQ(split.param, param) << line;
}

TEST(Split, WordAndParameters) {
  ExpectSplit("", "", "");
  ExpectSplit("print  \"a b\"", "PRINT", "\"a b\"");
  ExpectSplit("End", "END", "");
  ExpectSplit("Anfang:", "ANFANG:", "");
}

TEST(Split, FunctionCallsAsStatements) {
  ExpectSplit("@msg(1)", "@", "@msg(1)");
  ExpectSplit("Zeichne(1,2)", "@", "Zeichne(1,2)");
  // A keyword directly before its bracket is a call too.
  ExpectSplit("IF(a%)", "@", "IF(a%)");
  // The "(" must not stand first, nor after a blank or a delimiter.
  ExpectSplit("(a)", "(A)", "");
  ExpectSplit("PRINT (1)", "PRINT", "(1)");
  ExpectSplit("a%=f(1)", "LET", "a%=f(1)");
  ExpectSplit("x\xB4(1)", "X\xB4(1)", "");
}

TEST(Split, Assignments) {
  ExpectSplit("a%=5", "LET", "a%=5");
  ExpectSplit("a% = 5", "LET", "A%= 5");
  ExpectSplit("a$= \"x y\"", "LET", "a$= \"x y\"");
  ExpectSplit("LET a% = 5", "LET", "a% = 5");
  ExpectSplit("PRINT a=b", "PRINT", "a=b");
}

TEST(Split, AssignmentKeepsAt254) {
  const std::string line = std::string(20, 'a') + " =" + std::string(240, '1');
  const SplitLine split = Split(line);
  EXPECT_EQ(split.word, "LET");
  EXPECT_EQ(split.param.size(), 254u);
}

TEST(Scan, SeparatorsOutsideStringsAndBrackets) {
  EXPECT_EQ(FindSeparator("a,b", ","), 1u);
  EXPECT_EQ(FindSeparator("\"a,b\",c", ","), 5u);
  EXPECT_EQ(FindSeparator("f(a,b),c", ","), 6u);
  EXPECT_EQ(FindSeparator("x[1,2];y", ",;"), 6u);
  EXPECT_EQ(FindSeparator("(a,b", ","), kNotFound);
  EXPECT_EQ(FindSeparator("\"open,", ","), kNotFound);
}

TEST(Scan, CompiledLinesSkipTheirCodes) {
  // "@" + code byte, and 255 + two line-number bytes, never count as separators.
  const std::string call = std::string("@,(1,2),3");
  EXPECT_EQ(FindSeparator(call, ",", LineForm::Compiled), 7u);
  const std::string proc = std::string("\xFF,,5,6");
  EXPECT_EQ(FindSeparator(proc, ",", LineForm::Compiled), 4u);
}

TEST(Scan, Comments) {
  EXPECT_EQ(FindCommentStart("PRINT \"it's\" ' note"), 13u);
  EXPECT_EQ(FindCommentStart("f(a') ' x"), 6u);
  EXPECT_EQ(FindCommentStart("PRINT 1"), kNotFound);
}

TEST(Scan, StringEndAndBrackets) {
  EXPECT_TRUE(HasOpenString("\"abc"));
  EXPECT_FALSE(HasOpenString("\"a\" + \"b\""));
  EXPECT_TRUE(BracketsBalanced("f(1) ' ("));
  EXPECT_FALSE(BracketsBalanced("f(1 ' )"));
  EXPECT_TRUE(BracketsBalanced("\")\""));
}

}  // namespace
}  // namespace talven
