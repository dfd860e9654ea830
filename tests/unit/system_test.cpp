// The system variables, the system functions and the program statements against the
// recording system: fixed clock, fixed version value, every platform call recorded.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "library/windows/window_state.h"
#include "library/profiles.h"
#include "engine/engine.h"
#include "engine/evaluator.h"
#include "engine/run_loop.h"
#include "engine/system_variables.h"
#include "library/system/system_values.h"
#include "tests/support/recording_host.h"
#include "toolchain/codes.h"

namespace talven {
namespace {

LocalTime Clock(int32_t year, int32_t month, int32_t day, int32_t weekday) {
  LocalTime time;
  time.year = year;
  time.month = month;
  time.day = day;
  time.weekday = weekday;
  time.hour = 9;
  time.minute = 5;
  time.second = 7;
  time.millisecond = 3;
  return time;
}

TEST(DateText, ModesTakenModuloSixteen) {
  const LocalTime tuesday = Clock(2026, 12, 8, 2);
  EXPECT_EQ(DateText(tuesday, 1, "dd.MM.yyyy"), "8. Dezember 2026");
  EXPECT_EQ(DateText(tuesday, 2, "dd.MM.yyyy"), "Dienstag, der 8. Dezember 2026");
  EXPECT_EQ(DateText(tuesday, 3, "dd.MM.yyyy"), "20261208");
  EXPECT_EQ(DateText(tuesday, 4, "M/d/yy"), "M/d/yy");
  EXPECT_EQ(DateText(tuesday, 0, "dd.MM.yyyy"), "08.12.2026");
  EXPECT_EQ(DateText(tuesday, 17, "x"), DateText(tuesday, 1, "x"));
  EXPECT_EQ(DateText(tuesday, 19, "x"), "20261208");
  EXPECT_EQ(DateText(tuesday, 20, "d/M/y"), "d/M/y");
  // Any other mode, a negative one too, is mode 0.
  EXPECT_EQ(DateText(tuesday, 5, "dd.MM.yyyy"), "08.12.2026");
  EXPECT_EQ(DateText(tuesday, 15, "dd.MM.yyyy"), "08.12.2026");
  EXPECT_EQ(DateText(tuesday, -1, "dd.MM.yyyy"), "08.12.2026");
}

TEST(DateText, MonthAndWeekdayNames) {
  // Sunday first; February and March without the table's trailing blank.
  EXPECT_EQ(DateText(Clock(2026, 2, 1, 0), 2, ""), "Sonntag, der 1. Februar 2026");
  EXPECT_EQ(DateText(Clock(2026, 3, 14, 6), 2, ""), "Samstag, der 14. M\xE4rz 2026");
  EXPECT_EQ(DateText(Clock(2027, 1, 31, 0), 1, ""), "31. Januar 2027");
  EXPECT_EQ(DateText(Clock(999, 5, 3, 1), 1, ""), "3. Mai 0999");
  EXPECT_EQ(DateText(Clock(999, 5, 3, 1), 3, ""), "09990503");
}

TEST(DateText, ShortDateOrderAndSeparatorFromThePattern) {
  const LocalTime date = Clock(2026, 3, 4, 3);
  EXPECT_EQ(DateText(date, 0, "M/d/yy"), "03/04/2026");
  EXPECT_EQ(DateText(date, 0, "yyyy-MM-dd"), "2026-03-04");
  EXPECT_EQ(DateText(date, 0, "d. M. yyyy"), "04. 03. 2026");
  EXPECT_EQ(DateText(date, 0, "yyyyMMdd"), "20260304");
  // Fields the pattern leaves out follow in the order day, month, year.
  EXPECT_EQ(DateText(date, 0, "MM/yy"), "03/2026/04");
  // A pattern without any field is the default one.
  EXPECT_EQ(DateText(date, 0, ""), "04.03.2026");
  EXPECT_EQ(DateText(date, 0, "---"), "04.03.2026");
}

TEST(TimeText, HoursAndMinutesOrSecondsAndMilliseconds) {
  LocalTime time = Clock(2026, 12, 8, 2);
  EXPECT_EQ(TimeText(time, 0), "09:05");
  EXPECT_EQ(TimeText(time, 1), "07.03");
  EXPECT_EQ(TimeText(time, 2), "09:05");
  EXPECT_EQ(TimeText(time, 3), "07.03");
  EXPECT_EQ(TimeText(time, -1), "07.03");
  time.hour = 23;
  time.minute = 59;
  time.second = 59;
  time.millisecond = 999;
  EXPECT_EQ(TimeText(time, 0), "23:59");
  EXPECT_EQ(TimeText(time, 1), "59.999");
}

TEST(VersionText, DosAndWindowsVersionFromTheVersionValue) {
  // Windows 5.1 with 2600 (0x0A28) in the high word.
  EXPECT_EQ(WinVersionText(0x0A280105), "5.1");
  EXPECT_EQ(DosVersionText(0x0A280105), "10.40");
  EXPECT_EQ(WinVersionText(0x23F00206), "6.2");
  EXPECT_EQ(DosVersionText(0x23F00206), "35.240");
  EXPECT_EQ(WinVersionText(0), "0.0");
  EXPECT_EQ(DosVersionText(0xFFFFFFFF), "255.255");
}

// The reader's table and the compiled form's codes name the same variables.
TEST(SystemVariableTable, SameNamesAsTheCodeTable) {
  const std::vector<std::string_view> names = SystemVariableNames();
  std::set<std::string_view> unique(names.begin(), names.end());
  EXPECT_EQ(unique.size(), names.size()) << "a name occurs twice";
  std::set<std::string_view> coded;
  for (const CodeName& entry : SystemVariableCodes()) coded.insert(entry.name);
  EXPECT_EQ(unique, coded);
  EXPECT_EQ(names.front(), "%PROGEND");
  EXPECT_EQ(names.back(), "%WINLEFT");
}

class SystemTest : public testing::Test {
 protected:
  SystemTest() { engine.ResetRunState(); }

