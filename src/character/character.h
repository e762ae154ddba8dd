// Character: a figure in the world. An entity with a skeleton posed by its skeleton
// controller, an optional gameplay controller, hit points and a sword held between the
// wrists. Update turns the skeleton's root motion into world position, resolves level and
// character collisions, steps and falls, samples the sword and applies its hits; Draw (in
// character_draw.cpp) draws the figure, its sword, glow and trail.
//
// Contents: ZoneRect - Character - the character registry.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "character/entity.h"
#include "character/gameplay_controller.h"
#include "character/skeleton_controller.h"
#include "console/frame_timer.h"
#include "motion/skeleton.h"

namespace kt {

class PartsModel;

// A scene's "ZoneRect": a rectangle of the ground plane (x, z as the scene's x, y) the
// boss reappears in.
struct ZoneRect {
  float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  float min_x = 0, max_x = 0, min_y = 0, max_y = 0;

  ZoneRect() = default;
  ZoneRect(float x1, float y1, float x2, float y2);
  // min + 1 + (rand() mod width) on each axis, widths truncated to integers; an axis whose
  // width truncates to 0 gives its minimum.
  void RandomPoint(float& x, float& y) const;
};

// Bones the body reads.
inline constexpr int kSwordHiltBone = 20;            // lwrist
inline constexpr int kSwordGuideBone = 27;           // rwrist
inline constexpr int kFootBones[4] = {9, 4, 10, 5};  // rfoot, lfoot, rtoes, ltoes
inline constexpr int kSwordSamples = 10;

class Character : public Entity {
 public:
  // Registers under the first free lower-cased name of the character registry, poses a new
  // "MartialArts.asf" skeleton, and makes the shared bone lists and glow texture when they do
  // not exist yet (a GL context must then be current; without one they are made later).
  explicit Character(const std::string& name);
  ~Character() override;

  bool Update() override;
  void Draw() override;
  void Reset() override { Entity::Reset(); }
  void SetPosition(const CVector& p) override;
  void SetOrientation(const CQuaternion& q) override;

  // The translucent pass: the ribbon between the last ten hilt and tip samples.
  void DrawSwordTrail();
  void DrawSwordGlow();

  void SetActive(bool active);
  // A paused game: Freeze stops every clock of the figure (its clips', its controller's, its
  // own) and Update does nothing until Thaw restarts the clocks Freeze stopped, so the pause
  // leaves no time behind for the figure to catch up on.
  void Freeze();
  void Thaw();
  void SetGameplayController(int kind, const MotionDataSet& set);
  void Hurt();
  // How far `other` stands for a swing: centre to centre, less the two radii while bodies push
  // apart (`character.character_collisions`), since they never come closer than that.
  float ReachDistance(const Character& other) const;
  // The end of a bone in world coordinates.
  CVector JointPosition(int bone) const;

  Skeleton* skeleton() const { return skeleton_.get(); }
  SkeletonController* skeleton_controller() const { return skeleton_controller_.get(); }
  GameplayController* gameplay_controller() const { return gameplay_controller_.get(); }
  // The root motion controller, or nullptr.
  MotionController* RootMotion() const;

  bool hurt = false;
  bool warping = false;
  FrameTimer state_timer;
  float death_parameter = 0.0f;
  float warp_phase = 1.0f;
  bool invulnerable = false;
  CVector offset;
  float vertical_speed = 0.0f;
  float hit_points = 10.0f;
  bool position_set = true;
  bool orientation_set = true;
  CQuaternion base_orientation;
  CVector previous_root;
  bool enabled = true;
  bool dying = false;
  bool controller_active = true;
  int sample_cursor = -1;
  PartsModel* model = nullptr;
  CVector hilt;
  CVector blade{1.0f, 0.0f, 0.0f};
  CVector hilt_samples[kSwordSamples];
  CVector tip_samples[kSwordSamples];
  std::optional<ZoneRect> zone;

 private:
  void SampleSword();
  CVector LevelCorrection();
  void HitAndPushOthers(CVector& correction);
  void StepOrFall(CVector& correction, float dt);
  bool IsPlayer() const;
  std::vector<FrameTimer*> Clocks();

  std::unique_ptr<Skeleton> skeleton_;
  std::unique_ptr<SkeletonController> skeleton_controller_;
  std::unique_ptr<GameplayController> gameplay_controller_;
  bool frozen_ = false;
  // The clocks Freeze paused (those already paused stay as they were on Thaw).
  std::vector<FrameTimer*> stopped_clocks_;
};

// Every character by its registered name.
const std::map<std::string, Character*>& CharacterRegistry();
Character* FindCharacter(const std::string& name);

// Shared drawing resources (character_draw.cpp): the 31 bone display lists built from the
// first character's skeleton and the sword glow texture. Reset forgets them (tests whose GL
// context went away).
void EnsureCharacterDrawing(const Skeleton& skeleton);
// The sword mesh's display list; built by the world's start-up.
unsigned BuildSwordList();
void ResetCharacterDrawing();

}  // namespace kt
