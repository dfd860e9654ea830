#pragma once
// A host for running programs in-process: it records every box and dialog in the form the
// Wine driver reports them, answers them from a queue, and reads real files (backslashes
// in names become slashes).

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "engine/host.h"
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

  FakeWindow window;

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
