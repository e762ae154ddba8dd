// Parts model: a 3DS file whose meshes are a humanoid's thirteen body parts, each normalised
// into its bone at load time and compiled into a display list, then stretched between two
// skeleton joints when drawn, so one model fits any skeleton of the same joint layout.
#pragma once

#include <memory>
#include <string>

#include "motion/quaternion.h"
#include "motion/vector.h"

namespace kt {

inline constexpr int kModelParts = 13;

class PartsModel {
 public:
  // Reads the file and compiles the part lists in the current GL context. A file that cannot
  // be read gives the reader's message and "ERROR Loading player model...", and a model with
  // no parts (it draws nothing).
  static std::unique_ptr<PartsModel> Load(const std::string& path);
  ~PartsModel();

  // `joints`: the 31 bone end positions of the character in world coordinates (bone order);
  // `orientation`: the character's orientation.
  void Draw(const CQuaternion& orientation, const CVector* joints) const;
  // The death animation: every part drifts from its joint along its own scatter direction.
  void DrawDying(const CQuaternion& orientation, const CVector* joints, float blend,
                 float fall_acceleration, float time) const;

  int part_count() const { return part_count_; }
  unsigned list_base() const { return list_base_; }

 private:
  PartsModel() = default;
  unsigned list_base_ = 0;
  int part_count_ = 0;
};

}  // namespace kt
