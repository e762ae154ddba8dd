// FMODSound on SDL's dummy audio driver (ctest sets SDL_AUDIODRIVER=dummy).
#include "sound/fmod_sound.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "log_capture.h"
#include "test_support.h"

namespace kt {
namespace {

using test::LogCapture;

// A mono 16-bit 440 Hz tone of the given length at 8 kHz.
void WriteWav(const std::string& path, double seconds) {
  const uint32_t rate = 8000, frames = uint32_t(seconds * rate);
  std::string out;
  auto put = [&](uint32_t v, int bytes) {
    for (int k = 0; k < bytes; ++k) out.push_back(char((v >> (8 * k)) & 0xff));
  };
  out += "RIFF";
  put(36 + frames * 2, 4);
  out += "WAVEfmt ";
  for (uint32_t v : {16u, 1u << 16 | 1u, rate, rate * 2, 16u << 16 | 2u}) put(v, 4);
  out += "data";
  put(frames * 2, 4);
  for (uint32_t i = 0; i < frames; ++i)
    put(uint16_t(int16_t(8000.0 * std::sin(i * 2.0 * M_PI * 440.0 / rate))), 2);
  test::WriteFile(path, out);
}

class FMODSoundTest : public ::testing::Test {
 protected:
  // Never a real sound card, even when run outside ctest.
  void SetUp() override { setenv("SDL_AUDIODRIVER", "dummy", 0); }
  test::ScratchDir dir_{"fmod_sound"};
};

TEST_F(FMODSoundTest, MusicStartsAtTheOffsetAndReplayingRestartsIt) {
  WriteWav("boss.wav", 70.0);
  {
    FMODSound sound;
    EXPECT_EQ(GetSound(), &sound);
    ASSERT_TRUE(sound.Initialised());
    sound.PlayMusic("boss.wav", 60.0f);
    ASSERT_TRUE(sound.MusicPlaying());
    EXPECT_NEAR(sound.MusicPosition(), 60.0, 0.5);
    // The same track again goes back to the start time it is given.
    sound.PlayMusic("boss.wav", 3.0f);
    ASSERT_TRUE(sound.MusicPlaying());
    EXPECT_NEAR(sound.MusicPosition(), 3.0, 0.5);
  }
  EXPECT_EQ(GetSound(), nullptr);
}

TEST_F(FMODSoundTest, MissingFilesLogOnceAndStopTheTrack) {
  WriteWav("level.wav", 5.0);
  FMODSound sound;
  sound.PlayMusic("level.wav", 0.0f);
  ASSERT_TRUE(sound.MusicPlaying());
  LogCapture log;
  sound.PlayMusic("data/sounds/none.mp3", 0.0f);
  EXPECT_EQ(log.Count("FMODSound: Cannot load track - data/sounds/none.mp3"), 1);
  EXPECT_FALSE(sound.MusicPlaying());
  EXPECT_LT(sound.MusicPosition(), 0.0);

  for (int i = 0; i < 3; ++i) sound.PlaySound("data/sounds/missing.wav");
  EXPECT_EQ(log.Count("data/sounds/missing.wav"), 1);
  EXPECT_EQ(sound.PlayingChannels(), 0);
  EXPECT_EQ(sound.EffectLoads(), 1);
}

TEST_F(FMODSoundTest, EffectsAreLoadedOnceAndEachGetsAChannelWhileAnyAreFree) {
  WriteWav("hurt1.wav", 2.0);
  WriteWav("hurt2.wav", 2.0);
  FMODSound sound;
  ASSERT_TRUE(sound.Initialised());
  for (int i = 0; i < 20; ++i) sound.PlaySound(i % 2 ? "hurt1.wav" : "hurt2.wav");
  EXPECT_EQ(sound.PlayingChannels(), 20);
  for (int i = 0; i < 10000; ++i) sound.PlaySound("hurt1.wav");
  EXPECT_EQ(sound.EffectLoads(), 2);
  EXPECT_EQ(sound.CachedEffects(), 2u);
  // Channels run out long before 10,000; busy ones are never stolen or grown.
  EXPECT_LE(sound.PlayingChannels(), 64);
}

TEST_F(FMODSoundTest, WithoutAnAudioDeviceTheGameRunsSilently) {
  LogCapture log;
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
