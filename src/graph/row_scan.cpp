// Reference row scan, written step for step like the construction algorithm; the fast scan
// is checked against it.
#include "graph/row_scan.h"

#include <cstdlib>

#include "console/log.h"
#include "graph/window_score.h"
#ifdef KINETROPE_FAST_ROW_SCAN
#include "graph/fast_row_scan.h"
#endif

namespace kt {

namespace {

constexpr float kNoBest = -10000000.0f;

// First clip end >= f, or N when there is none.
int NextClipEnd(const RowScanInput& in, int f) {
  for (int end : in.clip_ends)
    if (end >= f) return end;
  return in.frame_count;
}

}  // namespace

bool RowScanInputUsable(const RowScanInput& in) {
  const size_t n = size_t(in.frame_count);
  if (in.frame_count <= 0 || in.window < 1) return false;
  if (in.root_positions.size() < n || in.rotations.size() < n * kJointCount) return false;
  if (in.angle_weights.size() < size_t(kJointCount)) return false;
  if (in.marker_weights.size() < size_t(kJointCount)) return false;
  // Without markers a marker score is 0 for every pair; that must not pass a threshold <= 0.
  if (UsesMarkers(in.eval_type) && in.markers.size() < n * kJointCount) return false;
  return true;
}

namespace {

void ScanRow(const RowScanInput& in, int i, std::vector<GraphEdge>& row) {
  const int n = in.frame_count, l = in.window;
  float best = kNoBest;
  int best_j = 0;
  int ej = NextClipEnd(in, 0);
  int j = 0;
  while (j < n - l) {
    if (std::abs(j - i) <= 3 * l) {  // frames near the source are never targets
      j = i + 3 * l + 1;
      continue;
    }
    if (ej - j <= l) {  // the target window would reach its clip's end
      j = ej + 1;
      ej = NextClipEnd(in, j);
      continue;
    }
    const float s = ScoreWindows(in, i, j);
    if (s >= in.threshold && s > best) {
      best = s;
      best_j = j;
    }
    if (j != 0 && j % l == 0 && best != kNoBest) {
      row.push_back({best_j, best});
      best = kNoBest;
    }
    ++j;
  }
}

}  // namespace

RowScanResult ReferenceRowScan(const RowScanInput& in) {
  RowScanResult edges(size_t(std::max(in.frame_count, 0)));
  if (!RowScanInputUsable(in)) return edges;
  const int n = in.frame_count, l = in.window;
  int i = 0;
  int ei = NextClipEnd(in, 0);
  while (i < n - l) {
    if (ei - i <= l) {  // the source window would reach its clip's end
      i = ei + 1;
      ei = NextClipEnd(in, i);
      continue;
    }
    ScanRow(in, i, edges[i]);
    ++i;
  }
  return edges;
}

RowScanFunction RowScanFor(RowScanKind kind) {
#ifdef KINETROPE_FAST_ROW_SCAN
  if (kind == RowScanKind::kFast) return FastRowScan;
#else
  (void)kind;
#endif
  return ReferenceRowScan;
}

}  // namespace kt
