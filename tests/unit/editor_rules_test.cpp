#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "editor/editor_rules.h"
#include "editor/text_file.h"

namespace talven::editor {
namespace {

// A settings file in memory that cuts values like a profile buffer of the given size.
class MemoryProfile : public ProfileStore {
 public:
  std::map<std::string, std::string> values;
  std::vector<std::string> writes;
  std::string Read(std::string_view section, std::string_view key, std::string_view fallback,
                   size_t bufferSize) override {
    auto it = values.find(std::string(section) + "." + std::string(key));
    std::string value = it == values.end() ? std::string(fallback) : it->second;
    return value.substr(0, bufferSize - 1);
  }
  void Write(std::string_view section, std::string_view key, std::string_view value) override {
    values[std::string(section) + "." + std::string(key)] = value;
    writes.push_back(std::string(section) + "." + std::string(key) + "=" + std::string(value));
  }
};

TEST(EditorSettings, DefaultsAndLimits) {
  MemoryProfile ini;
  const FramePlacement placement = ReadPlacement(ini, 1024, 768);
  EXPECT_EQ(placement.top, 20);
  EXPECT_EQ(placement.width, 600);
  EXPECT_TRUE(ReadBarVisible(ini, "Toolbar1"));
  EXPECT_EQ(ReadTabWidth(ini), 8);
  EXPECT_TRUE(ReadSyntaxColours(ini));
  EXPECT_EQ(ReadFont(ini).name, "FixedSys");
  EXPECT_EQ(ReadFont(ini).size, 12);
  EXPECT_EQ(ReadFilter(ini), kDefaultFilter);

  ini.values = {{"Optionen.Toolbar1", "2"}, {"Optionen.Tab", "33"}, {"Optionen.Syntax", "ja"},
                {"Schrift.Size", "3"}, {"Schrift.Color", "rot"}, {"Schrift.FontName", std::string(300, 'F')},
                {"Projekt.Filter", "Alles|*.*|Rest"}, {"Position.Left", "5000"}};
  EXPECT_FALSE(ReadBarVisible(ini, "Toolbar1"));  // "2" hides the toolbar
  EXPECT_EQ(ReadTabWidth(ini), 8);
  EXPECT_FALSE(ReadSyntaxColours(ini));  // only a leading "J" means on
  EXPECT_EQ(ReadFont(ini).size, 12);
  EXPECT_EQ(ReadFont(ini).colour, 0);
  EXPECT_EQ(ReadFont(ini).name.size(), 79u);
  EXPECT_EQ(ReadFilter(ini), kDefaultFilter);
  EXPECT_EQ(ReadPlacement(ini, 1024, 768).left, 20);
  ini.values = {{"Optionen.Tab", " 32 "}, {"Schrift.Size", "72"}, {"Position.Width", "99"}};
  EXPECT_EQ(ReadTabWidth(ini), 32);
  EXPECT_EQ(ReadFont(ini).size, 72);
  EXPECT_EQ(ReadPlacement(ini, 1024, 768).width, 600);
  EXPECT_FALSE(ValidTabWidth(0));
  int32_t number = 0;
  EXPECT_FALSE(ParseNumber("12x", number));
  EXPECT_FALSE(ParseNumber("99999999999", number));
  EXPECT_TRUE(ParseNumber("-4", number));
  EXPECT_EQ(number, -4);
}

TEST(EditorSettings, FrameWritesPositionInItsOrder) {
  MemoryProfile ini;
  WritePlacement(ini, {1, 2, 3, 4});
  EXPECT_EQ(ini.writes, (std::vector<std::string>{"Position.Top=1", "Position.Left=2",
                                                   "Position.Height=4", "Position.Width=3"}));
}

TEST(EditorProject, ReadingRules) {
  const std::string bytes =
      "C:\\p\\a.tvs\n\nOhneName\n$Xignored\n$3=\"C:\\r t\\TLVRUN32.EXE\"\n$P:C:\\p\n$P";
  const std::vector<ProjectLine> lines = ReadProject(bytes);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], (ProjectLine{ProjectLine::Kind::File, "C:\\p\\a.tvs"}));
  EXPECT_EQ(lines[1], (ProjectLine{ProjectLine::Kind::File, "OhneName"}));
  EXPECT_EQ(lines[2], (ProjectLine{ProjectLine::Kind::Runtime, "\"C:\\r t\\TLVRUN32.EXE\""}));
  EXPECT_EQ(lines[3], (ProjectLine{ProjectLine::Kind::Directory, "C:\\p"}));  // third char unread
  EXPECT_EQ(lines[4], (ProjectLine{ProjectLine::Kind::Directory, ""}));
  // Hostile lines: very long, NUL inside.
  const std::string hostile = "$P=" + std::string(100000, 'd') + "\r\n" + std::string("a.tvs\0zz", 8) + "\r\n";
  const auto read = ReadProject(hostile);
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[0].text.size(), 255u);
  EXPECT_EQ(read[1].text, "a.tvs");
}

