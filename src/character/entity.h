// Entity: a named thing in the world with a position and an orientation. Characters and the
// camera are entities; so are the marker points a scene places. Every entity enters the
// process-wide entity registry under its lower-cased name, made unique with 1, 2, ...
#pragma once

#include <map>
#include <string>

#include "motion/matrix.h"
#include "motion/quaternion.h"
#include "motion/vector.h"

namespace kt {

// Entity type flags. The renderer draws entities whose flags include kEntityDrawn.
inline constexpr int kEntityCamera = 0;
inline constexpr int kEntityDrawn = 2;
inline constexpr int kEntityMarker = 2;
inline constexpr int kEntityCharacter = 6;

class Entity {
 public:
  Entity(const std::string& name, int flags);
  virtual ~Entity();
  Entity(const Entity&) = delete;
  Entity& operator=(const Entity&) = delete;

  virtual bool Update() { return true; }
  virtual void Draw() {}
  virtual void Reset();
  virtual void SetPosition(const CVector& p) { position = p; }
  virtual void SetOrientation(const CQuaternion& q) { orientation = q; }

  // Turns by angles in degrees: ax about the entity's own x axis, ay about the world's
  // vertical, az about its own z axis, in that order. Rebuilds the transform.
  void Turn(float ax, float ay, float az);
  // Moves along the entity's own axes (x right, y up, z backwards for a camera: the rows of
  // the orientation's matrix). Rebuilds the transform.
  void Move(float dx, float dy, float dz);

  const std::string& name() const { return name_; }
  int flags() const { return flags_; }

  CVector position;
  CQuaternion orientation;
  // The orientation's rotation as OpenGL stores it (kept current by Turn and Move).
  CMatrix transform;

 private:
  int flags_ = 0;
  std::string name_;
};

// Every entity by its registered (lower-cased, unique) name.
const std::map<std::string, Entity*>& EntityRegistry();
Entity* FindEntity(const std::string& name);

// The lower-cased name followed by the first counter (1, 2, ...) that `taken` does not hold;
// the lower-cased name itself when it is free.
template <typename Map>
std::string UniqueName(const std::string& name, const Map& taken);
std::string LowerCase(const std::string& s);

template <typename Map>
std::string UniqueName(const std::string& name, const Map& taken) {
  const std::string base = LowerCase(name);
  std::string unique = base;
  for (int n = 1; taken.count(unique); ++n) unique = base + std::to_string(n);
  return unique;
}

}  // namespace kt
