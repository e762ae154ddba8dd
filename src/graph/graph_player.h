// What a transition graph needs from the motion player that owns it. The motion controller
// (character/) implements this; the graph never sees the controller's type, so graph/ stays
// below character/.
#pragma once

#include <span>

#include "motion/motion_data.h"
#include "motion/posture.h"
#include "motion/vector.h"

namespace kt {

class GraphPlayer {
 public:
  virtual ~GraphPlayer() = default;

  // Construction inputs.
  virtual const MotionData* Motion() const = 0;  // nullptr when playing nothing
  virtual int FrameCount() const = 0;            // -1 without a motion
  virtual int TransitionLength() const = 0;      // L, the jump-blend length in frames
  virtual float EvalThreshold() const = 0;
  virtual int EvalType() const = 0;
  // Marker positions for the evaluation type (frame-major, 31 per frame), loaded on first use
  // and kept by the player; empty when they cannot be loaded (the next call tries again).
  virtual std::span<const CVector> MarkerCache() = 0;

  // Playback.
  virtual int CurrentFrame() const = 0;
  virtual void SetCurrentFrame(int frame) = 0;  // holds playback at a cutoff
  virtual int FramesAdvanced() const = 0;
  virtual bool InTransition() const = 0;
  virtual bool BeginTransition(int target) = 0;
  virtual const Posture& ShownPosture() const = 0;
};

}  // namespace kt
