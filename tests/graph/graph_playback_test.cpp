// GraphUpdate and the kinds' policies against a scripted player: jumps at cutoffs, refused
// jumps, the periodic due frame, the random chance and the path planner's refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "console/cvar.h"
#include "fake_graph_player.h"
#include "graph/graph_kinds.h"
#include "graph/path_graph.h"
#include "graph_fixtures.h"
#include "test_support.h"

namespace kt {
namespace {

class GraphPlayback : public ::testing::Test {
 protected:
  void SetUp() override {
    codes_ = test::UniqueCodes(120);
    test::PlantTwin(codes_, 10, 30, 4);
    test::PlantTwin(codes_, 60, 100, 4);
  }
  test::ScratchDir dir_{"playback"};
  std::vector<int> codes_;
};

TEST_F(GraphPlayback, CutoffGraphJumpsAtTheCutoffAndAimsAtTheNextOne) {
  MotionData motion("cyc", test::CodedFrames(codes_));
  test::FakeGraphPlayer player(&motion, 4, 0, test::kCodedThreshold);
  auto graph = CreateGraph(1, player, test::NoCache());
  ASSERT_TRUE(graph);
  ASSERT_EQ(graph->next_cutoff(), 100);
  player.frame = 99;
  graph->GraphUpdate();
  EXPECT_TRUE(player.jumps.empty());
  player.frame = 102;  // overshot: held back at the cutoff, then the jump starts there
  graph->GraphUpdate();
  ASSERT_EQ(player.jumps.size(), 1u);
  EXPECT_EQ(player.jumps[0], std::make_pair(100, 60));
  EXPECT_EQ(graph->next_cutoff(), 100);
  // No jump starts while one is blending.
  player.frame = 100;
  player.in_transition = true;
  graph->GraphUpdate();
  EXPECT_EQ(player.jumps.size(), 1u);
  EXPECT_EQ(player.frame, 100);
}

TEST_F(GraphPlayback, RefusedJumpAtACutoffPlaysOnInsteadOfFreezing) {
  // Two clips joined by one twin: the only cycle is {5, 50}, so from cutoff 5 the jump to 50
  // is refused (frame 54 lies outside the component) every time.
  std::vector<int> codes = test::UniqueCodes(80);
  test::PlantTwin(codes, 5, 50, 4);
  const std::vector<Posture> frames = test::CodedFrames(codes);
  MotionData two("stuck", std::vector<Posture>(frames.begin(), frames.begin() + 40));
  two.AppendPostures(std::vector<Posture>(frames.begin() + 40, frames.end()));
  test::FakeGraphPlayer player(&two, 4, 0, test::kCodedThreshold);
  auto graph = CreateGraph(1, player, test::NoCache());
  ASSERT_TRUE(graph);
  player.frame = 7;
  graph->GraphUpdate();
  EXPECT_TRUE(player.jumps.empty());
  EXPECT_EQ(player.frame, 5);  // held at the cutoff for this update
  EXPECT_EQ(graph->next_cutoff(), 50);
  player.frame = 6;
  graph->GraphUpdate();
  EXPECT_EQ(player.frame, 6);  // playing on
}

// ".gra" text for n nodes: the given cutoffs, edges (source, target) of weight 0.9, and the
// enabled frames.
std::string GraText(int n, const std::vector<int>& cutoffs,
                    const std::vector<std::pair<int, int>>& edges,
                    const std::vector<int>& enabled) {
  std::string text = std::to_string(n) + "\n";
  for (int c : cutoffs) text += std::to_string(c) + " ";
  text += "\n";
  for (int i = 0; i < n; ++i) {
    std::string line;
    int count = 0;
    for (auto [from, to] : edges)
      if (from == i) line += std::to_string(to) + " 0.9 ", ++count;
    const bool on = std::find(enabled.begin(), enabled.end(), i) != enabled.end();
    text += std::to_string(i) + " " + std::to_string(count) + (on ? " 1\n" : " 0\n") + line + "\n";
  }
  return text;
}

TEST_F(GraphPlayback, ComponentFlagOfTheSourceCountsOnlyWithDoScc) {
  // Cutoff 50 lies outside the component; its edge leads to 10, whose blend window (10..14)
  // lies inside. Frame 20's edge leads to 30, whose window end 34 lies outside.
  test::WriteFile("flags_graph.gra", GraText(60, {20, 50}, {{50, 10}, {20, 30}}, {10, 14, 20, 30}));
  MotionData motion("flags", test::CodedFrames(test::UniqueCodes(60)));
  test::FakeGraphPlayer player(&motion, 4, 0, test::kCodedThreshold);
  auto graph = CreateGraph(1, player);
  ASSERT_TRUE(graph);
  CVar<int> do_scc("graph.do_scc", 1);
  player.frame = 20;
  graph->GraphUpdate();  // 34 is not enabled: cancelled, plays on to the next cutoff
  EXPECT_TRUE(player.jumps.empty());
  EXPECT_EQ(graph->next_cutoff(), 50);
  player.frame = 50;
  graph->GraphUpdate();  // 50 is not enabled
  EXPECT_TRUE(player.jumps.empty());

  do_scc = 0;
  auto again = CreateGraph(1, player);
  player.frame = 50;
  again->GraphUpdate();
  do_scc = 1;
  ASSERT_EQ(player.jumps.size(), 1u);
  EXPECT_EQ(player.jumps[0], std::make_pair(50, 10));
}

TEST_F(GraphPlayback, PeriodicDueFrameAndRandomChance) {
  std::string text = "500\n\n";
  for (int i = 0; i < 500; ++i) text += std::to_string(i) + " 0 0\n\n";
  test::WriteFile("long_graph.gra", text);
  MotionData motion("long", test::CodedFrames(test::UniqueCodes(500)));
  test::FakeGraphPlayer player(&motion, 18, 0, test::kCodedThreshold);
  auto graph = CreateGraph(4, player);
  auto* periodic = dynamic_cast<PeriodicGraph*>(graph.get());
  ASSERT_TRUE(periodic);
  periodic->TransitionTaken(200);
  EXPECT_EQ(periodic->due_frame(), 215);
  player.frame = 214;
  EXPECT_FALSE(periodic->WantsTransition());
  player.frame = 215;
  EXPECT_TRUE(periodic->WantsTransition());
  periodic->TransitionTaken(470);  // 485 >= 500 - 2 * 18
  EXPECT_EQ(periodic->due_frame(), 0);
  periodic->TransitionTaken(200);
  periodic->TransitionCancelled();
  EXPECT_EQ(periodic->due_frame(), 0);

  auto random = CreateGraph(2, player);
  ASSERT_TRUE(random);
  std::srand(8);
  int wants = 0;
  for (int k = 0; k < 10000; ++k) wants += random->WantsTransition();
  EXPECT_NEAR(wants, 1000, 150);
}

TEST_F(GraphPlayback, PathGraphRefusesPlansItCannotMake) {
  ResetPathSlots();
  MotionData motion("path", test::CodedFrames(codes_));
  test::FakeGraphPlayer player(&motion, 4, 0, test::kCodedThreshold);
  auto graph = CreateGraph(5, player, test::NoCache());
  auto* path = dynamic_cast<PathGraph*>(graph.get());
  ASSERT_TRUE(path);
  player.frame = 62;
  EXPECT_FALSE(path->WantsTransition());  // no target direction yet
  // Facing the target already: the target angle is 360, as close as the start turn 0.
  path->SetTargetDirection(Facing(player.shown));
  EXPECT_FALSE(path->WantsTransition());
  EXPECT_FLOAT_EQ(path->target_angle(), 360.0f);
  EXPECT_FALSE(path->active());
  // The coded motion never turns, so no path changes the heading either.
  path->SetTargetDirection({1, 0, 0});
  EXPECT_FALSE(path->WantsTransition());
  EXPECT_GT(path->searched(), 1);
  CVar<int> max_paths("graphmove.maxpaths", 200);
  max_paths = 2;
  EXPECT_FALSE(path->Plan());
  EXPECT_EQ(path->searched(), 1);
  max_paths = 200;
  EXPECT_EQ(AngularDifference(350.0f, -380.0f), 10.0f);
  EXPECT_EQ(AngularDifference(90.0f, 450.0f), 0.0f);

  // Slots sized afresh from absurd settings (as "cvar.ini" may hold) stay bounded.
  ResetPathSlots();
  CVar<float> sim_time("graphmove.simTime", 1.0f);
  max_paths = 2000000000;
  sim_time = 1e30f;
  auto huge = CreateGraph(5, player, test::NoCache());
  auto* bounded = dynamic_cast<PathGraph*>(huge.get());
  ASSERT_TRUE(bounded);
  bounded->SetTargetDirection({1, 0, 0});
  EXPECT_FALSE(bounded->WantsTransition());
  EXPECT_GT(bounded->searched(), 1);
  max_paths = 200;
  sim_time = 1.0f;
  ResetPathSlots();
}

}  // namespace
}  // namespace kt
