// libFuzzer target, built once per marker cache (KT_MARKER_KIND, KT_MARKER_EXT): any bytes as
// the ".mpos" or ".mpos2" cache of a small clip, newer than it, go through the game's marker
// reading (caches on), which refuses it with a log line or gives one marker set per frame of the
// clip, all finite. The clip itself is read once; each input is read-only checked.
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "motion/motion_data.h"

namespace {

kt::MotionData* g_motion = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  kt::fuzz::EnterScratchDir(std::string(KT_MARKER_EXT).substr(1));
  kt::fuzz::InstallTinyClip();
  // Writes the ".bin" and both marker caches.
  static kt::MotionData motion("tiny", kt::fuzz::kTinyAmc, kt::kMotionScale, 0, 120);
  g_motion = &motion;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kt::fuzz::WriteBytes(std::string(kt::fuzz::kTinyCache) + KT_MARKER_EXT, data, size);
  const std::vector<kt::CVector> markers = g_motion->LoadMarkerPositions(KT_MARKER_KIND);
  if (markers.empty()) return 0;
  if (markers.size() != size_t(g_motion->frame_count()) * kt::kBoneCount) std::abort();
  kt::fuzz::RequireFinite(markers);
  return 0;
}
