// Graph construction, in the order it runs: naming and registry; build or read; GenerateGraph
// (row scan, largest strongly connected component, cutoffs, node motions); edge choice.
#include "graph/transition_graph.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "console/log.h"
#include "graph/window_score.h"

namespace kt {

namespace {

CVar<float> eval_threshold("graph.eval_threshold", 1.0f);

std::map<std::string, TransitionGraph*>& Registry() {
  static std::map<std::string, TransitionGraph*> registry;
  return registry;
}

std::string UniqueName(const std::string& base) {
  std::string name = base;
  for (int suffix = 1; Registry().count(name); ++suffix) name = base + std::to_string(suffix);
  return name;
}

}  // namespace

const std::map<std::string, TransitionGraph*>& GraphRegistry() { return Registry(); }

// ---------------------------------------------------------------------------------------------
// Naming and registry

TransitionGraph::TransitionGraph(GraphPlayer& player, GraphBuildOptions options)
    : player_(player), options_(options), node_count_(std::max(player.FrameCount(), 0)) {
  const std::string base = (player.Motion() ? player.Motion()->name() : std::string()) + "_graph";
  cache_file_ = base + ".gra";
  name_ = UniqueName(base);
  Registry()[name_] = this;
  debug_.Register("graph.debug", 1);
}

TransitionGraph::~TransitionGraph() { Registry().erase(name_); }

// ---------------------------------------------------------------------------------------------
// Build or read

void TransitionGraph::BuildOrRead() {
  bool write = options_.write_cache;
  if (std::filesystem::exists(cache_file_)) {
    if (ImportGraph(cache_file_)) {
      write = false;
    } else {
      LogPrintf("GRAPH: Error importing transition graph %s", name_.c_str());
      ClearGraph();
      // A readable file that describes another motion would fail forever: replace it. A
      // damaged one is rebuilt in memory only.
      write = write && import_mismatch_;
      GenerateGraph();
    }
  } else {
    GenerateGraph();
  }
  if (write && !ExportGraph(cache_file_))
    LogPrintf("GRAPH: Error exporting transition graph %s", name_.c_str());
  next_cutoff_ = CutoffAtOrAfter(player_.CurrentFrame());
}

void TransitionGraph::ClearGraph() {
  nodes_.clear();
  cutoffs_.clear();
}

// ---------------------------------------------------------------------------------------------
// GenerateGraph

void TransitionGraph::GenerateGraph() {
  ClearGraph();
  nodes_.resize(node_count_);
  for (int i = 0; i < node_count_; ++i) nodes_[i].frame = i;
  std::vector<GraphNode> reverse(node_count_);
  for (int i = 0; i < node_count_; ++i) reverse[i].frame = i;
  LogPrintf("GenerateGraph: generating %s...", name_.c_str());

  const MotionData* motion = player_.Motion();
  if (motion && motion->frame_count() == node_count_) {
    const ScanFrames frames = FlattenFrames(*motion);
    const RowScanInput input = MakeScanInput(player_, frames);
    // Every evaluation of these types stores its suggestion; the scan stores it once.
    if (const auto suggested = SuggestedThreshold(input.eval_type);
        suggested && input.frame_count > input.window)
      eval_threshold = *suggested;
    AddEdges(RowScanFor(options_.row_scan)(input), reverse);
  }

  MarkLargestComponent(reverse);
  LogPrintf("total nodes: %d", node_count_);
  FindCutoffs();
  ComputeNodeMotions();
  LogPrintf("GenerateGraph: done generating %s...", name_.c_str());
}

void TransitionGraph::AddEdges(const RowScanResult& rows, std::vector<GraphNode>& reverse) {
  for (int i = 0; i < int(rows.size()) && i < node_count_; ++i) {
    for (const GraphEdge& e : rows[i]) {
      if (e.target < 0 || e.target >= node_count_) continue;
      nodes_[i].edges.push_back(e);
      reverse[e.target].edges.push_back({i, 1.0f});
    }
  }
}

bool TransitionGraph::IsClipEnd(int v) const {
  const MotionData* motion = player_.Motion();
  if (!motion) return false;
  const auto& ends = motion->clip_ends();
  return std::find(ends.begin(), ends.end(), v) != ends.end();
}

bool TransitionGraph::PlaysOn(int v) const { return v + 1 < node_count_ && !IsClipEnd(v); }

namespace {

// Iterative depth-first search from `root` over the vertices not yet marked: `first(v)` (a
// vertex, or -1) is followed before the explicit edges of lists[v], in list order. A vertex is
// marked, and `enter` called, when it is reached; `finish` is called when it is done. Play-on
// chains are as deep as the longest clip, hence no recursion.
template <typename First, typename Enter, typename Finish>
void DepthFirst(int root, const std::vector<GraphNode>& lists, std::vector<char>& marked,
                First first, Enter enter, Finish finish) {
  struct Visit {
    int v;
    int next;  // -1: the implicit edge; k >= 0: explicit edge k
  };
  std::vector<Visit> stack;
  marked[root] = 1;
  enter(root);
  stack.push_back({root, -1});
  while (!stack.empty()) {
    Visit& top = stack.back();
    const int v = top.v;
    int child = -1;
    if (top.next == -1) {
      top.next = 0;
      const int f = first(v);
      if (f >= 0 && !marked[f]) child = f;
    }
    const auto& edges = lists[v].edges;
    while (child < 0 && top.next < int(edges.size())) {
      const int t = edges[top.next++].target;
      if (t >= 0 && t < int(marked.size()) && !marked[t]) child = t;
    }
    if (child < 0) {
      finish(v);
      stack.pop_back();
      continue;
    }
    marked[child] = 1;
    enter(child);
    stack.push_back({child, -1});
  }
}

}  // namespace

// Kosaraju's two passes: forward searches from N - 1 down to 0 (play-on edge first) give the
// finish list; reverse searches (reverse play-on edge first) in finish-list order give the
// components. The first strictly largest component is enabled.
void TransitionGraph::MarkLargestComponent(const std::vector<GraphNode>& reverse) {
  std::vector<char> marked(node_count_, 0);
  std::vector<int> finished;  // finishing order; the finish list is its reverse
  finished.reserve(node_count_);
  auto plays_on = [this](int v) { return PlaysOn(v) ? v + 1 : -1; };
  auto nothing = [](int) {};
  for (int v = node_count_ - 1; v >= 0; --v)
    if (!marked[v])
      DepthFirst(v, nodes_, marked, plays_on, nothing, [&](int u) { finished.push_back(u); });

  std::fill(marked.begin(), marked.end(), 0);
  auto played_from = [this](int v) { return v > 0 && !IsClipEnd(v - 1) ? v - 1 : -1; };
  std::vector<int> largest, component;
  for (auto it = finished.rbegin(); it != finished.rend(); ++it) {
    if (marked[*it]) continue;
    component.clear();
    DepthFirst(
        *it, reverse, marked, played_from, [&](int u) { component.push_back(u); }, nothing);
    if (component.size() > largest.size()) largest = component;
  }
  for (int v : largest) nodes_[v].enabled = true;
}

void TransitionGraph::FindCutoffs() {
  const MotionData* motion = player_.Motion();
  if (!motion) return;
  int last = -1;
  for (int end : motion->clip_ends()) {
    for (int v = std::min(end, node_count_ - 1); v >= 0; --v) {
      if (!nodes_[v].enabled || nodes_[v].edges.empty()) continue;
      if (v != last) {
        cutoffs_.push_back(v);
        LogPrintf("FOUND %d", v);
        last = v;
      }
      break;
    }
  }
}

void TransitionGraph::ComputeNodeMotions() {
  for (int i = 0; i < node_count_; ++i) {
    nodes_[i].motion = NewNodeMotion();
    ComputeNodeMotion(i, *nodes_[i].motion);
  }
}

void TransitionGraph::ComputeNodeMotion(int i, NodeMotion& m) const {
  m = NodeMotion{};
  const MotionData* motion = player_.Motion();
  if (i <= 0 || !motion || i >= motion->frame_count()) return;
  if (CutoffAtOrAfter(i - 1) == i - 1) return;  // nothing plays from a cutoff into frame i
  const Posture& prev = motion->posture(i - 1);
  const Posture& cur = motion->posture(i);
  const CVector a = cur.rotations[0].XAxis();
  const CVector b = prev.rotations[0].XAxis();
  const double cosine =
      std::clamp(double(Dot(a, b)) / (double(a.Length()) * b.Length()), -1.0, 1.0);
  const double degrees = std::acos(cosine) * 57.29577951308232;
  m.turn = float(Cross(a, b).y > 0.0f ? degrees : -degrees);
  m.step = Distance(cur.root_position, prev.root_position);
}

// ---------------------------------------------------------------------------------------------
// Edge choice

// The heaviest edge, whatever its sign: marker scores (type 2) are negative, so a running best
// that starts at -1 would send every such jump to frame 0.
int TransitionGraph::BestEdge(int frame) const {
  const auto& edges = nodes_[frame].edges;
  if (edges.empty()) return 0;
  const GraphEdge* best = &edges[0];
  for (const GraphEdge& e : edges)
    if (e.weight > best->weight) best = &e;
  return best->target;
}

int TransitionGraph::RandomEdge(int frame) const {
  const auto& edges = nodes_[frame].edges;
  if (edges.empty()) return 0;
  return edges[std::rand() % int(edges.size())].target;
}

int TransitionGraph::CutoffAtOrAfter(int frame) const {
  for (int c : cutoffs_)
    if (c >= frame) return c;
  return std::max(player_.FrameCount(), 0);
}

int TransitionGraph::EdgeCount() const {
  int count = 0;
  for (const GraphNode& n : nodes_) count += int(n.edges.size());
  return count;
}

}  // namespace kt
