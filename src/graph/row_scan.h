// The row scan of graph construction: for every source frame, the best jump per block of L
// target frames whose window score reaches the threshold. It is the expensive step (about N^2
// window comparisons), so it sits behind one signature with two implementations: the
// reference below, written to read like the algorithm, and a fast one (graph/fast_row_scan.h,
// `FastRowScan`) that must return the same edges in the same order with the same weights.
//
// Contents: GraphEdge - RowScanInput - RowScanFunction / ReferenceRowScan - RowScanKind.
#pragma once

#include <algorithm>
#include <cmath>
#include <span>
#include <vector>

#include "motion/quaternion.h"
#include "motion/vector.h"

namespace kt {

inline constexpr int kJointCount = 31;

// An explicit jump of the transition graph. For edges found by the row scan the weight is the
// window score of the jump; reverse edges (used only while pruning) carry 1.0.
struct GraphEdge {
  int target = 0;
  float weight = 0.0f;
  bool operator==(const GraphEdge&) const = default;
};

// Jump-blend length L in frames. The product is formed in single precision, as the blend time is
// a 32-bit setting: 0.15 s at 120 fps gives 18 (in double it would give 19).
// Settings from files may be anything: NaN and non-positive times give 1, huge ones a length
// whose multiples still fit an int.
inline constexpr int kMaxJumpBlendLength = 1 << 24;
inline int JumpBlendLength(float frames_per_second, float seconds) {
  const float frames = std::ceil(frames_per_second * seconds);
  if (!(frames >= 1.0f)) return 1;
  return frames >= float(kMaxJumpBlendLength) ? kMaxJumpBlendLength : static_cast<int>(frames);
}

// The scene's "EvalType" codes: the frame-similarity measure a graph is built with.
inline constexpr int kEvalJointAngles = 0;
inline constexpr int kEvalRotationAgreement = 1;
inline constexpr int kEvalRelativeMarkers = 2;  // root-relative markers (".mpos")
inline constexpr int kEvalAlignedMarkers = 3;   // aligned global markers (".mpos2")

// Everything the scores need, as flat frame-major arrays, so the scan depends on no motion or
// controller type. Frame f's data is at [f] (root positions) or [f * kJointCount + j].
struct RowScanInput {
  int frame_count = 0;     // N
  int window = 1;          // L, the jump-blend length in frames (>= 1)
  int eval_type = kEvalRelativeMarkers;  // one of the kEval* codes; other types score 0
  float threshold = 1.0f;  // T: a jump needs a score >= T
  // Last frame of each clip, ascending. Windows never straddle a clip end.
  std::span<const int> clip_ends;
  std::span<const CVector> root_positions;  // N: posture root positions
  std::span<const CQuaternion> rotations;   // N x 31: joint rotations, joint 0 the root's
  // N x 31 marker positions: root-relative (".mpos") for type 2, global (".mpos2") for type 3.
  // Empty when the cache could not be loaded: marker types then find no edges at all.
  std::span<const CVector> markers;
  std::span<const float> angle_weights;   // 31 per-joint weights of types 0 and 1
  std::span<const float> marker_weights;  // 31 per-joint weights of types 2 and 3
};

// edges[i] holds source frame i's jumps in the order found (ascending target blocks).
// Exactly frame_count rows.
using RowScanResult = std::vector<std::vector<GraphEdge>>;

using RowScanFunction = RowScanResult (*)(const RowScanInput& input);

// The scan exactly as the construction algorithm states it:
//   rows i from 0 while i < N - L, skipping to the next clip when the window at i would reach
//   the clip end (e_i - i <= L); in each row, targets j from 0 while j < N - L, skipping
//   |j - i| <= 3L (to i + 3L + 1) and windows reaching a clip end (to e_j + 1); each evaluated
//   j with score s >= T and s > best becomes the running best (ties keep the earlier j); at an
//   evaluated j that is a nonzero multiple of L the running best, if any, is emitted as an edge
//   and cleared. Candidates after a row's last such j are dropped.
// Scores are ScoreWindows (graph/window_score.h), formed in double and stored as float.
RowScanResult ReferenceRowScan(const RowScanInput& input);

// Whether the input holds every array its type needs for frame_count frames; a scan of an
// unusable input returns rows without edges.
bool RowScanInputUsable(const RowScanInput& input);

// Which implementation graph construction runs. kFast falls back to the reference while no
// fast scan is built into kt_graph.
enum class RowScanKind { kReference, kFast };

RowScanFunction RowScanFor(RowScanKind kind);

}  // namespace kt
