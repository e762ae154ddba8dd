// The character body: root motion into world position, sword hits, body pushing, stepping
// and falling.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "../level/level_fixtures.h"
#include "character/character.h"
#include "character/game_world.h"
#include "console/cvar.h"
#include "motion/motion_data.h"
#include "motion/skeleton.h"
#include "motion_fixtures.h"
#include "test_support.h"

namespace kt {
namespace {

constexpr double kStep = 1.0 / 60.0;

// A figure standing still in the rest pose of the test skeleton.
std::vector<Posture> StandingPostures() {
  std::vector<Posture> postures(60);
  for (Posture& p : postures) p.root_position = CVector(0.0f, 40.0f, 0.0f);
  return postures;
}

class CharacterBodyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::InstallTestSkeleton();
    CreateGameWorld();
    standing_ = std::make_unique<MotionData>("standing", StandingPostures());
    CVar<int>("character.character_collisions", 0) = 1;
    CVar<float>("character.cheat", 1.5f) = 1.5f;
  }
  void TearDown() override {
    characters_.clear();
    controllers_.clear();
    standing_.reset();
    DestroyGameWorld();
    ResetMotionSkeletons();
    CVar<int>("character.character_collisions", 0) = 0;
  }

  Character& Add(const std::string& name, const CVector& at) {
    characters_.push_back(std::make_unique<Character>(name));
    Character& c = *characters_.back();
    controllers_.push_back(std::make_unique<MotionController>(standing_.get()));
    c.skeleton_controller()->SetRootMotion(controllers_.back().get());
    c.SetPosition(at);
    GetGameWorld()->entities.push_back(&c);
    return c;
  }
  void Frame() {
    clock_.Advance(kStep);
    for (Character* c : GetGameWorld()->entities) c->Update();
  }
  // The lowest foot bone above the ground plane y = 0 of the figure's own frame.
  static float LowestFoot(const Character& c) {
    float lowest = 1e30f;
    for (int bone : kFootBones) lowest = std::fmin(lowest, c.JointPosition(bone).y);
    return lowest;
  }

  test::ScratchDir dir_;
  test::ManualClockScope clock_;
  std::unique_ptr<MotionData> standing_;
  std::vector<std::unique_ptr<MotionController>> controllers_;
  std::vector<std::unique_ptr<Character>> characters_;
};

TEST_F(CharacterBodyTest, NamesAreMadeUniqueAndSetPositionRebasesTheRoot) {
  Character& a = Add("Guard", CVector(100, 40, 0));
  Character& b = Add("guard", CVector(0, 40, 0));
  Character& c = Add("GUARD", CVector(0, 40, 0));
  EXPECT_EQ(a.name(), "guard");
  EXPECT_EQ(b.name(), "guard1");
  EXPECT_EQ(c.name(), "guard2");
  EXPECT_EQ(FindCharacter("Guard1"), &b);
  for (const Character* each : {&a, &b, &c}) {
    EXPECT_GE(each->death_parameter, 0.0f);
    EXPECT_LE(each->death_parameter, 1.0f);
  }
  Frame();
  // The root bone lands where the position was set.
  const CVector root = a.JointPosition(0);
  EXPECT_NEAR(root.x, 100.0f, 1e-3f);
  EXPECT_NEAR(root.z, 0.0f, 1e-3f);
  a.SetPosition(CVector(-250, 40, 75));
  Frame();
  EXPECT_NEAR(a.JointPosition(0).x, -250.0f, 1e-3f);
  EXPECT_NEAR(a.JointPosition(0).z, 75.0f, 1e-3f);
  EXPECT_FALSE(a.position_set);
}

