#pragma once
// What the sound statements need from the system: the beep, a speaker tone, wave files,
// the MIDI mapper and a millisecond clock to wait on. win32/ implements it with winmm;
// the default does nothing and has no MIDI; tests record what was asked.

#include <cstdint>
#include <string>

#include "engine/family.h"

namespace talven {

class SoundPlatform : public FamilyPlatform {
 public:
  // The system's default beep.
  virtual void Beep() = 0;
  // A tone on the speaker; may return before the tone ends.
  virtual void Tone(int32_t hertz, int32_t milliseconds) = 0;
  // Plays a wave file with these flags (already limited to the allowed bits).
  virtual void PlayWave(const std::string& file, uint32_t flags) = 0;
  // Opens the MIDI mapper; false when it cannot be opened.
  virtual bool OpenMidi() = 0;
  // A short MIDI message on the open mapper: status, first and second data byte.
  virtual void SendMidi(uint8_t status, uint8_t first, uint8_t second) = 0;
  virtual void CloseMidi() = 0;
  // Milliseconds on a clock that wraps at 2^32.
  virtual uint32_t Milliseconds() = 0;
  // Returns when `milliseconds` have passed since `start` (a Milliseconds() value); the
  // wait gives the processor away but never oversleeps the moment.
  virtual void WaitUntil(uint32_t start, int64_t milliseconds) = 0;
};

// No sound at all: no MIDI, and a clock that advances by what is waited.
class NullSound : public SoundPlatform {
 public:
  void Beep() override {}
  void Tone(int32_t, int32_t) override {}
  void PlayWave(const std::string&, uint32_t) override {}
  bool OpenMidi() override { return false; }
  void SendMidi(uint8_t, uint8_t, uint8_t) override {}
  void CloseMidi() override {}
  uint32_t Milliseconds() override { return m_now; }
  void WaitUntil(uint32_t start, int64_t milliseconds) override {
    const int64_t passed = static_cast<uint32_t>(m_now - start);
    if (milliseconds > passed) m_now += static_cast<uint32_t>(milliseconds - passed);
  }

 private:
  uint32_t m_now = 0;
};

}  // namespace talven
