// Motions for the graph tool and benchmark: an ASF skeleton and AMC clips read from the paths
// given (no "data/motions/" prefix, no caches written beside them), concatenated into one
// motion, and the row-scan input of a transition graph over it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "graph/graph_player.h"
#include "graph/window_score.h"
#include "motion/motion_data.h"

namespace kt::tool {

// Reads the skeleton (which becomes the motion and marker skeleton) and the clips in order.
// nullptr, with a message in `error`, when any of them cannot be read. A motion of more than
// `max_frames` frames is cut there (0: no limit), ending its last clip early.
std::unique_ptr<MotionData> LoadMotion(const std::string& name, const std::string& asf,
                                       const std::vector<std::string>& amc_files,
                                       std::string& error, int max_frames = 0);

// Graph construction settings: window L from the transition time and frame rate as the motion
// controller computes it (JumpBlendLength).
struct GraphSettings {
  int eval_type = 2;
  float threshold = 0.96f;
  float transition_time = 0.15f;
  int frame_rate = 120;
  int Window() const;
};

// A graph player that only builds: the motion, the settings and the markers of the type.
class BuildPlayer : public GraphPlayer {
 public:
  BuildPlayer(const MotionData& motion, const GraphSettings& settings)
      : motion_(motion), settings_(settings) {}

  const MotionData* Motion() const override { return &motion_; }
  int FrameCount() const override { return motion_.frame_count(); }
  int TransitionLength() const override { return settings_.Window(); }
  float EvalThreshold() const override { return settings_.threshold; }
  int EvalType() const override { return settings_.eval_type; }
  std::span<const CVector> MarkerCache() override;
  int CurrentFrame() const override { return 0; }
  void SetCurrentFrame(int) override {}
  int FramesAdvanced() const override { return 0; }
  bool InTransition() const override { return false; }
  bool BeginTransition(int) override { return false; }
  const Posture& ShownPosture() const override { return motion_.posture(0); }

 private:
  const MotionData& motion_;
  GraphSettings settings_;
  std::vector<CVector> markers_;
};

// The row-scan input of a motion, with the arrays it points into.
struct ScanInputData : OwnedScanInput {
  ScanInputData(const MotionData& motion, const GraphSettings& settings);
};

}  // namespace kt::tool