// A paused game: the frozen figure neither plays nor catches up on the pause afterwards.
TEST_F(CharacterBodyTest, FrozenFigureStandsStillAndResumesWhereItStopped) {
  Character& c = Add("sleeper", CVector(0, 40, 0));
  MotionController* root = c.RootMotion();
  for (int i = 0; i < 5; ++i) Frame();
  const int frame = root->CurrentFrame();
  c.Freeze();
  for (int i = 0; i < 18; ++i) Frame();
  EXPECT_FALSE(c.Update());
  EXPECT_EQ(root->CurrentFrame(), frame);
  c.Thaw();
  Frame();
  EXPECT_EQ(root->CurrentFrame(), frame + 2) << "one 1/60 s frame of a 120 Hz clip";
}

// The blade lies along the line from the left wrist through the right; the test figure holds
// it level, so "along" and "off the line" are plain ground distances.
class SwordHitTest : public CharacterBodyTest {
 protected:
  void SetUp() override {
    CharacterBodyTest::SetUp();
    attacker_ = &Add("attacker", CVector(0, 40, 0));
    attacker_->invulnerable = true;  // only its own sword is under test
    Frame();
    ASSERT_LT(std::fabs(attacker_->blade.y), 1e-3f);
    along_ = CVector(attacker_->blade.x, 0, attacker_->blade.z);
    along_.Normalize();
    across_ = CVector(-along_.z, 0, along_.x);
  }
  // Places a fresh victim (100 above, out of the body push) and runs one frame; true on a hit.
  bool HitsAt(float along, float across) {
    Character& victim = Add("victim", CVector());
    victim.hit_points = 10.0f;
    Frame();  // settle the root at its position
    victim.hurt = false;
    const CVector at = attacker_->position + along_ * along + across_ * across + CVector(0, 100, 0);
    victim.SetPosition(at);
    Frame();
    victim.position = at;  // the re-basing frame may have moved it by the root's height
    victim.hurt = false;
    victim.hit_points = 10.0f;
    Frame();
    const bool hit = victim.hit_points < 10.0f;
    GetGameWorld()->entities.pop_back();
    return hit;
  }

  Character* attacker_ = nullptr;
  CVector along_, across_;
};

TEST_F(SwordHitTest, ReachIsTheSwordPlusTheRadiusAndThePlayerCheats) {
  // Not the player: reach 20 around the blade, up to 10 + 20 along it.
  EXPECT_TRUE(HitsAt(25.0f, 0.0f));
  EXPECT_TRUE(HitsAt(12.0f, 18.0f));
  EXPECT_FALSE(HitsAt(12.0f, 22.0f));
  EXPECT_FALSE(HitsAt(31.0f, 0.0f));
  EXPECT_FALSE(HitsAt(-5.0f, 0.0f));  // behind the hilt
  // The player: 20 x 1.5 = 30 around it, up to 40 along it.
  GetGameWorld()->player = attacker_;
  EXPECT_TRUE(HitsAt(12.0f, 28.0f));
  EXPECT_TRUE(HitsAt(38.0f, 0.0f));
  EXPECT_FALSE(HitsAt(12.0f, 32.0f));
  EXPECT_FALSE(HitsAt(42.0f, 0.0f));
  // No hits while character collisions are off.
  CVar<int>("character.character_collisions", 0) = 0;
  EXPECT_FALSE(HitsAt(5.0f, 0.0f));
}

TEST_F(SwordHitTest, HurtLimitsHitsAndZeroHitPointsKill) {
  Character& victim = Add("victim", attacker_->position + along_ * 5.0f + CVector(0, 100, 0));
  Frame();
  victim.position = attacker_->position + along_ * 5.0f + CVector(0, 100, 0);
  victim.hurt = false;
  victim.hit_points = 6.0f;
  Frame();
  EXPECT_FLOAT_EQ(victim.hit_points, 3.0f);
  EXPECT_TRUE(victim.hurt);
  Frame();
  Frame();
  EXPECT_FLOAT_EQ(victim.hit_points, 3.0f) << "a hurt character takes no further hit";
  EXPECT_FALSE(victim.dying);
  victim.hurt = false;  // the damage flash is over
  Frame();
  EXPECT_FLOAT_EQ(victim.hit_points, 0.0f);
  EXPECT_TRUE(victim.dying) << "exactly 0 hit points kill";
}