TEST(EditorProject, WrittenProjectReadsBack) {
  const std::string bytes = WriteProject("TLVRUN32.EXE", "C:\\p", {"C:\\p\\b.tvs", "OhneName"});
  EXPECT_EQ(bytes, "$3=TLVRUN32.EXE\r\n$P=C:\\p\r\nC:\\p\\b.tvs\r\nOhneName\r\n");
  const auto lines = ReadProject(bytes);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[3].text, "OhneName");
}

TEST(EditorStarts, CommandLines) {
  EXPECT_EQ(EditorDirOf("C:\\Talven\\TALVED32.EXE"), "C:\\Talven\\");
  EXPECT_EQ(EditorDirOf("C:TALVED32.EXE"), "C:");
  EXPECT_EQ(DefaultRuntimeModule("C:\\Talven\\"), "C:\\Talven\\TLVRUN32.EXE");
  EXPECT_EQ(DefaultRuntimeModule("C:\\Mein Talven\\"), "\"C:\\Mein Talven\\TLVRUN32.EXE\"");
  EXPECT_EQ(InterpreterCommand("C:\\a b.tvs"), "TALVEN.EXE \"C:\\a b.tvs\"");
  EXPECT_EQ(ScriptCommand("x.tvp"), "TALVSCR.EXE \"x.tvp\"");
  EXPECT_EQ(CompilerCommand("x.tvs"), "TALVCOMP.EXE \"x.tvs\"");
  EXPECT_EQ(RuntimeCommand("\"C:\\r\\TLVRUN32.EXE\"", "x.TVC"), "\"C:\\r\\TLVRUN32.EXE\" \"x.TVC\"");
  EXPECT_EQ(LinkCommand("C:\\x.tvc", false), "TALVLINK.EXE \"C:\\x.tvc\"");
  EXPECT_EQ(LinkCommand("C:\\x.tvc", true), "TALVLINK.EXE \"C:\\x.tvc\" /S");
  EXPECT_EQ(HelperCommand("C:\\T\\", "MENUE.HLF"), "HELFER.EXE \"C:\\T\\MENUE.HLF\"");
  EXPECT_EQ(UserMenuCommand("R.EXE", "C:\\T\\"), "R.EXE \"C:\\T\\BENUTZER.HLF\"");
  EXPECT_EQ(ProgramCommand("C:\\Program Files\\x.exe"), "\"C:\\Program Files\\x.exe\"");
}

