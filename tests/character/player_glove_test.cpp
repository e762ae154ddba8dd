// The P5 glove driving the player: an open hand keeps re-zeroing, a fist moved right swings,
// and keys held at the same time keep their bits.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "character/character.h"
#include "character/player_controller.h"
#include "character/swing_table.h"
#include "console/cvar.h"
#include "console/log.h"
#include "input/dik_codes.h"
#include "input/p5_input_device.h"
#include "motion/motion_data.h"
#include "motion_fixtures.h"
#include "sound/sound_system.h"
#include "test_support.h"

namespace kt {
namespace {

constexpr double kFrame = 1.0 / 60.0;

class QuietSound : public SoundSystem {
 public:
  void PlayMusic(const std::string&, float) override {}
  void PlaySound(const std::string&) override {}
};

class Lines : public LogSink {
 public:
  void Print(const std::string& text, int) override { lines.push_back(text); }
  std::vector<std::string> lines;
};

std::vector<Posture> Still(int frames) {
  Posture p;
  p.root_position = {0, 40, 0};
  return std::vector<Posture>(frames, p);
}

class PlayerGloveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::InstallTestSkeleton();
    SetLogSink(&log_);
    world_ = &CreateGameWorld();
    std::srand(8);
    SetPlayerDeviceSource([this] {
      PlayerDevices devices;
      devices.keyboard = &keyboard_;
      return devices;
    });
    CVar<int>("p5.debug", 1) = 0;
    glove_ = std::make_unique<P5InputDevice>(std::make_unique<ScriptedGloveDriver>(hand_));

    MotionDataSet set;
    set.roles[kRoleAttack].motion = attack_.get();
    set.roles[kRoleIdle].motion = idle_.get();
    set.roles[kRoleMove].motion = walk_.get();
    player_ = std::make_unique<Character>("player1");
    player_->SetGameplayController(kControllerPlayer, set);
    world_->entities.push_back(player_.get());
    world_->player = player_.get();
  }
  void TearDown() override {
    player_.reset();
    glove_.reset();
    SetPlayerDeviceSource({});
    DestroyGameWorld();
    SetLogSink(nullptr);
    ResetMotionSkeletons();
    CVar<int>("p5.debug", 1) = 1;
  }

  PlayerController& Player() {
    return *dynamic_cast<PlayerController*>(player_->gameplay_controller());
  }
  // One frame: the input poll reads the glove, then the player updates.
  void Frame(float hand_x, bool fist) {
    hand_.hand = {hand_x, 0.0f, 0.0f};
    hand_.bends.fill(fist ? 63 : 5);
    clock_.Advance(kFrame);
    glove_->Poll();
    player_->Update();
  }

  test::ScratchDir dir_{"player_glove"};
  test::ManualClockScope clock_;
  QuietSound sound_;
  Lines log_;
  SwingTable swings_;
  GameWorld* world_ = nullptr;
  KeyboardState keyboard_;
  ScriptedGloveDriver::Script hand_;
  std::unique_ptr<P5InputDevice> glove_;
  std::unique_ptr<MotionData> idle_ = std::make_unique<MotionData>("idle", Still(200));
  std::unique_ptr<MotionData> walk_ =
      std::make_unique<MotionData>("walk", test::WalkPostures(400, 1.0f, 40));
  std::unique_ptr<MotionData> attack_ = std::make_unique<MotionData>("attack", Still(1200));
  std::unique_ptr<Character> player_;
};

TEST_F(PlayerGloveTest, OpenHandReZeroesEveryFrameAndAFistMovedRightSwings) {
  ASSERT_NE(GetPlayerGlove(), nullptr);
  // An open hand sweeping fast: re-zeroed each frame, so it never swings and the position
  // never builds up.
  for (int i = 1; i <= 4; ++i) {
    Frame(5.0f * i, false);
    EXPECT_EQ(hand_.calibrations, i);
    EXPECT_EQ(glove_->position(), CVector());
    EXPECT_EQ(Player().input().buttons, 0u);
  }
  // Closing the hand where it stopped measures from there: no swing.
  Frame(20.0f, true);
  EXPECT_EQ(hand_.calibrations, 4);
  EXPECT_EQ(glove_->Motion(), CVector());
  EXPECT_FALSE(Player().attacking());
  // The fist moves right by more than p5.sword_speed_thresh (1.0) in one poll.
  Frame(21.5f, true);
  EXPECT_TRUE(Player().input().Test(kInputAttackRight));
  ASSERT_TRUE(Player().attacking());
  EXPECT_EQ(Player().attack_kind(), 2);
  EXPECT_EQ(player_->skeleton_controller()->BlendMotion(), Player().Motion(kRoleAttack));
  bool logged = false;
  for (const std::string& line : log_.lines) logged |= line.rfind("Glove Right: 1.500000", 0) == 0;
  EXPECT_TRUE(logged);
}

TEST_F(PlayerGloveTest, KeysHeldWithTheGloveKeepTheirBits) {
  keyboard_.keys[kDikUp] = 0x80;
  keyboard_.keys[kDikW] = 0x80;  // forward thrust key
  Frame(0.0f, true);
  Frame(2.0f, true);
  const InputState& in = Player().input();
  EXPECT_TRUE(in.Test(kInputAttackRight));
  EXPECT_TRUE(in.Test(kInputAttackForward));
  EXPECT_EQ(in.z, 1.0f);
  // A smaller movement adds nothing and takes nothing away.
  Frame(2.5f, true);
  EXPECT_FALSE(Player().input().Test(kInputAttackRight));
  EXPECT_TRUE(Player().input().Test(kInputAttackForward));
}

TEST_F(PlayerGloveTest, AnAbsentGloveIsIgnored) {
  glove_.reset();
  hand_ = {};
  hand_.attached = false;
  glove_ = std::make_unique<P5InputDevice>(std::make_unique<ScriptedGloveDriver>(hand_));
  ASSERT_NE(GetPlayerGlove(), nullptr);
  EXPECT_FALSE(GetPlayerGlove()->IsPresent());
  Player().ReadInput();
  EXPECT_EQ(hand_.calibrations, 0);
  glove_.reset();
  EXPECT_EQ(GetPlayerGlove(), nullptr);
}

}  // namespace
}  // namespace kt