TEST_F(CharacterBodyTest, BodiesPushApartAlongTheSmallerOverlap) {
  CVar<float>("character.radius", 20.0f) = 20.0f;
  Character& a = Add("a", CVector(0, 40, 0));
  Character& b = Add("b", CVector(30, 40, 0));
  a.invulnerable = b.invulnerable = true;
  Frame();
  a.position = CVector(0, 40, 0);
  b.position = CVector(30, 40, 0);
  a.Update();
  // 30 apart on the ground, 40 needed: a moves 1.01 x 10 away from b, not up or down.
  EXPECT_NEAR(a.position.x, -10.1f, 1e-3f);
  EXPECT_NEAR(a.position.y, 40.0f, 1e-3f);

  // Nearly on top of each other: the vertical overlap is the smaller one.
  a.position = CVector(0, 40, 0);
  b.position = CVector(5, 85, 0);
  a.Update();
  EXPECT_NEAR(a.position.y, 40.0f - 1.01f * 5.0f, 1e-3f);
  EXPECT_NEAR(a.position.x, 0.0f, 1e-3f);

  // The same spot: no direction between them, yet they part and nothing turns NaN.
  a.position = b.position = CVector(0, 40, 0);
  a.Update();
  b.Update();
  EXPECT_TRUE(std::isfinite(a.position.x) && std::isfinite(b.position.x));
  EXPECT_GT(std::fabs(a.position.x - b.position.x), 1.0f);
}

// A floor at y = 0 with an 8-unit step at x > 100 and a ledge into a pit at x < -100.
constexpr char kSteps[] =
    "brush -100 -10 -200 400 0 200 floor\n"
    "brush 100 0 -200 400 8 200 floor\n"
    "brush -400 -70 -200 -100 -60 200 floor\n";

class GroundTest : public CharacterBodyTest {
 protected:
  void SetUp() override {
    CharacterBodyTest::SetUp();
    level_ = test::BuildAndLoad(std::string(test::kTestTextures) + kSteps, textures_);
    ASSERT_TRUE(level_ && level_->loaded());
  }
  void Run(double seconds) {
    for (int i = 0; i < int(seconds / kStep); ++i) Frame();
  }
  // Puts the figure's lowest foot at `foot_y` above (x, z).
  void StandAt(Character& c, float x, float foot_y, float z) {
    const float root_above_foot = c.JointPosition(0).y - LowestFoot(c);
    c.SetPosition(CVector(x, foot_y + root_above_foot, z));
    Frame();
  }

  test::RecordingTextures textures_;
  std::unique_ptr<BspLevel> level_;
};

TEST_F(GroundTest, ClimbsAnEightUnitStepAndFallsOffALedgeOntoTheFloorBelow) {
  Character& climber = Add("climber", CVector(200, 40, 0));
  Character& faller = Add("faller", CVector(-200, 40, 0));
  Frame();
  StandAt(climber, 200.0f, 0.0f, 0.0f);  // inside the step: its top is 8 above the feet
  StandAt(faller, -200.0f, 0.0f, 0.0f);  // 60 above the pit floor
  EXPECT_NEAR(LowestFoot(climber), 0.0f, 0.5f);
  Run(1.0);
  EXPECT_LT(LowestFoot(faller), -2.0f);  // falling, not dropped at once
  EXPECT_GT(LowestFoot(faller), -60.0f);
  Run(6.0);
  EXPECT_NEAR(LowestFoot(climber), 8.0f, 0.5f);
  EXPECT_NEAR(LowestFoot(faller), -60.0f, 0.5f);
  EXPECT_FLOAT_EQ(climber.vertical_speed, 0.0f);
  EXPECT_FLOAT_EQ(faller.vertical_speed, 0.0f);
}

}  // namespace
}  // namespace kt
