// The fast scan's kernels: the arc cosine's error bound, rotations rounded exactly as the
// reference rounds them, joint-angle terms, and diagonal window sums.
#include "graph/fast_kernels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "motion/matrix.h"
#include "motion/quaternion.h"

namespace kt::fast {
namespace {

CQuaternion RandomRotation(std::mt19937& rng) {
  std::normal_distribution<float> n;
  CQuaternion q{n(rng), n(rng), n(rng), n(rng)};
  q.Normalize();
  return q;
}

TEST(FastKernels, ArcCosineStaysWithinItsRelativeErrorBound) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<double> xs = {0.0,     0.5,   std::nextafter(0.5, 1.0), std::nextafter(0.5, 0.0), 1.0,
                            0.99999, 1e-300};
  for (int k = 0; k < 200000; ++k) xs.push_back(unit(rng));
  for (int k = 1; k < 60; ++k) xs.push_back(1.0 - std::ldexp(1.0, -k));  // angles near 0
  for (const double x : xs) {
    const long double exact = std::acos((long double)x);
    const double got = Acos01(x);
    if (exact == 0) {
      EXPECT_EQ(got, 0.0);
      continue;
    }
    // libm's long double arc cosine is within a long double ulp: far below the bound.
    EXPECT_LE(std::fabs((long double)got - exact) / exact, kAcosRelativeError) << x;
  }
}

TEST(FastKernels, AlignmentMatricesRoundLikeTheQuaternionCode) {
  std::mt19937 rng(5);
  const int n = 37;
  std::vector<CQuaternion> targets(n);
  std::vector<float> inverse(4 * n);
  for (int f = 0; f < n; ++f) {
    targets[f] = RandomRotation(rng);
    const CQuaternion inv = targets[f].Inverse();
    const float c[4] = {inv.x, inv.y, inv.z, inv.w};
    for (int k = 0; k < 4; ++k) inverse[k * n + f] = c[k];
  }
  const int cols = n - 3;
  std::vector<float> r(9 * cols);
  for (int trial = 0; trial < 20; ++trial) {
    const CQuaternion a = RandomRotation(rng);
    const float qa[4] = {a.x, a.y, a.z, a.w};
    AlignmentMatrices(qa, inverse.data(), n, 3, cols, r.data());
    for (int c = 0; c < cols; ++c) {
      const CMatrix expected = (targets[3 + c].Inverse() * a).ToMatrix();
      for (int k = 0; k < 9; ++k)
        ASSERT_EQ(r[k * cols + c], expected.At(k / 3, k % 3)) << c << " " << k;
    }
  }
}

TEST(FastKernels, JointAngleTermsMatchTheAngularDistance) {
  std::mt19937 rng(7);
  const int n = 23, joints = 3;
  std::vector<CQuaternion> q(n * joints);
  for (auto& x : q) x = RandomRotation(rng);
  q[5 * joints] = q[9 * joints];  // equal: dot near 1
  q[6 * joints] = {-q[9 * joints].x, -q[9 * joints].y, -q[9 * joints].z, -q[9 * joints].w};
  std::vector<float> source(n * joints * 4), target(joints * 4 * n);
  for (int f = 0; f < n; ++f)
    for (int j = 0; j < joints; ++j) {
      const CQuaternion& x = q[f * joints + j];
      const float c[4] = {x.x, x.y, x.z, x.w};
      for (int k = 0; k < 4; ++k) {
        source[(f * joints + j) * 4 + k] = c[k];
        target[(j * 4 + k) * n + f] = c[k];
      }
    }
  const double weights[joints] = {0.9, 0.25, 0.6};
  const JointQuaternions jq{source.data(), target.data(), weights, joints, n};
  std::vector<double> p(n * n);
  JointAngleTerms(jq, 0, n, 0, n, p.data(), n);
  for (int f = 0; f < n; ++f)
    for (int g = 0; g < n; ++g) {
      double expected = 0.0;
      for (int j = 0; j < joints; ++j) {
        const double theta = AngularDistance(q[f * joints + j], q[g * joints + j]);
        expected += weights[j] * theta * theta;
      }
      // The reference rounds each angle to float; ours is not rounded.
      EXPECT_NEAR(p[f * n + g], expected, 3e-7 * expected + 1e-300) << f << " " << g;
    }
}

TEST(FastKernels, DiagonalWindowSumsEqualDirectSums) {
  std::mt19937 rng(9);
  std::uniform_real_distribution<double> u(-1, 1);
  const int rows = 70, cols = 33, window = 5, ldp = cols + window - 1 + 3;
  std::vector<double> p((rows + window - 1) * ldp);
  for (auto& x : p) x = u(rng);
  std::vector<double> w(rows * cols);
  DiagonalWindowSums(p.data(), ldp, rows, cols, window, 8, w.data(), cols);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) {
      double s = 0.0;
      for (int k = 0; k < window; ++k) s += p[(r + k) * ldp + c + k];
      EXPECT_NEAR(w[r * cols + c], s, 1e-13) << r << " " << c;
    }
}

}  // namespace
}  // namespace kt::fast
