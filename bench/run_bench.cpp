// Runs Talven programs natively with a console host and reports each one's time and the
// box it ended with (the benchmarks end with their checksum in a box).
//   run_bench [--compiled] FILE.tvs ...
// With --compiled each program is first compiled (plain mode, not timed) and its code file
// run by the runtime.

#include <chrono>
#include <cstdio>
#include <string>

#include "engine/startup.h"
#include "engine/std_file.h"
#include "library/families.h"
#include "library/profiles.h"
#include "library/windows/null_window.h"
#include "toolchain/compiler.h"
#include "toolchain/runtime.h"

namespace {

class ConsoleHost : public talven::Host {
 public:
  ConsoleHost() { UsePlatform(talven::FamilyIndex(talven::FamilyId::Window), window); }
  talven::BoxAnswer ShowBox(const talven::BoxRequest& box) override {
    lastBox = box.text;
    return talven::BoxAnswer::Ok;
  }
  std::optional<std::string> OpenFileDialog(std::string_view, std::string_view,
                                            std::string_view) override {
    return std::nullopt;
  }
  std::unique_ptr<talven::InputFile> OpenInput(const std::string& name) override {
    return talven::OpenStdInputFile(name);
  }
  bool FileExists(const std::string& name) override { return talven::OpenStdInputFile(name) != nullptr; }
  std::string ReadIniString(std::string_view, std::string_view, std::string_view,
                            std::string_view fallback) override {
    return std::string(fallback);
  }
  talven::PumpResult PumpMessages(bool) override {
    return window.closed ? talven::PumpResult::Quit : talven::PumpResult::Idle;
  }
  talven::NullWindow window;
  void ShowMouseCursor() override {}
  void RepaintMainWindow() override {}
  void ReleaseRun() override {}

  std::string lastBox;
};

}  // namespace

int main(int argc, char** argv) {
  bool compiled = false;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--compiled") {
      compiled = true;
      continue;
    }
    std::string codeFile;
    if (compiled) {
      ConsoleHost compileHost;
      talven::NoProgress progress;
      talven::ClockRandom random;
      if (talven::RunCompiler(compileHost, {argv[i], "/B"}, progress, random) != 0) {
        std::printf("%-40s compile failed: %s\n", argv[i], compileHost.lastBox.c_str());
        continue;
      }
      codeFile = std::string(argv[i]);
      codeFile = codeFile.substr(0, codeFile.rfind('.')) + ".tvc";
    }
    ConsoleHost host;
    const auto start = std::chrono::steady_clock::now();
    const int exitCode = compiled ? talven::RunRuntime(host, {codeFile}, "run_bench", talven::RuntimeProfile())
                                  : talven::RunInterpreter(host, {argv[i]}, talven::InterpreterProfile());
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%-40s %8.3f s  exit %d  %s\n", argv[i], seconds, exitCode, host.lastBox.c_str());
  }
  return 0;
}
