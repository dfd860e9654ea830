// MUSIC, PLAY and SOUND against a recording sound platform whose clock advances only by
// what is waited: the test reads the schedule (time, MIDI bytes) that was asked for.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/run_loop.h"
#include "library/families.h"
#include "library/profiles.h"
#include "library/sound/music.h"
#include "library/sound/sound_platform.h"
#include "tests/support/recording_host.h"

namespace talven {
namespace {

class FakeSound : public SoundPlatform {
 public:
  void Beep() override { log.push_back("beep"); }
  void Tone(int32_t hertz, int32_t ms) override {
    log.push_back("tone " + std::to_string(hertz) + " " + std::to_string(ms));
  }
  void PlayWave(const std::string& file, uint32_t flags) override {
    log.push_back("wave " + file + " " + std::to_string(flags));
  }
  bool OpenMidi() override {
    if (!midi) return false;
    EXPECT_FALSE(open);
    open = true;
    ++opens;
    now += openCost;
    return true;
  }
  void SendMidi(uint8_t status, uint8_t first, uint8_t second) override {
    EXPECT_TRUE(open);
    EXPECT_LE(first, 127);
    EXPECT_LE(second, 127);
    char text[40];
    snprintf(text, sizeof text, "%u %02X %02X %02X", now, status, first, second);
    log.push_back(text);
  }
  void CloseMidi() override { open = false; }
  uint32_t Milliseconds() override { return now; }
  void WaitUntil(uint32_t start, int64_t ms) override {
    const int64_t passed = static_cast<uint32_t>(now - start);
    if (ms > passed) now += static_cast<uint32_t>(ms - passed + overshoot);
  }

  bool midi = true;
  bool open = false;
  int opens = 0;
  uint32_t now = 0;
  uint32_t openCost = 0;   // what opening the device takes
  uint32_t overshoot = 0;  // how much later than asked a wait ends
  std::vector<std::string> log;
};

class SoundTest : public testing::Test {
 protected:
  SoundTest() { host.UsePlatform(FamilyIndex(FamilyId::Sound), sound); }

  int Run(std::initializer_list<const char*> lines) {
    // A fresh engine for each program: nothing remembered from the one before.
    engine_ = std::make_unique<Engine>(host, ProgramKind::Interpreter, InterpreterProfile());
    Engine& engine = *engine_;
    for (const char* line : lines) engine.store.Append(line);
    engine.ResetRunState();
    try {
      RunStatements(engine);
    } catch (const RunEnd& end) {
      return end.exitCode;
    }
    return 0;
  }

