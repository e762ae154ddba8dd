// Gameplay end to end: the real start-up on the generated default game, the manual clock
// advanced by 1/60 s per world frame, keys pressed on the keyboard device. Only the simulation
// matters here, so the level is not drawn (characters still are: drawing ends their damage
// flash and death fade).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "character/boss_controller.h"
#include "character/game_world.h"
#include "character/hunter_controller.h"
#include "character/player_controller.h"
#include "console/cvar.h"
#include "game/camera.h"
#include "game/game_state.h"
#include "game_fixtures.h"
#include "graph/path_graph.h"
#include "input/dik_codes.h"
#include "world_fixture.h"

namespace kt {
namespace {

using test::Horizontal;

float GroundDistance(const Character& a, const Character& b) {
  return Horizontal(a.position - b.position).Length();
}

double DegreesBetween(const CVector& a, const CVector& b) {
  const double c = Dot(a, b) / (double(a.Length()) * b.Length());
  return std::acos(std::clamp(c, -1.0, 1.0)) * 57.29577951308232;
}

bool Logged(const std::string& part) {
  return test::ReadFile("log.txt").find(part) != std::string::npos;
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
  // Into the level with the camera chasing the player, sounds and state requests recorded.
  void Start() {
    StartWorld();
    ASSERT_NE(player_, nullptr);
    EnterLevel();
    CVar<int>("world.draw_level", 1) = 0;
    CVar<int>("world.draw_ground", 1) = 0;
    world_ = GetGameWorld();
    GetCamera()->Attach(player_);
    sound_ = std::make_unique<test::RecordingSound>();
    world_->change_state = [this](const std::string& s) { states_.push_back(s); };
  }
  bool RunUntil(
      double seconds, const std::function<bool()>& until = [] { return false; }) {
    return WorldTest::RunUntil(seconds, until);
  }
  double Now() const { return ProcessClock().Now(); }
  MotionController* Root(const Character& c) const { return c.skeleton_controller()->RootMotion(); }
  PlayerController& Player() const {
    return *dynamic_cast<PlayerController*>(player_->gameplay_controller());
  }

  std::unique_ptr<test::RecordingSound> sound_;
  GameWorld* world_ = nullptr;
  std::vector<std::string> states_;
};

// The player walks where the camera looks and stops again; swings kill a guard, which fades
// away; a guard's swings hurt the player and, in the end, kill it.
TEST_F(GameplayWorldTest, PlayerWalksFightsAndDies) {
  test::DefaultGameDir game;
  Start();
  RunUntil(0.5);
  ASSERT_EQ(Root(*player_), Player().Motion(kRoleIdle));

  // Locomotion: three seconds of the forward key.
  const int up = CVar<int>("input.key_move_up", 200);
  const CVector start = player_->position;
  const CVector view = Horizontal(player_->position - GetCamera()->position);
  GetKeyboard()->KeyDown(up);
  RunUntil(0.75);
  EXPECT_EQ(Root(*player_), Player().Motion(kRoleMove)) << "walking starts on the walk clip";
  RunUntil(2.25);
  const CVector walked = Horizontal(player_->position - start);
  EXPECT_GT(walked.Length(), 150.0f);
  EXPECT_LT(DegreesBetween(walked, view), 25.0) << "the player walks the way the camera looks";
  GetKeyboard()->KeyUp(up);
  EXPECT_TRUE(RunUntil(0.2, [&] { return Player().decelerating(); }));
  const CVector released = player_->position;
  EXPECT_TRUE(RunUntil(2.0, [&] { return Root(*player_) == Player().Motion(kRoleIdle); }))
      << "deceleration ends on the idle clip";
  EXPECT_LE(Player().level(), 0.00001f);
  // It slowed down rather than stopping dead: the figure went on after the release.
  EXPECT_GT(Horizontal(player_->position - released).Length(), 10.0f);
  const CVector stopped = player_->position;
  RunUntil(1.0);
  EXPECT_LT(Horizontal(player_->position - stopped).Length(), 15.0f) << "standing still";

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
  EXPECT_TRUE(Logged("Character 'guard' Killed!!"));
  EXPECT_TRUE(states_.empty()) << "a guard's death does not lose the game";
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

  // Killing the player asks the game flow for the losing screen.
  player_->hit_points = 1.0f;
  ASSERT_TRUE(RunUntil(4.0, [&] {
    KeepBladeOn(*other, *player_);
    return player_->gameplay_controller()->killed();
  }));
  EXPECT_EQ(states_, std::vector<std::string>{"LoseGame"});
  EXPECT_TRUE(Logged("Character 'player1' Killed!!"));
  RunUntil(0.1);
  EXPECT_FALSE(player_->enabled);
}

// The boss fight as the game runs it (the state "BossFight", as when the last guard falls or
// `boss.trigger` is typed): the boss is shown off for 7.5 s, then the fight starts. From
// there it is seen for 10 s, warps out for 8 s, is away for 5 s somewhere in its zone, then
// back; while away no sword reaches it.
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
  ASSERT_TRUE(StartState("BossFight"));
  EXPECT_TRUE(boss->enabled);
  EXPECT_TRUE(boss->invulnerable) << "no sword reaches it while it is shown off";
  ASSERT_TRUE(RunUntil(8.0, [&] { return controller->fighting(); }));
  EXPECT_FALSE(boss->invulnerable);
  EXPECT_EQ(GetCamera()->target(), player_) << "the camera is back on the player";

