// MUSIC and PLAY turned into MIDI messages and waits.
//
// A music string is read letter by letter, upper-cased and without blanks. Note letters
// play, "P" pauses, "<" ">" "O" move the octave, "T" "L" "V" "K" "M" set the tempo,
// default length, volume, channel and articulation, "I" changes the program; anything
// else is passed over. Every wait is measured from the moment the note began (before the
// mapper was opened), so opening the device and sending count towards the note and
// nothing drifts from note to note.

#include "library/sound/music.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

namespace talven {

namespace {

constexpr uint8_t kNoteOn = 0x90;
constexpr uint8_t kProgramChange = 0xC0;
constexpr int32_t kHighestDataByte = 127;
constexpr int32_t kHighestOctave = 6;
constexpr int32_t kChannels = 16;

// Semitone offsets of the letters A to G.
constexpr int32_t kLetterOffset[] = {9, 11, 0, 2, 4, 5, 7};

// Reads the decimal digits at `at`; none read is 0. Deliberate: a number too large for a
// long saturates instead of wrapping round into a negative tempo or octave.
int32_t ReadNumber(std::string_view text, size_t& at) {
  int64_t value = 0;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
    value = std::min<int64_t>(value * 10 + (text[at] - '0'), std::numeric_limits<int32_t>::max());
    ++at;
  }
  return static_cast<int32_t>(value);
}

bool IsDataByte(int64_t value) { return value >= 0 && value <= kHighestDataByte; }

// Where the next note begins. Deliberate: a note that follows its predecessor at once
// (in the same string or the next MUSIC statement) begins at the moment the predecessor
// was due to end, not when the processor got round to it, so that opening the device, the
// message processing between commands and statements and the last waited millisecond do
// not add up over a melody. A note held up a little (a slow device opening, a busy
// processor) still ends on time, so the melody catches up instead of drifting; after a
// longer hold-up (a message box, a window being moved) the note begins when it can.
class Schedule {
 public:
  explicit Schedule(std::optional<uint32_t>& due) : m_due(due) {}
  uint32_t Start(SoundPlatform& sound) {
    const uint32_t now = sound.Milliseconds();
    if (m_due && static_cast<uint32_t>(now - *m_due) <= kSlack) return *m_due;
    return now;
  }
  void Ends(uint32_t start, int64_t duration) {
    m_due = static_cast<uint32_t>(start + static_cast<uint32_t>(std::min<int64_t>(duration, 0x7FFFFFFF)));
  }
  void Forget() { m_due.reset(); }

 private:
  static constexpr uint32_t kSlack = 250;
  std::optional<uint32_t>& m_due;
};

void PlayNote(int64_t note, int64_t duration, const MusicState& state, SoundPlatform& sound,
              Schedule& schedule) {
  const uint32_t start = schedule.Start(sound);
  if (!sound.OpenMidi()) {  // no MIDI: the note is skipped without a word
    schedule.Forget();
    return;
  }
  // Octaves past the table and notes outside the MIDI range keep time but send nothing.
  const bool sounds = state.octave >= 0 && state.octave <= kHighestOctave && note > 0 &&
                      note <= kHighestDataByte;
  const auto status = static_cast<uint8_t>(kNoteOn + state.channel);
  const auto key = static_cast<uint8_t>(sounds ? note : 0);
  const auto velocity = static_cast<uint8_t>(std::clamp(state.volume, 0, kHighestDataByte));
  int64_t soundingFor = -1;  // -1: an unknown articulation, which neither sounds nor waits
  switch (state.mode) {
    case 'N': soundingFor = duration * 7 / 8; break;
    case 'L': soundingFor = duration; break;
    case 'S': soundingFor = duration / 2; break;
    default: break;
  }
  if (soundingFor >= 0) {
    if (sounds) sound.SendMidi(status, key, velocity);
    sound.WaitUntil(start, soundingFor);
    // A note-off is a note-on with velocity 0.
    if (sounds) sound.SendMidi(status, key, 0);
    sound.WaitUntil(start, duration);
    schedule.Ends(start, duration);
  }
  sound.CloseMidi();
}

void ChangeProgram(int32_t program, int32_t channel, SoundPlatform& sound) {
  if (!sound.OpenMidi()) return;
  if (IsDataByte(program)) {
    sound.SendMidi(static_cast<uint8_t>(kProgramChange + channel), static_cast<uint8_t>(program), 0);
  }
  sound.CloseMidi();
}

}  // namespace

