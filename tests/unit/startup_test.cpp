#include <gtest/gtest.h>

#include "library/profiles.h"
#include "engine/startup.h"
#include "tests/support/recording_host.h"

namespace talven {
namespace {

TEST(Startup, ExtensionOnlyWithoutAnyDot) {
  EXPECT_EQ(ProgramFileName("demo", ".TVS"), "demo.TVS");
  EXPECT_EQ(ProgramFileName("demo.prg", ".TVS"), "demo.prg");
  EXPECT_EQ(ProgramFileName("c:\\my.dir\\demo", ".TVS"), "c:\\my.dir\\demo");
  EXPECT_EQ(ProgramFileName("demo", ".TVC"), "demo.TVC");
}

TEST(Startup, CommandLineParameters) {
  EXPECT_EQ(SplitCommandLine("TALVEN.EXE a.tvs  b"),
            (std::vector<std::string>{"TALVEN.EXE", "a.tvs", "b"}));
  EXPECT_EQ(SplitCommandLine("\"C:\\Program Files\\T.EXE\" \"mein prog.tvs\" x\"y z\""),
            (std::vector<std::string>{"C:\\Program Files\\T.EXE", "mein prog.tvs", "xy z"}));
  EXPECT_TRUE(SplitCommandLine("   ").empty());
}

TEST(Startup, MissingFileFallsBackToTheDialog) {
  test::RecordingHost host;
  host.answers = {"cancel"};
  EXPECT_EQ(RunInterpreter(host, {"gibt_es_nicht"}, InterpreterProfile()), 2);
  ASSERT_EQ(host.events.size(), 2u);
  EXPECT_EQ(host.events[0], "dialog: Datei laden:");
  EXPECT_EQ(host.boxes.at(0).caption, "T A L V E N \xB2");
  EXPECT_EQ(host.releases, 1);
}

TEST(Startup, ChosenFileThatCannotBeReadIsNamed) {
  test::RecordingHost host;
  host.answers = {"file:  /nonexistent/x.tvs  "};
  EXPECT_EQ(RunInterpreter(host, {}, InterpreterProfile()), 2);
  EXPECT_EQ(host.boxes.at(0).text, "Datei nicht gefunden: /nonexistent/x.tvs");
}

TEST(Startup, WindowTitles) {
  EXPECT_EQ(InterpreterProfile().banner, "ZUL-TALVEN\xB2 INTERPRETER 6.6-NT");
  EXPECT_EQ(RuntimeProfile().banner, "ZUL-TALVEN\xB2 RUNTIME 6.5-NT");
  EXPECT_EQ(ScriptProfile().banner, "ZUL-TALVEN-SCRIPT-INTERPRETER 4.5 - 32");
}

}  // namespace
}  // namespace talven
