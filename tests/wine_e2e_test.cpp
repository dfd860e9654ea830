// End to end under Wine: the real TALVEN.EXE, started and answered by the test driver,
// must show the same boxes and end with the same exit codes as the in-process runs.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "tests/compiled_cases.h"
#include "tests/golden_cases.h"

namespace talven::test {
namespace {

// The driver cannot tell which icon a box shows, only whether it shows one.
std::string AsSeenFromOutside(const std::string& event) {
  for (const char* icon : {"stop", "exclamation", "information", "question"}) {
    const std::string prefix = std::string("box: ") + icon + " ";
    if (event.rfind(prefix, 0) == 0) return "box: icon " + event.substr(prefix.size());
  }
  return event;
}

struct DriverRun {
  std::vector<std::string> events;
  int exitCode = -1;
  bool timedOut = false;
};

// Typed texts go to the driver in their written form: \n for Enter, \b for backspace.
std::string Written(const std::string& typed) {
  std::string out;
  for (char c : typed) {
    if (c == '\r') {
      out += "\\n";
    } else if (c == '\b') {
      out += "\\b";
    } else if (c == '\f') {
      out += "\\f";
    } else {
      out += c;
    }
  }
  return out;
}

// A menu path goes to the driver in ASCII: bytes from 128 up as \xHH (the command line
// would otherwise pass through the locale's character set), a backslash as \\.
std::string MenuPathArgument(const std::string& path) {
  std::string out;
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 128 || c == '\\' || c == '\'') {
      char escaped[8];
      std::snprintf(escaped, sizeof(escaped), "\\x%02X", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out;
}

DriverRun DriveOnce(const std::string& command);

DriverRun RunProgramUnderWine(const std::string& program, const std::string& dir,
                              const std::vector<std::string>& args,
                              const std::vector<std::string>& answers,
                              const std::vector<std::string>& typed = {}) {
  std::string command = "cd '" + dir + "' && wine '" TALVEN_WIN_BIN "/tdriver.exe' --timeout 30";
  for (const std::string& answer : answers) command += " --answer '" + answer + "'";
  for (const std::string& text : typed) {
    if (IsActionChunk(text, kClickChunk)) {
      command += " --click '" + std::string(ActionText(text)) + "'";
    } else if (IsActionChunk(text, kMenuChunk)) {
      command += " --menu '" + MenuPathArgument(std::string(ActionText(text))) + "'";
    } else if (IsActionChunk(text, kStepsEndChunk)) {
      command += " --steps-end";
    } else if (IsActionChunk(text, kSetChunk) || IsActionChunk(text, kSelectChunk)) {
      // A line break of a set text goes as \n.
      std::string written;
      for (const char c : ActionText(text)) {
        if (c != '\r') written += c == '\n' ? std::string("\\n") : std::string(1, c);
      }
      command += std::string(IsActionChunk(text, kSetChunk) ? " --set '" : " --select '") +
                 MenuPathArgument(written) + "'";
    } else {
      command += " --type '" + Written(text) + "'";
    }
  }
  command += " -- '" + program + "'";
  for (const std::string& arg : args) command += " '" + arg + "'";
  command += " 2>/dev/null";
  // A start that reports nothing at all is Wine's, not the program's (a shared wineserver
  // going down between two runs): it is tried once more.
  DriverRun run;
  if (std::getenv("WINEPREFIX") == nullptr) {
    ADD_FAILURE() << "WINEPREFIX is not set: Wine would make a prefix of its own";
    return run;
  }
  for (int attempt = 0; attempt < 2 && run.exitCode == -1 && run.events.empty() && !run.timedOut; ++attempt) {
    run = DriveOnce(command);
  }
  return run;
}

DriverRun DriveOnce(const std::string& command) {
  DriverRun run;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  while (std::fgets(buffer, sizeof(buffer), pipe) != nullptr) {
    std::string line(buffer);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    if (line.rfind("exit: ", 0) == 0) {
      run.exitCode = std::atoi(line.c_str() + 6);
    } else if (line == "timeout") {
      run.timedOut = true;
    } else if (!line.empty()) {
      run.events.push_back(line);
    }
  }
  pclose(pipe);
  return run;
}

DriverRun RunUnderWine(const std::string& dir, const std::vector<std::string>& args,
                       const std::vector<std::string>& answers,
                       const std::vector<std::string>& typed = {}) {
  return RunProgramUnderWine(TALVEN_WIN_BIN "/TALVEN.EXE", dir, args, answers, typed);
}

std::vector<std::string> Outside(const std::vector<std::string>& events) {
  std::vector<std::string> seen;
  for (const std::string& event : events) seen.push_back(AsSeenFromOutside(event));
  return seen;
}

// Settings the program reads from TALVED32.INI live in the prefix's Windows folder.
class SettingsFile {
 public:
  explicit SettingsFile(const std::vector<std::pair<std::string, std::string>>& entries) {
    if (entries.empty()) return;
    const char* prefix = std::getenv("WINEPREFIX");
    if (prefix == nullptr) {
      ADD_FAILURE() << "WINEPREFIX is not set";
      return;
    }
    m_path = std::string(prefix) + "/drive_c/windows/TALVED32.INI";
    std::ofstream out(m_path, std::ios::binary);
    for (const auto& [key, value] : entries) {
      // FILE|SECTION|KEY
      const size_t first = key.find('|');
      const size_t second = key.find('|', first + 1);
      out << "[" << key.substr(first + 1, second - first - 1) << "]\r\n"
          << key.substr(second + 1) << "=" << value << "\r\n";
    }
  }
  ~SettingsFile() {
    if (!m_path.empty()) std::remove(m_path.c_str());
  }

 private:
  std::string m_path;
};

// The environment variables a program finds: Wine hands the driver's environment on to
// the programs it starts.
class EnvironmentGuard {
 public:
  explicit EnvironmentGuard(const std::vector<std::pair<std::string, std::string>>& entries)
      : m_entries(entries) {
    for (const auto& [name, value] : m_entries) setenv(name.c_str(), value.c_str(), 1);
  }
  ~EnvironmentGuard() {
    for (const auto& [name, value] : m_entries) unsetenv(name.c_str());
  }

 private:
  std::vector<std::pair<std::string, std::string>> m_entries;
};

class WineGolden : public testing::TestWithParam<std::string> {};

TEST_P(WineGolden, MatchesExpectations) {
  const GoldenCase golden = ParseGolden(std::string(TALVEN_GOLDEN_DIR) + "/" + GetParam());
  SettingsFile settings(golden.ini);
  EnvironmentGuard environment(golden.environment);
  const DriverRun run = RunUnderWine(
      GoldenWorkDir(TALVEN_GOLDEN_DIR, "wine"), golden.args.value_or(std::vector<std::string>{GetParam()}), golden.answers,
      golden.typed);
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.events, Outside(golden.events));
  EXPECT_EQ(run.exitCode, golden.exitCode);
}

INSTANTIATE_TEST_SUITE_P(Golden, WineGolden, testing::ValuesIn(GoldenFiles(TALVEN_GOLDEN_DIR)),
                         [](const auto& info) { return TestNameOf(info.param); });

std::vector<std::string> TrimmedEvents(std::vector<std::string> events) {
  for (std::string& event : events) {
    while (!event.empty() && event.back() == ' ') event.pop_back();
  }
  return events;
}

// The golden programs compiled by TALVCOMP, run by TLVRUN32 and, in plain mode, linked by
// TALVLINK and run as programs of their own: all must agree with the interpreter.
class WineCompiled : public testing::TestWithParam<CompiledCase> {};

TEST_P(WineCompiled, MatchesExpectations) {
  const CompiledCase& c = GetParam();
  const GoldenCase golden = ParseGolden(std::string(TALVEN_GOLDEN_DIR) + "/" + c.file);
  const auto dir = std::filesystem::temp_directory_path() /
                   ("talven_wine_compiled_" + std::to_string(getpid()));
  if (!PrepareCompiledFolder(TALVEN_GOLDEN_DIR, dir, c.file, c.mode)) GTEST_SKIP() << "no comment in line 1";
  SettingsFile settings(golden.ini);
  EnvironmentGuard environment(golden.environment);
  // The linker's default runtime module, TLVRUN32.EXE in the current folder.
  std::filesystem::copy_file(TALVEN_WIN_BIN "/TLVRUN32.EXE", dir / "TLVRUN32.EXE");

  const DriverRun compile = RunProgramUnderWine(TALVEN_WIN_BIN "/TALVCOMP.EXE", dir.string(), {c.file, "/B"}, {});
  EXPECT_FALSE(compile.timedOut);
  EXPECT_EQ(TrimmedEvents(compile.events), Outside(golden.compileEvents));
  EXPECT_EQ(compile.exitCode, golden.compileExit);
  if (compile.exitCode == 0 && golden.compileExit == 0) {
    const std::vector<std::string> args = CompiledArgs(golden, c.file);
    const DriverRun run = RunProgramUnderWine(TALVEN_WIN_BIN "/TLVRUN32.EXE", dir.string(), args,
                                              CompiledAnswers(golden), golden.typed);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.events, Outside(CompiledEvents(golden)));
    EXPECT_EQ(run.exitCode, CompiledExit(golden));

    const std::string code = ToCodeName(c.file);
    if (c.mode == CompiledMode::Plain && !args.empty() && args.front() == code) {
      // The linked program gets the program's own arguments, without a code file.
      const std::vector<std::string> ownArgs(args.begin() + 1, args.end());
      const DriverRun link = RunProgramUnderWine(TALVEN_WIN_BIN "/TALVLINK.EXE", dir.string(), {code}, {});
      const std::string exe = code.substr(0, code.size() - 3) + "exe";
      EXPECT_EQ(link.events, std::vector<std::string>{"box: icon ok | ZUL-TALVEN\xB2 KOMBI-LINKER 6.5-32 | " +
                                                      exe + "\\nEXE-Programm erfolgreich erzeugt!"});
      EXPECT_EQ(link.exitCode, 0);
      const DriverRun linked =
          RunProgramUnderWine("./" + exe, dir.string(), ownArgs, CompiledAnswers(golden), golden.typed);
      EXPECT_FALSE(linked.timedOut);
      EXPECT_EQ(linked.events, Outside(CompiledEvents(golden)));
      EXPECT_EQ(linked.exitCode, CompiledExit(golden));
      // Named on its command line, a code file runs instead of the program's own code.
      const DriverRun named =
          RunProgramUnderWine("./" + exe, dir.string(), args, CompiledAnswers(golden), golden.typed);
      EXPECT_EQ(named.events, Outside(CompiledEvents(golden)));
      EXPECT_EQ(named.exitCode, CompiledExit(golden));
    }
  }
  std::filesystem::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Golden, WineCompiled,
                         testing::ValuesIn(CompiledCases(GoldenFiles(TALVEN_GOLDEN_DIR))),
                         [](const auto& info) {
                           return TestNameOf(info.param.file) + "_" + ModeName(info.param.mode);
                         });

class WineGenerated : public testing::TestWithParam<GeneratedCase> {};

TEST_P(WineGenerated, MatchesExpectations) {
  const GeneratedCase& generated = GetParam();
  const auto dir =
      std::filesystem::temp_directory_path() / ("talven_wine_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string file = generated.name + ".tvs";
  std::ofstream(dir / file, std::ios::binary) << generated.content;
  const DriverRun run = RunUnderWine(dir.string(), {file}, {});
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.events, Outside(generated.events));
  EXPECT_EQ(run.exitCode, generated.exitCode);
  std::filesystem::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Limits, WineGenerated, testing::ValuesIn(GeneratedCases()),
                         [](const auto& info) { return info.param.name; });

// TALVSCR runs every golden whose words it has, with its own captions.
class WineScript : public testing::TestWithParam<std::string> {};

TEST_P(WineScript, MatchesExpectations) {
  const GoldenCase golden = ParseGolden(std::string(TALVEN_GOLDEN_DIR) + "/" + GetParam());
  SettingsFile settings(golden.ini);
  EnvironmentGuard environment(golden.environment);
  const DriverRun run = RunProgramUnderWine(
      TALVEN_WIN_BIN "/TALVSCR.EXE", GoldenWorkDir(TALVEN_GOLDEN_DIR, "wine"),
      golden.args.value_or(std::vector<std::string>{GetParam()}), golden.answers, golden.typed);
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.events, Outside(ScriptEvents(golden.events)));
  EXPECT_EQ(run.exitCode, golden.exitCode);
}

