// The two matrix forms of the motion code.
//   CMatrix: 16 floats row by row, element (r, c) at 4r + c, column vectors (v' = M v), so the
//            translation sits at 3, 7, 11. Quaternion conversions use it. OpenGL stores the
//            transpose (4c + r): convert with Transposed() at the GL call site.
//   DMatrix: 4x4 doubles [r][c], same convention. Skeleton transforms use it.
#pragma once

#include "motion/vector.h"

namespace kt {

// Matrix code converts degrees with pi / 180; the quaternion code uses a rounder constant.
inline constexpr double kMatrixDegToRad = 0.017453292519943295;

struct CMatrix {
  float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

  float& At(int r, int c) { return m[4 * r + c]; }
  float At(int r, int c) const { return m[4 * r + c]; }
  CMatrix Transposed() const {
    CMatrix t;
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 4; ++c) t.m[4 * c + r] = m[4 * r + c];
    return t;
  }
};

struct DMatrix {
  double m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
};

// Right-handed rotations about one axis, angle in degrees.
DMatrix RotationX(double degrees);
DMatrix RotationY(double degrees);
DMatrix RotationZ(double degrees);

DMatrix Multiply(const DMatrix& a, const DMatrix& b);
DMatrix Transpose(const DMatrix& in);

// M (x, y, z, 1), rows 0-2.
CVector TransformPoint(const DMatrix& m, float x, float y, float z);
inline CVector TransformPoint(const DMatrix& m, const CVector& v) {
  return TransformPoint(m, v.x, v.y, v.z);
}

// v := Rx(a) Ry(b) Rz(c) v (z applied first), angles in degrees.
void RotateVector(CVector& v, float a, float b, float c);

}  // namespace kt
