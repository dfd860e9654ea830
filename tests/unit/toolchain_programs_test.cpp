// The compiler, the runtime's start-up and the linker as programs: names, boxes, exit
// codes and the files they leave, in a scratch folder.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/bytes.h"
#include "library/profiles.h"
#include "tests/support/recording_host.h"
#include "toolchain/compiler.h"
#include "toolchain/linker.h"
#include "toolchain/runtime.h"

namespace talven {
namespace {

namespace fs = std::filesystem;

std::string Contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

class ToolchainPrograms : public testing::Test {
 protected:
  void SetUp() override {
    m_dir = fs::temp_directory_path() / ("talven_toolchain_" + std::to_string(getpid()));
    fs::remove_all(m_dir);
    fs::create_directories(m_dir);
  }
  void TearDown() override { fs::remove_all(m_dir); }

  std::string Path(const std::string& name) const { return (m_dir / name).string(); }
  void Write(const std::string& name, const std::string& text) const {
    std::ofstream(m_dir / name, std::ios::binary) << text;
  }
  int Compile(test::RecordingHost& host, std::vector<std::string> params) {
    NoProgress progress;
    ClockRandom random;
    return RunCompiler(host, params, progress, random);
  }
  int Link(test::RecordingHost& host, std::vector<std::string> params) {
    NoProgress progress;
    return RunLinker(host, params, progress);
  }

