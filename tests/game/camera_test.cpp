// The chase camera in a generated level under the manual clock, its mouse and keyboard
// free-fly controls, and the view transform it loads.
#include "game/camera.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <utility>

#include "../level/level_fixtures.h"
#include "../render/offscreen_fixture.h"
#include "console/cvar.h"
#include "console/gl_console.h"
#include "game/keyboard_fly.h"
#include "game/mouse_look.h"
#include "input/dik_codes.h"
#include "test_support.h"

namespace kt {
namespace {

constexpr double kDegToRad = 3.14159265358979323846 / 180.0;

// A floor far below the action and a solid wall across x = -60 .. -50.
const char kRoom[] =
    "brush -400 -1 -400 400 0 400 floor\n"
    "brush -60 0 -400 -50 400 400 floor\n";

void ResetCameraVariables() {
  const std::pair<const char*, float> defaults[] = {
      {"camera.hdist", 4.8f},        {"camera.vdist", 2.2f},
      {"camera.min_velocity", 8.0f}, {"camera.max_velocity", 37.0f},
      {"camera.radius", 30.0f},      {"camera.line_radius", 20.0f},
      {"camera.attractive", 1.0f},   {"camera.collision_speed", 6.0f},
      {"camera.repulsive", 1.0f},    {"camera.facing_corr", -16.0f},
      {"camera.blendTime", 0.5f},    {"mouse.trans_speed", 0.15f},
      {"mouse.rot_speed", 0.4f},     {"keyboard.trans_speed", 0.35f}};
  for (const auto& [name, value] : defaults) CVar<float>(name, value) = value;
  CVar<int>("camera.collision", 1) = 1;
  CVar<int>("camera.line_collision", 1) = 1;
}

CVector Forward(const CQuaternion& q) {
  const CMatrix m = q.ToMatrix();
  return CVector(-m.At(2, 0), -m.At(2, 1), -m.At(2, 2));
}

void ExpectNear(const CVector& a, const CVector& b, float tolerance) {
  EXPECT_NEAR(a.x, b.x, tolerance);
  EXPECT_NEAR(a.y, b.y, tolerance);
  EXPECT_NEAR(a.z, b.z, tolerance);
}

class CameraTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetCameraVariables();
    level_ = test::BuildAndLoad(std::string(test::kTestTextures) + kRoom, textures_);
    ASSERT_TRUE(level_ && level_->loaded());
    camera_ = std::make_unique<Camera>();
    camera_->UpdatePosition();  // a fresh move clock reads 0 once
  }
  void TearDown() override { ResetCameraVariables(); }

  // One frame of `seconds`: the position step and the orientation, no GL.
  void Frame(double seconds) {
    clock_.Advance(seconds);
    camera_->UpdatePosition();
    camera_->UpdateOrientation();
  }

  test::ScratchDir dir_{"camera"};
  test::ManualClockScope clock_;
  test::RecordingTextures textures_;
  std::unique_ptr<BspLevel> level_;
  Entity hero_{"hero", kEntityMarker};
  std::unique_ptr<Camera> camera_;
};

// The camera straight above its following point, so the steering vector points straight down
// with length `length` once camera.attractive is scaled to give it.
class CameraSteering : public CameraTest {
 protected:
  void PlaceAboveFollowPoint(float length) {
    const float corr = -16.0f;
    hero_.position = CVector(200, 100, 0);
    const float h = 4.8f, above = 10.0f;
    // The target faces +x; the correction turns that by -16 degrees about the vertical.
    const CVector facing(float(std::cos(corr * kDegToRad)), 0, float(std::sin(corr * kDegToRad)));
    const CVector follow = hero_.position + facing * -h + CVector(0, 2.2f, 0);
    start_ = follow + CVector(0, above, 0);
    const float e = (2.2f + above) * (2.2f + above) / (h * h);
    CVar<float>("camera.attractive", 1.0f) = length / (above * e);
    CVar<float>("camera.repulsive", 1.0f) = 0.0f;
    camera_->Attach(&hero_);
    camera_->position = start_;
  }

  CVector start_;
};

