// The hunter: sight, steering and idling.
#include "character/hunter_controller.h"

#include <algorithm>

#include "character/character.h"
#include "console/cvar.h"
#include "graph/path_graph.h"
#include "level/bsp_level.h"

namespace kt {

PathGraph* HunterController::walk_graph() const {
  const MotionController* walk = Motion(kRoleMove);
  return walk ? dynamic_cast<PathGraph*>(walk->graph()) : nullptr;
}

const Character* HunterController::VisiblePlayer() const {
  const GameWorld* world = GetGameWorld();
  const Character* player = world ? world->player : nullptr;
  if (!player || player == character_ || !player->enabled || player->dying) return nullptr;
  if (player->gameplay_controller() && player->gameplay_controller()->killed()) return nullptr;
  // Sight: nothing solid on the line between the two bodies.
  if (BspLevel* level = CurrentLevel()) {
    const CVector move = player->position - character_->position;
    if (level->Trace(character_->position, move, 0.0f) < 1.0f) return nullptr;
  }
  return player;
}

void HunterController::SwitchRoot(MotionController* to) {
  if (!to || !skeleton_controller_) return;
  MotionController* root = skeleton_controller_->RootMotion();
  if (root == to) return;
  if (root) MotionController::AlignHeading(*to, *root);
  character_->SetPosition(character_->position);
  skeleton_controller_->SetRootMotion(to);
}

// The planner can only pick stretches of the walk that turn the right way, and a walk clip
// turns gently and both ways in turn: planning alone leaves the hunter circling its prey. What
// heading error is left is taken out of the walk's alignment like the player's turning, a
// fraction hunterAI.turn_rate x t of it per update.
void HunterController::TurnToward(const CVector& direction) {
  const CVar<float> turn_rate("hunterAI.turn_rate", 3.0f);
  MotionController* walk = Motion(kRoleMove);
  if (!walk || !skeleton_controller_ || skeleton_controller_->RootMotion() != walk) return;
  CVector h = Facing(walk->ShownPosture());
  h.y = 0.0f;
  if (h.Length() == 0.0f || direction.Length() == 0.0f) return;
  const float heading = HeadingAngle(h, direction);
  const double a = heading <= 180.0f ? heading : heading - 360.0f;
  const double t = walk->timer().Elapsed();
  const double fraction = std::clamp(double(turn_rate) * t, 0.0, 1.0);
  walk->TurnHeading(float(fraction * a));
}

bool HunterController::Update(Character&) {
  if (!character_) return false;
  const Character* player = VisiblePlayer();
  hunting_ = player != nullptr;
  PathGraph* graph = walk_graph();
  if (!hunting_) {
    // No direction: the graph plans nothing while the hunter stands.
    if (graph) graph->SetTargetDirection(CVector());
    SwitchRoot(Motion(kRoleIdle));
    return true;
  }
  SwitchRoot(Motion(kRoleMove));
  CVector direction = player->position - character_->position;
  direction.y = 0.0f;
  // Planning runs inside the walk's update, at most one bounded search per update; the
  // direction only says where it should lead. Facing the player already, there is nothing
  // to plan (a search would only fail, every update).
  const CVar<float> aim_tolerance("hunterAI.aim_tolerance", 10.0f);
  const MotionController* walk = Motion(kRoleMove);
  const bool aimed = walk && direction.Length() > 0.0f &&
                     AngularDifference(HeadingAngle(Facing(walk->ShownPosture()), direction),
                                       0.0f) < aim_tolerance;
  if (graph) graph->SetTargetDirection(aimed ? CVector() : direction);
  if (graph) TurnToward(direction);
  SwingAtPlayer();
  return true;
}

}  // namespace kt
