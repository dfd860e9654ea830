#pragma once
// The engine's host on Win32: message boxes, the file dialog, INI files and the message
// pump of the program's own thread.

#include <cstdint>

#include "engine/host.h"
#include "library/system/win32/win32_system.h"
#include "library/windows/win32/win32_window.h"

namespace talven {

class Win32Host : public Host {
 public:
  BoxAnswer ShowBox(const BoxRequest& box) override;
  std::optional<std::string> OpenFileDialog(std::string_view caption, std::string_view filter,
                                            std::string_view defaultExtension) override;
  std::unique_ptr<InputFile> OpenInput(const std::string& name) override;
  bool FileExists(const std::string& name) override;
  std::string ReadIniString(std::string_view file, std::string_view section,
                            std::string_view key, std::string_view fallback) override;
  PumpResult PumpMessages(bool force) override;
  void ShowMouseCursor() override;
  void RepaintMainWindow() override;
  void ReleaseRun() override;
  WindowPlatform& Window() override { return m_window; }
  SystemPlatform& System() override { return m_system; }

 private:
  Win32Window m_window;
  Win32System m_system;
  uint32_t m_lastPumpTick = 0;
  uint32_t m_pumpSkips = 0;
};

}  // namespace talven
