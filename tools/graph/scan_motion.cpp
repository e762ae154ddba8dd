#include "scan_motion.h"

#include <cmath>

#include "graph/row_scan.h"
#include "graph/window_score.h"
#include "motion/skeleton.h"

namespace kt::tool {

std::unique_ptr<MotionData> LoadMotion(const std::string& name, const std::string& asf,
                                       const std::vector<std::string>& amc_files,
                                       std::string& error, int max_frames) {
  SetMotionFolder("");
  SetMotionCachesEnabled(false);
  if (!UseMotionSkeletons(asf)) {
    error = "cannot read the ASF skeleton " + asf;
    return nullptr;
  }
  if (amc_files.empty() || amc_files[0].empty()) {
    error = "no AMC file given";
    return nullptr;
  }
  auto motion = std::make_unique<MotionData>(name, amc_files[0], kMotionScale, 0, 120);
  if (motion->frame_count() <= 0) {
    error = "cannot read the AMC file " + amc_files[0];
    return nullptr;
  }
  for (size_t i = 1; i < amc_files.size(); ++i) {
    if (max_frames > 0 && motion->frame_count() >= max_frames) break;
    if (!motion->AppendClip(amc_files[i], kMotionScale)) {
      error = "cannot read the AMC file " + amc_files[i];
      return nullptr;
    }
  }
  if (max_frames > 0 && motion->frame_count() > max_frames) {
    // Rebuild in memory from the kept frames, keeping the clip ends below the cut.
    std::vector<Posture> kept(motion->postures().begin(), motion->postures().begin() + max_frames);
    const std::vector<int> ends = motion->clip_ends();
    motion.reset();  // frees its name for the cut motion
    auto cut = std::make_unique<MotionData>(name, std::vector<Posture>{});
    int start = 0;
    for (int end : ends) {
      const int stop = std::min(end + 1, max_frames);
      if (stop <= start) break;
      cut->AppendPostures({kept.begin() + start, kept.begin() + stop});
      start = stop;
    }
    return cut;
  }
  return motion;
}

int GraphSettings::Window() const {
  return JumpBlendLength(static_cast<float>(frame_rate), transition_time);
}

std::span<const CVector> BuildPlayer::MarkerCache() {
  if (markers_.empty()) markers_ = motion_.ComputeMarkerPositions(settings_.eval_type);
  return markers_;
}

ScanInputData::ScanInputData(const MotionData& motion, const GraphSettings& settings)
    : OwnedScanInput(motion.postures(), motion.clip_ends(),
                     UsesMarkers(settings.eval_type)
                         ? motion.ComputeMarkerPositions(settings.eval_type)
                         : std::vector<CVector>{},
                     settings.Window(), settings.eval_type, settings.threshold) {}

}  // namespace kt::tool
