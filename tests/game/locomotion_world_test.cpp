// Player locomotion in the generated default game: walking into a run keeps a smooth, straight
// path, and turning round beside a curtain wall never takes the player through it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "character/character.h"
#include "character/game_world.h"
#include "character/player_controller.h"
#include "console/cvar.h"
#include "console/gl_console.h"
#include "game/camera.h"
#include "game/world.h"
#include "game_fixtures.h"
#include "input/dik_codes.h"
#include "input/input_devices.h"
#include "level/bsp_level.h"
#include "render/offscreen.h"
#include "render/renderer.h"
#include "test_support.h"
#include "world_fixture.h"

namespace kt {
namespace {

constexpr double kStep = 1.0 / 60.0;
// Faster than the run clip ever carries the figure; a frame's step beyond it is a jump.
constexpr float kMaxSpeed = 400.0f;
// Inner faces of the curtain walls (content/levels/castle.txt).
constexpr float kWestFace = -900.0f;
constexpr float kEastFace = 900.0f;
constexpr float kNorthFace = -1500.0f;
constexpr float kSouthFace = 900.0f;

CVector Horizontal(CVector v) {
  v.y = 0.0f;
  return v;
}

class LocomotionWorldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    context_ = OffscreenContext::Create(400, 300);
    if (!context_) GTEST_SKIP() << "no EGL surfaceless context on this machine";
    ResetRenderer();
  }
  void TearDown() override {
    if (GetKeyboard()) GetKeyboard()->KeyUp(kDikUp);
    SetPlayerDeviceSource({});
    CVar<int>("input.use_keyboard", 1) = 1;
    ResetWorld();
    ResetCharacterDrawing();
    ResetRenderer();
  }

  // The default game with only the player acting and the camera following it.
  void Start() {
    WorldPlatform platform;
    platform.input_handles = {.instance = true, .window = true};
    WorldStartup(platform);
    GameWorld* world = GetGameWorld();
    player_ = world->player;  // Frame watches it from the title on
    ASSERT_NE(player_, nullptr);
    test::EnterLevelFromTitle([this] { Frame(); });
    ASSERT_NE(GetConsole(), nullptr);
    if (GetConsole()->IsOpen()) GetConsole()->Toggle();
    test::DisableAllButThePlayer();
    ASSERT_NE(GetCamera(), nullptr);
    GetCamera()->Attach(player_);
    level_ = CurrentLevel();
    ASSERT_TRUE(level_ && level_->loaded());
    ASSERT_NE(GetKeyboard(), nullptr);
  }

  // One frame, keeping the longest horizontal step of the player.
  void Frame() {
    const CVector before = player_->position;
    clock_.Advance(kStep);
    WorldFrame();
    largest_step_ = std::max(largest_step_, Horizontal(player_->position - before).Length());
  }

  // A scripted stick pushed toward the world direction `toward`, as a person would push it:
  // the stick's forward is the camera's view direction.
  void UseStick() {
    CVar<int>("input.use_keyboard", 1) = 0;
    SetPlayerDeviceSource([this] {
      PlayerDevices devices;
      devices.joystick = &stick_;
      return devices;
    });
  }
  void Steer(const CVector& toward) {
    CVector look = Horizontal(player_->position - GetCamera()->position);
    look.Normalize();
    const CVector right = Cross(look, CVector(0.0f, 1.0f, 0.0f));
    CVector w = toward;
    w.Normalize();
    stick_.z = Dot(w, look);
    stick_.x = Dot(w, right);
  }

  // Frames steering toward `toward`, watching the player against the curtain walls.
  void Walk(const CVector& toward, double seconds) {
    const float radius = CVar<float>("character.radius", 20.0f);
    for (int i = 0; i < int(seconds / kStep + 0.5); ++i) {
      Steer(toward);
      Frame();
      const CVector& p = player_->position;
      west_ = std::min(west_, p.x);
      east_ = std::max(east_, p.x);
      north_ = std::min(north_, p.z);
      south_ = std::max(south_, p.z);
      if (const auto plane = level_->Penetration(p, radius))
        deepest_ = std::max(deepest_, radius + plane->distance - Dot(plane->normal, p));
    }
  }