// Straight down (the following point lies on the corrected facing) by the steering length
// beyond the dead zone of 8, at most 37 a second, a long frame counting as a tenth of a second;
// without a level the collision steps are skipped.
TEST_F(CameraSteering, SpeedIsTheLengthBeyondTheDeadZoneUpToTheLimit) {
  struct Case {
    float length;
    double frame;
    bool level;
    float drop;
  };
  for (const Case& c : {Case{7.9f, 0.05, true, 0.0f}, Case{8.0f, 0.05, true, 0.0f},
                        Case{28.0f, 0.05, true, 1.0f}, Case{58.0f, 0.05, true, 1.85f},
                        Case{58.0f, 0.5, true, 3.7f}, Case{58.0f, 0.05, false, 1.85f}}) {
    SCOPED_TRACE(testing::Message() << "length " << c.length << ", frame " << c.frame);
    if (!c.level) level_.reset();
    PlaceAboveFollowPoint(c.length);
    Frame(c.frame);
    ExpectNear(camera_->position, start_ - CVector(0, c.drop, 0), 2e-4f);
  }
}

TEST_F(CameraTest, BlockedLineOfSightPullsTowardsTheTargetWithCappedGain) {
  CVar<float>("camera.facing_corr", -16.0f) = 0.0f;
  hero_.position = CVector(0, 100, 0);
  camera_->Attach(&hero_);
  const CVector start(-100, 100, 0);
  camera_->position = start;
  // The swept sphere of radius 20 meets the wall face x = -50 after 30 of the 100 units.
  ASSERT_NEAR(level_->Trace(hero_.position, start - hero_.position, 20.0f), 0.3f, 1e-5f);

  Frame(0.05);
  // S = (P - C) * 0.9 + D * 6 * (0.3 - 1) with P = (-4.8, 102.2, 0): (505.68, 1.98, 0).
  // Without the cap on e (433 here) the climb would be six times steeper.
  const CVector moved = camera_->position - start;
  EXPECT_NEAR(moved.Length(), 1.85f, 1e-4f);
  EXPECT_NEAR(moved.x, 1.85f * 505.68f / 505.684f, 1e-4f);
  EXPECT_NEAR(moved.y, 1.85f * 1.98f / 505.684f, 2e-4f);
  EXPECT_NEAR(moved.z, 0.0f, 1e-5f);

  // With the line test off the same frame is plain attraction towards P.
  CVar<int>("camera.line_collision", 1) = 0;
  camera_->position = start;
  Frame(0.05);
  const CVector free_move = camera_->position - start;
  EXPECT_NEAR(free_move.y / free_move.x, 2.2f / 95.2f, 1e-4f);
}

TEST_F(CameraTest, CameraInsideAWallIsPushedOutAtMostTheSpeedLimitPerFrame) {
  camera_->SetMode(kCameraFreeRoam);
  // The sphere (radius 30) reaches 20 units into the wall's x = -50 face.
  camera_->position = CVector(-40, 100, 0);
  Frame(0.1);
  ExpectNear(camera_->position, CVector(-36.3f, 100, 0), 1e-4f);
  Frame(0.02);
  ExpectNear(camera_->position, CVector(-35.56f, 100, 0), 1e-4f);
  Frame(0.5);  // clamped to 0.1 s
  ExpectNear(camera_->position, CVector(-31.86f, 100, 0), 1e-4f);
  for (int i = 0; i < 10; ++i) {
    const float before = camera_->position.x;
    Frame(0.1);
    EXPECT_LE(camera_->position.x - before, 3.7f + 1e-4f);
  }
  // Just touching: no longer inside, no further push; free roam stays put.
  EXPECT_NEAR(camera_->position.x, -20.0f, 1e-4f);
  Frame(0.1);
  EXPECT_NEAR(camera_->position.x, -20.0f, 1e-4f);
}

