// The chase camera in the generated default game: it settles behind and above the player, and
// keeps out of the castle walls and in sight of the player while the player walks along one.
// Frames of both are kept as PNGs for a person to look at.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "character/character.h"
#include "character/game_world.h"
#include "character/player_controller.h"
#include "console/cvar.h"
#include "console/gl_console.h"
#include "game/camera.h"
#include "game/game_state.h"
#include "game/world.h"
#include "game_fixtures.h"
#include "input/dik_codes.h"
#include "level/bsp_level.h"
#include "render/offscreen.h"
#include "render/renderer.h"
#include "test_support.h"
#include "world_fixture.h"

namespace kt {
namespace {

constexpr double kStep = 1.0 / 60.0;

// The east curtain wall's inner face (the wall spans x 900..940, z -1540..900), and the top of
// the raised walkway along it (x 700..900, z -1100..500).
constexpr float kEastWallFace = 900.0f;
constexpr float kWalkwayTop = 64.0f;

bool Finite(const CVector& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

CVector Horizontal(CVector v) {
  v.y = 0.0f;
  return v;
}

// What the camera saw over a stretch of frames.
struct CameraRecord {
  int frames = 0;
  int non_finite = 0;
  float deepest = 0.0f;     // deepest overlap of the camera sphere with a brush
  int penetrating_run = 0;  // longest run of consecutive frames overlapping by > 1 unit
  int run = 0;
  float largest_step = 0.0f;  // largest move in one frame
  int blocked = 0;            // frames whose line of sight to the player is blocked
  float nearest = 1e30f;      // horizontal distance to the player
  float farthest = 0.0f;
};

class CameraWorldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    context_ = OffscreenContext::Create(400, 300);
    if (!context_) GTEST_SKIP() << "no EGL surfaceless context on this machine";
    ResetRenderer();
  }
  void TearDown() override {
    SetPlayerDeviceSource({});
    if (run_thresh_) run_thresh_var_ = *run_thresh_;
    CVar<int>("input.use_keyboard", 1) = 1;
    ResetWorld();
    ResetCharacterDrawing();
    ResetRenderer();
  }

  // The default game with only the player acting (the guards and the boss would come for
  // it), the console closed and the camera attached to the player.
  void Start() {
    WorldPlatform platform;
    platform.input_handles = {.instance = true, .window = true};
    WorldStartup(platform);
    GameWorld* world = GetGameWorld();
    player_ = world->player;  // Frame watches both from the title on
    ASSERT_NE(player_, nullptr);
    camera_ = GetCamera();
    ASSERT_NE(camera_, nullptr);
    test::EnterLevelFromTitle([this] { Frame(); });
    ASSERT_NE(GetConsole(), nullptr);
    if (GetConsole()->IsOpen()) GetConsole()->Toggle();
    test::DisableAllButThePlayer();
    camera_->Attach(player_);
    // A walk throughout: the run clip's root sways too far sideways to steer along a wall.
    run_thresh_ = run_thresh_var_;
    run_thresh_var_ = 2.0f;
    level_ = CurrentLevel();
    ASSERT_TRUE(level_ && level_->loaded());
  }

  // The point the camera is pulled towards: hdist behind the player's corrected facing and
  // vdist above it.
  CVector FollowPoint() const {
    const CQuaternion q =
        CQuaternion::FromEuler(0.0f, CVar<float>("camera.facing_corr", -16.0f), 0.0f) *
        player_->orientation;
    CVector facing = q.RowAxis(0);
    facing.y = 0.0f;
    return player_->position + facing * -float(CVar<float>("camera.hdist", 4.8f)) +
           CVector(0.0f, CVar<float>("camera.vdist", 2.2f), 0.0f);
  }

  void Frame(CameraRecord* record = nullptr) {
    const CVector before = camera_->position;
    clock_.Advance(kStep);
    WorldFrame();
    if (!record) return;
    const CVector& p = camera_->position;
    ++record->frames;
    if (!Finite(p)) {
      ++record->non_finite;
      return;
    }
    record->largest_step = std::max(record->largest_step, (p - before).Length());
    const float radius = CVar<float>("camera.radius", 30.0f);
    float depth = 0.0f;
    if (const auto plane = level_->Penetration(p, radius))
      depth = radius + plane->distance - Dot(plane->normal, p);
    record->deepest = std::max(record->deepest, depth);
    record->run = depth > 1.0f ? record->run + 1 : 0;
    record->penetrating_run = std::max(record->penetrating_run, record->run);
    // Sight line from the eye to the player's pelvis.
    if (level_->Trace(p, player_->position - p, 0.0f) < 1.0f) ++record->blocked;
    const float h = Horizontal(p - player_->position).Length();
    record->nearest = std::min(record->nearest, h);
    record->farthest = std::max(record->farthest, h);
  }

  void RunFramesFor(double seconds) {
    for (int i = 0; i < int(seconds / kStep + 0.5); ++i) Frame();
  }

