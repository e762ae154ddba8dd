// The player controller: input, swings, the move vector, stopping and starting, the speed
// level with the walk/run switch, and turning.
#include "character/player_controller.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "character/character.h"
#include "character/ease.h"
#include "character/player_glove.h"
#include "character/swing_table.h"
#include "console/log.h"
#include "sound/sound_system.h"

namespace kt {
namespace {

constexpr double kRadToDeg = 57.29577951308232;

PlayerDeviceSource& DeviceSource() {
  static PlayerDeviceSource source;
  return source;
}

PlayerGlove* g_glove = nullptr;

PlayerDevices ReadDevices() {
  if (DeviceSource()) return DeviceSource()();
  PlayerDevices devices;
  if (JoystickReady()) devices.joystick = &GetJoystickState();
  if (GetKeyboard()) devices.keyboard = &GetKeyboardState();
  return devices;
}

CVector Rotate(const CMatrix& m, const CVector& v) {
  return {float(double(m.At(0, 0)) * v.x + double(m.At(0, 1)) * v.y + double(m.At(0, 2)) * v.z),
          float(double(m.At(1, 0)) * v.x + double(m.At(1, 1)) * v.y + double(m.At(1, 2)) * v.z),
          float(double(m.At(2, 0)) * v.x + double(m.At(2, 1)) * v.y + double(m.At(2, 2)) * v.z)};
}

// Degrees between two vectors; 0 when either is zero.
double AngleDegrees(const CVector& a, const CVector& b) {
  const double lengths = double(a.Length()) * b.Length();
  if (lengths <= 0.0) return 0.0;
  return std::acos(std::clamp(double(Dot(a, b)) / lengths, -1.0, 1.0)) * kRadToDeg;
}

void PlaySwingSound() {
  PlaySoundEffect(std::rand() % 2 ? "data/sounds/swordswing1.wav" : "data/sounds/swordswing2.wav");
}

}  // namespace

void SetPlayerDeviceSource(PlayerDeviceSource source) { DeviceSource() = std::move(source); }
void SetPlayerGlove(PlayerGlove* glove) { g_glove = glove; }
PlayerGlove* GetPlayerGlove() { return g_glove ? g_glove : P5PlayerGlove(); }

PlayerController::PlayerController(SkeletonController* skeleton_controller, Character* character,
                                   const MotionDataSet& set)
    : GameplayController(skeleton_controller, character, set) {
  if (skeleton_controller_ && Motion(kRoleIdle))
    skeleton_controller_->SetRootMotion(Motion(kRoleIdle));
  decel_timer_.Reset();
  if (MotionController* run = Motion(kRoleExtra)) run->SetSpeed(0.9f);
  if (MotionController* walk = Motion(kRoleMove)) walk->SetCurrentFrame(40);
}

MotionController* PlayerController::ShownRoot() const {
  if (!skeleton_controller_) return nullptr;
  if (MotionController* incoming = skeleton_controller_->incoming_root()) return incoming;
  return skeleton_controller_->RootMotion();
}

void PlayerController::SwitchRoot(MotionController* to, MotionController* from) {
  // Already coming in: turning it again and re-basing on every update of the cross-fade would
  // hold the figure on the spot until the fade ends.
  if (!to || !skeleton_controller_ || to == ShownRoot()) return;
  if (from) MotionController::AlignHeading(*to, *from);
  if (character_) character_->SetPosition(character_->position);
  skeleton_controller_->SetRootMotion(to);
}

void PlayerController::GoIdle() {
  if (!skeleton_controller_) return;
  SwitchRoot(Motion(kRoleIdle), ShownRoot());
  skeleton_controller_->FadeOutBlend();
  attacking_ = false;
}

void PlayerController::UseAttackRoot() {
  if (!skeleton_controller_) return;
  SwitchRoot(Motion(kRoleAttack), ShownRoot());
}

void PlayerController::CollectClocks(std::vector<FrameTimer*>& clocks) {
  GameplayController::CollectClocks(clocks);
  clocks.push_back(&accel_timer_);
  clocks.push_back(&decel_timer_);
}

InputState PlayerController::ReadInput() {
  static CVar<int> use_keyboard("input.use_keyboard", 1);
  static CVar<int> key_left("input.key_move_left", 203);
  static CVar<int> key_right("input.key_move_right", 205);
  static CVar<int> key_up("input.key_move_up", 200);
  static CVar<int> key_down("input.key_move_down", 208);
  static CVar<int> key_attack_left("input.key_attack_left", 30);
  static CVar<int> key_attack_right("input.key_attack_right", 32);
  static CVar<int> key_attack_forward("input.key_attack_forward", 17);

  InputState record;
  const PlayerDevices devices = ReadDevices();
  if (devices.joystick && use_keyboard == 0) {
    record = *devices.joystick;
  } else if (devices.keyboard) {
    const KeyboardState& k = *devices.keyboard;
    record.z = k.KeyDown(key_up) ? 1.0f : k.KeyDown(key_down) ? -1.0f : 0.0f;
    record.x = k.KeyDown(key_left) ? -1.0f : k.KeyDown(key_right) ? 1.0f : 0.0f;
    record.Set(kInputAttackLeft, k.KeyDown(key_attack_left));
    record.Set(kInputAttackRight, k.KeyDown(key_attack_right));
    record.Set(kInputAttackForward, k.KeyDown(key_attack_forward));
  }

  PlayerGlove* glove = GetPlayerGlove();
  if (glove && glove->IsPresent()) {
    if (!glove->IsFist()) {
      glove->Calibrate();
    } else {
      // The glove only ever adds swings; keys held at the same time keep theirs.
      const CVar<float> thresh("p5.sword_speed_thresh", 1.0f);
      const CVector v = glove->Motion();
      const float t = thresh;
      bool right = false;
      if (v.x > t) {
        record.Set(kInputAttackRight, true);
        right = true;
      } else if (v.x < 0.0f && std::fabs(v.x) > t) {
        record.Set(kInputAttackLeft, true);
      } else if (v.z > t) {
        record.Set(kInputAttackForward, true);
      }
      const MotionController* root =
          skeleton_controller_ ? skeleton_controller_->RootMotion() : nullptr;
      const float seconds = root ? root->elapsed() : 0.0f;
      LogPrintf("Glove Right: %f %f %d", double(v.x), double(v.x) * seconds, right ? 1 : 0);
    }
  }
  return record;
}

bool PlayerController::Update(Character&) {
  if (!character_) return false;
  input_ = ReadInput();
  AdvanceAttack();
  StartAttack();

  const CVector d = MoveVector();
  move_vector_ = d;
  const bool stopped = d.x == 0.0f && d.z == 0.0f;
  StopOrStart(stopped);
  Speed(stopped, d);
  if (!stopped) Turn(d);

  const PlayerDevices devices = ReadDevices();
  if (devices.joystick) previous_joystick_ = *devices.joystick;
  previous_move_ = d;
  return true;
}

void PlayerController::AdvanceAttack() {
  if (!attacking_) return;
  if (const MotionController* attack = Motion(kRoleAttack))
    frames_played_ += attack->FramesAdvanced();
  if (frames_played_ >= swing_last_ - swing_first_ || !skeleton_controller_ ||
      !skeleton_controller_->BlendMotion()) {
    attacking_ = false;
    if (skeleton_controller_) skeleton_controller_->FadeOutBlend();
  }
}

void PlayerController::StartAttack() {
  // A forward thrust runs to its end; a left or right swing gives way to the forward button.
  const bool entered =
      !attacking_ || ((attack_kind_ == 1 || attack_kind_ == 2) && input_.Test(kInputAttackForward));
  if (!entered) return;
  static constexpr int kButtons[3][2] = {
      {kInputAttackLeft, 1}, {kInputAttackRight, 2}, {kInputAttackForward, 0}};
  MotionController* attack = Motion(kRoleAttack);
  bool chosen = false;
  for (const auto& [bit, kind] : kButtons) {
    if (!input_.Test(bit)) continue;
    const SwingChoice swing = ChooseSwing(kind, attack);
    if (!swing.valid) continue;  // this kind's ranges lie past the attack clip
    swing_first_ = swing.first;
    swing_last_ = swing.last;
    attack_kind_ = kind;
    attacking_ = true;
    chosen = true;
    break;
  }
  // Only a newly chosen swing restarts: a running one whose buttons found nothing valid
  // plays on.
  if (!chosen) return;
  PlaySwingSound();
  frames_played_ = 0;
  attack->SetCurrentFrame(swing_first_);
  if (skeleton_controller_) skeleton_controller_->SetBlendMotion(attack);
}

CVector PlayerController::MoveVector() const {
  CVector d(input_.x, 0.0f, -input_.z);
  const GameWorld* world = GetGameWorld();
  if (world && world->camera)
    d = Rotate(HeadingOnly(world->camera->orientation.Inverse()).ToMatrix(), d);
  return d;
}

void PlayerController::StopOrStart(bool stopped) {
  if (!skeleton_controller_) return;
  const bool was_moving = !(previous_move_.x == 0.0f && previous_move_.z == 0.0f);
  MotionController* root = ShownRoot();
  if (stopped) {
    if (was_moving && !decelerating_) {
      decel_timer_.Reset();
      decelerating_ = true;
      decel_start_level_ = level_;
    }
    if (level_ <= 0.00001f && decelerating_) {
      SwitchRoot(Motion(kRoleIdle), root);
      decelerating_ = false;
    }
  } else if (!was_moving) {
    SwitchRoot(Motion(kRoleMove), root);
    walk_start_ = 0.0f;
    accel_timer_.Reset();
  }
}

void PlayerController::Speed(bool stopped, const CVector& d) {
  const CVar<float> accel_time("character.accelTime", 1.5f);
  const CVar<float> deccel_time("character.deccelTime", 0.75f);
  const CVar<float> run_thresh("character.runThresh", 0.75f);
  const CVar<float> min_scale("character.min_scale", 0.65f);
  const CVar<float> max_scale("character.max_scale", 1.25f);
  const CVar<float> min_scale_run("character.min_scale_run", 0.8f);
  const CVar<float> max_scale_run("character.max_scale_run", 0.95f);

  if (stopped) {
    // A deceleration that began at level 0 (the move key tapped before the level rose) is
    // already over; the ramp formula would divide 0 by 0 there.
    const double l0 = decel_start_level_;
    const double span = double(deccel_time) * l0;
    const double level = span > 0.0 ? l0 - decel_timer_.Elapsed() / span : 0.0;
    level_ = float(std::max(level, 0.0));
  } else {
    const double t = accel_timer_.Elapsed();
    level_ = float(accel_time > 0.0f ? std::min(t / accel_time, 1.0) : 1.0);
  }

  // A stick pushed part of the way caps the speed; the stored level itself is not capped.
  const float length = d.Length();
  const float s = Ease(!stopped && level_ > length ? length : level_);

  if (!skeleton_controller_) return;
  MotionController* walk = Motion(kRoleMove);
  MotionController* run = Motion(kRoleExtra);
  const float r = run_thresh;
  // The walk/run choice and the scale go to the root coming in during a cross-fade: that is
  // the one whose root motion is shown.
  MotionController* root = ShownRoot();
  if (run && s < r && root == run) {
    SwitchRoot(walk, run);
  } else if (run && s > r && root == walk && !stopped) {
    SwitchRoot(run, walk);
  }

  root = ShownRoot();
  if (!root) return;
  if (root == walk) {
    const float w = r > 0.0f ? s / r : 1.0f;
    scale_ = min_scale * (1.0f - w) + max_scale * w;
    walk->SetSpeed(scale_);
  } else if (root == run) {
    const float u = r < 1.0f ? (s - r) / (1.0f - r) : 1.0f;
    scale_ = min_scale_run * (1.0f - u) + max_scale_run * u;
    run->SetSpeed(scale_);
  }
}

void PlayerController::Turn(const CVector& d) {
  static CVar<float> turn_rate;
  static CVar<float> turn_speed_factor;  // registered beside turn_rate; not read
  if (!turn_rate.Bound()) {
    turn_rate.Register("character.turn_rate", 20.0f);
    turn_speed_factor.Register("character.turn_speed_factor", 0.25f);
  }
  if (!skeleton_controller_) return;
  MotionController* root = ShownRoot();
  if (!root || (root != Motion(kRoleMove) && root != Motion(kRoleExtra))) return;

  const CVector row = root->ShownPosture().rotations[0].RowAxis(0);
  const CVector h(row.z, row.y, row.x);
  const double sign = Cross(d, h).y > 0.0f ? 1.0 : -1.0;
  const double a = sign * AngleDegrees(h, d);
  const double t = root->timer().Elapsed();

  // The heading error shrinks by turn_rate * t per update; a long frame turns the whole way
  // rather than past the target.
  const double fraction = std::min(double(turn_rate) * h.Length() * t, 1.0);
  root->TurnHeading(float(fraction * a));
  root->SetTurnRotation(CQuaternion::FromEuler(0.0f, float(-(turn_rate * level_ * t * a)), 0.0f));
}

}  // namespace kt
