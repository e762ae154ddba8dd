// Fast row scan: the same edges, in the same order and with the same weights, as
// ReferenceRowScan (graph/row_scan.h), in a small fraction of its time.
//
// The score matrix is processed in tiles of source x target windows. A tile's scores come
// from window sums along the diagonals of frame-pair terms (removing the factor L), which for
// the marker scores are matrix products (graph/fast_window_scorer.h). Each score
// carries a proven bound on its distance from the reference's; a pair is decided from the
// bound when the threshold and the best-of-block choice cannot flip within it, and otherwise
// recomputed with the reference's own ScoreWindows, so near-ties resolve exactly as there;
// an edge's weight is likewise settled whenever its bound does not pin down the float.
// Memory is O(N) per-frame and per-window data plus one tile per thread, never O(N^2); rows
// are shared out between threads (OpenBLAS itself runs single-threaded inside each).
#pragma once

#include <functional>

#include "graph/row_scan.h"

namespace kt {

struct FastRowScanOptions {
  int threads = 0;      // 0: one per hardware thread
  int tile_rows = 256;  // source windows per tile
  int tile_cols = 512;  // target windows per tile
  // Called after each finished block of rows with the rows done so far and the rows to do
  // (source windows). Called from one thread at a time, not necessarily the caller's.
  std::function<void(int done, int total)> progress;
};

struct FastRowScanStats {
  long long pairs_scored = 0;   // window pairs the scan looked at
  long long recomputed = 0;     // pairs handed to the reference score
  double gemm_seconds = 0.0;    // summed over threads
  double thread_seconds = 0.0;  // busy time summed over threads
  int threads = 0;
};

// The one-argument form is the RowScanFunction graph construction calls; it reports to the
// live FastRowScanProgressScope, if any.
RowScanResult FastRowScan(const RowScanInput& input);
RowScanResult FastRowScan(const RowScanInput& input, const FastRowScanOptions& options,
                          FastRowScanStats* stats = nullptr);

// While it lives, scans started through the one-argument FastRowScan report their progress
// to `report` (a tool's progress bar). Scopes do not nest.
class FastRowScanProgressScope {
 public:
  explicit FastRowScanProgressScope(std::function<void(int done, int total)> report);
  ~FastRowScanProgressScope();
  FastRowScanProgressScope(const FastRowScanProgressScope&) = delete;
  FastRowScanProgressScope& operator=(const FastRowScanProgressScope&) = delete;

 private:
  std::function<void(int, int)> report_;
};

}  // namespace kt
