// Motion controller placement: root alignment of a frame, starting a jump, blending across it,
// and heading alignment between two controllers.
#include <algorithm>
#include <cmath>

#include "character/ease.h"
#include "character/motion_controller.h"

namespace kt {

namespace {

// M(r) v, in double.
CVector Rotate(const CMatrix& m, const CVector& v) {
  return {float(double(m.At(0, 0)) * v.x + double(m.At(0, 1)) * v.y + double(m.At(0, 2)) * v.z),
          float(double(m.At(1, 0)) * v.x + double(m.At(1, 1)) * v.y + double(m.At(1, 2)) * v.z),
          float(double(m.At(2, 0)) * v.x + double(m.At(2, 1)) * v.y + double(m.At(2, 2)) * v.z)};
}

// Rescales (a, b) to unit length; a degenerate pair becomes (1, 0).
void UnitPair(float& a, float& b) {
  const double length = std::sqrt(double(a) * a + double(b) * b);
  if (length < 1e-12) {
    a = 1.0f;
    b = 0.0f;
    return;
  }
  a = float(a / length);
  b = float(b / length);
}

// Where a clip-space root position lands under an alignment (rotation, anchor, offset).
CVector Place(const CQuaternion& rotation, const CVector& anchor, const CVector& offset,
              const CVector& p) {
  return offset + Rotate(rotation.ToMatrix(), p - anchor);
}

}  // namespace

CQuaternion HeadingOnly(const CQuaternion& q) {
  CMatrix m = q.ToMatrix();
  m.At(1, 0) = 0.0f;
  m.At(1, 1) = 1.0f;
  m.At(1, 2) = 0.0f;
  m.At(0, 1) = 0.0f;
  m.At(2, 1) = 0.0f;
  UnitPair(m.At(0, 0), m.At(2, 0));
  UnitPair(m.At(2, 2), m.At(0, 2));
  return CQuaternion::FromMatrix(m);
}

void MotionController::PlaceFrame(int f) {
  const Posture& frame = motion_->posture(f);
  shown_ = frame;
  shown_.rotations[0] = alignment_ * frame.rotations[0];
  shown_.root_position = Place(alignment_, anchor_, offset_, frame.root_position);
}

bool MotionController::BeginTransition(int target) {
  if (in_transition_ || !motion_ || target < 0 || target >= frame_count_) return false;
  transition_target_ = target;
  transition_source_ = current_frame_;
  const Posture& to = motion_->posture(target);
  const Posture& from = motion_->posture(transition_source_);

  // Keep facing the way the figure faces now, turning about the vertical axis only.
  const CQuaternion heading = HeadingOnly(to.rotations[0].Inverse() * from.rotations[0]);
  previous_alignment_ = alignment_;
  alignment_ = alignment_ * heading;

  // Continue on the ground plane from where the figure stands, at the target's height.
  CVector d = shown_.root_position - to.root_position;
  d.y = 0.0f;
  previous_anchor_ = anchor_;
  previous_offset_ = offset_;
  anchor_ = to.root_position;
  offset_ = anchor_ + d;

  current_frame_ = target;
  in_transition_ = true;
  return true;
}

void MotionController::BlendJump() {
  const int l = transition_length_;
  const int c = current_frame_;
  if (c >= transition_target_ + l) {
    in_transition_ = false;
    PlaceFrame(c);
    return;
  }
  const int k = c - transition_target_;
  const int s = std::min(transition_source_ + std::max(k, 0), frame_count_ - 1);
  const float w = Ease(float(k) / float(l));
  const Posture& src = motion_->posture(s);
  const Posture& cur = motion_->posture(c);
  for (int j = 1; j < kBoneCount; ++j)
    shown_.rotations[j] = Slerp(w, src.rotations[j], cur.rotations[j]);
  const CVector p_src =
      Place(previous_alignment_, previous_anchor_, previous_offset_, src.root_position);
  const CVector p_cur = Place(alignment_, anchor_, offset_, cur.root_position);
  shown_.root_position = p_cur * w + p_src * (1.0f - w);
  shown_.rotations[0] =
      Slerp(w, previous_alignment_ * src.rotations[0], alignment_ * cur.rotations[0]);
}

void MotionController::TurnHeading(float degrees) {
  CQuaternion q = CQuaternion::FromEuler(0.0f, -degrees, 0.0f) * alignment_;
  q.Normalize();
  SetAlignment(q);
}

void MotionController::SetAlignment(const CQuaternion& q) {
  // Rotating about the old anchor would swing the figure round a point it may have left far
  // behind (the clip's origin, or where the last jump landed).
  if (motion_) {
    const CVector p = motion_->posture(current_frame_).root_position;
    offset_ = Place(alignment_, anchor_, offset_, p);
    anchor_ = p;
  }
  alignment_ = q;
}

void MotionController::AlignHeading(MotionController& a, const MotionController& b) {
  const CQuaternion q = a.shown_.rotations[0].Inverse() * b.shown_.rotations[0];
  CQuaternion r = HeadingOnly(a.alignment_ * q);
  r.Normalize();
  a.alignment_ = r;
}

}  // namespace kt
