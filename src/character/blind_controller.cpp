// The blind opponent: swings when the player is near.
#include "character/blind_controller.h"

#include <cstdlib>

#include "character/character.h"
#include "character/swing_table.h"
#include "console/cvar.h"
#include "sound/sound_system.h"

namespace kt {

BlindController::BlindController(SkeletonController* skeleton_controller, Character* character,
                                 const MotionDataSet& set)
    : GameplayController(skeleton_controller, character, set) {
  if (skeleton_controller_ && Motion(kRoleMove))
    skeleton_controller_->SetRootMotion(Motion(kRoleMove));
}

bool BlindController::Update(Character&) {
  if (!character_) return false;
  SwingAtPlayer();
  return true;
}

void BlindController::SwingAtPlayer() {
  const CVar<float> attack_dist("blindAI.attackDist", 20.0f);
  MotionController* attack = Motion(kRoleAttack);
  if (attacking_) {
    if (attack) frames_played_ += attack->FramesAdvanced();
    if (frames_played_ > std::abs(swing_last_ - swing_first_) || !skeleton_controller_ ||
        !skeleton_controller_->BlendMotion()) {
      attacking_ = false;
      if (skeleton_controller_) skeleton_controller_->FadeOutBlend();
    }
  }
  const GameWorld* world = GetGameWorld();
  const Character* player = world ? world->player : nullptr;
  if (attacking_ || !player || !attack || !skeleton_controller_) return;
  if (!(character_->ReachDistance(*player) < attack_dist)) return;

  attacking_ = true;
  const int kind = std::rand() % 3;
  // Any range will do for a guard: the attack clip holds a frame past its end at the last one.
  const SwingChoice swing = ChooseSwing(kind, attack);
  swing_first_ = swing.first;
  swing_last_ = swing.last;
  frames_played_ = 0;
  attack->SetCurrentFrame(swing_first_);
  skeleton_controller_->SetBlendMotion(attack);
  PlaySoundEffect(std::rand() % 2 ? "data/sounds/swordswing1.wav" : "data/sounds/swordswing2.wav");
}

}  // namespace kt
