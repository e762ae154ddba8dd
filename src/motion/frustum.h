// View frustum: six planes taken from the projection and model-view matrices, and a
// conservative box test for culling. Takes the matrices as arrays in OpenGL's own column order
// (what glGetFloatv returns), so this library never touches GL: render/ reads them and passes
// them in.
#pragma once

#include "motion/vector.h"

namespace kt {

class Frustum {
 public:
  enum Plane { kRight, kLeft, kBottom, kTop, kFar, kNear, kPlaneCount };

  // projection and modelview: element (r, c) at index 4c + r.
  void ExtractPlanes(const float projection[16], const float modelview[16]);

  // False only when all eight corners of the box lie on or behind one plane; a box that
  // straddles the region near a frustum corner counts as inside.
  bool BoxInFrustum(const CVector& corner1, const CVector& corner2) const;

  // (a, b, c, d) with (a, b, c) unit length; a point is inside when a x + b y + c z + d > 0.
  const float* plane(int i) const { return planes_[i]; }

 private:
  float planes_[kPlaneCount][4] = {};
};

}  // namespace kt