TEST(EditorStarts, CodeFileSearch) {
  EXPECT_EQ(CodeFileName("C:\\p\\demo.alt.tvs"), "demo.alt.TVC");
  EXPECT_EQ(CodeFileName("demo"), "demo.TVC");
  std::vector<std::string> asked;
  auto none = [&](const std::string& name) { asked.push_back(name); return false; };
  EXPECT_EQ(FindCodeFile("C:\\p\\demo.tvs", none), "");
  EXPECT_EQ(asked, (std::vector<std::string>{"demo.TVC", "C:\\p\\demo.TVC"}));
  auto beside = [](const std::string& name) { return name == "C:\\p\\demo.TVC"; };
  EXPECT_EQ(FindCodeFile("C:\\p\\demo.tvs", beside), "C:\\p\\demo.TVC");
  auto here = [](const std::string&) { return true; };
  EXPECT_EQ(FindCodeFile("C:\\p\\demo.tvs", here), "demo.TVC");
}

TEST(EditorStarts, Parameters) {
  EXPECT_EQ(SplitParameters("\"C:\\a b\\TALVED32.EXE\"  @x.prj \"c d.tvs\" \"\""),
            (std::vector<std::string>{"C:\\a b\\TALVED32.EXE", "@x.prj", "c d.tvs", ""}));
  const auto read = ReadStartParameters({"@C:\\x\\a.prj", "b.tvs", "", "@" + std::string(300, 'p')});
  ASSERT_EQ(read.size(), 3u);
  EXPECT_EQ(read[0], (StartParameter{true, "C:\\x\\a.prj"}));
  EXPECT_EQ(read[1], (StartParameter{false, "b.tvs"}));
  EXPECT_EQ(read[2].name.size(), 255u);
}

TEST(EditorWindow, HelpWordAndPrintLine) {
  EXPECT_EQ(HelpWord("  PRINT a$", 5), "PRINT");
  EXPECT_EQ(HelpWord("  PRINT a$", 3), "PRINT");
  EXPECT_EQ(HelpWord("x=@SUBSTR$(a)", 6), "@SUBSTR$");
  EXPECT_EQ(HelpWord("MY_PROC", 5), "PROC");  // "_" delimits
  EXPECT_EQ(HelpWord("PRINT", 6), "");  // past the end: nothing
  EXPECT_EQ(HelpWord("", 1), "");
  EXPECT_EQ(HelpWord(std::string(400, 'A'), 300).size(), 0u);
  EXPECT_EQ(HelpWord(std::string(400, 'A'), 10).size(), 255u);
  EXPECT_EQ(PrintLine(1, "x"), "     1: x");
  EXPECT_EQ(PrintLine(1234567, ""), "1234567: ");
  EXPECT_EQ(PrintLine(2, std::string(2000, 'a')).size(), 8u + 1016u);
}

TEST(EditorWindow, PrintedSelection) {
  TextDocument doc;
  doc.Load("abcdef\r\nghij\r\nklmnop");
  doc.SetSelection({1, 3}, {3, 4});
  const auto lines = PrintLines(doc, true);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "     1:   cdef");
  EXPECT_EQ(lines[1], "     2: ghij");
  EXPECT_EQ(lines[2], "     3: klm");
  EXPECT_EQ(PrintLines(doc, false).size(), 3u);
}

TEST(EditorWindow, BlockCommandsAreOneStepAndKeepTheSelection) {
  TextDocument doc;
  doc.Load("a\r\n\r\nbc\r\nd");
  doc.SetSelection({1, 1}, {3, 2});
  IndentLines(doc, " ");
  EXPECT_EQ(doc.Bytes(), " a\r\n \r\n bc\r\nd");
  EXPECT_EQ(doc.GetSelection().start, (LineColumn{1, 1}));
  EXPECT_EQ(doc.GetSelection().end, (LineColumn{3, 2}));
  IndentLines(doc, "' ");
  EXPECT_EQ(doc.Bytes(), "'  a\r\n'  \r\n'  bc\r\nd");
  doc.Undo();
  EXPECT_EQ(doc.Bytes(), " a\r\n \r\n bc\r\nd");
  doc.SetSelection({1, 1}, {3, 2});
  OutdentLines(doc);
  OutdentLines(doc);  // letters go too; empty lines stay
  EXPECT_EQ(doc.Bytes(), "\r\n\r\nc\r\nd");
  doc.Undo();
  doc.Undo();
  doc.Undo();
  EXPECT_EQ(doc.Bytes(), "a\r\n\r\nbc\r\nd");
  EXPECT_FALSE(doc.Modified());
  doc.SetCaret(doc.LineStart(3));
  IndentLines(doc, "\t");  // without a selection: the caret line
  EXPECT_EQ(doc.LineText(3), "\td");
}

