// Transition graphs of real captured clips (CMU): built and exported (reading back is
// graph_file_test's, the fast scan against the reference fast_row_scan_test's); CutoffGraph
// playback jumping at its cutoff; PathGraph planning a turn.
#include <gtest/gtest.h>

#include <filesystem>

#include "character/motion_controller.h"
#include "graph/graph_kinds.h"
#include "graph/path_graph.h"
#include "graph/window_score.h"
#include "test_support.h"

namespace kt {
namespace {

namespace fs = std::filesystem;

class CmuGraphs : public ::testing::Test {
 protected:
  void SetUp() override {
    if (test::RealDataDir().empty()) return;
    SetMotionFolder("");
  }
  void TearDown() override {
    SetMotionFolder("data\\motions\\");
    ResetMotionSkeletons();
    ResetPathSlots();
  }
  // Reads a clip copied into the scratch folder, so its caches land there.
  std::unique_ptr<MotionData> Clip(const std::string& subject, const std::string& trial) {
    const fs::path dir = test::RealDataDir() / "cmu" / subject;
    EXPECT_TRUE(UseMotionSkeletons((dir / (subject + ".asf")).string()));
    fs::copy_file(dir / (subject + "_" + trial + ".amc"), subject + "_" + trial + ".amc");
    auto motion = std::make_unique<MotionData>(
        "cmu" + subject + "_" + trial, subject + "_" + trial + ".amc", kMotionScale, 0, 120);
    EXPECT_GT(motion->frame_count(), 0);
    return motion;
  }
  test::ScratchDir dir_{"cmugraph"};
  test::ManualClockScope clock_;
};

// Root-relative markers (type 2) are not normalised: on these clips every score is negative,
// and -20 keeps roughly the best one percent of the pairs.
constexpr float kWalkThreshold = -20.0f;

TEST_F(CmuGraphs, WalkGraphIsBuiltAndWritten) {
  KT_REQUIRE_REALDATA();
  auto walk = Clip("02", "01");
  MotionController built(walk.get(), 1, kWalkThreshold, 2);
  ASSERT_TRUE(built.graph());
  const TransitionGraph& g = *built.graph();
  EXPECT_EQ(g.node_count(), 343);
  EXPECT_GT(g.EdgeCount(), 50);
  ASSERT_FALSE(g.cutoffs().empty());
  for (int f = 0; f < g.node_count(); ++f)
    for (const GraphEdge& e : g.node(f).edges) {
      EXPECT_GE(e.weight, kWalkThreshold);
      EXPECT_GT(std::abs(e.target - f), 3 * built.TransitionLength());
    }
  ASSERT_TRUE(fs::exists(g.cache_file()));
  // The per-pair line belongs to evaluations asked for one at a time, not to construction.
  EXPECT_EQ(test::ReadFile("log.txt").find("DIST "), std::string::npos);
  const float score = built.Evaluate(10, 200);
  EXPECT_EQ(test::ReadFile("log.txt").find("DIST "), std::string::npos);
  EXPECT_EQ(built.Evaluate(10, 200, true), score);
  EXPECT_NE(test::ReadFile("log.txt").find("DIST 10 to 200: "), std::string::npos);
}

TEST_F(CmuGraphs, CutoffGraphJumpsAtTheCutoffWithoutAPop) {
  KT_REQUIRE_REALDATA();
  auto walk = Clip("02", "01");
  MotionController c(walk.get(), 1, kWalkThreshold, 2);
  ASSERT_TRUE(c.graph());
  const TransitionGraph& g = *c.graph();
  const int cutoff = g.next_cutoff();
  ASSERT_EQ(cutoff, g.cutoffs().front());
  int jumps = 0;
  for (int update = 0; update < 600 && jumps < 2; ++update) {
    clock_.Advance(1.0 / 120.0);
    const int before = c.CurrentFrame();
    c.Update();
    if (!c.InTransition() || c.CurrentFrame() != c.transition_target()) continue;
    ++jumps;
    SCOPED_TRACE(jumps);
    EXPECT_EQ(before + 1, cutoff);
    EXPECT_EQ(c.transition_source(), cutoff);
    // The heaviest edge of the cutoff frame.
    const GraphEdge* best = nullptr;
    for (const GraphEdge& e : g.node(cutoff).edges)
      if (!best || e.weight > best->weight) best = &e;
    EXPECT_EQ(c.transition_target(), best->target);
    int next = c.FrameCount();
    for (int cut : g.cutoffs())
      if (cut >= best->target) {
        next = cut;
        break;
      }
    EXPECT_EQ(g.next_cutoff(), next);
    if (jumps == 1) {
      // Nothing was re-aligned before: the first blended pose is the cutoff frame itself.
      const Posture& shown = c.ShownPosture();
      const Posture& source = walk->posture(cutoff);
      EXPECT_NEAR(Distance(shown.root_position, source.root_position), 0.0f, 1e-3f);
      for (int j = 0; j < kBoneCount; ++j)
        EXPECT_NEAR(std::fabs(Dot(shown.rotations[j], source.rotations[j])), 1.0f, 1e-5f);
    }
  }
  EXPECT_EQ(jumps, 2);
}

TEST_F(CmuGraphs, PathGraphPlansAJumpTowardsADirectionNinetyDegreesOff) {
  KT_REQUIRE_REALDATA();
  auto walk = Clip("02", "01");
  MotionController c(walk.get(), 5, kWalkThreshold, 2);
  auto* path = dynamic_cast<PathGraph*>(c.graph());
  ASSERT_TRUE(path);
  int start = 100;
  while (!path->node(start).enabled) ++start;
  c.SetCurrentFrame(start);
  c.Update();
  // A quarter turn about the vertical axis from the way the figure faces.
  const CVector facing = Facing(c.ShownPosture());
  path->SetTargetDirection({facing.z, 0.0f, -facing.x});
  clock_.Advance(1.0 / 120.0);
  c.Update();
  EXPECT_NEAR(AngularDifference(path->target_angle(), 0.0f), 90.0f, 1.0f);
  ASSERT_TRUE(path->active());
  const std::deque<int> plan = path->plan();
  int jump_from = -1, jump_to = -1;
  for (size_t k = 1; k < plan.size() && jump_from < 0; ++k)
    if (plan[k] != plan[k - 1] + 1) jump_from = plan[k - 1], jump_to = plan[k];
  ASSERT_GE(jump_from, 0);
  EXPECT_EQ(plan.front(), start + 2);  // the start frame and this update's frame are done
  // Follow it one frame per update: the planned jump is taken where the plan says.
  for (int update = 0; update < 240 && !c.InTransition(); ++update) {
    clock_.Advance(1.0 / 120.0);
    c.Update();
  }
  ASSERT_TRUE(c.InTransition());
  EXPECT_EQ(c.transition_source(), jump_from);
  EXPECT_EQ(c.transition_target(), jump_to);
}

}  // namespace
}  // namespace kt
