// The chase camera in the generated default game: it settles behind and above the player, and
// keeps out of the castle walls and in sight of the player while the player walks along one.
// Frames are kept as PNGs for a person to look at.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>

#include "character/game_world.h"
#include "console/cvar.h"
#include "game/camera.h"
#include "game/game_state.h"
#include "game_fixtures.h"
#include "input/dik_codes.h"
#include "level/bsp_level.h"
#include "world_fixture.h"

namespace kt {
namespace {

using test::Horizontal;
using test::kFrameStep;

// The east curtain wall's inner face (the wall spans x 900..940, z -1540..900), and the top of
// the raised walkway along it (x 700..900, z -1100..500).
constexpr float kEastWallFace = 900.0f;
constexpr float kWalkwayTop = 64.0f;

// What the camera did over a stretch of frames.
struct CameraRecord {
  int non_finite = 0;
  float deepest = 0.0f;     // deepest overlap of the camera sphere with a brush
  int penetrating_run = 0;  // longest run of consecutive frames overlapping by > 1 unit
  int run = 0;
  float largest_step = 0.0f;  // largest move in one frame
  int blocked = 0;            // frames whose line of sight to the player is blocked
  float farthest = 0.0f;      // horizontal distance to the player
};

bool InSight(const CVector& from, const CVector& to) {
  return CurrentLevel()->Trace(from, to - from, 0.0f) >= 1.0f;
}

class CameraWorldTest : public test::WorldTest {
 protected:
  void TearDown() override {
    if (run_thresh_) run_thresh_var_ = *run_thresh_;
    WorldTest::TearDown();
  }

  void Start() {
    StartPlayerAlone();
    camera_ = GetCamera();
    // A walk throughout: the run clip's root sways too far sideways to steer along a wall.
    run_thresh_ = run_thresh_var_;
    run_thresh_var_ = 2.0f;
  }

  // Frames for `seconds`, each after `each`, kept in `record`.
  void Record(double seconds, CameraRecord& record, const std::function<void()>& each = {}) {
    for (int i = 0; i < int(std::lround(seconds / kFrameStep)); ++i) {
      if (each) each();
      const CVector before = camera_->position;
      Frame();
      const CVector& p = camera_->position;
      if (!(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z))) {
        ++record.non_finite;
        continue;
      }
      record.largest_step = std::max(record.largest_step, (p - before).Length());
      const float depth = test::PenetrationDepth(p, CVar<float>("camera.radius", 30.0f));
      record.deepest = std::max(record.deepest, depth);
      record.run = depth > 1.0f ? record.run + 1 : 0;
      record.penetrating_run = std::max(record.penetrating_run, record.run);
      record.blocked += !InSight(p, player_->position);  // eye to the player's pelvis
      record.farthest = std::max(record.farthest, Horizontal(p - player_->position).Length());
    }
  }

  static void ExpectSound(const CameraRecord& r, const char* what) {
    SCOPED_TRACE(what);
    EXPECT_EQ(r.non_finite, 0);
    // Following and the push-out each move at most camera.max_velocity per second.
    const float limit = 2.0f * float(CVar<float>("camera.max_velocity", 37.0f)) * kFrameStep;
    EXPECT_LE(r.largest_step, limit + 0.5f) << "the camera jumped";
    // A sphere grazing a wall is pushed out over a few frames, never held inside it.
    EXPECT_LE(r.deepest, 12.0f) << "the camera sank into a wall";
    EXPECT_LE(r.penetrating_run, 10) << "the camera stayed inside a wall";
    EXPECT_EQ(r.blocked, 0) << "a wall hid the player";
  }

  Camera* camera_ = nullptr;
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
  Record(5.0, settling);
  ExpectSound(settling, "settling");
  // Standing, it comes to rest where its pull vanishes: hdist from the player, above it.
  const CVector rest = camera_->position - player_->position;
  EXPECT_NEAR(rest.Length(), hdist, 15.0f);
  EXPECT_GT(rest.y, 0.0f);
  Shot("camera_behind_standing.png");

  // Forward is away from the camera: the player walks off and the camera keeps behind it.
  const CVector start = player_->position;
  GetKeyboard()->KeyDown(kDikUp);
  CameraRecord walking, stopping;
  Record(4.0, walking);
  GetKeyboard()->KeyUp(kDikUp);
  Record(2.0, stopping);
  ExpectSound(walking, "walking");
  ExpectSound(stopping, "stopping");
  EXPECT_GT(Horizontal(player_->position - start).Length(), 150.0f) << "the player did not walk";
  EXPECT_LT(walking.farthest, hdist + 60.0f);

  // Behind and above: the dead zone lets it rest within some 30 units of the following point,
  // hdist behind the player's facing turned by camera.facing_corr.
  const CVector offset = camera_->position - player_->position;
  const CQuaternion corrected =
      CQuaternion::FromEuler(0.0f, CVar<float>("camera.facing_corr", -16.0f), 0.0f) *
      player_->orientation;
  EXPECT_LT(Horizontal(offset + Horizontal(corrected.RowAxis(0)) * hdist).Length(), 60.0f);
  EXPECT_NEAR(Horizontal(offset).Length(), hdist, 40.0f);
  EXPECT_GT(offset.y, vdist * 0.5f);
  EXPECT_LT(offset.y, vdist * 1.5f);
  CVector facing = Horizontal(player_->orientation.RowAxis(0)), back = Horizontal(offset);
  facing.Normalize();
  back.Normalize();
  EXPECT_LT(Dot(facing, back), -0.8f) << "the player faces away from the camera";
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
  // Back to the lane when drifting off it.
  const auto steer = [&] { Steer(CVector((kLane - player_->position.x) * 0.02f, 0.0f, -1.0f)); };
  CameraRecord start;
  Record(4.0, start, steer);  // the camera comes over from the scene's first view
  const float start_z = player_->position.z;
  // Shoved a third of its radius into the wall, the camera is out again within three frames.
  const float radius = CVar<float>("camera.radius", 30.0f);
  camera_->position.x = kEastWallFace - radius + 10.0f;
  int frames_inside = 0;
  for (CameraRecord r; frames_inside < 30; ++frames_inside) {
    Record(kFrameStep, r, steer);
    if (test::PenetrationDepth(camera_->position, radius) < 0.5f) break;
  }
  EXPECT_LE(frames_inside, 3);
  CameraRecord along;
  Record(8.0, along, steer);
  ExpectSound(along, "along the wall");
  Shot("camera_wall_walk.png");
  EXPECT_LT(player_->position.z, start_z - 150.0f) << "the player did not walk north";
  // Near the wall, on the walkway or just off its inner edge.
  EXPECT_GT(player_->position.x, 650.0f) << "the player left the wall";
  EXPECT_TRUE(test::LevelStillRunning()) << "the game flow took the camera or the player";
}

}  // namespace
}  // namespace kt
