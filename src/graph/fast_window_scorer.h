// Window scores of the fast row scan, a block ("tile") of source x target frames at a time,
// private to graph/. For every pair the scorer gives an estimate of the reference's score in
// double (before its rounding to float) and a bound on how far the reference's double value
// can lie from that estimate. The row scan decides every pair whose bound cannot change the
// outcome and asks the reference (ScoreWindows) for the few others.
//
// A score is a sum over the L frame pairs (a + k, b + k) of one window pair, so a tile's scores
// are window sums along the diagonals of a block of frame-pair terms. For the marker scores
// those terms are matrix products (OpenBLAS dgemm); the rotation scores round every joint's
// dot product to float before using it (and the joint-angle score takes its arc cosine), so
// their terms come from a vectorised loop that rounds as the reference does.
#pragma once

#include <memory>
#include <vector>

#include "graph/row_scan.h"

namespace kt::fast {

// Source frames i0 .. i0 + rows - 1 against target frames j0 .. j0 + cols - 1. Every window
// must lie inside the motion (i0 + rows - 1 + L <= N, likewise for targets).
struct Tile {
  int i0 = 0, rows = 0, j0 = 0, cols = 0;
};

// Scratch space of one thread, reused from tile to tile.
struct ScoreWorkspace {
  std::vector<double> pairs;           // frame-pair terms, one plane per term kind
  std::vector<double> sums;            // their window sums
  std::vector<double> source, target;  // stacked feature rows of the aligned-marker products
  std::vector<float> rotation;         // aligned-marker rotations of one source row
  double gemm_seconds = 0.0;
};

class WindowScorer {
 public:
  virtual ~WindowScorer() = default;
  // The reference's float score of source i0 + r and target j0 + c lies in
  // [lo[r * cols + c], hi[r * cols + c]] (lo == hi: known exactly). Safe to call from several
  // threads, each with its own workspace.
  virtual void Score(const Tile& tile, ScoreWorkspace& ws, float* lo, float* hi) const = 0;
};

// The scorer of input.eval_type. The input must be usable (sizes checked by the caller).
std::unique_ptr<WindowScorer> MakeWindowScorer(const RowScanInput& input);

}  // namespace kt::fast
