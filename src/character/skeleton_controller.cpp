// Skeleton controller: root motion and its cross-fade, overlay fades and the overlay mix.
#include "character/skeleton_controller.h"

#include "character/ease.h"

namespace kt {

namespace {

// clang-format off
const float kBodyWeights[kBodyWeightTableCount][kBoneCount] = {
    // root, left leg (5), right leg (5), lowerback, upperback, thorax, lowerneck, upperneck,
    // head, left arm (7), right arm (7)
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1},
    {0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0.8f, 0.6f, 0.4f, 0.15f, 0.1f,
     0.4f, 0.25f, 0.15f, 0.05f, 0.15f, 0, 0, 0.4f, 0.25f, 0.15f, 0.05f, 0.15f, 0, 0},
    {0, 0.05f, 0, 0.05f, 0.05f, 0.05f, 0.05f, 0, 0.05f, 0.05f, 0.05f, 0.05f, 0.2f, 0.4f, 0.6f,
     0.85f, 0.9f, 0.6f, 0.8f, 0.8f, 0.95f, 0.95f, 1, 1, 0.6f, 0.9f, 0.9f, 0.95f, 0.95f, 1, 1},
    {0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1},
};
// clang-format on

// Stops a motion and the one coming in to take its place, and drops the incoming one.
void StopWithIncoming(MotionController* current, MotionController*& incoming) {
  if (current) current->Stop();
  if (incoming) incoming->Stop();
  incoming = nullptr;
}

const float* BodyWeightsOf(const MotionController* m) {
  return m && m->motion() ? BodyWeightTable(m->motion()->body_weights()) : nullptr;
}

}  // namespace

const float* BodyWeightTable(int type) {
  return type >= 0 && type < kBodyWeightTableCount ? kBodyWeights[type] : nullptr;
}

SkeletonController::SkeletonController(Skeleton* skeleton) : skeleton_(skeleton) {
  root_transition_time_.Register("skelctrl.root_transition_time", 0.2f);
  blend_transition_time_.Register("skelctrl.blend_transition_time", 0.33f);
}

// ---------------------------------------------------------------------------------------------
// Root motion

void SkeletonController::Forget(const MotionController* m) {
  if (!m) return;
  if (incoming_root_ == m) {
    incoming_root_ = nullptr;
    root_transition_ = false;
  }
  if (root_ == m) {
    root_ = incoming_root_;
    incoming_root_ = nullptr;
    root_transition_ = false;
  }
  if (incoming_overlay_ == m) incoming_overlay_ = nullptr;
  if (overlay_ == m) {
    overlay_ = incoming_overlay_;
    incoming_overlay_ = nullptr;
  }
}

void SkeletonController::SetRootMotion(MotionController* m) {
  // Asking again for the motion already playing (or already coming in) changes nothing; a
  // cross-fade of a controller with itself would advance it twice per update.
  if (m == (root_transition_ ? incoming_root_ : root_)) return;
  if (!root_ && !root_transition_) {
    root_ = m;
    if (m) m->Play();
  } else if (!root_transition_) {
    root_fade_ = 0.0f;
    incoming_root_ = m;
    if (m) m->Play();
    root_transition_ = incoming_root_ != nullptr;
  } else {
    // A second change during a cross-fade cuts without blending.
    StopWithIncoming(root_, incoming_root_);
    root_transition_ = false;
    root_fade_ = 0.0f;
    root_ = m;
    if (m) m->Play();
  }
}

bool SkeletonController::Update() {
  if (!root_ || root_->FrameCount() == -1) {
    if (skeleton_) skeleton_->ResetPose();
    return true;
  }
  if (root_transition_) {
    root_->Update();
    incoming_root_->Update();
    CrossFadeRoot();
  } else {
    root_->Update();
    WritePosture(root_->ShownPosture());
  }
  if (overlay_) MixOverlay();
  return true;
}

void SkeletonController::WritePosture(const Posture& posture) {
  posture_ = posture;
  if (skeleton_) skeleton_->SetPosture(posture_);
}

