#pragma once
// The system platform on Win32: module and desktop handles, the version value, the
// directories, clock, environment, clipboard, starting programs, multimedia command
// strings, WinHelp and ending the session.

#include "library/system/system_platform.h"

namespace talven {

class Win32System : public SystemPlatform {
 public:
  intptr_t ModuleHandle() override;
  intptr_t DesktopWindow() override;
  int32_t BitsPerPixel() override;
  uint32_t TickCount() override;
  uint32_t VersionValue() override;
  std::string WindowsDirectory() override;
  std::string SystemDirectory() override;
  std::string CurrentDirectory() override;
  LocalTime Now() override;
  std::optional<std::string> Environment(std::string_view name) override;
  std::optional<std::string> ClipboardText() override;
  uint32_t Execute(const std::string& commandLine, int32_t show) override;
  bool ExecuteAndWait(const std::string& commandLine, int32_t show) override;
  intptr_t ShellOpen(const std::string& file, const std::string& verb, int32_t show) override;
  MciAnswer SendMci(const std::string& command) override;
  bool ExitSession(uint32_t flags) override;
  void OpenHelp(intptr_t owner, const std::string& file, uint32_t command,
                const std::optional<std::string>& keyword) override;
  uint32_t ReadPort(uint16_t port, PortWidth width) override;
  void WritePort(uint16_t port, uint32_t value, PortWidth width) override;
};

}  // namespace talven
