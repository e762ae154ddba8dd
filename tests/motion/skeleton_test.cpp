// ASF reading, local frames and forward kinematics of the 31-bone skeleton (the real CMU
// skeletons are read by cmu_data_test).
#include "motion/skeleton.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <sstream>

#include "motion_fixtures.h"
#include "test_support.h"

namespace kt {
namespace {

using test::ScratchDir;
using test::TestAsfText;
using test::WriteFile;

void ExpectNear(const CVector& a, const CVector& b, float tol = 1e-4f) {
  EXPECT_NEAR(a.x, b.x, tol);
  EXPECT_NEAR(a.y, b.y, tol);
  EXPECT_NEAR(a.z, b.z, tol);
}

// Bone vectors (length x world direction, scaled) read straight from ASF text, without the
// Skeleton class: the zero pose must put each bone end at the root plus their sum along the
// chain.
std::map<std::string, CVector> BoneVectors(const std::string& asf, float scale) {
  std::map<std::string, CVector> out;
  std::istringstream in(asf);
  std::string line, name;
  CVector dir;
  for (std::string word; std::getline(in, line);) {
    std::istringstream words(line);
    words >> word;
    if (word == "name") words >> name;
    if (word == "direction") words >> dir.x >> dir.y >> dir.z;
    if (word == "length") {
      float length;
      words >> length;
      out[name] = dir * (length * scale);
    }
  }
  return out;
}

CVector ZeroPoseEnd(const std::map<std::string, CVector>& vectors, const CVector& root, int b) {
  CVector end = root;
  for (; b > 0; b = kBoneParents[b]) end += vectors.at(kBoneNames[b]);
  return end;
}

std::string LogText() { return test::ReadFile("log.txt"); }

class SkeletonTest : public ::testing::Test {
 protected:
  void SetUp() override { WriteFile("test.asf", TestAsfText()); }
  ScratchDir dir_{"skeleton"};
};

TEST_F(SkeletonTest, ReadsBonesFromAsf) {
  const Skeleton s("test.asf", 2.5f);
  ASSERT_TRUE(s.loaded());
  EXPECT_EQ(s.dof_count(), 6 + 56);  // 28 bones; the hip joints have none
  EXPECT_EQ(s.bone(kLHipJoint).dof_count, 0);
  EXPECT_EQ(s.bone(kLClavicle).dof_count, 2);
  EXPECT_EQ(s.bone(kLClavicle).has_x, 0);
  EXPECT_EQ(s.bone(kLClavicle).has_z, 1);
  EXPECT_FLOAT_EQ(s.bone(kLFemur).length, 7.5f * 2.5f);
  EXPECT_FLOAT_EQ(s.bone(kLFemur).axis_z, 20.0f);
  // The femur's world direction lies along its tilted axis: locally it points straight down.
  ExpectNear(s.bone(kLFemur).direction, CVector(0, -1, 0), 1e-5f);
  const Bone& root = s.RootBone();
  EXPECT_FLOAT_EQ(root.length, 0.05f);
  EXPECT_EQ(root.dof_count, 3);
  // The hierarchy is the zero pose's chains below.
  EXPECT_FLOAT_EQ(s.bone(kRHand).shape_width_y, 0.8f);
  EXPECT_FLOAT_EQ(s.bone(kLowerBack).shape_width_x, 2.0f);
}

TEST_F(SkeletonTest, CrlfFileReadsLikeLf) {
  std::string crlf;
  for (char c : TestAsfText()) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  WriteFile("crlf.asf", crlf);
  const Skeleton a("test.asf", 2.5f), b("crlf.asf", 2.5f);
  ASSERT_TRUE(b.loaded());
  EXPECT_EQ(a.dof_count(), b.dof_count());
  for (int i = 0; i < kBoneCount; ++i) EXPECT_EQ(a.BoneEndPosition(i), b.BoneEndPosition(i));
}

TEST_F(SkeletonTest, ZeroPoseSumsBoneVectorsAlongEachChain) {
  Skeleton s("test.asf", 2.5f);
  Posture p;
  p.root_position = {3, 40, -7};
  s.SetPosture(p);
  const auto vectors = BoneVectors(TestAsfText(), 2.5f);
  EXPECT_EQ(s.BoneEndPosition(kRoot), p.root_position);
  for (int b = 0; b < kBoneCount; ++b)
    ExpectNear(s.BoneEndPosition(b), ZeroPoseEnd(vectors, p.root_position, b));
}

TEST_F(SkeletonTest, HandWorkedPoses) {
  Skeleton s("test.asf", 2.5f);
  const CVector p(1, 2, 3);
  const CVector hip = p + CVector(0.6f, -0.8f, 0) * (2.4f * 2.5f);
  // Thigh rotated 90 degrees about its local x: the straight leg points backwards (-z), even
  // though the thigh's frame is tilted 20 degrees about z.
  Posture kick;
  kick.root_position = p;
  kick.rotations[kLFemur] = CQuaternion::FromEuler(90, 0, 0);
  s.SetPosture(kick);
  ExpectNear(s.BoneEndPosition(kLHipJoint), hip);
  ExpectNear(s.BoneEndPosition(kLFemur), hip + CVector(0, 0, -7.5f * 2.5f), 1e-3f);
  ExpectNear(s.BoneEndPosition(kLTibia), hip + CVector(0, 0, -(7.5f + 7.3f) * 2.5f), 1e-3f);
  // Lower back bent 90 degrees about x: the spine above it lies along +z.
  Posture bow;
  bow.root_position = p;
  bow.rotations[kLowerBack] = CQuaternion::FromEuler(90, 0, 0);
  s.ResetPose();
  s.SetPosture(bow);
  ExpectNear(s.BoneEndPosition(kUpperBack), p + CVector(0, 0, 4 * 2.5f), 1e-3f);
  // The root turned 60 degrees about y carries the whole body round it. (Near 90 degrees the
  // float quaternion's y angle is only good to a few hundredths of a degree.)
  Posture turn;
  turn.root_position = p;
  turn.rotations[kRoot] = CQuaternion::FromEuler(0, 60, 0);
  s.ResetPose();
  s.SetPosture(turn);
  const CVector hand_offset = s.BoneEndPosition(kRHand) - p;
  s.ResetPose();
  s.SetPosture(Posture{p, {}});
  const CVector r = s.BoneEndPosition(kRHand) - p;
  const float c = 0.5f, sn = std::sqrt(0.75f);
  ExpectNear(hand_offset, CVector(c * r.x + sn * r.z, r.y, -sn * r.x + c * r.z), 1e-3f);
}

TEST_F(SkeletonTest, MarkerPositionsGlobalAndRootRelative) {
  Skeleton s("test.asf", 2.5f);
  const Posture p = test::WalkPostures(13).back();
  CVector global[kBoneCount], relative[kBoneCount], chain[kBoneCount];
  s.GlobalMarkerPositions(p, global);
  for (int b = 0; b < kBoneCount; ++b) chain[b] = s.BoneEndPosition(b);
  for (int b = 0; b < kBoneCount; ++b) EXPECT_EQ(global[b], chain[b]) << b;

  const Posture copy = p;
  s.RootRelativeMarkerPositions(p, relative);
  EXPECT_EQ(std::memcmp(&copy, &p, sizeof p), 0);
  Posture at_origin = p;
  at_origin.root_position = {};
  at_origin.rotations[kRoot] = {};
  s.GlobalMarkerPositions(at_origin, global);
  for (int b = 0; b < kBoneCount; ++b) EXPECT_EQ(relative[b], global[b]) << b;
  EXPECT_EQ(relative[kRoot], CVector());
}

TEST_F(SkeletonTest, SingleAxisBoneKeepsAnglesBeyondNinetyDegrees) {
  Skeleton s("test.asf", 2.5f);
  Posture p;
  p.rotations[kLWrist] = CQuaternion::FromEuler(0, -102.6f, 0);   // wrist: y only
  p.rotations[kLClavicle] = CQuaternion::FromEuler(0, 120, -30);  // clavicle: y and z
  s.SetPosture(p);
  EXPECT_NEAR(s.bone(kLWrist).angle_y, -102.6f, 1e-3f);
  EXPECT_NEAR(s.bone(kLClavicle).angle_y, 120.0f, 1e-3f);
  EXPECT_NEAR(s.bone(kLClavicle).angle_z, -30.0f, 1e-3f);
  float angles[3];
  BoneEuler(s.bone(kLFemur), p.rotations[kLWrist], angles);  // all three channels: as ToEuler
  EXPECT_NEAR(std::fabs(angles[0]), 180.0f, 1e-3f);
}

TEST_F(SkeletonTest, SetPostureWritesOnlyTheBonesChannels) {
  Skeleton s("test.asf", 2.5f);
  Posture p;
  p.rotations[kLClavicle] = CQuaternion::FromEuler(30, 20, 10);  // clavicle has y and z only
  p.rotations[kLHipJoint] = CQuaternion::FromEuler(30, 0, 0);    // no channels at all
  s.SetPosture(p);
  EXPECT_EQ(s.bone(kLClavicle).angle_x, 0.0f);
  EXPECT_NE(s.bone(kLClavicle).angle_z, 0.0f);
  EXPECT_EQ(s.bone(kLHipJoint).angle_x, 0.0f);
}

// A malformed file leaves an unloaded skeleton (root only) and one log line that names the file
// and the fault. Other damage is left to the asf fuzz target.
TEST_F(SkeletonTest, RejectsMalformedFiles) {
  const std::string good = TestAsfText();
  auto cut_at = [&](const std::string& marker, size_t from = 0) {
    return good.substr(0, good.find(marker, from));
  };
  auto replace = [&](const std::string& from, const std::string& to) {
    std::string s = good;
    s.replace(s.find(from), from.size(), to);
    return s;
  };
  const struct {
    const char* name;
    std::string text;
    const char* reason;
  } cases[] = {
      {"empty.asf", "", "no :bonedata section"},
      {"short.asf", cut_at("name rthumb"), "file ends inside bone entry 30 of 30"},
      {"unknown.asf", replace("name lthumb", "name lpinky"), "unknown bone name 'lpinky'"},
      {"hiershape.asf", replace("lhand lfingers", "lhand rfingers"),
       "hierarchy puts 'rfingers' under 'lhand'"},
      {"nan.asf", replace("length 7.5", "length nan"), "bad length line"},
      {"huge.asf", replace("length 7.5", "length 3e38"), "out of range once scaled"},
      {"direction.asf", replace("direction ", "direction 1e30 "), "bad direction line"},
  };
  for (const auto& c : cases) {
    WriteFile(c.name, c.text);
    const Skeleton s(c.name, 2.5f);
    EXPECT_FALSE(s.loaded()) << c.name;
    EXPECT_EQ(s.dof_count(), 6);
    EXPECT_EQ(s.bone(kLFemur).length, 0.0f);
    EXPECT_EQ(s.BoneEndPosition(kRThumb), CVector());
    EXPECT_NE(LogText().find(std::string(c.name) + " line"), std::string::npos) << c.name;
    EXPECT_NE(LogText().find(c.reason), std::string::npos) << c.name << "\n" << LogText();
  }
  const Skeleton missing("nowhere.asf", 2.5f);
  EXPECT_FALSE(missing.loaded());
  EXPECT_NE(LogText().find("Skeleton: cannot open ASF file nowhere.asf"), std::string::npos);
}

TEST_F(SkeletonTest, ParentNamedBeforeItIsLinkedPrintsInbordMessage) {
  std::string text = TestAsfText();
  const std::string line = "    lhipjoint lfemur\n";
  text.erase(text.find(line), line.size());
  text.insert(text.find("    rhipjoint rfemur"), line);
  text.insert(text.find("    root lhipjoint"), "    lfemur ltibia\n");
  text.erase(text.rfind("    lfemur ltibia\n"), 18);
  WriteFile("inbord.asf", text);
  testing::internal::CaptureStdout();
  const Skeleton s("inbord.asf", 2.5f);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "inbord bone is undefined\n");
  EXPECT_FALSE(s.loaded());
}

TEST(SharedSkeletons, BuiltFromMartialArtsAsfOnFirstUse) {
  ScratchDir dir("shared-skeleton");
  ResetMotionSkeletons();
  EXPECT_FALSE(MotionSkeleton().loaded());  // no file yet
  test::InstallTestSkeleton();
  EXPECT_TRUE(MotionSkeleton().loaded());
  EXPECT_TRUE(MarkerSkeleton().loaded());
  EXPECT_NE(&MotionSkeleton(), &MarkerSkeleton());
  ResetMotionSkeletons();
}

}  // namespace
}  // namespace kt
