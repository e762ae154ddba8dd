// The ease curve of every blend and speed ramp of the characters: e(0) = 0, e(1) = 1, with
// zero slope at both ends.
#pragma once

#include <cmath>
#include <numbers>

namespace kt {

inline float Ease(float t) {
  return float((std::sin(std::numbers::pi * t - std::numbers::pi / 2.0) + 1.0) * 0.5);
}

}  // namespace kt