  fs::path m_dir;
};

TEST_F(ToolchainPrograms, CompilerNamesAndBoxes) {
  Write("PROG.TVS", "REM eins\r\nPROGEND\r\n");
  test::RecordingHost host;
  EXPECT_EQ(Compile(host, {Path("PROG")}), 0) << "\".TVS\" appended";
  ASSERT_EQ(host.events.size(), 1u);
  EXPECT_EQ(host.events[0], "box: exclamation ok | ZUL-TALVEN\xB2 COMPILER 6.6a-32 | " +
                                Path("PROG.tvc") + "\\nProgramm erfolgreich compiliert!");
  EXPECT_TRUE(fs::exists(m_dir / "PROG.tvc"));
  Write("prog.tvs", "REM eins\r\n");
  test::RecordingHost batch;
  EXPECT_EQ(Compile(batch, {Path("prog.tvs"), "/b"}), 0);
  EXPECT_TRUE(batch.events.empty()) << "/B is silent";
  test::RecordingHost missing;
  EXPECT_EQ(Compile(missing, {Path("nix.tvs")}), 2);
  EXPECT_EQ(missing.events,
            std::vector<std::string>{
                "box: stop ok | TALVEN\xB2-COMPILER | Datei kann nicht erzeugt werden: " +
                Path("nix.tvs")});
  test::RecordingHost cancelled;
  cancelled.answers = {"cancel"};
  EXPECT_EQ(Compile(cancelled, {}), 2);
  EXPECT_EQ(cancelled.events.back(),
            "box: stop ok | TALVEN\xB2-COMPILER | Aufruf mit: \\nTALVCOMP [<Dateiname>]");
}

TEST_F(ToolchainPrograms, FailedCompilationLeavesNoCodeFile) {
  Write("bad.tvs", "REM\r\nWEND\r\n");
  test::RecordingHost host;
  EXPECT_EQ(Compile(host, {Path("bad.tvs"), "/B"}), 2);
  EXPECT_EQ(host.events, std::vector<std::string>{
                             "box: stop ok | WHILE oder WHILENOT fehlt! | Zeile      2: WEND"});
  EXPECT_FALSE(fs::exists(m_dir / "bad.tvc"));
  EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 1)
      << "no temporary file left";
}

TEST_F(ToolchainPrograms, CompilerNeverOverwritesItsSource) {
  Write("self.tvc", "REM\r\n");
  test::RecordingHost host;
  EXPECT_EQ(Compile(host, {Path("self.tvc"), "/B"}), 2);
  EXPECT_EQ(Contents(m_dir / "self.tvc"), "REM\r\n");
  // A "." only in a folder name: the code file goes beside the source, not above it.
  fs::create_directories(m_dir / "ordner.x");
  Write("ordner.x/prog", "REM\r\n");
  test::RecordingHost dotted;
  EXPECT_EQ(Compile(dotted, {Path("ordner.x/prog"), "/B"}), 0);
  EXPECT_TRUE(fs::exists(m_dir / "ordner.x" / "prog.tvc"));
  EXPECT_FALSE(fs::exists(m_dir / "ordner.tvc"));
}

TEST_F(ToolchainPrograms, SameSourceTwiceGivesDifferentFiles) {
  for (const char* directive : {"$P+", "$P*"}) {
    Write("p.tvs", std::string(directive) + "\r\nSETERRORLEVEL 1\r\n");
    test::RecordingHost first;
    ASSERT_EQ(Compile(first, {Path("p.tvs"), "/B"}), 0);
    const std::string one = Contents(m_dir / "p.tvc");
    test::RecordingHost second;
    ASSERT_EQ(Compile(second, {Path("p.tvs"), "/B"}), 0);
    EXPECT_NE(one, Contents(m_dir / "p.tvc")) << directive;
    test::RecordingHost run;
    EXPECT_EQ(RunRuntime(run, {Path("p.tvc")}, "nix.exe", RuntimeProfile()), 0);
    EXPECT_TRUE(run.events.empty());
  }
}

bool NeverCode(const std::string&) {
  return false;
}
bool AlwaysCode(const std::string&) {
  return true;
}

TEST(FindCode, WhereTheRuntimeLooks) {
  // A named code file wins, even in a linked program; its arguments follow it.
  CodeLocation where = FindCode({"x.tvc", "a"}, "own.exe", 1000, &AlwaysCode);
  EXPECT_EQ(where.file, "x.tvc");
  EXPECT_EQ(where.offset, 0u);
  EXPECT_EQ(where.programArgs, std::vector<std::string>{"a"});
  // Linked: every argument belongs to the program.
  where = FindCode({"a", "b"}, "own.exe", 1000, &NeverCode);
  EXPECT_TRUE(where.linked);
  EXPECT_EQ(where.file, "own.exe");
  EXPECT_EQ(where.offset, 1000u);
  EXPECT_EQ(where.programArgs, (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(FindCode({}, "own.exe", 0, &NeverCode).ask);
  EXPECT_EQ(FindCode({"prog"}, "own.exe", 0, &NeverCode).file, "prog.TVC");
  EXPECT_EQ(FindCode({"dir.x\\prog"}, "own.exe", 0, &NeverCode).file, "dir.x\\prog");
}

TEST_F(ToolchainPrograms, RuntimeStartFailures) {
  test::RecordingHost missing;
  EXPECT_EQ(RunRuntime(missing, {Path("nix")}, "nix.exe", RuntimeProfile()), 2);
  EXPECT_EQ(missing.events,
            std::vector<std::string>{
                "box: stop ok | T A L V E N \xB2 | Datei nicht gefunden: " + Path("nix") + ".TVC"});
  Write("text.tvc", "PRINT 1\r\n");
  test::RecordingHost text;
  EXPECT_EQ(RunRuntime(text, {Path("text.tvc")}, "nix.exe", RuntimeProfile()), 1);
  EXPECT_EQ(text.events,
            std::vector<std::string>{"box: stop ok | TALVEN\xB2 | Keine TALVEN\xB2 Datei!"});
  test::RecordingHost cancelled;
  cancelled.answers = {"cancel"};
  EXPECT_EQ(RunRuntime(cancelled, {}, "nix.exe", RuntimeProfile()), 2);
  EXPECT_EQ(cancelled.events,
            (std::vector<std::string>{
                "dialog: TALVEN\xB2-Datei laden:",
                "box: stop ok | T A L V E N \xB2 | Aufruf mit: \\nTALVRUN [<Dateiname>]"}));
}

TEST_F(ToolchainPrograms, LinkedProgramLayout) {
  Write("prog.tvs", "unbekannt\r\nPROC unbekannt\r\nGOTO \"nirgends\"\r\nENDPROC\r\n");
  test::RecordingHost compile;
  ASSERT_EQ(Compile(compile, {Path("prog.tvs"), "/B"}), 0);
  const std::string runtime = "MZ\x90" + std::string(300, '\0') + "runtime";
  Write("RT.EXE", runtime);
  test::RecordingHost host;
  // As the editor's project settings write it: in quotes.
  host.ini["TALVED32.INI|LINK|Runtime"] = "\"" + Path("RT.EXE") + "\"";
  EXPECT_EQ(Link(host, {Path("prog.tvc")}), 0);
  EXPECT_EQ(host.events,
            std::vector<std::string>{"box: exclamation ok | ZUL-TALVEN\xB2 KOMBI-LINKER 6.5-32 | " +
                                     Path("prog.exe") + "\\nEXE-Programm erfolgreich erzeugt!"});
  const std::string code = Contents(m_dir / "prog.tvc");
  const std::string linked = Contents(m_dir / "prog.exe");
  const size_t s = runtime.size();
  ASSERT_EQ(linked.size(), s + 1 + code.size());
  EXPECT_EQ(GetLittle32(reinterpret_cast<const uint8_t*>(linked.data()) + 128), s + 1);
  EXPECT_EQ(linked[s], '\0');
  EXPECT_EQ(linked.substr(s + 1), code);
  EXPECT_EQ(linked.substr(0, 128), runtime.substr(0, 128));
  // The linked program finds its code at offset 128 of its own file and runs it (the
  // procedure stands below its call: the compiled call names its line).
  test::RecordingHost run;
  EXPECT_EQ(RunRuntime(run, {"arg"}, Path("prog.exe"), RuntimeProfile()), 2);
  EXPECT_EQ(run.events, std::vector<std::string>{
                            "box: stop ok | Zeile      3! | Label nicht gefunden: NIRGENDS:"});
  // A module that carries code already is copied as it is; the new offset replaces the
  // old one and the old code stays inside, unused.
  Write("other.tvs", "GOTO \"anderswo\"\r\n");
  test::RecordingHost compileOther;
  ASSERT_EQ(Compile(compileOther, {Path("other.tvs"), "/B"}), 0);
  test::RecordingHost relink;
  relink.ini["TALVED32.INI|LINK|Runtime"] = Path("prog.exe");
  EXPECT_EQ(Link(relink, {Path("other.tvc")}), 0);
  const std::string twice = Contents(m_dir / "other.exe");
  EXPECT_EQ(twice.size(), linked.size() + 1 + Contents(m_dir / "other.tvc").size());
  EXPECT_EQ(GetLittle32(reinterpret_cast<const uint8_t*>(twice.data()) + 128), linked.size() + 1);
  test::RecordingHost runOther;
  EXPECT_EQ(RunRuntime(runOther, {}, Path("other.exe"), RuntimeProfile()), 2);
  EXPECT_EQ(runOther.events, std::vector<std::string>{
                                 "box: stop ok | Zeile      1! | Label nicht gefunden: ANDERSWO:"});
  // "/S" makes a screen saver.
  test::RecordingHost saver;
  saver.ini = host.ini;
  EXPECT_EQ(Link(saver, {Path("prog.tvc"), "/s"}), 0);
  EXPECT_TRUE(fs::exists(m_dir / "prog.scr"));
  EXPECT_NE(saver.events.back().find("Screensaver erfolgreich erzeugt!"), std::string::npos);
}

TEST_F(ToolchainPrograms, LinkerFailures) {
  test::RecordingHost unreadable;
  EXPECT_EQ(Link(unreadable, {Path("nix")}), 2);
  EXPECT_EQ(unreadable.events,
            std::vector<std::string>{
                "box: stop ok | TALVEN\xB2-LINKER | FEHLER: \\nDatei kann nicht gelesen werden."});
  Write("c.tvc", " ZUL-TALVEN5 DATEI\x1A            " + std::string(1, '\0'));
  test::RecordingHost noRuntime;
  noRuntime.ini["TALVED32.INI|LINK|Runtime"] = Path("NIX.EXE");
  EXPECT_EQ(Link(noRuntime, {Path("c.tvc")}), 2);
  EXPECT_EQ(noRuntime.events.back(),
            "box: stop ok | TALVEN\xB2-LINKER | FEHLER: \\nRuntime-Modul nicht gefunden.");
  Write("OLD.EXE", std::string("MZ\0\0", 4) + std::string(400, 'x'));
  test::RecordingHost old;
  old.ini["TALVED32.INI|LINK|Runtime"] = Path("OLD.EXE");
  EXPECT_EQ(Link(old, {Path("c.tvc")}), 2);
  EXPECT_FALSE(fs::exists(m_dir / "c.exe"));
  // A code file named like the program it would make is never overwritten.
  Write("self.exe", Contents(m_dir / "c.tvc"));
  Write("RT.EXE", "MZ\x90" + std::string(300, '\0'));
  test::RecordingHost self;
  self.ini["TALVED32.INI|LINK|Runtime"] = Path("RT.EXE");
  EXPECT_EQ(Link(self, {Path("self.exe")}), 2);
  EXPECT_EQ(Contents(m_dir / "self.exe"), Contents(m_dir / "c.tvc"));
  test::RecordingHost cancelled;
  cancelled.answers = {"cancel"};
  EXPECT_EQ(Link(cancelled, {}), 2);
  EXPECT_EQ(cancelled.events.back(),
            "box: stop ok | TALVEN\xB2-LINKER | Aufruf mit: \\nTALVLINK [<Dateiname>] [/S]");
}

}  // namespace
}  // namespace talven
