// The family "sound": BEEP, SOUND, PLAYSOUND, PLAY and MUSIC. The statements read their
// arguments and hand the work to music.cpp and the family's platform; only PLAY reports
// a failure (234, a warning) — the others stay silent whatever the system answers.

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/evaluator.h"
#include "engine/host.h"
#include "library/families.h"
#include "library/sound/music.h"
#include "library/sound/sound_platform.h"

namespace talven {

namespace {

struct SoundState : FamilyState {
  MusicState music;
};

SoundState& SoundOf(Engine& engine) { return FamilyStateOf<SoundState>(engine, FamilyId::Sound); }
SoundPlatform& SoundPlatformOf(Engine& engine) {
  return FamilyPlatformOf<SoundPlatform>(engine, FamilyId::Sound);
}

// The wave-file flags that are passed on: asynchronous, no default sound, loop, do not
// stop a playing sound.
constexpr uint32_t kWaveFlagMask = 1 | 2 | 8 | 16;
// One unit of SOUND's duration in milliseconds.
constexpr double kSoundUnit = 0.37999696;
constexpr int32_t kChordValues = 16;

void StmtBeep(Engine& engine) {
  engine.handled = true;
  SoundPlatformOf(engine).Beep();
}

// SOUND frequency, duration. Mended: the statement lasts its duration even where the
// system's tone returns at once (no speaker), and a duration of 0 or less waits nothing.
void StmtSound(Engine& engine) {
  engine.handled = true;
  const int32_t hertz = EvaluateInteger(engine, ",");
  Evaluate(engine, "");
  const double units = static_cast<double>(engine.reg.longValue);
  const auto milliseconds = static_cast<int64_t>(std::trunc(units * kSoundUnit));
  if (milliseconds <= 0) return;
  SoundPlatform& sound = SoundPlatformOf(engine);
  const uint32_t start = sound.Milliseconds();
  sound.Tone(hertz, static_cast<int32_t>(milliseconds));
  sound.WaitUntil(start, milliseconds);
}

void StmtPlaySound(Engine& engine) {
  engine.handled = true;
  Evaluate(engine, ",", EvalMode::FileName);
  const std::string file = engine.reg.Text();
  Evaluate(engine, "");
  SoundPlatformOf(engine).PlayWave(file, static_cast<uint32_t>(engine.reg.longValue) & kWaveFlagMask);
}

// PLAY value;value;...,length,dots. After the fifteenth ";" the rest up to the comma is
// the last value.
void StmtPlay(Engine& engine) {
  engine.handled = true;
  std::vector<int32_t> values;
  engine.lastSeparator = ' ';
  do {
    const size_t before = engine.param.size();
    Evaluate(engine, values.size() + 1 < kChordValues ? std::string_view(kListItem) : std::string_view(","));
    CheckProgress(before, engine.param);
    values.push_back(engine.reg.longValue);
  } while (engine.lastSeparator == ';' && values.size() < kChordValues && !engine.param.empty());
  const int32_t length = EvaluateInteger(engine, ",");
  const int32_t dots = EvaluateInteger(engine, "");
  if (PlayChord(values, length, dots, SoundPlatformOf(engine)) == ChordOutcome::NoMidi) {
    Warn(engine, ErrorCode::SoundFailed);
  }
}

void StmtMusic(Engine& engine) {
  engine.handled = true;
  Evaluate(engine, "", EvalMode::String);
  const std::string text = engine.reg.Text();
  PlayMusic(text, SoundOf(engine).music, SoundPlatformOf(engine), [&engine] {
    // The window closed meanwhile ends the run as between statements.
    if (engine.host.PumpMessages(false) == PumpResult::Quit) throw RunEnd{255};
  });
}

constexpr StatementRow kStatements[] = {
    {"BEEP", StmtBeep}, {"SOUND", StmtSound}, {"PLAYSOUND", StmtPlaySound},
    {"PLAY", StmtPlay}, {"MUSIC", StmtMusic},
};

}  // namespace

const Family& SoundFamily() {
  static const Family kFamily{
      .name = "sound",
      .statements = kStatements,
      .functions = {},
      .variables = {},
      .makeState = [](Engine&) -> std::unique_ptr<FamilyState> { return std::make_unique<SoundState>(); },
      .makePlatform = []() -> std::unique_ptr<FamilyPlatform> { return std::make_unique<NullSound>(); },
      .arguments = ArgumentStyle::Readers,
  };
  return kFamily;
}

}  // namespace talven
