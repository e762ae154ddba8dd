// Shared fixture of the tests that run the whole world on the generated default game: an
// offscreen context, the manual clock, frames of 1/60 s, keys, a scripted stick, recorded
// sounds and the way from the title into the level.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "character/character.h"
#include "game/world.h"
#include "input/input_devices.h"
#include "render/offscreen.h"
#include "sound/sound_system.h"
#include "test_support.h"

namespace kt::test {

constexpr double kFrameStep = 1.0 / 60.0;

inline CVector Horizontal(CVector v) {
  v.y = 0.0f;
  return v;
}

// How deep a sphere at `p` reaches into the level's nearest brush (0 when it is clear).
float PenetrationDepth(const CVector& p, float radius);

// From the title into the level, the opening skipped: Enter on "start game", then frames
// (each one `frame()`, which must advance the clock and run the world's frame) until the level
// runs with every fighter but the boss awake.
void EnterLevelFromTitle(const std::function<void()>& frame);

// Only the player acts: every other character is disabled (not updated, drawn or collided
// with) but stays in the world's list. Taking the guards off the list instead would leave the
// level without opponents, which ends it on its next step and starts the boss fight (camera on
// the boss, player without controls).
void DisableAllButThePlayer();
// The level is still being played: no boss fight, lost game or pause took over.
bool LevelStillRunning();

// Becomes the sound singleton and keeps what was played.
class RecordingSound : public SoundSystem {
 public:
  void PlayMusic(const std::string& file, float start) override { music.emplace_back(file, start); }
  void PlaySound(const std::string& file) override { effects.push_back(file); }
  int Count(const std::string& file) const;
  bool MusicPlayed(const std::string& file, float start) const;
  std::vector<std::pair<std::string, float>> music;
  std::vector<std::string> effects;
};

class WorldTest : public ::testing::Test {
 protected:
  explicit WorldTest(int width = 400, int height = 300) : width_(width), height_(height) {}
  void SetUp() override;
  void TearDown() override;

  // World start-up with a keyboard (the program's platform without its toolkit hooks);
  // `quit` receives the exit code when the game asks to end. player_ is the scene's player,
  // when it has one.
  void StartWorld(std::function<void(int)> quit = {});
  void EnterLevel() {
    EnterLevelFromTitle([this] { Frame(); });
  }
  // Start-up and into the level with only the player acting, the console closed and the
  // camera on the player; player_ is known before the title's frames.
  void StartPlayerAlone();
  // One frame after 1/60 s; frames for a stretch of simulated time.
  void Frame();
  void RunFrames(double seconds);
  // Frames until `until` holds, for at most `seconds`; true when it did.
  bool RunUntil(double seconds, const std::function<bool()>& until);
  // Down for one frame, up for the next.
  void Tap(int dik);
  // The player driven by a scripted stick pushed toward a world direction, as a person would
  // push it: the stick's forward is the camera's view direction.
  void UseStick();
  void Steer(const CVector& toward);
  // A PNG of the current frame in the shots folder, for a person to look at.
  void Shot(const std::string& file);

  ManualClockScope clock_;
  std::unique_ptr<OffscreenContext> context_;
  Character* player_ = nullptr;
  InputState stick_;

 private:
  int width_;
  int height_;
};

}  // namespace kt::test
