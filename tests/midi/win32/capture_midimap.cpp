// A stand-in for the system's MIDI mapper, for the tests only: it accepts every open and
// writes each message it is given, with a QueryPerformanceCounter time in milliseconds,
// to the file named by the environment variable MIDI_CAPTURE_LOG. Loaded in place of
// the system's mapper with WINEDLLOVERRIDES=midimap=n from the program's own folder.

#include <windows.h>
#include <mmsystem.h>
#include <mmddk.h>

#include <cstdio>

namespace {

void Log(const char* text) {
  char path[MAX_PATH] = {};
  if (GetEnvironmentVariableA("MIDI_CAPTURE_LOG", path, MAX_PATH) == 0) return;
  LARGE_INTEGER now;
  LARGE_INTEGER frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  FILE* file = std::fopen(path, "ab");
  if (file == nullptr) return;
  std::fprintf(file, "%.3f %s\n", static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart),
               text);
  std::fclose(file);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT WINAPI DriverProc(DWORD_PTR id, HDRVR driver, UINT message,
                                                            LPARAM first, LPARAM second) {
  switch (message) {
    case DRV_LOAD:
    case DRV_FREE:
    case DRV_OPEN:
    case DRV_CLOSE:
    case DRV_ENABLE:
    case DRV_DISABLE:
      return 1;
    default:
      return DefDriverProc(id, driver, message, first, second);
  }
}

extern "C" __declspec(dllexport) DWORD WINAPI modMessage(UINT, UINT message, DWORD_PTR, DWORD_PTR first,
                                                         DWORD_PTR) {
  switch (message) {
    case MODM_GETNUMDEVS: return 1;
    case MODM_GETDEVCAPS: {
      auto* caps = reinterpret_cast<MIDIOUTCAPSA*>(first);
      if (caps != nullptr) {
        ZeroMemory(caps, sizeof *caps);
        lstrcpynA(caps->szPname, "Talven capture", MAXPNAMELEN);
        caps->wTechnology = MOD_MAPPER;
        caps->wVoices = 16;
        caps->wNotes = 16;
        caps->wChannelMask = 0xFFFF;
      }
      return MMSYSERR_NOERROR;
    }
    case MODM_OPEN: Log("OPEN"); return MMSYSERR_NOERROR;
    case MODM_CLOSE: Log("CLOSE"); return MMSYSERR_NOERROR;
    case MODM_RESET: return MMSYSERR_NOERROR;
    case MODM_DATA: {
      char text[32];
      std::snprintf(text, sizeof text, "DATA %02X %02X %02X", static_cast<unsigned>(first & 0xFF),
                    static_cast<unsigned>((first >> 8) & 0xFF), static_cast<unsigned>((first >> 16) & 0xFF));
      Log(text);
      return MMSYSERR_NOERROR;
    }
    default: return MMSYSERR_NOTSUPPORTED;
  }
}
