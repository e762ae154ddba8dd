// Inner loops of the fast row scan (graph/fast_row_scan.h), private to graph/: a vectorisable
// arc cosine, the joint-angle terms of a block of frame pairs, the root alignment matrices of
// the aligned-marker score, and window sums along the diagonals of a frame-pair block.
//
// Each loop is compiled for AVX-512, AVX2 and plain x86-64 and picked at run time.
#pragma once

#include <cstddef>

namespace kt::fast {

// arccos(x) for x in [0, 1]. Its relative error against the exact arc cosine stays below
// kAcosRelativeError (checked by the tests over the whole range).
double Acos01(double x);
inline constexpr double kAcosRelativeError = 4e-16;

// Quaternions of the compared joints laid out for the joint-angle loop: the source side
// frame-major ([f][joint][x y z w]), the target side one plane per joint and component
// ([joint][component][f]) so that the loop runs along target frames.
struct JointQuaternions {
  const float* source = nullptr;  // frame_count x joints x 4
  const float* target = nullptr;  // joints x 4 x frame_count
  const double* weights = nullptr;
  int joints = 0;
  int frame_count = 0;
};

// p[r * ldp + c] = sum over joints of w * theta^2 for source frame f0 + r and target frame
// g0 + c, theta = arccos(min(|float(dot) - 0.00001|, 1)) with the dot product rounded to float
// exactly as the reference rounds it; theta itself is left unrounded.
void JointAngleTerms(const JointQuaternions& q, int f0, int rows, int g0, int cols, double* p,
                     std::size_t ldp);

// As JointAngleTerms for the rotation-agreement score: the sum over joints of
// w * (float(dot) + 1) * 0.5, each term exactly the reference's.
void RotationAgreementTerms(const JointQuaternions& q, int f0, int rows, int g0, int cols,
                            double* p, std::size_t ldp);

// The aligned-marker score's rotation R = matrix(inverse(q_b) * q_a) for one source frame a
// and the targets b0 .. b0 + n - 1, rounded to float exactly as the reference computes it.
// `inverse_b` holds the targets' inverted root rotations as four planes x, y, z, w of
// frame_count floats; `qa` is q_a (x y z w). r[k * n + c] is element k (row-major 3x3) of
// R for target b0 + c.
void AlignmentMatrices(const float qa[4], const float* inverse_b, int frame_count, int b0, int n,
                       float* r);

// One source row of scores of the form base + slope * d, with d = a0 + a[c] + sum_factor *
// sums[c] + (b0 - b[c]) (a, b may be null: zero), and their float intervals: the reference's
// float score lies in [lo[c], hi[c]] given that its d is within
// fixed + relative |d| + a_factor (a0 + a[c]) + b_factor (b0 + b[c]) of ours.
struct LinearRow {
  const double* sums = nullptr;
  const double* a = nullptr;
  const double* b = nullptr;
  double a0 = 0.0, b0 = 0.0, sum_factor = 1.0;
  double base = 1.0, slope = -1.0;
  double fixed = 0.0, relative = 0.0, a_factor = 0.0, b_factor = 0.0;
};
void LinearScores(const LinearRow& row, int n, float* lo, float* hi);

// One source row of aligned-marker scores (see fast_window_scorer.cpp for the algebra):
// D = X_a - 2 sum_pq R_pq (G_pq - S_a,p r_b,q - r_a,p V_b,q) + sum_pq (RᵀR)_pq M_b,pq, the
// score 1 - norm D, and the float interval of the reference's score given that its D is
// within fixed + reference sqrt(|D| + fixed) + relative |D| of ours. Target arrays are
// indexed by column.
struct AlignedRow {
  const double* g[9] = {};          // window sums G_pq
  const float* rotation = nullptr;  // nine planes of n (AlignmentMatrices)
  const double* rb[3] = {};         // centred target roots
  const double* vb[3] = {};         // V_b
  const double* mb[6] = {};         // M_b: xx yy zz xy xz yz
  double xa = 0.0, sa[3] = {}, ra[3] = {};
  double norm = 0.0;
  double fixed = 0.0, reference = 0.0, relative = 0.0;
};
void AlignedScores(const AlignedRow& row, int n, float* lo, float* hi);

// w[r * ldw + c] = sum over k < window of p[(r + k) * ldp + c + k], for r < rows, c < cols;
// p holds rows + window - 1 by cols + window - 1 values. Each row after the first comes from
// the one before by adding the entering term and removing the leaving one; every `restart`
// rows the sum is formed afresh, which bounds how far rounding can drift.
void DiagonalWindowSums(const double* p, std::size_t ldp, int rows, int cols, int window,
                        int restart, double* w, std::size_t ldw);

}  // namespace kt::fast
