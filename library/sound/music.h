#pragma once
// The portable core of MUSIC and PLAY: reading a music string or a chord and turning it
// into MIDI messages and waits on a SoundPlatform. No statement reading here: the
// handlers pass the texts and numbers in.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>

#include "library/sound/sound_platform.h"

namespace talven {

// The settings of the music strings, kept for the whole run.
struct MusicState {
  int32_t tempo = 120;
  int32_t volume = 100;
  int32_t length = 4;
  int32_t octave = 4;
  char mode = 'N';
  int32_t channel = 0;
  // When the last note played was due to end (the clock's milliseconds); a note of the
  // next string that follows at once begins there.
  std::optional<uint32_t> due;
};

// Plays a music string; `afterCommand` runs after every command (the message pump).
void PlayMusic(std::string_view text, MusicState& state, SoundPlatform& sound,
               const std::function<void()>& afterCommand);

enum class ChordOutcome { Played, NoMidi };

// PLAY: one chord of up to 16 values (value k on channel k, 3 and 9 exchanged), a length
// and a number of dots.
ChordOutcome PlayChord(std::span<const int32_t> values, int32_t length, int32_t dots,
                       SoundPlatform& sound);

// The MIDI channel of chord value k.
int32_t ChordChannel(int32_t k);

// The duration of a note in milliseconds: 240000 / (tempo * length), times 1.5 dotted,
// truncated; 0 where tempo * length is not positive.
int64_t NoteDuration(int32_t tempo, int32_t length, bool dotted);

}  // namespace talven
