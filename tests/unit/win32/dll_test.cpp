// The direct DLL call on the real system (the Windows build of the unit tests, under
// Wine): the probe library built twice (decorated and --kill-at names), kernel32 and
// user32, and whole programs with "!" DEF functions.

#include "library/dll/win32/win32_dll.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <float.h>
#include <xmmintrin.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/run_loop.h"
#include "library/families.h"
#include "library/profiles.h"
#include "library/windows/window_state.h"
#include "tests/support/recording_host.h"

namespace talven {
namespace {

// The probe libraries lie beside the test program, where the system's search for a
// library looks first.
std::string BesideTheTests(const std::string& name) { return name; }

uint32_t Fold(const std::vector<uint32_t>& arguments) {
  uint32_t hash = 17u;
  for (const uint32_t a : arguments) hash = hash * 31u + a;
  return hash;
}

class Win32DllTest : public testing::Test {
 protected:
  uint32_t CallProbe(const std::string& library, const std::string& name, const std::vector<uint32_t>& arguments,
                     bool* faulted = nullptr) {
    const intptr_t handle = dll->Load(library.rfind("tvprobe", 0) == 0 ? BesideTheTests(library) : library);
    EXPECT_NE(handle, 0) << library;
    const intptr_t function = FindLibraryFunction(*dll, handle, name, static_cast<int32_t>(arguments.size()));
    EXPECT_NE(function, 0) << name;
    if (function == 0) return 0;
    const LibraryCallResult result = dll->Call(function, arguments);
    if (faulted != nullptr) *faulted = result.faulted;
    dll->Free(handle);
    return result.value;
  }

