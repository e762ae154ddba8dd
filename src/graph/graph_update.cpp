// GraphUpdate: once per controller update, decide whether to jump (the kind wants one, or
// playback reached the next cutoff) and start the jump through the controller.
#include "console/log.h"
#include "graph/transition_graph.h"

namespace kt {

namespace {
CVar<int> do_scc("graph.do_scc", 1);
}  // namespace

void TransitionGraph::GraphUpdate() {
  GraphPlayer& c = player_;
  int f = c.CurrentFrame();
  const int l = c.TransitionLength();
  const bool want = WantsTransition();
  const bool at_cut = f >= next_cutoff_;
  if ((!want && !at_cut) || c.InTransition() || f < 0 || f >= node_count_) {
    EndOfUpdate();
    return;
  }
  if (at_cut) {
    f = next_cutoff_;  // playback is held at the cutoff until a jump starts
    c.SetCurrentFrame(f);
  }
  const GraphNode& from = nodes_[f];
  if (from.edges.empty() || (do_scc != 0 && !from.enabled)) {
    TransitionCancelled();
    if (debug_ != 0)
      LogPrintf("GraphUpdate: no valid transitions or frame not enabled on frame %d for %s", f,
                name_.c_str());
    if (at_cut) PlayOnPastCutoff(f);
    EndOfUpdate();
    return;
  }
  const int t = ChooseTransition(f);
  if (t >= 0 && t + l < node_count_ && nodes_[t].enabled && nodes_[t + l].enabled) {
    if (debug_ != 0) {
      if (at_cut)
        LogPrintf("GraphUpdate: Attempting cutoff transition for %s: (%d to %d)", name_.c_str(), f,
                  t);
      else if (want)
        LogPrintf("GraphUpdate: Attempting normal transition for %s: (%d to %d)", name_.c_str(), f,
                  t);
    }
    TransitionTaken(t);
    c.BeginTransition(t);
    next_cutoff_ = CutoffAtOrAfter(t);
    EndOfUpdate();
    return;
  }
  TransitionCancelled();
  EndOfUpdate();
  if (debug_ != 0)
    LogPrintf("GraphUpdate: Cancelling out of transition on frame %d to %d for %s (nextCutoff=%d)",
              f, t, name_.c_str(), next_cutoff_);
  if (at_cut) PlayOnPastCutoff(f);
}

// A cutoff whose jump was refused would hold the character on one frame for good; let it play
// on towards the clip end and aim at the next cutoff instead.
void TransitionGraph::PlayOnPastCutoff(int frame) {
  if (!reported_stuck_cutoff_) {
    LogPrintf("GraphUpdate: no usable transition at cutoff %d for %s, playing on", frame,
              name_.c_str());
    reported_stuck_cutoff_ = true;
  }
  next_cutoff_ = CutoffAtOrAfter(frame + 1);
}

}  // namespace kt
