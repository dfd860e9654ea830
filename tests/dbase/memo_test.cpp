// Memos: splitting and breaking lines, writing in place or at the next free block, the
// next free block of files written by others, and shared blocks.

#include <cstring>

#include "common/bytes.h"
#include "library/dbase/dbt_format.h"
#include "tests/dbase/dbase_test_support.h"

namespace talven::dbase::test {
namespace {

std::vector<std::string> Split(const std::string& text, int32_t width) {
  std::vector<std::string> lines;
  MemoSplitter splitter(width, &lines);
  splitter.Feed(reinterpret_cast<const uint8_t*>(text.data()), text.size());
  splitter.Finish();
  return lines;
}

using Lines = std::vector<std::string>;

TEST(MemoText, LinesSoftBreaksAndWidth) {
  EXPECT_EQ(Split("eins\r\nzwei\r\n", 80), (Lines{"eins", "zwei"}));
  EXPECT_EQ(Split("eins\r\nzwei", 80), (Lines{"eins", "zwei"}));
  EXPECT_EQ(Split("\r\n\r\nx\r\n", 80), (Lines{"", "", "x"}));
  EXPECT_EQ(Split("a\nb\r", 80), (Lines{"ab"}));
  // 0x8D is a blank, unless the line is empty or ends in a blank or "-".
  EXPECT_EQ(Split("weich\x8D\nweiter", 80), (Lines{"weich weiter"}));
  EXPECT_EQ(Split("\x8Dx", 80), (Lines{"x"}));
  EXPECT_EQ(Split("Binde-\x8Dstrich \x8D.", 80), (Lines{"Binde-strich ."}));
  // Breaking after the last blank or "-" within the width, else at the width.
  EXPECT_EQ(Split("das ist ein Satz", 8), (Lines{"das ist ", "ein Satz"}));
  EXPECT_EQ(Split("Nord-Ost-Wind", 6), (Lines{"Nord-", "Ost-", "Wind"}));
  EXPECT_EQ(Split("abcdefghij", 4), (Lines{"abcd", "efgh", "ij"}));
  EXPECT_EQ(Split("abc", 1), (Lines{"a", "b", "c"}));
}

TEST(MemoText, EndlessLinesStopAtTheLineLimit) {
  const std::string endless(40000 * 3, 'x');
  const Lines lines = Split(endless, 2);
  EXPECT_EQ(lines.size(), 32768u);
  EXPECT_EQ(lines.back(), "xx");
  // Fed in pieces, the same lines as at once.
  std::string text;
  for (int i = 0; i < 300; ++i) text += (i % 7 ? "wort " : "lang-wort-") + std::to_string(i);
  Lines pieces;
  MemoSplitter splitter(13, &pieces);
  for (size_t at = 0; at < text.size(); at += 7) {
    splitter.Feed(reinterpret_cast<const uint8_t*>(text.data()) + at, std::min<size_t>(7, text.size() - at));
  }
  splitter.Finish();
  EXPECT_EQ(pieces, Split(text, 13));
}

TEST(MemoText, BuildPointerAndWidth) {
  const Bytes memo = BuildMemo({"ab", ""});
  ASSERT_EQ(memo.size(), 512u);
  EXPECT_EQ(std::string(memo.begin(), memo.begin() + 8), "ab\r\n\r\n\x1A\x1A");
  EXPECT_EQ(memo[8], 0);
  EXPECT_EQ(BuildMemo(Lines(200, "ab")).size(), 1024u);  // 802 bytes
  EXPECT_EQ(BuildMemo(Lines(127, "ab")).size(), 512u);   // 510 bytes
  EXPECT_EQ(BuildMemo(Lines(128, "ab")).size(), 1024u);  // 514 bytes
  uint32_t block = 0;
  EXPECT_EQ(ParseMemoPointer("         7", &block), MemoPointer::Valid);
  EXPECT_EQ(block, 7u);
  EXPECT_EQ(ParseMemoPointer("          ", &block), MemoPointer::Blank);
  EXPECT_EQ(ParseMemoPointer("         0", &block), MemoPointer::Invalid);
  EXPECT_EQ(ParseMemoPointer("        -3", &block), MemoPointer::Invalid);
  EXPECT_EQ(ParseMemoPointer("      1x  ", &block), MemoPointer::Invalid);
  EXPECT_EQ(ParseMemoPointer("9999999999", &block), MemoPointer::Invalid);
  EXPECT_EQ(FormatMemoPointer(42, 10), "        42");
  EXPECT_EQ(ClampMemoWidth(300), 255);
  EXPECT_EQ(ClampMemoWidth(0), 1);
  EXPECT_EQ(ClampMemoWidth(-5), 1);
}

class MemoTable : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeTable(files, "M.DBF", "NAME;C;4\nNOTIZ;M\n");
    table = OpenTable(files, "M.DBF");
    ASSERT_TRUE(table);
  }
  Lines Memo() {
    Lines lines;
    int32_t result = 0;
    const DbResult read = table->GetMemo("NOTIZ", &lines, &result);
    EXPECT_TRUE(read.Ok()) << read.error << read.Appended();
    return lines;
  }
  uint32_t Pointer() {
    uint32_t block = 0;
    ParseMemoPointer(Field(*table, "NOTIZ"), &block);
    return block;
  }
  MemoryFileSystem files;
  std::unique_ptr<Table> table;
};

