#include "scan_fixture.h"

#include <algorithm>

#include "graph/window_score.h"
#include "motion/motion_data.h"
#include "motion/skeleton.h"
#include "test_support.h"

namespace kt::test {

ScanFixture::ScanFixture(const std::vector<Posture>& frames, std::vector<int> ends, int window,
                         int eval_type, float threshold)
    : clip_ends(std::move(ends)) {
  for (const Posture& p : frames) {
    roots.push_back(p.root_position);
    rotations.insert(rotations.end(), p.rotations, p.rotations + kJointCount);
  }
  if (clip_ends.empty()) clip_ends.push_back(int(frames.size()) - 1);
  if (UsesMarkers(eval_type)) {
    MotionData motion("fast_scan_fixture", frames);
    markers = motion.ComputeMarkerPositions(eval_type);
  }
  in.frame_count = int(frames.size());
  in.window = window;
  in.eval_type = eval_type;
  in.threshold = threshold;
  in.clip_ends = clip_ends;
  in.root_positions = roots;
  in.rotations = rotations;
  in.markers = markers;
  in.angle_weights = kAngleWeights;
  in.marker_weights = kMarkerWeights;
}

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
