// The boss (gameplay controller kind 1): a player controller without devices that, once the
// fight has started, cycles visible -> warping out -> away (reappearing at a random point of
// its zone) -> visible, driving the character's warp phase for the warp effect.
#pragma once

#include "character/player_controller.h"
#include "console/cvar.h"

namespace kt {

inline constexpr int kBossVisible = 0;
inline constexpr int kBossWarpingOut = 1;
inline constexpr int kBossAway = 2;

class BossController : public PlayerController {
 public:
  // The attack clip becomes the root; not fighting, visible.
  BossController(SkeletonController* skeleton_controller, Character* character,
                 const MotionDataSet& set);

  bool Update(Character& character) override;
  InputState ReadInput() override { return {}; }
  void CollectClocks(std::vector<FrameTimer*>& clocks) override {
    PlayerController::CollectClocks(clocks);
    clocks.push_back(&state_timer_);
  }

  // Restarts the state timer; a change of state plays the laughs and teleports and moves the
  // boss into its zone when it goes away.
  void SetBossState(int state);
  // The game flow starts the fight: the boss can be hurt and begins its cycle.
  void StartFight();

  int state() const { return state_; }
  bool fighting() const { return fighting_; }

 private:
  void Leave(int state, int r);
  void Enter(int state);

  int state_ = kBossVisible;
  FrameTimer state_timer_;
  bool fighting_ = false;
  CVar<float> attack_time_;
  CVar<float> teleport_time_;
  CVar<float> reappear_time_;
  CVar<float> warp_time_;
};

// The game flow's start of the boss fight on the world's boss; false (with a log line) when the
// boss has no boss controller.
bool StartBossFight(Character* boss);

}  // namespace kt
