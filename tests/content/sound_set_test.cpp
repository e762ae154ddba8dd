// Sounds: every name the game plays, openable by SDL2_mixer (the game's sound library here),
// music that seeks (its lengths are the generated-tree test's).
#include "sound_set.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "test_support.h"

namespace kt::content {
namespace {

class Mixer : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
    Mix_Init(MIX_INIT_MP3);
    ASSERT_EQ(Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 1024), 0) << Mix_GetError();
  }
  static void TearDownTestSuite() {
    Mix_CloseAudio();
    Mix_Quit();
    SDL_Quit();
  }
};

TEST(Sounds, EveryNameTheGamePlays) {
  std::vector<std::string> names = SoundNames();
  std::vector<std::string> expected = {
      "data/sounds/opening.mp3",        "data/sounds/castlevania.mp3",
      "data/sounds/boss.mp3",           "data/sounds/win.mp3",
      "data/sounds/nukem_who_some.wav", "data/sound/nukem_damnimgood.wav",
      "data/sounds/hurt1.wav",          "data/sounds/hurt2.wav",
      "data/sounds/hurt3.wav",          "data/sounds/bosshurt.wav",
      "data/sounds/death.wav",          "data/sounds/swordswing1.wav",
      "data/sounds/swordswing2.wav",    "data/sounds/laugh1.wav",
      "data/sounds/laugh2.wav",         "data/sounds/laugh3.wav",
      "data/sounds/teleport.wav",       "data/sounds/teleport2.wav"};
  std::sort(names.begin(), names.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(names, expected);
}

// Opening them as the game does is the generated-tree test's.
TEST(Sounds, EffectsAreAudibleAndUnclipped) {
  for (const std::string& path : SoundNames()) {
    if (!path.ends_with(".wav")) continue;
    const std::string effect =
        path.substr(path.find_last_of('/') + 1, path.size() - 4 - path.find_last_of('/') - 1);
    const std::string key = effect == "nukem_who_some"     ? "who_some"
                            : effect == "nukem_damnimgood" ? "damnimgood"
                                                           : effect;
    const Samples s = MakeEffect(key);
    ASSERT_GT(s.size(), size_t(kSoundRate / 10)) << path;
    float peak = 0;
    for (float v : s) peak = std::max(peak, std::abs(v));
    EXPECT_GT(peak, 0.3f) << path;
    EXPECT_LE(peak, 1.0f) << path;
  }
}

TEST_F(Mixer, MusicOpensAsMp3AndSeeks) {
  test::ScratchDir dir;
  const Samples win = MakeMusic("win");
  test::WriteFile("win.mp3", EncodeMp3(win, kSoundRate, 64));
  Mix_Music* music = Mix_LoadMUS("win.mp3");
  ASSERT_NE(music, nullptr) << Mix_GetError();
  EXPECT_NEAR(Mix_MusicDuration(music), MusicSeconds("win"), 0.5);
  ASSERT_EQ(Mix_PlayMusic(music, -1), 0);
  EXPECT_EQ(Mix_SetMusicPosition(20.0), 0);
  Mix_HaltMusic();
  Mix_FreeMusic(music);
}

}  // namespace
}  // namespace kt::content
