// Inner loops of the fast row scan. Built with -ffp-contract=off (some loops must round
// exactly as the reference does) and -fno-math-errno (so sqrt vectorises).
#include "graph/fast_kernels.h"

#include <algorithm>
#include <cmath>

#define KT_FAST_CLONES __attribute__((target_clones("avx512f", "avx2", "default")))

namespace kt::fast {

namespace {

constexpr double kU = 0x1p-53;

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
  const double root = std::sqrt(0.5 - 0.5 * x);  // taken for every x: no branch in the loop
  const double y = big ? root : x;
  const double a = AsinSmall(y);
  constexpr double kPiOver4 = 7.85398163397448309616e-1;
  constexpr double kPiOver2Low = 6.123233995736765886130e-17;  // pi/2 - 2 kPiOver4
  return big ? 2.0 * a : ((kPiOver4 - a) + kPiOver2Low) + kPiOver4;
}

// p[r * ldp + c] = sum over joints of term(w, float dot) for one frame-pair block; inlined
// into each clone below so that it is compiled for that clone's instruction set.
template <typename Term>
__attribute__((always_inline)) inline void JointTerms(const JointQuaternions& q, int f0, int rows,
                                                      int g0, int cols, double* p, std::size_t ldp,
                                                      Term term) {
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
        out[c] += term(w, dot);
      }
    }
  }
}

}  // namespace

double Acos01(double x) { return AcosInline(x); }

KT_FAST_CLONES
void JointAngleTerms(const JointQuaternions& q, int f0, int rows, int g0, int cols, double* p,
                     std::size_t ldp) {
  JointTerms(q, f0, rows, g0, cols, p, ldp, [](double w, float dot) {
    const double arg = std::fabs(double(dot) - 0.00001);
    const double theta = AcosInline(1.0 < arg ? 1.0 : arg);
    return w * theta * theta;
  });
}

KT_FAST_CLONES
void RotationAgreementTerms(const JointQuaternions& q, int f0, int rows, int g0, int cols,
                            double* p, std::size_t ldp) {
  // The reference's term, bit for bit.
  JointTerms(q, f0, rows, g0, cols, p, ldp,
             [](double w, float dot) { return w * (double(dot) + 1.0) * 0.5; });
}

KT_FAST_CLONES
void AlignmentMatrices(const float qa[4], const float* __restrict inverse_b, int frame_count,
                       int b0, int n, float* __restrict r) {
  const std::size_t stride = std::size_t(frame_count), plane = std::size_t(n);
  const double bx = qa[0], by = qa[1], bz = qa[2], bw = qa[3];
  // The nine output planes never overlap.
#pragma GCC ivdep
  for (int c = 0; c < n; ++c) {
    // CQuaternion::Multiply of inverse(q_b) by q_a, then Normalize, then ToMatrix.
    const double ax = inverse_b[b0 + c], ay = inverse_b[stride + b0 + c],
                 az = inverse_b[2 * stride + b0 + c], aw = inverse_b[3 * stride + b0 + c];
    const float mx = float(aw * bx + ax * bw + ay * bz - az * by);
    const float my = float(aw * by + ay * bw + az * bx - ax * bz);
    const float mz = float(aw * bz + az * bw + ax * by - ay * bx);
    const float mw = float(aw * bw - ax * bx - ay * by - az * bz);
    const double len =
        std::sqrt(double(mx) * mx + double(my) * my + double(mz) * mz + double(mw) * mw);
    const double x = float(mx / len), y = float(my / len), z = float(mz / len), w = float(mw / len);
    r[c] = float(1.0 - 2.0 * (y * y + z * z));
    r[plane + c] = float(2.0 * (x * y - w * z));
    r[2 * plane + c] = float(2.0 * (x * z + w * y));
    r[3 * plane + c] = float(2.0 * (x * y + w * z));
    r[4 * plane + c] = float(1.0 - 2.0 * (x * x + z * z));
    r[5 * plane + c] = float(2.0 * (y * z - w * x));
    r[6 * plane + c] = float(2.0 * (x * z - w * y));
    r[7 * plane + c] = float(2.0 * (y * z + w * x));
    r[8 * plane + c] = float(1.0 - 2.0 * (x * x + y * y));
  }
}

