// CVector: the three-float vector of the world and the motion data. y is up; the ground plane
// is x-z. Products and sums are formed in double precision and stored back as floats.
#pragma once

#include <cmath>

namespace kt {

struct CVector {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;

  constexpr CVector() = default;
  constexpr CVector(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

  CVector operator+(const CVector& b) const {
    return {float(double(x) + b.x), float(double(y) + b.y), float(double(z) + b.z)};
  }
  CVector operator-(const CVector& b) const {
    return {float(double(x) - b.x), float(double(y) - b.y), float(double(z) - b.z)};
  }
  CVector& operator+=(const CVector& b) { return *this = *this + b; }
  CVector& operator-=(const CVector& b) { return *this = *this - b; }
  CVector operator*(float s) const {
    return {float(double(x) * s), float(double(y) * s), float(double(z) * s)};
  }
  // Multiplies by the reciprocal, as the rest of the motion code expects.
  CVector operator/(float s) const {
    const double r = 1.0 / s;
    return {float(x * r), float(y * r), float(z * r)};
  }
  bool operator==(const CVector&) const = default;

  float Length() const { return float(std::sqrt(double(x) * x + double(y) * y + double(z) * z)); }
  // No guard for a zero vector: callers never pass one.
  void Normalize() { *this = *this / Length(); }
};

inline CVector Cross(const CVector& a, const CVector& b) {
  return {float(double(a.y) * b.z - double(a.z) * b.y),
          float(double(a.z) * b.x - double(a.x) * b.z),
          float(double(a.x) * b.y - double(a.y) * b.x)};
}

inline float Dot(const CVector& a, const CVector& b) {
  return float(double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z);
}

inline float Distance(const CVector& a, const CVector& b) { return (a - b).Length(); }

// Radians.
inline float AngleBetween(const CVector& a, const CVector& b) {
  return float(std::acos(double(Dot(a, b)) / (double(a.Length()) * b.Length())));
}

// Radians; `cross` is a cross product of a and b the caller already has. Better conditioned
// than AngleBetween near 0 and pi.
inline float AngleFromCross(const CVector& a, const CVector& b, const CVector& cross) {
  return float(std::atan2(double(cross.Length()), double(Dot(a, b))));
}

}  // namespace kt