  test::ManualClockScope clock_;
  std::unique_ptr<OffscreenContext> context_;
  Character* player_ = nullptr;
  BspLevel* level_ = nullptr;
  InputState stick_;
  float largest_step_ = 0.0f;
  float west_ = 1e30f, east_ = -1e30f, north_ = 1e30f, south_ = -1e30f;
  float deepest_ = 0.0f;  // deepest overlap of the body with a brush
};

// The forward key held for four seconds with the camera behind: the walk speeds up and the
// run takes over after about a second. No frame's step is longer than a run covers, and the
// path keeps to a line.
TEST_F(LocomotionWorldTest, WalkIntoRunStaysSmoothAndStraight) {
  test::DefaultGameDir game;
  Start();
  // A lane clear of the fountain and the pillars up to the north wall.
  player_->SetPosition(CVector(-250.0f, player_->position.y, 650.0f));
  for (int i = 0; i < int(2.0 / kStep); ++i) Frame();  // the camera comes round behind
  largest_step_ = 0.0f;
  const CVector start = player_->position;
  std::vector<CVector> path;
  GetKeyboard()->KeyDown(kDikUp);
  for (int i = 0; i < int(4.0 / kStep); ++i) {
    Frame();
    path.push_back(player_->position);
  }
  GetKeyboard()->KeyUp(kDikUp);
  CVector line = Horizontal(player_->position - start);
  const float travelled = line.Length();
  ASSERT_GT(travelled, 200.0f) << "the player did not move off";
  line = line / travelled;
  float off_line = 0.0f;
  for (const CVector& p : path) {
    const CVector v = Horizontal(p - start);
    off_line = std::max(off_line, (v - line * Dot(v, line)).Length());
  }
  std::printf("travelled %.0f, largest step %.2f (%.0f units/s), furthest off the line %.1f\n",
              travelled, largest_step_, largest_step_ / kStep, off_line);
  EXPECT_LE(largest_step_, kMaxSpeed * float(kStep)) << "the player lurched";
  EXPECT_LE(off_line, 0.1f * travelled) << "the player wandered off its line";
  EXPECT_TRUE(test::LevelStillRunning()) << "the game flow took the player's controls";
}

// Running at the west curtain wall and turning round there, once mid-wall and once near the
// south-west tower: the body meets the wall and is held out of it, and turning carries it
// neither into the wall nor across the courtyard into the south wall.
TEST_F(LocomotionWorldTest, TurningRoundAtAWallStaysInside) {
  test::DefaultGameDir game;
  Start();
  UseStick();
  const CVector west(-1.0f, 0.0f, 0.0f);
  const CVector east(1.0f, 0.0f, 0.0f);
  for (const float z : {300.0f, 760.0f}) {
    SCOPED_TRACE(z);
    player_->SetPosition(CVector(kWestFace + 300.0f, player_->position.y, z));
    Walk(east, 1.0);  // to a stand facing away from the wall
    west_ = north_ = 1e30f;
    east_ = south_ = -1e30f;
    deepest_ = 0.0f;
    largest_step_ = 0.0f;
    Walk(west, 3.0);  // into a run, up against the wall
    const CVector at_wall = player_->position;
    EXPECT_LT(at_wall.x, kWestFace + 60.0f) << "the player did not reach the wall";
    Walk(east, 0.5);  // round
    Walk(west, 0.5);  // and back at the wall
    Walk(east, 2.0);  // and away
    std::printf(
        "from z %.0f: at the wall %.1f %.1f; x %.1f..%.1f, z %.1f..%.1f, deepest %.2f, largest "
        "step %.2f (%.0f units/s)\n",
        z, at_wall.x, at_wall.z, west_, east_, north_, south_, deepest_, largest_step_,
        largest_step_ / kStep);
    EXPECT_GT(west_, kWestFace) << "through the west wall";
    EXPECT_LT(east_, kEastFace);
    EXPECT_GT(north_, kNorthFace);
    EXPECT_LT(south_, kSouthFace) << "through the south wall";
    // The body's radius is 20; it may overlap a face for a frame before the push-out.
    EXPECT_LT(deepest_, 12.0f) << "into a wall";
    EXPECT_LE(largest_step_, kMaxSpeed * float(kStep)) << "the player lurched";
    EXPECT_GT(player_->position.x, at_wall.x + 100.0f) << "the player did not walk away";
  }
  EXPECT_TRUE(test::LevelStillRunning()) << "the game flow took the player's controls";
}

}  // namespace
}  // namespace kt
