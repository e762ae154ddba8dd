// The camera: the entity the world is seen from. Free roam (mode 0) keeps the position and
// orientation it is given and only keeps itself out of walls; track entity (mode 2) follows a
// target like a chase camera: pulled towards a point behind and above it, pushed away when
// too close, pulled in when the line of sight is blocked, kept out of solid brushes, always
// looking at the target and turning smoothly onto a new one.
//
// Its view matrix is the entity's transform: the orientation's rotation as OpenGL stores it.
#pragma once

#include <memory>
#include <string>

#include "character/entity.h"
#include "console/frame_timer.h"

namespace kt {

inline constexpr int kCameraFreeRoam = 0;
inline constexpr int kCameraTrack = 2;

class Camera : public Entity {
 public:
  // Named "Camera"; creates the "root" and "test" marker entities and attaches to "root".
  Camera();
  ~Camera() override;

  // Once per drawn frame: UpdatePosition, then SetView.
  bool Update() override;
  // The entity draw slot holds the view transform.
  void Draw() override { SetView(); }
  // Loads the view transform as the model-view (after UpdateOrientation in track mode).
  void SetView();

  // Steps 1-3 of the frame's update: following (track mode with following enabled) and the
  // push out of walls, over the move clock's time (at most 0.1 s); restarts the move clock.
  void UpdatePosition();
  // Track mode: looks at the target, blending from the orientation at the last Attach over
  // `camera.blendTime`. Nothing in free roam or without a target. Needs no OpenGL context.
  void UpdateOrientation();

  // Tracks `target`; starts an orientation blend unless one is running.
  void Attach(Entity* entity);
  // Track mode without a target tracks the entity "root".
  void SetMode(int mode);

  int mode() const { return mode_; }
  // The tracked entity; nullptr without one or once it has left the entity registry.
  Entity* target();
  bool blending() const { return blending_; }
  const CMatrix& view_matrix() const { return transform; }

  // Cleared while the mouse holds the camera; the chase movement runs only while it is set.
  bool following = true;

 private:
  // The orientation whose rotation equals gluLookAt(eye, target, (0, 1, 0)); false when the
  // view direction is undefined (eye on the target, or straight above or below it).
  bool LookAtOrientation(CQuaternion& out);

  Entity* target_ = nullptr;
  std::string target_name_;
  int mode_ = kCameraFreeRoam;
  FrameTimer move_clock_;
  bool blending_ = false;
  CQuaternion blend_start_;
  FrameTimer blend_clock_;
  std::unique_ptr<Entity> root_marker_;
  std::unique_ptr<Entity> test_marker_;
};

// The world's camera, or nullptr.
Camera* GetCamera();

}  // namespace kt
