// Gameplay end to end: the real start-up on the generated default game, the manual clock
// advanced by 1/60 s per world frame, keys pressed on the keyboard device. Only the simulation
// matters here, so the level is not drawn (characters still are: drawing ends their damage
// flash and death fade).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "character/blind_controller.h"
#include "character/boss_controller.h"
#include "character/game_world.h"
#include "character/player_controller.h"
#include "console/cvar.h"
#include "game/camera.h"
#include "game/game_state.h"
#include "game_fixtures.h"
#include "world_fixture.h"

namespace kt {
namespace {

using test::Horizontal;

float GroundDistance(const Character& a, const Character& b) {
  return Horizontal(a.position - b.position).Length();
}

// `holder`'s blade laid on `target`: the target moved into its reach when it is out of it.
void KeepBladeOn(const Character& holder, Character& target) {
  if (GroundDistance(holder, target) < 45.0f) return;
  CVector along = Horizontal(holder.blade);
  along.Normalize();
  target.SetPosition(holder.position + along * 35.0f);
}

class GameplayWorldTest : public test::WorldTest {
 protected:
  GameplayWorldTest() : WorldTest(64, 48) {}
  void TearDown() override {
    sound_.reset();
    WorldTest::TearDown();
  }
  // Into the level with the camera chasing the player and the sounds recorded.
  void Start() {
    StartWorld();
    ASSERT_NE(player_, nullptr);
    EnterLevel();
    CVar<int>("world.draw_level", 1) = 0;
    CVar<int>("world.draw_ground", 1) = 0;
    world_ = GetGameWorld();
    GetCamera()->Attach(player_);
    sound_ = std::make_unique<test::RecordingSound>();
  }
  bool RunUntil(
      double seconds, const std::function<bool()>& until = [] { return false; }) {
    return WorldTest::RunUntil(seconds, until);
  }
  MotionController* Root(const Character& c) const { return c.skeleton_controller()->RootMotion(); }
  PlayerController& Player() const {
    return *dynamic_cast<PlayerController*>(player_->gameplay_controller());
  }

  std::unique_ptr<test::RecordingSound> sound_;
  GameWorld* world_ = nullptr;
};

// Swings kill a guard, which fades away; a guard's swings hurt the player. (Walking is left to
// the controller tests and locomotion_world_test; the player's death losing the game to the
// controller tests and the game course.)
TEST_F(GameplayWorldTest, PlayerKillsAGuardAndIsHurt) {
  test::DefaultGameDir game;
  Start();
  RunUntil(0.5);
  ASSERT_EQ(Root(*player_), Player().Motion(kRoleIdle));

  // Fight: the player keeps next to a guard, the guard on its blade, and swings.
  Character* guard = FindCharacter("guard");
  ASSERT_NE(guard, nullptr);
  const int attack = CVar<int>("input.key_attack_forward", 17);
  GetKeyboard()->KeyDown(attack);
  const bool guard_killed = RunUntil(4.0, [&] {
    KeepBladeOn(*player_, *guard);
    return guard->gameplay_controller()->killed();
  });
  GetKeyboard()->KeyUp(attack);
  ASSERT_TRUE(guard_killed) << "guard hit points " << guard->hit_points;
  EXPECT_TRUE(guard->dying);
  EXPECT_EQ(sound_->Count("data/sounds/death.wav"), 1);
  EXPECT_GE(sound_->Count("data/sounds/hurt1.wav") + sound_->Count("data/sounds/hurt2.wav"), 2);
  // Its log line and that it does not lose the game are the controller test's.
  RunUntil(1.2);
  EXPECT_FALSE(guard->enabled);
  EXPECT_FALSE(guard->dying) << "the death fade is over: the guard is no longer drawn";
  const CVector dead_at = guard->position;
  RunUntil(0.5);
  EXPECT_EQ(guard->position, dead_at) << "a dead guard is not updated";

  // A guard swinging at the player hurts it.
  Character* other = FindCharacter("guard1");
  ASSERT_NE(other, nullptr);
  auto* blind = dynamic_cast<BlindController*>(other->gameplay_controller());
  ASSERT_NE(blind, nullptr);
  const float full = player_->hit_points;
  bool swung = false;
  const bool hurt = RunUntil(4.0, [&] {
    KeepBladeOn(*other, *player_);
    swung = swung || blind->attacking();
    return player_->hit_points < full;
  });
  EXPECT_TRUE(swung) << "the guard swings at the player beside it";
  ASSERT_TRUE(hurt);
  EXPECT_GE(sound_->Count("data/sounds/hurt3.wav"), 1);
}

// The boss fight as the game runs it (the state "BossFight", as when the last guard falls or
// `boss.trigger` is typed): while away no sword reaches it.
TEST_F(GameplayWorldTest, BossWarpsOutAndBackAndCannotBeHitWhileAway) {
  test::DefaultGameDir game;
  Start();
  Character* boss = world_->boss;
  ASSERT_NE(boss, nullptr);
  auto* controller = dynamic_cast<BossController*>(boss->gameplay_controller());
  ASSERT_NE(controller, nullptr);
  ASSERT_TRUE(boss->zone.has_value());
  // Out of everyone's way: only the boss and the player take part.
  for (Character* c : world_->entities)
    if (c != boss && c != player_) c->enabled = false;
  player_->invulnerable = true;  // the knight's own sword stays out of it
  RunUntil(0.2);
  EXPECT_FALSE(boss->enabled) << "the boss waits for its fight";
  // The show-off's camera is the game course's.
  ASSERT_TRUE(StartState("BossFight"));
  EXPECT_TRUE(boss->invulnerable) << "no sword reaches it while it is shown off";
  ASSERT_TRUE(RunUntil(8.0, [&] { return controller->fighting(); }));
  EXPECT_FALSE(boss->invulnerable);

  // The warp cycle's timings are left to the controller test; here only where the boss is away.
  ASSERT_TRUE(RunUntil(20.0, [&] { return controller->state() == kBossAway; }));
  EXPECT_EQ(sound_->Count("data/sounds/teleport.wav"), 1);
  const ZoneRect& zone = *boss->zone;
  EXPECT_TRUE(boss->position.x >= zone.min_x && boss->position.x <= zone.max_x &&
              boss->position.z >= zone.min_y && boss->position.z <= zone.max_y)
      << "away, the boss stands in its zone";

  // Away: the player's blade laid right through where the boss stands does nothing.
  const float hp = boss->hit_points;
  auto blade_on_boss = [&] {
    CVector along = Horizontal(player_->blade);
    along.Normalize();
    player_->SetPosition(boss->position - along * 30.0f);
    return false;
  };
  RunUntil(3.0, blade_on_boss);
  EXPECT_EQ(boss->hit_points, hp);
  EXPECT_EQ(sound_->Count("data/sounds/bosshurt.wav"), 0);
  player_->SetPosition(player_->position + CVector(200.0f, 0.0f, 0.0f));
  ASSERT_TRUE(RunUntil(3.0, [&] { return controller->state() == kBossVisible; }));
  EXPECT_TRUE(boss->enabled);

  // Back and visible, the same blade hurts it.
  EXPECT_TRUE(RunUntil(2.0, [&] {
    blade_on_boss();
    return boss->hit_points < hp;
  }));
  EXPECT_GE(sound_->Count("data/sounds/bosshurt.wav"), 1);
}

}  // namespace
}  // namespace kt