  std::unique_ptr<DllPlatform> dll = MakeWin32Dll();
};

TEST_F(Win32DllTest, ArgumentOrderForZeroToFifteenInBothExportForms) {
  for (const char* library : {"tvprobe.dll", "tvprobek.dll"}) {
    for (uint32_t n = 0; n <= 15; ++n) {
      std::vector<uint32_t> arguments;
      for (uint32_t i = 0; i < n; ++i) arguments.push_back(1000u * (i + 1) + n);
      EXPECT_EQ(CallProbe(library, "Order" + std::to_string(n), arguments), Fold(arguments)) << library << " " << n;
    }
  }
}

TEST_F(Win32DllTest, ResultsAtTheEdgesOfALong) {
  EXPECT_EQ(static_cast<int32_t>(CallProbe("tvprobe.dll", "MinusOne", {})), -1);
  EXPECT_EQ(CallProbe("tvprobe.dll", "MaxLong", {}), 0x7FFFFFFFu);
  EXPECT_EQ(CallProbe("tvprobek.dll", "MinLong", {}), 0x80000000u);
}

TEST_F(Win32DllTest, CdeclAndWrongCountsLeaveTheStackAsItWas) {
  const intptr_t handle = dll->Load(BesideTheTests("tvprobe.dll"));
  ASSERT_NE(handle, 0);
  const intptr_t csum = dll->Find(handle, "CSum");
  const intptr_t order3 = dll->Find(handle, "Order3@12");
  ASSERT_NE(csum, 0);
  ASSERT_NE(order3, 0);
  const std::vector<uint32_t> three{1, 2, 3};
  const std::vector<uint32_t> five{1, 2, 3, 4, 5};
  void* before = __builtin_frame_address(0);
  for (int i = 0; i < 100000; ++i) {
    ASSERT_EQ(dll->Call(csum, three).value, 6u);
    ASSERT_EQ(dll->Call(order3, five).value, Fold(three));  // two arguments too many
  }
  EXPECT_EQ(before, __builtin_frame_address(0));
  dll->Free(handle);
}

TEST_F(Win32DllTest, FloatingPointStateSurvivesSpoilingAndDoubleResults) {
  const unsigned control = _control87(0, 0);
  // The control bits of MXCSR; its low six bits are exception flags that any division sets.
  const unsigned csr = _mm_getcsr() & ~0x3Fu;
  volatile double third = 1.0;
  third /= 3.0;
  const double expected = third * 3.0 + 0.1;
  for (int i = 0; i < 20; ++i) {
    CallProbe("tvprobe.dll", "SpoilFpu", {});
    CallProbe("tvprobe.dll", "Half", {7});  // leaves 3.5 in st(0) each time
  }
  EXPECT_EQ(_control87(0, 0), control);
  EXPECT_EQ(_mm_getcsr() & ~0x3Fu, csr);
  volatile double again = 1.0;
  again /= 3.0;
  EXPECT_EQ(again * 3.0 + 0.1, expected);
  // Eight values left on the x87 stack would make this long double sum a NaN.
  volatile long double sum = 0.0L;
  for (int i = 1; i <= 10; ++i) sum += static_cast<long double>(i) / 2.0L;
  EXPECT_EQ(static_cast<double>(sum), 27.5);
}

TEST_F(Win32DllTest, AFaultIsReportedAndLaterCallsWork) {
  bool faulted = false;
  CallProbe("tvprobe.dll", "Fault", {}, &faulted);
  EXPECT_TRUE(faulted);
  EXPECT_EQ(CallProbe("tvprobe.dll", "Order2", {5, 6}), Fold({5, 6}));
}

TEST_F(Win32DllTest, SystemLibrariesAndATextFileNamedDll) {
  EXPECT_EQ(static_cast<int32_t>(CallProbe("kernel32.dll", "MulDiv", {static_cast<uint32_t>(-1000), 3, 7})), -429);
  char formatted[64] = {};
  const char* format = "%d-%s-%x";
  const char* abc = "abc";
  const intptr_t user32 = dll->Load("user32.dll");
  const intptr_t wsprintf = dll->Find(user32, "wsprintfA");
  ASSERT_NE(wsprintf, 0);
  const std::vector<uint32_t> arguments{static_cast<uint32_t>(reinterpret_cast<uintptr_t>(formatted)),
                                        static_cast<uint32_t>(reinterpret_cast<uintptr_t>(format)), 42,
                                        static_cast<uint32_t>(reinterpret_cast<uintptr_t>(abc)), 255};
  EXPECT_EQ(dll->Call(wsprintf, arguments).value, 9u);
  EXPECT_STREQ(formatted, "42-abc-ff");
  dll->Free(user32);
  // A text file with the name of a library: no handle, no box of the system.
  const std::string fake = std::filesystem::absolute("talven_text.dll").string();
  std::ofstream(fake, std::ios::binary) << "kein Programm";
  EXPECT_EQ(dll->Load(fake), 0);
  std::filesystem::remove(fake);
}

class Win32DllProgramTest : public testing::Test {
 protected:
  Win32DllProgramTest() { host.UsePlatform(FamilyIndex(FamilyId::Dll), *dll); }
  int Run(std::initializer_list<std::string> lines, ProgramKind kind = ProgramKind::Interpreter) {
    engine = std::make_unique<Engine>(host, kind, kind == ProgramKind::Runtime ? RuntimeProfile() : InterpreterProfile());
    for (const std::string& line : lines) engine->store.Append(line);
    engine->ResetRunState();
    int code = 0;
    try {
      RunStatements(*engine);
    } catch (const RunEnd& end) {
      code = end.exitCode;
    }
    screen = ScreenText(WindowOf(*engine));
    engine->DropFamilyStates();
    host.ReleaseRun();
    return code;
  }