  test::RecordingHost host;
  FakeSound sound;
  std::unique_ptr<Engine> engine_;
};

using Log = std::vector<std::string>;

TEST_F(SoundTest, MusicNormalArticulationSoundsSevenEighths) {
  EXPECT_EQ(Run({"MUSIC \"T120 L4 O4 C D E\""}), 0);
  EXPECT_EQ(sound.log, (Log{"0 90 30 64", "437 90 30 00", "500 90 32 64", "937 90 32 00",
                            "1000 90 34 64", "1437 90 34 00"}));
  EXPECT_EQ(sound.now, 1500u);
  EXPECT_EQ(sound.opens, 3);  // the mapper opened and closed per note
  EXPECT_FALSE(sound.open);
}

TEST_F(SoundTest, MusicStatementsInARowKeepTheirTimeLikeOneString) {
  // Opening the device and every wait cost time; the next note, even of the next MUSIC
  // statement, still begins when its predecessor was due to end.
  sound.openCost = 3;
  sound.overshoot = 1;
  EXPECT_EQ(Run({"MUSIC \"T120 L4 O4 C\"", "MUSIC \"D\"", "MUSIC \"E\""}), 0);
  EXPECT_EQ(sound.log, (Log{"3 90 30 64", "438 90 30 00", "504 90 32 64", "938 90 32 00", "1004 90 34 64",
                            "1438 90 34 00"}));
}

TEST_F(SoundTest, MusicHeldUpALittleCatchesUpAndAfterALongHoldUpBeginsAnew) {
  // Each opening of the device takes 40 ms: the notes sound shorter but end on time.
  sound.openCost = 40;
  EXPECT_EQ(Run({"MUSIC \"T120 L4 O4 C D\"", "MUSIC \"E\""}), 0);
  EXPECT_EQ(sound.log, (Log{"40 90 30 64", "437 90 30 00", "540 90 32 64", "937 90 32 00",
                            "1040 90 34 64", "1437 90 34 00"}));
  EXPECT_EQ(sound.now, 1500u);
  // Held up for a second (a box between the statements): the next note begins then.
  sound.openCost = 0;
  sound.log.clear();
  EXPECT_EQ(Run({"MUSIC \"T120 L4 O4 C\"", "SOUND 0, 2632", "MUSIC \"D\""}), 0);
  EXPECT_EQ(sound.log, (Log{"1500 90 30 64", "1937 90 30 00", "tone 0 1000", "3000 90 32 64",
                            "3437 90 32 00"}));
}

TEST_F(SoundTest, MusicLengthDotsAccidentalsAndStateKeptForTheRun) {
  // A dotted eighth lasts 375 ms; the default length stays 4.
  EXPECT_EQ(Run({"MUSIC \"C8.\"", "MUSIC \"c#\"", "MUSIC \"ML >B- < <D+ MS P2 E\""}), 0);
  EXPECT_EQ(sound.log, (Log{"0 90 30 64", "328 90 30 00",           // C8.: 375 * 7/8
                            "375 90 31 64", "812 90 31 00",           // C# quarter
                            "875 90 46 64", "1375 90 46 00",          // legato B- in octave 5
                            "1375 90 27 64", "1875 90 27 00",         // D+ in octave 3
                            "2875 90 28 64", "3125 90 28 00"}));      // half pause, staccato E
  EXPECT_EQ(sound.now, 3375u);
}

TEST_F(SoundTest, MusicChannelVolumeProgramsAndLimits) {
  EXPECT_EQ(Run({"MUSIC \"K20 V300 C K5 V7 I12 D I200\""}), 0);
  EXPECT_EQ(sound.log, (Log{"0 90 30 7F", "437 90 30 00", "500 C5 0C 00", "500 95 32 07",
                            "937 95 32 00"}));
}

TEST_F(SoundTest, MusicNotesOutsideTheMidiRangeKeepTimeButSendNothing) {
  // Octave 9, a note below 0, an unknown articulation (nothing sounds, nothing waits),
  // tempo 0 (duration 0), digits that overflow a long.
  EXPECT_EQ(Run({"MUSIC \"O9 C O0 C- C MX C MN T0 C T99999999999999999999 L99999999999 C\""}), 0);
  EXPECT_EQ(sound.log, Log{});
  // Three quarters at 120 keep their time: octave 9's C, O0 C- (note -1), O0 C (note 0).
  EXPECT_EQ(sound.now, 1500u);
  EXPECT_EQ(sound.opens, 6);
}

TEST_F(SoundTest, MusicWithoutMidiIsSilentAndTakesNoTime) {
  sound.midi = false;
  EXPECT_EQ(Run({"MUSIC \"C D E F G\""}), 0);
  EXPECT_TRUE(host.events.empty());
  EXPECT_EQ(sound.now, 0u);
}

TEST_F(SoundTest, PlayChordLengthDotsAndPercussionSwap) {
  EXPECT_EQ(Run({"PLAY 61;65;68,4,1"}), 0);
  EXPECT_EQ(sound.log, (Log{"0 90 3C 7F", "0 91 40 7F", "0 92 43 7F", "750 90 3C 00",
                            "750 91 40 00", "750 92 43 00"}));
  sound.log.clear();
  sound.now = 0;
  EXPECT_EQ(Run({"PLAY 10;20;30;40,-1,0"}), 0);
  EXPECT_EQ(sound.log, (Log{"0 C0 0A 00", "0 C1 14 00", "0 C2 1E 00"}));
}

TEST_F(SoundTest, PlayValuesNegativeLengthsAndSixteenChannels) {
  // The fourth value on channel 9, the tenth on 3; negative values are note-offs;
  // values past 128 send nothing; after the fifteenth ";" the rest is the last value.
  EXPECT_EQ(Run({"PLAY 1;0;-1;2;0;0;0;0;0;3;0;0;0;0;0;200,0,0", "PLAY 5;6,-2,0"}), 0);
  EXPECT_EQ(sound.log, (Log{"0 90 00 7F", "0 92 00 00", "0 99 01 7F", "0 93 02 7F"}));
  EXPECT_EQ(sound.opens, 2);
}

TEST_F(SoundTest, PlayWithoutMidiWarns234AndGoesOn) {
  sound.midi = false;
  EXPECT_EQ(Run({"PLAY 61,4,0", "BEEP"}), 0);
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text, "Fehler bei der Tonerzeugung!");
  EXPECT_EQ(sound.log, Log{"beep"});
}

TEST_F(SoundTest, SoundLastsItsDurationAndPlaySoundPassesFourFlags) {
  EXPECT_EQ(Run({"SOUND 440, 1316", "SOUND 440, 0", "SOUND 440, -5", "PLAYSOUND \"c:\\a.wav\", 255"}), 0);
  EXPECT_EQ(sound.log, (Log{"tone 440 500", "wave c:\\a.wav 27"}));
  EXPECT_EQ(sound.now, 500u);
}

TEST(NoteDuration, SixtyFourBitsAndDots) {
  EXPECT_EQ(NoteDuration(120, 4, false), 500);
  EXPECT_EQ(NoteDuration(120, 8, true), 375);
  EXPECT_EQ(NoteDuration(2147483647, 2147483647, false), 0);
  EXPECT_EQ(NoteDuration(1, 1, true), 360000);
  EXPECT_EQ(NoteDuration(-5, 4, false), 0);
  EXPECT_EQ(ChordChannel(3), 9);
  EXPECT_EQ(ChordChannel(9), 3);
  EXPECT_EQ(ChordChannel(15), 15);
}

}  // namespace
}  // namespace talven