TEST_F(MemoTable, RoundTripInPlaceAndAtTheNextFreeBlock) {
  ASSERT_TRUE(table->PutMemo("notiz", {"Erste Zeile", "zweite"}).Ok());
  EXPECT_EQ(Pointer(), 1u);  // a new memo file: the first memo goes to block 1
  EXPECT_EQ(GetLittle32(files.Content("M.DBT").data()), 2u);
  uint32_t written = 0;
  ASSERT_TRUE(table->PutRecord(0, &written).Ok());
  ASSERT_TRUE(table->Go(1).Ok());
  EXPECT_EQ(Memo(), (Lines{"Erste Zeile", "zweite"}));
  Lines lines;
  int32_t result = 0;
  ASSERT_TRUE(table->GetMemo("NOTIZ", &lines, &result).Ok());
  EXPECT_EQ(result, 1 + 22);  // one block, the end byte at 22
  // Shorter: in place.
  ASSERT_TRUE(table->PutMemo("NOTIZ", {"kurz"}).Ok());
  EXPECT_EQ(Pointer(), 1u);
  EXPECT_EQ(files.Content("M.DBT").size(), 2u * 512);
  // Longer than its block: at the next free block.
  ASSERT_TRUE(table->PutMemo("NOTIZ", Lines(100, "lang genug")).Ok());
  EXPECT_EQ(Pointer(), 2u);
  EXPECT_EQ(GetLittle32(files.Content("M.DBT").data()), 5u);
  EXPECT_EQ(Memo().size(), 100u);
  // Not a memo field: -1.
  ASSERT_TRUE(table->GetMemo("NAME", &lines, &result).Ok());
  EXPECT_EQ(result, -1);
}

TEST_F(MemoTable, WidthClampsAndBreaks) {
  ASSERT_TRUE(table->PutMemo("NOTIZ", {"ein langer Satz"}).Ok());
  table->SetMemoWidth(300);
  EXPECT_EQ(table->MemoWidth(), 255);
  table->SetMemoWidth(0);
  EXPECT_EQ(table->MemoWidth(), 1);
  table->SetMemoWidth(9);
  EXPECT_EQ(Memo(), (Lines{"ein ", "langer ", "Satz"}));
}

TEST_F(MemoTable, BadPointersAre600) {
  Bytes& memo = files.Content("M.DBT");
  for (const char* pointer : {"       abc", "         0", "        -1", "        99"}) {
    table->Blank();
    std::memcpy(table->MutableBuffer().data() + 5, pointer, 10);
    Lines lines{"alt"};
    int32_t result = 0;
    const DbResult read = table->GetMemo("NOTIZ", &lines, &result);
    EXPECT_EQ(read.error, kErrDbase) << pointer;
    EXPECT_TRUE(lines.empty());
  }
  // No end byte: the memo stops at the end of the file.
  memo.resize(1024 + 3);
  std::memcpy(&memo[1024], "abc", 3);
  std::memcpy(table->MutableBuffer().data() + 5, "         2", 10);
  EXPECT_EQ(Memo(), (Lines{"abc"}));
}

