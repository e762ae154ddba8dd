// libFuzzer target: any bytes as the ".bin" cache of a small AMC clip, newer than the clip, go
// through the game's clip reading (caches on): the cache is used or the clip is read instead.
#include <string>

#include "fuzz_support.h"
#include "motion/motion_data.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  kt::fuzz::EnterScratchDir("bin");
  kt::fuzz::InstallTinyClip();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kt::fuzz::WriteBytes(std::string(kt::fuzz::kTinyCache) + ".bin", data, size);
  kt::MotionData motion("tiny", kt::fuzz::kTinyAmc, kt::kMotionScale, 0, 120);
  if (motion.frame_count() <= 0) return 0;
  kt::fuzz::RequireFinite(motion.postures());
  kt::fuzz::RequireFinite(motion.MarkerPositions(kt::kRootRelativeMarkers));
  return 0;
}
