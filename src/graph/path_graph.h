// PathGraph: steers playback towards a target direction. When it has no plan it searches the
// graph ahead of the current frame (depth first, play-on before jumps, within a step budget
// and a look-ahead time) for the frame sequence whose accumulated root turn comes closest to
// the turn still needed, then follows it, asking for a jump wherever the plan leaves the
// natural frame order.
#pragma once

#include <deque>

#include "graph/transition_graph.h"

namespace kt {

class PathGraph : public TransitionGraph {
 public:
  PathGraph(GraphPlayer& player, GraphBuildOptions options = {});

  int ChooseTransition(int frame) override;
  bool WantsTransition() override;
  void TransitionTaken(int) override {}

  // The world direction to face. (0, 0, 0), the initial value, means none: no plan is made.
  void SetTargetDirection(const CVector& direction) { target_direction_ = direction; }
  const CVector& target_direction() const { return target_direction_; }

  // Plans from the player's current frame towards target_angle(); true (and active) when the
  // best path found contains a jump.
  bool Plan();

  bool active() const { return active_; }
  const std::deque<int>& plan() const { return plan_; }
  int searched() const { return searched_; }
  float target_angle() const { return target_angle_; }

 private:
  float Search(int f, float t, float u, float b, int d);
  void LogPlan() const;

  CVector target_direction_;
  bool active_ = false;
  std::deque<int> plan_;
  int searched_ = 0;
  float simulated_time_ = 0.0f;
  float target_angle_ = 0.0f;
  CVar<int> max_paths_;
  CVar<float> sim_time_;
  CVar<int> debug_;
  // Search state, allocated once so that a search allocates nothing.
  std::vector<char> visited_;
  int start_frame_ = 0;
  int best_slot_ = -1;
  int best_length_ = 0;
};

// Heading angle from u to v in degrees, in [0, 360]: the angle between them, replaced by 360
// minus itself when (v x u).y is not positive.
float HeadingAngle(const CVector& u, const CVector& v);
// Which way a posture faces: (R02, R01, R00) of its root rotation's matrix.
CVector Facing(const Posture& posture);
// min(|a - b|, 360 - |a - b|), with both angles first reduced into [0, 360).
float AngularDifference(float a, float b);

// The process-wide path slots are sized by the first PathGraph and kept for the run; tests
// drop them so the next PathGraph sizes them afresh.
void ResetPathSlots();

}  // namespace kt
