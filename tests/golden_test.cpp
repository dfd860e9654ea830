// The golden programs, run in-process with the recording host.

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "engine/startup.h"
#include "tests/golden_cases.h"
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

class GoldenProgram : public testing::TestWithParam<std::string> {};

TEST_P(GoldenProgram, RunsAsExpected) {
  const GoldenCase golden = ParseGolden(std::string(TALVEN_GOLDEN_DIR) + "/" + GetParam());
  CurrentDirectory cwd(GoldenWorkDir(TALVEN_GOLDEN_DIR, "golden"));
  RecordingHost host;
  host.answers.assign(golden.answers.begin(), golden.answers.end());
  for (const auto& [key, value] : golden.ini) host.ini[key] = value;
  host.window.typed.assign(golden.typed.begin(), golden.typed.end());
  const int exitCode =
      RunInterpreter(host, golden.args.value_or(std::vector<std::string>{GetParam()}));
  std::vector<std::string> events = host.events;
  for (const std::string& row : host.window.screen) events.push_back("screen: " + EscapeText(row));
  EXPECT_EQ(events, golden.events);
  EXPECT_EQ(exitCode, golden.exitCode);
  EXPECT_EQ(host.releases, 1);
}

INSTANTIATE_TEST_SUITE_P(Golden, GoldenProgram, testing::ValuesIn(GoldenFiles(TALVEN_GOLDEN_DIR)),
                         [](const auto& info) { return TestNameOf(info.param); });

class GeneratedProgram : public testing::TestWithParam<GeneratedCase> {};

TEST_P(GeneratedProgram, RunsAsExpected) {
  const GeneratedCase& generated = GetParam();
  const auto dir = std::filesystem::temp_directory_path() / ("talven_gen_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string file = generated.name + ".tvs";
  std::ofstream(dir / file, std::ios::binary) << generated.content;
  RecordingHost host;
  const int exitCode = RunInterpreter(host, {(dir / file).string()});
  EXPECT_EQ(host.events, generated.events);
  EXPECT_EQ(exitCode, generated.exitCode);
  std::filesystem::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Limits, GeneratedProgram, testing::ValuesIn(GeneratedCases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace talven::test
