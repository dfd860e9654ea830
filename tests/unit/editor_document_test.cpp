#include <gtest/gtest.h>

#include <random>

#include "editor/text_document.h"

namespace talven::editor {
namespace {

// The line index must always agree with a fresh scan of the bytes.
void ExpectLinesAsScanned(const TextDocument& doc) {
  TextDocument fresh;
  fresh.Load(doc.Bytes());
  ASSERT_EQ(doc.LineCount(), fresh.LineCount());
  for (int32_t i = 0; i < doc.LineCount(); ++i) {
    EXPECT_EQ(doc.LineStart(i), fresh.LineStart(i)) << "line " << i;
    EXPECT_EQ(doc.LineText(i), fresh.LineText(i));
  }
}

TEST(EditorDocument, LinesEndAtCrLfLfAndLoneCr) {
  TextDocument doc;
  doc.Load("a\r\nbb\ncc\rd");
  ASSERT_EQ(doc.LineCount(), 4);
  EXPECT_EQ(doc.LineText(0), "a");
  EXPECT_EQ(doc.LineText(1), "bb");
  EXPECT_EQ(doc.LineText(2), "cc");
  EXPECT_EQ(doc.LineText(3), "d");
  doc.Load("x\r\n");
  EXPECT_EQ(doc.LineCount(), 2);
  EXPECT_EQ(doc.LineText(1), "");
  doc.Load(std::string("n\0\xE4\xFF", 4));
  EXPECT_EQ(doc.LineText(0), std::string("n\0\xE4\xFF", 4));
}

TEST(EditorDocument, EditsThatJoinOrSplitCrAndLfKeepTheIndex) {
  TextDocument doc;
  doc.Load("ab\rcd\nef");
  doc.Replace(3, 0, "\n");  // "ab\r\ncd": the CR and the new LF make one line end
  ExpectLinesAsScanned(doc);
  EXPECT_EQ(doc.LineCount(), 3);
  doc.Replace(3, 1, "");  // back to a lone CR
  ExpectLinesAsScanned(doc);
  doc.Replace(2, 1, "");  // no line end left in front of cd
  ExpectLinesAsScanned(doc);
  EXPECT_EQ(doc.LineText(0), "abcd");
  doc.Replace(0, 0, "\r");
  doc.Replace(doc.Size(), 0, "\r");
  ExpectLinesAsScanned(doc);
}

TEST(EditorDocument, RandomEditsAgreeWithAStringModel) {
  std::mt19937 random(7);
  TextDocument doc;
  std::string model = "first\r\nsecond\nthird\r";
  doc.Load(model);
  const char pieces[] = "ab\r\n\t x";
  for (int step = 0; step < 3000; ++step) {
    const size_t pos = random() % (model.size() + 1);
    const size_t length = std::min<size_t>(random() % 4, model.size() - pos);
    std::string text;
    for (int k = random() % 4; k > 0; --k) text.push_back(pieces[random() % 7]);
    doc.Replace(pos, length, text);
    model.replace(pos, length, text);
    ASSERT_EQ(doc.Bytes(), model);
    if (step % 97 == 0) ExpectLinesAsScanned(doc);
  }
  ExpectLinesAsScanned(doc);
  while (doc.CanUndo()) doc.Undo();
  EXPECT_EQ(doc.Bytes(), "first\r\nsecond\nthird\r");
  EXPECT_FALSE(doc.Modified());
}

TEST(EditorDocument, ColumnsCountTabsAsDisplayed) {
  TextDocument doc;
  doc.Load("\tab\tc\r\nxy");
  doc.SetTabWidth(4);
  EXPECT_EQ(doc.DisplayText(0), "    ab  c");
  EXPECT_EQ(doc.PlaceOf(1), (LineColumn{1, 5}));
  EXPECT_EQ(doc.PlaceOf(4), (LineColumn{1, 9}));
  EXPECT_EQ(doc.PositionOf({1, 3}), 0u);  // inside the tab: the tab
  EXPECT_EQ(doc.PositionOf({1, 6}), 2u);
  EXPECT_EQ(doc.PositionOf({2, 99}), doc.Size());
  EXPECT_EQ(doc.PositionOf({99, 1}), doc.LineStart(1));
}

TEST(EditorDocument, TypingUndoesAsOneStepAndSavedStateClearsModified) {
  TextDocument doc;
  doc.Load("x");
  doc.SetCaret(1);
  for (char c : std::string("hello")) doc.TypeChar(c);
  EXPECT_TRUE(doc.Modified());
  doc.SetModified(false);  // saved here
  for (char c : std::string(" world")) doc.TypeChar(c);
  EXPECT_EQ(doc.Bytes(), "xhello world");
  doc.Undo();
  EXPECT_EQ(doc.Bytes(), "xhello");
  EXPECT_FALSE(doc.Modified());
  doc.Undo();
  EXPECT_EQ(doc.Bytes(), "x");
  EXPECT_TRUE(doc.Modified());
  doc.Redo();
  EXPECT_FALSE(doc.Modified());
  doc.Redo();
  EXPECT_EQ(doc.Bytes(), "xhello world");
  // A new change after undoing past the save makes the saved state unreachable.
  doc.Undo();
  doc.Undo();
  doc.TypeChar('!');
  EXPECT_TRUE(doc.Modified());
  doc.Undo();
  EXPECT_TRUE(doc.Modified());
}

TEST(EditorDocument, OverwriteAutoIndentAndDeletes) {
  TextDocument doc;
  doc.Load("  \tabc");
  doc.SetCaret(4);
  doc.TypeChar('X', true);
  EXPECT_EQ(doc.Bytes(), "  \taXc");
  doc.SetCaret(doc.Size());
  doc.TypeChar('Y', true);  // at the line end overwrite appends
  doc.NewLine();
  EXPECT_EQ(doc.Bytes(), "  \taXcY\r\n  \t");
  doc.Backspace();
  doc.Backspace();
  doc.Backspace();
  doc.Backspace();
  EXPECT_EQ(doc.Bytes(), "  \taXcY");
  doc.SetCaret(0);
  doc.DeleteForward();
  EXPECT_EQ(doc.Bytes(), " \taXcY");
  doc.InsertText("a\rb\nc\r\nd");
  EXPECT_EQ(doc.Bytes(), "a\r\nb\r\nc\r\nd \taXcY");
  doc.DeleteAll();
  EXPECT_EQ(doc.Bytes(), "");
  doc.Undo();
  EXPECT_EQ(doc.Bytes(), "a\r\nb\r\nc\r\nd \taXcY");
}

TEST(EditorDocument, BookmarksMoveWithTheText) {
  TextDocument doc;
  doc.Load("one\r\ntwo\r\nthree");
  doc.SetBookmark(1, doc.LineStart(1));
  doc.SetBookmark(10, doc.LineStart(2) + 2);
  EXPECT_EQ(doc.Bookmark(5), TextDocument::kNoPosition);
  doc.SetCaret(0);
  doc.InsertText("new\r");
  EXPECT_EQ(doc.Bookmark(1), doc.LineStart(2));
  EXPECT_EQ(doc.PlaceOf(doc.Bookmark(10)), (LineColumn{4, 3}));
  doc.Replace(doc.LineStart(2), 5, "");  // the text around bookmark 1 goes
  EXPECT_EQ(doc.Bookmark(1), doc.LineStart(2));
  EXPECT_EQ(doc.Bookmark(0), TextDocument::kNoPosition);
  EXPECT_EQ(doc.Bookmark(11), TextDocument::kNoPosition);
}

TEST(EditorDocument, SearchOptions) {
  TextDocument doc;
  doc.Load("Print x\r\nPRINTER print\r\n\xC4rger \xE4rger");
  EXPECT_TRUE(doc.Find("print", SearchFlags::None));
  EXPECT_EQ(doc.SelectionFrom(), 0u);
  EXPECT_TRUE(doc.Find("print", SearchFlags::None));
  EXPECT_EQ(doc.SelectedText(), "PRINT");
  EXPECT_TRUE(doc.Find("print", SearchFlags::WholeWord));
  EXPECT_EQ(doc.PlaceOf(doc.SelectionFrom()), (LineColumn{2, 9}));
  EXPECT_FALSE(doc.Find("print", SearchFlags::WholeWord));
  doc.SetCaret(doc.Size());
  EXPECT_TRUE(doc.Find("print", SearchFlags::Backward | SearchFlags::MatchCase));
  EXPECT_EQ(doc.PlaceOf(doc.SelectionFrom()), (LineColumn{2, 9}));
  EXPECT_FALSE(doc.Find("print", SearchFlags::Backward | SearchFlags::MatchCase));
  doc.SetCaret(0);
  EXPECT_TRUE(doc.Find("\xE4RGER", SearchFlags::None));  // umlauts fold too
  EXPECT_EQ(doc.SelectedText(), "\xC4rger");
  EXPECT_TRUE(doc.Find("\xE4rger", SearchFlags::MatchCase | SearchFlags::WholeWord));
  EXPECT_FALSE(doc.Find("", SearchFlags::None));
  EXPECT_FALSE(doc.Find(std::string(300, 'x'), SearchFlags::None));
}

TEST(EditorDocument, ReplaceAndReplaceAll) {
  TextDocument doc;
  doc.Load("aa aa aa");
  EXPECT_EQ(doc.ReplaceHits("a", "aa", SearchFlags::ReplaceAll), 6);
  EXPECT_EQ(doc.Bytes(), "aaaa aaaa aaaa");  // never rescans what it put in
  doc.Undo();
  EXPECT_EQ(doc.Bytes(), "aa aa aa");
  EXPECT_FALSE(doc.Modified());
  EXPECT_EQ(doc.ReplaceHits("zz", "y", SearchFlags::ReplaceAll), -1);
  EXPECT_EQ(doc.ReplaceHits("zz", "y", SearchFlags::Replace), -1);
  EXPECT_EQ(doc.ReplaceHits("", "y", SearchFlags::ReplaceAll), -1);
  doc.SetCaret(0);
  EXPECT_EQ(doc.ReplaceHits("AA", "b", SearchFlags::Replace), 1);
  EXPECT_EQ(doc.Bytes(), "b aa aa");
  EXPECT_EQ(doc.SelectedText(), "aa");  // the next one is found
  EXPECT_EQ(doc.ReplaceHits("AA", "b", SearchFlags::Replace | SearchFlags::MatchCase), -1);
  doc.SetBookmark(2, 6);  // inside the last hit
  doc.SetBookmark(3, 2);  // on the first
  EXPECT_EQ(doc.ReplaceHits("aa", "xyz", SearchFlags::ReplaceAll), 2);
  EXPECT_EQ(doc.Bytes(), "b xyz xyz");
  EXPECT_EQ(doc.Bookmark(2), 6u);
  EXPECT_EQ(doc.Bookmark(3), 2u);
}

}  // namespace
}  // namespace talven::editor
