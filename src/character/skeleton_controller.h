// Skeleton controller: one per character. Plays a root motion controller (whole body and
// root) and optionally an overlay controller mixed onto a weighted subset of joints;
// cross-fades root changes, fades overlays in and out, cross-fades between overlays, and
// writes the result into the character's skeleton.
#pragma once

#include "character/motion_controller.h"
#include "console/cvar.h"
#include "motion/skeleton.h"

namespace kt {

// Per-joint overlay weights of a motion's BodyWeights type (0 whole body, 1 legs and trunk,
// 2 arms, neck and head, 3 legs, 4 root and everything above the hips); nullptr outside 0-4.
const float* BodyWeightTable(int type);
inline constexpr int kBodyWeightTableCount = 5;

class SkeletonController {
 public:
  explicit SkeletonController(Skeleton* skeleton);

  void SetRootMotion(MotionController* m);
  void SetBlendMotion(MotionController* m);
  void FadeOutBlend();
  // Drops every reference to m at once, without a fade (m is about to be destroyed).
  void Forget(const MotionController* m);
  MotionController* RootMotion() const { return root_; }
  MotionController* BlendMotion() const { return overlay_; }
  // Once per frame. Always true.
  bool Update();

  // The root-motion result of the last update (the overlay mix writes only the skeleton).
  const Posture& posture() const { return posture_; }
  bool root_transition() const { return root_transition_; }
  MotionController* incoming_root() const { return incoming_root_; }
  float root_fade() const { return root_fade_; }
  bool fading_in() const { return fading_in_; }
  bool fading_out() const { return fading_out_; }
  MotionController* incoming_overlay() const { return incoming_overlay_; }

 private:
  void WritePosture(const Posture& posture);
  void CrossFadeRoot();
  // Advances the overlay fades; false when the overlay went away.
  bool AdvanceOverlayFades(float& w);
  void MixOverlay();

  bool root_transition_ = false;
  MotionController* incoming_root_ = nullptr;
  float root_fade_ = 0.0f;
  bool fading_in_ = false;
  bool fading_out_ = false;
  float overlay_fade_ = 0.0f;
  MotionController* incoming_overlay_ = nullptr;
  float overlay_cross_fade_ = 0.0f;
  Posture posture_;
  CVar<float> root_transition_time_;
  CVar<float> blend_transition_time_;
  Skeleton* skeleton_ = nullptr;
  MotionController* root_ = nullptr;
  MotionController* overlay_ = nullptr;
};

}  // namespace kt
