// Shared fixture of the tests that run the whole world on the generated default game: an
// offscreen context, the manual clock, frames of 1/60 s, keys, and the way from the title into
// the level.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "game/world.h"
#include "render/offscreen.h"
#include "test_support.h"

namespace kt::test {

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

class WorldTest : public ::testing::Test {
 protected:
  explicit WorldTest(int width = 400, int height = 300) : width_(width), height_(height) {}
  void SetUp() override;
  void TearDown() override;

  // World start-up with a keyboard (the program's platform without its toolkit hooks).
  void StartWorld();
  void EnterLevel() {
    EnterLevelFromTitle([this] { Frame(); });
  }
  // One frame after 1/60 s; frames for a stretch of simulated time.
  void Frame();
  void RunFrames(double seconds);
  // Down for one frame, up for the next.
  void Tap(int dik);

  ManualClockScope clock_;
  std::unique_ptr<OffscreenContext> context_;

 private:
  int width_;
  int height_;
};

}  // namespace kt::test
