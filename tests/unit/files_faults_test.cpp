// Counted fault injection for COPY, the byte files and WRITEINI (the INI model's writer):
// the n-th open, read, write, close or rename of a stream fails, for every n a clean run
// reaches. Each time the failure is reported, nothing crashes, the file that was there
// before is byte-identical (or, for a byte file, untouched where the program did not
// write), and no temporary file is left. The streams are the C library's own, buffered as
// always, over a file of the host; only the system calls under them fail (glibc's
// fopencookie), so the library's buffering and flushing are part of what is tested.

#include <cstdio>  // tells whether the C library is glibc

#if defined(__GLIBC__)

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "engine/engine.h"
#include "engine/evaluator.h"
#include "engine/run_loop.h"
#include "library/files/file_slots.h"
#include "library/profiles.h"
#include "tests/support/recording_host.h"

namespace talven {
namespace {

namespace fs = std::filesystem;

enum class Op { Open, Read, Write, Close, Rename };
constexpr int kOps = 5;
constexpr std::array<const char*, kOps> kOpNames = {"open", "read", "write", "close", "rename"};

// What has been counted since the last Arm, and which call fails.
struct FaultPlan {
  std::array<int64_t, kOps> counts{};
  Op op = Op::Open;
  int64_t nth = 0;  // 0: nothing fails
  bool fired = false;

