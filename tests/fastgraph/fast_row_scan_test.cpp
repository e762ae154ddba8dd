// The fast row scan finds the reference's edges, in the same order with the same weights: on
// real CMU clips and on synthetic walks with planted exact and near ties, for every evaluation
// type, across tile borders, clip ends and thread counts.
#include "graph/fast_row_scan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "graph/window_score.h"
#include "motion_fixtures.h"
#include "scan_fixture.h"
#include "test_support.h"

namespace kt {
namespace {

constexpr int kWindow = 18;  // 0.15 s at 120 frames/s

// Same rows, targets, order and weights, bit for bit.
void ExpectSameEdges(const RowScanResult& fast, const RowScanResult& reference) {
  ASSERT_EQ(fast.size(), reference.size());
  for (size_t i = 0; i < fast.size(); ++i) {
    ASSERT_EQ(fast[i].size(), reference[i].size()) << "row " << i;
    for (size_t e = 0; e < fast[i].size(); ++e) {
      ASSERT_EQ(fast[i][e].target, reference[i][e].target) << "row " << i << " edge " << e;
      ASSERT_EQ(fast[i][e].weight, reference[i][e].weight) << "row " << i << " edge " << e;
    }
  }
}

size_t EdgeCount(const RowScanResult& rows) {
  size_t n = 0;
  for (const auto& row : rows) n += row.size();
  return n;
}

RowScanResult Fast(const RowScanInput& in, int tile_rows = 256, int tile_cols = 512,
                   int threads = 0, FastRowScanStats* stats = nullptr) {
  FastRowScanOptions options;
  options.tile_rows = tile_rows;
  options.tile_cols = tile_cols;
  options.threads = threads;
  return FastRowScan(in, options, stats);
}

// The reference's edges (at least `min_edges` of them) from the fast scan with its default
// tiles on all threads, and with tiny tiles on one thread (window sums restart often, blocks
// span tiles).
void ExpectFastMatchesReference(const RowScanInput& in, size_t min_edges) {
  const RowScanResult reference = ReferenceRowScan(in);
  EXPECT_GE(EdgeCount(reference), min_edges);
  ExpectSameEdges(Fast(in), reference);
  ExpectSameEdges(Fast(in, 7, 13, 1), reference);
}

class FastRowScanTypes : public ::testing::TestWithParam<int> {};

TEST_P(FastRowScanTypes, MatchesTheReferenceOnCmuClipPrefixes) {
  KT_REQUIRE_REALDATA();
  const int type = GetParam();
  for (const char* clip : {"02/02_01", "127/127_04"}) {
    const std::vector<Posture> frames = test::CmuPrefix(clip, 260);
    ASSERT_FALSE(frames.empty()) << clip;
    test::ScanFixture data(frames, {}, kWindow, type, test::EdgeThreshold(type));
    ExpectFastMatchesReference(data.in, 50);
  }
}

// Two clips of different walks, tiles of several sizes, one or two threads.
TEST_P(FastRowScanTypes, MatchesTheReferenceAcrossTilesClipsAndThreads) {
  test::ScratchDir scratch;
  test::InstallTestSkeleton();
  const int type = GetParam();
  std::vector<Posture> frames = test::WalkPostures(150, 1.0f, 37);
  const std::vector<Posture> second = test::WalkPostures(130, 1.5f, 29, 0.4f, 300.0f);
  frames.insert(frames.end(), second.begin(), second.end());
  test::ScanFixture data(frames, {149, 279}, 6, type, test::EdgeThreshold(type));
  ExpectFastMatchesReference(data.in, 20);
  ExpectSameEdges(Fast(data.in, 64, 40, 2), ReferenceRowScan(data.in));
}

// A walk whose second half repeats the first exactly: every window there ties exactly with
// its twin (and, in a periodic walk, with its neighbours' twins); the earlier must win. A
// third copy nudged by one float ulp in a few rotations makes near-ties.
TEST_P(FastRowScanTypes, ResolvesExactAndNearTiesAsTheReference) {
  test::ScratchDir scratch;
  test::InstallTestSkeleton();
  const int type = GetParam();
  std::vector<Posture> frames = test::WalkPostures(90, 0.0f, 30);
  const std::vector<Posture> copy = frames;
  frames.insert(frames.end(), copy.begin(), copy.end());
  std::vector<Posture> nudged = copy;
  for (size_t f = 0; f < nudged.size(); f += 3)
    nudged[f].rotations[2].x = std::nextafter(nudged[f].rotations[2].x, 1.0f);
  frames.insert(frames.end(), nudged.begin(), nudged.end());
  test::ScanFixture data(frames, {}, kWindow, type, test::EdgeThreshold(type));
  ExpectFastMatchesReference(data.in, 100);
}

// A threshold exactly at one pair's score, and one float step above it.
TEST_P(FastRowScanTypes, ThresholdExactlyAtAScore) {
  test::ScratchDir scratch;
  test::InstallTestSkeleton();
  const int type = GetParam();
  const std::vector<Posture> frames = test::WalkPostures(200, 0.8f, 41);
  test::ScanFixture data(frames, {}, kWindow, type, 0.0f);
  const float s = ScoreWindows(data.in, 10, 100);
  for (const float t : {s, std::nextafter(s, 2.0f), std::nextafter(s, -2.0f)}) {
    data.in.threshold = t;
    ExpectSameEdges(Fast(data.in), ReferenceRowScan(data.in));
  }
}

// A damaged frame (NaN rotation and markers) poisons the fast sums along its diagonals; those
// pairs are settled by the reference score, so the edges still agree.
TEST_P(FastRowScanTypes, NotANumberInTheInputAsTheReference) {
  test::ScratchDir scratch;
  test::InstallTestSkeleton();
  const int type = GetParam();
  test::ScanFixture data(test::WalkPostures(160, 0.5f, 33), {}, 6, type, test::EdgeThreshold(type));
  const float nan = std::numeric_limits<float>::quiet_NaN();
  data.frames.rotations[40 * kJointCount + 2].x = nan;
  data.frames.rotations[40 * kJointCount].w = nan;
  if (!data.markers.empty()) data.markers[40 * kJointCount + 3].y = nan;
  ExpectSameEdges(Fast(data.in, 32, 48), ReferenceRowScan(data.in));
}

INSTANTIATE_TEST_SUITE_P(EvalTypes, FastRowScanTypes, ::testing::Values(0, 1, 2, 3));

TEST(FastRowScan, UnusableInputAndUnknownTypesAsTheReference) {
  test::ScratchDir scratch;
  test::InstallTestSkeleton();
  const std::vector<Posture> frames = test::WalkPostures(120);
  test::ScanFixture unknown(frames, {}, 6, 7, 0.0f);  // every score 0, which passes T = 0
  ExpectSameEdges(Fast(unknown.in), ReferenceRowScan(unknown.in));
  EXPECT_GT(EdgeCount(Fast(unknown.in)), 0u);
  test::ScanFixture no_markers(frames, {}, 6, 2, -100.0f);
  no_markers.in.markers = {};
  EXPECT_EQ(EdgeCount(Fast(no_markers.in)), 0u);
  test::ScanFixture short_motion(std::vector<Posture>(frames.begin(), frames.begin() + 6), {}, 6, 0,
                                 0.0f);
  EXPECT_EQ(Fast(short_motion.in).size(), 6u);
  EXPECT_EQ(EdgeCount(Fast(short_motion.in)), 0u);
}

}  // namespace
}  // namespace kt