void SkeletonController::CrossFadeRoot() {
  root_fade_ += incoming_root_->elapsed() / float(root_transition_time_);
  if (root_fade_ > 1.0f) {
    root_->Stop();
    root_transition_ = false;
    root_ = incoming_root_;
    incoming_root_ = nullptr;
    // Show the new root at once rather than leaving last update's pose for a frame.
    WritePosture(root_->ShownPosture());
    return;
  }
  const float w = Ease(root_fade_);
  const Posture& from = root_->ShownPosture();
  const Posture& to = incoming_root_->ShownPosture();
  Posture blended;
  blended.root_position = to.root_position;
  for (int j = 0; j < kBoneCount; ++j)
    blended.rotations[j] = Slerp(w, from.rotations[j], to.rotations[j]);
  WritePosture(blended);
}

// ---------------------------------------------------------------------------------------------
// Overlay

void SkeletonController::SetBlendMotion(MotionController* m) {
  if (m == overlay_ || (m && m == incoming_overlay_)) return;
  if (m) m->Play();
  if (overlay_ && m) {
    // Cross-fade from the current overlay; its weight carries on without a jump (a fade-out
    // turns into a fade-in from the same weight).
    incoming_overlay_ = m;
    overlay_cross_fade_ = 0.0f;
    if (fading_out_) {
      fading_out_ = false;
      fading_in_ = true;
      overlay_fade_ = 1.0f - overlay_fade_;
    }
    return;
  }
  if (!m) {
    // No overlay at once: an incoming one must not come back with the next overlay.
    StopWithIncoming(overlay_, incoming_overlay_);
  }
  overlay_ = m;
  overlay_fade_ = 0.0f;
  fading_out_ = false;
  fading_in_ = m != nullptr;
}

void SkeletonController::FadeOutBlend() {
  if (!overlay_ || fading_out_) return;
  fading_in_ = false;
  overlay_fade_ = 0.0f;
  fading_out_ = true;
}

bool SkeletonController::AdvanceOverlayFades(float& w) {
  w = 1.0f;
  if (fading_in_ || fading_out_) {
    overlay_fade_ += overlay_->elapsed() / float(blend_transition_time_);
    if (overlay_fade_ > 1.0f) {
      fading_in_ = false;
      overlay_fade_ = 0.0f;
      if (fading_out_) {
        StopWithIncoming(overlay_, incoming_overlay_);
        overlay_ = nullptr;
        fading_out_ = false;
        return false;
      }
    } else {
      w = fading_in_ ? Ease(overlay_fade_) : Ease(1.0f - overlay_fade_);
    }
  }
  if (incoming_overlay_) {
    overlay_cross_fade_ += incoming_overlay_->elapsed() / float(blend_transition_time_);
    if (overlay_cross_fade_ > 1.0f) {
      overlay_->Stop();
      overlay_ = incoming_overlay_;
      incoming_overlay_ = nullptr;
    }
  }
  return true;
}

void SkeletonController::MixOverlay() {
  static CVar<int> quat_blend;
  if (!quat_blend.Bound()) quat_blend.Register("controller.quatBlend", 0);
  overlay_->Update();
  if (incoming_overlay_) incoming_overlay_->Update();
  float w = 1.0f;
  if (!AdvanceOverlayFades(w) || !skeleton_) return;

  // The skeleton already holds the root result; only the mixed joints' angles change.
  const float* overlay_weights = BodyWeightsOf(overlay_);
  const float* root_weights = BodyWeightsOf(root_);
  const Posture& over = overlay_->ShownPosture();
  for (int j = 1; j < kBoneCount; ++j) {
    const float wb = overlay_weights ? overlay_weights[j] : 0.0f;
    const Bone& bone = skeleton_->bone(j);
    float angles[3];
    if (quat_blend != 0) {
      CQuaternion b = over.rotations[j];
      if (incoming_overlay_)
        b = Slerp(overlay_cross_fade_, b, incoming_overlay_->ShownPosture().rotations[j]);
      BoneEuler(bone, Slerp(w * wb, posture_.rotations[j], b), angles);
      skeleton_->SetBoneAngles(j, angles);
      continue;
    }
    const float wr = root_weights ? root_weights[j] : 0.0f;
    const float denominator = (1.0f - w) * wr + wb;
    if (denominator == 0.0f) continue;           // the root motion's angles stay
    BoneEuler(bone, over.rotations[j], angles);  // the same triple SetPosture gave the skeleton
    const float now[3] = {bone.angle_x, bone.angle_y, bone.angle_z};
    for (int axis = 0; axis < 3; ++axis)
      angles[axis] = ((1.0f - w) * wr * now[axis] + wb * angles[axis]) / denominator;
    skeleton_->SetBoneAngles(j, angles);
  }
}

}  // namespace kt
