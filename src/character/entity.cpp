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

void Entity::Turn(float ax, float ay, float az) {
  orientation = CQuaternion::FromEuler(ax, ay, az) * orientation;
}

void Entity::Move(float dx, float dy, float dz) {
  position += orientation.XAxis() * dx + orientation.YAxis() * dy + orientation.ZAxis() * dz;
}

const std::map<std::string, Entity*>& EntityRegistry() { return Registry(); }

Entity* FindEntity(const std::string& name) {
  const auto it = Registry().find(LowerCase(name));
  return it == Registry().end() ? nullptr : it->second;
}

}  // namespace kt
