// The setup-script reader: compaction, sections, conditions, fields, values, directory
// names and expansion, with the hostile inputs that a script may bring.

#include <gtest/gtest.h>

#include <string>

#include "installer/setup_script.h"
#include "tests/installer/fake_environment.h"

namespace talven::installer {
namespace {

using test::FakeEnvironment;

struct Loaded {
  FakeEnvironment environment;
  SetupScript script{environment};
  explicit Loaded(const std::string& text) { EXPECT_TRUE(script.Load(text)); }
};

TEST(ScriptCompaction, BlanksQuotesCommentsAndLineEnds) {
  EXPECT_EQ(CompactScript("Key = a b\r\n\r\n  ; comment\r\n[Sec]\n x = \"a ;b\" ; c\n\t\n"),
            std::string("Key=ab\0\0[Sec]\0x=\"a ;b\"\0\0\0\x1A", 26));
  // A quote left open ends with its line; a NUL ends a line as well.
  EXPECT_EQ(CompactScript(std::string("a=\"x y\nb = 1\0c=2", 16)), std::string("a=\"x y\0b=1\0c=2\0\0\0\x1A", 18));
  EXPECT_EQ(CompactScript(""), std::string("\0\0\x1A", 3));
}

TEST(ScriptCompaction, SizeLimit) {
  FakeEnvironment environment;
  SetupScript script(environment);
  EXPECT_TRUE(script.Load("[a]\nb=1\n" + std::string(kMaxScriptBytes - 8, ' ')));
  EXPECT_FALSE(script.Load(std::string(70000, 'x')));
  EXPECT_FALSE(script.Load("[a]\nb=1\n" + std::string(kMaxScriptBytes - 7, ' ')));
  // A 60 kB line is one line; nothing is cut.
  EXPECT_TRUE(script.Load("[a]\nk=" + std::string(60000, 'v')));
  EXPECT_EQ(script.ValueOr("a", "k", "").size(), 60000u);
}

TEST(ScriptSections, FoundOnlyWithLinesAndWithoutCase) {
  Loaded l("[Leer]\n[\"Da ten\"]\n;x\na=1\n[Leer]\n[DATA]\nb=2\n");
  EXPECT_FALSE(l.script.HasSection("Leer"));
  EXPECT_TRUE(l.script.HasSection("da ten"));  // quotes dropped, quoted blanks kept
  EXPECT_EQ(l.script.ValueOr("data", "b", "-"), "2");
  EXPECT_EQ(l.script.ValueOr("DA TEN", "A", "-"), "1");
  EXPECT_FALSE(l.script.HasSection("Fehlt"));
}

TEST(ScriptFields, KeysListsQuotes) {
  EXPECT_EQ(Field("a=b,\"c,d\",e", 2), "c,d");
  EXPECT_EQ(Field("a=b,\"c,d\",e", 0), "a");
  EXPECT_EQ(Field("a=b=c", 2), "c");
  EXPECT_EQ(Field("x,y,z", 1), "x");
  EXPECT_EQ(Field("x,y,z", 3), "z");
  EXPECT_EQ(Field("\"say \"\"hi\"\"\",2", 1), "say \"hi\"");
  bool exists = true;
  EXPECT_EQ(Field("x,y", 0, &exists), "");
  EXPECT_FALSE(exists);
  EXPECT_EQ(Field("x,y", 3, &exists), "");
  EXPECT_FALSE(exists);
  EXPECT_EQ(Field("x,,y", 2, &exists), "");
  EXPECT_TRUE(exists);
  EXPECT_EQ(Field("\"a=b\",c", 1), "a=b");
}

TEST(ScriptValues, RulesForQuotesAndSeparators) {
  Loaded l("[s]\nKey = a b\nQ=\" a b \"\nL=x,y\nE=\"a=b\"\nN=-42abc\nBig=99999999999999999999\n[Medra]\nTitle=Talven");
  EXPECT_EQ(l.script.ValueOr("s", "Key", ""), "ab");
  EXPECT_EQ(l.script.ValueOr("s", "Q", ""), " a b ");
  EXPECT_EQ(l.script.ValueOr("s", "L", ""), "x,y");
  EXPECT_EQ(l.script.ValueOr("s", "E", ""), "a=b");
  EXPECT_EQ(l.script.Number("s", "N", 0), -42);
  EXPECT_EQ(l.script.Number("s", "Big", 0), INT64_MAX);
  EXPECT_EQ(l.script.Number("s", "Missing", 7), 7);
  EXPECT_EQ(l.script.Number("s", "Key", 7), 0);
  std::string value;
  EXPECT_TRUE(l.script.DottedValue("Medra.Title", value));
  EXPECT_EQ(value, "Talven");
  EXPECT_FALSE(l.script.DottedValue("Medra.", value));
  EXPECT_FALSE(l.script.DottedValue("Title", value));
  EXPECT_FALSE(l.script.Value("s", "Ke", value));  // a key must be followed by "="
}

TEST(ScriptValues, IniValueWithDefaultAndAppendedText) {
  Loaded l("[d]\nDir=$INI(win.ini,Talven,Dir,C:\\TALVEN)\\BIN\nOther=$INI(win.ini,Talven,Fehlt,\"C:\\A B\")\nBad=$INI(x,y");
  l.environment.ini[{"WIN.INI", "TALVEN", "DIR"}] = "D:\\PROG";
  EXPECT_EQ(l.script.ValueOr("d", "Dir", ""), "D:\\PROG\\BIN");
  EXPECT_EQ(l.script.ValueOr("d", "Other", ""), "C:\\A B");
  EXPECT_EQ(l.script.ValueOr("d", "Bad", ""), "$INI(x,y");
  l.environment.ini[{"WIN.INI", "TALVEN", "DIR"}] = std::string(200, 'x');
  EXPECT_EQ(l.script.ValueOr("d", "Dir", "").size(), 154u);  // 150 characters and "\BIN"
}

TEST(ScriptConditions, NotOsModuleIni) {
  Loaded l(
      "[s]\n$NOT$IFOS(WINNT)a=95\n$IFOS(WINNT)b=nt\n$IFOS(WIN32)c=1\n$IFOS(WINHLP32)d=1\n$IFOS(OS2)e=1\n"
      "$IFMODULE(Hilfe)f=1\n$IFINI(WIN.INI,Windows,Device)g=1\n$IFINI(WIN.INI,Windows,Deviceh=1\n$NOT$NOTi=1\n"
      "$NOTj=1\n$NOT$NOT$IFOS(WINNT)k=1\n");
  auto has = [&](const char* key) {
    std::string value;
    return l.script.Value("s", key, value);
  };
  EXPECT_FALSE(has("a"));
  EXPECT_TRUE(has("b"));
  EXPECT_TRUE(has("c"));
  EXPECT_TRUE(has("d"));
  EXPECT_FALSE(has("e"));
  EXPECT_FALSE(has("f"));
  EXPECT_FALSE(has("g"));
  EXPECT_FALSE(has("h"));  // "$IFINI(" without ")" is false: the line is skipped
  EXPECT_TRUE(has("i"));
  EXPECT_FALSE(has("j"));
  EXPECT_TRUE(has("k"));
  l.environment.nt = false;
  l.script.ChooseModule("HILFE");
  l.environment.ini[{"WIN.INI", "WINDOWS", "DEVICE"}] = "HP LaserJet";
  EXPECT_TRUE(has("a"));
  EXPECT_FALSE(has("b"));
  EXPECT_TRUE(has("f"));
  EXPECT_TRUE(has("g"));
}

TEST(ScriptConditions, IniDatesCompareAsNumbers) {
  Loaded l(
      "[s]\n$IFINI(T.INI,A,Path,\\X.DLL,970101)old=1\n$IFINI(T.INI,A,Path,\\X.DLL,1260301)new=1\n"
      "$IFINI(T.INI,A,Path,\\X.DLL,20260316)full=1\n$IFINI(T.INI,A,Path,\\Y.DLL,900101)missing=1\n");
  l.environment.ini[{"T.INI", "A", "PATH"}] = "C:\\T";
  l.environment.dates["C:\\T\\X.DLL"] = {2026, 3, 15};
  std::string value;
  // As texts "1260315" would be smaller than "970101"; as numbers it is larger.
  EXPECT_TRUE(l.script.Value("s", "old", value));
  EXPECT_TRUE(l.script.Value("s", "new", value));
  EXPECT_FALSE(l.script.Value("s", "full", value));
  EXPECT_FALSE(l.script.Value("s", "missing", value));
  l.environment.dates["C:\\T\\X.DLL"] = {2026, 3, 16};
  EXPECT_TRUE(l.script.Value("s", "full", value));
}

TEST(ScriptPlaces, DirectoryNamesAndDisks) {
  Loaded l("[disks]\n1=.,Diskette 1\n2=C:\\QUELLE\\DISK2,\"Diskette 2\"\nab=x\n");
  SetupPlaces places{"C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM32", "C:\\ZIEL", "A:\\", {}, {}};
  ReadDisks(l.script, places);
  EXPECT_EQ(places.disks.size(), 2u);
  EXPECT_EQ(places.labels['2'], "Diskette 2");
  EXPECT_EQ(ReplaceDirectoryNames("0:WINDOWS\\X.INI", places), "C:\\WINDOWS\\X.INI");
  EXPECT_EQ(ReplaceDirectoryNames("0:SYSTEM32\\A.DLL", places), "C:\\WINDOWS\\SYSTEM32\\A.DLL");
  EXPECT_EQ(ReplaceDirectoryNames("0:SYSTEM\\A.DLL", places), "C:\\WINDOWS\\SYSTEM32\\A.DLL");
  EXPECT_EQ(ReplaceDirectoryNames("0:BIN", places), "C:\\ZIEL\\BIN");
  EXPECT_EQ(ReplaceDirectoryNames("0:", places), "C:\\ZIEL");
  EXPECT_EQ(ReplaceDirectoryNames("1:README.TXT", places), "A:\\README.TXT");
  EXPECT_EQ(ReplaceDirectoryNames("2:DATA.BIN", places), "C:\\QUELLE\\DISK2\\DATA.BIN");
  EXPECT_EQ(ReplaceDirectoryNames("3:X", places), "3:X");
  EXPECT_EQ(ReplaceDirectoryNames("README.TXT", places), "README.TXT");
}

TEST(ScriptPlaces, Expansion) {
  FakeEnvironment environment;
  environment.variables["TEMP"] = "C:\\TMP";
  environment.variables["LONG"] = std::string(200, 'l');
  SetupPlaces places{"C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM", "C:\\ZIEL", "A:\\", {{'1', "A:\\"}}, {}};
  EXPECT_EQ(ExpandText("0:\\PROG.EXE 1:DATA %TEMP%\\X %NIX% %temp%", places, environment),
            "C:\\ZIEL\\PROG.EXE A:\\DATA C:\\TMP\\X %NIX% %temp%");
  EXPECT_EQ(ExpandText("\"0:\\keep\" a\xFF" "b\xFF", places, environment), "0:\\keep a\"b\"");
  EXPECT_EQ(ExpandText("%LONG%", places, environment).size(), 95u);
  EXPECT_EQ(ExpandText("\"open", places, environment), "open");
  EXPECT_EQ(ExpandText("x:y", places, environment), "x:y");
}

}  // namespace
}  // namespace talven::installer