KT_FAST_CLONES
void LinearScores(const LinearRow& row, int n, float* __restrict lo, float* __restrict hi) {
  const double* __restrict sums = row.sums;
  const double slope = std::fabs(row.slope);
  for (int c = 0; c < n; ++c) {
    const double a = row.a ? row.a[c] : 0.0, b = row.b ? row.b[c] : 0.0;
    const double d = ((row.a0 + a) + row.sum_factor * sums[c]) + (row.b0 - b);
    const double est = row.base + row.slope * d;
    const double err_d = row.fixed + row.relative * std::fabs(d) + row.a_factor * (row.a0 + a) +
                         row.b_factor * (row.b0 + b);
    const double err = slope * err_d * 1.01 + 2 * kU * (std::fabs(est) + 1);
    lo[c] = float(est - err);
    hi[c] = float(est + err);
  }
}

KT_FAST_CLONES
void AlignedScores(const AlignedRow& row, int n, float* __restrict lo, float* __restrict hi) {
  const std::size_t plane = std::size_t(n);
  const float* __restrict rot = row.rotation;
  const double sa0 = row.sa[0], sa1 = row.sa[1], sa2 = row.sa[2];
  const double ra0 = row.ra[0], ra1 = row.ra[1], ra2 = row.ra[2];
#pragma GCC ivdep
  for (int c = 0; c < n; ++c) {
    // Written out in full: small inner loops here keep the compiler from vectorising over c.
    const double r0 = rot[c], r1 = rot[plane + c], r2 = rot[2 * plane + c];
    const double r3 = rot[3 * plane + c], r4 = rot[4 * plane + c], r5 = rot[5 * plane + c];
    const double r6 = rot[6 * plane + c], r7 = rot[7 * plane + c], r8 = rot[8 * plane + c];
    const double rb0 = row.rb[0][c], rb1 = row.rb[1][c], rb2 = row.rb[2][c];
    const double vb0 = row.vb[0][c], vb1 = row.vb[1][c], vb2 = row.vb[2][c];
    const double* const* g = row.g;
    const double cross =
        r0 * ((g[0][c] - sa0 * rb0) - ra0 * vb0) + r1 * ((g[1][c] - sa0 * rb1) - ra0 * vb1) +
        r2 * ((g[2][c] - sa0 * rb2) - ra0 * vb2) + r3 * ((g[3][c] - sa1 * rb0) - ra1 * vb0) +
        r4 * ((g[4][c] - sa1 * rb1) - ra1 * vb1) + r5 * ((g[5][c] - sa1 * rb2) - ra1 * vb2) +
        r6 * ((g[6][c] - sa2 * rb0) - ra2 * vb0) + r7 * ((g[7][c] - sa2 * rb1) - ra2 * vb1) +
        r8 * ((g[8][c] - sa2 * rb2) - ra2 * vb2);
    const double r[9] = {r0, r1, r2, r3, r4, r5, r6, r7, r8};
    const double t00 = r[0] * r[0] + r[3] * r[3] + r[6] * r[6];
    const double t11 = r[1] * r[1] + r[4] * r[4] + r[7] * r[7];
    const double t22 = r[2] * r[2] + r[5] * r[5] + r[8] * r[8];
    const double t01 = r[0] * r[1] + r[3] * r[4] + r[6] * r[7];
    const double t02 = r[0] * r[2] + r[3] * r[5] + r[6] * r[8];
    const double t12 = r[1] * r[2] + r[4] * r[5] + r[7] * r[8];
    const double yb = t00 * row.mb[0][c] + t11 * row.mb[1][c] + t22 * row.mb[2][c] +
                      2.0 * (t01 * row.mb[3][c] + t02 * row.mb[4][c] + t12 * row.mb[5][c]);
    const double d = (row.xa - 2.0 * cross) + yb;
    const double ad = std::fabs(d);
    const double est = 1.0 - row.norm * d;
    const double err_d = row.fixed + row.reference * std::sqrt(ad + row.fixed) + row.relative * ad;
    const double err = row.norm * err_d * 1.01 + 2 * kU * (std::fabs(est) + 1);
    lo[c] = float(est - err);
    hi[c] = float(est + err);
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
