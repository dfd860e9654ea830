// List names, target names, which names may be written, and the maker's file names.

#include <gtest/gtest.h>

#include <string>

#include "sfx/entry_names.h"
#include "sfx/maker_names.h"

namespace talven::sfx {
namespace {

std::string List(const char* stored, PathMode mode) {
  char out[kMaxEntryName + 1];
  ListName(stored, mode, out);
  return out;
}

TEST(EntryNames, ListNamesWithAndWithoutPaths) {
  EXPECT_EQ(List("sub\\a.txt", PathMode::WithPaths), "\\sub\\a.txt");
  EXPECT_EQ(List("sub/deeper/a.txt", PathMode::WithPaths), "\\sub\\deeper\\a.txt");
  EXPECT_EQ(List("b.txt", PathMode::WithPaths), "b.txt");
  EXPECT_EQ(List("\\b.txt", PathMode::WithPaths), "\\b.txt");  // a leading one alone adds none
  EXPECT_EQ(List("sub\\a.txt", PathMode::Flat), "a.txt");
  EXPECT_EQ(List("C:x.txt", PathMode::Flat), "x.txt");
  EXPECT_EQ(List("sub/", PathMode::Flat), "");
  char out[kMaxEntryName + 1];
  EXPECT_TRUE(ListName("a/b", PathMode::Flat, out));
  EXPECT_FALSE(ListName("ab", PathMode::WithPaths, out));
  const std::string longName(300, 'n');
  EXPECT_EQ(List(longName.c_str(), PathMode::WithPaths).size(), 255u);
  // With a directory the added backslash still leaves 255 characters in all.
  const std::string longPath = "d/" + std::string(253, 'n');
  EXPECT_EQ(List(longPath.c_str(), PathMode::WithPaths), "\\d\\" + std::string(252, 'n'));
}

std::string Ansi(const std::string& stored, bool flagged) {
  std::string name = stored;
  NameToAnsi(name.data(), flagged);
  return name.c_str();
}

// Literals here are code page 1252; the UTF-8 forms are spelt out in escapes.
TEST(EntryNames, Utf8NamesBecomeAnsi) {
  EXPECT_EQ(Ansi("Pr\xC3\xBC" "fung.txt", false), "Prüfung.txt");
  EXPECT_EQ(Ansi("\xE2\x82\xAC \xC5\x92 \xE2\x9C\x93", true), "€ Œ _");
  EXPECT_EQ(Ansi("Prüfung.txt", false), "Prüfung.txt");  // already ANSI: not UTF-8
  EXPECT_EQ(Ansi("Prüfung.txt", true), "Pr_fung.txt");   // flagged, but not UTF-8
  EXPECT_EQ(Ansi("\xC0\xAF", true), "__");                // overlong forms are no characters
  EXPECT_EQ(Ansi("plain/ascii.txt", true), "plain/ascii.txt");
}

std::string Target(const char* directory, const char* stored, PathMode mode) {
  char list[kMaxEntryName + 1];
  ListName(stored, mode, list);
  char out[kMaxPath];
  if (!TargetName(directory, list, mode, out)) return "<too long>";
  return out;
}

TEST(EntryNames, TargetNames) {
  EXPECT_EQ(Target("C:\\Ziel\\", "sub\\a.txt", PathMode::WithPaths), "C:\\Ziel\\sub\\a.txt");
  EXPECT_EQ(Target("C:\\Ziel", "sub\\a.txt", PathMode::WithPaths), "C:\\Ziel\\sub\\a.txt");
  EXPECT_EQ(Target("C:\\Ziel\\", "b.txt", PathMode::WithPaths), "C:\\Ziel\\b.txt");
  EXPECT_EQ(Target("C:\\Ziel", "sub\\a.txt", PathMode::Flat), "C:\\Ziel\\a.txt");
  EXPECT_EQ(Target("C:\\Ziel\\", "sub\\a.txt", PathMode::Flat), "C:\\Ziel\\a.txt");
  EXPECT_EQ(Target("C:\\", "x", PathMode::Flat), "C:\\x");
  EXPECT_EQ(Target("C:\\Ziel", "sub/", PathMode::WithPaths), "C:\\Ziel\\sub\\");
  const std::string deep = "C:\\" + std::string(300, 'd');
  EXPECT_EQ(Target(deep.c_str(), std::string(255, 'n').c_str(), PathMode::WithPaths), "<too long>");

  char directory[kMaxPath];
  DirectoryOf("C:\\Ziel\\sub\\a.txt", directory);
  EXPECT_STREQ(directory, "C:\\Ziel\\sub");
  DirectoryOf("a.txt", directory);
  EXPECT_STREQ(directory, "");
}

TEST(EntryNames, NamesThatWouldLeaveTheTargetAreRefused) {
  for (const char* bad : {"..\\x", "../x", "a/../../x", "C:\\x", "C:x", "\\x", "/etc/x", "NUL",
                          "nul.txt", "sub/CON", "Com1.log", "lpt9", "aux .txt", "a\\...\\b",
                          ". .\\x", "a\\\\b", "x:stream", "a*b", "what?", "tab\there",
                          "CONIN$"}) {
    EXPECT_FALSE(IsSafeEntryName(bad, PathMode::WithPaths)) << bad;
  }
  for (const char* good : {"a.txt", "sub\\a.txt", "sub/b/c.dat", "sub/", ".\\a", "..a", "a..",
                           "console.txt", "COM10", "LPT0", "nullify", "Prüfung.txt"}) {
    EXPECT_TRUE(IsSafeEntryName(good, PathMode::WithPaths)) << good;
  }
  // Without paths only the last component counts.
  EXPECT_TRUE(IsSafeEntryName("..\\x", PathMode::Flat));
  EXPECT_TRUE(IsSafeEntryName("C:\\x", PathMode::Flat));
  EXPECT_TRUE(IsSafeEntryName("sub/", PathMode::Flat));
  EXPECT_FALSE(IsSafeEntryName("sub/NUL", PathMode::Flat));
  EXPECT_FALSE(IsSafeEntryName("a/..", PathMode::Flat));
  EXPECT_FALSE(IsSafeEntryName(std::string(256, 'n').c_str(), PathMode::Flat));
}

std::string Stub(const char* path) {
  char out[kMaxMakerPath];
  StubNameFor(path, out);
  return out;
}
std::string ArchiveOf(const char* parameter) {
  char out[kMaxMakerPath];
  ArchiveNameFor(parameter, out);
  return out;
}
std::string OutputOf(const char* archive) {
  char out[kMaxMakerPath];
  OutputNameFor(archive, out);
  return out;
}
std::string Trimmed(const char* name) {
  char out[kMaxMakerPath];
  TrimName(name, out);
  return out;
}

TEST(MakerNames, StubArchiveAndOutput) {
  EXPECT_EQ(Stub("C:\\TOOLS\\TLVSFX.EXE"), "C:\\TOOLS\\TLVSFX.BIN");
  EXPECT_EQ(Stub("c:\\tools\\tlvsfx.exe"), "C:\\TOOLS\\TLVSFX.BIN");
  EXPECT_EQ(Stub("C:\\A.EXE.DIR\\TLVSFX.EXE"), "C:\\A.BIN.DIR\\TLVSFX.BIN");  // every one
  EXPECT_EQ(ArchiveOf("demo"), "demo.ZIP");
  EXPECT_EQ(ArchiveOf("demo.zip"), "demo.zip");
  EXPECT_EQ(ArchiveOf("C:\\a.b\\demo"), "C:\\a.b\\demo.ZIP");
  EXPECT_EQ(OutputOf("demo.ZIP"), "demo.exe");
  EXPECT_EQ(OutputOf("C:\\a\\demo.zip"), "C:\\a\\demo.exe");
  EXPECT_EQ(OutputOf("MEIN.ZIP"), "MEIN.exe");
  EXPECT_EQ(OutputOf("C:\\a.b\\demo.ZIP"), "C:\\a.b\\demo.exe");
  EXPECT_EQ(OutputOf("x.tar.zip"), "x.tar.exe");
  EXPECT_EQ(Trimmed("  \t C:\\a\\demo.zip \r\n"), "C:\\a\\demo.zip");
  EXPECT_EQ(Trimmed(""), "");
}

}  // namespace
}  // namespace talven::sfx
