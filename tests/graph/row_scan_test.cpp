// The reference row scan and the window scores: excluded band, block rule, clip ends,
// thresholds, and the score formulas on hand-computable windows.
#include "graph/row_scan.h"

#include <gtest/gtest.h>

#include "graph/window_score.h"
#include "graph_fixtures.h"
#include "motion/motion_data.h"

namespace kt {
namespace {

// Flat scan input over postures (one clip unless clip ends are given), without markers.
struct ScanData : OwnedScanInput {
  explicit ScanData(const std::vector<Posture>& frames, int window, int eval_type = 0,
                    float threshold = test::kCodedThreshold, std::vector<int> ends = {})
      : OwnedScanInput(frames, std::move(ends), {}, window, eval_type, threshold) {}
};

std::vector<Posture> Identical(int n) { return test::CodedFrames(std::vector<int>(n, 0)); }

TEST(RowScan, SkipsTheBandAroundTheSourceAndKeepsOneEdgePerBlock) {
  ScanData data(Identical(200), 18);
  const RowScanResult rows = ReferenceRowScan(data.in);
  ASSERT_EQ(rows.size(), 200u);
  // Row 0 never looks at frames 0-54; every block keeps its first (earliest) candidate.
  const std::vector<GraphEdge>& row0 = rows[0];
  ASSERT_EQ(row0.size(), 7u);
  EXPECT_EQ(row0[0].target, 55);  // block closed at j = 72
  EXPECT_EQ(row0[1].target, 73);
  EXPECT_EQ(row0.back().target, 163);  // closed at 180; candidate 181 is dropped
  // Row 40 starts at j = 95; its first edge closes at 108, chosen among 95..108.
  const std::vector<GraphEdge>& row40 = rows[40];
  ASSERT_EQ(row40.size(), 5u);
  EXPECT_EQ(row40[0].target, 95);
  EXPECT_EQ(row40[1].target, 109);
  EXPECT_FLOAT_EQ(row40[0].weight, ScoreWindows(data.in, 40, 95));
  for (int i = 0; i < 200; ++i)
    for (const GraphEdge& e : rows[i]) EXPECT_GT(std::abs(e.target - i), 54) << i;
  // The last row is the last window that ends before the clip's last frame.
  EXPECT_TRUE(rows[181].empty());
  EXPECT_FALSE(rows[180].empty());
}

TEST(RowScan, JumpBlendLengthOfAnySetting) {
  EXPECT_EQ(JumpBlendLength(120.0f, 0.15f), 18);  // single precision: 19 in double
  EXPECT_EQ(JumpBlendLength(120.0f, 0.0f), 1);
  EXPECT_EQ(JumpBlendLength(120.0f, -2.0f), 1);
  EXPECT_EQ(JumpBlendLength(120.0f, std::nanf("")), 1);
  EXPECT_EQ(JumpBlendLength(120.0f, 1e30f), kMaxJumpBlendLength);
}

TEST(RowScan, WindowsNeverReachAClipEnd) {
  ScanData data(Identical(200), 18, 0, test::kCodedThreshold, {99, 199});
  const RowScanResult rows = ReferenceRowScan(data.in);
  for (int i = 81; i <= 99; ++i) EXPECT_TRUE(rows[i].empty()) << i;
  EXPECT_FALSE(rows[80].empty());
  EXPECT_FALSE(rows[100].empty());  // the second clip's rows start at its first frame
  for (const auto& row : rows)
    for (const GraphEdge& e : row) EXPECT_FALSE(e.target >= 81 && e.target <= 99) << e.target;
}

TEST(RowScan, FindsExactlyThePlantedTwins) {
  std::vector<int> codes = test::UniqueCodes(80);
  test::PlantTwin(codes, 5, 50, 4);
  ScanData data(test::CodedFrames(codes), 4);
  const RowScanResult rows = ReferenceRowScan(data.in);
  for (int i = 0; i < 80; ++i) {
    if (i == 5 || i == 50) continue;
    EXPECT_TRUE(rows[i].empty()) << i;
  }
  ASSERT_EQ(rows[5].size(), 1u);
  EXPECT_EQ(rows[5][0].target, 50);
  ASSERT_EQ(rows[50].size(), 1u);
  EXPECT_EQ(rows[50][0].target, 5);
}

TEST(RowScan, ThresholdAboveOneOrMissingMarkersFindNothing) {
  const std::vector<Posture> frames = Identical(120);
  for (int type : {0, 2, 3}) {
    ScanData data(frames, 6, type, 1.01f);
    for (const auto& row : ReferenceRowScan(data.in)) EXPECT_TRUE(row.empty()) << type;
  }
  // No marker cache: a marker score is 0 for every pair, which must not pass T <= 0.
  ScanData no_markers(frames, 6, 2, -5.0f);
  for (const auto& row : ReferenceRowScan(no_markers.in)) EXPECT_TRUE(row.empty());
  EXPECT_EQ(RowScanFor(RowScanKind::kReference), &ReferenceRowScan);
}

TEST(WindowScore, FormulasOnKnownWindows) {
  const std::vector<Posture> frames = Identical(60);
  ScanData data(frames, 18);
  // Angular distance of equal rotations is acos(0.99999), summed over the weights (14.4).
  EXPECT_NEAR(ScoreWindows(data.in, 3, 30), 0.99982f, 1e-5f);
  data.in.eval_type = 1;
  EXPECT_NEAR(ScoreWindows(data.in, 3, 30), 14.4f / 31.0f, 1e-6f);
  data.in.eval_type = 7;
  EXPECT_EQ(ScoreWindows(data.in, 3, 30), 0.0f);
  data.in.eval_type = 0;
  EXPECT_EQ(ScoreWindows(data.in, 43, 0), 0.0f);  // 43 + 18 > 60
  EXPECT_EQ(SuggestedThreshold(1), 0.47f);
  EXPECT_FALSE(SuggestedThreshold(3).has_value());

  // Markers: identical shapes, but window b's root travels 2 per frame, a's 1 per frame.
  std::vector<CVector> markers(60 * kJointCount, CVector(1, 2, 3));
  for (int f = 30; f < 60; ++f) data.frames.roots[f] = CVector(2.0f * f, 0, 0);
  data.in.markers = markers;
  data.in.eval_type = 2;
  const float ab = ScoreWindows(data.in, 0, 30), ba = ScoreWindows(data.in, 30, 0);
  EXPECT_FLOAT_EQ(ab, float(1.0 - 0.06666667 * (17.0 - 34.0)));
  EXPECT_NEAR(ab - ba, 2 * 0.06666667 * 17.0, 1e-5);
  EXPECT_FLOAT_EQ(ScoreWindows(data.in, 4, 4), 1.0f);
  data.in.eval_type = 3;
  EXPECT_FLOAT_EQ(ScoreWindows(data.in, 4, 4), 1.0f);
}

}  // namespace
}  // namespace kt
