// The synthesised figure against the game's own skeleton reader and forward kinematics (its
// degrees of freedom are the motion reader's to check, in motion_synth_test).
#include "rig.h"

#include <gtest/gtest.h>

#include "motion/skeleton.h"
#include "motion_synth.h"
#include "test_support.h"

namespace kt::content {
namespace {

Posture ToPosture(const Pose& pose) {
  Posture p;
  p.root_position = {float(pose.root.x * kMotionScale), float(pose.root.y * kMotionScale),
                     float(pose.root.z * kMotionScale)};
  for (int b = 0; b < kBoneCount; ++b)
    p.rotations[b] = CQuaternion::FromEuler(float(pose.angles[b].x), float(pose.angles[b].y),
                                            float(pose.angles[b].z));
  return p;
}

TEST(Rig, StandsAboutThirtyUnitsTall) {
  // Rest pose, feet flat: from the balls of the feet to the top of the head.
  Pose pose;
  const Frames f = ForwardKinematics(pose);
  const double height = f.end[kHead].y - f.end[kLFoot].y;
  EXPECT_GT(height, 27.0);
  EXPECT_LT(height, 31.0);
  EXPECT_NEAR(f.end[kLFoot].y, f.end[kRFoot].y, 1e-9);
}

TEST(Rig, ForwardKinematicsAgreesWithTheGames) {
  test::ScratchDir dir;
  test::WriteFile("MartialArts.asf", AsfText());
  Skeleton skeleton("MartialArts.asf", kMotionScale);
  ASSERT_TRUE(skeleton.loaded());
  const std::vector<Pose> poses[] = {MakeIdle(), MakeWalk(), MakeAttack()};
  for (const auto& clip : poses)
    for (size_t frame : {size_t(0), size_t(333), size_t(460), size_t(1000)}) {
      const Pose& pose = clip[frame];
      skeleton.SetPosture(ToPosture(pose));
      const Frames mine = ForwardKinematics(pose);
      for (int b = 0; b < kBoneCount; ++b) {
        const CVector theirs = skeleton.BoneEndPosition(b);
        EXPECT_NEAR(theirs.x, mine.end[b].x * kMotionScale, 0.02) << "bone " << b;
        EXPECT_NEAR(theirs.y, mine.end[b].y * kMotionScale, 0.02) << "bone " << b;
        EXPECT_NEAR(theirs.z, mine.end[b].z * kMotionScale, 0.02) << "bone " << b;
      }
    }
}

}  // namespace
}  // namespace kt::content
