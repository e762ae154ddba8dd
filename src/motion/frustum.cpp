// View-frustum planes and the box test used to cull level leaves.
#include "motion/frustum.h"

#include <cmath>

namespace kt {

void Frustum::ExtractPlanes(const float projection[16], const float modelview[16]) {
  // K = P MV in GL order: K[4c + r] = sum_k P(r, k) MV(k, c).
  double k[4][4];  // k[row][col]
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) {
      double sum = 0.0;
      for (int i = 0; i < 4; ++i) sum += double(projection[4 * i + r]) * modelview[4 * c + i];
      k[r][c] = sum;
    }
  // Row 3 plus or minus rows 0, 1, 2, in the order right, left, bottom, top, far, near.
  static constexpr int kRow[kPlaneCount] = {0, 0, 1, 1, 2, 2};
  static constexpr double kSign[kPlaneCount] = {-1, 1, 1, -1, -1, 1};
  for (int p = 0; p < kPlaneCount; ++p) {
    double v[4];
    for (int c = 0; c < 4; ++c) v[c] = k[3][c] + kSign[p] * k[kRow[p]][c];
    const double len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    for (int c = 0; c < 4; ++c) planes_[p][c] = float(v[c] / len);
  }
}

bool Frustum::BoxInFrustum(const CVector& corner1, const CVector& corner2) const {
  const float xs[2] = {corner1.x, corner2.x};
  const float ys[2] = {corner1.y, corner2.y};
  const float zs[2] = {corner1.z, corner2.z};
  for (const auto& p : planes_) {
    bool any_inside = false;
    for (int i = 0; i < 8 && !any_inside; ++i) {
      const double d = double(p[0]) * xs[i & 1] + double(p[1]) * ys[(i >> 1) & 1] +
                       double(p[2]) * zs[i >> 2] + p[3];
      any_inside = d > 0.0;
    }
    if (!any_inside) return false;
  }
  return true;
}

}  // namespace kt
