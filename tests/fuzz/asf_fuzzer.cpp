// libFuzzer target: any bytes read as an ASF skeleton either fail with a log line or give a
// figure that can be posed.
#include "fuzz_support.h"
#include "motion/skeleton.h"
#include "motion_fixtures.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  kt::fuzz::EnterScratchDir("asf");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const kt::Posture posture = kt::test::WalkPostures(8)[5];
  kt::fuzz::WriteBytes("fuzz.asf", data, size);
  kt::Skeleton skeleton("fuzz.asf", kt::kMotionScale);
  kt::CVector markers[kt::kBoneCount];
  if (!skeleton.loaded()) return 0;
  skeleton.GlobalMarkerPositions(posture, markers);
  kt::fuzz::RequireFinite(markers, sizeof markers);
  return 0;
}
