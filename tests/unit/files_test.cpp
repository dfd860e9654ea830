// The byte files, COPY, READTEXT, the file search and the INI model and registry rules of
// the families "files" and "registry", run in-process on the host's file system.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "engine/engine.h"
#include "engine/evaluator.h"
#include "engine/run_loop.h"
#include "library/files/byte_file.h"
#include "library/files/file_slots.h"
#include "library/profiles.h"
#include "library/registry/ini_model.h"
#include "library/registry/registry_family.h"
#include "tests/support/recording_host.h"
#include "tests/support/run_state.h"

namespace talven {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Spit(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

// Each test in a fresh folder of its own, which is also the current directory.
class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = fs::temp_directory_path() / ("talven_files_" + std::to_string(::getpid()) + "_" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(m_dir);
    fs::create_directories(m_dir);
    m_old = fs::current_path();
    fs::current_path(m_dir);
  }
  void TearDown() override {
    fs::current_path(m_old);
    std::error_code error;
    fs::permissions(m_dir / "ziel.bin", fs::perms::owner_all, fs::perm_options::add, error);
    fs::remove_all(m_dir, error);
  }

  int Run(std::initializer_list<const char*> lines) {
    engine = std::make_unique<Engine>(host, ProgramKind::Interpreter, InterpreterProfile());
    for (const char* line : lines) engine->store.Append(line);
    engine->ResetRunState();
    int code = 0;
    try {
      RunStatements(*engine);
    } catch (const RunEnd& end) {
      code = end.exitCode;
    }
    return code;
  }
  // An expression evaluated after the run, with the run's variables.
  std::string Text(const std::string& expression) {
    engine->param = expression;
    Evaluate(*engine, "");
    return engine->reg.Text();
  }
  std::string LastBox() const { return host.boxes.empty() ? "" : host.boxes.back().text; }
  size_t FilesInDir() const { return static_cast<size_t>(std::distance(fs::directory_iterator(m_dir), {})); }

  test::RecordingHost host;
  std::unique_ptr<Engine> engine;
  fs::path m_dir;
  fs::path m_old;
};

TEST_F(FilesTest, ByteFileKeepsPositionAndSizeAcrossReadsWritesAndSeeks) {
  ByteFile file;
  int error = 0;
  ASSERT_EQ(file.Open("b.bin", ByteAccess::Both, error), ByteOpen::Created);
  for (int i = 0; i < 100000; ++i) ASSERT_TRUE(file.Put(static_cast<uint8_t>(i)));
  EXPECT_EQ(file.Size(), 100000);
  ASSERT_TRUE(file.Seek(5));
  EXPECT_EQ(file.Get(), 5);
  ASSERT_TRUE(file.Put(0xEE));  // a write right after a read
  EXPECT_EQ(file.Get(), 7);     // and a read right after a write
  EXPECT_EQ(file.Position(), 8);
  ASSERT_TRUE(file.Seek(100000));
  EXPECT_EQ(file.Get(), -1);
  ASSERT_TRUE(file.Seek(100010));  // past the end, then a write fills the gap with zeros
  ASSERT_TRUE(file.Put(1));
  EXPECT_EQ(file.Size(), 100011);
  EXPECT_FALSE(file.Seek(-1));
  EXPECT_EQ(file.Position(), 100011);
  ASSERT_TRUE(file.Close());
  const std::string bytes = Slurp("b.bin");
  ASSERT_EQ(bytes.size(), 100011u);
  EXPECT_EQ(static_cast<uint8_t>(bytes[6]), 0xEE);
  EXPECT_EQ(bytes[100005], '\0');
  EXPECT_EQ(static_cast<uint8_t>(bytes[99999]), static_cast<uint8_t>(99999));
}

TEST_F(FilesTest, OpenRwNeverEmptiesAnExistingFileItCannotOpen) {
  ByteFile file;
  int error = 0;
  // Something of that name that does not open as a file is not replaced by a new one.
  fs::create_directory("ordner.bin");
  EXPECT_EQ(file.Open("ordner.bin", ByteAccess::Both, error), ByteOpen::Failed);
  EXPECT_TRUE(fs::is_directory("ordner.bin"));
  Spit("ziel.bin", "kostbar");
  EXPECT_EQ(file.Open("ziel.bin", ByteAccess::Read, error), ByteOpen::Opened);
  EXPECT_EQ(file.Size(), 7);
  EXPECT_FALSE(file.Put(1));
  file.Close();
  EXPECT_EQ(Slurp("ziel.bin"), "kostbar");
#ifndef _WIN32
  if (::geteuid() == 0) return;  // root opens read-only files for writing
  fs::permissions("ziel.bin", fs::perms::owner_read, fs::perm_options::replace);
  EXPECT_EQ(file.Open("ziel.bin", ByteAccess::Both, error), ByteOpen::Failed);
  EXPECT_EQ(Slurp("ziel.bin"), "kostbar");
#endif
}

// Every byte statement and function, and the attribute ones, with every wrong slot: 210
// for a number outside 1..15 (however large), 104 without "#"; none of them runs.
TEST_F(FilesTest, EveryWrongSlotOnEverySlotWord) {
  const char* words[] = {"OPENRW {}", "CLOSERW {}", "PUTBYTE {}, 1", "SEEK {}, 0", "BLOCKWRITE {}, b#, 0, 1",
                         "SETFATTR {}, 1", "a% = @GETBYTE({})", "a& = @FILEPOS({})", "a& = @GETFILESIZE({})",
                         "a& = @BLOCKREAD({}, b#, 0, 1)", "a% = @GETFATTR({})"};
  for (const char* word : words) {
    for (const char* slot : {"#0", "#16", "#17", "#-1", "#99999999999", "1"}) {
      std::string line(word);
      line.replace(line.find("{}"), 2, slot);
      host.boxes.clear();
      EXPECT_EQ(Run({"DECLARE a%, a&, b#", "DIM b#, 4", line.c_str()}), 2) << line;
      const std::string expected =
          slot[0] == '#' ? "Dateinummer nicht im erlaubten Bereich!" : "Dateikennung erwartet!";
      EXPECT_EQ(LastBox(), expected) << line;
    }
  }
}

// However the slot is written (blanks, leading zeros, an expression, a variable) it is the
// same slot; two PUTBYTE lines with their own value texts, run in turns, each write their
// own value (the reading of one is never taken for the other).
TEST_F(FilesTest, SlotSpellingsAndPutByteValuesInTurns) {
  EXPECT_EQ(Run({"DECLARE i%, n%", "n% = 3", "ASSIGN #3, \"slots.bin\"", "OPENRW #3",
                 "PUTBYTE #3, 65", "PUTBYTE # 3 , 66", "PUTBYTE #03,67", "PUTBYTE #1+2, 68",
                 "PUTBYTE #n%, 69", "PUTBYTE #3,70 + 0", "WHILE i% < 3", "PUTBYTE #3, 97 + i%",
                 "PUTBYTE #3, @LEN(\"xyz\") + 117 - i%", "INC i%", "WEND", "SEEK #3, 0",
                 "n% = @GETBYTE(#3) + @GETBYTE(#3 ) + @GETBYTE(#003)", "CLOSERW #3"}),
            0) << LastBox();
  EXPECT_EQ(Slurp("slots.bin"), "ABCDEFaxbwcv");
  EXPECT_EQ(Text("n%"), std::to_string(65 + 66 + 67));
  EXPECT_EQ(Text("%IORESULT"), "0");
}

// What a run of a byte program left, cut after `statements` statements: registers,
// separator, parameter text, end flag, errors, the I/O result, the integer variables and
// the bytes of the file.
std::string ByteRunState(const std::vector<std::string>& program, int64_t statements, bool shortWays) {
  fs::remove("kurz.bin");
  test::CutRun options;
  options.more = [](Engine& engine, test::RecordingHost&, std::string& state) {
    state += "/" + std::to_string(FilesOf(engine).ioResult);
    for (int32_t i = 0; i < engine.vars.integers.Count(); ++i) {
      state += "|" + std::to_string(engine.vars.integers.Value(i));
    }
  };
  // The engine is gone, and its files closed, before the file is read.
  return test::CutRunState(program, statements, shortWays, options) + "|" + Slurp("kurz.bin");
}

// PUTBYTE from its line's readings and the slot functions reading "#n" where the call's
// text stands (the short ways, from a line's second run on) leave, statement by statement,
// what reading the text leaves: every slot spelling, a slot that is not open or out of
// range (from the first run or a later one), no "#", a missing or undeclared value, more
// arguments, both operator modes.
TEST_F(FilesTest, ByteShortWaysAgreeStatementByStatement) {
  const char* statements[] = {
      "PUTBYTE #3, i% MOD 251",     "PUTBYTE # 3 , 66",           "PUTBYTE #n%, i% + 64",
      "PUTBYTE #n% + 1, 65",        "PUTBYTE #n% * 9, 65",        "PUTBYTE #3",
      "PUTBYTE #3, u%",             "PUTBYTE #3, 1,",             "PUTBYTE 3, 1",
      "PUTBYTE #(1 + 2), 70",       "PUTBYTE #3, @GETBYTE(#3)",   "PUTBYTE #03,i%",
      "k% = @GETBYTE(#3)",          "k% = @GETBYTE( #3 ) + @FILEPOS(#n%)",
      "k% = @GETBYTE(#n% + 1)",     "k% = @GETBYTE(3)",           "k% = @GETBYTE(#99)",
      "k% = @EOF(#3)",              "k% = @GETFILESIZE(#n%)",     "ADD k%, @GETBYTE(#3)",
      "k% = @GETBYTE(#3, 5)",       "k% = @GETBYTE()",            "k% = @GETBYTE(#)",
      "k% = -@GETBYTE(#3); 1",      "k% = @FILEPOS(#u%)",         "PUTBYTE #n% ^ i%, 65",
      "PUTBYTE #i% MOD 2 + 3, i%",  "PUTBYTE #n% ^ i%",           "k% = @GETBYTE(#n% ^ i%)",
  };
  for (const char* statement : statements) {
    SCOPED_TRACE(statement);
    for (const char* mode : {"$O+", "$O-"}) {
      SCOPED_TRACE(mode);
      const std::vector<std::string> program = {
          "SETERRORLEVEL -1", "DECLARE i%, k%, n%", "n% = 3", "ASSIGN #3, \"kurz.bin\"", "OPENRW #3",
          "PUTBYTE #3, 200", "SEEK #3, 0", "WHILE i% < 4", "INC i%", mode, statement, "$O+", "WEND"};
      for (int64_t budget = 8; budget < 36; ++budget) {
        SCOPED_TRACE(budget);
        EXPECT_EQ(ByteRunState(program, budget, true), ByteRunState(program, budget, false));
      }
    }
  }
}

// A closed slot, a refused seek, a transfer of nothing: I/O results, the file as it was.
TEST_F(FilesTest, ClosedByteFileRefusedSeekAndEmptyTransfers) {
  Spit("daten.bin", "0123456789");
  EXPECT_EQ(Run({"DECLARE a#, r$, n&, p&", "DIM a#, 8", "ASSIGN #2, \"daten.bin\"",
                 // Nothing open yet: every byte operation reports 103.
                 "PUTBYTE #2, 65", "r$ = r$ + @STR$(%IORESULT) + \",\"",
                 "SEEK #2, 1", "r$ = r$ + @STR$(%IORESULT) + \",\"",
                 "BLOCKWRITE #2, a#, 0, 1", "r$ = r$ + @STR$(%IORESULT) + \",\"",
                 "n& = @GETBYTE(#2)", "r$ = r$ + @STR$(%IORESULT) + \",\"",
                 "n& = @BLOCKREAD(#2, a#, 0, 1)", "r$ = r$ + @STR$(%IORESULT) + \",\"",
                 "CLOSERW #2", "r$ = r$ + @STR$(%IORESULT) + \";\"",
                 // Open: a seek below 0 or past the largest long is refused and the place kept.
                 "OPENRW #2", "SEEK #2, 4", "SEEK #2, -1", "r$ = r$ + @STR$(%IORESULT) + \",\"",
                 "SEEK #2, 3000000000", "r$ = r$ + @STR$(%IORESULT) + \",\"",
                 "p& = @FILEPOS(#2)",
                 // Nothing asked, nothing moved, nothing reported.
                 "n& = @BLOCKREAD(#2, a#, 0, 0)", "r$ = r$ + @STR$(%IORESULT) + \",\"",
                 "BLOCKWRITE #2, a#, 8, 0", "r$ = r$ + @STR$(%IORESULT)", "CLOSERW #2"}),
            0);
  EXPECT_EQ(Text("r$"), "103,103,103,103,103,103;25,25,0,0");
  EXPECT_EQ(Text("p&"), "4");
  EXPECT_EQ(Text("n&"), "0");
  EXPECT_EQ(Slurp("daten.bin"), "0123456789");
}

// A file of more than 2 GB (sparse): its size and a position at its end read as the
// largest long; writing there is refused rather than wrapped.
TEST_F(FilesTest, SizesPastTheLargestLongReadAsIt) {
  std::error_code error;
  {
    std::ofstream create("gross.bin", std::ios::binary);
  }
  fs::resize_file("gross.bin", 3000000000ull, error);
  if (error) GTEST_SKIP() << "no sparse file of 3 GB here: " << error.message();
  EXPECT_EQ(Run({"DECLARE s&, f&, p&, r%", "ASSIGN #1, \"gross.bin\"", "OPENRW #1", "s& = @GETFILESIZE(#1)",
                 "f& = @FILESIZE(\"gross.bin\")", "SEEK #1, 2147483647", "p& = @FILEPOS(#1)", "PUTBYTE #1, 1",
                 "r% = %IORESULT", "CLOSERW #1"}),
            0);
  EXPECT_EQ(Text("s&"), "2147483647");
  EXPECT_EQ(Text("f&"), "2147483647");
  EXPECT_EQ(Text("p&"), "2147483647");
  EXPECT_EQ(Text("r%"), "101");
  EXPECT_EQ(fs::file_size("gross.bin"), 3000000000ull);
}

TEST_F(FilesTest, BlockTransfersMatchTheBytesAndRefuseBadRanges) {
  EXPECT_EQ(Run({"DECLARE a#, n&", "DIM a#, 300", "BYTE a#, 0 = 200", "BYTE a#, 299 = 7",
                 "ASSIGN #1, \"blk.bin\"", "OPENRW #1", "BLOCKWRITE #1, a#, 0, 300", "BLOCKWRITE #1, a#, 299, 1",
                 "BLOCKWRITE #1, a#, 0, 0", "CLOSERW #1"}),
            0);
  std::string expected(301, '\0');
  expected[0] = static_cast<char>(200);
  expected[299] = 7;
  expected[300] = 7;
  EXPECT_EQ(Slurp("blk.bin"), expected);
  // A count that would wrap 32 bits, a negative offset: 207, and nothing was written.
  EXPECT_EQ(Run({"DECLARE a#", "DIM a#, 10", "ASSIGN #1, \"blk.bin\"", "OPENRW #1",
                 "BLOCKWRITE #1, a#, 2147483647, 2147483647"}),
            2);
  EXPECT_EQ(LastBox(), "Bereichsgrenze \xFC" "berschritten: 10");
  EXPECT_EQ(Run({"DECLARE a#, n&", "DIM a#, 10", "ASSIGN #1, \"blk.bin\"", "OPENRW #1", "n& = @BLOCKREAD(#1, a#, -1, 2)"}), 2);
  EXPECT_EQ(Slurp("blk.bin"), expected);
  EXPECT_EQ(Run({"DECLARE n&", "ASSIGN #1, \"blk.bin\"", "OPENRW #1", "n& = @BLOCKREAD(#1, kein, 0, 1)"}), 2);
  EXPECT_EQ(LastBox(), "Bereichs-Variable erwartet!");
  EXPECT_EQ(Run({"DECLARE n&", "ASSIGN #1, \"blk.bin\"", "OPENRW #1", "n& = @BLOCKREAD(#1, fehlt#, 0, 1)"}), 2);
  EXPECT_EQ(LastBox(), "Variable nicht declariert: FEHLT#");
}

TEST_F(FilesTest, EndOfRunFlushesByteFiles) {
  // A fatal error right after the writes: the buffered bytes still reach the file.
  EXPECT_EQ(Run({"ASSIGN #4, \"flush.bin\"", "OPENRW #4", "PUTBYTE #4, 65", "PUTBYTE #4, 66", "gibtsnicht"}), 2);
  engine.reset();
  EXPECT_EQ(Slurp("flush.bin"), "AB");
}

TEST_F(FilesTest, CopyReplacesTheDestinationOnlyWhenComplete) {
  std::string big(100000, 'x');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7);
  Spit("quelle.bin", big);
  Spit("ziel.bin", "alt");
  EXPECT_EQ(Run({"COPY \"quelle.bin\" > \"ziel.bin\""}), 0);
  EXPECT_EQ(Slurp("ziel.bin"), big);
  EXPECT_EQ(FilesInDir(), 2u);
  // Onto itself, under other spellings: 301, the file untouched.
  for (const char* line : {"COPY \"quelle.bin\" > \"quelle.bin\"", "COPY \"quelle.bin\" > \"./quelle.bin\"",
                           "COPY \"quelle.bin\" > \"../" "\" + @LEFT$(\"x\", 0) + \"quelle.bin\""}) {
    host.boxes.clear();
    const int code = Run({line});
    if (std::string(line).find("../") != std::string::npos) continue;
    EXPECT_EQ(code, 2) << line;
    EXPECT_EQ(LastBox(), "Datei kann nicht erzeugt werden: " + std::string(line).substr(std::string(line).find('>') + 3, std::string(line).size() - std::string(line).find('>') - 4)) << line;
  }
  EXPECT_EQ(Slurp("quelle.bin"), big);
  // From a missing file, from a directory, into a missing folder: nothing changes.
  EXPECT_EQ(Run({"COPY \"fehlt.bin\" > \"ziel.bin\""}), 2);
  EXPECT_EQ(LastBox(), "Datei kann nicht gelesen werden: fehlt.bin");
  fs::create_directory("ordner");
  EXPECT_EQ(Run({"COPY \"ordner\" > \"ziel.bin\""}), 2);
  EXPECT_EQ(LastBox(), "Datei kann nicht gelesen werden: ordner");
  EXPECT_EQ(Run({"COPY \"quelle.bin\" > \"nirgends\\ziel.bin\""}), 2);
  EXPECT_EQ(LastBox(), "Datei kann nicht erzeugt werden: nirgends\\ziel.bin");
  EXPECT_EQ(Run({"COPY \"CON\" > \"ziel.bin\""}), 2);
  EXPECT_EQ(Slurp("ziel.bin"), big);
  EXPECT_EQ(FilesInDir(), 3u);
}

