// Double-precision 4x4 matrix helpers for the skeleton transforms.
#include "motion/matrix.h"

#include <cmath>

namespace kt {
namespace {

struct SinCos {
  double s, c;
};

SinCos Angle(double degrees) {
  const double r = degrees * kMatrixDegToRad;
  return {std::sin(r), std::cos(r)};
}

}  // namespace

DMatrix RotationX(double degrees) {
  const auto [s, c] = Angle(degrees);
  DMatrix r;
  r.m[1][1] = c;
  r.m[1][2] = -s;
  r.m[2][1] = s;
  r.m[2][2] = c;
  return r;
}

DMatrix RotationY(double degrees) {
  const auto [s, c] = Angle(degrees);
  DMatrix r;
  r.m[0][0] = c;
  r.m[0][2] = s;
  r.m[2][0] = -s;
  r.m[2][2] = c;
  return r;
}

DMatrix RotationZ(double degrees) {
  const auto [s, c] = Angle(degrees);
  DMatrix r;
  r.m[0][0] = c;
  r.m[0][1] = -s;
  r.m[1][0] = s;
  r.m[1][1] = c;
  return r;
}

DMatrix Multiply(const DMatrix& a, const DMatrix& b) {
  DMatrix out;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      double sum = 0.0;
      for (int k = 0; k < 4; ++k) sum += a.m[i][k] * b.m[k][j];
      out.m[i][j] = sum;
    }
  return out;
}

DMatrix Transpose(const DMatrix& in) {
  DMatrix out;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) out.m[i][j] = in.m[j][i];
  return out;
}

CVector TransformPoint(const DMatrix& m, float x, float y, float z) {
  CVector out;
  float* o[3] = {&out.x, &out.y, &out.z};
  for (int r = 0; r < 3; ++r)
    *o[r] = float(m.m[r][0] * x + m.m[r][1] * y + m.m[r][2] * z + m.m[r][3]);
  return out;
}

void RotateVector(CVector& v, float a, float b, float c) {
  v = TransformPoint(RotationZ(c), v);
  v = TransformPoint(RotationY(b), v);
  v = TransformPoint(RotationX(a), v);
}

}  // namespace kt