TEST_F(CameraTest, WallBetweenCameraAndTargetIsNotPushedBackThrough) {
  CVar<float>("camera.facing_corr", -16.0f) = 0.0f;
  hero_.position = CVector(0, 100, 0);
  // The sphere reaches 25 units into the wall's far (x = -60) face; the target is on the
  // other side, straight ahead.
  const CVector start(-65, 100, 0);

  camera_->SetMode(kCameraFreeRoam);
  camera_->position = start;
  Frame(0.1);
  ExpectNear(camera_->position, start - CVector(3.7f, 0, 0), 1e-4f);

  camera_->Attach(&hero_);
  camera_->position = start;
  Frame(0.1);
  // Only the line-of-sight pull acts: a full step towards the target.
  EXPECT_NEAR(camera_->position.x, start.x + 3.7f, 1e-3f);
}

TEST_F(CameraTest, AttachingTurnsTheViewOverTheBlendTime) {
  Entity a("a", kEntityMarker), b("b", kEntityMarker), d("d", kEntityMarker);
  camera_->position = CVector(0, 100, 0);
  a.position = CVector(100, 100, 0);
  b.position = CVector(0, 100, 100);
  d.position = CVector(0, 100, -100);
  camera_->following = false;  // the position stays where it is put

  camera_->Attach(&a);
  Frame(0.6);
  EXPECT_FALSE(camera_->blending());
  ExpectNear(Forward(camera_->orientation), CVector(1, 0, 0), 1e-5f);

  test::LogCapture log;
  camera_->Attach(&b);
  EXPECT_EQ(log.Count("Camera is attaching to: 'b'"), 1);
  EXPECT_TRUE(camera_->blending());
  Frame(0.25);
  const float half = float(std::sqrt(0.5));
  ExpectNear(Forward(camera_->orientation), CVector(half, 0, half), 1e-4f);

  // A second attach during the blend keeps the first start and clock: three quarters of the
  // way from looking at a (+x) towards d (-z).
  camera_->Attach(&d);
  Frame(0.125);
  ExpectNear(Forward(camera_->orientation),
             CVector(float(std::cos(67.5 * kDegToRad)), 0, -float(std::sin(67.5 * kDegToRad))),
             1e-4f);
  Frame(0.125);
  EXPECT_FALSE(camera_->blending());
  ExpectNear(Forward(camera_->orientation), CVector(0, 0, -1), 1e-5f);
}

TEST_F(CameraTest, PositionKeepsFollowingDuringTheBlend) {
  hero_.position = CVector(200, 100, 0);
  camera_->position = CVector(260, 130, 40);
  camera_->Attach(&hero_);
  const float before = Distance(camera_->position, hero_.position);
  Frame(0.1);
  EXPECT_TRUE(camera_->blending());
  EXPECT_LT(Distance(camera_->position, hero_.position), before - 3.0f);
}

// Straight above the target, or on it, the view direction is undefined.
TEST_F(CameraTest, UndefinedViewDirectionKeepsTheLastOrientation) {
  hero_.position = CVector(200, 100, 0);
  camera_->Attach(&hero_);
  camera_->following = false;
  camera_->position = CVector(200, 150, 0);  // straight above
  Frame(1.0);
  EXPECT_EQ(camera_->orientation, CQuaternion());
  camera_->position = hero_.position;  // on the target
  Frame(1.0);
  EXPECT_EQ(camera_->orientation, CQuaternion());
}

// Track mode without a target (at the start, or when the target is destroyed) falls back to
// the "root" marker.
TEST_F(CameraTest, TracksTheRootMarkerWithoutATarget) {
  ASSERT_NE(camera_->target(), nullptr);
  EXPECT_EQ(camera_->target()->name(), "root");
  EXPECT_EQ(camera_->target()->position, CVector(135, 198, -1230));
  EXPECT_EQ(camera_->mode(), kCameraTrack);
  auto gone = std::make_unique<Entity>("gone", kEntityMarker);
  gone->position = CVector(200, 100, 0);
  camera_->position = CVector(0, 100, 0);
  camera_->Attach(gone.get());
  gone.reset();
  EXPECT_EQ(camera_->target(), nullptr);
  const CVector at = camera_->position;
  Frame(0.1);
  EXPECT_EQ(camera_->position, at);
  camera_->SetMode(kCameraTrack);
  ASSERT_NE(camera_->target(), nullptr);
  EXPECT_EQ(camera_->target()->name(), "root");
}

