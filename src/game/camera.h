// The camera: the entity the world is seen from. Free roam (mode 0) keeps the position and
// orientation it is given; track entity (mode 2) follows a target like a chase camera.
#pragma once

#include <memory>

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

  // Moves the camera (in track mode) and sets the view transform.
  bool Update() override;
  // The view transform: the orientation's rotation, then the translation to the eye.
  void Draw() override { SetView(); }
  void SetView();

  void Attach(Entity* target);
  void SetMode(int mode);

  int mode() const { return mode_; }
  Entity* target() const { return target_; }
  bool following = true;

 private:
  int mode_ = kCameraFreeRoam;
  Entity* target_ = nullptr;
  std::unique_ptr<Entity> root_marker_;
  std::unique_ptr<Entity> test_marker_;
};

// The world's camera, or nullptr.
Camera* GetCamera();

}  // namespace kt
