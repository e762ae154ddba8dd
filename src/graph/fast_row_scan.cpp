// Fast row scan: tiles, threads, and the decisions of the scan made from score bounds.
//
// Sections: windows and rows - deciding a block of candidates - one thread's work - entry.
#include "graph/fast_row_scan.h"

#include <cblas.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "graph/fast_window_scorer.h"
#include "graph/window_score.h"

namespace kt {

namespace {

constexpr float kNoBest = -10000000.0f;

// ---------------------------------------------------------------------------------------------
// Windows and rows

// Whether the window at f is a source row and a target of the reference scan: it starts
// before N - L and does not reach its clip's end (first clip end >= f, or N).
std::vector<char> UsableWindows(const RowScanInput& in) {
  const int n = in.frame_count, l = in.window;
  std::vector<char> usable(std::max(n - l, 0), 0);
  size_t clip = 0;
  for (int f = 0; f < n - l; ++f) {
    while (clip < in.clip_ends.size() && in.clip_ends[clip] < f) ++clip;
    const int end = clip < in.clip_ends.size() ? in.clip_ends[clip] : n;
    usable[f] = end - f > l;
  }
  return usable;
}

// ---------------------------------------------------------------------------------------------
// Deciding a block of candidates
//
// The reference's float score s of a pair lies in [lo, hi] (lo == hi once known exactly). A
// pair joins the running best when s >= T and s > best; at each evaluated multiple of L the
// best, if any, becomes the row's edge. Equivalently: of the block's pairs with s >= T (and
// above the "no best" marker), the first one with the largest s.

struct Candidate {
  int target;
  float lo, hi;
};

class RowDecider {
 public:
  RowDecider(const RowScanInput& in, int row, std::vector<GraphEdge>& edges, long long& recomputed)
      : in_(in), row_(row), edges_(edges), recomputed_(recomputed) {}

  // A pair whose score is in [lo, hi]; pairs that surely fail the threshold are dropped.
  void Consider(int target, float lo, float hi) {
    if (hi < in_.threshold || hi <= kNoBest) return;  // (a NaN bound stays, and is settled)
    block_.push_back({target, lo, hi});
  }

  void CloseBlock() {
    if (block_.empty()) return;
    // Settle the threshold for the pairs whose bound straddles it.
    std::erase_if(block_, [this](Candidate& c) {
      if (!Passes(c.lo)) Settle(c);
      return !Passes(c.lo);
    });
    if (!block_.empty()) edges_.push_back(Best());
    block_.clear();
  }

 private:
  bool Passes(float s) const { return s >= in_.threshold && s > kNoBest; }

  void Settle(Candidate& c) {
    if (c.lo == c.hi) return;
    c.lo = c.hi = ScoreWindows(in_, row_, c.target);
    ++recomputed_;
  }

  // Only pairs whose bound reaches the best lower bound can be the best; when there are
  // several, they are settled and the first of the largest wins.
  GraphEdge Best() {
    float floor = block_.front().lo;
    for (const Candidate& c : block_) floor = std::max(floor, c.lo);
    int contenders = 0;
    for (const Candidate& c : block_) contenders += c.hi >= floor;
    Candidate* best = nullptr;
    for (Candidate& c : block_) {
      if (c.hi < floor) continue;
      if (contenders > 1) Settle(c);
      if (!best || c.lo > best->lo) best = &c;
    }
    // The weight is the reference's score too, not just near it.
    Settle(*best);
    return {best->target, best->lo};
  }

  const RowScanInput& in_;
  int row_;
  std::vector<GraphEdge>& edges_;
  long long& recomputed_;
  std::vector<Candidate> block_;
};

// ---------------------------------------------------------------------------------------------
// One thread's work: row blocks taken in turn, each scanned tile by tile from left to right.

struct SharedScan {
  SharedScan(const RowScanInput& in_, const FastRowScanOptions& options_,
             const fast::WindowScorer& scorer_, const std::vector<char>& usable_,
             RowScanResult& edges_)
      : in(in_), options(options_), scorer(scorer_), usable(usable_), edges(edges_) {}