  void Arm(Op which, int64_t n) {
    counts = {};
    op = which;
    nth = n;
    fired = false;
  }
  // Counts one call; true when it is the one that fails.
  bool Fails(Op which) {
    const int64_t count = ++counts[static_cast<int>(which)];
    if (which != op || count != nth) return false;
    fired = true;
    return true;
  }
};

FaultPlan g_plan;

ssize_t CookieRead(void* cookie, char* buffer, size_t size) {
  if (g_plan.Fails(Op::Read)) {
    errno = EIO;
    return -1;
  }
  return ::read(static_cast<int>(reinterpret_cast<intptr_t>(cookie)), buffer, size);
}

ssize_t CookieWrite(void* cookie, const char* buffer, size_t size) {
  if (g_plan.Fails(Op::Write)) {
    errno = ENOSPC;
    return 0;
  }
  return ::write(static_cast<int>(reinterpret_cast<intptr_t>(cookie)), buffer, size);
}

int CookieSeek(void* cookie, off64_t* offset, int whence) {
  const off64_t at = ::lseek64(static_cast<int>(reinterpret_cast<intptr_t>(cookie)), *offset, whence);
  if (at < 0) return -1;
  *offset = at;
  return 0;
}

int CookieClose(void* cookie) {
  const int closed = ::close(static_cast<int>(reinterpret_cast<intptr_t>(cookie)));
  if (g_plan.Fails(Op::Close)) {
    errno = EIO;
    return -1;
  }
  return closed;
}

// Opens the file as fopen would (creating or emptying it as the mode says) and hands a
// stream over its descriptor whose system calls count and may fail.
std::FILE* FaultyOpen(const char* name, const char* mode) {
  if (g_plan.Fails(Op::Open)) {
    errno = EACCES;
    return nullptr;
  }
  std::FILE* plain = std::fopen(name, mode);
  if (plain == nullptr) return nullptr;
  const int descriptor = ::dup(::fileno(plain));
  std::fclose(plain);
  if (descriptor < 0) return nullptr;
  const cookie_io_functions_t calls{CookieRead, CookieWrite, CookieSeek, CookieClose};
  std::FILE* stream = ::fopencookie(reinterpret_cast<void*>(static_cast<intptr_t>(descriptor)), mode, calls);
  if (stream == nullptr) ::close(descriptor);
  return stream;
}

int FaultyRename(const char* from, const char* to) {
  if (g_plan.Fails(Op::Rename)) {
    errno = EXDEV;
    return -1;
  }
  return std::rename(from, to);
}

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Spit(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

class FileFaultsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = fs::temp_directory_path() / ("talven_faults_" + std::to_string(::getpid()) + "_" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(m_dir);
    fs::create_directories(m_dir);
    m_old = fs::current_path();
    fs::current_path(m_dir);
    Streams().open = FaultyOpen;
    Streams().rename = FaultyRename;
  }
  void TearDown() override {
    Streams() = StreamCalls{};
    g_plan.Arm(Op::Open, 0);
    fs::current_path(m_old);
    std::error_code error;
    fs::remove_all(m_dir, error);
  }

  // Runs the program with the n-th call of `op` failing (0: none); the exit code. `after`
  // is evaluated with the run's variables into `result` before the run's end.
  int Run(const std::vector<std::string>& lines, Op op, int64_t nth, const std::string& after = "") {
    // A fresh host for each run: the fake window belongs to one run.
    engine.reset();
    host = std::make_unique<test::RecordingHost>();
    engine = std::make_unique<Engine>(*host, ProgramKind::Interpreter, InterpreterProfile());
    for (const std::string& line : lines) engine->store.Append(line);
    engine->ResetRunState();
    g_plan.Arm(op, nth);
    int code = 0;
    try {
      RunStatements(*engine);
    } catch (const RunEnd& end) {
      code = end.exitCode;
    }
    result.clear();
    if (!after.empty()) {
      engine->param = after;
      Evaluate(*engine, "");
      result = engine->reg.Text();
    }
    engine.reset();  // the end of the run closes what is still open, still counted
    g_plan.nth = 0;
    return code;
  }
  std::string Boxes() const {
    std::string all;
    for (const auto& box : host->boxes) all += box.text + "|";
    return all;
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(m_dir)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  // The counts of a run without failures: how far each kind of call has to be failed.
  std::array<int64_t, kOps> CleanCounts(const std::vector<std::string>& lines) {
    Run(lines, Op::Open, 0);
    return g_plan.counts;
  }

  std::unique_ptr<test::RecordingHost> host;
  std::unique_ptr<Engine> engine;
  std::string result;
  fs::path m_dir;
  fs::path m_old;
};

std::string Pattern(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 13 + i / 251);
  return bytes;
}

TEST_F(FileFaultsTest, CopyKeepsTheOldDestinationAfterEveryFailure) {
  const std::string source = Pattern(200000);  // several blocks of COPY
  const std::vector<std::string> program = {"COPY \"quelle.bin\" > \"ziel.bin\"", "PRINT \"weiter\""};
  auto prepare = [&] {
    Spit("quelle.bin", source);
    Spit("ziel.bin", "alter Inhalt");
  };
  prepare();
  const auto counts = CleanCounts(program);
  ASSERT_EQ(Slurp("ziel.bin"), source);
  ASSERT_GE(counts[static_cast<int>(Op::Read)], 2);
  ASSERT_GE(counts[static_cast<int>(Op::Write)], 2);
  ASSERT_EQ(counts[static_cast<int>(Op::Rename)], 1);
  for (int kind = 0; kind < kOps; ++kind) {
    for (int64_t n = 1; n <= counts[kind]; ++n) {
      SCOPED_TRACE(std::string(kOpNames[kind]) + " #" + std::to_string(n));
      prepare();
      const int code = Run(program, static_cast<Op>(kind), n);
      ASSERT_TRUE(g_plan.fired);
      EXPECT_EQ(Names(), (std::vector<std::string>{"quelle.bin", "ziel.bin"}));
      EXPECT_EQ(Slurp("quelle.bin"), source);
      const std::string destination = Slurp("ziel.bin");
      if (destination == source) {
        // Only a failed close of the source may pass: the copy is complete and right.
        EXPECT_EQ(static_cast<Op>(kind), Op::Close) << Boxes();
        continue;
      }
      EXPECT_EQ(destination, "alter Inhalt");
      const std::string boxes = Boxes();
      const bool reported = boxes.find("Fehler beim Schreiben: ziel.bin") != std::string::npos ||
                            boxes.find("Fehler beim Lesen: quelle.bin") != std::string::npos ||
                            boxes.find("Datei kann nicht gelesen werden: quelle.bin") != std::string::npos ||
                            boxes.find("Datei kann nicht erzeugt werden: ziel.bin") != std::string::npos;
      EXPECT_TRUE(reported) << boxes << " exit " << code;
    }
  }
}

TEST_F(FileFaultsTest, ByteFileFailuresReachIoResultAndSpareTheRest) {
  // Appends 100000 bytes by BLOCKWRITE and 300 by PUTBYTE to a file that holds 13, then
  // reads everything back; every I/O result is added up.
  const std::vector<std::string> program = {
      "DECLARE a#, n&, e%, i%",
      "DIM a#, 100000",
      "WHILE i% < 100000",
      "  BYTE a#, i% = i% MOD 199",
      "  INC i%",
      "WEND",
      "ASSIGN #1, \"daten.bin\"",
      "OPENRW #1",
      "ADD e%, %IORESULT",
      "SEEK #1, @GETFILESIZE(#1)",
      "ADD e%, %IORESULT",
      "BLOCKWRITE #1, a#, 0, 100000",
      "ADD e%, %IORESULT",
      "i% = 0",
      "WHILE i% < 300",
      "  PUTBYTE #1, i%",
      "  ADD e%, %IORESULT",
      "  INC i%",
      "WEND",
      "SEEK #1, 0",
      "ADD e%, %IORESULT",
      "n& = @BLOCKREAD(#1, a#, 0, 100000)",
      "ADD e%, %IORESULT",
      "CLOSERW #1",
      "ADD e%, %IORESULT",
  };
  const std::string old = "kostbar-Daten";
  std::string expected = old;
  for (int i = 0; i < 100000; ++i) expected += static_cast<char>(i % 199);
  for (int i = 0; i < 300; ++i) expected += static_cast<char>(i);
  // The I/O results, the count read and two of the bytes read.
  const std::string after = "\"E\" + @STR$(e%) + \" N\" + @STR$(n&) + \" \" + @STR$(@BYTE(a#, 13)) + \" \" + @STR$(@BYTE(a#, 99999))";
  Spit("daten.bin", old);
  Run(program, Op::Open, 0, after);
  const auto counts = g_plan.counts;
  const std::string clean = result;
  ASSERT_EQ(clean, "E0 N100000 0 88");
  ASSERT_EQ(Slurp("daten.bin"), expected);
  for (int kind = 0; kind < kOps; ++kind) {
    for (int64_t n = 1; n <= counts[kind]; ++n) {
      SCOPED_TRACE(std::string(kOpNames[kind]) + " #" + std::to_string(n));
      Spit("daten.bin", old);
      EXPECT_EQ(Run(program, static_cast<Op>(kind), n, after), 0) << Boxes();
      ASSERT_TRUE(g_plan.fired);
      EXPECT_EQ(Names(), std::vector<std::string>{"daten.bin"});
      const std::string now = Slurp("daten.bin");
      ASSERT_GE(now.size(), old.size());
      EXPECT_EQ(now.substr(0, old.size()), old);
      // A failure the program saw no sign of (no I/O result, nothing short) must have been
      // made good by the C library: the file and the bytes read are all right.
      if (result.compare(0, 10, "E0 N100000") == 0) {
        EXPECT_EQ(result, clean);
        EXPECT_TRUE(now == expected) << "failure not reported, file " << now.size() << " bytes";
      }
    }
  }
}

TEST_F(FileFaultsTest, WriteIniKeepsTheOldFileAfterEveryFailure) {
  const std::string old = "; Einstellungen\r\n[Fenster]\r\nBreite=640\r\n\r\n[Pfade]\r\nDaten=C:\\DATEN\r\n";
  const std::vector<std::string> program = {"WRITEINI \"prog.ini\", \"Fenster\", \"H\" + \"\xF6he\" = 480",
                                            "PRINT @READINI$(\"prog.ini\", \"Pfade\", \"Daten\")"};
  Spit("prog.ini", old);
  const auto counts = CleanCounts(program);
  ASSERT_EQ(Slurp("prog.ini"), "; Einstellungen\r\n[Fenster]\r\nBreite=640\r\nH\xF6he=480\r\n\r\n[Pfade]\r\nDaten=C:\\DATEN\r\n");
  ASSERT_EQ(counts[static_cast<int>(Op::Rename)], 1);
  for (int kind = 0; kind < kOps; ++kind) {
    for (int64_t n = 1; n <= counts[kind]; ++n) {
      SCOPED_TRACE(std::string(kOpNames[kind]) + " #" + std::to_string(n));
      Spit("prog.ini", old);
      EXPECT_EQ(Run(program, static_cast<Op>(kind), n), 0);
      ASSERT_TRUE(g_plan.fired);
      EXPECT_EQ(Names(), std::vector<std::string>{"prog.ini"});
      const std::string now = Slurp("prog.ini");
      if (now != old) {
        // Failures after the new file was complete: the reading by READINI$ and the
        // close of the old file read.
        EXPECT_TRUE(host->boxes.empty()) << Boxes();
        continue;
      }
      EXPECT_NE(Boxes().find("Fehler beim Schreiben: prog.ini"), std::string::npos) << Boxes();
    }
  }
}

}  // namespace
}  // namespace talven

#endif  // __GLIBC__
