// Drawing a transition graph: layout, the weight colour ramp, and the draw order (edges,
// frames, cutoffs, the current frame's jumps, the last jump, the current frame).
#include "render/graph_picture.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace kt {
namespace {

constexpr float kPi = 3.14159265358979f;
constexpr int kArcSegments = 24;

struct Colour {
  float r, g, b;
};

// Light (0) to heavy (1): dark blue, purple, orange, pale yellow. No green or cyan, which
// mark the current frame's jumps and the last jump.
Colour WeightColour(float t) {
  static constexpr Colour kStops[] = {
      {0.15f, 0.2f, 0.6f}, {0.55f, 0.25f, 0.65f}, {0.95f, 0.5f, 0.15f}, {1.0f, 0.9f, 0.3f}};
  constexpr int kLast = int(std::size(kStops)) - 1;
  const float scaled = std::clamp(std::isfinite(t) ? t : 0.0f, 0.0f, 1.0f) * kLast;
  const int i = std::min(int(scaled), kLast - 1);
  const float u = scaled - float(i);
  const Colour& a = kStops[i];
  const Colour& b = kStops[i + 1];
  return {a.r + (b.r - a.r) * u, a.g + (b.g - a.g) * u, a.b + (b.b - a.b) * u};
}

void Arc(const GraphPictureGeometry& geometry, int from, int to) {
  glBegin(GL_LINE_STRIP);
  for (int s = 0; s <= kArcSegments; ++s) {
    const GraphPictureGeometry::Point p = geometry.EdgePoint(from, to, float(s) / kArcSegments);
    glVertex2f(p.x, p.y);
  }
  glEnd();
}

void Disc(const GraphPictureGeometry::Point& c, float radius) {
  glBegin(GL_TRIANGLE_FAN);
  glVertex2f(c.x, c.y);
  for (int s = 0; s <= 24; ++s) {
    const float a = 2.0f * kPi * float(s) / 24.0f;
    glVertex2f(c.x + radius * std::cos(a), c.y + radius * std::sin(a));
  }
  glEnd();
}

}  // namespace

GraphPictureGeometry::GraphPictureGeometry(int frames, GraphLayout layout,
                                           const GraphViewport& viewport)
    : frames_(std::max(frames, 1)), layout_(layout), viewport_(viewport) {}

GraphPictureGeometry::Point GraphPictureGeometry::FramePoint(int frame) const {
  const int f = std::clamp(frame, 0, frames_ - 1);
  const float w = float(viewport_.width), h = float(viewport_.height);
  if (layout_ == GraphLayout::kLine) {
    const float margin = 0.05f * w;
    const float u = frames_ > 1 ? float(f) / float(frames_ - 1) : 0.5f;
    return {viewport_.x + margin + (w - 2.0f * margin) * u, viewport_.y + 0.5f * h};
  }
  // Clockwise from the top, so the motion reads like a clock face.
  const float radius = 0.42f * std::min(w, h);
  const float angle = 0.5f * kPi - 2.0f * kPi * float(f) / float(frames_);
  return {viewport_.x + 0.5f * w + radius * std::cos(angle),
          viewport_.y + 0.5f * h + radius * std::sin(angle)};
}

GraphPictureGeometry::Point GraphPictureGeometry::EdgePoint(int from, int to, float t) const {
  const Point a = FramePoint(from);
  const Point b = FramePoint(to);
  const Point mid{0.5f * (a.x + b.x), 0.5f * (a.y + b.y)};
  Point control;
  if (layout_ == GraphLayout::kLine) {
    // Jumps forward arc above the line, jumps back below it; longer jumps arc higher.
    const float half = 0.5f * float(viewport_.height);
    const float peak = std::min(0.5f * std::fabs(b.x - a.x), 0.9f * half);
    control = {mid.x, mid.y + (to >= from ? 2.0f : -2.0f) * peak};
  } else {
    // Chords bend toward the centre, so a short jump stays near the rim.
    const float cx = viewport_.x + 0.5f * float(viewport_.width);
    const float cy = viewport_.y + 0.5f * float(viewport_.height);
    control = {cx + (mid.x - cx) * 0.3f, cy + (mid.y - cy) * 0.3f};
  }
  const float s = 1.0f - t;
  return {s * s * a.x + 2.0f * s * t * control.x + t * t * b.x,
          s * s * a.y + 2.0f * s * t * control.y + t * t * b.y};
}

float GraphPictureGeometry::MarkerRadius() const {
  return std::max(4.0f, 0.02f * float(std::min(viewport_.width, viewport_.height)));
}

