// ".gra" files for comparison, summaries and pictures, read by the game's ImportGraph without
// their motion: a player of the file's node count and no postures stands in for it (node
// motions, which need postures, come out zero; nothing here reads them).
#pragma once

#include <memory>
#include <string>

#include "graph/graph_kinds.h"
#include "graph/graph_player.h"

namespace kt::tool {

class FileGraphPlayer final : public GraphPlayer {
 public:
  explicit FileGraphPlayer(int frames) : frames_(frames) {}
  const MotionData* Motion() const override { return nullptr; }
  int FrameCount() const override { return frames_; }
  int TransitionLength() const override { return 1; }
  float EvalThreshold() const override { return 0.0f; }
  int EvalType() const override { return 0; }
  std::span<const CVector> MarkerCache() override { return {}; }
  int CurrentFrame() const override { return 0; }
  void SetCurrentFrame(int) override {}
  int FramesAdvanced() const override { return 0; }
  bool InTransition() const override { return false; }
  bool BeginTransition(int) override { return false; }
  const Posture& ShownPosture() const override { return posture_; }

 private:
  int frames_;
  Posture posture_;
};

struct GraFile {
  std::unique_ptr<FileGraphPlayer> player;
  std::unique_ptr<CutoffGraph> graph;
};

// False with the reader's reason in `error` when the file is missing, truncated or
// inconsistent.
bool ReadGraFile(const std::string& path, GraFile& out, std::string& error);

// Empty when a and b agree: node count, cutoffs, flags, edge targets and order exactly, and
// weights within 1e-5 (relative above 1). Otherwise the first difference, in words.
std::string FirstDifference(const TransitionGraph& a, const TransitionGraph& b);

}  // namespace kt::tool
