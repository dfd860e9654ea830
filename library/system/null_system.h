#pragma once
// A system that starts nothing and reaches nothing: for programs run without one
// (fuzzing). Fixed values; every program start fails, the clock stands still.

#include "library/system/system_platform.h"

namespace talven {

class NullSystem : public SystemPlatform {
 public:
  intptr_t ModuleHandle() override { return 0x400000; }
  intptr_t DesktopWindow() override { return 0x10010; }
  int32_t BitsPerPixel() override { return 32; }
  uint32_t TickCount() override { return 0; }
  uint32_t VersionValue() override { return 0; }
  std::string WindowsDirectory() override { return "C:\\WINDOWS"; }
  std::string SystemDirectory() override { return "C:\\WINDOWS\\SYSTEM32"; }
  std::string CurrentDirectory() override { return "C:\\"; }
  LocalTime Now() override { return LocalTime{}; }
  std::optional<std::string> Environment(std::string_view) override { return std::nullopt; }
  std::optional<std::string> ClipboardText() override { return std::nullopt; }
  // 2: the file was not found.
  uint32_t Execute(const std::string&, int32_t) override { return 2; }
  bool ExecuteAndWait(const std::string&, int32_t) override { return false; }
  intptr_t ShellOpen(const std::string&, const std::string&, int32_t) override { return 2; }
  MciAnswer SendMci(const std::string&) override { return MciAnswer{263, std::string()}; }
  bool ExitSession(uint32_t) override { return false; }
  void OpenHelp(intptr_t, const std::string&, uint32_t,
                const std::optional<std::string>&) override {}
  uint32_t ReadPort(uint16_t, PortWidth) override { return 0; }
  void WritePort(uint16_t, uint32_t, PortWidth) override {}
};

}  // namespace talven
