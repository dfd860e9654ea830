// The golden programs, run in-process with the recording host.

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "library/profiles.h"
#include "engine/startup.h"
#include "tests/compiled_cases.h"
#include "tests/golden_cases.h"
#include "toolchain/compiler.h"
#include "toolchain/runtime.h"
#include "tests/support/recording_host.h"

namespace talven::test {
namespace {

class CurrentDirectory {
 public:
  explicit CurrentDirectory(const std::filesystem::path& dir)
      : m_saved(std::filesystem::current_path()) {
    std::filesystem::current_path(dir);
  }
  ~CurrentDirectory() { std::filesystem::current_path(m_saved); }

 private:
  std::filesystem::path m_saved;
};

// The boxes and dialogs of a run, then the rows of its window when the run was over.
std::vector<std::string> WithScreen(const RecordingHost& host) {
  std::vector<std::string> events = host.events;
  for (const std::string& row : host.window.screen) events.push_back("screen: " + EscapeText(row));
  return events;
}

// Runs a golden program with `profile`: its answers, settings, environment and typed keys
// given to the host. The exit code.
int RunGolden(RecordingHost& host, const GoldenCase& golden, const std::string& file,
              const Profile& profile) {
  host.answers.assign(golden.answers.begin(), golden.answers.end());
  for (const auto& [key, value] : golden.ini) host.ini[key] = value;
  for (const auto& [name, value] : golden.environment) host.system.environment[name] = value;
  host.window.typed.assign(golden.typed.begin(), golden.typed.end());
  return RunInterpreter(host, golden.args.value_or(std::vector<std::string>{file}), profile);
}

class GoldenProgram : public testing::TestWithParam<std::string> {};

TEST_P(GoldenProgram, RunsAsExpected) {
  const GoldenCase golden = ParseGolden(std::string(TALVEN_GOLDEN_DIR) + "/" + GetParam());
  CurrentDirectory cwd(GoldenWorkDir(TALVEN_GOLDEN_DIR, "golden"));
  RecordingHost host;
  const int exitCode = RunGolden(host, golden, GetParam(), InterpreterProfile());
  EXPECT_EQ(WithScreen(host), golden.events);
  EXPECT_EQ(exitCode, golden.exitCode);
  EXPECT_EQ(host.releases, 1);
}

INSTANTIATE_TEST_SUITE_P(Golden, GoldenProgram, testing::ValuesIn(InProcessGoldenFiles(TALVEN_GOLDEN_DIR)),
                         [](const auto& info) { return TestNameOf(info.param); });

// The script interpreter runs every golden whose words it has, with its own captions.
class ScriptProgram : public testing::TestWithParam<std::string> {};

TEST_P(ScriptProgram, RunsAsExpected) {
  const GoldenCase golden = ParseGolden(std::string(TALVEN_GOLDEN_DIR) + "/" + GetParam());
  CurrentDirectory cwd(GoldenWorkDir(TALVEN_GOLDEN_DIR, "golden"));
  RecordingHost host;
  const int exitCode = RunGolden(host, golden, GetParam(), ScriptProfile());
  EXPECT_EQ(WithScreen(host), ScriptEvents(golden.events));
  EXPECT_EQ(exitCode, golden.exitCode);
}

INSTANTIATE_TEST_SUITE_P(Golden, ScriptProgram, testing::ValuesIn(ScriptGoldenFiles(TALVEN_GOLDEN_DIR)),
                         [](const auto& info) { return TestNameOf(info.param); });

// The same program compiled (plain, XOR and cipher mode) and run by the runtime.
class CompiledProgram : public testing::TestWithParam<CompiledCase> {};

TEST_P(CompiledProgram, RunsAsExpected) {
  const CompiledCase& c = GetParam();
  const GoldenCase golden = ParseGolden(std::string(TALVEN_GOLDEN_DIR) + "/" + c.file);
  const auto dir = std::filesystem::temp_directory_path() /
                   ("talven_compiled_" + std::to_string(getpid()) + "_" + ModeName(c.mode));
  if (!PrepareCompiledFolder(TALVEN_GOLDEN_DIR, dir, c.file, c.mode)) GTEST_SKIP() << "no comment in line 1";
  CurrentDirectory cwd(dir);
  RecordingHost compileHost;
  for (const auto& [key, value] : golden.ini) compileHost.ini[key] = value;
  NoProgress progress;
  ClockRandom random;
  const int compileExit = RunCompiler(compileHost, {c.file, "/B"}, progress, random);
  // Expectation lines are trimmed: so are the compiler's boxes before the comparison.
  std::vector<std::string> compileEvents = compileHost.events;
  for (std::string& event : compileEvents) {
    while (!event.empty() && event.back() == ' ') event.pop_back();
  }
  EXPECT_EQ(compileEvents, golden.compileEvents);
  EXPECT_EQ(compileExit, golden.compileExit);
  if (compileExit == 0) {
    RecordingHost host;
    const std::vector<std::string> answers = CompiledAnswers(golden);
    host.answers.assign(answers.begin(), answers.end());
    host.window.typed.assign(golden.typed.begin(), golden.typed.end());
    for (const auto& [name, value] : golden.environment) host.system.environment[name] = value;
    for (const auto& [key, value] : golden.ini) host.ini[key] = value;
    const int exitCode = RunRuntime(host, CompiledArgs(golden, c.file), "no-such-runtime.exe", RuntimeProfile());
    EXPECT_EQ(WithScreen(host), CompiledEvents(golden));
    EXPECT_EQ(exitCode, CompiledExit(golden));
    EXPECT_EQ(host.releases, 1);
  }
  std::filesystem::current_path(TALVEN_GOLDEN_DIR);
  std::filesystem::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Golden, CompiledProgram,
                         testing::ValuesIn(CompiledCases(InProcessGoldenFiles(TALVEN_GOLDEN_DIR))),
                         [](const auto& info) {
                           return TestNameOf(info.param.file) + "_" + ModeName(info.param.mode);
                         });

// A generated program written under `extension` and run with `profile`.
void RunGenerated(const GeneratedCase& generated, const std::string& extension,
                  const Profile& profile) {
  const auto dir = std::filesystem::temp_directory_path() / ("talven_gen_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string file = generated.name + extension;
  std::ofstream(dir / file, std::ios::binary) << generated.content;
  RecordingHost host;
  const int exitCode = RunInterpreter(host, {(dir / file).string()}, profile);
  EXPECT_EQ(host.events, generated.events);
  EXPECT_EQ(exitCode, generated.exitCode);
  std::filesystem::remove_all(dir);
}

class GeneratedProgram : public testing::TestWithParam<GeneratedCase> {};

TEST_P(GeneratedProgram, RunsAsExpected) { RunGenerated(GetParam(), ".tvs", InterpreterProfile()); }

INSTANTIATE_TEST_SUITE_P(Limits, GeneratedProgram, testing::ValuesIn(GeneratedCases()),
                         [](const auto& info) { return info.param.name; });

class GeneratedScript : public testing::TestWithParam<GeneratedCase> {};

TEST_P(GeneratedScript, RunsAsExpected) { RunGenerated(GetParam(), ".tvp", ScriptProfile()); }

INSTANTIATE_TEST_SUITE_P(Script, GeneratedScript, testing::ValuesIn(GeneratedScriptCases()),
                         [](const auto& info) { return info.param.name; });

// Started without a script, the dialog cancelled: the usage box, exit code 2.
TEST(Script, UsageWhenCancelled) {
  RecordingHost host;
  host.answers = {"cancel"};
  EXPECT_EQ(RunInterpreter(host, {}, ScriptProfile()), 2);
  EXPECT_EQ(host.events, (std::vector<std::string>{
                             "dialog: Datei laden:",
                             "box: stop ok | T A L V E N - S C R I P T | Aufruf mit: \\nTALVSCR [<Dateiname>]"}));
}

}  // namespace
}  // namespace talven::test
