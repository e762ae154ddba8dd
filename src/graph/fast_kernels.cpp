// Inner loops of the fast row scan. Built with -ffp-contract=off (some loops must round
// exactly as the reference does) and -fno-math-errno (so sqrt vectorises).
#include "graph/fast_kernels.h"

#include <algorithm>
#include <cmath>

#define KT_FAST_CLONES __attribute__((target_clones("avx512f", "avx2", "default")))

namespace kt::fast {

namespace {

// asin(y) for y in [0, 0.5]: y + y^3 P(y^2) / Q(y^2), a rational minimax fit (Cephes).
inline double AsinSmall(double y) {
  const double z = y * y;
  const double p = ((((4.253011369004428248960e-3 * z - 6.019598008014123785661e-1) * z +
                      5.444622390564711410273e0) *
                         z -
                     1.626247967210700244449e1) *
                        z +
                    1.956261983317594739197e1) *
                       z -
                   8.198089802484824371615e0;
  const double q = ((((z - 1.474091372988853791896e1) * z + 7.049610280856842141659e1) * z -
                     1.471791292232726029859e2) *
                        z +
                    1.395105614657485689735e2) *
                       z -
                   4.918853881490881290097e1;
  return y + y * (z * p / q);
}

// Branch-free so that loops over it vectorise: acos(x) = 2 asin(sqrt((1 - x) / 2)) above 0.5
// (no cancellation near 1, where the angles are small), pi/2 - asin(x) below.
inline double AcosInline(double x) {
  const bool big = x > 0.5;
  const double y = big ? std::sqrt(0.5 - 0.5 * x) : x;
  const double a = AsinSmall(y);
  constexpr double kPiOver4 = 7.85398163397448309616e-1;
  constexpr double kPiOver2Low = 6.123233995736765886130e-17;  // pi/2 - 2 kPiOver4
  return big ? 2.0 * a : ((kPiOver4 - a) + kPiOver2Low) + kPiOver4;
}

}  // namespace

double Acos01(double x) { return AcosInline(x); }

KT_FAST_CLONES
void JointAngleTerms(const JointQuaternions& q, int f0, int rows, int g0, int cols, double* p,
                     std::size_t ldp) {
  const std::size_t n = std::size_t(q.frame_count);
  for (int r = 0; r < rows; ++r) {
    double* out = p + std::size_t(r) * ldp;
    std::fill(out, out + cols, 0.0);
    for (int jt = 0; jt < q.joints; ++jt) {
      const float* qa = q.source + (std::size_t(f0 + r) * q.joints + jt) * 4;
      const double ax = qa[0], ay = qa[1], az = qa[2], aw = qa[3];
      const double w = q.weights[jt];
      const float* bx = q.target + std::size_t(jt) * 4 * n + g0;
      const float* by = bx + n;
      const float* bz = by + n;
      const float* bw = bz + n;
      for (int c = 0; c < cols; ++c) {
        // The reference's Dot: products and sums in double in this order, rounded to float.
        const float dot = float(ax * bx[c] + ay * by[c] + az * bz[c] + aw * bw[c]);
        const double arg = std::fabs(double(dot) - 0.00001);
        const double theta = AcosInline(1.0 < arg ? 1.0 : arg);
        out[c] += w * theta * theta;
      }
    }
  }
}

KT_FAST_CLONES
void AlignmentMatrices(const float qa[4], const float* inverse_b, int frame_count, int b0, int n,
                       float* const r[9]) {
  const std::size_t stride = std::size_t(frame_count);
  const float* ix = inverse_b + b0;
  const float* iy = ix + stride;
  const float* iz = iy + stride;
  const float* iw = iz + stride;
  const double bx = qa[0], by = qa[1], bz = qa[2], bw = qa[3];
  for (int c = 0; c < n; ++c) {
    // CQuaternion::Multiply of inverse(q_b) by q_a, then Normalize, then ToMatrix.
    const double ax = ix[c], ay = iy[c], az = iz[c], aw = iw[c];
    const float mx = float(aw * bx + ax * bw + ay * bz - az * by);
    const float my = float(aw * by + ay * bw + az * bx - ax * bz);
    const float mz = float(aw * bz + az * bw + ax * by - ay * bx);
    const float mw = float(aw * bw - ax * bx - ay * by - az * bz);
    const double len =
        std::sqrt(double(mx) * mx + double(my) * my + double(mz) * mz + double(mw) * mw);
    const double x = float(mx / len), y = float(my / len), z = float(mz / len), w = float(mw / len);
    r[0][c] = float(1.0 - 2.0 * (y * y + z * z));
    r[1][c] = float(2.0 * (x * y - w * z));
    r[2][c] = float(2.0 * (x * z + w * y));
    r[3][c] = float(2.0 * (x * y + w * z));
    r[4][c] = float(1.0 - 2.0 * (x * x + z * z));
    r[5][c] = float(2.0 * (y * z - w * x));
    r[6][c] = float(2.0 * (x * z - w * y));
    r[7][c] = float(2.0 * (y * z + w * x));
    r[8][c] = float(1.0 - 2.0 * (x * x + y * y));
  }
}

KT_FAST_CLONES
void DiagonalWindowSums(const double* p, std::size_t ldp, int rows, int cols, int window,
                        int restart, double* w, std::size_t ldw) {
  for (int r = 0; r < rows; ++r) {
    double* out = w + std::size_t(r) * ldw;
    const double* base = p + std::size_t(r) * ldp;
    const bool fresh = r % restart == 0;
    const int first_slid = fresh ? cols : 1;
    // Fresh sums for a restart row, and for column 0 of every row (it has no predecessor).
    for (int c = 0; c < first_slid; ++c) {
      double s = 0.0;
      for (int k = 0; k < window; ++k) s += base[std::size_t(k) * ldp + c + k];
      out[c] = s;
    }
    if (fresh) continue;
    const double* prev = out - ldw;
    const double* leaving = base - ldp;                             // p(r - 1, c - 1)
    const double* entering = base + std::size_t(window - 1) * ldp;  // p(r + L - 1, c + L - 1)
    for (int c = 1; c < cols; ++c)
      out[c] = (prev[c - 1] + entering[c + window - 1]) - leaving[c - 1];
  }
}

}  // namespace kt::fast
