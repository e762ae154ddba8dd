// The default clips: they load through the game's motion reader, planted feet stay put, the
// attack clip's swings lie where the swing table expects them, and the motion graphs built on
// them are richly connected.
#include "motion_synth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>

#include "../graph/fake_graph_player.h"
#include "character/motion_controller.h"
#include "graph/graph_kinds.h"
#include "graph/transition_graph.h"
#include "motion/motion_data.h"
#include "motion/skeleton.h"
#include "pose_builder.h"
#include "rig.h"
#include "test_support.h"

namespace kt::content {
namespace {

// Writes the skeleton and every clip into the scratch folder as the game expects them.
void WriteClips(const std::vector<Clip>& clips) {
  test::WriteFile("MartialArts.asf", AsfText());
  for (const Clip& c : clips)
    test::WriteFile("data/motions/" + c.file, AmcText(c.poses.data(), int(c.poses.size())));
  ResetMotionSkeletons();
}

// Sliding measured with the game's skeleton: the lower foot end, while within `ground` of the
// lowest it gets, moves this fast at most (units per second); `root` is the mean root speed.
void GameFootSliding(const MotionData& motion, double ground, double& worst, double& root) {
  Skeleton& skeleton = MarkerSkeleton();
  std::vector<CVector> feet[2];
  float floor = 1e9f;
  for (int f = 0; f < motion.frame_count(); ++f) {
    skeleton.SetPosture(motion.posture(f));
    for (int s = 0; s < 2; ++s) {
      feet[s].push_back(skeleton.BoneEndPosition(s == 0 ? kLFoot : kRFoot));
      floor = std::min(floor, feet[s].back().y);
    }
  }
  worst = 0;
  double travel = 0;
  for (int f = 0; f + 1 < motion.frame_count(); ++f) {
    const CVector a = motion.posture(f).root_position, b = motion.posture(f + 1).root_position;
    travel += std::hypot(b.x - a.x, b.z - a.z);
    const int s = feet[0][f].y <= feet[1][f].y ? 0 : 1;
    if (feet[s][f].y > floor + ground) continue;
    const double d = std::hypot(feet[s][f + 1].x - feet[s][f].x, feet[s][f + 1].z - feet[s][f].z);
    worst = std::max(worst, d * 120.0);
  }
  root = travel * 120.0 / (motion.frame_count() - 1);
}

TEST(DefaultClips, LoadThroughTheMotionReaderAndKeepPlantedFeetStill) {
  test::ScratchDir dir;
  const std::vector<Clip> clips = MakeAllClips();
  WriteClips(clips);
  for (const Clip& c : clips) {
    MotionData motion(c.file, c.file, kMotionScale, 1, 120);
    ASSERT_EQ(motion.frame_count(), int(c.poses.size())) << c.file;
    // The reader's postures match the poses written, up to the text's six digits.
    const Posture& p = motion.posture(100);
    EXPECT_NEAR(p.root_position.x, c.poses[100].root.x * kMotionScale, 1e-3);
    EXPECT_NEAR(p.root_position.y, c.poses[100].root.y * kMotionScale, 1e-3);
  }
  for (const char* file : {"walk.amc", "run.amc"}) {
    MotionData motion(file, file, kMotionScale, 1, 120);
    double worst = 0, root = 0;
    GameFootSliding(motion, 0.5, worst, root);
    RecordProperty(std::string(file) + "_foot_slide_permille",
                   int(std::lround(1000 * worst / root)));
    EXPECT_GT(root, 40.0) << file;  // walking is some 55 units/s, running 145
    EXPECT_LT(worst, 0.05 * root) << file << ": grounded foot moves at " << worst << " u/s";
  }
}

TEST(DefaultClips, ClipLengthsAndRootSpeeds) {
  const std::vector<Clip> clips = MakeAllClips();
  ASSERT_EQ(clips.size(), 5u);
  for (const Clip& c : clips) {
    EXPECT_GE(c.poses.size(), 8u * 120) << c.file;
    EXPECT_LE(c.poses.size(), 20u * 120) << c.file;
  }
  // Foot sliding is measured with the game's skeleton above.
  const FootSliding walk = MeasureFootSliding(clips[1].poses);
  EXPECT_GT(MeasureFootSliding(clips[2].poses).root_speed, 2 * walk.root_speed);
  EXPECT_LT(MeasureFootSliding(clips[0].poses).root_speed, 0.05 * walk.root_speed);
}

TEST(DefaultClips, AreTheSameOnEveryRun) {
  const std::vector<Pose> a = MakeDefensive(), b = MakeDefensive();
  EXPECT_EQ(AmcText(a.data(), int(a.size())), AmcText(b.data(), int(b.size())));
}

TEST(DefaultClips, BothHandsStayOnTheHilt) {
  for (const Clip& c : MakeAllClips())
    for (size_t f = 0; f < c.poses.size(); f += 7) {
      const Frames fr = ForwardKinematics(c.poses[f]);
      EXPECT_NEAR(Length(fr.end[kRWrist] - fr.end[kLWrist]), kGripSpan, 0.05)
          << c.file << " frame " << f;
    }
}

// The hilt's speed in the fighter's frame, per frame (units per second).
std::vector<double> HiltSpeeds(const std::vector<Pose>& poses) {
  std::vector<double> speed(poses.size(), 0.0);
  for (size_t f = 1; f < poses.size(); ++f) {
    const Frames a = ForwardKinematics(poses[f - 1]), b = ForwardKinematics(poses[f]);
    speed[f] =
        Length((b.end[kLWrist] - b.end[kRoot]) - (a.end[kLWrist] - a.end[kRoot])) * kClipRate;
  }
  return speed;
}

TEST(AttackClip, SwingsLieAtTheSwingTablesFrames) {
  const std::vector<Pose> attack = MakeAttack();
  ASSERT_GE(attack.size(), 1111u);
  const std::vector<double> speed = HiltSpeeds(attack);
  std::vector<double> sorted = speed;
  std::sort(sorted.begin(), sorted.end());
  const double median = sorted[sorted.size() / 2];
  for (const SwingRange& r : SwingTable()) {
    ASSERT_LT(r.last, int(attack.size()));
    const auto peak = std::max_element(speed.begin() + r.first, speed.begin() + r.last + 1);
    EXPECT_GT(*peak, 4 * median) << "swing " << r.first << "-" << r.last;
    // The blade travels the way the swing's kind says, in the fighter's frame (+x its left).
    const Frames start = ForwardKinematics(attack[size_t(r.first + (r.last - r.first) / 5)]);
    const Frames end = ForwardKinematics(attack[size_t(r.last)]);
    const Mat3 facing = Transpose(RotationY(attack[size_t(r.first)].angles[kRoot].y));
    const Vec3 move =
        facing * ((end.end[kRWrist] - end.end[kRoot]) - (start.end[kRWrist] - start.end[kRoot]));
    if (r.kind == 1) {
      EXPECT_GT(move.x, 2.0) << "left slash " << r.first;
    } else if (r.kind == 2) {
      EXPECT_LT(move.x, -2.0) << "right slash " << r.first;
    } else {
      EXPECT_GT(move.z, 2.0) << "thrust " << r.first;
    }
  }
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

TEST(DefaultClips, MotionGraphsHaveManyTransitionsAndOneLargeComponent) {
  if (kSanitized) GTEST_SKIP() << "graph construction over whole clips is too slow here";
  test::ScratchDir dir;
  const std::vector<Clip> clips = MakeAllClips();
  WriteClips(clips);
  // The scene's settings: aligned global markers, threshold 0.99 for idle, 0.97 otherwise.
  for (const Clip& c : clips) {
    MotionData motion(c.file, c.file, kMotionScale, 1, 120);
    // 18 frames: 0.15 s at 120 frames/s.
    test::FakeGraphPlayer player(&motion, 18, 3, c.file == "idle.amc" ? 0.99f : 0.97f);
    GraphBuildOptions options;
    options.row_scan = RowScanKind::kFast;
    options.write_cache = false;
    const auto graph = CreateGraph(1, player, options);
    ASSERT_TRUE(graph) << c.file;
    int enabled = 0, with_edges = 0;
    for (const GraphNode& n : graph->nodes()) {
      enabled += n.enabled;
      with_edges += n.enabled && !n.edges.empty();
    }
    RecordProperty(c.file + "_edges", graph->EdgeCount());
    EXPECT_GT(graph->EdgeCount(), 5 * motion.frame_count()) << c.file;
    EXPECT_GT(enabled, motion.frame_count() * 95 / 100) << c.file;
    EXPECT_GT(with_edges, enabled * 2 / 3) << c.file;
  }
}

// Played the way the game plays them: a motion controller with the scene's graph settings,
// stepped on the manual clock well past the clip's end.
TEST(DefaultClipsPlayback, WalkAndRunGoOnThroughTheirGraphsWithoutStopping) {
  if (kSanitized) GTEST_SKIP() << "graph construction over whole clips is too slow here";
  test::ScratchDir dir;
  test::ManualClockScope clock;
  test::WriteFile("MartialArts.asf", AsfText());
  ResetMotionSkeletons();
  for (const auto& [file, poses] :
       {std::pair("walk.amc", MakeWalk()), std::pair("run.amc", MakeRun())}) {
    test::WriteFile(std::string("data/motions/") + file, AmcText(poses.data(), int(poses.size())));
    MotionData motion(file, file, kMotionScale, 1, 120);
    GraphBuildOptions options;
    options.write_cache = false;
    MotionController controller(&motion, 1, 0.97f, 3, 0.15f, 1.0f, options);
    controller.Play();
    controller.Update();
    // Three times the clip's length at 60 updates a second.
    const int updates = int(3 * poses.size() / 2);
    int jumps = 0, still = 0, longest_still = 0;
    CVector previous = controller.ShownPosture().root_position;
    int previous_frame = controller.CurrentFrame();
    double travelled = 0, largest = 0;
    for (int i = 0; i < updates; ++i) {
      clock.Advance(1.0 / 60);
      controller.Update();
      const CVector root = controller.ShownPosture().root_position;
      const double step = std::hypot(root.x - previous.x, root.z - previous.z);
      travelled += step;
      largest = std::max(largest, step);
      still = step < 1e-3 ? still + 1 : 0;
      longest_still = std::max(longest_still, still);
      jumps += controller.CurrentFrame() < previous_frame;
      previous = root;
      previous_frame = controller.CurrentFrame();
    }
    const double mean = travelled / updates;
    EXPECT_GE(jumps, 2) << file << ": the graph never jumped back";
    EXPECT_EQ(longest_still, 0) << file << ": the figure stood still";
    EXPECT_LT(largest, 2.5 * mean) << file << ": the root leapt";
  }
}

}  // namespace
}  // namespace kt::content
