// The camera.
#include "game/camera.h"

#include <GL/gl.h>

#include "character/game_world.h"
#include "console/log.h"

namespace kt {
namespace {

Camera*& Instance() {
  static Camera* camera = nullptr;
  return camera;
}

}  // namespace

Camera::Camera() : Entity("Camera", kEntityCamera) {
  position = CVector(1.0f, 1.0f, 1.0f);
  root_marker_ = std::make_unique<Entity>("root", kEntityMarker);
  root_marker_->SetPosition(CVector(135.0f, 198.0f, -1230.0f));
  test_marker_ = std::make_unique<Entity>("test", kEntityMarker);
  test_marker_->SetPosition(CVector(5.0f, 0.0f, 5.0f));
  Instance() = this;
  Attach(root_marker_.get());
}

Camera::~Camera() {
  if (Instance() == this) Instance() = nullptr;
}

bool Camera::Update() {
  SetView();
  return true;
}

void Camera::SetView() {
  if (mode_ == kCameraTrack && target_) {
    // Until the chase movement exists the camera looks at its target from where it stands.
  }
  const CMatrix rotation = orientation.ToMatrix().Transposed();
  glMultMatrixf(rotation.m);
  glTranslatef(-position.x, -position.y, -position.z);
}

void Camera::Attach(Entity* target) {
  if (!target) return;
  target_ = target;
  mode_ = kCameraTrack;
  LogPrintf("Camera is attaching to: '%s'", target->name().c_str());
}

void Camera::SetMode(int mode) {
  mode_ = mode;
  if (mode_ == kCameraTrack && !target_) target_ = FindEntity("root");
}

Camera* GetCamera() { return Instance(); }

}  // namespace kt
