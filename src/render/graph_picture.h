// A picture of a transition graph for animators: the frames along a line or round a circle,
// every blended jump as an arc coloured by its weight's rank (dark blue lightest, through
// purple and orange, to yellow heaviest), cutoffs as red ticks, frames outside the graph's largest
// component in grey. The current frame is a white dot with its jumps in bright green, the
// last jump taken a thick cyan arc, so one can see where a character is in its graph and where it
// can go.
//
//   GraphPictureView view;
//   view.viewport = {0, 0, width, height};
//   view.current_frame = controller.CurrentFrame();
//   DrawGraphPicture(graph, view);   // into the current GL context, each frame
//
// Drawing leaves the GL state (matrices, viewport, enables) as it found it.
#pragma once

#include <optional>
#include <utility>

#include "graph/transition_graph.h"

namespace kt {

enum class GraphLayout { kCircle, kLine };

struct GraphViewport {
  int x = 0, y = 0;  // lower left corner in window pixels (GL's convention)
  int width = 0, height = 0;
};

struct GraphPictureView {
  GraphViewport viewport;
  GraphLayout layout = GraphLayout::kCircle;
  std::optional<int> current_frame;
  std::optional<std::pair<int, int>> last_jump;  // (from, to)
  bool clear_background = true;
};

// Where things are drawn, in window pixels, for a graph of `frames` frames.
class GraphPictureGeometry {
 public:
  GraphPictureGeometry(int frames, GraphLayout layout, const GraphViewport& viewport);

  struct Point {
    float x = 0.0f, y = 0.0f;
  };
  // Frame positions; frames outside 0..frames-1 are clamped.
  Point FramePoint(int frame) const;
  // A point of the arc of the jump from -> to, t from 0 (at from) to 1 (at to).
  Point EdgePoint(int from, int to, float t) const;
  // Size of the current frame's dot.
  float MarkerRadius() const;

 private:
  int frames_;
  GraphLayout layout_;
  GraphViewport viewport_;
};

// Draws the picture into the current GL context over view.viewport. Frames of the view outside
// the graph are ignored. An empty graph draws only the background.
void DrawGraphPicture(const TransitionGraph& graph, const GraphPictureView& view);

}  // namespace kt
