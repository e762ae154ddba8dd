// Gameplay controller: what steers one character. Every kind owns a motion set of five
// motion controllers built from the character's motion data set (attack, defensive, idle,
// move, extra) and decides each frame which of them drives the root and which swing is laid
// over it. Kinds: 0 the player, 1 the boss, 2 the blind opponent, 3 the hunter.
#pragma once

#include <memory>
#include <vector>

#include "character/game_world.h"
#include "character/motion_controller.h"
#include "motion/vector.h"

namespace kt {

class Character;
class SkeletonController;

inline constexpr int kControllerPlayer = 0;
inline constexpr int kControllerBoss = 1;
inline constexpr int kControllerBlind = 2;
inline constexpr int kControllerHunter = 3;

class GameplayController {
 public:
  // Builds the motion set from `set` (a role's graph description when its id exists in the
  // world's graph list, else the bare clip, else nothing) and stops all five.
  GameplayController(SkeletonController* skeleton_controller, Character* character,
                     const MotionDataSet& set);
  virtual ~GameplayController();
  GameplayController(const GameplayController&) = delete;
  GameplayController& operator=(const GameplayController&) = delete;

  // Once per frame from the character's update; false when the controller did nothing.
  virtual bool Update(Character& character) = 0;
  // Idle root, overlay fading out, attack over (the player and the boss).
  virtual void GoIdle() {}
  // The attack clip becomes the root motion (the player and the boss).
  virtual void UseAttackRoot() {}
  // Appends the clocks a paused game must stop: the five clips' timers and the kind's own.
  virtual void CollectClocks(std::vector<FrameTimer*>& clocks);

  // A sword hit took the character's hit points to 0 or below: raises the killed flag (for
  // good), plays the death sound and, for the player, asks the game flow for "LoseGame".
  // Nothing happens to an invulnerable character.
  void Kill();

  bool killed() const { return killed_; }
  // The motion controller of a role (kRoleAttack ... kRoleExtra), or nullptr.
  MotionController* Motion(int role) const { return motions_[role].get(); }
  SkeletonController* skeleton_controller() const { return skeleton_controller_; }
  Character* character() const { return character_; }
  // The player controller's move vector (world directions); (1, 0, 0) for the others.
  const CVector& move_vector() const { return move_vector_; }

 protected:
  bool killed_ = false;
  SkeletonController* skeleton_controller_ = nullptr;
  Character* character_ = nullptr;
  std::unique_ptr<MotionController> motions_[kRoleCount];
  CVector move_vector_{1.0f, 0.0f, 0.0f};
};

// A controller of the given kind for the character; nullptr for an unknown kind.
std::unique_ptr<GameplayController> CreateGameplayController(
    int kind, const MotionDataSet& set, SkeletonController* skeleton_controller,
    Character* character);

}  // namespace kt