void DrawGraphPicture(const TransitionGraph& graph, const GraphPictureView& view) {
  const GraphViewport& vp = view.viewport;
  if (vp.width <= 0 || vp.height <= 0) return;

  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(vp.x, vp.x + vp.width, vp.y, vp.y + vp.height, -1.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();

  glViewport(vp.x, vp.y, vp.width, vp.height);
  glEnable(GL_SCISSOR_TEST);
  glScissor(vp.x, vp.y, vp.width, vp.height);
  if (view.clear_background) {
    glClearColor(0.08f, 0.08f, 0.1f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_CULL_FACE);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

  const std::vector<GraphNode>& nodes = graph.nodes();
  const int n = int(nodes.size());
  const GraphPictureGeometry geometry(n, view.layout, vp);
  const auto valid = [n](int f) { return f >= 0 && f < n; };
  const int current = view.current_frame && valid(*view.current_frame) ? *view.current_frame : -1;

  if (n > 0) {
    // Edges, coloured by their weight's rank among the graph's weights (scores bunch up, so a
    // linear scale would paint nearly all of them one colour), lightest first so the heavy
    // ones lie on top; many edges draw fainter.
    struct Drawn {
      float weight;
      int from, to;
    };
    std::vector<Drawn> edges;
    for (int f = 0; f < n; ++f) {
      if (f == current) continue;
      for (const GraphEdge& e : nodes[f].edges)
        if (valid(e.target))
          edges.push_back({std::isfinite(e.weight) ? e.weight : 0.0f, f, e.target});
    }
    std::stable_sort(edges.begin(), edges.end(),
                     [](const Drawn& a, const Drawn& b) { return a.weight < b.weight; });
    const float alpha =
        std::clamp(12.0f / std::sqrt(float(std::max<size_t>(edges.size(), 1))), 0.06f, 0.9f);
    glLineWidth(1.0f);
    size_t rank = 0;
    for (size_t i = 0; i < edges.size(); ++i) {
      // Equal weights share the rank of the first of them.
      if (i > 0 && edges[i].weight != edges[i - 1].weight) rank = i;
      const float t = edges.size() > 1 ? float(rank) / float(edges.size() - 1) : 1.0f;
      const Colour c = WeightColour(t);
      glColor4f(c.r, c.g, c.b, alpha);
      Arc(geometry, edges[i].from, edges[i].to);
    }

    // Frames: the play-on chain, broken after each cutoff; grey outside the largest
    // component.
    std::vector<char> cutoff(n, 0);
    for (int c : graph.cutoffs())
      if (valid(c)) cutoff[c] = 1;
    glLineWidth(3.0f);
    glBegin(GL_LINES);
    for (int f = 0; f + 1 < n; ++f) {
      if (cutoff[f]) continue;
      const float grey = nodes[f].enabled ? 0.8f : 0.35f;
      glColor4f(grey, grey, grey, 1.0f);
      const auto a = geometry.FramePoint(f);
      const auto b = geometry.FramePoint(f + 1);
      glVertex2f(a.x, a.y);
      glVertex2f(b.x, b.y);
    }
    glEnd();

    // Cutoffs: red ticks across the chain.
    const float tick = 2.5f * geometry.MarkerRadius();
    const float cx = vp.x + 0.5f * vp.width, cy = vp.y + 0.5f * vp.height;
    glLineWidth(2.0f);
    glColor4f(0.95f, 0.2f, 0.15f, 1.0f);
    glBegin(GL_LINES);
    for (int f = 0; f < n; ++f) {
      if (!cutoff[f]) continue;
      const auto p = geometry.FramePoint(f);
      float dx = 0.0f, dy = 1.0f;
      if (view.layout == GraphLayout::kCircle) {
        const float len = std::hypot(p.x - cx, p.y - cy);
        if (len > 0.0f) dx = (p.x - cx) / len, dy = (p.y - cy) / len;
      }
      glVertex2f(p.x - dx * 0.5f * tick, p.y - dy * 0.5f * tick);
      glVertex2f(p.x + dx * 0.5f * tick, p.y + dy * 0.5f * tick);
    }
    glEnd();

    // Where the current frame can go.
    if (current >= 0) {
      glLineWidth(2.0f);
      glColor4f(0.3f, 1.0f, 0.45f, 1.0f);
      for (const GraphEdge& e : nodes[current].edges)
        if (valid(e.target)) Arc(geometry, current, e.target);
    }

    // The last jump taken, with a dot where it landed.
    if (view.last_jump && valid(view.last_jump->first) && valid(view.last_jump->second)) {
      glLineWidth(4.0f);
      glColor4f(0.2f, 0.9f, 1.0f, 1.0f);
      Arc(geometry, view.last_jump->first, view.last_jump->second);
      Disc(geometry.FramePoint(view.last_jump->second), 0.6f * geometry.MarkerRadius());
    }

    if (current >= 0) {
      glColor4f(0.05f, 0.05f, 0.05f, 1.0f);
      Disc(geometry.FramePoint(current), geometry.MarkerRadius() + 1.5f);
      glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
      Disc(geometry.FramePoint(current), geometry.MarkerRadius());
    }

    // Weight key along the bottom: light on the left, heavy on the right.
    const float kx = vp.x + 0.7f * vp.width, kw = 0.25f * vp.width;
    const float ky = vp.y + 0.03f * vp.height, kh = std::max(3.0f, 0.015f * vp.height);
    glBegin(GL_QUAD_STRIP);
    for (int s = 0; s <= 16; ++s) {
      const Colour c = WeightColour(float(s) / 16.0f);
      glColor4f(c.r, c.g, c.b, 1.0f);
      glVertex2f(kx + kw * s / 16.0f, ky);
      glVertex2f(kx + kw * s / 16.0f, ky + kh);
    }
    glEnd();
  }

  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopAttrib();
}

}  // namespace kt
