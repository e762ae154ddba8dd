// ".gra" files: the exact text written, reading back, and the build-or-read decision for
// missing, damaged and foreign files.
#include <gtest/gtest.h>

#include "fake_graph_player.h"
#include "graph/graph_kinds.h"
#include "graph_fixtures.h"
#include "test_support.h"
#include "write_failure.h"

namespace kt {
namespace {

class GraphFiles : public ::testing::Test {
 protected:
  test::ScratchDir dir_{"gra"};
};

TEST_F(GraphFiles, SmallGraphReadsAndWritesTheDocumentedText) {
  const std::string text = "2\n1 \n0 1 1\n1 0.97 \n1 0 1\n\n";
  test::WriteFile("tiny_graph.gra", text);
  MotionData motion("tiny", test::CodedFrames(test::UniqueCodes(2)));
  test::FakeGraphPlayer player(&motion, 4, 0, test::kCodedThreshold);
  auto graph = CreateGraph(1, player);
  ASSERT_TRUE(graph);
  ASSERT_EQ(graph->node(0).edges.size(), 1u);
  EXPECT_EQ(graph->node(0).edges[0], (GraphEdge{1, 0.97f}));
  EXPECT_TRUE(graph->node(1).enabled);
  EXPECT_EQ(graph->cutoffs(), (std::vector<int>{1}));
  ASSERT_TRUE(graph->ExportGraph("again.gra"));
  EXPECT_EQ(test::ReadFile("again.gra"), text);
  EXPECT_FALSE(std::filesystem::exists("again.gra.tmp"));
}

TEST_F(GraphFiles, BuiltGraphIsWrittenAndReadBackIdentical) {
  const std::vector<int> codes = test::TwoCycleCodes();
  MotionData motion("cycle", test::CodedFrames(codes));
  test::FakeGraphPlayer player(&motion, 4, 0, test::kCodedThreshold);
  auto built = CreateGraph(1, player);
  ASSERT_TRUE(built);
  ASSERT_TRUE(std::filesystem::exists("cycle_graph.gra"));
  const std::string written = test::ReadFile("cycle_graph.gra");
  auto read = CreateGraph(4, player);  // another kind, same motion: same file
  ASSERT_TRUE(read);
  EXPECT_EQ(read->cutoffs(), built->cutoffs());
  for (int f = 0; f < 120; ++f) {
    ASSERT_EQ(read->node(f).edges.size(), built->node(f).edges.size()) << f;
    for (size_t k = 0; k < read->node(f).edges.size(); ++k) {
      EXPECT_EQ(read->node(f).edges[k].target, built->node(f).edges[k].target);
      EXPECT_NEAR(read->node(f).edges[k].weight, built->node(f).edges[k].weight, 1e-5f);
    }
    EXPECT_EQ(read->node(f).enabled, built->node(f).enabled) << f;
    EXPECT_EQ(read->node(f).motion->step, built->node(f).motion->step) << f;
  }
  EXPECT_EQ(test::ReadFile("cycle_graph.gra"), written);  // reading never rewrites
}

TEST_F(GraphFiles, FilesOfAnotherMotionAreRejectedRebuiltAndReplaced) {
  MotionData motion("small", test::CodedFrames(test::UniqueCodes(30)));
  test::FakeGraphPlayer player(&motion, 4, 0, test::kCodedThreshold);
  const std::string foreign[] = {
      "31\n\n",                          // node count differs
      "30\n45 \n",                       // cutoff outside the motion
      "30\n\n0 1 1\n77 0.5 \n",          // edge target outside the motion
      "30\n\n0 2000000000 1\n1 0.5 \n",  // impossible edge count
  };
  for (const std::string& text : foreign) {
    SCOPED_TRACE(text);
    test::WriteFile("small_graph.gra", text);
    auto graph = CreateGraph(1, player);
    ASSERT_TRUE(graph);
    EXPECT_EQ(graph->node_count(), 30);
    EXPECT_EQ(graph->EdgeCount(), 0);
    EXPECT_TRUE(graph->node(0).enabled);
    EXPECT_EQ(test::ReadFile("small_graph.gra").substr(0, 3), "30\n");
    EXPECT_NE(test::ReadFile("small_graph.gra"), text);
  }
}

TEST_F(GraphFiles, DamagedFileIsRebuiltInMemoryOnly) {
  MotionData motion("cut", test::CodedFrames(test::UniqueCodes(30)));
  test::FakeGraphPlayer player(&motion, 4, 0, test::kCodedThreshold);
  for (const std::string text : {"", "30\n\n0 0 1\n\n1 1", "abc\n"}) {
    test::WriteFile("cut_graph.gra", text);
    auto graph = CreateGraph(1, player);
    ASSERT_TRUE(graph);
    EXPECT_TRUE(graph->node(0).enabled);
    EXPECT_EQ(graph->node(29).frame, 29);
    EXPECT_EQ(test::ReadFile("cut_graph.gra"), text);
  }
}

TEST_F(GraphFiles, ExportKilledPartWayKeepsThePreviousFile) {
  MotionData motion("kept", test::CodedFrames(test::TwoCycleCodes()));
  test::FakeGraphPlayer player(&motion, 4, 0, test::kCodedThreshold);
  auto graph = CreateGraph(1, player);
  ASSERT_TRUE(graph);
  const std::string old_text = "120\n\n";
  test::WriteFile("kept_graph.gra", old_text);
  EXPECT_TRUE(test::WriteInChildLimitedTo(100, [&] {
                return graph->ExportGraph("kept_graph.gra");
              }).killed);
  EXPECT_EQ(test::ReadFile("kept_graph.gra"), old_text);
}

// Counts that the file has no room for are refused before anything is allocated, and so are
// weights that are not finite numbers.
TEST_F(GraphFiles, RefusesCountsBeyondTheFileAndNonFiniteWeights) {
  std::string big = "9999999\n\n";
  while (big.size() < 7000) big += "0 0 1\n\n";
  test::WriteFile("big.gra", big);
  EXPECT_EQ(GraphFileNodeCount("big.gra"), -1);
  EXPECT_NE(test::ReadFile("log.txt").find("node count 9999999 does not fit the 6993 bytes"),
            std::string::npos);
  test::WriteFile("two.gra", "2\n\n0 0 1\n\n1 0 1\n\n");
  EXPECT_EQ(GraphFileNodeCount("two.gra"), 2);

  MotionData motion("weights", test::CodedFrames(test::UniqueCodes(2)));
  test::FakeGraphPlayer player(&motion, 4, 0, test::kCodedThreshold);
  auto graph = CreateGraph(1, player);
  ASSERT_TRUE(graph);
  for (const char* weight : {"nan", "inf", "1e39", "-1e39"}) {
    test::WriteFile("w.gra", std::string("2\n\n0 1 1\n1 ") + weight + " \n1 0 1\n\n");
    EXPECT_FALSE(graph->ImportGraph("w.gra")) << weight;
  }
  EXPECT_NE(test::ReadFile("log.txt").find("non-finite edge of node 0"), std::string::npos);
}

TEST_F(GraphFiles, CutoffLineIsReadUpTo1023Characters) {
  MotionData motion("wide", test::CodedFrames(test::UniqueCodes(30)));
  test::FakeGraphPlayer player(&motion, 4, 0, test::kCodedThreshold);
  std::string cutoffs;
  while (cutoffs.size() < 1100) cutoffs += "12 ";
  std::string text = "30\n" + cutoffs + "\n";
  for (int i = 0; i < 30; ++i) text += std::to_string(i) + " 0 1\n\n";
  test::WriteFile("wide_graph.gra", text);
  auto graph = CreateGraph(1, player);
  ASSERT_TRUE(graph);
  EXPECT_EQ(graph->cutoffs().size(), 1023u / 3u);  // whole numbers inside the limit
  EXPECT_TRUE(graph->node(29).enabled);
}

}  // namespace
}  // namespace kt
