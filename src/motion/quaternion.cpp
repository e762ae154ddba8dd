// Quaternion conversions and interpolation.
#include "motion/quaternion.h"

#include <algorithm>
#include <cmath>

namespace kt {

CQuaternion CQuaternion::FromAxisAngle(const CVector& axis, float radians) {
  const double h = double(radians) * 0.5;
  const double s = std::sin(h);
  CQuaternion q(float(axis.x * s), float(axis.y * s), float(axis.z * s), float(std::cos(h)));
  q.Normalize();
  return q;
}

CQuaternion CQuaternion::FromEuler(float ax, float ay, float az) {
  auto half = [](float degrees) { return double(degrees) * kQuatDegToRad * 0.5; };
  const double hx = half(ax), hy = half(ay), hz = half(az);
  CQuaternion qx(float(std::sin(hx)), 0, 0, float(std::cos(hx)));
  CQuaternion qy(0, float(std::sin(hy)), 0, float(std::cos(hy)));
  CQuaternion qz(0, 0, float(std::sin(hz)), float(std::cos(hz)));
  qx.Normalize();
  qy.Normalize();
  qz.Normalize();
  CQuaternion q = qz;
  q.Multiply(qy);
  q.Multiply(qx);
  return q;
}

CQuaternion CQuaternion::FromMatrix(const CMatrix& m) {
  const double t = double(m.At(0, 0)) + m.At(1, 1) + m.At(2, 2) + 1.0;
  if (t > 0.0) {
    const double s = 0.5 / std::sqrt(t);
    return {float((double(m.At(2, 1)) - m.At(1, 2)) * s),
            float((double(m.At(0, 2)) - m.At(2, 0)) * s),
            float((double(m.At(1, 0)) - m.At(0, 1)) * s), float(0.25 / s)};
  }
  int i = 2;  // ties go to the later axis
  if (m.At(0, 0) > m.At(1, 1) && m.At(0, 0) > m.At(2, 2))
    i = 0;
  else if (m.At(1, 1) > m.At(0, 0) && m.At(1, 1) > m.At(2, 2))
    i = 1;
  const int j = (i + 1) % 3, k = (i + 2) % 3;
  const double s = 2.0 * std::sqrt(1.0 + m.At(i, i) - m.At(j, j) - m.At(k, k));
  float v[3];
  v[i] = float(s / 4.0);
  v[j] = float((double(m.At(i, j)) + m.At(j, i)) / s);
  v[k] = float((double(m.At(i, k)) + m.At(k, i)) / s);
  return {v[0], v[1], v[2], float((double(m.At(k, j)) - m.At(j, k)) / s)};
}

void CQuaternion::Normalize() {
  const double len = std::sqrt(double(x) * x + double(y) * y + double(z) * z + double(w) * w);
  x = float(x / len);
  y = float(y / len);
  z = float(z / len);
  w = float(w / len);
}

void CQuaternion::Multiply(const CQuaternion& b) {
  const double ax = x, ay = y, az = z, aw = w;
  x = float(aw * b.x + ax * b.w + ay * b.z - az * b.y);
  y = float(aw * b.y + ay * b.w + az * b.x - ax * b.z);
  z = float(aw * b.z + az * b.w + ax * b.y - ay * b.x);
  w = float(aw * b.w - ax * b.x - ay * b.y - az * b.z);
  Normalize();
}

void CQuaternion::Invert() {
  Normalize();
  x = -x;
  y = -y;
  z = -z;
}

void CQuaternion::ToEuler(float out[3]) const {
  const double qx = x, qy = y, qz = z, qw = w;
  const double s = 2.0 * (qw * qy - qx * qz);
  // Rounding can push |s| a hair above 1; the angle is then +-90 degrees.
  const double c = std::sqrt(std::max(0.0, 1.0 - s * s));
  double ax, az;
  if (std::fabs(c) >= 1.11e-7) {
    ax = std::atan2(2.0 * (qw * qx + qy * qz) / c, (1.0 - 2.0 * qx * qx - 2.0 * qy * qy) / c);
    az = std::atan2(2.0 * (qw * qz + qx * qy) / c, (1.0 - 2.0 * qy * qy - 2.0 * qz * qz) / c);
  } else {
    ax = std::atan2(2.0 * (qw * qx - qy * qz), 1.0 - 2.0 * qx * qx - 2.0 * qz * qz);
    az = 0.0;
  }
  const double ay = std::atan2(s, c);
  out[0] = float(ax * kQuatRadToDeg);
  out[1] = float(ay * kQuatRadToDeg);
  out[2] = float(az * kQuatRadToDeg);
}

CMatrix CQuaternion::ToMatrix() const {
  const double qx = x, qy = y, qz = z, qw = w;
  CMatrix m;
  m.At(0, 0) = float(1.0 - 2.0 * (qy * qy + qz * qz));
  m.At(0, 1) = float(2.0 * (qx * qy - qw * qz));
  m.At(0, 2) = float(2.0 * (qx * qz + qw * qy));
  m.At(1, 0) = float(2.0 * (qx * qy + qw * qz));
  m.At(1, 1) = float(1.0 - 2.0 * (qx * qx + qz * qz));
  m.At(1, 2) = float(2.0 * (qy * qz - qw * qx));
  m.At(2, 0) = float(2.0 * (qx * qz - qw * qy));
  m.At(2, 1) = float(2.0 * (qy * qz + qw * qx));
  m.At(2, 2) = float(1.0 - 2.0 * (qx * qx + qy * qy));
  return m;
}

CVector CQuaternion::RowAxis(int row) const {
  const CMatrix m = ToMatrix();
  CVector v(m.At(row, 0), m.At(row, 1), m.At(row, 2));
  v.Normalize();
  return v;
}

CQuaternion Slerp(float t, const CQuaternion& a, const CQuaternion& b) {
  double d = Dot(a, b);
  double bx = b.x, by = b.y, bz = b.z, bw = b.w;
  if (d < 0.0) {
    d = -d;
    bx = -bx;
    by = -by;
    bz = -bz;
    bw = -bw;
  }
  double s0, s1;
  if (1.0 - d > 9.9e-8) {
    const double omega = std::acos(std::min(d, 1.0));
    const double sin_omega = std::sin(omega);
    s0 = std::sin((1.0 - t) * omega) / sin_omega;
    s1 = std::sin(t * omega) / sin_omega;
  } else {
    s0 = 1.0 - t;
    s1 = t;
  }
  CQuaternion r(float(s0 * a.x + s1 * bx), float(s0 * a.y + s1 * by), float(s0 * a.z + s1 * bz),
                float(s0 * a.w + s1 * bw));
  r.Normalize();
  return r;
}

float AngularDistance(const CQuaternion& a, const CQuaternion& b) {
  const double arg = std::fabs(double(Dot(a, b)) - 0.00001);
  return float(std::acos(std::min(arg, 1.0)));
}

}  // namespace kt
