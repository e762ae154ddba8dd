// The gameplay controller base: the five-clip motion set and a character's death.
#include "character/gameplay_controller.h"

#include "character/blind_controller.h"
#include "character/boss_controller.h"
#include "character/character.h"
#include "character/hunter_controller.h"
#include "character/player_controller.h"
#include "console/log.h"
#include "sound/sound_system.h"

namespace kt {
namespace {

// A role's controller: its graph description when the world lists that id, else the bare
// clip without a graph, else none.
std::unique_ptr<MotionController> RoleController(const MotionDataSet::Role& role) {
  GraphDescription description;
  const GameWorld* world = GetGameWorld();
  if (world && world->FindGraph(role.graph_id, description)) return description.CreateController();
  if (role.motion) return std::make_unique<MotionController>(role.motion, 0, 1.0f, 2, -1.0f);
  return nullptr;
}

}  // namespace

GameplayController::GameplayController(SkeletonController* skeleton_controller,
                                       Character* character, const MotionDataSet& set)
    : skeleton_controller_(skeleton_controller), character_(character) {
  for (int role = 0; role < kRoleCount; ++role) {
    motions_[role] = RoleController(set.roles[role]);
    if (motions_[role]) motions_[role]->Stop();
  }
}

GameplayController::~GameplayController() {
  // The skeleton controller (which the character destroys after this) may still point at
  // the clips about to go.
  if (!skeleton_controller_) return;
  for (const auto& motion : motions_) skeleton_controller_->Forget(motion.get());
}

void GameplayController::CollectClocks(std::vector<FrameTimer*>& clocks) {
  for (const auto& motion : motions_)
    if (motion) clocks.push_back(&motion->timer());
}

void GameplayController::Kill() {
  if (!character_ || character_->invulnerable) return;
  killed_ = true;
  PlaySoundEffect("data/sounds/death.wav");
  GameWorld* world = GetGameWorld();
  if (world && world->player == character_ && world->change_state) world->change_state("LoseGame");
  LogPrintf("Character '%s' Killed!!", character_->name().c_str());
  if (world && world->on_kill) world->on_kill(*character_);
}

std::unique_ptr<GameplayController> CreateGameplayController(
    int kind, const MotionDataSet& set, SkeletonController* skeleton_controller,
    Character* character) {
  switch (kind) {
    case kControllerPlayer:
      return std::make_unique<PlayerController>(skeleton_controller, character, set);
    case kControllerBoss:
      return std::make_unique<BossController>(skeleton_controller, character, set);
    case kControllerBlind:
      return std::make_unique<BlindController>(skeleton_controller, character, set);
    case kControllerHunter:
      return std::make_unique<HunterController>(skeleton_controller, character, set);
    default:
      return nullptr;
  }
}

}  // namespace kt
