// @USEDLL, FREEDLL and the "!" DEF functions against a fake library table: what is
// loaded, looked up (with the decorated names), called with which arguments, and freed.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/run_loop.h"
#include "library/dll/dll_platform.h"
#include "library/dll/talv16_file.h"
#include "library/families.h"
#include "library/profiles.h"
#include "library/windows/window_state.h"
#include "tests/support/recording_host.h"

namespace talven {
namespace {

class FakeDll : public DllPlatform {
 public:
  intptr_t Load(const std::string& name) override {
    log.push_back("load " + name);
    if (name == "KERNEL32.DLL" || name == "probe.dll") {
      ++loaded[name == "probe.dll" ? 2 : 1];
      return name == "probe.dll" ? 2 : 1;
    }
    return 0;
  }
  void Free(intptr_t library) override {
    log.push_back("free " + std::to_string(library));
    --loaded[library];
  }
  intptr_t Find(intptr_t library, const std::string& name) override {
    log.push_back("find " + name);
    if (library == 1 && name == "GetTickCount") return 10;
    if (library == 2 && name == "Add3@12") return 20;
    if (library == 2 && name == "_Crash@0") return 30;
    if (library == 2 && name == "Fill@12") return 40;
    return 0;
  }
  LibraryCallResult Call(intptr_t function, std::span<const uint32_t> arguments) override {
    std::string text = "call " + std::to_string(function);
    for (const uint32_t a : arguments) text += " " + std::to_string(static_cast<int32_t>(a));
    log.push_back(text);
    if (function == 30) return {0, true};
    if (function == 40) {
      // Fill(area, count, byte): writes count bytes from the area's start, however big it is.
      std::vector<uint8_t>* block = vars->Block(static_cast<int32_t>(arguments[0]));
      if (block == nullptr) return {0, false};
      const size_t count = std::min<size_t>(arguments[1], block->size());
      std::fill_n(block->begin(), count, static_cast<uint8_t>(arguments[2]));
      return {static_cast<uint32_t>(count), false};
    }
    if (function == 20) return {arguments[0] + arguments[1] + arguments[2], false};
    return {0xFFFFFFFFu, false};
  }

  // The helper's side: files in memory, a helper that is a function of the test.
  uint32_t Ticks() override { return ticks; }
  std::string FullPath(const std::string& name) override { return "C:\\W\\" + name; }
  std::string ShortPath(const std::string& path) override { return path; }
  bool WriteFile(const std::string& path, std::span<const uint8_t> bytes) override {
    if (!creatable) return false;
    files[path].assign(bytes.begin(), bytes.end());
    return true;
  }
  std::optional<std::vector<uint8_t>> ReadFile(const std::string& path) override {
    const auto found = files.find(path);
    if (found == files.end()) return std::nullopt;
    return found->second;
  }
  bool FileExists(const std::string& path) override { return files.count(path) != 0; }
  bool RemoveFile(const std::string& path) override {
    files.erase(path);
    return true;
  }
  intptr_t StartHelper(const std::string& commandLine) override {
    commands.push_back(commandLine);
    if (!helper) return 0;
    helper(commandLine.substr(commandLine.rfind(' ') + 1));
    ++running;
    return 77;
  }
  bool HelperRunning(intptr_t, uint32_t) override { return false; }
  void ReleaseHelper(intptr_t helper) override {
    EXPECT_EQ(helper, 77);
    --running;
  }

  std::vector<std::string> log;
  std::map<intptr_t, int> loaded;
  Variables* vars = nullptr;  // the run's, for Fill
  uint32_t ticks = 5000;
  bool creatable = true;
  std::map<std::string, std::vector<uint8_t>> files;
  std::vector<std::string> commands;
  std::function<void(const std::string& file)> helper;
  int running = 0;
};

class DllTest : public testing::Test {
 protected:
  DllTest() { host.UsePlatform(FamilyIndex(FamilyId::Dll), dll); }