  const RowScanInput& in;
  const FastRowScanOptions& options;
  const fast::WindowScorer& scorer;
  const std::vector<char>& usable;
  RowScanResult& edges;
  int row_blocks = 0;
  int rows_total = 0;
  std::atomic<int> next_block{0};
  std::atomic<int> rows_done{0};
  std::mutex mutex;  // progress calls and stats
  FastRowScanStats stats;
};

void ScanRowBlock(SharedScan& s, int first_row, fast::ScoreWorkspace& ws, std::vector<float>& lo,
                  std::vector<float>& hi, long long& scored, long long& recomputed) {
  const RowScanInput& in = s.in;
  const int l = in.window, limit = in.frame_count - l;
  const int rows = std::min(s.options.tile_rows, limit - first_row);
  std::vector<RowDecider> deciders;
  deciders.reserve(rows);
  for (int r = 0; r < rows; ++r)
    deciders.emplace_back(in, first_row + r, s.edges[first_row + r], recomputed);
  for (int j0 = 0; j0 < limit; j0 += s.options.tile_cols) {
    const fast::Tile tile{first_row, rows, j0, std::min(s.options.tile_cols, limit - j0)};
    s.scorer.Score(tile, ws, lo.data(), hi.data());
    for (int r = 0; r < rows; ++r) {
      const int i = first_row + r;
      if (!s.usable[i]) continue;
      const float* row_lo = lo.data() + size_t(r) * tile.cols;
      const float* row_hi = hi.data() + size_t(r) * tile.cols;
      int phase = j0 % l;  // j mod L, kept by counting rather than dividing
      for (int c = 0; c < tile.cols; ++c, phase = phase + 1 == l ? 0 : phase + 1) {
        const int j = j0 + c;
        if (!s.usable[j] || std::abs(j - i) <= 3 * l) continue;
        ++scored;
        deciders[r].Consider(j, row_lo[c], row_hi[c]);
        if (phase == 0 && j != 0) deciders[r].CloseBlock();
      }
    }
  }
}

void ScanThread(SharedScan& s) {
  const auto start = std::chrono::steady_clock::now();
  fast::ScoreWorkspace ws;
  const size_t tile = size_t(s.options.tile_rows) * s.options.tile_cols;
  std::vector<float> lo(tile), hi(tile);
  long long scored = 0, recomputed = 0;
  for (int b = s.next_block++; b < s.row_blocks; b = s.next_block++) {
    const int first = b * s.options.tile_rows;
    ScanRowBlock(s, first, ws, lo, hi, scored, recomputed);
    const int last = std::min(first + s.options.tile_rows, s.in.frame_count - s.in.window);
    const int done = s.rows_done +=
        int(std::count(s.usable.begin() + first, s.usable.begin() + last, 1));
    if (s.options.progress) {
      std::lock_guard lock(s.mutex);
      s.options.progress(done, s.rows_total);
    }
  }
  const double busy =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::lock_guard lock(s.mutex);
  s.stats.pairs_scored += scored;
  s.stats.recomputed += recomputed;
  s.stats.gemm_seconds += ws.gemm_seconds;
  s.stats.thread_seconds += busy;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Entry

namespace {
const std::function<void(int, int)>* progress_report = nullptr;
}  // namespace

FastRowScanProgressScope::FastRowScanProgressScope(std::function<void(int, int)> report)
    : report_(std::move(report)) {
  progress_report = &report_;
}

FastRowScanProgressScope::~FastRowScanProgressScope() { progress_report = nullptr; }

RowScanResult FastRowScan(const RowScanInput& input) {
  FastRowScanOptions options;
  if (progress_report) options.progress = *progress_report;
  return FastRowScan(input, options, nullptr);
}

RowScanResult FastRowScan(const RowScanInput& input, const FastRowScanOptions& options,
                          FastRowScanStats* stats) {
  RowScanResult edges(size_t(std::max(input.frame_count, 0)));
  if (!RowScanInputUsable(input) || input.frame_count <= input.window) return edges;
  FastRowScanOptions opts = options;
  opts.tile_rows = std::max(opts.tile_rows, 1);
  opts.tile_cols = std::max(opts.tile_cols, 1);
  int threads = opts.threads > 0 ? opts.threads : int(std::thread::hardware_concurrency());
  threads = std::max(threads, 1);

  const std::vector<char> usable = UsableWindows(input);
  const std::unique_ptr<fast::WindowScorer> scorer = fast::MakeWindowScorer(input);
  SharedScan shared(input, opts, *scorer, usable, edges);
  const int limit = input.frame_count - input.window;
  shared.row_blocks = (limit + opts.tile_rows - 1) / opts.tile_rows;
  shared.rows_total = int(std::count(usable.begin(), usable.end(), 1));
  threads = std::min(threads, shared.row_blocks);
  shared.stats.threads = threads;

  // Our threads share out the rows; OpenBLAS threads on top would only fight them.
  openblas_set_num_threads(1);
  std::vector<std::thread> workers;
  for (int t = 1; t < threads; ++t) workers.emplace_back(ScanThread, std::ref(shared));
  ScanThread(shared);
  for (std::thread& w : workers) w.join();
  if (stats) *stats = shared.stats;
  return edges;
}

}  // namespace kt
