// libFuzzer target: any bytes read as the ".gra" file of a 30-frame motion through the game's
// ImportGraph either fail (with a log line) or give a graph that plays.
#include <memory>

#include "fake_graph_player.h"
#include "fuzz_support.h"
#include "graph/graph_kinds.h"
#include "motion_fixtures.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  kt::fuzz::EnterScratchDir("gra");
  kt::test::InstallTestSkeleton();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static kt::MotionData motion("walk", kt::test::WalkPostures(30));
  static kt::test::FakeGraphPlayer player(&motion, 4, kt::kGlobalMarkers, 0.5f);
  static std::unique_ptr<kt::TransitionGraph> graph =
      kt::CreateGraph(1, player, kt::test::NoCache());
  kt::fuzz::WriteBytes("fuzz.gra", data, size);
  if (!graph->ImportGraph("fuzz.gra")) return 0;
  player.frame = 0;
  for (int step = 0; step < 60; ++step) {
    player.frame = (player.frame + 1) % 30;
    graph->GraphUpdate();
  }
  return 0;
}