  int Run(std::initializer_list<const char*> lines, ProgramKind kind = ProgramKind::Interpreter) {
    engine_ = std::make_unique<Engine>(host, kind, kind == ProgramKind::Runtime ? RuntimeProfile() : InterpreterProfile());
    Engine& engine = *engine_;
    dll.vars = &engine.vars;
    for (const char* line : lines) engine.store.Append(line);
    engine.ResetRunState();
    int code = 0;
    try {
      RunStatements(engine);
    } catch (const RunEnd& end) {
      code = end.exitCode;
    }
    screen = ScreenText(WindowOf(engine));
    engine.DropFamilyStates();
    host.ReleaseRun();
    return code;
  }

  test::RecordingHost host;
  FakeDll dll;
  std::unique_ptr<Engine> engine_;
  std::vector<std::string> screen;
};

using Log = std::vector<std::string>;

TEST_F(DllTest, DirectCallLoadsFindsDecoratedNameCallsAndFrees) {
  EXPECT_EQ(Run({"DEF @ADD3(3) !\"probe.dll\", \"Add3\"", "DEF @TICKS(0) !\"KERNEL32.DLL\", \"GetTickCount\"",
                 "PRINT @ADD3(1, 2.9, \"x\")", "PRINT @TICKS()", "PRINT @ADD3(4, 5, 6)", "PRINT @TICKS()"}),
            0);
  // A site looks its function up once and keeps one reference to the library until the
  // run's end (in no particular order); every call loads and frees it (a count only, then).
  ASSERT_EQ(dll.log.size(), 15u);
  std::sort(dll.log.end() - 2, dll.log.end());
  EXPECT_EQ(dll.log, (Log{"load probe.dll", "find Add3", "find Add3@12", "call 20 1 2 0", "load KERNEL32.DLL",
                          "find GetTickCount", "call 10", "load probe.dll", "call 20 4 5 6", "free 2",
                          "load KERNEL32.DLL", "call 10", "free 1", "free 1", "free 2"}));
  EXPECT_EQ(screen, (Log{"3", "-1", "15", "-1"}));
  EXPECT_EQ(dll.loaded[1], 0);
  EXPECT_EQ(dll.loaded[2], 0);
}

TEST_F(DllTest, NamesGivenAsExpressionsAreReadAtEveryCall) {
  EXPECT_EQ(Run({"DECLARE l$, i%", "l$ = \"probe.dll\"", "DEF @F(3) !l$, \"Add3\"", "WHILE i% < 2",
                 "PRINT @F(i%, 1, 1)", "l$ = \"x.dll\"", "INC i%", "WEND"}),
            2);
  EXPECT_EQ(screen, (Log{"2"}));
  EXPECT_EQ(host.boxes.back().text, "Fehler beim Laden der DLL: x.dll");
  EXPECT_EQ(dll.loaded[2], 0);
}

TEST_F(DllTest, AFunctionWritingPastAnAreaWarns207AndTheGuardIsMended) {
  // Fill writes its count of bytes from the area's start: 11 bytes fit an area of 10
  // (its block holds the closing zero too), 12 do not.
  EXPECT_EQ(Run({"SETERRORLEVEL 1", "DEF @FILL(3) !\"probe.dll\", \"Fill\"", "DECLARE a#, b#", "DIM a#, 10",
                 "DIM b#, 10", "PRINT @FILL(a#, 11, 65)", "PRINT @FILL(b#, 12, 66)", "PRINT @FILL(b#, 11, 67)",
                 "PRINT @FILL(b#, 40, 68)", "PRINT @STRING$(a#, 0)"}),
            0);
  ASSERT_EQ(host.boxes.size(), 2u);
  EXPECT_EQ(host.boxes[0].text, "Bereichsgrenze \xFC" "berschritten: 10");
  EXPECT_EQ(host.boxes[0].icon, BoxIcon::Exclamation);
  EXPECT_EQ(host.boxes[1].text, "Bereichsgrenze \xFC" "berschritten: 10");
  EXPECT_EQ(screen, (Log{"11", "12", "11", "40", "AAAAAAAAAAA"}));
  // At level 2 the warning stops the run.
  EXPECT_EQ(Run({"SETERRORLEVEL 2", "DEF @FILL(3) !\"probe.dll\", \"Fill\"", "DECLARE a#", "DIM a#, 3",
                 "PRINT @FILL(a#, 5, 0)", "PRINT 1"}),
            2);
  EXPECT_TRUE(screen.empty());
  EXPECT_EQ(host.boxes.back().icon, BoxIcon::Stop);
}

TEST_F(DllTest, MissingLibraryAndMissingFunction) {
  EXPECT_EQ(Run({"DEF @F(0) !\"x.dll\", \"F\"", "PRINT @F()"}), 2);
  EXPECT_EQ(host.boxes.back().text, "Fehler beim Laden der DLL: x.dll");
  EXPECT_EQ(Run({"DEF @F(1) !\"probe.dll\", \"Nope\"", "PRINT @F(1)"}), 2);
  EXPECT_EQ(host.boxes.back().text, "Funktion in DLL nicht vohanden: Nope");
  EXPECT_EQ(dll.log, (Log{"load x.dll", "load probe.dll", "find Nope", "find Nope@4", "find _Nope@4", "free 2"}));
}

TEST_F(DllTest, RuntimeRefusesMoreThanTwelveArgumentsAndGoesOn) {
  EXPECT_EQ(Run({"DEF @F(13) !\"probe.dll\", \"Add3\"", "PRINT @F(1,2,3,4,5,6,7,8,9,10,11,12,13)"},
                ProgramKind::Runtime),
            0);
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].caption, "Fehler");
  EXPECT_EQ(host.boxes[0].text, "Mehr als 12 Parameter!");
  EXPECT_EQ(host.boxes[0].icon, BoxIcon::Information);
  EXPECT_TRUE(dll.log.empty());
  EXPECT_EQ(screen, Log{"0"});
  // The interpreter takes 13.
  EXPECT_EQ(Run({"DEF @F(13) !\"probe.dll\", \"Add3\"", "PRINT @F(1,2,3,4,5,6,7,8,9,10,11,12,13)"}), 2);
  EXPECT_EQ(dll.log.back(), "free 2");  // Add3@52 is not there: 248
}

