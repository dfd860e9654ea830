#include <gtest/gtest.h>

#include <map>
#include <set>

#include "engine/keywords.h"

namespace talven {
namespace {

TEST(Keywords, TableHasTheLanguagesOrder) {
  const auto keywords = Keywords();
  // The language's 201 words, and the script interpreter's COPYDBMP without a code.
  ASSERT_EQ(keywords.size(), 202u);
  EXPECT_EQ(keywords[0].word, "CASE");
  EXPECT_EQ(keywords[1].word, "CASENOT");
  EXPECT_EQ(keywords[4].word, "@");
  EXPECT_EQ(keywords[85].word, "LET");
  EXPECT_EQ(keywords[199].word, "PROGEND");
  EXPECT_EQ(keywords[200].word, "DBSETMEMOWIDTH");
  EXPECT_EQ(keywords[201].word, "COPYDBMP");
  EXPECT_EQ(keywords[201].code, 0);
  EXPECT_EQ(KeywordForCode(0), nullptr);
}

// The symbolic names are the codes of the table's rows.
TEST(Keywords, NamedCodesAreTheTablesCodes) {
  EXPECT_EQ(CodeOf(StatementCode::Case), 0x81);
  EXPECT_EQ(CodeOf(StatementCode::Print), 0xA2);
  EXPECT_EQ(CodeOf(StatementCode::EndWhile), CodeOf(StatementCode::Wend));
  EXPECT_EQ(CodeOf(StatementCode::Let), Keywords()[FindKeyword("LET")].code);
  EXPECT_EQ(CodeOf(StatementCode::DbSetMemoWidth), 0x39);
}

TEST(Keywords, CodesAreSharedOnlyByWordsThatShareAHandler) {
  std::map<uint8_t, std::set<std::string_view>> byCode;
  for (const Keyword& keyword : Keywords()) byCode[keyword.code].insert(keyword.word);
  for (const auto& [code, words] : byCode) {
    if (words.size() == 1 || code == 0) continue;
    const std::set<std::string_view> shared = words;
    EXPECT_TRUE((shared == std::set<std::string_view>{"WEND", "ENDWHILE"}) ||
                (shared == std::set<std::string_view>{"DRAWLIBICON", "DRAWPROGICON"}) ||
                (shared == std::set<std::string_view>{"TRACEON", "TRACEOFF"}))
        << "code " << int(code);
  }
  EXPECT_EQ(Keywords()[FindKeyword("TRACEON")].code, kCodeNoOp);
  EXPECT_EQ(Keywords()[FindKeyword("PROGEND")].code, kCodeProgEnd);
  EXPECT_EQ(Keywords()[FindKeyword("@")].code, kCodeFunctionCall);
  for (uint8_t reserved : {kCodeLabel, kCodeProcedureCall}) {
    EXPECT_EQ(KeywordForCode(reserved), nullptr);
  }
}

TEST(Keywords, LookupIsExactAndResumes) {
  EXPECT_EQ(FindKeyword("CASE"), 0);
  EXPECT_EQ(FindKeyword("CASE", 1), -1);
  EXPECT_EQ(FindKeyword("CASENOT", 1), 1);
  EXPECT_EQ(FindKeyword("PRIN"), -1);
  EXPECT_EQ(FindKeyword("print"), -1);  // words arrive upper-cased
  EXPECT_EQ(KeywordForCode(0xA2)->word, "PRINT");
  EXPECT_EQ(KeywordForCode(0x8A)->word, "WEND");
}

}  // namespace
}  // namespace talven
