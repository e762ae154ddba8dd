// The four window scores: joint angles, rotation agreement, root-relative markers and aligned
// global markers.
#include "graph/window_score.h"

#include <algorithm>
#include <cmath>

#include "console/log.h"

namespace kt {

const float kAngleWeights[kJointCount] = {
    0.0f,                                  // root: never compared
    0.6f, 0.9f, 0.4f,  0.25f, 0.0f,        // lhipjoint lfemur ltibia lfoot ltoes
    0.6f, 0.9f, 0.4f,  0.25f, 0.0f,        // rhipjoint rfemur rtibia rfoot rtoes
    0.7f, 0.6f, 0.6f,  0.8f,  0.7f, 0.0f,  // lowerback upperback thorax lowerneck upperneck head
    0.6f, 0.9f, 0.85f, 0.7f,  0.3f, 0.0f, 0.0f,  // lclavicle .. lthumb
    0.6f, 0.9f, 0.85f, 0.7f,  0.3f, 0.0f, 0.0f,  // rclavicle .. rthumb
};

const float kMarkerWeights[kJointCount] = {
    1.0f,                                        // root
    0.0f, 1.0f, 1.0f, 1.0f,  0.0f,               // left leg
    0.0f, 1.0f, 1.0f, 1.0f,  0.0f,               // right leg
    0.6f, 0.7f, 0.8f, 0.85f, 0.9f,  0.9f,        // spine, neck, head
    0.6f, 0.6f, 0.7f, 0.85f, 0.95f, 0.0f, 0.0f,  // left arm
    0.6f, 0.6f, 0.7f, 0.85f, 0.95f, 0.0f, 0.0f,  // right arm
};

std::optional<float> SuggestedThreshold(int eval_type) {
  switch (eval_type) {
    case kEvalJointAngles:
      return 0.96f;
    case kEvalRotationAgreement:
      return 0.47f;
    case kEvalRelativeMarkers:
      return 0.96f;
    default:
      return std::nullopt;
  }
}

namespace {

double SquaredDistance(const CVector& a, const CVector& b) {
  const double dx = double(a.x) - b.x, dy = double(a.y) - b.y, dz = double(a.z) - b.z;
  return dx * dx + dy * dy + dz * dz;
}

const CQuaternion& Rotation(const RowScanInput& in, int frame, int joint) {
  return in.rotations[size_t(frame) * kJointCount + joint];
}

const CVector& Marker(const RowScanInput& in, int frame, int joint) {
  return in.markers[size_t(frame) * kJointCount + joint];
}

double JointAngleScore(const RowScanInput& in, int a, int b) {
  double d = 0.0;
  for (int k = 0; k < in.window; ++k) {
    for (int j = 1; j < kJointCount; ++j) {
      if (in.angle_weights[j] == 0.0f) continue;
      const double theta = AngularDistance(Rotation(in, a + k, j), Rotation(in, b + k, j));
      d += in.angle_weights[j] * theta * theta;
    }
  }
  return 1.0 - 0.034 * d;
}

double RotationAgreementScore(const RowScanInput& in, int a, int b) {
  double s = 0.0;
  for (int k = 0; k < in.window; ++k) {
    for (int j = 1; j < kJointCount; ++j) {
      if (in.angle_weights[j] == 0.0f) continue;
      const double dot = Dot(Rotation(in, a + k, j), Rotation(in, b + k, j));
      s += in.angle_weights[j] * (dot + 1.0) * 0.5;
    }
  }
  return s / (double(kJointCount) * in.window);
}

// Root distance travelled over the window at f.
double RootTravel(const RowScanInput& in, int f) {
  double v = 0.0;
  for (int k = 1; k < in.window; ++k)
    v += std::sqrt(SquaredDistance(in.root_positions[f + k], in.root_positions[f + k - 1]));
  return v;
}

double RelativeMarkerScore(const RowScanInput& in, int a, int b, bool log_pair) {
  double d = 0.0;
  for (int k = 0; k < in.window; ++k) {
    for (int j = 0; j < kJointCount; ++j) {
      if (in.marker_weights[j] == 0.0f) continue;
      d += in.marker_weights[j] * SquaredDistance(Marker(in, a + k, j), Marker(in, b + k, j));
    }
  }
  const double va = RootTravel(in, a);
  const double vb = RootTravel(in, b);
  d += va - vb;  // signed on purpose: the score is not symmetric
  if (log_pair) LogPrintf("DIST %d to %d: %f score: %f", a, b, std::fabs(va - vb), d);
  return 1.0 - 0.06666667 * d;
}

double AlignedMarkerScore(const RowScanInput& in, int a, int b, bool log_pair) {
  static const double kNorm = 1.0 / (std::pow(kScoreMotionScale * 16.666666666666668, 2) * 15.0);
  const CQuaternion q = Rotation(in, b, 0).Inverse() * Rotation(in, a, 0);
  const CMatrix r = q.ToMatrix();
  const CVector& root_a = in.root_positions[a];
  const CVector& root_b = in.root_positions[b];
  double d = 0.0;
  for (int k = 0; k < in.window; ++k) {
    for (int j = 0; j < kJointCount; ++j) {
      if (in.marker_weights[j] == 0.0f) continue;
      const CVector& g = Marker(in, b + k, j);
      const double v[3] = {double(g.x) - root_b.x, double(g.y) - root_b.y, double(g.z) - root_b.z};
      const double p[3] = {root_a.x + r.At(0, 0) * v[0] + r.At(0, 1) * v[1] + r.At(0, 2) * v[2],
                           root_a.y + r.At(1, 0) * v[0] + r.At(1, 1) * v[1] + r.At(1, 2) * v[2],
                           root_a.z + r.At(2, 0) * v[0] + r.At(2, 1) * v[1] + r.At(2, 2) * v[2]};
      const CVector& ga = Marker(in, a + k, j);
      const double dx = ga.x - p[0], dy = ga.y - p[1], dz = ga.z - p[2];
      d += in.marker_weights[j] * (dx * dx + dy * dy + dz * dz);
    }
  }
  const double score = 1.0 - kNorm * d;
  if (log_pair) LogPrintf("EVAL: %f", score);
  return score;
}

}  // namespace

float ScoreWindows(const RowScanInput& in, int a, int b, bool log_pair) {
  if (a < 0 || b < 0 || in.window < 1) return 0.0f;
  if (a + in.window > in.frame_count || b + in.window > in.frame_count) return 0.0f;
  const size_t needed = size_t(in.frame_count) * kJointCount;
  if (UsesMarkers(in.eval_type) && in.markers.size() < needed) return 0.0f;
  switch (in.eval_type) {
    case kEvalJointAngles:
      return float(JointAngleScore(in, a, b));
    case kEvalRotationAgreement:
      return float(RotationAgreementScore(in, a, b));
    case kEvalRelativeMarkers:
      return float(RelativeMarkerScore(in, a, b, log_pair));
    case kEvalAlignedMarkers:
      return float(AlignedMarkerScore(in, a, b, log_pair));
    default:
      return 0.0f;
  }
}

ScanFrames FlattenFrames(std::span<const Posture> postures) {
  ScanFrames out;
  out.roots.reserve(postures.size());
  out.rotations.reserve(postures.size() * kJointCount);
  for (const Posture& p : postures) {
    out.roots.push_back(p.root_position);
    out.rotations.insert(out.rotations.end(), p.rotations, p.rotations + kJointCount);
  }
  return out;
}

OwnedScanInput::OwnedScanInput(std::span<const Posture> postures, std::vector<int> ends,
                               std::vector<CVector> marker_positions, int window, int eval_type,
                               float threshold)
    : frames(FlattenFrames(postures)),
      markers(std::move(marker_positions)),
      clip_ends(std::move(ends)) {
  if (clip_ends.empty()) clip_ends.push_back(int(postures.size()) - 1);
  in.frame_count = int(postures.size());
  in.window = window;
  in.eval_type = eval_type;
  in.threshold = threshold;
  in.clip_ends = clip_ends;
  in.root_positions = frames.roots;
  in.rotations = frames.rotations;
  in.markers = markers;
  in.angle_weights = kAngleWeights;
  in.marker_weights = kMarkerWeights;
}

RowScanInput MakeScanInput(GraphPlayer& player, const ScanFrames& frames) {
  RowScanInput in;
  in.frame_count = std::max(player.FrameCount(), 0);
  in.window = std::max(player.TransitionLength(), 1);
  in.eval_type = player.EvalType();
  in.threshold = player.EvalThreshold();
  in.angle_weights = kAngleWeights;
  in.marker_weights = kMarkerWeights;
  in.root_positions = frames.roots;
  in.rotations = frames.rotations;
  if (const MotionData* motion = player.Motion()) in.clip_ends = motion->clip_ends();
  if (UsesMarkers(in.eval_type)) in.markers = player.MarkerCache();
  return in;
}

}  // namespace kt
