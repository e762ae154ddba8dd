// The boss: its three-state cycle and the fight start.
#include "character/boss_controller.h"

#include <algorithm>
#include <cstdlib>

#include "character/character.h"
#include "console/log.h"
#include "sound/sound_system.h"

namespace kt {

BossController::BossController(SkeletonController* skeleton_controller, Character* character,
                               const MotionDataSet& set)
    : PlayerController(skeleton_controller, character, set) {
  attack_time_.Register("boss.attack_time", 10.0f);
  teleport_time_.Register("boss.teleport_time", 8.0f);
  reappear_time_.Register("boss.reappear_time", 5.0f);
  warp_time_.Register("boss.warp_time", 0.5f);
  if (skeleton_controller_ && Motion(kRoleAttack))
    skeleton_controller_->SetRootMotion(Motion(kRoleAttack));
}

void BossController::SetBossState(int state) {
  const int old = state_;
  state_ = state;
  state_timer_.Reset();
  if (state == old) return;
  const int r = std::rand() % 3;
  Leave(old, r);
  Enter(state);
}

void BossController::Leave(int state, int r) {
  if (state == kBossVisible) {
    if (MotionController* attack = Motion(kRoleAttack)) {
      attack->SetCurrentFrame(0);
      attack->Stop();
    }
    // Away from the fight: no figure, no sword hits; the warp effect still shows it.
    if (character_) character_->enabled = false;
  } else if (state == kBossWarpingOut) {
    static const char* const kLaughs[3] = {"data/sounds/laugh1.wav", "data/sounds/laugh2.wav",
                                           "data/sounds/laugh3.wav"};
    PlaySoundEffect(kLaughs[r]);
  }
}

void BossController::Enter(int state) {
  if (state == kBossVisible) {
    if (MotionController* attack = Motion(kRoleAttack)) attack->Play();
    if (character_) character_->enabled = true;
  } else if (state == kBossWarpingOut) {
    PlaySoundEffect("data/sounds/teleport.wav");
  } else if (state == kBossAway) {
    PlaySoundEffect("data/sounds/teleport2.wav");
    if (character_ && character_->zone) {
      float px = 0.0f, py = 0.0f;
      character_->zone->RandomPoint(px, py);
      character_->SetPosition(CVector(px, character_->position.y, py));
    }
  }
}

void BossController::StartFight() {
  if (character_) character_->invulnerable = false;
  fighting_ = true;
  SetBossState(kBossVisible);
}

bool BossController::Update(Character&) {
  if (!character_ || !fighting_) return false;
  const double t = state_timer_.Elapsed();
  // A zero warp time means an instant warp, not a division by zero.
  const double warp_time = std::max(double(warp_time_), 1e-6);
  switch (state_) {
    case kBossVisible:
      if (t > attack_time_) {
        SetBossState(kBossWarpingOut);
        character_->warp_phase = 1.0f;
        character_->warping = true;
      }
      break;
    case kBossWarpingOut:
      if (t > teleport_time_)
        SetBossState(kBossAway);
      else
        character_->warp_phase = float(1.0 - t / warp_time);
      break;
    case kBossAway:
      if (t > reappear_time_) {
        SetBossState(kBossVisible);
        character_->warping = false;
      } else {
        character_->warp_phase = float(1.0 - (double(reappear_time_) - t) / warp_time);
      }
      break;
    default:
      break;
  }
  return true;
}

bool StartBossFight(Character* boss) {
  auto* controller = boss ? dynamic_cast<BossController*>(boss->gameplay_controller()) : nullptr;
  if (!controller) {
    LogPrintf("StartBossFight: '%s' has no boss controller", boss ? boss->name().c_str() : "");
    return false;
  }
  controller->StartFight();
  return true;
}

}  // namespace kt