TEST_F(FilesTest, ReadTextIsBoundedAndTakesEveryLineEnd) {
  Spit("t.txt", std::string("eins\r\nzwei\rdrei\nvier"));
  EXPECT_EQ(Run({"DECLARE a#, s$", "DIM a#, 100", "READTEXT a#, \"t.txt\"", "s$ = @STRING$(a#, 0)"}), 0);
  EXPECT_EQ(Text("s$"), "eins\r\nzwei\r\ndrei\r\nvier\r\n");
  // A line that would reach the area's size minus 3 is left out, with warning 244.
  Spit("lang.txt", "kurz\n" + std::string(100000, 'L') + "\nnie\n");
  host.boxes.clear();
  EXPECT_EQ(Run({"DECLARE a#, s$", "DIM a#, 20", "READTEXT a#, \"lang.txt\"", "s$ = @STRING$(a#, 0)"}), 0);
  EXPECT_EQ(Text("s$"), "kurz\r\n");
  ASSERT_FALSE(host.boxes.empty());
  EXPECT_EQ(host.boxes.front().text, "Der Text pa\xDF" "t nicht komplett in die Bereichsvariable!");
  // NUL bytes are kept as bytes (the text then ends there for the string functions).
  Spit("nullen.txt", std::string("a\0b\r\nc", 6));
  EXPECT_EQ(Run({"DECLARE a#, s$, n%", "DIM a#, 20", "READTEXT a#, \"nullen.txt\"", "s$ = @STRING$(a#, 0)",
                 "n% = @BYTE(a#, 2)"}),
            0);
  EXPECT_EQ(Text("s$"), "a");
  EXPECT_EQ(Text("n%"), "98");
  EXPECT_EQ(Run({"DECLARE a#", "DIM a#, 20", "READTEXT a#, \"fehlt.txt\""}), 2);
  EXPECT_EQ(LastBox(), "Datei kann nicht gelesen werden: fehlt.txt");
  EXPECT_EQ(Run({"DECLARE a#", "READTEXT a#, \"t.txt\""}), 2);
  EXPECT_EQ(LastBox(), "Bereichsvariable ist nicht DIMensioniert!");
}

