// The Win32 side of the family "serial": the communication functions of the kernel.

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "library/families.h"
#include "library/serial/serial_platform.h"
#include "library/serial/win32/serial_win32.h"
#include "library/win32/win32_host.h"

namespace talven {

namespace {

// Every time-out of a port, in milliseconds: a read returns what came within them.
constexpr DWORD kPortTimeout = 50;

HANDLE HandleOf(int32_t port) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(port)); }

// "COM10" and up open only through the device name space; "\\.\" serves every port.
std::string DeviceName(const std::string& name) {
  if (name.size() > 3 && _strnicmp(name.c_str(), "COM", 3) == 0 &&
      std::all_of(name.begin() + 3, name.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return "\\\\.\\" + name;
  }
  return name;
}

bool ApplyTimeouts(HANDLE port) {
  COMMTIMEOUTS timeouts = {kPortTimeout, kPortTimeout, kPortTimeout, kPortTimeout, kPortTimeout};
  return SetCommTimeouts(port, &timeouts) != FALSE;
}

class Win32Serial : public SerialPlatform {
 public:
  // Only a communication device is kept: a file or pipe of the same name is closed again
  // at once, so the other functions never act on it.
  std::optional<int32_t> Open(const std::string& name, int32_t inQueue, int32_t outQueue) override {
    HANDLE port = CreateFileA(DeviceName(name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (port == INVALID_HANDLE_VALUE) return std::nullopt;
    DCB control = {};
    control.DCBlength = sizeof(control);
    if (GetFileType(port) != FILE_TYPE_CHAR || !GetCommState(port, &control)) {
      CloseHandle(port);
      return std::nullopt;
    }
    SetupComm(port, static_cast<DWORD>(std::max(inQueue, 0)), static_cast<DWORD>(std::max(outQueue, 0)));
    ApplyTimeouts(port);
    return static_cast<int32_t>(reinterpret_cast<intptr_t>(port));
  }

  bool SetMode(int32_t port, const std::string& mode) override {
    DCB control = {};
    control.DCBlength = sizeof(control);
    if (!GetCommState(HandleOf(port), &control)) return false;
    COMMTIMEOUTS timeouts = {};
    if (!BuildCommDCBAndTimeoutsA(mode.c_str(), &control, &timeouts)) return false;
    return SetCommState(HandleOf(port), &control) != FALSE && ApplyTimeouts(HandleOf(port));
  }

  bool SetFlags(int32_t port, int32_t flags, int32_t xonLimit, int32_t xoffLimit) override {
    DCB control = {};
    control.DCBlength = sizeof(control);
    if (!GetCommState(HandleOf(port), &control)) return false;
    // The flag word follows the baud rate: fBinary in its lowest bit.
    if (flags != -1) {
      const uint32_t word = static_cast<uint32_t>(flags);
      std::memcpy(reinterpret_cast<char*>(&control) + offsetof(DCB, BaudRate) + sizeof(DWORD), &word, sizeof(word));
    }
    control.XonLim = static_cast<WORD>(xonLimit);
    control.XoffLim = static_cast<WORD>(xoffLimit);
    return SetCommState(HandleOf(port), &control) != FALSE;
  }

  int32_t Write(int32_t port, const std::string& bytes) override {
    DWORD written = 0;
    if (!WriteFile(HandleOf(port), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
      return static_cast<int32_t>(written);
    }
    return static_cast<int32_t>(written);
  }

  std::string Read(int32_t port, int32_t count) override {
    DWORD errors = 0;
    COMSTAT status = {};
    if (!ClearCommError(HandleOf(port), &errors, &status) || status.cbInQue == 0) return {};
    const DWORD wanted = std::min<DWORD>(status.cbInQue, static_cast<DWORD>(count));
    std::string bytes(wanted, '\0');
    DWORD got = 0;
    if (!ReadFile(HandleOf(port), bytes.data(), wanted, &got, nullptr)) got = 0;
    bytes.resize(got);
    return bytes;
  }

  bool Close(int32_t port) override { return CloseHandle(HandleOf(port)) != FALSE; }

  int32_t TakeErrors(int32_t port) override {
    DWORD errors = 0;
    COMSTAT status = {};
    if (!ClearCommError(HandleOf(port), &errors, &status)) return -1;
    return static_cast<int32_t>(errors);
  }
};

}  // namespace

std::unique_ptr<FamilyPlatform> MakeWin32Serial() { return std::make_unique<Win32Serial>(); }

void InstallSerialWin32(Win32Host& host) {
  host.InstallPlatform(FamilyIndex(FamilyId::Serial), MakeWin32Serial());
}

}  // namespace talven
