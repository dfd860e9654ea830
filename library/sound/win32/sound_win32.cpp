// The Win32 side of the family "sound": MessageBeep, Beep, sndPlaySound and the MIDI
// mapper of winmm, and a wait that sleeps while the moment is far and yields near it.

#include <windows.h>
#include <mmsystem.h>

#include <memory>

#include "library/families.h"
#include "library/sound/sound_platform.h"
#include "library/win32/win32_host.h"
#include "library/sound/win32/win32_sound.h"

namespace talven {

namespace {

class Win32Sound : public SoundPlatform {
 public:
  // The timer at its finest for the whole run, so that Sleep(1) sleeps about a
  // millisecond.
  Win32Sound() {
    timeBeginPeriod(1);
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    m_frequency = frequency.QuadPart;
  }
  ~Win32Sound() override {
    CloseMidi();
    timeEndPeriod(1);
  }

  void Beep() override { MessageBeep(MB_OK); }
  void Tone(int32_t hertz, int32_t milliseconds) override {
    ::Beep(static_cast<DWORD>(hertz), static_cast<DWORD>(milliseconds));
  }
  void PlayWave(const std::string& file, uint32_t flags) override {
    sndPlaySoundA(file.c_str(), flags);
  }
  bool OpenMidi() override {
    CloseMidi();
    HMIDIOUT out = nullptr;
    if (midiOutOpen(&out, MIDI_MAPPER, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) return false;
    m_out = out;
    return true;
  }
  void SendMidi(uint8_t status, uint8_t first, uint8_t second) override {
    if (m_out == nullptr) return;
    midiOutShortMsg(m_out, static_cast<DWORD>(status) | (static_cast<DWORD>(first) << 8) |
                               (static_cast<DWORD>(second) << 16));
  }
  void CloseMidi() override {
    if (m_out != nullptr) midiOutClose(m_out);
    m_out = nullptr;
  }
  // The performance counter in milliseconds: steady, unlike a tick count that may jump
  // when the timer resolution changes.
  uint32_t Milliseconds() override {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<uint32_t>(now.QuadPart * 1000 / m_frequency);
  }
  // Sleeps in steps of a millisecond while more than two remain, then only yields: the
  // moment is met to the millisecond without spinning a core for the whole note.
  void WaitUntil(uint32_t start, int64_t milliseconds) override {
    if (milliseconds <= 0) return;
    for (;;) {
      const int64_t passed = static_cast<uint32_t>(Milliseconds() - start);
      const int64_t left = milliseconds - passed;
      if (left <= 0) break;
      if (left > 2) {
        Sleep(1);
      } else {
        SwitchToThread();
      }
    }
  }

 private:
  HMIDIOUT m_out = nullptr;
  int64_t m_frequency = 1000;
};

}  // namespace

std::unique_ptr<SoundPlatform> MakeWin32Sound() { return std::make_unique<Win32Sound>(); }

void InstallSoundWin32(Win32Host& host) {
  host.InstallPlatform(FamilyIndex(FamilyId::Sound), MakeWin32Sound());
}

}  // namespace talven
