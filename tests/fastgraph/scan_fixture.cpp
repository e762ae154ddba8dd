#include "scan_fixture.h"

#include <algorithm>

#include "graph/window_score.h"
#include "motion/motion_data.h"
#include "motion/skeleton.h"
#include "test_support.h"

namespace kt::test {

namespace {
std::vector<CVector> FixtureMarkers(const std::vector<Posture>& frames, int eval_type) {
  if (!UsesMarkers(eval_type)) return {};
  MotionData motion("fast_scan_fixture", frames);
  return motion.ComputeMarkerPositions(eval_type);
}
}  // namespace

ScanFixture::ScanFixture(const std::vector<Posture>& frames, std::vector<int> ends, int window,
                         int eval_type, float threshold)
    : OwnedScanInput(frames, std::move(ends), FixtureMarkers(frames, eval_type), window, eval_type,
                     threshold) {}

float EdgeThreshold(int eval_type) {
  static const float kThresholds[4] = {0.96f, 0.46f, -100.0f, 0.96f};
  return kThresholds[eval_type];
}

std::vector<Posture> CmuPrefix(const std::string& clip, int frames) {
  const std::filesystem::path dir = RealDataDir() / "cmu";
  const std::string subject = clip.substr(0, clip.find('/'));
  SetMotionFolder("");
  SetMotionCachesEnabled(false);
  if (!UseMotionSkeletons((dir / subject / (subject + ".asf")).string())) return {};
  MotionData motion("cmu_prefix", (dir / (clip + ".amc")).string(), kMotionScale, 0, 120);
  if (motion.frame_count() <= 0) return {};
  const int count = std::min(frames, motion.frame_count());
  return {motion.postures().begin(), motion.postures().begin() + count};
}

}  // namespace kt::test