  void Shot(const char* name) {
    std::filesystem::create_directories(KT_SHOT_DIR);
    EXPECT_TRUE(context_->SavePNG(std::string(KT_SHOT_DIR) + "/" + name));
  }

  // Steers the player (through a scripted stick) in the world direction `toward`, as a person
  // would: the stick's forward is the camera's view direction.
  void Steer(const CVector& toward) {
    CVector look = Horizontal(player_->position - camera_->position);
    look.Normalize();
    const CVector right = Cross(look, CVector(0.0f, 1.0f, 0.0f));
    CVector w = toward;
    w.Normalize();
    stick_.z = Dot(w, look);
    stick_.x = Dot(w, right);
  }
  void UseStick() {
    CVar<int>("input.use_keyboard", 1) = 0;
    SetPlayerDeviceSource([this] {
      PlayerDevices devices;
      devices.joystick = &stick_;
      return devices;
    });
  }

  static void ExpectSound(const CameraRecord& r, const char* what) {
    SCOPED_TRACE(what);
    EXPECT_EQ(r.non_finite, 0);
    // Following and the push-out each move at most camera.max_velocity per second.
    const float limit = 2.0f * float(CVar<float>("camera.max_velocity", 37.0f)) * float(kStep);
    EXPECT_LE(r.largest_step, limit + 0.5f) << "the camera jumped";
    // A sphere grazing a wall is pushed out over a few frames, never held inside it.
    EXPECT_LE(r.deepest, 12.0f) << "the camera sank into a wall";
    EXPECT_LE(r.penetrating_run, 10) << "the camera stayed inside a wall";
    EXPECT_EQ(r.blocked, 0) << "a wall hid the player";
    std::printf(
        "[%s] %d frames: deepest %.2f, longest overlap %d frames, largest step %.2f, "
        "sight blocked %d, horizontal distance %.0f..%.0f\n",
        what, r.frames, r.deepest, r.penetrating_run, r.largest_step, r.blocked, r.nearest,
        r.farthest);
  }

