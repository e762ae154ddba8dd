// Window similarity: how alike the L-frame windows starting at two frames of one motion are.
// 1 is identical, smaller is less similar. Graph construction scores every candidate jump with
// it; a motion controller's Evaluate scores single pairs for a person asking.
#pragma once

#include <optional>
#include <span>
#include <vector>

#include "graph/graph_player.h"
#include "graph/row_scan.h"
#include "motion/motion_data.h"

namespace kt {

// Per-joint weights, by joint index. The angle table skips the root; 0 means "not compared".
extern const float kAngleWeights[kJointCount];
extern const float kMarkerWeights[kJointCount];

// The motion scale of the data, used by the aligned-marker score's normalisation.
inline constexpr double kScoreMotionScale = 2.5;

// The threshold a type suggests (stored into graph.eval_threshold by evaluations): 0.96, 0.47
// and 0.96 for types 0, 1 and 2; none for the others.
std::optional<float> SuggestedThreshold(int eval_type);

// Whether a type compares marker positions (and so needs input.markers).
inline bool UsesMarkers(int eval_type) {
  return eval_type == kEvalRelativeMarkers || eval_type == kEvalAlignedMarkers;
}

// Score of the windows at a and b under input.eval_type. 0 when a window reaches past the last
// frame, for unknown types, and for marker types without markers. Sums are formed in double
// (k outer, joints inner, ascending) and the score is rounded to float once.
// `log_pair`: types 2 and 3 log their per-pair line ("DIST ..." / "EVAL: ..."); meant for a
// single evaluation asked for at the console, never for the row scan.
float ScoreWindows(const RowScanInput& input, int a, int b, bool log_pair = false);

// Flat copies of a motion's root positions and joint rotations, as RowScanInput reads them.
struct ScanFrames {
  std::vector<CVector> roots;
  std::vector<CQuaternion> rotations;
};
ScanFrames FlattenFrames(std::span<const Posture> postures);
inline ScanFrames FlattenFrames(const MotionData& motion) {
  return FlattenFrames(motion.postures());
}

// A scoring input that owns the arrays it points into, for callers that score postures without
// a motion controller (tools, benchmarks, tests). Not copyable: `in` points into the members.
struct OwnedScanInput {
  // An empty clip_ends means one clip; markers may be empty for the angle types.
  OwnedScanInput(std::span<const Posture> postures, std::vector<int> clip_ends,
                 std::vector<CVector> markers, int window, int eval_type, float threshold);
  OwnedScanInput(const OwnedScanInput&) = delete;
  OwnedScanInput& operator=(const OwnedScanInput&) = delete;

  ScanFrames frames;
  std::vector<CVector> markers;
  std::vector<int> clip_ends;
  RowScanInput in;
};

// The scoring input of `player`'s motion and construction settings over `frames` (which must
// outlive it). Markers are fetched from the player for the marker types.
RowScanInput MakeScanInput(GraphPlayer& player, const ScanFrames& frames);

}  // namespace kt