  // Each change of the boss's state and its time since the fight started.
  const double fight_start = Now();
  std::vector<std::pair<int, double>> changes;
  auto track = [&] {
    if (changes.empty() || changes.back().first != controller->state())
      changes.push_back({controller->state(), Now() - fight_start});
    return false;
  };
  RunUntil(9.8, track);
  EXPECT_EQ(controller->state(), kBossVisible);
  EXPECT_TRUE(boss->enabled);
  EXPECT_FLOAT_EQ(boss->warp_phase, 1.0f);
  RunUntil(0.4, track);  // 10.2 s
  ASSERT_EQ(controller->state(), kBossWarpingOut);
  EXPECT_FALSE(boss->enabled);
  EXPECT_TRUE(boss->warping);
  const double out_at = changes.back().second;
  EXPECT_NEAR(out_at, 10.0, 0.05);
  EXPECT_NEAR(boss->warp_phase, 1.0 - (Now() - fight_start - out_at) / 0.5, 0.05);
  EXPECT_EQ(sound_->Count("data/sounds/teleport.wav"), 1);
  RunUntil(1.8, track);  // 2 s into the warp: the beam is gone
  EXPECT_LT(boss->warp_phase, -2.9f);
  RunUntil(8.0, track);  // 18.2 s
  ASSERT_EQ(controller->state(), kBossAway);
  const double away_at = changes.back().second;
  EXPECT_NEAR(away_at - out_at, 8.0, 0.05);
  EXPECT_EQ(sound_->Count("data/sounds/teleport2.wav"), 1);
  EXPECT_EQ(sound_->Count("data/sounds/laugh1.wav") + sound_->Count("data/sounds/laugh2.wav") +
                sound_->Count("data/sounds/laugh3.wav"),
            1);
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
    return track();
  };
  RunUntil(3.0, blade_on_boss);  // 21.2 s
  EXPECT_EQ(boss->hit_points, hp);
  EXPECT_EQ(sound_->Count("data/sounds/bosshurt.wav"), 0);
  // Its beam is coming back: 1.8 s before reappearing the phase is 1 - 1.8 / 0.5.
  EXPECT_NEAR(boss->warp_phase, 1.0 - (5.0 - (Now() - fight_start - away_at)) / 0.5, 0.1);
  player_->SetPosition(player_->position + CVector(200.0f, 0.0f, 0.0f));
  RunUntil(2.2, track);  // 23.4 s
  ASSERT_EQ(controller->state(), kBossVisible);
  EXPECT_NEAR(changes.back().second - away_at, 5.0, 0.05);
  EXPECT_TRUE(boss->enabled);
  const std::vector<int> order = {kBossVisible, kBossWarpingOut, kBossAway, kBossVisible};
  ASSERT_GE(changes.size(), order.size());
  for (size_t i = 0; i < order.size(); ++i) EXPECT_EQ(changes[i].first, order[i]) << i;

  // Back and visible, the same blade hurts it.
  EXPECT_TRUE(RunUntil(2.0, [&] {
    blade_on_boss();
    return boss->hit_points < hp;
  }));
  EXPECT_GE(sound_->Count("data/sounds/bosshurt.wav"), 1);
}

// The hunter walks up to the player 400 units away and swings; with a random walk instead
// of its path-planning one it gets nowhere near.
TEST_F(GameplayWorldTest, HunterClosesInOnlyWithItsPathPlanningWalk) {
  test::DefaultGameDir game;
  Start();
  Character* hunter = FindCharacter("guard2");
  ASSERT_NE(hunter, nullptr);
  const float close = 3.0f * CVar<float>("blindAI.attackDist", 20.0f);
  RunUntil(0.2);
  // `planned` says which walk the hunter has; true when it swung and came close.
  float nearest = 1e30f;
  const auto approach = [&](bool planned) {
    auto* h = dynamic_cast<HunterController*>(hunter->gameplay_controller());
    EXPECT_NE(h, nullptr);
    if (!h) return false;
    EXPECT_EQ(h->walk_graph() != nullptr, planned);
    hunter->SetPosition(player_->position + CVector(-400.0f, 0.0f, 0.0f));
    bool swung = false;
    nearest = 1e30f;
    return RunUntil(20.0, [&] {
      swung = swung || h->attacking();
      nearest = std::min(nearest, GroundDistance(*hunter, *player_));
      return swung && GroundDistance(*hunter, *player_) < close;
    });
  };
  EXPECT_TRUE(approach(true)) << "still " << GroundDistance(*hunter, *player_) << " away";

  // The same hunter on the guards' random walk (graph kind 2).
  MotionDataSet set;
  ASSERT_TRUE(world_->FindDataSet(4, set));
  set.roles[kRoleMove].graph_id = 6;
  hunter->SetGameplayController(kControllerHunter, set);
  EXPECT_FALSE(approach(false));
  EXPECT_GT(nearest, close);
}

}  // namespace
}  // namespace kt
