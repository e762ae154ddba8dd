// Character body: creation, the per-frame update and the small operations other code calls.
//
// Contents: zone rectangle - registry - creation - Update (root motion, sword, level and
// character collisions, stepping and falling) - SetActive, SetGameplayController, Hurt.
#include "character/character.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "character/game_world.h"
#include "console/cvar.h"
#include "level/bsp_level.h"
#include "sound/sound_system.h"

namespace kt {
namespace {

CVar<float> g_sword_length("character.sword_length", 10.0f);
CVar<float> g_sword_damage("character.sword_damage", 3.0f);
CVar<float> g_gravity("level.gravity", -10.0f);

constexpr float kMaxFrameSeconds = 0.1f;
constexpr float kProbeDepth = 10000.0f;
constexpr float kPushFactor = 1.01f;

std::map<std::string, Character*>& Registry() {
  static std::map<std::string, Character*> registry;
  return registry;
}

bool Finite(const CVector& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

}  // namespace

// ---- zone rectangle ----

ZoneRect::ZoneRect(float ax1, float ay1, float ax2, float ay2)
    : x1(ax1), y1(ay1), x2(ax2), y2(ay2) {
  min_x = std::fmin(x1, x2);
  max_x = std::fmax(x1, x2);
  min_y = std::fmin(y1, y2);
  max_y = std::fmax(y1, y2);
}

void ZoneRect::RandomPoint(float& x, float& y) const {
  // Widths beyond int range (or NaN) are treated like an empty axis.
  auto step = [](float lo, float hi, int r) {
    const double width = double(hi) - double(lo);
    if (!(width >= 1.0) || width > 2147483647.0) return lo;
    return float(lo + 1.0 + double(r % int(width)));
  };
  const int r1 = std::rand();
  const int r2 = std::rand();
  x = step(min_x, max_x, r1);
  y = step(min_y, max_y, r2);
}

// ---- registry and creation ----

const std::map<std::string, Character*>& CharacterRegistry() { return Registry(); }

Character* FindCharacter(const std::string& name) {
  const auto it = Registry().find(LowerCase(name));
  return it == Registry().end() ? nullptr : it->second;
}

// Every character is an entity, so the entity registry's unique name is free among characters.
Character::Character(const std::string& name)
    : Entity(UniqueName(name, Registry()), kEntityCharacter) {
  Registry()[this->name()] = this;
  // The base turn is 90 radians about each axis, not 90 degrees: the figures were built to it.
  base_orientation = CQuaternion() * CQuaternion::FromAxisAngle(CVector(0, 1, 0), 90.0f) *
                     CQuaternion::FromAxisAngle(CVector(0, 0, 1), 90.0f);
  skeleton_ = std::make_unique<Skeleton>("MartialArts.asf", kMotionScale);
  skeleton_controller_ = std::make_unique<SkeletonController>(skeleton_.get());
  EnsureCharacterDrawing(*skeleton_);
  // In [0, 1] whatever RAND_MAX is (here far above 32767): it blends the parts' two scatter
  // directions when a parts model dies.
  death_parameter = float(std::rand() % 32768) * (1.0f / 32767.0f);
}

Character::~Character() {
  for (auto it = Registry().begin(); it != Registry().end(); ++it) {
    if (it->second != this) continue;
    Registry().erase(it);
    break;
  }
  // The controller's clips go first, while the skeleton controller can still forget them.
  gameplay_controller_.reset();
  skeleton_controller_.reset();
}

void Character::SetPosition(const CVector& p) {
  position = p;
  position_set = true;
}

void Character::SetOrientation(const CQuaternion& q) {
  orientation = q;
  orientation_set = true;
}

MotionController* Character::RootMotion() const {
  return skeleton_controller_ ? skeleton_controller_->RootMotion() : nullptr;
}

CVector Character::JointPosition(int bone) const {
  return skeleton_->BoneEndPosition(bone) - offset;
}

float Character::ReachDistance(const Character& other) const {
  const CVar<int> bodies_push("character.character_collisions", 0);
  const CVar<float> radius("character.radius", 20.0f);
  const float bodies = bodies_push != 0 ? 2.0f * radius : 0.0f;
  return Distance(other.position, position) - bodies;
}

bool Character::IsPlayer() const {
  const GameWorld* world = GetGameWorld();
  return world && world->player == this;
}

void Character::SetActive(bool active) {
  controller_active = active;
  if (!active && gameplay_controller_) gameplay_controller_->GoIdle();
}

void Character::SetGameplayController(int kind, const MotionDataSet& set) {
  gameplay_controller_.reset();
  gameplay_controller_ = CreateGameplayController(kind, set, skeleton_controller_.get(), this);
}

std::vector<FrameTimer*> Character::Clocks() {
  std::vector<FrameTimer*> clocks = {&state_timer};
  if (gameplay_controller_) gameplay_controller_->CollectClocks(clocks);
  if (const SkeletonController* s = skeleton_controller_.get())
    for (MotionController* m :
         {s->RootMotion(), s->incoming_root(), s->BlendMotion(), s->incoming_overlay()})
      if (m) clocks.push_back(&m->timer());
  std::sort(clocks.begin(), clocks.end());
  clocks.erase(std::unique(clocks.begin(), clocks.end()), clocks.end());
  return clocks;
}

void Character::Freeze() {
  if (frozen_) return;
  frozen_ = true;
  for (FrameTimer* clock : Clocks()) {
    if (clock->Paused()) continue;
    clock->Pause();
    stopped_clocks_.push_back(clock);
  }
}

void Character::Thaw() {
  if (!frozen_) return;
  frozen_ = false;
  // Only clocks the figure still has: a clip replaced during the pause is gone.
  for (FrameTimer* clock : Clocks())
    if (std::find(stopped_clocks_.begin(), stopped_clocks_.end(), clock) != stopped_clocks_.end())
      clock->Resume();
  stopped_clocks_.clear();
}

void Character::Hurt() {
  state_timer.Reset();
  hurt = true;
}

// ---- update ----

bool Character::Update() {
  if (frozen_) return false;
  const GameWorld* world = GetGameWorld();
  if (!enabled) {
    // Only the boss acts while disabled: its controller decides when it comes back.
    if (world && world->boss == this && gameplay_controller_ && !gameplay_controller_->killed())
      gameplay_controller_->Update(*this);
    return false;
  }
  if (gameplay_controller_) {
    if (gameplay_controller_->killed()) {
      enabled = false;
      return false;
    }
    if (controller_active) {
      gameplay_controller_->Update(*this);
      if (gameplay_controller_->killed()) enabled = false;
    }
  }
  MotionController* root = RootMotion();
  if (!root) return false;

  const float dt = std::fmin(float(root->timer().Elapsed()), kMaxFrameSeconds);
  skeleton_controller_->Update();
  const CVector delta = skeleton_->root_position() - previous_root;
  previous_root = skeleton_->root_position();
  if (name() == "player1" && delta.Length() > 10.0f && root->timer().SinceStart() > 10.0 &&
      !position_set)
    skeleton_controller_->Update();

  const bool rebased = position_set;
  if (position_set) {
    position_set = false;
    position.y += delta.y;
    offset += JointPosition(0) - position;
  } else {
    position += delta;
  }

  SampleSword();
  CVector correction = LevelCorrection();
  HitAndPushOthers(correction);
  StepOrFall(correction, dt);
  if (!rebased && Finite(correction)) {
    // The offset alone moves every joint with the position.
    position += correction;
    offset -= correction;
  }

  orientation_set = false;
  const Bone& root_bone = skeleton_->RootBone();
  orientation = CQuaternion::FromEuler(root_bone.angle_x, root_bone.angle_y, root_bone.angle_z) *
                base_orientation;
  return true;
}

void Character::SampleSword() {
  hilt = JointPosition(kSwordHiltBone);
  const CVector guide = JointPosition(kSwordGuideBone) - hilt;
  const float length = guide.Length();
  // Coinciding wrists give no direction: the blade keeps the last one.
  if (length > 1e-6f && std::isfinite(length)) blade = guide / length;
  const CVector tip = hilt + blade * g_sword_length.Get();
  if (sample_cursor == -1) {
    sample_cursor = 0;
    for (int i = 0; i < kSwordSamples; ++i) {
      hilt_samples[i] = hilt;
      tip_samples[i] = tip;
    }
    return;
  }
  hilt_samples[sample_cursor] = hilt;
  tip_samples[sample_cursor] = tip;
  sample_cursor = (sample_cursor + 1) % kSwordSamples;
}

CVector Character::LevelCorrection() {
  static CVar<int> collisions("character.collisions", 1);
  static CVar<float> radius("character.radius", 20.0f);
  BspLevel* level = CurrentLevel();
  if (!collisions.Get() || !level || !level->loaded()) return CVector();
  const std::optional<CollisionPlane> plane = level->Penetration(position, radius.Get());
  if (!plane) return CVector();
  const CVector& n = plane->normal;
  return n * ((radius.Get() + plane->distance) - Dot(n, position));
}

void Character::HitAndPushOthers(CVector& c) {
  static CVar<int> character_collisions("character.character_collisions", 0);
  static CVar<float> radius_var("character.radius", 20.0f);
  static CVar<float> height_var("character.height", 50.0f);
  static CVar<float> cheat("character.cheat", 1.5f);
  const GameWorld* world = GetGameWorld();
  if (!character_collisions.Get() || !world) return;
  const float radius = radius_var.Get();
  const float height = height_var.Get();
  const float reach = IsPlayer() ? radius * cheat.Get() : radius;
  const float sword_length = g_sword_length.Get();
  for (Character* other : world->entities) {
    if (other == this || !other->enabled) continue;
    const CVector v = position - other->position;
    const float s = -(v.x * blade.x + v.z * blade.z);
    const float off_line = (v.x * v.x + v.z * v.z) - (1.0f - blade.y * blade.y) * s * s;
    if (s > 0.0f && s < sword_length + reach && !other->invulnerable && off_line < reach * reach &&
        !other->hurt) {
      other->Hurt();
      other->hit_points -= g_sword_damage.Get();
      if (other == world->player)
        PlaySoundEffect("data/sounds/hurt3.wav");
      else if (other == world->boss)
        PlaySoundEffect("data/sounds/bosshurt.wav");
      else
        PlaySoundEffect(std::rand() % 2 ? "data/sounds/hurt1.wav" : "data/sounds/hurt2.wav");
      if (other->hit_points <= 0.0f) {
        if (other->gameplay_controller_) other->gameplay_controller_->Kill();
        other->dying = true;
      }
    }
    const float ground_distance2 = v.x * v.x + v.z * v.z;
    if (v.y > -height && v.y < height && ground_distance2 < 4.0f * radius * radius) {
      const float h = v.y > 0.0f ? height - v.y : -(height + v.y);
      const float dist = std::sqrt(ground_distance2);
      const float p = 2.0f * radius - dist;
      if (std::fabs(h) <= p) {
        c.y += kPushFactor * h;
      } else if (dist <= 0.0f) {
        // Two figures on the same spot have no direction between them: they part along x,
        // each its own way.
        c.x += kPushFactor * (name() < other->name() ? p : -p);
      } else {
        c.x += kPushFactor * v.x * p / dist;
        c.z += kPushFactor * v.z * p / dist;
      }
    }
  }
}

void Character::StepOrFall(CVector& c, float dt) {
  static CVar<float> step_acceleration("character.step_acceleration", 10.0f);
  static CVar<float> step_speed("character.step_speed", 10.0f);
  static CVar<float> step_height("character.step_height", 10.0f);
  BspLevel* level = CurrentLevel();
  if (!level || !level->loaded()) return;
  float f = 1.0f;
  for (int bone : kFootBones) {
    const CVector start = JointPosition(bone) + CVector(0.0f, step_height.Get(), 0.0f);
    f = std::fmin(f, level->Trace(start, CVector(0.0f, -kProbeDepth, 0.0f), 0.0f));
    if (f <= 0.0f) break;
  }
  if (f <= 0.0f || f >= 1.0f) {
    vertical_speed = 0.0f;
  } else {
    const float gap = f * kProbeDepth - step_height.Get();
    if (gap < 0.0f) {
      if (vertical_speed < 0.0f)
        vertical_speed = 0.0f;
      else if (vertical_speed >= step_speed.Get())
        vertical_speed = step_speed.Get();
      else
        vertical_speed += step_acceleration.Get() * dt;
      if (-gap < vertical_speed * dt) {
        vertical_speed = 0.0f;
        c.y -= gap;
      }
    } else if (gap > 0.0f) {
      if (vertical_speed > 0.0f)
        vertical_speed = 0.0f;
      else
        vertical_speed += g_gravity.Get() * dt;
      if (-gap > vertical_speed * dt) {
        vertical_speed = 0.0f;
        c.y -= gap;
      }
    }
  }
  c.y += vertical_speed * dt;
}

}  // namespace kt
