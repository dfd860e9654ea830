#pragma once
// A host for running programs in-process: it records every box and dialog in the form the
// Wine driver reports them, answers them from a queue, and reads real files (backslashes
// in names become slashes).

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "engine/host.h"

namespace talven::test {

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
  void ReleaseRun() override { ++releases; }

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
