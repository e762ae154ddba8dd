// The camera: chase movement, wall push-out, the look-at blend and the view transform.
//
// Contents: console variables - construction - attach and mode - update (following, wall
// push-out) - orientation and view.
#include "game/camera.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "console/cvar.h"
#include "console/log.h"
#include "level/bsp_level.h"

namespace kt {
namespace {

// ---- console variables ----

CVar<float> g_hdist("camera.hdist", 4.8f);
CVar<float> g_vdist("camera.vdist", 2.2f);
// Shown by the camera panel; the movement does not read it.
CVar<float> g_speed("camera.speed", 1.4f);
CVar<float> g_jitter_angle("camera.jitter_angle", 0.75f);
CVar<float> g_min_velocity("camera.min_velocity", 8.0f);
CVar<float> g_max_velocity("camera.max_velocity", 37.0f);
CVar<int> g_collision("camera.collision", 1);
CVar<float> g_radius("camera.radius", 30.0f);
CVar<int> g_line_collision("camera.line_collision", 1);
CVar<float> g_line_radius("camera.line_radius", 20.0f);
CVar<float> g_attractive("camera.attractive", 1.0f);
CVar<float> g_collision_speed("camera.collision_speed", 6.0f);
CVar<float> g_repulsive("camera.repulsive", 1.0f);

constexpr double kMaxFrameSeconds = 0.1;

Camera*& Instance() {
  static Camera* camera = nullptr;
  return camera;
}

// The collision steps need a loaded level.
BspLevel* CollisionLevel() {
  BspLevel* level = CurrentLevel();
  return level && level->loaded() ? level : nullptr;
}

// The speed limit per second; a negative value typed into the console means standing still
// rather than moving backwards (and keeps the push-out's clamp range ordered).
float MaxVelocity() { return std::max(0.0f, float(g_max_velocity)); }

CVector Row(const CMatrix& m, int row) { return {m.At(row, 0), m.At(row, 1), m.At(row, 2)}; }

}  // namespace

// ---- construction ----

Camera::Camera() : Entity("Camera", kEntityCamera) {
  position = CVector(1.0f, 1.0f, 1.0f);
  transform = orientation.ToMatrix().Transposed();
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

Camera* GetCamera() { return Instance(); }

// ---- attach and mode ----

void Camera::Attach(Entity* entity) {
  if (!entity) {
    LogPrintf("Camera: no entity to attach to");
    return;
  }
  target_ = entity;
  target_name_ = entity->name();
  mode_ = kCameraTrack;
  // A second attach during a blend keeps turning from where the first one started.
  if (!blending_) {
    blend_start_ = orientation;
    blending_ = true;
    blend_clock_.Reset();
  }
  LogPrintf("Camera is attaching to: '%s'", entity->name().c_str());
}

void Camera::SetMode(int mode) {
  mode_ = mode;
  if (mode_ == kCameraTrack && !target()) {
    target_ = FindEntity("root");
    target_name_ = target_ ? target_->name() : std::string();
  }
}

Entity* Camera::target() {
  // An entity destroyed while tracked (a scene reloaded) has left the registry; never follow
  // its memory.
  if (target_ && FindEntity(target_name_) != target_) target_ = nullptr;
  return target_;
}

// ---- update ----

bool Camera::Update() {
  UpdatePosition();
  SetView();
  return true;
}

void Camera::UpdatePosition() {
  CVar<float> facing_corr("camera.facing_corr", -16.0f);
  const float dt = float(std::clamp(move_clock_.Elapsed(), 0.0, kMaxFrameSeconds));
  BspLevel* level = CollisionLevel();
  Entity* tracked = target();

  // Free fraction of the line of sight and |D|^2, for the push-out.
  float free = 1.0f;
  float d2 = 0.0f;
  if (mode_ == kCameraTrack && tracked && following) {
    const CVector to_camera = position - tracked->position;
    if (g_line_collision != 0 && level)
      free = level->Trace(tracked->position, to_camera, g_line_radius);

    const CQuaternion facing_q =
        CQuaternion::FromEuler(0.0f, facing_corr, 0.0f) * tracked->orientation;
    CVector facing = Row(facing_q.ToMatrix(), 0);
    facing.Normalize();
    facing.y = 0.0f;
    const float hdist = g_hdist;
    const CVector follow_point = tracked->position + facing * -hdist + CVector(0.0f, g_vdist, 0.0f);

    const float h2 = hdist * hdist;
    d2 = Dot(to_camera, to_camera);
    // With no following distance the pull is plain proportional instead of a division by 0.
    float e = h2 > 0.0f ? std::fabs(d2 - h2) / h2 : 1.0f;
    if (free < 1.0f) e = std::min(e, 0.9f);
    CVector steer = (follow_point - position) * (g_attractive * e);
    if (free < 1.0f) steer += to_camera * (g_collision_speed * (free - 1.0f));

    const float g2 = to_camera.x * to_camera.x + to_camera.z * to_camera.z;
    if (g2 > 0.0f && g2 < h2) {
      CVector away(to_camera.x, 0.0f, to_camera.z);
      away.Normalize();
      steer += away * (g_repulsive * (h2 - g2) / h2);
    }

    const float length = steer.Length();
    if (length > 0.0f) {
      const float v = std::min(std::max(length - g_min_velocity, 0.0f), MaxVelocity());
      position += steer * (v / length * dt);
    }
  }

  if (g_collision != 0 && level) {
    if (const auto plane = level->Penetration(position, g_radius)) {
      const CVector& n = plane->normal;
      const float c = Dot(n, position);
      bool skip = false;
      if (free < 1.0f) {
        // The target lies behind this wall at a steep angle: the line-of-sight pull brings the
        // camera round, pushing it out here would hold it behind the wall.
        const float t = Dot(n, tracked->position) - c;
        skip = t <= 0.0f && d2 > 0.0f && t * t / d2 >= 0.25f;
      }
      if (!skip) {
        const float limit = MaxVelocity() * dt;
        const float k = std::clamp(g_radius + plane->distance - c, -limit, limit);
        position += n * k;
      }
    }
  }
  move_clock_.Reset();
}

// ---- orientation and view ----

bool Camera::LookAtOrientation(CQuaternion& out) {
  // gluLookAt's rows: side, up, backwards.
  CVector forward = target()->position - position;
  if (!(forward.Length() > 0.0f)) return false;
  forward.Normalize();
  CVector side = Cross(forward, CVector(0.0f, 1.0f, 0.0f));
  if (!(side.Length() > 1e-6f)) return false;
  side.Normalize();
  const CVector up = Cross(side, forward);
  CMatrix m;
  const CVector rows[3] = {side, up, forward * -1.0f};
  for (int r = 0; r < 3; ++r) {
    m.At(r, 0) = rows[r].x;
    m.At(r, 1) = rows[r].y;
    m.At(r, 2) = rows[r].z;
  }
  out = CQuaternion::FromMatrix(m);
  out.Normalize();
  return true;
}

void Camera::UpdateOrientation() {
  if (mode_ != kCameraTrack || !target()) return;
  // Straight above or on the target the view direction is undefined: keep the last one.
  CQuaternion look = orientation;
  LookAtOrientation(look);
  if (blending_) {
    static CVar<float> blend_time("camera.blendTime", 0.5f);
    const double t = std::max(0.0, blend_clock_.Elapsed());
    if (t >= blend_time)
      blending_ = false;
    else
      look = Slerp(float(t / blend_time), blend_start_, look);
  }
  orientation = look;
}

void Camera::SetView() {
  if (mode_ != kCameraFreeRoam && mode_ != kCameraTrack) return;
  UpdateOrientation();
  transform = orientation.ToMatrix().Transposed();
  glLoadMatrixf(transform.m);
  glTranslatef(-position.x, -position.y, -position.z);
}

}  // namespace kt