TEST(EditorWindow, CopyAsFileTakesWholeLinesAndInsertFromFile) {
  TextDocument doc;
  doc.Load("1\r\n2\r\nthree\r\nfour\n" + std::string(300, 'f') + "\r\n6");
  doc.SetSelection({3, 3}, {5, 2});
  EXPECT_EQ(SelectedLinesAsFile(doc), "three\r\nfour\r\n" + std::string(300, 'f') + "\r\n");
  doc.SetCaret(0);
  EXPECT_EQ(SelectedLinesAsFile(doc), "");
  InsertFileLines(doc, "x\ny\r\nz");
  EXPECT_EQ(doc.LineText(0), "x");
  EXPECT_EQ(doc.LineText(2), "z");
  EXPECT_EQ(doc.LineText(3), "1");
}

class EditorFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("editor_files_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::permissions(dir / "ro.tvs", std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(dir, ignored);
  }
  static std::string Read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::filesystem::path dir;
};

TEST_F(EditorFiles, UntouchedTextSavesByteForByteWithABackup) {
  const std::string original("a\r\nb\nc\rd\0\x80\xFF", 12);
  const std::string path = (dir / "demo.tvs").string();
  std::ofstream(path, std::ios::binary) << original;
  std::string bytes;
  ASSERT_EQ(LoadTextFile(path, bytes), FileResult::Ok);
  TextDocument doc;
  doc.Load(bytes);
  doc.SetCaret(0);
  doc.TypeChar('X');
  ASSERT_EQ(SaveTextFile(path, doc.Bytes()), FileResult::Ok);
  EXPECT_EQ(Read(path), "X" + original);
  EXPECT_EQ(Read(dir / "demo.BAK"), original);
  EXPECT_FALSE(std::filesystem::exists(path + ".$$$"));
  ASSERT_EQ(SaveTextFile(path, original), FileResult::Ok);
  EXPECT_EQ(Read(dir / "demo.BAK"), "X" + original);
  EXPECT_EQ(BackupName("C:\\a.b\\noext"), "C:\\a.b\\noext.BAK");
}

TEST_F(EditorFiles, FailuresKeepTheOldFile) {
  std::string bytes = "keep";
  EXPECT_EQ(LoadTextFile((dir / "missing.tvs").string(), bytes), FileResult::Unreadable);
  EXPECT_EQ(bytes, "");
  EXPECT_EQ(LoadTextFile(dir.string(), bytes), FileResult::Unreadable);
  EXPECT_EQ(LoadTextFile("CON", bytes), FileResult::Unreadable);
  EXPECT_TRUE(IsDeviceName("C:\\x\\com1.tvs"));
  EXPECT_TRUE(IsDeviceName("nul"));
  EXPECT_FALSE(IsDeviceName("console.tvs"));
  EXPECT_EQ(SaveTextFile(dir.string(), "x"), FileResult::Unwritable);
  EXPECT_EQ(SaveTextFile((dir / "no" / "such.tvs").string(), "x"), FileResult::Unwritable);
  const std::filesystem::path readOnly = dir / "ro.tvs";
  std::ofstream(readOnly) << "old";
  std::filesystem::permissions(readOnly, std::filesystem::perms::owner_read);
  EXPECT_EQ(SaveTextFile(readOnly.string(), "new"), FileResult::Unwritable);
  EXPECT_EQ(Read(readOnly), "old");
  EXPECT_FALSE(std::filesystem::exists(dir / "ro.BAK"));
}

}  // namespace
}  // namespace talven::editor
