// The four window scorers of the fast row scan.
//
// Error bounds. u is the double unit roundoff (2^-53), uf the float one (2^-24). The bounds are
// worst-case (every rounding against us) and deliberately generous; they still sit far below
// a float ulp of the score for the marker scores, and at about one float ulp for the rotation
// scores, whose reference rounds each dot product (and joint angle) to float.
//
// Sections: weighted joints and workspaces - joint angles (type 0) - rotation agreement
// (type 1) - root-relative markers (type 2) - aligned global markers (type 3) - factory.
#include "graph/fast_window_scorer.h"

#include <cblas.h>

#include <algorithm>
#include <chrono>
#include <cmath>

#include "graph/fast_kernels.h"
#include "graph/window_score.h"

namespace kt::fast {

namespace {

constexpr double kU = 0x1p-53;
constexpr double kUf = 0x1p-24;
// Rows between fresh window sums (see DiagonalWindowSums).
constexpr int kRestart = 32;

// Window sums along a diagonal drift by at most this many roundings of (L + 1) * max |term|.
double SlideRoundings(int window) { return double(window + 2 * kRestart) * (window + 1); }

std::vector<int> WeightedJoints(std::span<const float> weights, int first) {
  std::vector<int> joints;
  for (int j = first; j < kJointCount; ++j)
    if (weights[j] != 0.0f) joints.push_back(j);
  return joints;
}

double WeightSum(std::span<const float> weights, const std::vector<int>& joints) {
  double s = 0.0;
  for (int j : joints) s += std::fabs(double(weights[j]));
  return s;
}

// c = a_rows x b_rowsᵀ for frame-major feature rows of length k.
void FramePairProducts(const double* a, int a_rows, const double* b, int b_rows, int k, double* c,
                       ScoreWorkspace& ws) {
  const auto start = std::chrono::steady_clock::now();
  cblas_dgemm(CblasRowMajor, CblasNoTrans, CblasTrans, a_rows, b_rows, k, 1.0, a, k, b, k, 0.0, c,
              b_rows);
  ws.gemm_seconds +=
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Pair terms and window sums of one tile, `planes` of each.
void Reserve(const Tile& t, int window, int planes, ScoreWorkspace& ws) {
  const size_t pair_plane = size_t(t.rows + window - 1) * (t.cols + window - 1);
  ws.pairs.resize(pair_plane * planes);
  ws.sums.resize(size_t(t.rows) * t.cols * planes);
}

// ---------------------------------------------------------------------------------------------
// Joint angles (type 0): 1 - 0.034 * sum of w * theta^2; rotation agreement (type 1): the sum
// of w * (dot + 1) / 2 over 31 L. Both sum a term per joint that is not linear in the
// quaternions once the reference rounds each dot product to float, so the frame-pair terms
// come from a vectorised loop that rounds the dot products as the reference does (for type 1
// each term is then exactly the reference's, and only the order of the sums differs).

class JointRotationScorer : public WindowScorer {
 public:
  explicit JointRotationScorer(const RowScanInput& in)
      : in_(in), angles_(in.eval_type == kEvalJointAngles) {
    const std::vector<int> joints = WeightedJoints(in.angle_weights, 1);
    const size_t n = size_t(in.frame_count), jc = joints.size();
    source_.resize(n * jc * 4);
    target_.resize(jc * 4 * n);
    double max_norm2 = 0.0;
    for (size_t jt = 0; jt < jc; ++jt) {
      weights_.push_back(in.angle_weights[joints[jt]]);
      for (size_t f = 0; f < n; ++f) {
        const CQuaternion& q = in.rotations[f * kJointCount + joints[jt]];
        const float c[4] = {q.x, q.y, q.z, q.w};
        for (int k = 0; k < 4; ++k) {
          source_[(f * jc + jt) * 4 + k] = c[k];
          target_[(jt * 4 + k) * n + f] = c[k];
        }
        max_norm2 = std::max(max_norm2, double(c[0]) * c[0] + double(c[1]) * c[1] +
                                            double(c[2]) * c[2] + double(c[3]) * c[3]);
      }
    }
    quats_ = {source_.data(), target_.data(), weights_.data(), int(jc), in.frame_count};
    const double weight_sum = WeightSum(in.angle_weights, joints);
    // A frame pair's term is at most this: angles lie in [0, pi/2]; |dot| <= max |q|^2.
    max_term_ = weight_sum * (angles_ ? 2.4674011002723395 : (1 + max_norm2) * 0.5 * 1.01);
    joint_terms_ = double(jc) * in.window;
  }

  void Score(const Tile& t, ScoreWorkspace& ws, float* lo, float* hi) const override {
    const int l = in_.window, pc = t.cols + l - 1;
    Reserve(t, l, 1, ws);
    if (angles_)
      JointAngleTerms(quats_, t.i0, t.rows + l - 1, t.j0, pc, ws.pairs.data(), pc);
    else
      RotationAgreementTerms(quats_, t.i0, t.rows + l - 1, t.j0, pc, ws.pairs.data(), pc);
    DiagonalWindowSums(ws.pairs.data(), pc, t.rows, t.cols, l, kRestart, ws.sums.data(), t.cols);
    LinearRow row;
    // Both sides sum L * joints terms in double, in different orders.
    const double sums = kU * ((joint_terms_ + 16) * l * max_term_ + SlideRoundings(l) * max_term_);
    if (angles_) {
      // The reference rounds each angle to float: 2 uf relative per term, plus our arc
      // cosine's error.
      row.slope = -0.034;
      row.relative = (2.0 * kUf + 4.0 * kAcosRelativeError) * 1.02;
      row.fixed = sums;
    } else {
      row.base = 0.0;
      row.slope = 1.0 / (double(kJointCount) * l);
      row.fixed = sums;
    }
    for (int r = 0; r < t.rows; ++r) {
      row.sums = ws.sums.data() + size_t(r) * t.cols;
      LinearScores(row, t.cols, lo + size_t(r) * t.cols, hi + size_t(r) * t.cols);
    }
  }

 private:
  const RowScanInput& in_;
  bool angles_;  // type 0, else type 1
  std::vector<float> source_, target_;
  std::vector<double> weights_;
  JointQuaternions quats_;
  double max_term_ = 0.0;
  double joint_terms_ = 0.0;
};

// ---------------------------------------------------------------------------------------------
// Root-relative markers (type 2): 1 - 0.06666667 * (sum of w |m_a - m_b|^2 + Va - Vb).
// |x - y|^2 = |x|^2 + |y|^2 - 2 x.y: the norms are per window, the cross terms one product of
// weighted marker rows. Markers are first centred on each joint's mean (a float, so the
// centring is exact in double), which changes no difference and shrinks the norms.

// The reference's root distance over the window at f, operation for operation.
double RootTravel(const RowScanInput& in, int f) {
  double v = 0.0;
  for (int k = 1; k < in.window; ++k) {
    const CVector& a = in.root_positions[f + k];
    const CVector& b = in.root_positions[f + k - 1];
    const double dx = double(a.x) - b.x, dy = double(a.y) - b.y, dz = double(a.z) - b.z;
    v += std::sqrt(dx * dx + dy * dy + dz * dz);
  }
  return v;
}

// Per-joint mean of the markers over all frames, rounded to float.
std::vector<CVector> JointMeans(const RowScanInput& in, const std::vector<int>& joints) {
  std::vector<CVector> means;
  const size_t n = size_t(in.frame_count);
  for (int j : joints) {
    double s[3] = {0, 0, 0};
    for (size_t f = 0; f < n; ++f) {
      const CVector& m = in.markers[f * kJointCount + j];
      s[0] += m.x, s[1] += m.y, s[2] += m.z;
    }
    means.push_back({float(s[0] / n), float(s[1] / n), float(s[2] / n)});
  }
  return means;
}

class RelativeMarkerScorer : public WindowScorer {
 public:
  explicit RelativeMarkerScorer(const RowScanInput& in) : in_(in) {
    const std::vector<int> joints = WeightedJoints(in.marker_weights, 0);
    const std::vector<CVector> means = JointMeans(in, joints);
    const int n = in.frame_count, l = in.window;
    k_ = int(joints.size()) * 3;
    weighted_.resize(size_t(n) * k_);
    plain_.resize(size_t(n) * k_);
    norm_.assign(n, 0.0);
    for (int f = 0; f < n; ++f) {
      for (size_t jt = 0; jt < joints.size(); ++jt) {
        const CVector& m = in.markers[size_t(f) * kJointCount + joints[jt]];
        const double w = in.marker_weights[joints[jt]];
        const double c[3] = {double(m.x) - means[jt].x, double(m.y) - means[jt].y,
                             double(m.z) - means[jt].z};
        for (int k = 0; k < 3; ++k) {
          plain_[size_t(f) * k_ + jt * 3 + k] = c[k];
          weighted_[size_t(f) * k_ + jt * 3 + k] = w * c[k];
          norm_[f] += std::fabs(w) * c[k] * c[k];
        }
      }
    }
    window_norm_.assign(n - l + 1, 0.0);
    travel_.assign(n - l + 1, 0.0);
    for (int f = 0; f + l <= n; ++f) {
      for (int k = 0; k < l; ++k) window_norm_[f] += norm_[f + k];
      travel_[f] = RootTravel(in, f);
    }
    const double joint_terms = double(joints.size()) * l;
    // Products (k terms), window sums, the norms and the reference's own L * joints sum; the
    // reference's difference can be at most twice the two norms.
    norm_factor_ = kU * (0.51 * (k_ + 2) + l + 6 + 2 * (joint_terms + 6));
    slide_factor_ = kU * SlideRoundings(l);
  }

  void Score(const Tile& t, ScoreWorkspace& ws, float* lo, float* hi) const override {
    const int l = in_.window, pr = t.rows + l - 1, pc = t.cols + l - 1;
    Reserve(t, l, 1, ws);
    FramePairProducts(weighted_.data() + size_t(t.i0) * k_, pr, plain_.data() + size_t(t.j0) * k_,
                      pc, k_, ws.pairs.data(), ws);
    DiagonalWindowSums(ws.pairs.data(), pc, t.rows, t.cols, l, kRestart, ws.sums.data(), t.cols);
    const double max_norm =
        std::max(*std::max_element(norm_.begin() + t.i0, norm_.begin() + t.i0 + pr),
                 *std::max_element(norm_.begin() + t.j0, norm_.begin() + t.j0 + pc));
    // d = (|a|^2 + |b|^2 - 2 cross) + (Va - Vb), score 1 - 0.06666667 d
    LinearRow row;
    row.a = window_norm_.data() + t.j0;
    row.b = travel_.data() + t.j0;
    row.sum_factor = -2.0;
    row.slope = -0.06666667;
    row.fixed = slide_factor_ * max_norm;
    row.relative = 4 * kU;
    row.a_factor = norm_factor_;
    row.b_factor = 4 * kU;
    for (int r = 0; r < t.rows; ++r) {
      row.sums = ws.sums.data() + size_t(r) * t.cols;
      row.a0 = window_norm_[t.i0 + r];
      row.b0 = travel_[t.i0 + r];
      LinearScores(row, t.cols, lo + size_t(r) * t.cols, hi + size_t(r) * t.cols);
    }
  }

 private:
  const RowScanInput& in_;
  int k_ = 0;
  std::vector<double> weighted_, plain_, norm_, window_norm_, travel_;
  double norm_factor_ = 0.0, slide_factor_ = 0.0;
};

// ---------------------------------------------------------------------------------------------
// Aligned global markers (type 3): 1 - K * sum of w |x - R v|^2, x = g(a + k) - root(a),
// v = g(b + k) - root(b), R the float rotation aligning b's root to a's.
// |x - R v|^2 = |x|^2 - 2 x.R v + v.(RᵀR) v (R is not exactly orthogonal), so per pair
//   D = X_a - 2 sum_pq R_pq C_pq + sum_pq (RᵀR)_pq M_b,pq
// with X_a = sum w |x|^2 and M_b = sum w v vᵀ per window and C = sum w x vᵀ, which is
//   C = G - S_a r_bᵀ - r_a V_bᵀ,  G_pq = window sum of sum_j w g_p(a + k, j) g_q(b + k, j),
// S_a = sum w g over a's window, V_b = sum w v over b's, all positions centred on the mean
// root position (exactly, as in type 2). G takes nine products, one per (p, q).

// Per-window terms, one array per component so that a row of targets reads them in order.
struct AlignedWindows {
  std::vector<double> x_norm;   // X_a
  std::vector<double> s[3];     // S_a (centred)
  std::vector<double> v[3];     // V_b
  std::vector<double> m[6];     // M_b: xx yy zz xy xz yz
  std::vector<double> root[3];  // centred root position of the window's first frame
};

class AlignedMarkerScorer : public WindowScorer {
 public:
  explicit AlignedMarkerScorer(const RowScanInput& in) : in_(in) {
    const std::vector<int> joints = WeightedJoints(in.marker_weights, 0);
    const int n = in.frame_count, l = in.window;
    k_ = int(joints.size());
    CenterOnMeanRoot();
    for (int p = 0; p < 3; ++p) {
      weighted_[p].resize(size_t(n) * k_);
      plain_[p].resize(size_t(n) * k_);
    }
    magnitude_.assign(n, 0.0);
    raw_magnitude_.assign(n, 0.0);
    for (int f = 0; f < n; ++f) {
      const CVector& root = in.root_positions[f];
      raw_magnitude_[f] = Length(root.x, root.y, root.z);
      magnitude_[f] = Length(double(root.x) - center_[0], double(root.y) - center_[1],
                             double(root.z) - center_[2]);
      for (int jt = 0; jt < k_; ++jt) {
        const CVector& g = in.markers[size_t(f) * kJointCount + joints[jt]];
        const double w = in.marker_weights[joints[jt]];
        const double c[3] = {double(g.x) - center_[0], double(g.y) - center_[1],
                             double(g.z) - center_[2]};
        for (int p = 0; p < 3; ++p) {
          plain_[p][size_t(f) * k_ + jt] = c[p];
          weighted_[p][size_t(f) * k_ + jt] = w * c[p];
        }
        magnitude_[f] = std::max(magnitude_[f], Length(c[0], c[1], c[2]));
        raw_magnitude_[f] = std::max(raw_magnitude_[f], Length(g.x, g.y, g.z));
      }
    }
    inverse_roots_.resize(size_t(4) * n);
    for (int f = 0; f < n; ++f) {
      const CQuaternion q = in.rotations[size_t(f) * kJointCount].Inverse();
      const float c[4] = {q.x, q.y, q.z, q.w};
      for (int k = 0; k < 4; ++k) inverse_roots_[size_t(k) * n + f] = c[k];
    }
    FillWindows(joints);
    weight_sum_ = WeightSum(in.marker_weights, joints);
    joint_terms_ = double(k_) * l;
    norm_ = 1.0 / (std::pow(kScoreMotionScale * 16.666666666666668, 2) * 15.0);
  }

  void Score(const Tile& t, ScoreWorkspace& ws, float* lo, float* hi) const override {
    const int l = in_.window, pr = t.rows + l - 1, pc = t.cols + l - 1;
    Reserve(t, l, 9, ws);
    // One product of the three stacked source components by the three stacked target ones:
    // block (p, q) of the (3 pr) x (3 pc) result holds the frame-pair terms of G_pq.
    ws.source.resize(size_t(3) * pr * k_);
    ws.target.resize(size_t(3) * pc * k_);
    for (int p = 0; p < 3; ++p) {
      std::copy_n(weighted_[p].data() + size_t(t.i0) * k_, size_t(pr) * k_,
                  ws.source.data() + size_t(p) * pr * k_);
      std::copy_n(plain_[p].data() + size_t(t.j0) * k_, size_t(pc) * k_,
                  ws.target.data() + size_t(p) * pc * k_);
    }
    FramePairProducts(ws.source.data(), 3 * pr, ws.target.data(), 3 * pc, k_, ws.pairs.data(), ws);
    const size_t sum_plane = size_t(t.rows) * t.cols, ld = size_t(3) * pc;
    for (int p = 0; p < 3; ++p)
      for (int q = 0; q < 3; ++q)
        DiagonalWindowSums(ws.pairs.data() + size_t(p) * pr * ld + size_t(q) * pc, ld, t.rows,
                           t.cols, l, kRestart, ws.sums.data() + (p * 3 + q) * sum_plane, t.cols);
    const Bounds b = TileBounds(t);
    ws.rotation.resize(size_t(9) * t.cols);
    AlignedRow row;
    row.rotation = ws.rotation.data();
    for (int k = 0; k < 3; ++k) {
      row.rb[k] = windows_.root[k].data() + t.j0;
      row.vb[k] = windows_.v[k].data() + t.j0;
    }
    for (int k = 0; k < 6; ++k) row.mb[k] = windows_.m[k].data() + t.j0;
    row.norm = norm_;
    row.fixed = b.fixed;
    row.reference = b.reference;
    row.relative = kU * (joint_terms_ + 8);
    for (int r = 0; r < t.rows; ++r) {
      const int i = t.i0 + r;
      const CQuaternion& qa = in_.rotations[size_t(i) * kJointCount];
      const float qa4[4] = {qa.x, qa.y, qa.z, qa.w};
      AlignmentMatrices(qa4, inverse_roots_.data(), in_.frame_count, t.j0, t.cols,
                        ws.rotation.data());
      for (int k = 0; k < 9; ++k) row.g[k] = ws.sums.data() + k * sum_plane + size_t(r) * t.cols;
      row.xa = windows_.x_norm[i];
      for (int p = 0; p < 3; ++p) {
        row.sa[p] = windows_.s[p][i];
        row.ra[p] = windows_.root[p][i];
      }
      AlignedScores(row, t.cols, lo + size_t(r) * t.cols, hi + size_t(r) * t.cols);
    }
  }

 private:
  // Per-tile parts of the error bound (see TileBounds).
  struct Bounds {
    double fixed = 0.0;      // every pair: products, sums, the per-window terms
    double reference = 0.0;  // times sqrt(W L D): the reference's rounding of p near root(a)
  };

  static double Length(double x, double y, double z) { return std::sqrt(x * x + y * y + z * z); }

  void CenterOnMeanRoot() {
    double s[3] = {0, 0, 0};
    for (int f = 0; f < in_.frame_count; ++f) {
      const CVector& r = in_.root_positions[f];
      s[0] += r.x, s[1] += r.y, s[2] += r.z;
    }
    for (int p = 0; p < 3; ++p) center_[p] = float(s[p] / in_.frame_count);
  }

  void FillWindows(const std::vector<int>& joints) {
    const size_t count = size_t(in_.frame_count - in_.window + 1);
    AlignedWindows& w = windows_;
    w.x_norm.assign(count, 0.0);
    for (auto* planes : {w.s, w.v, w.root})
      for (int p = 0; p < 3; ++p) planes[p].assign(count, 0.0);
    for (auto& plane : w.m) plane.assign(count, 0.0);
    for (size_t f = 0; f < count; ++f) {
      const CVector& root = in_.root_positions[f];
      const double rc[3] = {double(root.x) - center_[0], double(root.y) - center_[1],
                            double(root.z) - center_[2]};
      for (int p = 0; p < 3; ++p) w.root[p][f] = rc[p];
      for (int k = 0; k < in_.window; ++k) {
        for (int j : joints) {
          const CVector& g = in_.markers[(f + k) * kJointCount + j];
          const double wt = in_.marker_weights[j];
          const double x[3] = {double(g.x) - root.x, double(g.y) - root.y, double(g.z) - root.z};
          const double c[3] = {double(g.x) - center_[0], double(g.y) - center_[1],
                               double(g.z) - center_[2]};
          w.x_norm[f] += wt * (x[0] * x[0] + x[1] * x[1] + x[2] * x[2]);
          for (int p = 0; p < 3; ++p) {
            w.s[p][f] += wt * c[p];
            w.v[p][f] += wt * x[p];
          }
          w.m[0][f] += wt * x[0] * x[0], w.m[1][f] += wt * x[1] * x[1];
          w.m[2][f] += wt * x[2] * x[2], w.m[3][f] += wt * x[0] * x[1];
          w.m[4][f] += wt * x[0] * x[2], w.m[5][f] += wt * x[1] * x[2];
        }
      }
    }
  }

  // With A the largest centred magnitude (marker or root) of the tile's frames, every product
  // and window sum is at most W L A^2 (x, v up to 2A); the bound adds up the roundings of the
  // products, window sums, per-window sums, the assembly of C and D, and the reference's.
  Bounds TileBounds(const Tile& t) const {
    const int l = in_.window, pr = t.rows + l - 1, pc = t.cols + l - 1;
    auto max_of = [](const std::vector<double>& v, int from, int count) {
      return *std::max_element(v.begin() + from, v.begin() + from + count);
    };
    const double a = std::max(max_of(magnitude_, t.i0, pr), max_of(magnitude_, t.j0, pc));
    const double a_raw =
        std::max(max_of(raw_magnitude_, t.i0, pr), max_of(raw_magnitude_, t.j0, pc));
    const double wl = weight_sum_ * l, wla2 = wl * a * a;
    const double err_g = kU * wla2 * (k_ + 2 + SlideRoundings(l) / l);
    const double err_window = kU * (joint_terms_ * 4 + 8) * 4 * wla2;
    const double err_c = err_g + 21 * kU * wla2 + 4 * err_window;
    const double r_sum = 9.01;  // sum of |R_pq|: R comes from a normalised quaternion
    const double err_cross = r_sum * (err_c + 9 * kU * 4 * wla2);
    const double err_yb = 9 * (3.01 * err_window + 18.1 * kU * 4 * wla2);
    const double err_combine = 4 * kU * (4 * wla2 * (1 + 2 * r_sum + 9 * 3.01));
    Bounds b;
    b.fixed = 1.1 * (2 * err_cross + err_window + err_yb + err_combine +
                     kU * (joint_terms_ + 4) * 4 * wla2 * 9);
    b.reference = 1.1 * 10 * kU * (a_raw + 6 * a) * std::sqrt(wl);
    return b;
  }

  const RowScanInput& in_;
  int k_ = 0;
  float center_[3] = {0, 0, 0};
  std::vector<double> weighted_[3], plain_[3];
  std::vector<double> magnitude_, raw_magnitude_;
  std::vector<float> inverse_roots_;
  AlignedWindows windows_;
  double weight_sum_ = 0.0, joint_terms_ = 0.0, norm_ = 0.0;
};

// ---------------------------------------------------------------------------------------------
// Unknown types score 0 everywhere, exactly.

class ZeroScorer : public WindowScorer {
 public:
  void Score(const Tile& t, ScoreWorkspace&, float* lo, float* hi) const override {
    const size_t count = size_t(t.rows) * t.cols;
    std::fill(lo, lo + count, 0.0f);
    std::fill(hi, hi + count, 0.0f);
  }
};

}  // namespace

std::unique_ptr<WindowScorer> MakeWindowScorer(const RowScanInput& input) {
  switch (input.eval_type) {
    case kEvalJointAngles:
    case kEvalRotationAgreement:
      return std::make_unique<JointRotationScorer>(input);
    case kEvalRelativeMarkers:
      return std::make_unique<RelativeMarkerScorer>(input);
    case kEvalAlignedMarkers:
      return std::make_unique<AlignedMarkerScorer>(input);
    default:
      return std::make_unique<ZeroScorer>();
  }
}

}  // namespace kt::fast
