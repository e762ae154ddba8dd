// Double-precision 4x4 matrices of the skeleton transforms: rotations, products, transposes.
#include "motion/matrix.h"

#include <cmath>

namespace kt {
namespace {

// Rotation in the (i, j) plane: [c -s; s c] at rows and columns i, j.
DMatrix PlaneRotation(int i, int j, double degrees) {
  const double r = degrees * kMatrixDegToRad;
  DMatrix m;
  m.m[i][i] = m.m[j][j] = std::cos(r);
  m.m[j][i] = std::sin(r);
  m.m[i][j] = -m.m[j][i];
  return m;
}

}  // namespace

DMatrix RotationX(double degrees) { return PlaneRotation(1, 2, degrees); }
DMatrix RotationY(double degrees) { return PlaneRotation(2, 0, degrees); }
DMatrix RotationZ(double degrees) { return PlaneRotation(0, 1, degrees); }

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
