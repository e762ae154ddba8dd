// The player controller (gameplay controller kind 0): turns the devices' move intent and
// three attack buttons into motion choices for one character - which clip drives the root
// (idle, walk, run), how fast the walk or run plays, how the figure turns toward the
// requested direction, and which sword swing is laid over the body. It never moves the
// character itself: the clips' root motion does, through the character body.
//
// Contents: PlayerDevices (what ReadInput reads) - PlayerGlove - PlayerController.
#pragma once

#include <functional>

#include "character/gameplay_controller.h"
#include "character/input_state.h"
#include "console/frame_timer.h"
#include "input/input_devices.h"

namespace kt {

// The device records the player reads on one update: the joystick's while one is acquired,
// the keyboard's while there is a keyboard. By default they come from the input devices'
// last poll; tests install scripted records.
struct PlayerDevices {
  const InputState* joystick = nullptr;
  const KeyboardState* keyboard = nullptr;
};
using PlayerDeviceSource = std::function<PlayerDevices()>;
// An empty source restores the input devices.
void SetPlayerDeviceSource(PlayerDeviceSource source);

// The data glove as the player reads it: a closed hand turns the hand's movement since the
// previous poll into swings, an open hand re-zeroes its position. A test may install its own
// here; nullptr (the default) means the input devices' P5 glove, when one exists.
class PlayerGlove {
 public:
  virtual ~PlayerGlove() = default;
  virtual bool IsPresent() const = 0;
  virtual bool IsFist() const = 0;
  virtual CVector Motion() const = 0;
  virtual void Calibrate() = 0;
};
void SetPlayerGlove(PlayerGlove* glove);
PlayerGlove* GetPlayerGlove();

class PlayerController : public GameplayController {
 public:
  // Idle becomes the root; the run clip plays at 0.9 and the walk starts at frame 40.
  PlayerController(SkeletonController* skeleton_controller, Character* character,
                   const MotionDataSet& set);

  bool Update(Character& character) override;
  void GoIdle() override;
  void UseAttackRoot() override;
  void CollectClocks(std::vector<FrameTimer*>& clocks) override;
  // The devices' intent: the joystick's record when one is present and `input.use_keyboard`
  // is 0, else the keyboard's keys; a present glove adds attack bits.
  virtual InputState ReadInput();

  float level() const { return level_; }
  float scale() const { return scale_; }
  bool decelerating() const { return decelerating_; }
  bool attacking() const { return attacking_; }
  int attack_kind() const { return attack_kind_; }
  int swing_first() const { return swing_first_; }
  int swing_last() const { return swing_last_; }
  int frames_played() const { return frames_played_; }
  const InputState& input() const { return input_; }

 protected:
  // Re-bases the root motion and makes `to` the root, facing the way `from` is shown.
  void SwitchRoot(MotionController* to, MotionController* from);
  // The root motion being shown: during a root cross-fade, the incoming one.
  MotionController* ShownRoot() const;

 private:
  void AdvanceAttack();
  void StartAttack();
  CVector MoveVector() const;
  void StopOrStart(bool stopped);
  void Speed(bool stopped, const CVector& d);
  void Turn(const CVector& d);

  float walk_start_ = 0.0f;
  float scale_ = 1.0f;
  InputState input_;
  InputState previous_joystick_;
  CVector previous_move_;
  FrameTimer accel_timer_;
  FrameTimer decel_timer_;
  float level_ = 0.0f;
  bool decelerating_ = false;
  float decel_start_level_ = 1.0f;
  bool attacking_ = false;
  int frames_played_ = 0;
  int swing_first_ = 0;
  int swing_last_ = 0;
  int attack_kind_ = 0;
};

}  // namespace kt
