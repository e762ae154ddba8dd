// Posture: one frame of motion, the root position (world units, already scaled) and one
// rotation per bone in bone-table order. Exactly 127 floats with no padding, because the
// ".bin" cache stores postures as they lie in memory.
#pragma once

#include <type_traits>

#include "motion/bone_table.h"
#include "motion/quaternion.h"
#include "motion/vector.h"

namespace kt {

struct Posture {
  CVector root_position;
  CQuaternion rotations[kBoneCount];
};

static_assert(sizeof(Posture) == 508, "the .bin cache layout is 127 packed floats");
static_assert(std::is_trivially_copyable_v<Posture>);

}  // namespace kt