TEST_F(FilesTest, FileSearchEndsWith18AndANewSearchEndsTheOld) {
  fs::create_directory("sub");
  Spit("a.txt", "1");
  Spit("b.txt", "2");
  EXPECT_EQ(Run({"DECLARE s$, t$, u$, n%", "s$ = @FINDFIRST$(\"*.txt\")", "s$ = @FINDFIRST$(\"su*\")",
                 "n% = %IORESULT", "t$ = @FINDNEXT$()", "u$ = @FINDNEXT$()"}),
            0);
  EXPECT_EQ(Text("s$"), "[sub]");
  EXPECT_EQ(Text("n%"), "0");
  EXPECT_EQ(Text("t$ + u$"), "");
  EXPECT_EQ(Text("%IORESULT"), "18");
}

TEST(IniModel, ReadsAsTheProfileCallsDo) {
  const std::string text =
      "; Kommentar\n[Allgemein]\nName = M\xFC" "ller \n  Leer=\nZitat=\"  mit Blanks \"\n\n"
      "[zweiter]\r\nName=zwei\rLetzte=ende";
  EXPECT_EQ(IniValue(text, "allgemein", "NAME"), "M\xFCller");
  EXPECT_EQ(IniValue(text, "Allgemein", "Leer"), "");
  EXPECT_EQ(IniValue(text, "Allgemein", "Zitat"), "  mit Blanks ");
  EXPECT_EQ(IniValue(text, "Zweiter", "Name"), "zwei");
  EXPECT_EQ(IniValue(text, "Zweiter", "Letzte"), "ende");
  EXPECT_FALSE(IniValue(text, "Allgemein", "Fehlt").has_value());
  EXPECT_FALSE(IniValue(text, "", "").has_value());
  EXPECT_EQ(IniValue("[a]\nk=" + std::string(300, 'v'), "a", "k")->size(), 255u);
  EXPECT_EQ(IniValue(std::string("[a]\nk=x\0y", 9), "a", "k"), "x");
}

