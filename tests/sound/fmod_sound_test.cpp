// FMODSound on SDL's dummy audio driver (ctest sets SDL_AUDIODRIVER=dummy).
#include "sound/fmod_sound.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "console/log.h"
#include "test_support.h"

namespace kt {
namespace {

class LogLines : public LogSink {
 public:
  LogLines() : previous_(GetLogSink()) { SetLogSink(this); }
  ~LogLines() override { SetLogSink(previous_); }
  void Print(const std::string& text, int) override { lines.push_back(text); }
  int Count(const std::string& part) const {
    int n = 0;
    for (const std::string& line : lines) n += line.find(part) != std::string::npos;
    return n;
  }
  std::vector<std::string> lines;

 private:
  LogSink* previous_;
};

void Put16(std::ofstream& out, uint16_t v) { out.put(char(v & 0xff)).put(char(v >> 8)); }
void Put32(std::ofstream& out, uint32_t v) {
  Put16(out, uint16_t(v & 0xffff));
  Put16(out, uint16_t(v >> 16));
}

// A mono 16-bit tone of the given length.
void WriteWav(const std::string& path, double seconds, int rate = 8000) {
  const uint32_t frames = uint32_t(seconds * rate);
  std::ofstream out(path, std::ios::binary);
  out.write("RIFF", 4);
  Put32(out, 36 + frames * 2);
  out.write("WAVEfmt ", 8);
  Put32(out, 16);
  Put16(out, 1);
  Put16(out, 1);
  Put32(out, uint32_t(rate));
  Put32(out, uint32_t(rate) * 2);
  Put16(out, 2);
  Put16(out, 16);
  out.write("data", 4);
  Put32(out, frames * 2);
  for (uint32_t i = 0; i < frames; ++i)
    Put16(out, uint16_t(int16_t(8000.0 * std::sin(i * 2.0 * M_PI * 440.0 / rate))));
}

class FMODSoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Never a real sound card, even when run outside ctest.
    setenv("SDL_AUDIODRIVER", "dummy", 0);
  }
  test::ScratchDir dir_{"fmod_sound"};
};

TEST_F(FMODSoundTest, BecomesTheSingletonAndOpensTheDummyDevice) {
  {
    FMODSound sound;
    EXPECT_EQ(GetSound(), &sound);
    EXPECT_TRUE(sound.Initialised());
  }
  EXPECT_EQ(GetSound(), nullptr);
}

TEST_F(FMODSoundTest, MusicStartsAtTheOffsetAndReplayingRestartsIt) {
  WriteWav("boss.wav", 70.0);
  FMODSound sound;
  ASSERT_TRUE(sound.Initialised());
  sound.PlayMusic("boss.wav", 60.0f);
  ASSERT_TRUE(sound.MusicPlaying());
  EXPECT_NEAR(sound.MusicPosition(), 60.0, 0.5);

  // The same track again goes back to the start time it is given.
  sound.PlayMusic("boss.wav", 3.0f);
  ASSERT_TRUE(sound.MusicPlaying());
  EXPECT_NEAR(sound.MusicPosition(), 3.0, 0.5);
  sound.PlayMusic("boss.wav", 0.0f);
  EXPECT_NEAR(sound.MusicPosition(), 0.0, 0.5);
}

TEST_F(FMODSoundTest, MissingTrackLogsAndStopsThePreviousOne) {
  WriteWav("level.wav", 5.0);
  FMODSound sound;
  sound.PlayMusic("level.wav", 0.0f);
  ASSERT_TRUE(sound.MusicPlaying());
  LogLines log;
  sound.PlayMusic("data/sounds/none.mp3", 0.0f);
  EXPECT_EQ(log.Count("FMODSound: Cannot load track - data/sounds/none.mp3"), 1);
  EXPECT_FALSE(sound.MusicPlaying());
  EXPECT_LT(sound.MusicPosition(), 0.0);
}

TEST_F(FMODSoundTest, ManyEffectsAtOnceEachGetAChannel) {
  WriteWav("hurt1.wav", 2.0);
  WriteWav("hurt2.wav", 2.0);
  FMODSound sound;
  ASSERT_TRUE(sound.Initialised());
  for (int i = 0; i < 20; ++i) sound.PlaySound(i % 2 ? "hurt1.wav" : "hurt2.wav");
  EXPECT_EQ(sound.PlayingChannels(), 20);
  EXPECT_EQ(sound.CachedEffects(), 2u);
}

TEST_F(FMODSoundTest, RepeatedEffectIsLoadedOnce) {
  WriteWav("swordswing1.wav", 0.2);
  FMODSound sound;
  ASSERT_TRUE(sound.Initialised());
  for (int i = 0; i < 10000; ++i) sound.PlaySound("swordswing1.wav");
  EXPECT_EQ(sound.EffectLoads(), 1);
  EXPECT_EQ(sound.CachedEffects(), 1u);
  // Channels run out long before 10,000; busy ones are never stolen or grown.
  EXPECT_LE(sound.PlayingChannels(), 64);
}

TEST_F(FMODSoundTest, MissingEffectLogsOnceAndPlaysNothing) {
  FMODSound sound;
  ASSERT_TRUE(sound.Initialised());
  LogLines log;
  for (int i = 0; i < 3; ++i) sound.PlaySound("data/sounds/missing.wav");
  EXPECT_EQ(log.Count("data/sounds/missing.wav"), 1);
  EXPECT_EQ(sound.PlayingChannels(), 0);
  EXPECT_EQ(sound.EffectLoads(), 1);
}

TEST_F(FMODSoundTest, WithoutAnAudioDeviceTheGameRunsSilently) {
  LogLines log;
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  {
    FMODSound sound;
    EXPECT_FALSE(sound.Initialised());
    sound.PlayMusic("boss.wav", 60.0f);
    sound.PlaySound("hurt1.wav");
    EXPECT_FALSE(sound.MusicPlaying());
    EXPECT_EQ(sound.PlayingChannels(), 0);
  }
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  EXPECT_EQ(log.Count("FMODSound: Cannot initialize sound!!"), 1);
}

}  // namespace
}  // namespace kt
