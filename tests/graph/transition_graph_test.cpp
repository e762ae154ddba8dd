// GenerateGraph on coded motions whose graphs are known: cutoffs of two clips, the largest of
// two cycles, node motions, degenerate motions and naming (the fast row scan against the
// reference is fast_row_scan_test's).
#include <gtest/gtest.h>

#include "fake_graph_player.h"
#include "graph/graph_kinds.h"
#include "graph_fixtures.h"
#include "test_support.h"

namespace kt {
namespace {

std::vector<int> EnabledFrames(const TransitionGraph& g) {
  std::vector<int> frames;
  for (const GraphNode& n : g.nodes())
    if (n.enabled) frames.push_back(n.frame);
  return frames;
}

class GraphConstruction : public ::testing::Test {
 protected:
  test::ScratchDir dir_{"graph"};
};

TEST_F(GraphConstruction, TwoClipsJoinedByOneTwinHaveKnownCutoffs) {
  std::vector<int> codes = test::UniqueCodes(80);
  test::PlantTwin(codes, 5, 50, 4);
  MotionData motion("twoclips", test::CodedFrames(codes));
  // Make it two clips of 40 frames.
  MotionData two("two",
                 std::vector<Posture>(motion.postures().begin(), motion.postures().begin() + 40));
  two.AppendPostures(std::vector<Posture>(motion.postures().begin() + 40, motion.postures().end()));
  test::FakeGraphPlayer player(&two, 4, 0, test::kCodedThreshold);
  auto graph = CreateGraph(1, player, test::NoCache());
  ASSERT_TRUE(graph);
  EXPECT_EQ(graph->name(), "two_graph");
  ASSERT_EQ(graph->node_count(), 80);
  ASSERT_EQ(graph->node(5).edges.size(), 1u);
  EXPECT_EQ(graph->node(5).edges[0].target, 50);
  EXPECT_EQ(graph->node(50).edges[0].target, 5);
  EXPECT_EQ(graph->EdgeCount(), 2);
  // 5 -> 50 -> 5 is the only cycle: play-on stops at each clip's end.
  EXPECT_EQ(EnabledFrames(*graph), (std::vector<int>{5, 50}));
  EXPECT_EQ(graph->cutoffs(), (std::vector<int>{5, 50}));
  EXPECT_EQ(graph->next_cutoff(), 5);
  // No root motion across a cutoff; elsewhere one unit per frame, no turn.
  EXPECT_EQ(graph->node(6).motion->step, 0.0f);
  EXPECT_EQ(graph->node(51).motion->step, 0.0f);
  EXPECT_EQ(graph->node(0).motion->step, 0.0f);
  EXPECT_FLOAT_EQ(graph->node(7).motion->step, 1.0f);
  EXPECT_EQ(graph->node(7).motion->turn, 0.0f);
}

TEST_F(GraphConstruction, OnlyTheLargerOfTwoCyclesIsEnabled) {
  const std::vector<int> codes = test::TwoCycleCodes();
  MotionData motion("cycles", test::CodedFrames(codes));
  test::FakeGraphPlayer player(&motion, 4, 0, test::kCodedThreshold);
  auto graph = CreateGraph(1, player, test::NoCache());
  ASSERT_TRUE(graph);
  std::vector<int> expected;
  for (int f = 60; f <= 100; ++f) expected.push_back(f);
  EXPECT_EQ(EnabledFrames(*graph), expected);
  // The last enabled frame with an edge before the clip end.
  EXPECT_EQ(graph->cutoffs(), (std::vector<int>{100}));
}

TEST_F(GraphConstruction, NodeMotionTurnIsSignedAboutTheVerticalAxis) {
  std::vector<Posture> frames = test::CodedFrames(test::UniqueCodes(4));
  for (int f = 0; f < 4; ++f)
    frames[f].rotations[0] = CQuaternion::FromAxisAngle({0, 1, 0}, 0.1f * float(f));
  MotionData motion("turning", frames);
  test::FakeGraphPlayer player(&motion, 18, 0, test::kCodedThreshold);
  auto graph = CreateGraph(1, player, test::NoCache());
  ASSERT_TRUE(graph);
  const float degrees = 0.1f * 57.29578f;
  EXPECT_NEAR(std::fabs(graph->node(2).motion->turn), degrees, 1e-3f);
  EXPECT_GT(graph->node(2).motion->turn, 0.0f);
  EXPECT_EQ(graph->node(0).motion->turn, 0.0f);
}

TEST_F(GraphConstruction, ShortMotionGetsFrameZeroOnlyEvenWhenHuge) {
  // N <= L: no rows, no edges; the component search walks a 50 000-frame play-on chain
  // without recursion.
  MotionData motion("long", std::vector<Posture>(50000));
  test::FakeGraphPlayer player(&motion, 50000, 1, 0.0f);
  auto graph = CreateGraph(1, player, test::NoCache());
  ASSERT_TRUE(graph);
  EXPECT_EQ(graph->EdgeCount(), 0);
  EXPECT_TRUE(graph->node(0).enabled);
  EXPECT_FALSE(graph->node(1).enabled);
  EXPECT_TRUE(graph->cutoffs().empty());
  EXPECT_EQ(graph->next_cutoff(), 50000);
}

TEST_F(GraphConstruction, NamesAreUniqueAndShareOneCacheFile) {
  MotionData motion("Walk", test::CodedFrames(test::UniqueCodes(30)));
  test::FakeGraphPlayer player(&motion, 4, 0, test::kCodedThreshold);
  auto a = CreateGraph(1, player, test::NoCache());
  auto b = CreateGraph(4, player, test::NoCache());
  ASSERT_TRUE(a && b);
  EXPECT_EQ(a->name(), "walk_graph");
  EXPECT_EQ(b->name(), "walk_graph1");
  EXPECT_EQ(a->cache_file(), "walk_graph.gra");
  EXPECT_EQ(b->cache_file(), "walk_graph.gra");
  EXPECT_EQ(GraphRegistry().count("walk_graph1"), 1u);
  b.reset();
  EXPECT_EQ(GraphRegistry().count("walk_graph1"), 0u);
  EXPECT_FALSE(CreateGraph(0, player) || CreateGraph(3, player) || CreateGraph(9, player));
}

}  // namespace
}  // namespace kt
