// @USEDLL, FREEDLL and the "!" DEF functions against a fake library table: what is
// loaded, looked up (with the decorated names), called with which arguments, and freed.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/run_loop.h"
#include "library/dll/dll_platform.h"
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
    return 0;
  }
  LibraryCallResult Call(intptr_t function, std::span<const uint32_t> arguments) override {
    std::string text = "call " + std::to_string(function);
    for (const uint32_t a : arguments) text += " " + std::to_string(static_cast<int32_t>(a));
    log.push_back(text);
    if (function == 30) return {0, true};
    if (function == 20) return {arguments[0] + arguments[1] + arguments[2], false};
    return {0xFFFFFFFFu, false};
  }

  std::vector<std::string> log;
  std::map<intptr_t, int> loaded;
};

class DllTest : public testing::Test {
 protected:
  DllTest() { host.UsePlatform(FamilyIndex(FamilyId::Dll), dll); }

  int Run(std::initializer_list<const char*> lines, ProgramKind kind = ProgramKind::Interpreter) {
    engine_ = std::make_unique<Engine>(host, kind, kind == ProgramKind::Runtime ? RuntimeProfile() : InterpreterProfile());
    Engine& engine = *engine_;
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
                 "PRINT @ADD3(1, 2.9, \"x\")", "PRINT @TICKS()"}),
            0);
  EXPECT_EQ(dll.log, (Log{"load probe.dll", "find Add3", "find Add3@12", "call 20 1 2 0", "free 2",
                          "load KERNEL32.DLL", "find GetTickCount", "call 10", "free 1"}));
  EXPECT_EQ(screen, (Log{"3", "-1"}));
  EXPECT_EQ(dll.loaded[1] + dll.loaded[2], 0);
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
  EXPECT_EQ(Run({"DEF @H(3) *\"USER.EXE\", \"F\", \"%&#\", \"&\"", "PRINT @H(1, 2, 3)"}), 2);
  EXPECT_EQ(host.boxes.back().text, "TALV16.EXE nicht ausf\xFChrbar oder fehlt!");
  EXPECT_TRUE(dll.log.empty());
}

}  // namespace
}  // namespace talven
