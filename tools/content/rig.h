// The synthesiser's own 31-bone figure: the bone table written to "MartialArts.asf", a pose
// (root position plus Euler angles per bone, exactly what one AMC frame holds) and forward
// kinematics in double precision. Every bone axis is (0, 0, 0), so a bone's local frame is its
// parent's frame turned by the bone's angles; Euler angles are degrees, R = Rz Ry Rx.
#pragma once

#include <array>
#include <cmath>
#include <string>

#include "motion/bone_table.h"
#include "motion/matrix.h"

namespace kt::content {

inline constexpr double kPi = 3.14159265358979323846;
inline constexpr double kDeg = kPi / 180.0;

struct Vec3 {
  double x = 0, y = 0, z = 0;
};
inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline Vec3 operator*(double s, Vec3 a) { return a * s; }
inline double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 Cross(Vec3 a, Vec3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double Length(Vec3 a) { return std::sqrt(Dot(a, a)); }
inline Vec3 Normalize(Vec3 a) {
  double l = Length(a);
  return l > 1e-12 ? a * (1.0 / l) : Vec3{0, 0, 0};
}
inline Vec3 Lerp(Vec3 a, Vec3 b, double t) { return a + (b - a) * t; }

// Rotations are the motion code's double-precision matrices (motion/matrix.h: RotationX, Y and
// Z take degrees, Multiply, Transpose), of which only the upper-left 3x3 is used; columns are
// the frame's axes in the parent (or world) frame.
using Mat3 = DMatrix;
inline Mat3 operator*(const Mat3& a, const Mat3& b) { return Multiply(a, b); }
Vec3 operator*(const Mat3& a, Vec3 v);
// Degrees in, R = Rz Ry Rx.
Mat3 FromEuler(Vec3 degrees);
// The inverse of FromEuler, y in [-90, 90].
Vec3 ToEuler(const Mat3& r);
// The frame whose columns are x, y and x cross y (x and y unit and orthogonal).
Mat3 FromAxes(Vec3 x, Vec3 y);

// Bone indices, names and parents are the game's fixed table (motion/bone_table.h).
struct BoneDef {
  const char* name;
  int parent;      // -1 for the root
  Vec3 direction;  // unit, rest pose, world frame
  double length;   // ASF units, before the motion scale
  bool dof[3];     // rotates about x, y, z
};

// The fixed table in bone-index order.
const std::array<BoneDef, kBoneCount>& Bones();
// Number of degrees of freedom of a bone (0 to 3).
int DofCount(int bone);

// One frame: root position (ASF units) and per-bone Euler angles in degrees (index 0 is the
// root's rotation). Angles of channels a bone does not have stay 0.
struct Pose {
  Vec3 root;
  std::array<Vec3, kBoneCount> angles{};
};

// World frames of every bone for one pose.
struct Frames {
  std::array<Mat3, kBoneCount> rotation;  // bone frame in the world
  std::array<Vec3, kBoneCount> start;     // where the bone begins
  std::array<Vec3, kBoneCount> end;       // where it ends (the root's end is the root position)
};
Frames ForwardKinematics(const Pose& pose);

// Text of "MartialArts.asf" for this figure.
std::string AsfText();
// Text of an AMC file holding the poses (header, frame numbers from 1, bones 2..30 with their
// channels, root position in ASF units). Numbers use six significant digits.
std::string AmcText(const Pose* poses, int count);

}  // namespace kt::content
