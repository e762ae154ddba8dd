// A minimal graph player for construction and playback-policy tests: a motion, construction
// settings, and playback state the test sets by hand.
#pragma once

#include <vector>

#include "graph/graph_player.h"
#include "graph/transition_graph.h"

namespace kt::test {

// Construction settings of the reference scan that leave no cache file behind.
inline GraphBuildOptions NoCache() {
  GraphBuildOptions options;
  options.row_scan = RowScanKind::kReference;
  options.write_cache = false;
  return options;
}

class FakeGraphPlayer : public GraphPlayer {
 public:
  FakeGraphPlayer(const MotionData* motion, int window, int eval_type, float threshold)
      : motion_(motion), window_(window), eval_type_(eval_type), threshold_(threshold) {}

  const MotionData* Motion() const override { return motion_; }
  int FrameCount() const override { return motion_ ? motion_->frame_count() : -1; }
  int TransitionLength() const override { return window_; }
  float EvalThreshold() const override { return threshold_; }
  int EvalType() const override { return eval_type_; }
  std::span<const CVector> MarkerCache() override {
    if (markers.empty() && motion_) markers = motion_->MarkerPositions(eval_type_);
    return markers;
  }
  int CurrentFrame() const override { return frame; }
  void SetCurrentFrame(int f) override { frame = f; }
  int FramesAdvanced() const override { return advanced; }
  bool InTransition() const override { return in_transition; }
  bool BeginTransition(int target) override {
    jumps.push_back({frame, target});
    frame = target;
    return true;
  }
  const Posture& ShownPosture() const override { return shown; }

  int frame = 0;
  int advanced = 1;
  bool in_transition = false;
  Posture shown;
  std::vector<CVector> markers;
  std::vector<std::pair<int, int>> jumps;  // (from, to)

 private:
  const MotionData* motion_;
  int window_;
  int eval_type_;
  float threshold_;
};

}  // namespace kt::test