  const Registers& Eval(const std::string& text) {
    engine.param = text;
    Evaluate(engine, "");
    return engine.reg;
  }
  std::string Text(const std::string& text) { return Eval(text).Text(); }

  int Run(std::initializer_list<const char*> lines) {
    for (const char* line : lines) engine.store.Append(line);
    engine.ResetRunState();
    try {
      RunStatements(engine);
    } catch (const RunEnd& end) {
      return end.exitCode;
    }
    return 0;
  }

  std::string LastBox() const { return host.boxes.empty() ? "" : host.boxes.back().text; }

  test::RecordingHost host;
  test::FakeSystem& system = host.system;
  Engine engine{host, ProgramKind::Interpreter, InterpreterProfile()};
};

TEST_F(SystemTest, VersionAndDirectoryVariables) {
  system.versionValue = 0x23F00206;
  EXPECT_EQ(Text("$WINVER"), "6.2");
  EXPECT_EQ(Text("$DOSVER"), "35.240");
  EXPECT_EQ(Text("$DRIVE"), "C:");
  EXPECT_EQ(Text("$WINPATH"), "C:\\WINDOWS");
  EXPECT_EQ(Text("$SYSPATH"), "C:\\WINDOWS\\system32");
  system.windowsDirectory = "D:\\" + std::string(200, 'w');
  EXPECT_EQ(Text("$WINPATH").size(), kMaxSystemPath);
  EXPECT_EQ(Eval("$WINPATH").type, ValueType::String);
}

TEST_F(SystemTest, HandlesAndCountsReadInEveryNumericType) {
  const Registers& module = Eval("%HINSTANCE");
  EXPECT_EQ(module.type, ValueType::Integer);
  EXPECT_EQ(module.integer, 0x400000);
  EXPECT_EQ(module.longValue, 0x400000);
  EXPECT_EQ(module.floatValue, 0x400000);
  EXPECT_EQ(Eval("%DESKTOP").integer, 0x10010);
  EXPECT_EQ(Eval("%BITSPIXEL").integer, 32);
  system.tickCount = 0x80000001u;
  const Registers& ticks = Eval("&GETTICKCOUNT");
  EXPECT_EQ(ticks.type, ValueType::Long);
  // Past 2^31 milliseconds the long wraps as the register does.
  EXPECT_EQ(ticks.longValue, -2147483647);
  EXPECT_EQ(Eval("&GETTICKCOUNT * 1.0").floatValue, -2147483647.0);
  EXPECT_EQ(Eval("%WIN32 + %LFN + %PROGEND").integer, 1);
}

TEST_F(SystemTest, ErrorNumberAndFlagAreReadThenCleared) {
  EXPECT_EQ(Run({"SETERRORLEVEL -1", "gibtsnicht"}), 0);
  EXPECT_EQ(Eval("%ERRNUMBER").integer, 102);
  EXPECT_EQ(Eval("%ERRNUMBER").integer, 0);
  EXPECT_EQ(Eval("%ERROR").integer, 2);
  EXPECT_EQ(Eval("%ERROR").integer, 0);
  EXPECT_EQ(Eval("%ERRORLEVEL").integer, -1);
}

TEST_F(SystemTest, MouseKeyBothButtonsIsLeftThenCleared) {
  InputState& input = WindowOf(engine).input;
  input.leftButton = input.rightButton = true;
  EXPECT_EQ(Eval("%MOUSEPRESSED").integer, 1);
  EXPECT_EQ(Eval("%MOUSEKEY").integer, 1);
  EXPECT_EQ(Eval("%MOUSEKEY").integer, 0);
  input.rightButton = true;
  EXPECT_EQ(Eval("%MOUSEKEY").integer, 2);
}

TEST_F(SystemTest, DateFromTheShortDatePatternOfTheSettings) {
  EXPECT_EQ(Text("@DATE$(0)"), "08.12.2026");
  EXPECT_EQ(Text("@DATE$(4)"), "dd.MM.yyyy");
  host.ini["WIN.INI|INTL|sShortDate"] = "yyyy-MM-dd";
  EXPECT_EQ(Text("@DATE$(0)"), "2026-12-08");
  EXPECT_EQ(Text("@DATE$(20)"), "yyyy-MM-dd");
  EXPECT_EQ(Text("@DATE$(2)"), "Dienstag, der 8. Dezember 2026");
  EXPECT_EQ(Text("@TIME$(0)"), "09:05");
  EXPECT_EQ(Text("@TIME$(1)"), "07.03");
}

TEST_F(SystemTest, EnvironmentAndClipboard) {
  system.environment["PFAD"] = "C:\\TALVEN";
  EXPECT_EQ(Text("@GETENV$(\"PFAD\")"), "C:\\TALVEN");
  EXPECT_EQ(Text("@GETENV$(\"FEHLT\")"), "");
  EXPECT_EQ(Text("@GETCLIP$()"), "");
  system.clipboard = std::string(300, 'k');
  EXPECT_EQ(Text("@GETCLIP$()"), std::string(255, 'k'));
  // The name must be a string.
  engine.errors.level = -1;
  Eval("@GETENV$(5)");
  EXPECT_EQ(engine.errors.lastNumber, 216);
}

TEST_F(SystemTest, StartingPrograms) {
  // Backslashes of command lines stay as written.
  const Registers& started = Eval("@WINEXEC(\"c:\\new\\x.exe\", 7)");
  EXPECT_EQ(started.type, ValueType::Long);
  EXPECT_EQ(started.longValue, 33);
  EXPECT_EQ(Eval("@WINEXECWAIT(\"prog /a\", 12)").integer, 1);
  EXPECT_EQ(Eval("@SHELLEXEC(\"brief.txt\", \"\", 3)").longValue, 42);
  EXPECT_EQ(Eval("@SHELLEXEC(\"brief.txt\", \"print\", -1)").longValue, 42);
  system.programsStart = false;
  EXPECT_EQ(Eval("@WINEXECWAIT(\"fehlt.exe\", 1)").integer, 0);
  EXPECT_EQ(Eval("@WINEXEC(\"fehlt.exe\", 1)").longValue, 2);
  EXPECT_EQ(system.calls, (std::vector<std::string>{
                              "exec: c:\\new\\x.exe|7", "wait: prog /a|0", "shell: brief.txt||3",
                              "shell: brief.txt|print|0", "wait: fehlt.exe|1", "exec: fehlt.exe|1"}));
}

TEST_F(SystemTest, MultimediaCommandKeepsItsResultCode) {
  system.mci["status cd mode"] = MciAnswer{0, "stopped"};
  EXPECT_EQ(Eval("%MCIERROR").integer, 0);
  EXPECT_EQ(Text("@MCISEND$(\"open x\")"), "MCI-Fehler 263");
  EXPECT_EQ(Eval("%MCIERROR").integer, 263);
  EXPECT_EQ(Eval("%MCIERROR").integer, 263);
  EXPECT_EQ(Text("@MCISEND$(\"status cd mode\")"), "stopped");
  EXPECT_EQ(Eval("%MCIERROR").integer, 0);
}

TEST_F(SystemTest, PortsReadZeroAndWriteTheLowBitsNowhere) {
  EXPECT_EQ(Eval("@INP(888)").integer, 0);
  EXPECT_EQ(Eval("@INPB(889)").integer, 0);
  EXPECT_EQ(Eval("@GETUSAGE(\"x\")").integer, 0);
  EXPECT_EQ(Run({"OUTPB 888, 300", "OUTP 888, 70000", "OUTP 65536 + 1, 2"}), 0);
  EXPECT_TRUE(host.events.empty());
  EXPECT_EQ(system.calls, (std::vector<std::string>{"in: 888|word", "in: 889|byte",
                                                    "out: 888|44|byte", "out: 888|4464|word",
                                                    "out: 1|2|word"}));
}

TEST_F(SystemTest, ShellGoesOnRunEnds) {
  EXPECT_EQ(Run({"SHELL \"c:\\new\\x.exe /n\"", "RUN \"b.exe\"", "SHELL \"nie.exe\""}), 0);
  EXPECT_TRUE(host.events.empty());
  EXPECT_EQ(system.calls,
            (std::vector<std::string>{"exec: c:\\new\\x.exe /n|1", "exec: b.exe|1"}));
}

TEST_F(SystemTest, ExitWindowsOnlyAsksTheRecordingSystem) {
  EXPECT_EQ(Run({"EXITWINDOWS 0", "EXITWINDOWS 5", "EXITWINDOWS 0.5", "EXITWINDOWS -1"}), 0);
  EXPECT_TRUE(host.events.empty());
  EXPECT_EQ(system.calls,
            (std::vector<std::string>{"exit: 1", "exit: 66", "exit: 1", "exit: 66"}));
}

TEST_F(SystemTest, WinHelpKeys) {
  EXPECT_EQ(Run({"WINHELP \"c:\\hilfe\\neu.hlp\", \"?\"", "WINHELP \"a.hlp\", \"*\"",
                 "WINHELP \"a.hlp\", \"Datei\"", "WINHELP \"a.hlp\", \"\""}),
            0);
  EXPECT_EQ(system.calls, (std::vector<std::string>{
                              "help: 0|c:\\hilfe\\neu.hlp|4|-", "help: 0|a.hlp|3|-",
                              "help: 0|a.hlp|261|Datei", "help: 0|a.hlp|261|"}));
}

TEST_F(SystemTest, WinHelpKeyMustBeAString) {
  EXPECT_EQ(Run({"WINHELP \"a.hlp\", 5"}), 2);
  EXPECT_EQ(engine.errors.lastNumber, 216);
}

}  // namespace
}  // namespace talven
