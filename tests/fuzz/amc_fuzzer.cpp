// libFuzzer target: any bytes read as an AMC clip (caches on, so a read clip also writes its
// ".bin" and marker caches) either fail with a log line or give postures and markers.
#include <filesystem>

#include "fuzz_support.h"
#include "motion/motion_data.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  kt::fuzz::EnterScratchDir("amc");
  kt::fuzz::InstallTinyClip();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::filesystem::remove("data/motions/fuzz.bin");
  kt::fuzz::WriteBytes("data/motions/fuzz.amc", data, size);
  kt::MotionData motion("fuzz", "fuzz.amc", kt::kMotionScale, 0, 120);
  if (motion.frame_count() <= 0) return 0;
  kt::fuzz::RequireFinite(motion.postures());
  kt::fuzz::RequireFinite(motion.MarkerPositions(kt::kGlobalMarkers));
  return 0;
}