TEST_F(CameraTest, MouseDragsMoveAndTurnTheCameraAndHandItBack) {
  camera_->SetMode(kCameraFreeRoam);
  camera_->position = CVector(0, 100, 0);
  using K = MouseEventKind;
  MouseLook({K::kMotion, 100, 100, 0}, camera_.get(), nullptr);  // sets the origin

  MouseLook({K::kDown, 100, 100, kMouseLeft}, camera_.get(), nullptr);
  EXPECT_FALSE(camera_->following);
  MouseLook({K::kMotion, 110, 90, kMouseLeft}, camera_.get(), nullptr);  // 10 right, 10 up
  ExpectNear(camera_->position, CVector(1.5f, 101.5f, 0), 1e-5f);
  MouseLook({K::kUp, 110, 90, 0}, camera_.get(), nullptr);
  EXPECT_TRUE(camera_->following);

  // Right drag: 10 pixels right yaws 4 degrees (towards +x), then 5 down pitches 2 down.
  MouseLook({K::kDown, 110, 90, kMouseRight}, camera_.get(), nullptr);
  MouseLook({K::kMotion, 120, 90, kMouseRight}, camera_.get(), nullptr);
  const float s4 = float(std::sin(4 * kDegToRad)), c4 = float(std::cos(4 * kDegToRad));
  ExpectNear(Forward(camera_->orientation), CVector(s4, 0, -c4), 1e-5f);
  MouseLook({K::kMotion, 120, 95, kMouseRight}, camera_.get(), nullptr);
  const CVector forward = Forward(camera_->orientation);
  EXPECT_NEAR(forward.y, -std::sin(2 * kDegToRad), 1e-5f);
  EXPECT_NEAR(std::atan2(forward.x, -forward.z), 4 * kDegToRad, 1e-5f);
  MouseLook({K::kUp, 120, 95, 0}, camera_.get(), nullptr);

  // Middle drag rolls about the view direction: 10 pixels, 4 degrees.
  camera_->orientation = CQuaternion();
  MouseLook({K::kDown, 120, 95, kMouseMiddle}, camera_.get(), nullptr);
  MouseLook({K::kMotion, 130, 95, kMouseMiddle}, camera_.get(), nullptr);
  ExpectNear(Forward(camera_->orientation), CVector(0, 0, -1), 1e-5f);
  const CMatrix m = camera_->orientation.ToMatrix();
  EXPECT_NEAR(std::fabs(m.At(0, 1)), s4, 1e-5f);
  EXPECT_NEAR(m.At(0, 0), c4, 1e-5f);
}

TEST_F(CameraTest, MouseDragScrollsTheOpenConsoleInstead) {
  GLConsole console(nullptr, nullptr, 12, 0.75f);
  for (int i = 0; i < 40; ++i) console.Print("line", kLineNormal);
  console.Open();
  camera_->SetMode(kCameraFreeRoam);
  camera_->position = CVector(0, 100, 0);
  const CQuaternion turned = camera_->orientation;
  using K = MouseEventKind;
  MouseLook({K::kMotion, 50, 50, 0}, camera_.get(), &console);
  MouseLook({K::kDown, 50, 50, kMouseLeft}, camera_.get(), &console);
  EXPECT_FALSE(camera_->following);
  MouseLook({K::kMotion, 60, 55, kMouseLeft}, camera_.get(), &console);
  EXPECT_EQ(console.ScrollOffset(), 5);
  MouseLook({K::kMotion, 60, 56, kMouseLeft}, camera_.get(), &console);  // one pixel: nothing
  EXPECT_EQ(console.ScrollOffset(), 5);
  MouseLook({K::kMotion, 60, 53, kMouseLeft}, camera_.get(), &console);
  EXPECT_EQ(console.ScrollOffset(), 2);
  MouseLook({K::kMotion, 90, 80, kMouseRight}, camera_.get(), &console);
  EXPECT_EQ(camera_->position, CVector(0, 100, 0));
  EXPECT_EQ(camera_->orientation, turned);
  MouseLook({K::kUp, 90, 80, 0}, camera_.get(), &console);
  EXPECT_TRUE(camera_->following);
}

