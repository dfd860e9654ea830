// End to end under Wine: the real TLVSFX.BIN with archives from real zippers appended,
// worked through its dialog by the driver, and the real maker TLVSFX.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/sfx/zip_builder.h"

namespace talven::sfx {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const std::string kBin = TALVEN_WIN_BIN;
const std::string kAllOk = "status: Prüfsumme bei allen Dateien OK! Archiv erfolgreich entpackt!";
const std::string kSomeFailed = "status: Die verbleibenden Dateien haben einen Prüfsummenfehler.";

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

void WriteAll(const fs::path& path, const std::string& content) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

std::string WindowsPath(const fs::path& path) {
  std::string out = "Z:" + path.string();
  for (char& c : out) c = c == '/' ? '\\' : c;
  return out;
}

struct DriverRun {
  Lines lines;
  int exitCode = -1;
  bool timedOut = false;
  bool Has(const std::string& line) const {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  Lines Starting(const std::string& prefix) const {
    Lines found;
    for (const std::string& line : lines) {
      if (line.rfind(prefix, 0) == 0) found.push_back(line);
    }
    return found;
  }
};

std::string Quote(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

DriverRun Drive(const fs::path& dir, const std::string& program, const Lines& steps,
                const Lines& answers = {}, const Lines& arguments = {}) {
  std::string command = "cd " + Quote(dir.string()) + " && wine " + Quote(kBin + "/sfx_driver.exe") + " --timeout 40";
  for (const std::string& answer : answers) command += " --answer " + Quote(answer);
  for (const std::string& step : steps) command += " --do " + Quote(step);
  command += " -- " + Quote(program);
  for (const std::string& argument : arguments) command += " " + Quote(argument);
  command += " </dev/null 2>/dev/null";
  DriverRun run;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  while (std::fgets(buffer, sizeof(buffer), pipe) != nullptr) {
    std::string line(buffer);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    if (line.rfind("exit: ", 0) == 0) run.exitCode = std::atoi(line.c_str() + 6);
    else if (line == "timeout") run.timedOut = true;
    else if (!line.empty()) run.lines.push_back(line);
  }
  pclose(pipe);
  return run;
}

bool HavePrefix() {
  const char* prefix = std::getenv("WINEPREFIX");
  return prefix != nullptr && prefix[0] != '\0';
}

// A lingering wine server, so that no test waits for helpers that hold the output pipe.
class WineSession : public testing::Environment {
 public:
  void SetUp() override {
    if (!HavePrefix()) return;  // never let wine make a default prefix
    std::system("wineserver -p10 </dev/null >/dev/null 2>&1");
    std::system("wine cmd /c exit </dev/null >/dev/null 2>&1");
  }
};
const auto* const kSession = testing::AddGlobalTestEnvironment(new WineSession);

class WineSfx : public testing::Test {
 protected:
  void SetUp() override {
    if (!HavePrefix()) GTEST_SKIP() << "WINEPREFIX is not set";
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    m_dir = fs::temp_directory_path() /
            ("talven_wine_sfx_" + std::to_string(getpid()) + "_" + info->name());
    fs::remove_all(m_dir);
    fs::create_directories(m_dir / "src" / "sub" / "tief");
    fs::create_directories(m_dir / "out");
    std::string text;
    for (int i = 0; i < 20000; ++i) text += "Zeile " + std::to_string(i * 31 % 977) + " Prüfung\r\n";
    std::string noise(50000, '\0');
    unsigned state = 17;
    for (char& c : noise) c = static_cast<char>((state = state * 1103515245u + 12345u) >> 16);
    m_files = {{"readme.txt", "Hallo Welt\r\n"},
               {"noise.bin", noise},
               {"empty.dat", ""},
               {"sub/text.txt", text},
               {"sub/tief/mixed.bin", text.substr(0, 40000) + noise + text.substr(500, 60000)}};
    for (const auto& [name, content] : m_files) WriteAll(m_dir / "src" / name, content);
  }
  void TearDown() override { fs::remove_all(m_dir); }

  // Runs a zipper in src over the given names (all files when empty) and joins the stub.
  fs::path MakeSfx(const std::string& zipper, const std::string& names = "") {
    std::string list = names;
    if (list.empty()) {
      for (const auto& [name, content] : m_files) list += name + " ";
    }
    const fs::path zip = m_dir / "archive.zip";
    fs::remove(zip);
    const std::string command = "cd " + Quote((m_dir / "src").string()) + " && " + zipper + " " +
                                Quote(zip.string()) + " " + list + " >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return Join(ReadAll(zip));
  }
  fs::path Join(const std::string& zip) {
    const fs::path program = m_dir / "archive.exe";
    WriteAll(program, ReadAll(kBin + "/TLVSFX.BIN") + zip);
    return program;
  }
  std::string Target() const { return WindowsPath(m_dir / "out"); }
  DriverRun Extract(const fs::path& program, Lines steps = {}, const Lines& answers = {}) {
    steps.insert(steps.begin(), "set:101=" + Target());
    steps.push_back("click:1");
    steps.push_back("dump");
    steps.push_back("close");
    return Drive(m_dir, program.string(), steps, answers);
  }
  void ExpectExtracted(const std::string& name, bool flat = false) {
    const fs::path target = m_dir / "out" / (flat ? fs::path(name).filename() : fs::path(name));
    ASSERT_TRUE(fs::exists(target)) << target;
    EXPECT_TRUE(ReadAll(target) == m_files.at(name)) << name;
  }
  void ExpectAllExtracted(bool flat = false) {
    for (const auto& [name, content] : m_files) ExpectExtracted(name, flat);
  }

  fs::path m_dir;
  std::map<std::string, std::string> m_files;
};

TEST_F(WineSfx, StubAloneHasNoArchive) {
  const fs::path stub = m_dir / "alone.exe";
  fs::copy_file(kBin + "/TLVSFX.BIN", stub);
  const DriverRun run = Drive(m_dir, stub.string(), {});
  EXPECT_EQ(run.lines, (Lines{"box: TLVSFX | Das Archiv ist nicht vorhanden.\\rSyntax: COPY /b TlvSfx.exe + Mein.zip Mein.exe"}));
  EXPECT_EQ(run.exitCode, 2);
}

TEST_F(WineSfx, NoLocalHeaderBehindTheStub) {
  const DriverRun run = Drive(m_dir, Join("no archive here, only text").string(), {"dump", "close"});
  EXPECT_EQ(run.lines.front(), "box: Fehler: | Archiv-Header nicht lesbar.");
  EXPECT_TRUE(run.Starting("list: ").empty());
  EXPECT_TRUE(run.Has("paths: off disabled"));
  EXPECT_EQ(run.exitCode, 0);
}

struct Zipper {
  const char* name;
  const char* command;
};

void PrintTo(const Zipper& zipper, std::ostream* out) { *out << zipper.command; }

class WineZippers : public WineSfx, public testing::WithParamInterface<Zipper> {};

TEST_P(WineZippers, ExtractByteIdentical) {
  const DriverRun run = Extract(MakeSfx(GetParam().command));
  EXPECT_FALSE(run.timedOut);
  EXPECT_TRUE(run.Has(kAllOk)) << testing::PrintToString(run.lines);
  EXPECT_TRUE(run.Starting("box: ").empty()) << testing::PrintToString(run.lines);
  ExpectAllExtracted();
  EXPECT_EQ(run.exitCode, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Real, WineZippers,
    testing::Values(Zipper{"InfoZipStored", "zip -0"}, Zipper{"InfoZipBest", "zip -9"},
                    Zipper{"InfoZipNoExtra", "zip -9 -X"}, Zipper{"SevenZip", "7z a -tzip -mx=9"},
                    Zipper{"SevenZipStored", "7z a -tzip -mx=0"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WineSfx, DirectoryEntriesFromRecursiveZip) {
  const DriverRun run = Extract(MakeSfx("zip -r -9", "."));
  EXPECT_TRUE(run.Has("list: \\sub\\tief\\"));
  EXPECT_TRUE(run.Has(kAllOk));
  ExpectAllExtracted();
}

TEST_F(WineSfx, EncryptedArchivesAskUntilRight) {
  for (const char* zipper : {"zip -9 -P Kennwort", "7z a -tzip -pKennwort"}) {
    fs::remove_all(m_dir / "out");
    fs::create_directories(m_dir / "out");
    const DriverRun run = Extract(MakeSfx(zipper), {}, {"pwd:falsch", "pwd:Kennwort"});
    EXPECT_EQ(run.Starting("password"), (Lines{"password", "password"})) << zipper;
    EXPECT_TRUE(run.Has(kAllOk)) << zipper;
    ExpectAllExtracted();
  }
}

TEST_F(WineSfx, ThreeWrongPasswordsEndThePass) {
  const DriverRun run = Extract(MakeSfx("zip -9 -P Kennwort"), {}, {"pwd:a", "pwd:b", "pwd:c"});
  EXPECT_EQ(run.Starting("password"), (Lines{"password", "password", "password"}));
  EXPECT_TRUE(run.Has("status: "));  // no closing text
  EXPECT_EQ(run.Starting("list: ").size(), 5u);
  EXPECT_EQ(run.Starting("list: ").size(), [&] {
    size_t selected = 0;
    for (const std::string& line : run.Starting("list: ")) selected += line.size() > 4 && line.substr(line.size() - 4) == " [x]";
    return selected;
  }());
  EXPECT_TRUE(fs::is_empty(m_dir / "out"));
  EXPECT_EQ(run.exitCode, 0);
}

TEST_F(WineSfx, PathsOffPutsEveryFileInTheTarget) {
  const DriverRun run = Extract(MakeSfx("zip -9"), {"check:401=0", "click:121"});
  EXPECT_TRUE(run.Has("list: mixed.bin"));  // extracted, so no longer selected
  EXPECT_TRUE(run.Has(kAllOk));
  ExpectAllExtracted(true);
  EXPECT_FALSE(fs::exists(m_dir / "out" / "sub"));
}

TEST_F(WineSfx, RootOnlyArchiveDisablesPaths) {
  const DriverRun run = Extract(MakeSfx("zip -9", "readme.txt noise.bin"));
  EXPECT_TRUE(run.Has("paths: off disabled"));
  ExpectExtracted("readme.txt");
}

TEST_F(WineSfx, SelectNoneThenOne) {
  const DriverRun run = Extract(MakeSfx("zip -9"), {"click:122", "select:readme.txt"});
  EXPECT_TRUE(run.Has(kAllOk));
  ExpectExtracted("readme.txt");
  EXPECT_FALSE(fs::exists(m_dir / "out" / "noise.bin"));
  EXPECT_FALSE(fs::exists(m_dir / "out" / "sub"));
}

TEST_F(WineSfx, EmptyTargetMeansTheCurrentDirectory) {
  const fs::path program = MakeSfx("zip -9", "readme.txt");
  const DriverRun run = Drive(m_dir / "out", program.string(), {"set:101=", "click:1", "dump", "close"});
  EXPECT_TRUE(run.Has("target: " + Target()));
  ExpectExtracted("readme.txt");
}

class WineOverwrite : public WineSfx {
 protected:
  fs::path Prepare() {
    const fs::path program = MakeSfx("zip -9", "readme.txt noise.bin empty.dat");
    for (const char* name : {"readme.txt", "noise.bin"}) WriteAll(m_dir / "out" / name, "alt");
    return program;
  }
  std::string Out(const char* name) { return ReadAll(m_dir / "out" / name); }
};

TEST_F(WineOverwrite, NeverKeepsAlwaysReplaces) {
  const fs::path program = Prepare();
  DriverRun run = Extract(program, {"check:502=1"});
  EXPECT_TRUE(run.Starting("fileexist").empty());
  EXPECT_TRUE(Out("readme.txt") == "alt");
  EXPECT_TRUE(run.Has("mode: never"));
  EXPECT_TRUE(run.Has(kAllOk));

  run = Extract(program, {"check:501=1"});
  EXPECT_TRUE(run.Starting("fileexist").empty());
  ExpectExtracted("readme.txt");
  ExpectExtracted("noise.bin");
}

TEST_F(WineOverwrite, AskEachTime) {
  // Entries come in archive order: readme.txt, then noise.bin.
  const DriverRun run = Extract(Prepare(), {}, {"no", "yes"});
  EXPECT_EQ(run.Starting("fileexist"), (Lines{"fileexist: readme.txt", "fileexist: noise.bin"}));
  EXPECT_TRUE(Out("readme.txt") == "alt");
  ExpectExtracted("noise.bin");
  EXPECT_TRUE(run.Has("mode: ask"));
}

TEST_F(WineOverwrite, DontAskAgainSwitchesTheMode) {
  DriverRun run = Extract(Prepare(), {}, {"no+dontask"});
  EXPECT_EQ(run.Starting("fileexist"), (Lines{"fileexist: readme.txt"}));
  EXPECT_TRUE(Out("noise.bin") == "alt");
  EXPECT_TRUE(Out("readme.txt") == "alt");
  EXPECT_TRUE(run.Has("mode: never"));

  run = Extract(Prepare(), {}, {"yes+dontask"});
  EXPECT_EQ(run.Starting("fileexist"), (Lines{"fileexist: readme.txt"}));
  ExpectExtracted("noise.bin");
  ExpectExtracted("readme.txt");
  EXPECT_TRUE(run.Has("mode: always"));
}

// Names that would leave the target, and data that lies about itself: clear messages, the
// entries stay selected, nothing is written outside the target.
TEST_F(WineSfx, HostileArchive) {
  test::ZipEntrySpec farBack{"far.txt", "abc"};
  farBack.data = std::string("\x4B\x04\x62\x00", 4);
  test::ZipEntrySpec oversubscribed{"over.txt", "abc"};
  oversubscribed.data = std::string("\x05\xE0\xFF\xFF\xFF\xFF\xFF\xFF", 8);
  test::ZipEntrySpec pastTheEnd{"zlast.txt", std::string(1000, 'z'), 0};
  std::string zip = test::ZipEntry({"..\\evil1.txt", "evil"}) + test::ZipEntry({"C:\\evil2.txt", "evil"}) +
                    test::ZipEntry({"\\evil3.txt", "evil"}) + test::ZipEntry({"/etc/x", "evil"}) +
                    test::ZipEntry({"NUL", "evil"}) + test::ZipEntry(farBack) +
                    test::ZipEntry(oversubscribed) + test::ZipEntry({"good.txt", "good"});
  const std::string last = test::ZipEntry(pastTheEnd);
  zip += last.substr(0, last.size() - 500);
  WriteAll(m_dir / "out" / "far.txt", "alt");
  const DriverRun run = Extract(Join(zip), {"check:501=1"});
  EXPECT_EQ(run.Starting("box: "),
            (Lines{"box: Unzulässiger Dateiname: | ..\\evil1.txt", "box: Unzulässiger Dateiname: | C:\\evil2.txt",
                   "box: Unzulässiger Dateiname: | \\evil3.txt", "box: Unzulässiger Dateiname: | /etc/x",
                   "box: Unzulässiger Dateiname: | NUL"}));
  EXPECT_TRUE(run.Has(kSomeFailed));
  EXPECT_TRUE(run.Has("list: far.txt [x]"));
  EXPECT_TRUE(run.Has("list: over.txt [x]"));
  EXPECT_TRUE(run.Has("list: zlast.txt [x]"));
  EXPECT_FALSE(run.Has("list: good.txt [x]"));
  EXPECT_EQ(ReadAll(m_dir / "out" / "good.txt"), "good");
  EXPECT_EQ(ReadAll(m_dir / "out" / "far.txt"), "alt");  // a failed entry leaves it alone
  // Only good.txt was written (no temporary file stays), nothing beside the target or in
  // the prefix's C: drive.
  EXPECT_EQ(std::distance(fs::directory_iterator(m_dir / "out"), fs::directory_iterator()), 2);
  EXPECT_FALSE(fs::exists(m_dir / "evil1.txt"));
  EXPECT_FALSE(fs::exists(fs::path(std::getenv("WINEPREFIX")) / "drive_c" / "evil2.txt"));
  EXPECT_FALSE(fs::exists("/evil3.txt"));
  EXPECT_FALSE(fs::exists("/etc/x"));
}

// Both zippers keep the UTF-8 name of a Linux file; it has to arrive with its umlaut.
TEST_F(WineSfx, NamesWithUmlauts) {
  const std::string utf8Name = "Pr\xC3\xBC" "fung.txt";
  for (const char* zipper : {"zip -9", "7z a -tzip"}) {
    fs::remove_all(m_dir / "out");
    fs::create_directories(m_dir / "out");
    WriteAll(m_dir / "src" / utf8Name, "Umlaute");
    const DriverRun run = Extract(MakeSfx(zipper, "'" + utf8Name + "'"));
    EXPECT_TRUE(run.Has("list: Prüfung.txt")) << zipper << testing::PrintToString(run.lines);
    EXPECT_EQ(ReadAll(m_dir / "out" / utf8Name), "Umlaute") << zipper;
  }
}

TEST_F(WineSfx, TargetThatCannotBeReplaced) {
  fs::create_directories(m_dir / "out" / "readme.txt");
  const DriverRun run = Extract(MakeSfx("zip -9", "readme.txt noise.bin"), {"check:501=1"});
  EXPECT_EQ(run.Starting("box: "),
            (Lines{"box: Kann Datei nicht öffnen: | " + WindowsPath(m_dir / "out" / "readme.txt")}));
  EXPECT_TRUE(run.Has("list: readme.txt [x]"));
  EXPECT_TRUE(run.Has(kSomeFailed));
  ExpectExtracted("noise.bin");
  EXPECT_EQ(std::distance(fs::directory_iterator(m_dir / "out"), fs::directory_iterator()), 2);
}

TEST_F(WineSfx, DirectoryBlockedByAFile) {
  WriteAll(m_dir / "out" / "sub", "a file where a directory belongs");
  const DriverRun run = Extract(MakeSfx("zip -9", "sub/text.txt readme.txt"));
  EXPECT_EQ(run.Starting("box: "), (Lines{"box: Verzeichnis-Fehler: | " + WindowsPath(m_dir / "out" / "sub")}));
  EXPECT_TRUE(run.Has("status: "));  // the pass ended there
  EXPECT_FALSE(fs::exists(m_dir / "out" / "readme.txt"));
}

TEST_F(WineSfx, StreamedEntryIsReported) {
  test::ZipEntrySpec streamed{"streamed.txt", "no sizes in the header"};
  streamed.descriptor = true;
  streamed.sizesInHeader = false;
  const DriverRun run = Extract(Join(test::Zip({{"first.txt", "1"}, streamed})));
  // Told when the list is made and again when it is to be extracted.
  EXPECT_EQ(run.Starting("box: "), (Lines{"box: Größe fehlt im Archiv-Header: | streamed.txt",
                                          "box: Größe fehlt im Archiv-Header: | streamed.txt"}));
  EXPECT_TRUE(run.Has("list: streamed.txt [x]"));
  EXPECT_TRUE(run.Has(kSomeFailed));
  EXPECT_EQ(ReadAll(m_dir / "out" / "first.txt"), "1");
}

TEST_F(WineSfx, UnknownMethodEndsTheProgram) {
  const DriverRun run = Extract(Join(test::Zip({{"packed.txt", "x", 14}})));
  EXPECT_EQ(run.Starting("box: "), (Lines{"box: Pack-Fehler: | Unbekannte Pack-Methode."}));
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_TRUE(fs::is_empty(m_dir / "out"));
}

// The maker beside its stub, as installed.
class WineMaker : public WineSfx {
 protected:
  void Install(bool withStub) {
    fs::create_directories(m_dir / "tools");
    fs::copy_file(kBin + "/TLVSFX.EXE", m_dir / "tools" / "TLVSFX.EXE");
    if (withStub) fs::copy_file(kBin + "/TLVSFX.BIN", m_dir / "tools" / "TLVSFX.BIN");
  }
  DriverRun Make(const Lines& arguments) {
    return Drive(m_dir, (m_dir / "tools" / "TLVSFX.EXE").string(), {}, {}, arguments);
  }
};

TEST_F(WineMaker, JoinsStubAndArchive) {
  Install(true);
  const fs::path zip = m_dir / "demo.ZIP";
  WriteAll(zip, test::Zip({{"readme.txt", "Hallo Welt\r\n"}}));
  const DriverRun run = Make({"demo"});
  ASSERT_EQ(run.lines.size(), 1u);
  EXPECT_EQ(run.lines[0].rfind("box: ZUL-TLVSFX 1.0 | ", 0), 0u);
  EXPECT_NE(run.lines[0].find("\\r\\nSelbstentpackendes Archiv erfolgreich erzeugt!"), std::string::npos);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(ReadAll(m_dir / "demo.exe") == ReadAll(kBin + "/TLVSFX.BIN") + ReadAll(zip));
  const DriverRun extracted = Extract(m_dir / "demo.exe");
  ExpectExtracted("readme.txt");
}

TEST_F(WineMaker, MessagesAndExitCodes) {
  Install(false);
  WriteAll(m_dir / "demo.zip", "");
  DriverRun run = Make({WindowsPath(m_dir / "demo.zip")});
  EXPECT_EQ(run.lines, (Lines{"box: TLVSFX | FEHLER: \\r\\nTLVSFX.BIN nicht gefunden."}));
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_FALSE(fs::exists(m_dir / "demo.exe"));

  run = Make({"missing"});
  EXPECT_EQ(run.lines, (Lines{"box: TLVSFX | FEHLER: \\r\\nDatei kann nicht gelesen werden."}));
  EXPECT_EQ(run.exitCode, 2);

  run = Make({});
  EXPECT_EQ(run.lines, (Lines{"dialog: ZIP-Datei laden:", "box: TLVSFX | Aufruf mit: \\r\\nTLVSFX [<ZIP-Datei>]"}));
  EXPECT_EQ(run.exitCode, 2);
}

// Without a parameter the archive comes from the file dialog (answered by the general test
// driver, which can fill in a file name).
TEST_F(WineMaker, FileDialogChoosesTheArchive) {
  Install(true);
  WriteAll(m_dir / "demo.zip", test::Zip({{"a.txt", "A"}}));
  const std::string command = "cd " + Quote(m_dir.string()) + " && wine " + Quote(kBin + "/tdriver.exe") +
                              " --timeout 30 --answer " + Quote("file:" + WindowsPath(m_dir / "demo.zip")) +
                              " -- " + Quote((m_dir / "tools" / "TLVSFX.EXE").string()) + " </dev/null 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string output;
  char buffer[4096];
  while (std::fgets(buffer, sizeof(buffer), pipe) != nullptr) output += buffer;
  pclose(pipe);
  EXPECT_EQ(output.rfind("dialog: ZIP-Datei laden:\r\n", 0), 0u) << output;  // text-mode output
  EXPECT_NE(output.find("| ZUL-TLVSFX 1.0 | "), std::string::npos) << output;
  EXPECT_NE(output.find("exit: 0"), std::string::npos) << output;
  EXPECT_TRUE(ReadAll(m_dir / "demo.exe") == ReadAll(kBin + "/TLVSFX.BIN") + ReadAll(m_dir / "demo.zip"));
}

TEST_F(WineMaker, OutputThatCannotBeCreated) {
  Install(true);
  WriteAll(m_dir / "demo.zip", test::Zip({{"a.txt", "A"}}));
  fs::create_directories(m_dir / "demo.exe");
  const DriverRun run = Make({"demo.zip"});
  EXPECT_EQ(run.lines, (Lines{"box: TLVSFX | FEHLER: \\r\\nProgramm kann nicht erzeugt werden."}));
  EXPECT_EQ(run.exitCode, 2);
}

TEST_F(WineMaker, EmptyArchiveGivesTheBareStub) {
  Install(true);
  WriteAll(m_dir / "leer.zip", "");
  const DriverRun run = Make({"leer.zip"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(ReadAll(m_dir / "leer.exe") == ReadAll(kBin + "/TLVSFX.BIN"));
  const DriverRun started = Drive(m_dir, (m_dir / "leer.exe").string(), {});
  ASSERT_EQ(started.lines.size(), 1u);
  EXPECT_EQ(started.lines[0].rfind("box: TLVSFX | Das Archiv ist nicht vorhanden.", 0), 0u);
  EXPECT_EQ(started.exitCode, 2);
}

}  // namespace
}  // namespace talven::sfx