TEST_F(DllTest, FaultInTheFunctionEndsTheRunAsUnexpected) {
  EXPECT_EQ(Run({"SETERRORLEVEL -1", "DEF @C(0) !\"probe.dll\", \"Crash\"", "PRINT @C()", "PRINT 5"}), 2);
  EXPECT_TRUE(screen.empty());
  // Even at level -1 the box shows: the run cannot go on.
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text, "UNERWARTETER FEHLER!");
}

TEST_F(DllTest, UseDllKeepsTheLastHandleAndFreeDllFreesOnlyItsOwn) {
  EXPECT_EQ(Run({"DECLARE h&", "h& = @USEDLL(\"probe.dll\")", "PRINT h&", "PRINT @USEDLL(\"\")",
                 "PRINT @USEDLL(\"nix.dll\")", "PRINT @USEDLL(\"\")", "FREEDLL 2", "FREEDLL 2", "FREEDLL 1",
                 "h& = @USEDLL(\"KERNEL32.DLL\")"}),
            0);
  EXPECT_EQ(screen, (Log{"2", "2", "0", "0"}));
  // One free for the one load of probe.dll; KERNEL32 freed at the end of the run.
  EXPECT_EQ(dll.log, (Log{"load probe.dll", "load nix.dll", "free 2", "load KERNEL32.DLL", "free 1"}));
}