TEST_F(MemoTable, NextFreeBlockOfUnpaddedFilesAndAbsurdHeaders) {
  Bytes& memo = files.Content("M.DBT");
  // Another program left the last block unpadded and its header behind.
  memo.resize(512 * 3 + 10, 'x');
  PutLittle32(memo.data(), 2);
  ASSERT_TRUE(table->PutMemo("NOTIZ", {"neu"}).Ok());
  EXPECT_EQ(Pointer(), 4u);
  EXPECT_EQ(GetLittle32(files.Content("M.DBT").data()), 5u);
  // An absurd header value is clamped to the file.
  PutLittle32(files.Content("M.DBT").data(), 0x7FFFFFFF);
  table->Blank();
  ASSERT_TRUE(table->PutMemo("NOTIZ", {"neu"}).Ok());
  EXPECT_EQ(Pointer(), 5u);
  EXPECT_EQ(files.Content("M.DBT").size(), 6u * 512);
}

TEST_F(MemoTable, ACopiedRecordGetsItsOwnMemo) {
  ASSERT_TRUE(table->PutMemo("NOTIZ", Lines(3, "gemeinsam")).Ok());
  table->PutField(1, "eins");
  uint32_t written = 0;
  ASSERT_TRUE(table->PutRecord(0, &written).Ok());
  ASSERT_TRUE(table->Go(1).Ok());
  const uint32_t first = Pointer();
  uint32_t copy = 0;
  ASSERT_TRUE(table->AppendBlank(&copy).Ok());
  ASSERT_TRUE(table->Go(2).Ok());
  EXPECT_NE(Pointer(), first);
  EXPECT_EQ(Memo(), Lines(3, "gemeinsam"));
  // Written in place on record 2: record 1 keeps its memo.
  ASSERT_TRUE(table->PutMemo("NOTIZ", {"nur zwei"}).Ok());
  ASSERT_TRUE(table->PutRecord(0, &written).Ok());
  ASSERT_TRUE(table->Go(1).Ok());
  EXPECT_EQ(Memo(), Lines(3, "gemeinsam"));
  ASSERT_TRUE(table->Go(2).Ok());
  EXPECT_EQ(Memo(), (Lines{"nur zwei"}));
}

TEST_F(MemoTable, PackCopiesTheMemosOfKeptRecords) {
  for (int i = 0; i < 4; ++i) {
    table->PutField(1, std::to_string(i));
    ASSERT_TRUE(table->PutMemo("NOTIZ", Lines(i * 40 + 1, "memo " + std::to_string(i))).Ok());
    uint32_t written = 0;
    ASSERT_TRUE(table->PutRecord(table->RecordCount() + 1, &written).Ok());
    table->Blank();
  }
  for (uint32_t record : {1u, 3u}) {
    ASSERT_TRUE(table->Go(record).Ok());
    ASSERT_TRUE(table->Delete().Ok());
  }
  const size_t before = files.Content("M.DBT").size();
  uint32_t count = 0;
  ASSERT_TRUE(table->Pack(kToday, &count).Ok());
  EXPECT_EQ(count, 2u);
  EXPECT_LT(files.Content("M.DBT").size(), before);
  EXPECT_EQ(files.Names(), (std::vector<std::string>{"M.DBF", "M.DBT"}));
  ASSERT_TRUE(table->Go(1).Ok());
  EXPECT_EQ(Memo(), Lines(41, "memo 1"));
  ASSERT_TRUE(table->Go(2).Ok());
  EXPECT_EQ(Memo(), Lines(121, "memo 3"));
  EXPECT_EQ(Pointer(), 2u);
}

}  // namespace
}  // namespace talven::dbase::test
