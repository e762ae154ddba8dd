// Cardinal spline basis: p(u) = [u^3 u^2 u 1] B [p0 p1 p2 p3]^T for tension t.
#pragma once

#include "motion/matrix.h"

namespace kt {

struct CardinalSpline {
  float tension = 0.0f;
  CMatrix basis;

  explicit CardinalSpline(float t) : tension(t) {
    const float rows[16] = {-t,    2 - t, t - 2,     t,   //
                            2 * t, t - 3, 3 - 2 * t, -t,  //
                            -t,    0,     t,         0,   //
                            0,     1,     0,         0};
    for (int i = 0; i < 16; ++i) basis.m[i] = rows[i];
  }

  // Point at u in [0, 1] between p1 and p2.
  CVector Evaluate(float u, const CVector& p0, const CVector& p1, const CVector& p2,
                   const CVector& p3) const {
    const double powers[4] = {double(u) * u * u, double(u) * u, u, 1.0};
    double weight[4] = {};
    for (int c = 0; c < 4; ++c)
      for (int r = 0; r < 4; ++r) weight[c] += powers[r] * basis.m[4 * r + c];
    const CVector* p[4] = {&p0, &p1, &p2, &p3};
    double x = 0, y = 0, z = 0;
    for (int c = 0; c < 4; ++c) {
      x += weight[c] * p[c]->x;
      y += weight[c] * p[c]->y;
      z += weight[c] * p[c]->z;
    }
    return {float(x), float(y), float(z)};
  }
};

}  // namespace kt
