#pragma once
// What the system variables, the system functions and the program statements need from
// the operating system. win32/ implements it with the real calls; tests use a recording
// fake with fixed values. Handles and version values are plain numbers here.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/family.h"

namespace talven {

// The local date and time as the clock shows it.
struct LocalTime {
  int32_t year = 2000;
  int32_t month = 1;    // 1 to 12
  int32_t day = 1;      // 1 to 31
  int32_t weekday = 6;  // 0 Sunday to 6 Saturday
  int32_t hour = 0;
  int32_t minute = 0;
  int32_t second = 0;
  int32_t millisecond = 0;
};

// The answer of a multimedia command string: its result code (0 success) and the text.
struct MciAnswer {
  uint32_t code = 0;
  std::string text;
};

enum class PortWidth { Byte, Word };

class SystemPlatform : public FamilyPlatform {
 public:
  virtual intptr_t ModuleHandle() = 0;
  virtual intptr_t DesktopWindow() = 0;
  // Bits per pixel times planes of the display.
  virtual int32_t BitsPerPixel() = 0;
  // Milliseconds since the system started.
  virtual uint32_t TickCount() = 0;
  // The system's packed version value: low byte major, next byte minor, high word more.
  virtual uint32_t VersionValue() = 0;
  virtual std::string WindowsDirectory() = 0;
  virtual std::string SystemDirectory() = 0;
  virtual std::string CurrentDirectory() = 0;
  virtual LocalTime Now() = 0;

  // The value of an environment variable; nullopt when it is not set.
  virtual std::optional<std::string> Environment(std::string_view name) = 0;
  // The text on the clipboard; nullopt when it holds none.
  virtual std::optional<std::string> ClipboardText() = 0;

  // Starts a command line with a show mode and returns what the system returned (above 31
  // on success). Never waits.
  virtual uint32_t Execute(const std::string& commandLine, int32_t show) = 0;
  // Starts a command line with a show mode and waits for its end; false when it could not
  // be started.
  virtual bool ExecuteAndWait(const std::string& commandLine, int32_t show) = 0;
  // Opens a file with a shell verb (empty: the default action); the shell's result.
  virtual intptr_t ShellOpen(const std::string& file, const std::string& verb, int32_t show) = 0;
  // Sends a multimedia command string; on failure the text is the error's description.
  virtual MciAnswer SendMci(const std::string& command) = 0;

  // Asks the system to end the session; false when it refused.
  virtual bool ExitSession(uint32_t flags) = 0;
  // Opens a help file owned by `owner` (a window handle, 0 none) with a command; `keyword`
  // is the command's data where it takes a text, else the data is 0.
  virtual void OpenHelp(intptr_t owner, const std::string& file, uint32_t command,
                        const std::optional<std::string>& keyword) = 0;

  // The hardware I/O ports: no ordinary program reaches them on this system.
  virtual uint32_t ReadPort(uint16_t port, PortWidth width) = 0;
  virtual void WritePort(uint16_t port, uint32_t value, PortWidth width) = 0;
};

}  // namespace talven