TEST(IniModel, WritesReplaceAppendAndAddSections) {
  std::string text = "[A]\r\nk=1\r\n\r\n[B]\r\nx=2\r\n";
  text = IniWithValue(text, "a", "K", "neu");
  EXPECT_EQ(text, "[A]\r\nK=neu\r\n\r\n[B]\r\nx=2\r\n");
  text = IniWithValue(text, "A", "m", "3");
  EXPECT_EQ(text, "[A]\r\nK=neu\r\nm=3\r\n\r\n[B]\r\nx=2\r\n");
  text = IniWithValue(text, "C", "z", "");
  EXPECT_EQ(IniValue(text, "C", "z"), "");
  EXPECT_EQ(IniValue(text, "B", "x"), "2");
  EXPECT_EQ(IniWithValue("", "S", "k", "v"), "[S]\r\nk=v\r\n");
  EXPECT_EQ(IniWithValue("[S]", "S", "k", "v"), "[S]\r\nk=v\r\n");
}

TEST(RegistryRoot, OnlyHkeyAndOneDigitZeroToSix) {
  EXPECT_FALSE(RegistryRoot("talven.ini").has_value());
  EXPECT_FALSE(RegistryRoot("HKEY").has_value());
  EXPECT_EQ(RegistryRoot("HKEY_0"), 0);
  EXPECT_EQ(RegistryRoot("hkey_6"), 6);
  for (const char* bad : {"HKEY_7", "HKEY_", "hkey_1x", "HKEY_-1", "HKEY_ 1", "HKEY_CURRENT_USER"}) {
    EXPECT_EQ(RegistryRoot(bad), -1) << bad;
  }
}