TEST_F(DllTest, HelperCallsCheckTheDescriptionThenMissTheHelper) {
  EXPECT_EQ(Run({"DEF @H(3) *\"USER.EXE\", \"F\", \"%&\", \"&\"", "PRINT @H(1, 2, 3)"}), 2);
  EXPECT_EQ(host.boxes.back().text, "Die Parameterzahl unterscheidet sich von der Parameterbeschreibung!");
  EXPECT_EQ(Run({"DEF @H(2) *\"USER.EXE\", \"F\", \"%!\", \"&\"", "PRINT @H(1, 2)"}), 2);
  EXPECT_EQ(host.boxes.back().text, "Ung\xFCltiger Typ in der Parameterbeschreibung!");
  EXPECT_TRUE(dll.commands.empty());
  // No helper to start: 304, and the temporary file is gone.
  EXPECT_EQ(Run({"DEF @H(3) *\"USER.EXE\", \"F\", \"%&#\", \"&\"", "PRINT @H(1, 2, 3)"}), 2);
  EXPECT_EQ(host.boxes.back().text, "TALV16.EXE nicht ausf\xFChrbar oder fehlt!");
  EXPECT_EQ(dll.commands.size(), 1u);
  EXPECT_TRUE(dll.files.empty());
  EXPECT_TRUE(dll.log.empty());
}

// A helper that does what TALV16.EXE does: the areas' first bytes become `text`, the
// result is the sum of the numbers; then the marker.
void AnswerAsHelper(FakeDll& dll, const std::string& file, const std::string& description, const std::string& text,
                    int32_t extraSize = 0) {
  std::vector<uint8_t>& bytes = dll.files[file];
  int32_t sum = 0;
  size_t at = 0;
  for (const char kind : description) {
    if (kind == '%') {
      sum += static_cast<int16_t>(bytes[at] | bytes[at + 1] << 8);
      at += 2;
    } else if (kind == '&') {
      sum += static_cast<int32_t>(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | bytes[at + 3] << 24);
      at += 4;
    } else {
      const uint32_t size = bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | bytes[at + 3] << 24;
      bytes[at] = static_cast<uint8_t>(size + static_cast<uint32_t>(extraSize));
      std::copy_n(text.begin(), std::min<size_t>(text.size(), size), bytes.begin() + static_cast<std::ptrdiff_t>(at + 4));
      at += 4 + size;
    }
  }
  for (int i = 0; i < 4; ++i) bytes[at + static_cast<size_t>(i)] = static_cast<uint8_t>(static_cast<uint32_t>(sum) >> (8 * i));
  dll.files[file + "!"];
}

TEST_F(DllTest, HelperGetsTheFileAndTheCommandLineAndAnswers) {
  std::vector<std::vector<uint8_t>> seen;
  dll.helper = [&](const std::string& file) {
    seen.push_back(dll.files[file]);
    AnswerAsHelper(dll, file, "%&#", "von TALV16");
  };
  dll.files["C:\\W\\P005000.$!"];  // a stale marker of an earlier run
  EXPECT_EQ(Run({"DEF @H(3) *\"c:\\lib\\USER.EXE\", \"GetIt\", \"%&#\", \"&\"", "DECLARE a#", "DIM a#, 12",
                 "STRING a#, 0 = \"abc\"", "PRINT @H(-2, 70000, a#)", "PRINT @H(1, 2, a#)", "PRINT @STRING$(a#, 0)"}),
            0);
  EXPECT_EQ(screen, (Log{"69998", "3", "von TALV16"}));
  // Two calls in the same millisecond: two names.
  EXPECT_EQ(dll.commands, (Log{"TALV16 c:\\lib\\USER.EXE|GetIt|%&#|& C:\\W\\P005000.$",
                               "TALV16 c:\\lib\\USER.EXE|GetIt|%&#|& C:\\W\\P005001.$"}));
  ASSERT_EQ(seen.size(), 2u);
  // 2 + 4 + (4 + 12) bytes and the result's 4.
  std::vector<uint8_t> expected{0xFE, 0xFF, 0x70, 0x11, 0x01, 0x00, 12, 0, 0, 0, 'a', 'b', 'c'};
  expected.resize(2 + 4 + 4 + 12 + 4, 0);
  EXPECT_EQ(seen[0], expected);
  EXPECT_TRUE(dll.files.empty());  // neither file nor marker stays
  EXPECT_EQ(dll.running, 0);
}

