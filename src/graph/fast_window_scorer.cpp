// The four window scorers of the fast row scan.
//
// Error bounds. u is the double unit roundoff (2^-53), uf the float one (2^-24). The bounds are
// worst-case (every rounding against us) and deliberately generous; they still sit far below
// a float ulp of the score for the marker scores, and at about one float ulp for the rotation
// scores, whose reference rounds each dot product (and joint angle) to float.
//
// Sections: shared helpers - joint angles (type 0) - rotation agreement (type 1) -
// root-relative markers (type 2) - aligned global markers (type 3) - factory.
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
// Joint angles (type 0): 1 - 0.034 * sum of w * theta^2.

class JointAngleScorer : public WindowScorer {
 public:
  explicit JointAngleScorer(const RowScanInput& in) : in_(in) {
    const std::vector<int> joints = WeightedJoints(in.angle_weights, 1);
    const size_t n = size_t(in.frame_count), jc = joints.size();
    source_.resize(n * jc * 4);
    target_.resize(jc * 4 * n);
    for (size_t jt = 0; jt < jc; ++jt) {
      weights_.push_back(in.angle_weights[joints[jt]]);
      for (size_t f = 0; f < n; ++f) {
        const CQuaternion& q = in.rotations[f * kJointCount + joints[jt]];
        const float c[4] = {q.x, q.y, q.z, q.w};
        for (int k = 0; k < 4; ++k) {
          source_[(f * jc + jt) * 4 + k] = c[k];
          target_[(jt * 4 + k) * n + f] = c[k];
        }
      }
    }
    quats_ = {source_.data(), target_.data(), weights_.data(), int(jc), in.frame_count};
    // Angles lie in [0, pi/2], so a frame pair's term is at most this.
    max_term_ = WeightSum(in.angle_weights, joints) * 2.4674011002723395;
    joint_terms_ = double(jc) * in.window;
  }

  void Score(const Tile& t, ScoreWorkspace& ws, double* estimate, double* error) const override {
    const int l = in_.window, pc = t.cols + l - 1;
    Reserve(t, l, 1, ws);
    JointAngleTerms(quats_, t.i0, t.rows + l - 1, t.j0, pc, ws.pairs.data(), pc);
    DiagonalWindowSums(ws.pairs.data(), pc, t.rows, t.cols, l, kRestart, ws.sums.data(), t.cols);
    // The reference rounds each angle to float: 2 uf relative per term, plus our arc cosine's
    // error and the double sums' (in any order) on both sides.
    const double relative =
        (2.0 * kUf + 4.0 * kAcosRelativeError + (joint_terms_ + 16) * kU) * 1.02;
    const double slide = kU * SlideRoundings(l) * max_term_;
    const size_t count = size_t(t.rows) * t.cols;
    for (size_t x = 0; x < count; ++x) {
      const double d = ws.sums[x];
      estimate[x] = 1.0 - 0.034 * d;
      error[x] = 0.034 * (relative * std::fabs(d) + slide) * 1.01 + 2 * kU * (std::fabs(d) + 1);
    }
  }

 private:
  const RowScanInput& in_;
  std::vector<float> source_, target_;
  std::vector<double> weights_;
  JointQuaternions quats_;
  double max_term_ = 0.0;
  double joint_terms_ = 0.0;
};

// ---------------------------------------------------------------------------------------------
// Rotation agreement (type 1): sum of w * (dot + 1) / 2 over the window, over 31 L. Linear in
// the dot products, so the frame-pair terms are one product of weighted quaternion rows.

class RotationAgreementScorer : public WindowScorer {
 public:
  explicit RotationAgreementScorer(const RowScanInput& in) : in_(in) {
    const std::vector<int> joints = WeightedJoints(in.angle_weights, 1);
    const size_t n = size_t(in.frame_count);
    k_ = int(joints.size()) * 4;
    weighted_.resize(n * k_);
    plain_.resize(n * k_);
    double max_norm2 = 0.0;
    for (size_t f = 0; f < n; ++f) {
      for (size_t jt = 0; jt < joints.size(); ++jt) {
        const CQuaternion& q = in.rotations[f * kJointCount + joints[jt]];
        const double c[4] = {q.x, q.y, q.z, q.w};
        const double w = in.angle_weights[joints[jt]];
        for (int k = 0; k < 4; ++k) {
          plain_[f * k_ + jt * 4 + k] = c[k];
          weighted_[f * k_ + jt * 4 + k] = w * c[k];
        }
        max_norm2 = std::max(max_norm2, c[0] * c[0] + c[1] * c[1] + c[2] * c[2] + c[3] * c[3]);
      }
    }
    weight_sum_ = 0.0;
    for (int j : joints) weight_sum_ += in.angle_weights[j];
    // |dot| <= max |q|^2. The reference rounds each dot to float (uf), sums L * joints terms;
    // ours has k-term products and the window sums.
    const double wl = WeightSum(in.angle_weights, joints) * in.window;
    const double dot_bound = max_norm2 * (1 + 1e-12);
    const double joint_terms = double(joints.size()) * in.window;
    const double error_s = 0.5 * (kUf + 5 * kU) * dot_bound * wl +
                           kU * (joint_terms + 4) * wl * (dot_bound + 1) +
                           0.5 * kU * (k_ + 2) * dot_bound * wl * 1.02 +
                           0.5 * kU * SlideRoundings(in.window) * dot_bound * wl / in.window;
    error_ = error_s / (double(kJointCount) * in.window) * 1.01;
  }

