// Entity and the process-wide entity registry.
#include "character/entity.h"

#include <cctype>

namespace kt {
namespace {

std::map<std::string, Entity*>& Registry() {
  static std::map<std::string, Entity*> registry;
  return registry;
}

}  // namespace

std::string LowerCase(const std::string& s) {
  std::string out = s;
  for (char& c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

Entity::Entity(const std::string& name, int flags) : flags_(flags) {
  name_ = UniqueName(name, Registry());
  Registry()[name_] = this;
}

Entity::~Entity() {
  const auto it = Registry().find(name_);
  if (it != Registry().end() && it->second == this) Registry().erase(it);
}

void Entity::Reset() {
  position = CVector();
  orientation = CQuaternion();
}

// Pitch and roll turn about the entity's own x and z axes (rows 0 and 2), yaw about the
// world's vertical, so a mouse-turned camera never rolls by yawing.
void Entity::Turn(float ax, float ay, float az) {
  const CMatrix m = orientation.ToMatrix();
  const CVector x_axis(m.At(0, 0), m.At(0, 1), m.At(0, 2));
  const CVector z_axis(m.At(2, 0), m.At(2, 1), m.At(2, 2));
  orientation = orientation * CQuaternion::FromAxisAngle(x_axis, float(ax * kMatrixDegToRad));
  orientation =
      orientation * CQuaternion::FromAxisAngle(CVector(0, 1, 0), float(ay * kMatrixDegToRad));
  orientation = orientation * CQuaternion::FromAxisAngle(z_axis, float(az * kMatrixDegToRad));
  orientation.Normalize();
  transform = orientation.ToMatrix().Transposed();
}

void Entity::Move(float dx, float dy, float dz) {
  const CMatrix m = orientation.ToMatrix();
  const float d[3] = {dx, dy, dz};
  for (int row = 0; row < 3; ++row)
    if (d[row] != 0.0f) position += CVector(m.At(row, 0), m.At(row, 1), m.At(row, 2)) * d[row];
  orientation.Normalize();
  transform = orientation.ToMatrix().Transposed();
}

const std::map<std::string, Entity*>& EntityRegistry() { return Registry(); }

Entity* FindEntity(const std::string& name) {
  const auto it = Registry().find(LowerCase(name));
  return it == Registry().end() ? nullptr : it->second;
}

}  // namespace kt