int64_t NoteDuration(int32_t tempo, int32_t length, bool dotted) {
  const int64_t divisor = static_cast<int64_t>(tempo) * length;
  if (divisor <= 0) return 0;
  const int64_t duration = 240000 / divisor;
  return dotted ? duration * 3 / 2 : duration;
}

void PlayMusic(std::string_view text, MusicState& state, SoundPlatform& sound,
               const std::function<void()>& afterCommand) {
  std::string s;
  s.reserve(text.size());
  for (const char c : text) {
    if (c != ' ') s.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
  }
  Schedule schedule(state.due);
  size_t at = 0;
  while (at < s.size()) {
    const char command = s[at++];
    if ((command >= 'A' && command <= 'G') || command == 'P') {
      int64_t note = 0;
      if (command != 'P') {
        note = static_cast<int64_t>(state.octave) * 12 + kLetterOffset[command - 'A'];
        if (at < s.size() && (s[at] == '#' || s[at] == '+')) {
          ++note;
          ++at;
        } else if (at < s.size() && s[at] == '-') {
          --note;
          ++at;
        }
      }
      const bool hasLength = at < s.size() && s[at] >= '0' && s[at] <= '9';
      const int32_t length = hasLength ? ReadNumber(s, at) : state.length;
      const bool dotted = at < s.size() && s[at] == '.';
      if (dotted) ++at;
      const int64_t duration = NoteDuration(state.tempo, length, dotted);
      if (command == 'P') {
        // A pause needs no device: it only keeps time.
        const uint32_t start = schedule.Start(sound);
        sound.WaitUntil(start, duration);
        schedule.Ends(start, duration);
      } else {
        PlayNote(note, duration, state, sound, schedule);
      }
    } else {
      switch (command) {
        case '<':
          if (state.octave > std::numeric_limits<int32_t>::min()) --state.octave;
          break;
        case '>':
          if (state.octave < std::numeric_limits<int32_t>::max()) ++state.octave;
          break;
        case 'O': state.octave = ReadNumber(s, at); break;
        case 'T': state.tempo = ReadNumber(s, at); break;
        case 'L': state.length = ReadNumber(s, at); break;
        case 'V': state.volume = ReadNumber(s, at); break;
        case 'K': {
          const int32_t channel = ReadNumber(s, at);
          state.channel = channel < kChannels ? channel : 0;
          break;
        }
        case 'M':
          if (at < s.size()) state.mode = s[at++];
          break;
        case 'I': ChangeProgram(ReadNumber(s, at), state.channel, sound); break;
        default: break;  // other characters are passed over
      }
    }
    if (afterCommand) afterCommand();
  }
}

int32_t ChordChannel(int32_t k) {
  if (k == 3) return 9;
  if (k == 9) return 3;
  return k;
}

ChordOutcome PlayChord(std::span<const int32_t> values, int32_t length, int32_t dots,
                       SoundPlatform& sound) {
  const uint32_t start = sound.Milliseconds();
  if (!sound.OpenMidi()) return ChordOutcome::NoMidi;
  const auto count = static_cast<int32_t>(std::min<size_t>(values.size(), kChannels));
  if (length == -1) {
    // Program changes on every channel but the percussion channel.
    for (int32_t k = 0; k < count; ++k) {
      const int32_t channel = ChordChannel(k);
      if (channel != 9 && IsDataByte(values[k])) {
        sound.SendMidi(static_cast<uint8_t>(kProgramChange + channel), static_cast<uint8_t>(values[k]), 0);
      }
    }
  } else if (length >= 0) {
    for (int32_t k = 0; k < count; ++k) {
      const auto status = static_cast<uint8_t>(kNoteOn + ChordChannel(k));
      const int64_t value = values[k];
      if (value > 0 && IsDataByte(value - 1)) sound.SendMidi(status, static_cast<uint8_t>(value - 1), 127);
      if (value < 0 && IsDataByte(-value - 1)) sound.SendMidi(status, static_cast<uint8_t>(-value - 1), 0);
    }
    if (length > 0) {
      const int64_t duration = 2000 / length;
      sound.WaitUntil(start, duration + static_cast<int64_t>(dots) * (duration / 2));
      for (int32_t k = 0; k < count; ++k) {
        const int64_t value = values[k];
        if (value > 0 && IsDataByte(value - 1)) {
          sound.SendMidi(static_cast<uint8_t>(kNoteOn + ChordChannel(k)), static_cast<uint8_t>(value - 1), 0);
        }
      }
    }
  }
  sound.CloseMidi();
  return ChordOutcome::Played;
}

}  // namespace talven