  void Score(const Tile& t, ScoreWorkspace& ws, double* estimate, double* error) const override {
    const int l = in_.window, pr = t.rows + l - 1, pc = t.cols + l - 1;
    Reserve(t, l, 1, ws);
    FramePairProducts(weighted_.data() + size_t(t.i0) * k_, pr, plain_.data() + size_t(t.j0) * k_,
                      pc, k_, ws.pairs.data(), ws);
    DiagonalWindowSums(ws.pairs.data(), pc, t.rows, t.cols, l, kRestart, ws.sums.data(), t.cols);
    const double scale = 1.0 / (double(kJointCount) * l);
    const size_t count = size_t(t.rows) * t.cols;
    for (size_t x = 0; x < count; ++x) {
      estimate[x] = 0.5 * (ws.sums[x] + l * weight_sum_) * scale;
      error[x] = error_ + 2 * kU * std::fabs(estimate[x]);
    }
  }

 private:
  const RowScanInput& in_;
  int k_ = 0;
  std::vector<double> weighted_, plain_;
  double weight_sum_ = 0.0;
  double error_ = 0.0;
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

  void Score(const Tile& t, ScoreWorkspace& ws, double* estimate, double* error) const override {
    const int l = in_.window, pr = t.rows + l - 1, pc = t.cols + l - 1;
    Reserve(t, l, 1, ws);
    FramePairProducts(weighted_.data() + size_t(t.i0) * k_, pr, plain_.data() + size_t(t.j0) * k_,
                      pc, k_, ws.pairs.data(), ws);
    DiagonalWindowSums(ws.pairs.data(), pc, t.rows, t.cols, l, kRestart, ws.sums.data(), t.cols);
    const double max_norm =
        std::max(*std::max_element(norm_.begin() + t.i0, norm_.begin() + t.i0 + pr),
                 *std::max_element(norm_.begin() + t.j0, norm_.begin() + t.j0 + pc));
    const double slide = slide_factor_ * max_norm;
    for (int r = 0; r < t.rows; ++r) {
      const int i = t.i0 + r;
      const double* w = ws.sums.data() + size_t(r) * t.cols;
      double* est = estimate + size_t(r) * t.cols;
      double* err = error + size_t(r) * t.cols;
      for (int c = 0; c < t.cols; ++c) {
        const int j = t.j0 + c;
        const double norms = window_norm_[i] + window_norm_[j];
        const double speed = travel_[i] - travel_[j];
        const double d = (norms - 2.0 * w[c]) + speed;
        est[c] = 1.0 - 0.06666667 * d;
        const double err_d =
            norm_factor_ * norms + slide + 4 * kU * (travel_[i] + travel_[j] + std::fabs(d));
        err[c] = 0.06666667 * err_d * 1.01 + 2 * kU * (std::fabs(est[c]) + 1);
      }
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

  void Score(const Tile& t, ScoreWorkspace& ws, double* estimate, double* error) const override {
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
      AlignedScores(row, t.cols, estimate + size_t(r) * t.cols, error + size_t(r) * t.cols);
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
  void Score(const Tile& t, ScoreWorkspace&, double* estimate, double* error) const override {
    const size_t count = size_t(t.rows) * t.cols;
    std::fill(estimate, estimate + count, 0.0);
    std::fill(error, error + count, 0.0);
  }
};

}  // namespace

std::unique_ptr<WindowScorer> MakeWindowScorer(const RowScanInput& input) {
  switch (input.eval_type) {
    case 0:
      return std::make_unique<JointAngleScorer>(input);
    case 1:
      return std::make_unique<RotationAgreementScorer>(input);
    case 2:
      return std::make_unique<RelativeMarkerScorer>(input);
    case 3:
      return std::make_unique<AlignedMarkerScorer>(input);
    default:
      return std::make_unique<ZeroScorer>();
  }
}

}  // namespace kt::fast
