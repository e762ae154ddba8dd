// The simple graph kinds (when to jump and where to) and the factory that makes the kind a
// graph type names: 1 CutoffGraph, 2 RandomGraph, 4 PeriodicGraph, 5 PathGraph
// (graph/path_graph.h); any other type means no graph.
#pragma once

#include <memory>

#include "graph/transition_graph.h"

namespace kt {

// The scene's "GraphType" codes.
inline constexpr int kNoGraph = 0;
inline constexpr int kCutoffGraph = 1;
inline constexpr int kRandomGraph = 2;
inline constexpr int kPeriodicGraph = 4;
inline constexpr int kPathGraph = 5;

// Jumps only at cutoffs, to the best edge.
class CutoffGraph : public TransitionGraph {
 public:
  using TransitionGraph::TransitionGraph;
  int ChooseTransition(int frame) override { return BestEdge(frame); }
  bool WantsTransition() override { return false; }
  void TransitionTaken(int) override {}
};

// Wants a jump in about one update in ten, to a random edge.
class RandomGraph : public TransitionGraph {
 public:
  using TransitionGraph::TransitionGraph;
  int ChooseTransition(int frame) override { return RandomEdge(frame); }
  bool WantsTransition() override;
  void TransitionTaken(int) override {}

  int chance_divisor() const { return chance_divisor_; }

 private:
  int chance_divisor_ = 10;
};

// Wants a jump once playback reaches the due frame, a fixed period after the last jump.
class PeriodicGraph : public TransitionGraph {
 public:
  using TransitionGraph::TransitionGraph;
  int ChooseTransition(int frame) override { return BestEdge(frame); }
  bool WantsTransition() override;
  void TransitionTaken(int target) override;
  void TransitionCancelled() override { due_frame_ = 0; }

  int period() const { return period_; }
  int due_frame() const { return due_frame_; }

 private:
  int period_ = 15;
  int due_frame_ = 0;
};

// The graph of `graph_type` for `player`, built or read from its cache; nullptr for the types
// that mean no graph, or when the player has no frames.
std::unique_ptr<TransitionGraph> CreateGraph(int graph_type, GraphPlayer& player,
                                             GraphBuildOptions options = {});

}  // namespace kt