  test::ManualClockScope clock_;
  std::unique_ptr<OffscreenContext> context_;
  Character* player_ = nullptr;
  Camera* camera_ = nullptr;
  BspLevel* level_ = nullptr;
  InputState stick_;
  CVar<float> run_thresh_var_{"character.runThresh", 0.75f};
  std::optional<float> run_thresh_;
};

// Standing, then walking with the forward key held: the camera comes round behind the player
// and above it, at about the following distance, and stays there.
TEST_F(CameraWorldTest, SettlesBehindAndAboveThePlayer) {
  test::DefaultGameDir game;
  Start();
  const float hdist = CVar<float>("camera.hdist", 4.8f);
  const float vdist = CVar<float>("camera.vdist", 2.2f);
  ASSERT_FLOAT_EQ(hdist, 170.0f);  // the game folder's cvar.ini
  ASSERT_FLOAT_EQ(vdist, 90.0f);

  CameraRecord settling;
  for (int i = 0; i < int(5.0 / kStep); ++i) Frame(&settling);
  ExpectSound(settling, "settling");
  const auto expect_behind = [&](const char* what) {
    SCOPED_TRACE(what);
    const CVector& cam = camera_->position;
    const CVector offset = cam - player_->position;
    // The dead zone lets it rest anywhere within some 30 units of the following point.
    EXPECT_LT(Horizontal(cam - FollowPoint()).Length(), 60.0f);
    EXPECT_NEAR(Horizontal(offset).Length(), hdist, 40.0f);
    EXPECT_GT(offset.y, vdist * 0.5f);
    EXPECT_LT(offset.y, vdist * 1.5f);
    // Behind: the player faces away from the camera.
    CVector facing = player_->orientation.RowAxis(0);
    facing.y = 0.0f;
    facing.Normalize();
    CVector back = Horizontal(offset);
    back.Normalize();
    EXPECT_LT(Dot(facing, back), -0.8f);
  };
  // Standing, it comes to rest where its pull vanishes: hdist from the player, above it.
  const CVector rest = camera_->position - player_->position;
  EXPECT_NEAR(rest.Length(), hdist, 15.0f);
  EXPECT_GT(rest.y, 0.0f);
  Shot("camera_behind_standing.png");

  // Forward is away from the camera: the player walks off and the camera keeps behind it.
  const CVector start = player_->position;
  GetKeyboard()->KeyDown(kDikUp);
  CameraRecord walking;
  for (int i = 0; i < int(4.0 / kStep); ++i) Frame(&walking);
  GetKeyboard()->KeyUp(kDikUp);
  CameraRecord stopping;
  for (int i = 0; i < int(2.0 / kStep); ++i) Frame(&stopping);
  ExpectSound(walking, "walking");
  ExpectSound(stopping, "stopping");
  EXPECT_GT(Horizontal(player_->position - start).Length(), 150.0f) << "the player did not walk";
  EXPECT_LT(walking.farthest, hdist + 60.0f);
  expect_behind("after the walk");
  Shot("camera_behind_walking.png");
  EXPECT_TRUE(test::LevelStillRunning()) << "the game flow took the camera or the player";
}

// On the walkway along the east curtain wall, a shoulder's width from it, walking north: the
// camera's following point, swung 16 degrees off the player's back, lies inside the wall, so
// the camera rides along the wall face, pushed out of it every frame.
TEST_F(CameraWorldTest, StaysOutOfTheWallWhileThePlayerWalksAlongIt) {
  test::DefaultGameDir game;
  Start();
  constexpr float kLane = kEastWallFace - 45.0f;
  const float pelvis = player_->position.y;  // above the courtyard floor, at y 0
  player_->SetPosition(CVector(kLane, kWalkwayTop + pelvis, 420.0f));
  UseStick();
  const auto walk = [&](double seconds, CameraRecord* record) {
    for (int i = 0; i < int(seconds / kStep + 0.5); ++i) {
      // Back to the lane when drifting off it.
      Steer(CVector((kLane - player_->position.x) * 0.02f, 0.0f, -1.0f));
      Frame(record);
    }
  };
  CameraRecord start;
  walk(4.0, &start);  // the camera comes over from the scene's first view
  const float start_z = player_->position.z;
  // Shoved a third of its radius into the wall, the camera is out again within three frames.
  const float radius = CVar<float>("camera.radius", 30.0f);
  camera_->position.x = kEastWallFace - radius + 10.0f;
  int frames_inside = 0;
  for (; frames_inside < 30; ++frames_inside) {
    walk(kStep, nullptr);
    const auto plane = level_->Penetration(camera_->position, radius);
    if (!plane || radius + plane->distance - Dot(plane->normal, camera_->position) < 0.5f) break;
  }
  EXPECT_LE(frames_inside, 3);
  CameraRecord along;
  walk(8.0, &along);
  ExpectSound(along, "along the wall");
  Shot("camera_wall_walk.png");
  std::printf("player %.0f %.0f %.0f, camera %.0f %.0f %.0f, out of the wall after %d frames\n",
              player_->position.x, player_->position.y, player_->position.z, camera_->position.x,
              camera_->position.y, camera_->position.z, frames_inside);
  EXPECT_LT(player_->position.z, start_z - 150.0f) << "the player did not walk north";
  // Near the wall, on the walkway or just off its inner edge.
  EXPECT_GT(player_->position.x, 650.0f) << "the player left the wall";
  EXPECT_TRUE(test::LevelStillRunning()) << "the game flow took the camera or the player";
}

// The boss introduction, as when the last guard falls: the view cuts to the boss and circles
// it, then goes back to the player (who may be far off, behind walls) and settles behind it
// again: it flies back within the speed limit, is never left inside a wall, and ends with the
// player in sight.
TEST_F(CameraWorldTest, ComesBackToThePlayerAfterTheBossIntroduction) {
  test::DefaultGameDir game;
  Start();
  Character* boss = GetGameWorld()->boss;
  ASSERT_NE(boss, nullptr);
  RunFramesFor(2.0);  // settled behind the player
  const float hdist = CVar<float>("camera.hdist", 4.8f);
  ASSERT_TRUE(StartState("BossFight"));
  EXPECT_EQ(camera_->target(), boss);
  EXPECT_LT((camera_->position - boss->position).Length(), 1.0f) << "the view cuts to the boss";
  RunFramesFor(7.5);
  ASSERT_EQ(camera_->target(), player_);
  ASSERT_TRUE(camera_->following);
  const float away = Horizontal(camera_->position - player_->position).Length();
  CameraRecord back;
  int settled_after = -1;
  for (int i = 0; i < int(15.0 / kStep) && settled_after < 0; ++i) {
    Frame(&back);
    const CVector& p = camera_->position;
    if (Horizontal(p - player_->position).Length() < hdist + 40.0f &&
        level_->Trace(p, player_->position - p, 0.0f) >= 1.0f)
      settled_after = i;
  }
  std::printf(
      "back from %.0f units away in %d frames: deepest %.2f, longest overlap %d, "
      "largest step %.2f\n",
      away, settled_after, back.deepest, back.penetrating_run, back.largest_step);
  ASSERT_GE(settled_after, 0) << "the camera did not come back to the player";
  EXPECT_EQ(back.non_finite, 0);
  const float limit = 2.0f * float(CVar<float>("camera.max_velocity", 37.0f)) * float(kStep);
  EXPECT_LE(back.largest_step, limit + 0.5f) << "the camera jumped";
  // Flying back it may cut through walls between the boss and the player; at the player it
  // keeps out of them.
  CameraRecord settled;
  for (int i = 0; i < int(2.0 / kStep); ++i) Frame(&settled);
  ExpectSound(settled, "back behind the player");
}

}  // namespace
}  // namespace kt