// Hostile INI files: a large binary one is read in bounded time and its values are at
// most 255 characters; one past the largest INI size is neither read nor rewritten (its
// rest would be lost), warning 303; empty section and key names are plain names.
TEST_F(FilesTest, IniBinaryLargeAndEmptyNames) {
  std::string binary(10 * 1024 * 1024, '\0');
  for (size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>((i * 2654435761u) >> 24);
  binary += "\n[Ende]\nk=" + std::string(300, 'v') + "\n";
  Spit("binaer.ini", binary);
  EXPECT_EQ(Run({"DECLARE s$", "s$ = @READINI$(\"binaer.ini\", \"Ende\", \"k\")"}), 0);
  EXPECT_EQ(Text("s$"), std::string(255, 'v'));

  std::string huge(17 * 1024 * 1024, 'x');
  huge = "[S]\r\nk=1\r\n" + huge;
  Spit("riesig.ini", huge);
  host.boxes.clear();
  EXPECT_EQ(Run({"DECLARE s$", "WRITEINI \"riesig.ini\", \"S\", \"k\" = 2", "s$ = @READINI$(\"riesig.ini\", \"S\", \"k\")"}), 0);
  EXPECT_EQ(LastBox(), "Fehler beim Schreiben: riesig.ini");
  EXPECT_EQ(Text("s$"), "");
  EXPECT_TRUE(Slurp("riesig.ini") == huge);
  EXPECT_EQ(FilesInDir(), 2u);

  Spit("leer.ini", "[S]\r\nk=1\r\n");
  EXPECT_EQ(Run({"DECLARE s$, t$", "WRITEINI \"leer.ini\", \"\", \"\" = \"x\"", "s$ = @READINI$(\"leer.ini\", \"\", \"\")",
                 "t$ = @READINI$(\"leer.ini\", \"S\", \"k\")"}),
            0);
  EXPECT_EQ(Text("s$"), "x");
  EXPECT_EQ(Text("t$"), "1");
}

TEST_F(FilesTest, IniWriteToADirectoryWarns303) {
  fs::create_directory("ordner.ini");
  EXPECT_EQ(Run({"WRITEINI \"ordner.ini\", \"S\", \"k\" = \"v\""}), 0);
  EXPECT_EQ(LastBox(), "Fehler beim Schreiben: ordner.ini");
  EXPECT_TRUE(fs::is_directory("ordner.ini"));
}

}  // namespace
}  // namespace talven
