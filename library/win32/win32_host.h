#pragma once
// The engine's host on Win32: message boxes, the file dialog, INI files and the message
// pump of the program's own thread, with the platforms of the library families.

#include <atomic>
#include <cstdint>

#include "engine/host.h"
#include "library/windows/win32/win32_window.h"

namespace talven {

class Win32Host : public Host {
 public:
  // Installs the Win32 platform of every family (win32_families.cpp).
  Win32Host();

  BoxAnswer ShowBox(const BoxRequest& box) override;
  std::optional<std::string> OpenFileDialog(std::string_view caption, std::string_view filter,
                                            std::string_view defaultExtension) override;
  std::unique_ptr<InputFile> OpenInput(const std::string& name) override;
  bool FileExists(const std::string& name) override;
  std::string ReadIniString(std::string_view file, std::string_view section,
                            std::string_view key, std::string_view fallback) override;
  ~Win32Host() override;
  Win32Host(const Win32Host&) = delete;
  Win32Host& operator=(const Win32Host&) = delete;
  PumpResult PumpMessages(bool force) override;
  const std::atomic<bool>* DrainDue() override;
  void ShowMouseCursor() override;
  void RepaintMainWindow() override;
  void ReleaseRun() override;
  // The main window: the message pump and the boxes need it besides its family.
  Win32Window& MainWindow() { return m_window; }

 private:
  Win32Window m_window;
  uint32_t m_lastPumpTick = 0;
  uint32_t m_pumpSkips = 0;
  // Raised every kPumpIntervalMs by a thread of its own (`m_clock`, ended by `m_stop`), so
  // that the statement loop does not ask the clock after every statement.
  std::atomic<bool> m_drainDue{true};
  void* m_clock = nullptr;
  void* m_stop = nullptr;
};

}  // namespace talven
