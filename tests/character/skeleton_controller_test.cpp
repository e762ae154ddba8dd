// Skeleton controller on the manual clock: root motion written to the skeleton, root
// cross-fade, overlay fade-in, fade-out and cross-fade, and both overlay mixes.
#include "character/skeleton_controller.h"

#include <gtest/gtest.h>

#include "character/ease.h"
#include "motion_fixtures.h"
#include "test_support.h"

namespace kt {
namespace {

// A still motion whose every frame holds `degrees` about x on every joint (the test skeleton
// gives each joint the axes it needs).
std::vector<Posture> Still(float degrees, int frames = 100) {
  Posture p;
  p.root_position = {0, 40, 0};
  for (int j = 1; j < kBoneCount; ++j) p.rotations[j] = CQuaternion::FromEuler(degrees, 0, 0);
  return std::vector<Posture>(frames, p);
}

std::string InstalledSkeleton() {
  test::InstallTestSkeleton();
  return "MartialArts.asf";
}

class SkeletonControllerTest : public ::testing::Test {
 protected:
  ~SkeletonControllerTest() override { ResetMotionSkeletons(); }

  // Joint 2 (lfemur) carries x in the test skeleton.
  float FemurX() const { return skeleton_.bone(kLFemur).angle_x; }

  test::ScratchDir dir_{"skelctrl"};
  test::ManualClockScope clock_;
  Skeleton skeleton_{InstalledSkeleton(), kMotionScale};
  MotionData zero_{"zero", Still(0.0f), 120, 0};
  MotionData forty_{"forty", Still(40.0f), 120, 0};
  MotionData arms_{"arms", Still(40.0f), 120, 2};
};

TEST_F(SkeletonControllerTest, RootCrossFadeFollowsTheEaseCurveAndASecondChangeCuts) {
  SkeletonController s(&skeleton_);
  MotionController a(&zero_), b(&forty_), c(&zero_);
  s.SetRootMotion(&a);
  s.Update();
  s.SetRootMotion(&a);  // the same motion again: nothing to fade
  EXPECT_FALSE(s.root_transition());
  s.SetRootMotion(&b);
  s.SetRootMotion(&b);
  ASSERT_TRUE(s.root_transition());
  s.Update();  // b's first update starts its clock: no progress yet
  EXPECT_EQ(s.root_fade(), 0.0f);
  clock_.Advance(0.1);  // half of the 0.2 s cross-fade
  s.Update();
  EXPECT_NEAR(s.root_fade(), 0.5f, 1e-4f);
  EXPECT_NEAR(FemurX(), 40.0f * Ease(0.5f), 0.05f);
  clock_.Advance(0.05);
  s.Update();
  EXPECT_NEAR(FemurX(), 40.0f * Ease(0.75f), 0.05f);
  clock_.Advance(0.06);
  s.Update();  // passes 1: the incoming controller becomes the root
  EXPECT_FALSE(s.root_transition());
  EXPECT_EQ(s.RootMotion(), &b);
  EXPECT_FALSE(a.playing());
  EXPECT_NEAR(FemurX(), 40.0f, 1e-3f);
  EXPECT_FLOAT_EQ(skeleton_.root_position().y, 40.0f);

  // A change during a cross-fade cuts straight to the newest motion.
  s.SetRootMotion(&a);
  s.SetRootMotion(&c);
  EXPECT_FALSE(s.root_transition());
  EXPECT_EQ(s.RootMotion(), &c);
  EXPECT_FALSE(a.playing() || b.playing());

  // Without a root motion the skeleton goes back to its rest pose.
  SkeletonController empty(&skeleton_);
  EXPECT_TRUE(empty.Update());
  EXPECT_EQ(FemurX(), 0.0f);
  EXPECT_EQ(skeleton_.root_position().y, 0.0f);
}

TEST_F(SkeletonControllerTest, OverlayFadesInAndOutWithTheBodyWeights) {
  SkeletonController s(&skeleton_);
  MotionController root(&zero_), overlay(&arms_);
  s.SetRootMotion(&root);
  s.SetBlendMotion(&overlay);
  EXPECT_TRUE(s.fading_in());
  s.Update();
  clock_.Advance(0.165);  // half of 0.33 s
  s.Update();
  // Euler mix: a := ((1 - w) Wr a + Wb E) / ((1 - w) Wr + Wb), root weights type 0 (1),
  // overlay weights type 2.
  const float w = Ease(0.5f);
  const float wb = BodyWeightTable(2)[kLHumerus];
  EXPECT_NEAR(skeleton_.bone(kLHumerus).angle_x, wb * 40.0f / ((1 - w) + wb), 0.05f);
  EXPECT_NEAR(FemurX(), 0.0f, 1e-4f);  // overlay weight 0 on the legs
  EXPECT_EQ(s.posture().rotations[kLHumerus], zero_.posture(0).rotations[kLHumerus]);
  clock_.Advance(0.2);
  s.Update();  // fade-in complete: full weight
  EXPECT_FALSE(s.fading_in());
  EXPECT_NEAR(skeleton_.bone(kLHumerus).angle_x, 40.0f, 0.01f);

  s.FadeOutBlend();
  clock_.Advance(0.165);
  s.Update();
  EXPECT_NEAR(skeleton_.bone(kLHumerus).angle_x, wb * 40.0f / ((1 - w) + wb), 0.05f);
  clock_.Advance(0.2);
  s.Update();
  EXPECT_EQ(s.BlendMotion(), nullptr);
  EXPECT_FALSE(overlay.playing());
}

TEST_F(SkeletonControllerTest, QuaternionMixAndOverlayCrossFade) {
  CVar<int> quat_blend("controller.quatBlend", 0);
  quat_blend = 1;
  SkeletonController s(&skeleton_);
  MotionData whole("whole", Still(40.0f), 120, 0);
  MotionController root(&zero_), first(&whole), second(&whole);
  s.SetRootMotion(&root);
  s.SetBlendMotion(&first);
  s.Update();
  clock_.Advance(0.165);
  s.Update();
  EXPECT_NEAR(FemurX(), 40.0f * Ease(0.5f), 0.05f);  // slerp by w Wb = w
  clock_.Advance(0.2);
  s.Update();
  s.SetBlendMotion(&second);  // cross-fade: the weight carries on at 1
  EXPECT_EQ(s.incoming_overlay(), &second);
  EXPECT_FALSE(s.fading_in());
  s.Update();
  clock_.Advance(0.2);
  s.Update();
  EXPECT_NEAR(FemurX(), 40.0f, 1e-2f);
  clock_.Advance(0.2);
  s.Update();  // cross-fade complete: the new overlay plays on
  EXPECT_EQ(s.BlendMotion(), &second);
  EXPECT_EQ(s.incoming_overlay(), nullptr);
  EXPECT_FALSE(first.playing());
  EXPECT_TRUE(second.playing());
  EXPECT_GT(second.CurrentFrame(), 0);
  quat_blend = 0;
}

TEST_F(SkeletonControllerTest, DroppingTheOverlayAlsoDropsTheIncomingOne) {
  SkeletonController s(&skeleton_);
  MotionController root(&zero_), first(&arms_), second(&arms_), third(&arms_);
  s.SetRootMotion(&root);
  s.SetBlendMotion(&first);
  clock_.Advance(0.4);
  s.Update();
  // A fade-out during a cross-fade ends with both gone.
  s.SetBlendMotion(&second);
  s.FadeOutBlend();
  s.Update();
  clock_.Advance(0.2);
  s.Update();
  EXPECT_EQ(s.BlendMotion(), &first);  // the cross-fade is not done yet
  clock_.Advance(0.2);
  s.Update();
  EXPECT_EQ(s.BlendMotion(), nullptr);
  EXPECT_EQ(s.incoming_overlay(), nullptr);
  EXPECT_FALSE(second.playing());
  EXPECT_NEAR(skeleton_.bone(kLHumerus).angle_x, 0.0f, 1e-3f);

  // So does clearing it outright.
  s.SetBlendMotion(&first);
  s.Update();
  s.SetBlendMotion(&second);
  s.SetBlendMotion(nullptr);
  EXPECT_EQ(s.BlendMotion(), nullptr);
  EXPECT_EQ(s.incoming_overlay(), nullptr);
  EXPECT_FALSE(first.playing() || second.playing());
  s.SetBlendMotion(&third);
  EXPECT_EQ(s.BlendMotion(), &third);
  EXPECT_EQ(s.incoming_overlay(), nullptr);
}

TEST_F(SkeletonControllerTest, FullWeightEulerMixTakesTheOverlayAngleAndKeepsUnweightedRoots) {
  // lwrist turns about y only; 100 degrees has a second Euler triple (180, 80, 180), and the
  // mix must take the overlay's angle in the form the skeleton holds it. Root weights type 2
  // and overlay weights type 2 give lfemur 0 + 0: the root's angle stays.
  std::vector<Posture> turned = Still(40.0f);
  for (Posture& p : turned) p.rotations[kLWrist] = CQuaternion::FromEuler(0.0f, 100.0f, 0.0f);
  MotionData wrist("wrist", turned, 120, 2), root_motion("rootarms", Still(10.0f), 120, 2);
  SkeletonController s(&skeleton_);
  MotionController root(&root_motion), overlay(&wrist);
  s.SetRootMotion(&root);
  s.SetBlendMotion(&overlay);
  s.Update();
  clock_.Advance(0.5);
  s.Update();  // fade-in complete
  EXPECT_FALSE(s.fading_in());
  clock_.Advance(0.01);
  s.Update();
  EXPECT_NEAR(skeleton_.bone(kLWrist).angle_y, 100.0f, 1e-2f);
  EXPECT_NEAR(FemurX(), 10.0f, 1e-3f);
  EXPECT_EQ(BodyWeightTable(5), nullptr);
}

}  // namespace
}  // namespace kt
