// Synthetic ASF skeleton and motions for tests.
#include "motion_fixtures.h"

#include <cmath>
#include <cstdio>
#include <sstream>

#include "motion/skeleton.h"
#include "test_support.h"

namespace kt::test {
namespace {

struct TestBone {
  const char* name;
  float dx, dy, dz, length;
  float ax, ay, az;
  const char* dof;  // "" for none
};

// Bone-table order. Directions are unit vectors in the world frame of the rest pose.
constexpr TestBone kTestBones[] = {
    {"lhipjoint", 0.6f, -0.8f, 0.0f, 2.4f, 0, 0, 0, ""},
    {"lfemur", 0.34202f, -0.939693f, 0, 7.5f, 0, 0, 20, "rx ry rz"},
    {"ltibia", 0.34202f, -0.939693f, 0, 7.3f, 0, 0, 20, "rx"},
    {"lfoot", 0, 0, 1, 2.2f, -90, 7, 20, "rx rz"},
    {"ltoes", 0, 0, 1, 1.1f, -90, 7, 20, "rx"},
    {"rhipjoint", -0.6f, -0.8f, 0.0f, 2.4f, 0, 0, 0, ""},
    {"rfemur", -0.34202f, -0.939693f, 0, 7.5f, 0, 0, -20, "rx ry rz"},
    {"rtibia", -0.34202f, -0.939693f, 0, 7.3f, 0, 0, -20, "rx"},
    {"rfoot", 0, 0, 1, 2.2f, -90, -7, -20, "rx rz"},
    {"rtoes", 0, 0, 1, 1.1f, -90, -7, -20, "rx"},
    {"lowerback", 0, 1, 0, 2.0f, 0, 0, 0, "rx ry rz"},
    {"upperback", 0, 1, 0, 2.0f, 0, 0, 0, "rx ry rz"},
    {"thorax", 0, 1, 0, 2.0f, 0, 0, 0, "rx ry rz"},
    {"lowerneck", 0, 1, 0, 1.6f, 0, 0, 0, "rx ry rz"},
    {"upperneck", 0, 1, 0, 1.6f, 0, 0, 0, "rx ry rz"},
    {"head", 0, 1, 0, 1.5f, 0, 0, 0, "rx ry rz"},
    {"lclavicle", 1, 0, 0, 3.5f, 0, 0, 0, "ry rz"},
    {"lhumerus", 1, 0, 0, 5.0f, 0, 0, 90, "rx ry rz"},
    {"lradius", 1, 0, 0, 3.4f, 0, 0, 90, "rx"},
    {"lwrist", 1, 0, 0, 1.7f, 0, 0, 90, "ry"},
    {"lhand", 1, 0, 0, 0.7f, 0, 0, 90, "rx rz"},
    {"lfingers", 1, 0, 0, 0.5f, 0, 0, 90, "rx"},
    {"lthumb", 0.7071f, 0, 0.7071f, 0.8f, -90, 45, 0, "rx rz"},
    {"rclavicle", -1, 0, 0, 3.5f, 0, 0, 0, "ry rz"},
    {"rhumerus", -1, 0, 0, 5.0f, 0, 0, -90, "rx ry rz"},
    {"rradius", -1, 0, 0, 3.4f, 0, 0, -90, "rx"},
    {"rwrist", -1, 0, 0, 1.7f, 0, 0, -90, "ry"},
    {"rhand", -1, 0, 0, 0.7f, 0, 0, -90, "rx rz"},
    {"rfingers", -1, 0, 0, 0.5f, 0, 0, -90, "rx"},
    {"rthumb", -0.7071f, 0, 0.7071f, 0.8f, -90, -45, 0, "rx rz"},
};

const TestBone& TestBoneOf(int b) { return kTestBones[b - 1]; }

bool Has(const TestBone& bone, const char* channel) {
  return std::string(bone.dof).find(channel) != std::string::npos;
}

}  // namespace

std::string TestAsfText() {
  std::ostringstream out;
  out << "# test skeleton\n:version 1.10\n:name TEST\n:units\n  mass 1.0\n  length 0.45\n"
         "  angle deg\n:root\n   order TX TY TZ RX RY RZ\n   axis XYZ\n   position 0 0 0\n"
         "   orientation 0 0 0\n:bonedata\n";
  int id = 1;
  for (const TestBone& b : kTestBones) {
    out << "  begin\n     id " << id++ << "\n     name " << b.name << "\n     direction " << b.dx
        << " " << b.dy << " " << b.dz << "\n     length " << b.length << "\n     axis " << b.ax
        << " " << b.ay << " " << b.az << " XYZ\n";
    if (*b.dof) out << "    dof " << b.dof << "\n    limits (-160.0 20.0)\n";
    out << "  end\n";
  }
  out << ":hierarchy\n  begin\n    root lhipjoint rhipjoint lowerback\n"
         "    lhipjoint lfemur\n    lfemur ltibia\n    ltibia lfoot\n    lfoot ltoes\n"
         "    rhipjoint rfemur\n    rfemur rtibia\n    rtibia rfoot\n    rfoot rtoes\n"
         "    lowerback upperback\n    upperback thorax\n    thorax lowerneck lclavicle rclavicle\n"
         "    lowerneck upperneck\n    upperneck head\n    lclavicle lhumerus\n"
         "    lhumerus lradius\n    lradius lwrist\n    lwrist lhand lthumb\n    lhand lfingers\n"
         "    rclavicle rhumerus\n    rhumerus rradius\n    rradius rwrist\n"
         "    rwrist rhand rthumb\n    rhand rfingers\n  end\n";
  return out.str();
}

void InstallTestSkeleton() {
  WriteFile("MartialArts.asf", TestAsfText());
  ResetMotionSkeletons();
}

std::vector<Posture> WalkPostures(int frames, float speed, int period, float phase, float start_z) {
  std::vector<Posture> out(static_cast<size_t>(frames));
  for (int f = 0; f < frames; ++f) {
    Posture& p = out[size_t(f)];
    const float s = std::sin(6.2831853f * float(f) / float(period) + phase);
    p.root_position = {2.0f * s, 40.0f + std::fabs(s), start_z + speed * float(f)};
    p.rotations[0] = CQuaternion::FromEuler(3.0f * s, 0.2f * float(f), 0.0f);
    for (int b = 1; b < kBoneCount; ++b) {
      const TestBone& bone = TestBoneOf(b);
      const float side = (b >= kRHipJoint && b <= kRToes) || b >= kRClavicle ? -1.0f : 1.0f;
      const float swing = side * 25.0f * s / float(1 + b % 4);
      p.rotations[b] = CQuaternion::FromEuler(Has(bone, "rx") ? swing : 0.0f,
                                              Has(bone, "ry") ? 0.5f * swing : 0.0f,
                                              Has(bone, "rz") ? -0.3f * swing : 0.0f);
    }
  }
  return out;
}

std::string AmcText(const std::vector<Posture>& postures, float scale) {
  std::string out = "#!OML:ASF test.asf\n:FULLY-SPECIFIED\n:DEGREES\n";
  char buf[128];
  for (size_t f = 0; f < postures.size(); ++f) {
    const Posture& p = postures[f];
    float a[3];
    p.rotations[0].ToEuler(a);
    std::snprintf(buf, sizeof buf, "%zu\nroot %.7g %.7g %.7g %.7g %.7g %.7g\n", f + 1,
                  double(p.root_position.x / scale), double(p.root_position.y / scale),
                  double(p.root_position.z / scale), double(a[0]), double(a[1]), double(a[2]));
    out += buf;
    for (int b = 2; b < kBoneCount; ++b) {
      const TestBone& bone = TestBoneOf(b);
      if (!*bone.dof) continue;
      p.rotations[b].ToEuler(a);
      out += bone.name;
      const char* channels[3] = {"rx", "ry", "rz"};
      for (int i = 0; i < 3; ++i)
        if (Has(bone, channels[i])) {
          std::snprintf(buf, sizeof buf, " %.7g", double(a[i]));
          out += buf;
        }
      out += '\n';
    }
  }
  return out;
}

}  // namespace kt::test
