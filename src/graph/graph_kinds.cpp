// Policies of the simple graph kinds, and the factory.
#include "graph/graph_kinds.h"

#include <cstdlib>

#include "graph/path_graph.h"

namespace kt {

bool RandomGraph::WantsTransition() { return std::rand() % chance_divisor_ == 0; }

bool PeriodicGraph::WantsTransition() { return player().CurrentFrame() >= due_frame_; }

void PeriodicGraph::TransitionTaken(int target) {
  due_frame_ = target + period_;
  if (due_frame_ >= node_count() - 2 * player().TransitionLength()) due_frame_ = 0;
}

std::unique_ptr<TransitionGraph> CreateGraph(int graph_type, GraphPlayer& player,
                                             GraphBuildOptions options) {
  if (player.FrameCount() <= 0 || !player.Motion()) return nullptr;
  std::unique_ptr<TransitionGraph> graph;
  switch (graph_type) {
    case kCutoffGraph:
      graph = std::make_unique<CutoffGraph>(player, options);
      break;
    case kRandomGraph:
      graph = std::make_unique<RandomGraph>(player, options);
      break;
    case kPeriodicGraph:
      graph = std::make_unique<PeriodicGraph>(player, options);
      break;
    case kPathGraph:
      graph = std::make_unique<PathGraph>(player, options);
      break;
    default:
      return nullptr;
  }
  graph->BuildOrRead();
  return graph;
}

}  // namespace kt