TEST_F(DllTest, HelperFaultsEndAs304Or302Or207) {
  // Ends without the marker.
  dll.helper = [](const std::string&) {};
  EXPECT_EQ(Run({"DEF @H(1) *\"U.DLL\", \"F\", \"&\", \"&\"", "PRINT @H(1)"}), 2);
  EXPECT_EQ(host.boxes.back().text, "TALV16.EXE nicht ausf\xFChrbar oder fehlt!");
  EXPECT_TRUE(dll.files.empty());
  // Cuts the file short.
  dll.helper = [&](const std::string& file) {
    dll.files[file].resize(3);
    dll.files[file + "!"];
  };
  EXPECT_EQ(Run({"DEF @H(1) *\"U.DLL\", \"F\", \"&\", \"&\"", "PRINT @H(1)"}), 2);
  EXPECT_EQ(host.boxes.back().text, "Fehler beim Lesen: C:\\W\\P005000.$");
  EXPECT_TRUE(dll.files.empty());
  // Claims more bytes for the area than it has: the area's own size comes back, 207 warns.
  dll.helper = [&](const std::string& file) { AnswerAsHelper(dll, file, "#%", "ZZZZZZZZ", 8); };
  EXPECT_EQ(Run({"SETERRORLEVEL 1", "DEF @H(2) *\"U.DLL\", \"F\", \"#%\", \"%\"", "DECLARE a#", "DIM a#, 4",
                 "PRINT @H(a#, 5)", "PRINT @STRING$(a#, 0)"}),
            0);
  EXPECT_EQ(host.boxes.back().text, "Bereichsgrenze \xFC" "berschritten: 4");
  EXPECT_EQ(screen, (Log{"5", "ZZZZ"}));
  // The file cannot be made.
  dll.creatable = false;
  EXPECT_EQ(Run({"DEF @H(0) *\"U.DLL\", \"F\", \"\", \"&\"", "PRINT @H()"}), 2);
  EXPECT_EQ(host.boxes.back().text, "Datei kann nicht erzeugt werden: C:\\W\\P005000.$");
}

TEST(HelperFile, NamesNumbersAndShortFiles) {
  uint32_t last = 0;
  EXPECT_EQ(NextHelperNumber(100, last), 100u);
  EXPECT_EQ(NextHelperNumber(100, last), 101u);
  EXPECT_EQ(NextHelperNumber(50, last), 102u);
  EXPECT_EQ(NextHelperNumber(4000000000u, last), 4000000000u);
  EXPECT_EQ(HelperFileName(7), "P000007.$");
  EXPECT_EQ(HelperFileName(4123456789u), "P456789.$");
  const std::vector<HelperArgument> arguments{{0, std::vector<uint8_t>{1, 2, 3}}, {9, std::nullopt}};
  const std::vector<uint8_t> written = WriteHelperFile("#&", arguments);
  EXPECT_EQ(written, (std::vector<uint8_t>{3, 0, 0, 0, 1, 2, 3, 9, 0, 0, 0, 0, 0, 0, 0}));
  ASSERT_TRUE(ReadHelperFile(written, "#&", arguments).has_value());
  // Every cut of the file is refused, never read past.
  for (size_t n = 0; n < written.size(); ++n) {
    EXPECT_FALSE(ReadHelperFile(std::span(written).first(n), "#&", arguments).has_value()) << n;
  }
  // An area claimed as 2^32-1 bytes long.
  std::vector<uint8_t> lying = written;
  lying[0] = lying[1] = lying[2] = lying[3] = 0xFF;
  const auto reply = ReadHelperFile(lying, "#&", arguments);
  ASSERT_TRUE(reply.has_value());
  EXPECT_TRUE(reply->areaOverflow);
  EXPECT_EQ(reply->areas[0], (std::vector<uint8_t>{1, 2, 3}));
}

}  // namespace
}  // namespace talven
