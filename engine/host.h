#pragma once
// What the engine needs from the platform. The Win32 programs implement it in win32/;
// tests implement it with a recording host. Nothing here names a Win32 type.

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/family.h"

namespace talven {

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
  // A flag the host raises when a drain may be due, for the statement loop to read between
  // statements and call PumpMessages only then; nullptr (the default): PumpMessages is
  // asked after every statement.
  virtual const std::atomic<bool>* DrainDue() { return nullptr; }
  // Raises the mouse cursor's display count until the cursor shows.
  virtual void ShowMouseCursor() = 0;
  virtual void RepaintMainWindow() = 0;
  // The end of a run: device contexts, fonts, pens and brushes, the main window.
  virtual void ReleaseRun() = 0;

  // The platforms of the library families, by family id (library/families.def): the
  // programs install their Win32 ones, tests their fakes.
  FamilyPlatform* InstalledPlatform(size_t id) const {
    return id < m_platforms.size() ? m_platforms[id] : nullptr;
  }
  // Installs a platform the caller keeps alive for the host's lifetime.
  void UsePlatform(size_t id, FamilyPlatform& platform) {
    if (m_platforms.size() <= id) m_platforms.resize(id + 1, nullptr);
    m_platforms[id] = &platform;
  }
  // Installs a platform the host owns.
  FamilyPlatform& InstallPlatform(size_t id, std::unique_ptr<FamilyPlatform> platform) {
    FamilyPlatform& installed = *platform;
    m_owned.push_back(std::move(platform));
    UsePlatform(id, installed);
    return installed;
  }

 private:
  std::vector<FamilyPlatform*> m_platforms;
  std::vector<std::unique_ptr<FamilyPlatform>> m_owned;
};

}  // namespace talven
