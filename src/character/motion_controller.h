// Motion controller: plays one clip against its frame timer, loops, lets its transition graph
// jump to other frames, blends across each jump, and keeps the clip's placement in the world
// (root alignment) so that a jump continues from where the figure stands and faces.
//
// Contents: MotionController (playback in motion_controller.cpp, jumps and alignment in
// motion_controller_jump.cpp) - the process-wide controller registry.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "console/frame_timer.h"
#include "graph/graph_player.h"
#include "graph/transition_graph.h"

namespace kt {

class MotionController : public GraphPlayer {
 public:
  // graph_type picks the graph kind (0: none, the clip just plays and loops). A negative
  // transition_time selects motionctrl.transition_time. The graph is built or read here.
  MotionController(MotionData* motion, int graph_type = 0, float eval_threshold = 1.0f,
                   int eval_type = 2, float transition_time = -1.0f, float speed = 1.0f,
                   GraphBuildOptions options = {});
  ~MotionController() override;
  MotionController(const MotionController&) = delete;
  MotionController& operator=(const MotionController&) = delete;

  void Play();
  void Stop();
  // One step per frame: advance from elapsed time, run the graph, show the (blended) frame.
  // The first update starts the clock and advances nothing.
  void Update();
  bool BeginTransition(int target) override;

  // Stepping for the tool panel; each stops playback first.
  void Rewind();
  void ToEnd();
  void StepForward(int n = 1);
  void StepBack(int n = 1);

  // Turns a's alignment so that a faces the way b is shown to face. Only a changes.
  static void AlignHeading(MotionController& a, const MotionController& b);

  // Score of a jump between frames a and b (the window similarity of the evaluation type).
  // Stores the type's suggested threshold into graph.eval_threshold. `log_pair`: also log the
  // per-pair line of the marker types (for an evaluation asked for at the console).
  float Evaluate(int a, int b, bool log_pair = false);

  const Posture& ShownPosture() const override { return shown_; }

  // GraphPlayer
  const MotionData* Motion() const override { return motion_; }
  int FrameCount() const override { return frame_count_; }
  int TransitionLength() const override { return transition_length_; }
  float EvalThreshold() const override { return eval_threshold_; }
  int EvalType() const override { return eval_type_; }
  std::span<const CVector> MarkerCache() override;
  int CurrentFrame() const override { return current_frame_; }
  // Clamped to the clip.
  void SetCurrentFrame(int frame) override;
  int FramesAdvanced() const override { return frames_advanced_; }
  bool InTransition() const override { return in_transition_; }

  const std::string& name() const { return name_; }
  MotionData* motion() const { return motion_; }
  float speed() const { return speed_; }
  void SetSpeed(float speed) { speed_ = speed; }
  // Seconds covered by the last update.
  float elapsed() const { return elapsed_; }
  FrameTimer& timer() { return timer_; }
  bool playing() const { return playing_; }
  bool looping() const { return looping_; }
  void SetLooping(bool looping) { looping_ = looping; }
  int transition_target() const { return transition_target_; }
  int transition_source() const { return transition_source_; }
  TransitionGraph* graph() const { return graph_.get(); }
  const CQuaternion& alignment() const { return alignment_; }
  // Steering (the player's and the hunter's turning): `degrees` of heading error taken out of
  // the alignment, a turn of -degrees about the vertical. The figure turns where it stands:
  // the placement is re-based at the current frame, so the shown root stays put and only the
  // way on turns, however far the clip has carried it from the anchor.
  void TurnHeading(float degrees);
  // The last turn-rate rotation a gameplay controller handed over; playback does not read it.
  const CQuaternion& turn_rotation() const { return turn_rotation_; }
  void SetTurnRotation(const CQuaternion& q) { turn_rotation_ = q; }
  const CVector& anchor() const { return anchor_; }
  const CVector& offset() const { return offset_; }

  // The motion is being destroyed: play nothing from now on.
  void DetachMotion();

 private:
  // The new alignment, re-based as TurnHeading says.
  void SetAlignment(const CQuaternion& q);
  // Frame f of the clip, placed by the current root alignment, into the shown posture.
  void PlaceFrame(int f);
  void BlendJump();

  std::string name_;
  int frame_count_ = -1;
  int current_frame_ = 0;
  int frames_advanced_ = 0;
  float speed_ = 1.0f;
  float elapsed_ = 0.0f;
  FrameTimer timer_;
  int transition_length_ = 0;
  float eval_threshold_ = 1.0f;
  int eval_type_ = 2;
  CQuaternion turn_rotation_;
  std::unique_ptr<TransitionGraph> graph_;
  Posture shown_;
  CQuaternion alignment_;
  CQuaternion previous_alignment_;
  CVector anchor_;
  CVector offset_;
  CVector previous_anchor_;
  CVector previous_offset_;
  bool playing_ = true;
  bool looping_ = true;
  bool in_transition_ = false;
  int transition_target_ = 0;
  int transition_source_ = 0;
  MotionData* motion_ = nullptr;
  std::vector<CVector> marker_cache_;
  bool started_ = false;  // updated at least once
};

// The rotation about the vertical axis that q contains: its matrix with the middle row and
// column set to (0, 1, 0) and the x-z pairs rescaled to unit length.
CQuaternion HeadingOnly(const CQuaternion& q);

// Every motion controller by name (lower-cased motion name made unique with 1, 2, ...).
const std::map<std::string, MotionController*>& MotionControllerRegistry();
MotionController* FindMotionController(const std::string& name);

}  // namespace kt
