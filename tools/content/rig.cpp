// Bone table, forward kinematics and the ASF/AMC text of the synthesised figure.
#include "rig.h"

#include <cstdio>

namespace kt::content {

Vec3 operator*(const Mat3& a, Vec3 v) {
  return {a.m[0][0] * v.x + a.m[0][1] * v.y + a.m[0][2] * v.z,
          a.m[1][0] * v.x + a.m[1][1] * v.y + a.m[1][2] * v.z,
          a.m[2][0] * v.x + a.m[2][1] * v.y + a.m[2][2] * v.z};
}

Mat3 FromEuler(Vec3 d) { return RotationZ(d.z) * RotationY(d.y) * RotationX(d.x); }

Vec3 ToEuler(const Mat3& r) {
  double sy = -r.m[2][0];
  sy = sy > 1 ? 1 : (sy < -1 ? -1 : sy);
  return {std::atan2(r.m[2][1], r.m[2][2]) / kDeg, std::asin(sy) / kDeg,
          std::atan2(r.m[1][0], r.m[0][0]) / kDeg};
}

Mat3 FromAxes(Vec3 x, Vec3 y) {
  Vec3 z = Cross(x, y);
  Mat3 r;
  const Vec3 cols[3] = {x, y, z};
  for (int c = 0; c < 3; ++c) r.m[0][c] = cols[c].x, r.m[1][c] = cols[c].y, r.m[2][c] = cols[c].z;
  return r;
}

namespace {

constexpr bool kXYZ[3] = {true, true, true};
constexpr bool kX[3] = {true, false, false};
constexpr bool kY[3] = {false, true, false};
constexpr bool kXZ[3] = {true, false, true};
constexpr bool kYZ[3] = {false, true, true};
constexpr bool kNone[3] = {false, false, false};

Vec3 Mirror(Vec3 v) { return {-v.x, v.y, v.z}; }

// Proportions of a 1.7 m adult in the usual capture units (length 0.45: one unit is 1/0.45
// inch, 5.6 cm), so the figure stands about 30 units tall before the motion scale.
std::array<BoneDef, kBoneCount> MakeBones() {
  const Vec3 hip = Normalize({0.656, -0.713, 0.247});
  const Vec3 foot = Normalize({0.0, -0.55, 0.835});
  const Vec3 clavicle = Normalize({0.96, 0.25, -0.1});
  const Vec3 thumb = Normalize({0.35, -0.7, 0.62});
  const Vec3 down{0, -1, 0};
  std::array<BoneDef, kBoneCount> b{};
  auto set = [&](int i, Vec3 dir, double len, const bool* dof) {
    b[i] = BoneDef{kBoneNames[i], kBoneParents[i], Normalize(dir), len, {dof[0], dof[1], dof[2]}};
  };
  set(kRoot, {0, 0, 0}, 0.0, kXYZ);
  set(kLHipJoint, hip, 2.5, kNone);
  set(kLFemur, down, 7.55, kXYZ);
  set(kLTibia, down, 7.3, kX);
  set(kLFoot, foot, 2.4, kXZ);
  set(kLToes, {0, 0, 1}, 1.1, kX);
  set(kRHipJoint, Mirror(hip), 2.5, kNone);
  set(kRFemur, down, 7.55, kXYZ);
  set(kRTibia, down, 7.3, kX);
  set(kRFoot, foot, 2.4, kXZ);
  set(kRToes, {0, 0, 1}, 1.1, kX);
  set(kLowerBack, {0, 1, -0.05}, 2.05, kXYZ);
  set(kUpperBack, {0, 1, -0.02}, 2.05, kXYZ);
  set(kThorax, {0, 1, 0.01}, 2.05, kXYZ);
  set(kLowerNeck, {0, 1, 0.1}, 1.6, kXYZ);
  set(kUpperNeck, {0, 1, -0.05}, 1.55, kXYZ);
  set(kHead, {0, 1, -0.03}, 1.65, kXYZ);
  set(kLClavicle, clavicle, 3.5, kYZ);
  set(kLHumerus, down, 5.0, kXYZ);
  set(kLRadius, down, 3.4, kX);
  set(kLWrist, down, 1.65, kY);
  set(kLHand, down, 0.7, kXZ);
  set(kLFingers, down, 0.55, kX);
  set(kLThumb, thumb, 0.8, kXZ);
  set(kRClavicle, Mirror(clavicle), 3.5, kYZ);
  set(kRHumerus, down, 5.0, kXYZ);
  set(kRRadius, down, 3.4, kX);
  set(kRWrist, down, 1.65, kY);
  set(kRHand, down, 0.7, kXZ);
  set(kRFingers, down, 0.55, kX);
  set(kRThumb, Mirror(thumb), 0.8, kXZ);
  return b;
}

void Append(std::string& out, const char* format, double a, double b, double c) {
  char line[128];
  std::snprintf(line, sizeof line, format, a, b, c);
  out += line;
}

}  // namespace

const std::array<BoneDef, kBoneCount>& Bones() {
  static const std::array<BoneDef, kBoneCount> bones = MakeBones();
  return bones;
}

int DofCount(int bone) {
  const BoneDef& b = Bones()[bone];
  return int(b.dof[0]) + int(b.dof[1]) + int(b.dof[2]);
}

Frames ForwardKinematics(const Pose& pose) {
  const auto& bones = Bones();
  Frames f;
  f.rotation[kRoot] = FromEuler(pose.angles[kRoot]);
  f.start[kRoot] = f.end[kRoot] = pose.root;
  for (int i = 1; i < kBoneCount; ++i) {
    const BoneDef& b = bones[i];
    f.rotation[i] = f.rotation[b.parent] * FromEuler(pose.angles[i]);
    f.start[i] = f.end[b.parent];
    f.end[i] = f.start[i] + f.rotation[i] * (b.direction * b.length);
  }
  return f;
}

std::string AsfText() {
  std::string out =
      "# Kinetrope synthesised figure\n"
      ":version 1.10\n"
      ":name Kinetrope\n"
      ":units\n  mass 1.0\n  length 0.45\n  angle deg\n"
      ":documentation\n  31-bone sword fighter written by kinetrope-content\n"
      ":root\n   order TX TY TZ RX RY RZ\n   axis XYZ\n   position 0 0 0\n"
      "   orientation 0 0 0\n"
      ":bonedata\n";
  const auto& bones = Bones();
  for (int i = 1; i < kBoneCount; ++i) {
    const BoneDef& b = bones[i];
    out += "  begin\n     id " + std::to_string(i) + "\n     name " + b.name + "\n";
    Append(out, "     direction %g %g %g\n", b.direction.x, b.direction.y, b.direction.z);
    Append(out, "     length %g\n", b.length, 0, 0);
    out += "     axis 0 0 0 XYZ\n";
    if (DofCount(i) > 0) {
      out += "    dof";
      const char* names[3] = {" rx", " ry", " rz"};
      for (int k = 0; k < 3; ++k)
        if (b.dof[k]) out += names[k];
      out += "\n";
    }
    out += "  end\n";
  }
  out += ":hierarchy\n  begin\n";
  for (int p = 0; p < kBoneCount; ++p) {
    std::string line;
    for (int c = 1; c < kBoneCount; ++c)
      if (bones[c].parent == p) line += std::string(" ") + bones[c].name;
    if (!line.empty()) out += std::string("    ") + bones[p].name + line + "\n";
  }
  out += "  end\n";
  return out;
}

std::string AmcText(const Pose* poses, int count) {
  std::string out = "#Unknow ASF file\n:FULLY-SPECIFIED\n:DEGREES\n";
  out.reserve(size_t(count) * 900 + 64);
  const auto& bones = Bones();
  char line[256];
  for (int f = 0; f < count; ++f) {
    const Pose& p = poses[f];
    std::snprintf(line, sizeof line, "%d\nroot %g %g %g %g %g %g\n", f + 1, p.root.x, p.root.y,
                  p.root.z, p.angles[0].x, p.angles[0].y, p.angles[0].z);
    out += line;
    for (int i = 2; i < kBoneCount; ++i) {
      if (DofCount(i) == 0) continue;
      out += bones[i].name;
      const double v[3] = {p.angles[i].x, p.angles[i].y, p.angles[i].z};
      for (int k = 0; k < 3; ++k) {
        if (!bones[i].dof[k]) continue;
        std::snprintf(line, sizeof line, " %g", v[k]);
        out += line;
      }
      out += "\n";
    }
  }
  return out;
}

}  // namespace kt::content
