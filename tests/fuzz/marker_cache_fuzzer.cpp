// libFuzzer target, built once per marker cache (KT_MARKER_KIND, KT_MARKER_EXT): any bytes as
// the ".mpos" or ".mpos2" cache of a small clip, newer than it, go through the game's clip
// reading (caches on), and the markers it then loads feed a transition graph's construction.
#include <string>

#include "fake_graph_player.h"
#include "fuzz_support.h"
#include "graph/graph_kinds.h"
#include "motion/motion_data.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  kt::fuzz::EnterScratchDir(std::string(KT_MARKER_EXT).substr(1));
  kt::fuzz::InstallTinyClip();
  kt::MotionData warm("tiny", kt::fuzz::kTinyAmc, kt::kMotionScale, 0, 120);  // writes the .bin
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kt::fuzz::WriteBytes(std::string(kt::fuzz::kTinyCache) + KT_MARKER_EXT, data, size);
  kt::MotionData motion("tiny", kt::fuzz::kTinyAmc, kt::kMotionScale, 0, 120);
  kt::test::FakeGraphPlayer player(&motion, 2, KT_MARKER_KIND, 0.5f);
  if (player.MarkerCache().empty()) return 0;
  kt::fuzz::RequireFinite(player.MarkerCache().data(), player.MarkerCache().size_bytes());
  kt::CreateGraph(1, player, kt::test::NoCache());
  return 0;
}