TEST_F(CameraTest, ArrowKeysFlyTheCameraOnlyWhenItIsNotChasing) {
  KeyboardState keys;
  keys.keys[kDikUp] = 0x80;
  keys.keys[kDikRight] = 0x80;
  camera_->SetMode(kCameraFreeRoam);
  camera_->position = CVector(0, 100, 0);
  KeyboardFly(keys, false, camera_.get(), nullptr);
  ExpectNear(camera_->position, CVector(0.35f, 100, -0.35f), 1e-6f);

  // Chasing: the arrows belong to the player, unless the mouse holds the camera and a
  // joystick drives the player.
  hero_.position = CVector(200, 100, 0);
  camera_->Attach(&hero_);
  camera_->position = CVector(0, 100, 0);
  KeyboardFly(keys, true, camera_.get(), nullptr);
  camera_->following = false;
  KeyboardFly(keys, false, camera_.get(), nullptr);
  EXPECT_EQ(camera_->position, CVector(0, 100, 0));
  KeyboardFly(keys, true, camera_.get(), nullptr);
  ExpectNear(camera_->position, CVector(0.35f, 100, -0.35f), 1e-6f);

  GLConsole console(nullptr, nullptr, 12, 0.75f);
  console.Open();
  KeyboardFly(keys, true, camera_.get(), &console);
  ExpectNear(camera_->position, CVector(0.35f, 100, -0.35f), 1e-6f);
}

// ---- the view transform ----

class CameraView : public test::OffscreenTest {
 protected:
  void SetUp() override {
    OffscreenTest::SetUp();
    if (IsSkipped()) return;
    ResetCameraVariables();
    camera_ = std::make_unique<Camera>();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
  }

  // The model-view applied to a point (OpenGL stores column by column).
  static CVector ModelView(const CVector& p) {
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    return CVector(m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12],
                   m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13],
                   m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14]);
  }

  test::ScratchDir dir_{"camera_view"};
  test::ManualClockScope clock_;
  std::unique_ptr<Camera> camera_;
};

TEST_F(CameraView, FreeRoamLoadsTheOrientationAndEyePosition) {
  camera_->SetMode(kCameraFreeRoam);
  camera_->position = CVector(1, 2, 3);
  camera_->orientation = CQuaternion::FromEuler(10, 30, 0);
  glTranslatef(0, 0, -5);  // replaced, not multiplied
  camera_->SetView();

  const CMatrix r = camera_->orientation.ToMatrix();
  const CVector right(r.At(0, 0), r.At(0, 1), r.At(0, 2));
  const CVector up(r.At(1, 0), r.At(1, 1), r.At(1, 2));
  const CVector forward = Forward(camera_->orientation);
  ExpectNear(ModelView(camera_->position), CVector(0, 0, 0), 1e-5f);
  ExpectNear(ModelView(camera_->position + right), CVector(1, 0, 0), 1e-5f);
  ExpectNear(ModelView(camera_->position + up * 2.0f), CVector(0, 2, 0), 1e-5f);
  ExpectNear(ModelView(camera_->position + forward * 10.0f), CVector(0, 0, -10), 1e-5f);
}

TEST_F(CameraView, TrackModeMatchesGluLookAtOnceTheBlendHasEnded) {
  Entity target("target", kEntityMarker);
  target.position = CVector(10, 0, -20);
  camera_->Attach(&target);
  camera_->following = false;
  camera_->position = CVector(0, 50, 100);
  clock_.Advance(1.0);
  camera_->SetView();
  EXPECT_FALSE(camera_->blending());
  float loaded[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, loaded);

  glLoadIdentity();
  gluLookAt(0, 50, 100, 10, 0, -20, 0, 1, 0);
  float expected[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, expected);
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(loaded[i], expected[i], 1e-4f) << "element " << i;
  glLoadMatrixf(loaded);
  const float distance = Distance(camera_->position, target.position);
  ExpectNear(ModelView(target.position), CVector(0, 0, -distance), 1e-3f);
}

}  // namespace
}  // namespace kt
