#pragma once
// A host for running programs in-process: it records every box and dialog in the form the
// Wine driver reports them, answers them from a queue, and reads real files (backslashes
// in names become slashes).

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "engine/host.h"
#include "library/system/system_platform.h"
#include "library/windows/input_state.h"
#include "library/windows/window_platform.h"
#include "library/windows/window_state.h"

namespace talven::test {

// A window that exists only as a record: what was drawn is not kept (the text grid of the
// engine holds the text), typed input comes from a script, one chunk per wait.
class FakeWindow : public WindowPlatform {
 public:
  void Create(WindowState& state) override;
  bool Exists() const override { return m_state != nullptr; }
  intptr_t NativeHandle() const override { return Exists() ? 1 : 0; }
  WindowMetrics Metrics() const override { return WindowMetrics{}; }
  void Place(int32_t, int32_t, int32_t, int32_t) override {}
  void SetTitle(std::string_view text) override { title = std::string(text); }
  void Show(ShowMode) override {}
  void FillScreen(Color) override {}
  void DrawText(int32_t, int32_t, std::string_view, Color, Color, int32_t) override {}
  void ScrollUp(int32_t) override {}
  void Invalidate() override {}
  void Beep() override {}
  void StartTimer(int32_t) override { timerRunning = true; }
  void StopTimer() override { timerRunning = false; }
  // Delivers the next typed chunk; with none left the user closes the window.
  void WaitForMessage() override;
  // The text grid as the user sees it when the run is over.
  void RunUntilClosed() override;
  void Destroy() override { m_state = nullptr; }

  std::deque<std::string> typed;
  std::string title;
  bool timerRunning = false;
  bool closed = false;
  std::vector<std::string> screen;

 private:
  WindowState* m_state = nullptr;
};

// A system with fixed values that records what the program asked of it (one line each,
// kept apart from the boxes) and starts nothing.
class FakeSystem : public SystemPlatform {
 public:
  intptr_t ModuleHandle() override { return moduleHandle; }
  intptr_t DesktopWindow() override { return desktopWindow; }
  int32_t BitsPerPixel() override { return bitsPerPixel; }
  uint32_t TickCount() override { return tickCount; }
  uint32_t VersionValue() override { return versionValue; }
  std::string WindowsDirectory() override { return windowsDirectory; }
  std::string SystemDirectory() override { return systemDirectory; }
  std::string CurrentDirectory() override { return currentDirectory; }
  LocalTime Now() override { return now; }
  std::optional<std::string> Environment(std::string_view name) override;
  std::optional<std::string> ClipboardText() override { return clipboard; }
  uint32_t Execute(const std::string& commandLine, int32_t show) override;
  bool ExecuteAndWait(const std::string& commandLine, int32_t show) override;
  intptr_t ShellOpen(const std::string& file, const std::string& verb, int32_t show) override;
  MciAnswer SendMci(const std::string& command) override;
  bool ExitSession(uint32_t flags) override;
  void OpenHelp(intptr_t owner, const std::string& file, uint32_t command,
                const std::optional<std::string>& keyword) override;
  uint32_t ReadPort(uint16_t port, PortWidth width) override;
  void WritePort(uint16_t port, uint32_t value, PortWidth width) override;

  intptr_t moduleHandle = 0x400000;
  intptr_t desktopWindow = 0x10010;
  int32_t bitsPerPixel = 32;
  uint32_t tickCount = 123456;
  // Version 5.1, build 2600 in the high word.
  uint32_t versionValue = 0x0A280105;
  std::string windowsDirectory = "C:\\WINDOWS";
  std::string systemDirectory = "C:\\WINDOWS\\system32";
  std::string currentDirectory = "C:\\TALVEN";
  LocalTime now{2026, 12, 8, 2, 9, 5, 7, 3};
  std::map<std::string, std::string> environment;
  std::optional<std::string> clipboard;
  // Whether started programs start (WinExec then returns 33, else 2).
  bool programsStart = true;
  // Answers of multimedia commands; any other command fails with 263.
  std::map<std::string, MciAnswer> mci;
  // "exec: CMD|SHOW", "wait: CMD|SHOW", "shell: FILE|VERB|SHOW", "mci: CMD",
  // "exit: FLAGS", "help: OWNER|FILE|COMMAND|KEY" (KEY "-" without data),
  // "in: PORT|WIDTH", "out: PORT|VALUE|WIDTH" (WIDTH byte or word).
  std::vector<std::string> calls;
};

class RecordingHost : public Host {
 public:
  BoxAnswer ShowBox(const BoxRequest& box) override;
  std::optional<std::string> OpenFileDialog(std::string_view caption, std::string_view filter,
                                            std::string_view defaultExtension) override;
  std::unique_ptr<InputFile> OpenInput(const std::string& name) override;
  bool FileExists(const std::string& name) override;
  std::string ReadIniString(std::string_view file, std::string_view section,
                            std::string_view key, std::string_view fallback) override;
  PumpResult PumpMessages(bool force) override;
  void ShowMouseCursor() override {}
  void RepaintMainWindow() override {}
  void ReleaseRun() override {
    ++releases;
    window.Destroy();
  }
  WindowPlatform& Window() override { return window; }
  SystemPlatform& System() override { return system; }

  FakeWindow window;
  FakeSystem system;

  // Answers in order: ok, cancel, yes, no, "file:NAME".
  std::deque<std::string> answers;
  // "FILE|SECTION|KEY" -> value
  std::map<std::string, std::string> ini;
  // Every box and dialog, formatted like the driver's lines.
  std::vector<std::string> events;
  std::vector<BoxRequest> boxes;
  // After this many pumps the queue holds the quit message (-1: never).
  int quitAfterPumps = -1;
  int pumps = 0;
  int releases = 0;

 private:
  std::string NextAnswer();
};

// "box: ICON BUTTONS | CAPTION | TEXT" with CR LF written as \n.
std::string FormatBox(const BoxRequest& box);
std::string EscapeText(std::string_view text);
std::string NativePath(std::string_view name);

}  // namespace talven::test
