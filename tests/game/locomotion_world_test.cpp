// Player locomotion in the generated default game: walking into a run keeps a smooth, straight
// path, and turning round beside a curtain wall never takes the player through it.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "console/cvar.h"
#include "game/camera.h"
#include "game_fixtures.h"
#include "input/dik_codes.h"
#include "level/bsp_level.h"
#include "world_fixture.h"

namespace kt {
namespace {

using test::Horizontal;
using test::kFrameStep;

// Faster than the run clip ever carries the figure; a frame's step beyond it is a jump.
constexpr float kMaxStep = 400.0f * kFrameStep;
// Inner faces of the curtain walls (content/levels/castle.txt).
constexpr float kWestFace = -900.0f, kEastFace = 900.0f, kNorthFace = -1500.0f, kSouthFace = 900.0f;

class LocomotionWorldTest : public test::WorldTest {
 protected:
  // Frames steering toward `toward` (or with the keys as they are), keeping the longest
  // horizontal step, the extent of the path and the body's deepest overlap with a brush.
  void Walk(double seconds, const CVector* toward = nullptr) {
    const float radius = CVar<float>("character.radius", 20.0f);
    for (int i = 0; i < int(seconds / kFrameStep + 0.5); ++i) {
      if (toward) Steer(*toward);
      const CVector before = player_->position;
      Frame();
      const CVector& p = player_->position;
      path_.push_back(p);
      largest_step_ = std::max(largest_step_, Horizontal(p - before).Length());
      west_ = std::min(west_, p.x);
      east_ = std::max(east_, p.x);
      north_ = std::min(north_, p.z);
      south_ = std::max(south_, p.z);
      deepest_ = std::max(deepest_, test::PenetrationDepth(p, radius));
    }
  }
  void Forget() {
    path_.clear();
    largest_step_ = deepest_ = 0.0f;
    west_ = north_ = 1e30f;
    east_ = south_ = -1e30f;
  }

  std::vector<CVector> path_;
  float largest_step_ = 0.0f, deepest_ = 0.0f;
  float west_ = 1e30f, east_ = -1e30f, north_ = 1e30f, south_ = -1e30f;
};

// The forward key held for four seconds with the camera behind: the walk speeds up and the
// run takes over after about a second. No frame's step is longer than a run covers, and the
// path keeps to a line.
TEST_F(LocomotionWorldTest, WalkIntoRunStaysSmoothAndStraight) {
  test::DefaultGameDir game;
  StartPlayerAlone();
  // A lane clear of the fountain and the pillars up to the north wall.
  player_->SetPosition(CVector(-250.0f, player_->position.y, 650.0f));
  RunFrames(2.0);  // the camera comes round behind
  Forget();
  const CVector start = player_->position;
  GetKeyboard()->KeyDown(kDikUp);
  Walk(4.0);
  GetKeyboard()->KeyUp(kDikUp);
  CVector line = Horizontal(player_->position - start);
  const float travelled = line.Length();
  ASSERT_GT(travelled, 200.0f) << "the player did not move off";
  line = line / travelled;
  float off_line = 0.0f;
  for (const CVector& p : path_) {
    const CVector v = Horizontal(p - start);
    off_line = std::max(off_line, (v - line * Dot(v, line)).Length());
  }
  EXPECT_LE(largest_step_, kMaxStep) << "the player lurched";
  EXPECT_LE(off_line, 0.1f * travelled) << "the player wandered off its line";
  EXPECT_TRUE(test::LevelStillRunning()) << "the game flow took the player's controls";
}

// Running at the west curtain wall and turning round there, once mid-wall and once near the
// south-west tower: the body meets the wall and is held out of it, and turning carries it
// neither into the wall nor across the courtyard into the south wall.
TEST_F(LocomotionWorldTest, TurningRoundAtAWallStaysInside) {
  test::DefaultGameDir game;
  StartPlayerAlone();
  UseStick();
  const CVector west(-1.0f, 0.0f, 0.0f), east(1.0f, 0.0f, 0.0f);
  for (const float z : {300.0f, 760.0f}) {
    SCOPED_TRACE(z);
    player_->SetPosition(CVector(kWestFace + 300.0f, player_->position.y, z));
    Walk(1.0, &east);  // to a stand facing away from the wall
    Forget();
    Walk(3.0, &west);  // into a run, up against the wall
    const CVector at_wall = player_->position;
    EXPECT_LT(at_wall.x, kWestFace + 60.0f) << "the player did not reach the wall";
    Walk(0.5, &east);  // round
    Walk(0.5, &west);  // and back at the wall
    Walk(2.0, &east);  // and away
    EXPECT_GT(west_, kWestFace) << "through the west wall";
    EXPECT_LT(east_, kEastFace);
    EXPECT_GT(north_, kNorthFace);
    EXPECT_LT(south_, kSouthFace) << "through the south wall";
    // The body's radius is 20; it may overlap a face for a frame before the push-out.
    EXPECT_LT(deepest_, 12.0f) << "into a wall";
    EXPECT_LE(largest_step_, kMaxStep) << "the player lurched";
    EXPECT_GT(player_->position.x, at_wall.x + 100.0f) << "the player did not walk away";
  }
  EXPECT_TRUE(test::LevelStillRunning()) << "the game flow took the player's controls";
}

}  // namespace
}  // namespace kt
