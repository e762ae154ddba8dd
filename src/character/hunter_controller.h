// The hunter (gameplay controller kind 3): a guard that sees. While the player is alive and in
// sight it walks toward the player, steering its walk clip's path-planning graph at the
// player's direction every update, and swings like the blind opponent when close; otherwise it
// stands idle. Within `hunterAI.aim_tolerance` degrees of facing the player it plans nothing.
#pragma once

#include "character/blind_controller.h"

namespace kt {

class PathGraph;

class HunterController : public BlindController {
 public:
  using BlindController::BlindController;

  bool Update(Character& character) override;

  bool hunting() const { return hunting_; }
  // The walk clip's path graph, or nullptr when the walk has a graph of another kind.
  PathGraph* walk_graph() const;

 private:
  // The player, when alive and not hidden by the level.
  const Character* VisiblePlayer() const;
  void SwitchRoot(MotionController* to);
  // Turns the walk toward `direction` (ground plane) at hunterAI.turn_rate.
  void TurnToward(const CVector& direction);

  bool hunting_ = true;
};

}  // namespace kt