  std::unique_ptr<DllPlatform> dll = MakeWin32Dll();
  test::RecordingHost host;
  std::unique_ptr<Engine> engine;
  std::vector<std::string> screen;
};

TEST_F(Win32DllProgramTest, TextsByAddressAndAreasAndFaults) {
  const std::string probe = BesideTheTests("tvprobe.dll");
  EXPECT_EQ(Run({"DEF @SLEN(1) !\"KERNEL32\", \"lstrlenA\"", "DEF @WR(1) !\"" + probe + "\", \"WriteText\"",
                 "DEF @CURDIR(2) !\"KERNEL32\", \"GetCurrentDirectoryA\"", "DEF @MULDIV(3) !\"KERNEL32\", \"MulDiv\"",
                 "DECLARE t$, a#, n&", "t$ = \"Hallo\"", "PRINT @SLEN(@ADDR(t$))", "PRINT @WR(@ADDR(t$))", "PRINT t$",
                 "DIM a#, 300", "n& = @CURDIR(300, a#)", "PRINT @EQU(n&, @LEN(@STRING$(a#, 0)))", "PRINT @MULDIV(-1000, 3.9, 7)"}),
            0);
  EXPECT_EQ(screen, (std::vector<std::string>{"5", "11", "aus der DLL", "1", "-429"}));
  EXPECT_EQ(Run({"SETERRORLEVEL -1", "DEF @F(0) !\"" + probe + "\", \"Fault\"", "PRINT @F()", "PRINT 5"}), 2);
  ASSERT_FALSE(host.boxes.empty());
  EXPECT_EQ(host.boxes.back().text, "UNERWARTETER FEHLER!");
}

TEST_F(Win32DllProgramTest, FourteenArgumentsInTheInterpreterAndRefusedInTheRuntime) {
  const std::initializer_list<std::string> program{
      "DEF @FONT(14) !\"GDI32\", \"CreateFontA\"", "DEF @DELETE(1) !\"GDI32\", \"DeleteObject\"",
      "DECLARE f&, n$", "n$ = \"Arial\"", "f& = @FONT(-12, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, @ADDR(n$))",
      "PRINT @NEQ(f&, 0)", "PRINT @DELETE(f&)"};
  EXPECT_EQ(Run(program), 0);
  EXPECT_EQ(screen, (std::vector<std::string>{"1", "1"}));
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(Run(program, ProgramKind::Runtime), 0);
  EXPECT_EQ(screen, (std::vector<std::string>{"0", "0"}));
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].caption, "Fehler");
  EXPECT_EQ(host.boxes[0].text, "Mehr als 12 Parameter!");
}

TEST_F(Win32DllProgramTest, AFunctionWritingPastAnAreaWarns207) {
  EXPECT_EQ(Run({"SETERRORLEVEL 1", "DEF @FILL(3) !\"KERNEL32\", \"RtlFillMemory\"", "DECLARE a#, x&", "DIM a#, 8",
                 "x& = @FILL(a#, 9, 65)", "PRINT @STRING$(a#, 0)", "x& = @FILL(a#, 30, 66)", "PRINT @BYTE(a#, 8)"}),
            0);
  EXPECT_EQ(screen, (std::vector<std::string>{"AAAAAAAAA", "66"}));
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text, "Bereichsgrenze \xFC" "berschritten: 8");
}

