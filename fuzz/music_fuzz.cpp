// The music strings and the chords on arbitrary bytes, against a platform that records
// nothing and whose clock only advances by what is waited: every MIDI byte must stay a
// data byte, a note must end before the mapper closes, and time never runs backwards.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "library/sound/music.h"

namespace {

class CheckedSound : public talven::SoundPlatform {
 public:
  void Beep() override {}
  void Tone(int32_t, int32_t) override {}
  void PlayWave(const std::string&, uint32_t) override {}
  bool OpenMidi() override {
    if (open) __builtin_trap();
    open = true;
    return true;
  }
  void SendMidi(uint8_t status, uint8_t first, uint8_t second) override {
    if (!open || status < 0x80 || first > 127 || second > 127) __builtin_trap();
  }
  void CloseMidi() override { open = false; }
  uint32_t Milliseconds() override { return static_cast<uint32_t>(now); }
  void WaitUntil(uint32_t start, int64_t ms) override {
    const int64_t passed = static_cast<uint32_t>(static_cast<uint32_t>(now) - start);
    if (ms > passed) now += ms - passed;
  }
  bool open = false;
  int64_t now = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 2000) return 0;
  CheckedSound sound;
  talven::MusicState state;
  const std::string text(reinterpret_cast<const char*>(data), size);
  talven::PlayMusic(text, state, sound, [] {});
  if (sound.open) __builtin_trap();
  if (size >= 8) {
    std::vector<int32_t> values((size - 8) / 4);
    int32_t length = 0;
    int32_t dots = 0;
    std::memcpy(&length, data, 4);
    std::memcpy(&dots, data + 4, 4);
    if (!values.empty()) std::memcpy(values.data(), data + 8, values.size() * 4);
    talven::PlayChord(values, length, dots, sound);
    if (sound.open) __builtin_trap();
  }
  return 0;
}
