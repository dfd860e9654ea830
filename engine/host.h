#pragma once
// What the engine needs from the platform. The Win32 programs implement it in win32/;
// tests implement it with a recording host. Nothing here names a Win32 type.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace talven {

class SystemPlatform;
class WindowPlatform;

enum class BoxIcon { None, Stop, Exclamation, Information, Question };
enum class BoxButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class BoxAnswer { Ok, Cancel, Yes, No };
enum class BoxOwner { None, MainWindow };

struct BoxRequest {
  std::string caption;
  std::string text;
  BoxIcon icon = BoxIcon::None;
  BoxButtons buttons = BoxButtons::Ok;
  BoxOwner owner = BoxOwner::MainWindow;
  bool systemModal = false;
  bool restoreFocus = false;  // give the keyboard focus back to whoever had it
};

enum class PumpResult { Idle, Quit };

// A text file read line by line, as the loader reads sources.
class InputFile {
 public:
  virtual ~InputFile() = default;
  // The next physical line without its line end, at most 255 characters (the rest of a
  // longer line is lost); false at the end of the file.
  virtual bool ReadLine(std::string& line) = 0;
};

class Host {
 public:
  virtual ~Host() = default;

  virtual BoxAnswer ShowBox(const BoxRequest& box) = 0;
  // The file-open dialog; the filter is written "Name|*.EXT|Name|*.*". Empty when cancelled.
  virtual std::optional<std::string> OpenFileDialog(std::string_view caption,
                                                    std::string_view filter,
                                                    std::string_view defaultExtension) = 0;

  virtual std::unique_ptr<InputFile> OpenInput(const std::string& name) = 0;
  virtual bool FileExists(const std::string& name) = 0;
  virtual std::string ReadIniString(std::string_view file, std::string_view section,
                                    std::string_view key, std::string_view fallback) = 0;

  // Drains the message queue without waiting. `force` asks for a drain even where the host
  // would otherwise spare the cost.
  virtual PumpResult PumpMessages(bool force) = 0;
  // Raises the mouse cursor's display count until the cursor shows.
  virtual void ShowMouseCursor() = 0;
  virtual void RepaintMainWindow() = 0;
  // The main output window (created on first use through the window state).
  virtual WindowPlatform& Window() = 0;
  // The operating system's side of the system variables, functions and statements.
  virtual SystemPlatform& System() = 0;
  // The end of a run: device contexts, fonts, pens and brushes, the main window.
  virtual void ReleaseRun() = 0;
};

}  // namespace talven