INSTANTIATE_TEST_SUITE_P(Golden, WineScript, testing::ValuesIn(ScriptGoldenFiles(TALVEN_GOLDEN_DIR)),
                         [](const auto& info) { return TestNameOf(info.param); });

class WineScriptGenerated : public testing::TestWithParam<GeneratedCase> {};

TEST_P(WineScriptGenerated, MatchesExpectations) {
  const GeneratedCase& generated = GetParam();
  const auto dir =
      std::filesystem::temp_directory_path() / ("talven_wine_script_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string file = generated.name + ".tvp";
  std::ofstream(dir / file, std::ios::binary) << generated.content;
  const DriverRun run = RunProgramUnderWine(TALVEN_WIN_BIN "/TALVSCR.EXE", dir.string(), {file}, {});
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.events, Outside(generated.events));
  EXPECT_EQ(run.exitCode, generated.exitCode);
  std::filesystem::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Script, WineScriptGenerated, testing::ValuesIn(GeneratedScriptCases()),
                         [](const auto& info) { return info.param.name; });

// Started without a script and the dialog cancelled: the usage box, exit code 2.
TEST(WineScript, UsageWhenCancelled) {
  const auto dir = std::filesystem::temp_directory_path() / ("talven_wine_usage_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const DriverRun run = RunProgramUnderWine(TALVEN_WIN_BIN "/TALVSCR.EXE", dir.string(), {}, {"cancel"});
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.events, Outside({"dialog: Datei laden:",
                                 "box: stop ok | T A L V E N - S C R I P T | Aufruf mit: \\nTALVSCR [<Dateiname>]"}));
  EXPECT_EQ(run.exitCode, 2);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace talven::test

namespace talven::test {
namespace {

// Controls used with real input: a real mouse click on the first button ends WAITINPUT with
// the button's use (menu item -1000, key 255, the focus on it); Enter in a window made by
// CREATEWINDOW ends the next wait with 13. The interpreter and the script interpreter alike.
TEST(WineControls, ClickAndEnterEndTheWait) {
  const auto dir = std::filesystem::temp_directory_path() / ("talven_wine_controls_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "click.tvs", std::ios::binary)
      << "DECLARE b%, c%, w%\r\nWINDOW 0,0-400,300\r\n"
         "b% = @CREATEBUTTON(%HWND, \"Eins\", 10, 10, 80, 24)\r\n"
         "c% = @CREATEBUTTON(%HWND, \"Zwei\", 10, 50, 80, 24)\r\n"
         "WAITINPUT\r\nPRINT %MENUITEM; \"|\"; %KEY; \"|\"; @EQU(%GETFOCUS, b%)\r\n"
         "w% = @CREATEWINDOW(%HWND, \"Fenster\", 50, 50, 200, 150)\r\n"
         "WAITINPUT\r\nPRINT %KEY; \"|\"; %MENUITEM\r\n";
  for (const char* program : {"TALVEN.EXE", "TALVSCR.EXE"}) {
    SCOPED_TRACE(program);
    const std::string command = "cd '" + dir.string() + "' && wine '" TALVEN_WIN_BIN
                                "/tdriver.exe' --timeout 30 --click 1000 --key 13 -- '" TALVEN_WIN_BIN "/" +
                                std::string(program) + "' click.tvs 2>/dev/null";
    const DriverRun run = DriveOnce(command);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.events, (std::vector<std::string>{"screen: -1000|255|1", "screen: 13|0"}));
    EXPECT_EQ(run.exitCode, 0);
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace talven::test

namespace talven::test {
namespace {

// While the window has the focus its caret lies along the foot of the text cursor's cell
// (the driver reads it with GetGUIThreadInfo): LOCATE 5, 10 and "ab" leave the cursor in
// row 4, column 11 counted from 0.
TEST(WineWindow, CaretInTheTextCursorsCell) {
  const auto dir = std::filesystem::temp_directory_path() / ("talven_wine_caret_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "caret.tvs", std::ios::binary) << "LOCATE 5, 10\r\nPRINT \"ab\";\r\n";
  const DriverRun run = DriveOnce("cd '" + dir.string() + "' && wine '" TALVEN_WIN_BIN
                                  "/tdriver.exe' --timeout 30 --caret -- '" TALVEN_WIN_BIN
                                  "/TALVEN.EXE' caret.tvs 2>/dev/null");
  EXPECT_FALSE(run.timedOut);
  ASSERT_FALSE(run.events.empty());
  int left = -1, top = -1, right = -1, bottom = -1;
  ASSERT_EQ(std::sscanf(run.events.front().c_str(), "caret: %d,%d,%d,%d", &left, &top, &right, &bottom), 4)
      << run.events.front();
  const int cellWidth = right - left;
  ASSERT_GT(cellWidth, 0);
  EXPECT_EQ(left, 11 * cellWidth);
  EXPECT_EQ(bottom - top, 2);
  EXPECT_EQ(bottom % 5, 0);
  EXPECT_GT(bottom / 5, 2);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace talven::test
