#include <gtest/gtest.h>

#include "engine/engine.h"
#include "engine/loader.h"
#include "tests/support/recording_host.h"
#include "tests/unit/test_program.h"

namespace talven {
namespace {

std::vector<std::string> Load(const std::string& text, test::RecordingHost& host) {
  test::MemoryFile file(text);
  ProgramStore store;
  LoadSource(host, file, store);
  std::vector<std::string> lines;
  for (int32_t n = 1; n <= store.LineCount(); ++n) lines.push_back(store.Line(n).text);
  return lines;
}

std::vector<std::string> Load(const std::string& text) {
  test::RecordingHost host;
  return Load(text, host);
}

TEST(Loader, TrimsAndCutsComments) {
  EXPECT_EQ(Load("  PRINT 1  \n' only a comment\nPRINT \"it's\" ' note\n\tEND\t\n"),
            (std::vector<std::string>{"PRINT 1", "", "PRINT \"it's\"", "END"}));
  EXPECT_EQ(Load("f(a'b) ' cut\nx[1'] 'y\n"), (std::vector<std::string>{"f(a'b)", "x[1']"}));
  EXPECT_EQ(Load("PRINT\t1,\t2\n"), (std::vector<std::string>{"PRINT 1, 2"}));
}

TEST(Loader, ContinuationKeepsEveryLineNumber) {
  EXPECT_EQ(Load("a \\\nb \\\nc\nd\n"), (std::vector<std::string>{"", "", "a b c", "d"}));
  // The continued part is only trimmed: a comment behind its "\" hides the "\".
  EXPECT_EQ(Load("a \\\nb \\ ' kept\nc\n"),
            (std::vector<std::string>{"", "a b \\ ' kept", "c"}));
  // The comment is cut before the test for "\"; the continued part keeps its comment.
  EXPECT_EQ(Load("a \\ ' c\n b ' d\n"), (std::vector<std::string>{"", "a b ' d"}));
  // A "\" on the last line has nothing to join.
  EXPECT_EQ(Load("a \\"), (std::vector<std::string>{"a "}));
}

TEST(Loader, CompilerDirectivesBecomeEmpty) {
  EXPECT_EQ(Load("$P+\n$P*\n$O-\n$p+\n"), (std::vector<std::string>{"", "", "$O-", "$p+"}));
}

TEST(Loader, LinesAtTheLimit) {
  EXPECT_EQ(Load(std::string(254, 'x')).at(0).size(), 254u);
  test::RecordingHost host;
  EXPECT_THROW(Load(std::string(255, 'x'), host), RunEnd);
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].owner, BoxOwner::None);
  EXPECT_EQ(host.boxes[0].caption, "TALVEN\xB2");
}

TEST(Loader, LineCountLimit) {
  std::string text;
  for (int i = 0; i < 65535; ++i) text += "\n";
  EXPECT_EQ(Load(text).size(), 65535u);
  test::RecordingHost host;
  try {
    Load(text + "\n", host);
    FAIL();
  } catch (const RunEnd& end) {
    EXPECT_EQ(end.exitCode, 1);
  }
  EXPECT_EQ(host.boxes.at(0).text, "Zu viele Programm-Zeilen!");
}

TEST(Loader, ContinuationCountsTowardsTheLimit) {
  std::string text;
  for (int i = 0; i < 65534; ++i) text += "\n";
  test::RecordingHost host;
  EXPECT_THROW(Load(text + "a \\\nb \\\nc\n", host), RunEnd);
  EXPECT_EQ(host.boxes.at(0).text, "Zu viele Programm-Zeilen!");
}

TEST(Loader, IncludeSearchUsesTheSetting) {
  test::RecordingHost host;
  host.ini["TALVED32.INI|COMPILE|Include"] = "nowhere;" TALVEN_TEST_DATA "/golden/include";
  const auto lines = Load("REM\n$I found.inc\nEND\n", host);
  EXPECT_EQ(lines, (std::vector<std::string>{"REM", "", "REM found one", "REM found two", "END"}));
}

TEST(Loader, IncludeNameWithBackslashIgnoresTheSetting) {
  test::RecordingHost host;
  host.ini["TALVED32.INI|COMPILE|Include"] = TALVEN_TEST_DATA "/golden/include";
  EXPECT_THROW(Load("$I sub\\found.inc\n", host), RunEnd);
  EXPECT_EQ(host.boxes.at(0).caption, "INCLUDE-Datei nicht gefunden!");
  EXPECT_EQ(host.boxes.at(0).text, "Zeile 1: $I sub\\found.inc");
}

}  // namespace
}  // namespace talven
