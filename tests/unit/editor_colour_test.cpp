#include <gtest/gtest.h>

#include "editor/colouring.h"

namespace talven::editor {
namespace {

const Selection kNone{};

// One letter per visible character: ink (w plain, k black, r red, b blue, g green), upper
// case when bold; '#' marks selected characters.
std::string Picture(const std::vector<ColourRun>& runs) {
  std::string out;
  for (const ColourRun& run : runs) {
    char c = "wkrbg"[static_cast<int>(run.ink)];
    if (run.bold) c = static_cast<char>(c - 32);
    if (run.selected) c = '#';
    out.append(run.length, c);
  }
  return out;
}

std::string Colour(std::string_view line, const Selection& selection = kNone, int32_t first = 0,
                   int32_t visible = 300) {
  return Picture(ColourLine(line, first, visible, 1, selection, true));
}

TEST(EditorColour, LeadingWords) {
  EXPECT_EQ(LeadingWord("  if x"), "IF");
  EXPECT_EQ(LeadingWord("IF(a) x"), "IF(A)");
  EXPECT_EQ(LeadingWord("\twhile"), "WHILE");
  EXPECT_EQ(LeadingWord("   "), "");
  EXPECT_EQ(Colour("  if x"), "KKKKkk");
  EXPECT_EQ(Colour("IF(a)"), "kkkkk");  // no blank ends the word: no keyword
  EXPECT_EQ(Colour("endproc"), "KKKKKKK");
  EXPECT_EQ(Colour("proc Name x"), "KKKKKKKKKKK");  // PROC: the whole line bold
  EXPECT_EQ(Colour("DIMS a"), "bbbbkk");
  EXPECT_EQ(Colour("declare x"), "bbbbbbbkk");
  EXPECT_EQ(Colour("$x=1"), "rrrr");
  EXPECT_EQ(Colour("rem note \"s\""), "rrrrrrrrrggg");
  EXPECT_EQ(Colour("remark x"), "kkkkkkkk");
  EXPECT_EQ(Colour("'all of it"), "rrrrrrrrrr");
}

TEST(EditorColour, CommentsAndStrings) {
  // The apostrophe inside the string starts nothing; the one behind it the comment.
  EXPECT_EQ(Colour("PRINT \"it's\" 'note"), "kkkkkkggggggkrrrrr");
  EXPECT_EQ(Colour("PRINT (a'b)"), "kkkkkkkkkkk");
  EXPECT_EQ(CommentStart("PRINT (a'b)"), -1);
  EXPECT_EQ(CommentStart("x) 'y"), 3);  // a stray bracket does not hide the comment
  // An unpaired quote colours nothing.
  EXPECT_EQ(Colour("a \"b\" \"c"), "kkgggkkk");
  // Inside an open bracket the apostrophe starts no comment.
  EXPECT_EQ(Colour("a = (\"(\" 'x"), "kkkkkgggkkk");
}

TEST(EditorColour, LongLinesArePlain) {
  const std::string line255 = "rem " + std::string(251, 'x');
  const std::string line256 = "rem " + std::string(252, 'x');
  EXPECT_EQ(Colour(line255), std::string(255, 'r'));
  EXPECT_EQ(Colour(line256), std::string(256, 'w'));
  EXPECT_EQ(Picture(ColourLine("if x", 0, 10, 1, kNone, false)), "wwww");
}

TEST(EditorColour, VisiblePartAndSelection) {
  // Scrolled by 3, 4 columns visible.
  EXPECT_EQ(Colour("while x 'c", kNone, 3, 4), "KKkk");
  Selection selection{true, {1, 3}, {2, 2}};
  EXPECT_EQ(Picture(ColourLine("while x", 0, 20, 1, selection, true)), "KK#####");
  EXPECT_EQ(Picture(ColourLine("while x", 0, 20, 2, selection, true)), "#KKKKkk");
  EXPECT_EQ(Picture(ColourLine("while x", 0, 20, 3, selection, true)), "KKKKKkk");
  // Runs cover the visible part once, in order.
  const auto runs = ColourLine("a \"b\" 'c", 1, 5, 1, selection, true);
  int32_t next = 1;
  for (const ColourRun& run : runs) {
    EXPECT_EQ(run.column, next);
    next += run.length;
  }
  EXPECT_EQ(next, 6);
  EXPECT_TRUE(ColourLine("abc", 5, 10, 1, kNone, true).empty());
}

}  // namespace
}  // namespace talven::editor
