// The port functions, DDE and RANDOMIZE against recording platforms: what the program may
// hand the system, and what it must not.

#include <gtest/gtest.h>

#include <functional>

#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/evaluator.h"
#include "engine/run_loop.h"
#include "library/dde/dde_platform.h"
#include "library/families.h"
#include "library/profiles.h"
#include "library/serial/serial_platform.h"
#include "tests/support/recording_host.h"

namespace talven {
namespace {

class FakePorts : public SerialPlatform {
 public:
  std::optional<int32_t> Open(const std::string& name, int32_t, int32_t) override {
    calls.push_back("open " + name);
    if (name != "COM3") return std::nullopt;
    return 0x40 + static_cast<int32_t>(calls.size());
  }
  bool SetMode(int32_t port, const std::string& mode) override {
    calls.push_back("mode " + std::to_string(port) + " " + mode);
    return mode != "bogus";
  }
  bool SetFlags(int32_t port, int32_t flags, int32_t, int32_t) override {
    calls.push_back("flags " + std::to_string(port) + " " + std::to_string(flags));
    return true;
  }
  int32_t Write(int32_t port, const std::string& bytes) override {
    calls.push_back("write " + std::to_string(port) + " " + bytes);
    return static_cast<int32_t>(bytes.size());
  }
  std::string Read(int32_t port, int32_t count) override {
    calls.push_back("read " + std::to_string(port) + " " + std::to_string(count));
    return std::string(static_cast<size_t>(count), '\0');
  }
  bool Close(int32_t port) override {
    calls.push_back("close " + std::to_string(port));
    return true;
  }
  int32_t TakeErrors(int32_t port) override {
    calls.push_back("errors " + std::to_string(port));
    return 0;
  }
  std::vector<std::string> calls;
};

class FakeDde : public DdePlatform {
 public:
  intptr_t Link(const std::string& application, const std::string&) override {
    if (application == "PROGMAN") partner = 77;
    return partner;
  }
  DdePost Execute(const std::string& command) override {
    if (partner == 0) return DdePost::NoPartner;
    commands.push_back(command);
    if (onExecute) onExecute();
    return DdePost::Posted;
  }
  bool Acknowledged() override { return acknowledges; }
  bool PartnerGone() override { return partner == 0; }
  void WaitForMessage(uint32_t milliseconds) override { clock += milliseconds; ++waits; }
  uint32_t Milliseconds() override { return clock; }
  void Terminate() override { if (partner != 0) ++terminates; partner = 0; }
  intptr_t Partner() override { return partner; }
  intptr_t partner = 0;
  bool acknowledges = true;
  uint32_t clock = 0;
  int waits = 0;
  int terminates = 0;
  std::vector<std::string> commands;
  std::function<void()> onExecute;
};

class PlatformTest : public ::testing::Test {
 protected:
  PlatformTest() {
    host.UsePlatform(FamilyIndex(FamilyId::Serial), ports);
    host.UsePlatform(FamilyIndex(FamilyId::Dde), dde);
  }
  int Run(std::initializer_list<const char*> lines) {
    engine = std::make_unique<Engine>(host, ProgramKind::Interpreter, InterpreterProfile());
    for (const char* line : lines) engine->store.Append(line);
    engine->ResetRunState();
    try {
      RunStatements(*engine);
    } catch (const RunEnd& end) {
      return end.exitCode;
    }
    return 0;
  }
  std::string Text(const std::string& expression) {
    engine->param = expression;
    Evaluate(*engine, "");
    return engine->reg.Text();
  }
  test::RecordingHost host;
  FakePorts ports;
  FakeDde dde;
  std::unique_ptr<Engine> engine;
};

TEST_F(PlatformTest, PortsOnlyTouchWhatOpenComOpened) {
  ASSERT_EQ(Run({"DECLARE h%, a%, b%, c%, d%, e%, f%, s$, t$",
                 "a% = @OPENCOM(\"COM9\", 10, 10)", "h% = @OPENCOM(\"COM3\", 10, 10)",
                 "b% = @SETCOM(\"bogus\")", "c% = @WRITECOM(1, \"x\") + @WRITECOM(0, \"x\") + @COMERROR(7)",
                 "s$ = @READCOM$(h%, 100000)", "t$ = @READCOM$(h%, -5)",
                 "d% = @CLOSECOM(h%)", "e% = @CLOSECOM(h%)", "f% = @WRITECOM(h%, \"nach\")"}),
            0);
  EXPECT_EQ(Text("a%"), "-1");
  EXPECT_EQ(Text("b%"), "-1");
  EXPECT_EQ(Text("c%"), "-1");  // 0 + 0 + -1
  EXPECT_EQ(Text("@LEN(s$)"), "255");
  EXPECT_EQ(Text("@LEN(t$)"), "0");
  EXPECT_EQ(Text("d%"), "0");
  EXPECT_EQ(Text("e%"), "-1");
  EXPECT_EQ(Text("f%"), "0");
  const std::string h = Text("h%");
  EXPECT_EQ(ports.calls, (std::vector<std::string>{"open COM9", "open COM3", "mode " + h + " bogus",
                                                   "read " + h + " 255", "close " + h}));
}

TEST_F(PlatformTest, PortsStillOpenAreClosedAtTheEndOfTheRun) {
  ASSERT_EQ(Run({"DECLARE h%", "h% = @OPENCOM(\"COM3\", 1, 1)", "gibtsnicht"}), 2);
  const std::string h = Text("h%");
  engine.reset();
  EXPECT_EQ(ports.calls.back(), "close " + h);
}

TEST_F(PlatformTest, DdeExecuteWithoutPartnerReturnsAtOnceAndASilentOneAfterThirtySeconds) {
  ASSERT_EQ(Run({"DDEEXECUTE \"[vorher]\"", "DDELINK \"PROGMAN\", \"PROGMAN\"", "DDEEXECUTE \"[CreateGroup(Talven)]\""}), 0);
  EXPECT_EQ(dde.commands, std::vector<std::string>{"[CreateGroup(Talven)]"});
  EXPECT_EQ(Text("%DDEWIN"), "77");
  EXPECT_EQ(dde.waits, 0);
  dde.acknowledges = false;
  ASSERT_EQ(Run({"DDELINK \"PROGMAN\", \"PROGMAN\"", "DDEEXECUTE \"[still]\"", "DDETERMINATE", "DDEEXECUTE \"[danach]\""}), 0);
  EXPECT_GE(dde.clock, 30000u);
  EXPECT_LE(dde.waits, 2);
  EXPECT_EQ(dde.commands.back(), "[still]");
  EXPECT_EQ(Text("%DDEWIN"), "0");
}

// The window closed while a command waits for its acknowledgement ends the run there.
TEST_F(PlatformTest, ClosedWindowEndsTheWaitOfDdeExecute) {
  dde.acknowledges = false;
  // The window is closed just after the command went out.
  dde.onExecute = [this] { host.quitAfterPumps = host.pumps + 1; };
  EXPECT_EQ(Run({"DDELINK \"PROGMAN\", \"PROGMAN\"", "DDEEXECUTE \"[still]\"", "DDEEXECUTE \"[nie]\""}), 255);
  EXPECT_EQ(dde.commands, std::vector<std::string>{"[still]"});
  EXPECT_LT(dde.clock, 30000u);
  engine.reset();
  EXPECT_EQ(dde.terminates, 1);
}

TEST_F(PlatformTest, RandomizeSeedsFromTheClock) {
  host.system.now.second = 1;
  ASSERT_EQ(Run({"DECLARE a!", "RANDOMIZE", "a! = @RND(1000000)"}), 0);
  const std::string first = Text("a!");
  host.system.now.second = 2;
  ASSERT_EQ(Run({"DECLARE a!", "RANDOMIZE", "a! = @RND(1000000)"}), 0);
  EXPECT_NE(Text("a!"), first);
  host.system.now.millisecond = 1;
  ASSERT_EQ(Run({"DECLARE a!", "RANDOMIZE", "a! = @RND(1000000)"}), 0);
  EXPECT_NE(Text("a!"), first);
}

}  // namespace
}  // namespace talven
