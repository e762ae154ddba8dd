// The blind opponent (gameplay controller kind 2): its walk wanders wherever its motion graph
// leads, and it swings at whatever comes within `blindAI.attackDist` of it - in practice the
// player.
#pragma once

#include "character/gameplay_controller.h"

namespace kt {

class BlindController : public GameplayController {
 public:
  // The walk clip becomes the root.
  BlindController(SkeletonController* skeleton_controller, Character* character,
                  const MotionDataSet& set);

  bool Update(Character& character) override;

  bool attacking() const { return attacking_; }
  int swing_first() const { return swing_first_; }
  int swing_last() const { return swing_last_; }

 protected:
  // Ends a swing that has run its length (or lost its overlay), then starts one when the
  // player is near.
  void SwingAtPlayer();

 private:
  bool attacking_ = false;
  int frames_played_ = 0;
  int swing_first_ = 0;
  int swing_last_ = 0;
};

}  // namespace kt
