// Motion controller playback on the manual clock: frame advance with carried fractions,
// looping, stepping, placement, jumps (heading, ground position, no pop at the first blended
// update), jump blends and heading alignment.
#include "character/motion_controller.h"

#include <gtest/gtest.h>

#include "motion_fixtures.h"
#include "test_support.h"

namespace kt {
namespace {

void ExpectSamePosture(const Posture& a, const Posture& b, float tolerance = 1e-5f) {
  EXPECT_NEAR(a.root_position.x, b.root_position.x, tolerance);
  EXPECT_NEAR(a.root_position.y, b.root_position.y, tolerance);
  EXPECT_NEAR(a.root_position.z, b.root_position.z, tolerance);
  for (int j = 0; j < kBoneCount; ++j)
    EXPECT_NEAR(std::fabs(Dot(a.rotations[j], b.rotations[j])), 1.0f, tolerance) << j;
}

class MotionControllerTest : public ::testing::Test {
 protected:
  test::ScratchDir dir_{"motionctrl"};
  test::ManualClockScope clock_;
  MotionData walk_{"walk", test::WalkPostures(200)};
};

TEST_F(MotionControllerTest, OneSecondAt120FramesPerSecondAdvances120Frames) {
  MotionController c(&walk_);
  c.Update();                           // starts its clock
  EXPECT_EQ(c.TransitionLength(), 18);  // ceil(120 * 0.15f) in single precision
  clock_.Advance(5.0);                  // time before the first update never counts
  c.Update();
  EXPECT_EQ(c.CurrentFrame(), 0);
  int total = 0;
  for (int step = 0; step < 250; ++step) {  // 4 ms updates: the fractions must carry
    clock_.Advance(0.004);
    c.Update();
    total += c.FramesAdvanced();
    if (step == 0) {
      EXPECT_EQ(c.FramesAdvanced(), 0);
    }
    EXPECT_FLOAT_EQ(c.elapsed(), 0.004f);
  }
  EXPECT_EQ(total, 120);
  EXPECT_EQ(c.CurrentFrame(), 120);
  ExpectSamePosture(c.ShownPosture(), walk_.posture(120));
}

TEST_F(MotionControllerTest, LoopsOrHoldsTheLastFrameAndStepsWhenStopped) {
  MotionController c(&walk_);
  c.Update();  // starts its clock
  c.SetSpeed(2.0f);
  clock_.Advance(190.0 / 240.0);
  c.Update();
  EXPECT_EQ(c.CurrentFrame(), 190);
  clock_.Advance(20.0 / 240.0);
  c.Update();
  EXPECT_EQ(c.CurrentFrame(), 0);  // reaching the frame count wraps to 0
  c.SetLooping(false);
  clock_.Advance(1.0);
  c.Update();
  EXPECT_EQ(c.CurrentFrame(), 199);

  c.SetLooping(true);
  c.SetSpeed(-1.0f);  // backwards past frame 0 wraps to the last frame
  c.SetCurrentFrame(0);
  clock_.Advance(1.0 / 120.0);
  c.Update();
  EXPECT_EQ(c.CurrentFrame(), 199);
  c.SetCurrentFrame(500);
  EXPECT_EQ(c.CurrentFrame(), 199);
  c.SetLooping(false);
  c.SetSpeed(2.0f);

  c.StepBack(5);
  EXPECT_FALSE(c.playing());
  EXPECT_EQ(c.CurrentFrame(), 194);
  clock_.Advance(1.0);
  c.Update();  // stopped: shows the current frame, advances nothing
  EXPECT_EQ(c.CurrentFrame(), 194);
  EXPECT_EQ(c.FramesAdvanced(), 0);
  ExpectSamePosture(c.ShownPosture(), walk_.posture(194));
  c.StepForward(50);
  EXPECT_EQ(c.CurrentFrame(), 199);
  c.Rewind();
  EXPECT_EQ(c.CurrentFrame(), 0);
  c.ToEnd();
  EXPECT_EQ(c.CurrentFrame(), 199);
  c.Play();
  clock_.Advance(1.0 / 240.0);  // the stopped time never counts
  c.Update();
  EXPECT_EQ(c.CurrentFrame(), 199);
}

TEST_F(MotionControllerTest, JumpKeepsHeadingAndGroundPositionAndBlendsWithoutPop) {
  MotionController c(&walk_);
  c.Update();  // starts its clock
  clock_.Advance(50.0 / 120.0);
  c.Update();
  ASSERT_EQ(c.CurrentFrame(), 50);
  const Posture before = c.ShownPosture();
  ASSERT_TRUE(c.BeginTransition(150));
  EXPECT_FALSE(c.BeginTransition(10));  // one jump at a time
  EXPECT_EQ(c.transition_source(), 50);
  EXPECT_EQ(c.CurrentFrame(), 150);
  // The alignment is a pure turn about the vertical axis.
  EXPECT_NEAR(c.alignment().x, 0.0f, 1e-6f);
  EXPECT_NEAR(c.alignment().z, 0.0f, 1e-6f);

  c.Update();  // no time passed: k = 0, the source frame as it was placed
  ExpectSamePosture(c.ShownPosture(), before);

  // Blended through L = 18 frames; the target itself stands where the figure stood.
  clock_.Advance(9.0 / 120.0);
  c.Update();
  EXPECT_TRUE(c.InTransition());
  clock_.Advance(9.0 / 120.0);
  c.Update();
  EXPECT_FALSE(c.InTransition());
  EXPECT_EQ(c.CurrentFrame(), 168);
  // Frame 150 is placed at the source's ground position and the target's height.
  const CVector placed_target = c.offset();
  EXPECT_NEAR(placed_target.x, before.root_position.x, 1e-4f);
  EXPECT_NEAR(placed_target.z, before.root_position.z, 1e-4f);
  EXPECT_NEAR(placed_target.y, walk_.posture(150).root_position.y, 1e-4f);
  // Heading continues: frame 150 shown faces (about y) the way frame 50 was shown.
  CQuaternion shown150 = c.alignment() * walk_.posture(150).rotations[0];
  const CVector a = shown150.XAxis(), b = before.rotations[0].XAxis();
  EXPECT_NEAR(std::atan2(a.z, a.x), std::atan2(b.z, b.x), 1e-2f);
  EXPECT_FALSE(c.BeginTransition(200));  // past the last frame
}

TEST_F(MotionControllerTest, JumpsNearTheEndClampTheirSourceAndKeepBlendingPastIt) {
  MotionController c(&walk_);
  c.Update();  // starts its clock
  clock_.Advance(190.0 / 120.0);
  c.Update();
  ASSERT_TRUE(c.BeginTransition(195));  // source 190 + k runs past the end: clamped
  clock_.Advance(8.0 / 120.0);
  c.Update();  // 203 wraps to 0: k = -195, source stays at 190
  EXPECT_EQ(c.CurrentFrame(), 0);
  EXPECT_TRUE(c.InTransition());
  c.SetLooping(false);
  c.StepForward(0);
  c.Play();
  EXPECT_FALSE(c.InTransition());  // Stop ends any jump

  // Not looping: below 190 + 18 at the last frame, the blend never completes.
  c.SetCurrentFrame(170);
  c.Update();
  ASSERT_TRUE(c.BeginTransition(190));
  clock_.Advance(30.0 / 120.0);
  c.Update();
  EXPECT_EQ(c.CurrentFrame(), 199);
  EXPECT_TRUE(c.InTransition());
  EXPECT_FALSE(c.BeginTransition(20));
  const Posture held = c.ShownPosture();
  clock_.Advance(1.0);
  c.Update();
  ExpectSamePosture(c.ShownPosture(), held, 1e-6f);  // constant weight, same frames
}

TEST_F(MotionControllerTest, AlignHeadingTurnsOnlyTheFirstController) {
  MotionController a(&walk_), b(&walk_);
  EXPECT_EQ(a.name(), "walk");
  EXPECT_EQ(b.name(), "walk1");
  EXPECT_EQ(FindMotionController("walk1"), &b);
  b.StepForward(100);
  b.Update();
  a.Update();
  const CQuaternion b_align = b.alignment();
  MotionController::AlignHeading(a, b);
  EXPECT_EQ(b.alignment(), b_align);
  EXPECT_NEAR(a.alignment().x, 0.0f, 1e-6f);
  EXPECT_NEAR(a.alignment().z, 0.0f, 1e-6f);
  EXPECT_GT(std::fabs(a.alignment().y), 0.1f);  // frame 100 turned 20 degrees from frame 0
}

TEST_F(MotionControllerTest, ControllerWithoutMotionIsInert) {
  MotionController none(nullptr);
  EXPECT_EQ(none.FrameCount(), -1);
  EXPECT_EQ(none.TransitionLength(), 18);
  EXPECT_EQ(none.name(), "none");
  none.Update();
  EXPECT_FALSE(none.BeginTransition(0));
  EXPECT_EQ(none.Evaluate(0, 1), 0.0f);
  // A motion destroyed under its controller leaves it playing nothing.
  auto gone = std::make_unique<MotionData>("gone", test::WalkPostures(10));
  MotionController c(gone.get());
  EXPECT_EQ(FindMotionController("gone"), &c);
  gone.reset();
  EXPECT_EQ(FindMotionController("gone"), nullptr);
  EXPECT_EQ(c.FrameCount(), -1);
  c.Update();
}

TEST_F(MotionControllerTest, EvaluateScoresAndStoresTheSuggestedThreshold) {
  MotionController c(&walk_, 0, 1.0f, 1);
  CVar<float> suggestion("graph.eval_threshold", 1.0f);
  suggestion = 1.0f;
  EXPECT_NEAR(c.Evaluate(10, 10), 14.4f / 31.0f, 1e-6f);
  EXPECT_FLOAT_EQ(suggestion, 0.47f);
  EXPECT_EQ(c.Evaluate(190, 10), 0.0f);  // window past the end
}

}  // namespace
}  // namespace kt