// The calls through the helper, with the 32-bit stand-in TALV16.EXE (built beside the
// tests in talv16\) copied into a fresh current folder.
class Win32HelperTest : public Win32DllProgramTest {
 protected:
  Win32HelperTest() {
    char module[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    standIn = std::filesystem::path(module).parent_path() / "talv16" / "TALV16.exe";
    // A folder of each test's own: a helper of the test before may still hold its files.
    folder = std::filesystem::temp_directory_path() /
             ("talven_talv16_" + std::to_string(GetCurrentProcessId()) + "_" +
              testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder);
    saved = std::filesystem::current_path();
    std::filesystem::current_path(folder);
  }
  ~Win32HelperTest() override {
    std::filesystem::current_path(saved);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
  std::string Read(const char* name) {
    std::ifstream in(folder / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // The temporary files and markers left in the folder.
  std::vector<std::string> Leftovers() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      const std::string name = entry.path().filename().string();
      if (name[0] == 'P' || name[0] == 'p') names.push_back(name);
    }
    return names;
  }

  std::filesystem::path standIn;
  std::filesystem::path folder;
  std::filesystem::path saved;
};

TEST_F(Win32HelperTest, TheStandInGetsFileAndCommandLineAndAnswers) {
  ASSERT_TRUE(std::filesystem::copy_file(standIn, folder / "TALV16.EXE"));
  EXPECT_EQ(Run({"DEF @H(3) *\"USER.EXE\", \"Echo\", \"%&#\", \"&\"", "DECLARE a#", "DIM a#, 12",
                 "STRING a#, 0 = \"abc\"", "PRINT @H(-2, 70000, a#)", "PRINT @STRING$(a#, 0)"}),
            0);
  EXPECT_EQ(screen, (std::vector<std::string>{"69998", "von TALV16"}));
  EXPECT_TRUE(host.boxes.empty());
  // 2 + 4 + (4 + 12) bytes and the result's 4.
  std::string expected("\xFE\xFF\x70\x11\x01\x00\x0C\x00\x00\x00" "abc", 13);
  expected.resize(26, '\0');
  EXPECT_EQ(Read("talv16.in"), expected);
  char shortFolder[MAX_PATH] = {};
  GetShortPathNameA(folder.string().c_str(), shortFolder, MAX_PATH);
  const std::string log = Read("talv16.log");
  const std::string start = "TALV16 USER.EXE|Echo|%&#|& " + std::string(shortFolder) + "\\P";
  ASSERT_GE(log.size(), start.size() + 10) << log;
  EXPECT_EQ(log.substr(0, start.size()), start) << log;
  EXPECT_EQ(log.substr(start.size() + 6), ".$\r\n") << log;
  EXPECT_EQ(Leftovers(), std::vector<std::string>{});
}

TEST_F(Win32HelperTest, MissingDyingLyingAndSlowHelpers) {
  const std::initializer_list<std::string> call{"SETERRORLEVEL 1", "DECLARE a#", "DIM a#, 4",
                                                "DEF @H(1) *\"U.DLL\", @F$, \"#\", \"&\"", "PRINT @H(a#)",
                                                "PRINT @STRING$(a#, 0)"};
  const auto program = [&](const char* function) {
    std::vector<std::string> lines{"DECLARE f$", std::string("f$ = \"") + function + "\""};
    for (const std::string& line : call) lines.push_back(line);
    for (std::string& line : lines) {
      const size_t at = line.find("@F$");
      if (at != std::string::npos) line.replace(at, 3, "f$");
    }
    return lines;
  };
  const auto run = [&](const char* function) {
    const std::vector<std::string> lines = program(function);
    engine = std::make_unique<Engine>(host, ProgramKind::Interpreter, InterpreterProfile());
    for (const std::string& line : lines) engine->store.Append(line);
    engine->ResetRunState();
    int code = 0;
    try {
      RunStatements(*engine);
    } catch (const RunEnd& end) {
      code = end.exitCode;
    }
    screen = ScreenText(WindowOf(*engine));
    engine->DropFamilyStates();
    host.ReleaseRun();
    return code;
  };
  // Missing: 304 at once.
  ASSERT_FALSE(std::filesystem::exists(folder / "TALV16.EXE"));
  EXPECT_EQ(run("Echo"), 2);
  ASSERT_FALSE(host.boxes.empty());
  EXPECT_EQ(host.boxes.back().text, "TALV16.EXE nicht ausf\xFChrbar oder fehlt!");
  ASSERT_TRUE(std::filesystem::copy_file(standIn, folder / "TALV16.EXE"));
  // Ending without the marker: 304, not a wait without end.
  const DWORD before = GetTickCount();
  EXPECT_EQ(run("Die"), 2);
  EXPECT_LT(GetTickCount() - before, 20000u);  // a wait without end would never get here
  EXPECT_EQ(host.boxes.back().text, "TALV16.EXE nicht ausf\xFChrbar oder fehlt!");
  EXPECT_EQ(Leftovers(), std::vector<std::string>{});
  // An area claimed longer than it is: its own 4 bytes come back, 207 warns.
  host.boxes.clear();
  EXPECT_EQ(run("Big"), 0);
  EXPECT_EQ(screen, (std::vector<std::string>{"0", "ZZZZ"}));
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text, "Bereichsgrenze \xFC" "berschritten: 4");
  // A file cut short: read error, the file gone.
  EXPECT_EQ(run("Cut"), 2);
  EXPECT_EQ(host.boxes.back().text.rfind("Fehler beim Lesen: ", 0), 0u);
  // A helper that takes its time is waited for.
  host.boxes.clear();
  EXPECT_EQ(run("Late"), 0);
  EXPECT_EQ(screen, (std::vector<std::string>{"0", "von"}));  // the window's rows are right-trimmed
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(Leftovers(), std::vector<std::string>{});
}

}  // namespace
}  // namespace talven
