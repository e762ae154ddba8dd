// Transition graph of one motion: every frame is a node, frames of a clip are chained by
// implicit play-on edges, and explicit edges are blended jumps between similar windows. Built
// once (or read from its ".gra" cache) when its motion controller is made, then walked by
// GraphUpdate every controller update. The kinds (graph_kinds.h, path_graph.h) supply the
// policy: when to jump and where to.
//
// Contents: NodeMotion, GraphNode - GraphBuildOptions - TransitionGraph (construction in
// transition_graph.cpp, files in transition_graph_file.cpp, playback in graph_update.cpp) -
// the graph registry.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "console/cvar.h"
#include "graph/graph_player.h"
#include "graph/row_scan.h"

namespace kt {

// Root motion into a frame from the one before: heading change (degrees) and distance
// travelled. Zero for frame 0 and for the frame after a cutoff.
struct NodeMotion {
  float turn = 0.0f;
  float step = 0.0f;
};

struct GraphNode {
  std::vector<GraphEdge> edges;  // explicit jumps, in the order found
  bool enabled = false;          // in the largest strongly connected component
  int frame = 0;
  std::unique_ptr<NodeMotion> motion;
};

struct GraphBuildOptions {
  // The fast scan builds the same graphs as the reference (kReference), much sooner; without
  // it built in, kFast runs the reference.
  RowScanKind row_scan = RowScanKind::kFast;
  // Whether a freshly built graph is written to its cache file.
  bool write_cache = true;
};

class TransitionGraph {
 public:
  TransitionGraph(GraphPlayer& player, GraphBuildOptions options = {});
  virtual ~TransitionGraph();
  TransitionGraph(const TransitionGraph&) = delete;
  TransitionGraph& operator=(const TransitionGraph&) = delete;

  // Reads the cache file or builds (and writes) the graph, then sets the next cutoff from the
  // player's current frame. The factory calls it right after construction, once the kind is
  // complete.
  void BuildOrRead();

  // Construction: nodes, edges, component flags, cutoffs, node motions.
  virtual void GenerateGraph();

  // Playback policy.
  virtual int ChooseTransition(int frame) = 0;
  virtual bool WantsTransition() = 0;
  virtual void TransitionTaken(int target) = 0;
  virtual void EndOfUpdate() {}
  virtual void TransitionCancelled() {}
  virtual void Reset() {}
  virtual std::unique_ptr<NodeMotion> NewNodeMotion() { return std::make_unique<NodeMotion>(); }

  // ".gra" files. Import validates every count, index and weight against the player's motion
  // (a weight must be finite); export replaces the file atomically (the old one survives a
  // failure).
  virtual bool ImportGraph(const std::string& file);
  virtual bool ExportGraph(const std::string& file);

  // One playback step; the controller calls it after advancing its frame.
  void GraphUpdate();

  const std::string& name() const { return name_; }
  const std::string& cache_file() const { return cache_file_; }
  int node_count() const { return node_count_; }
  const std::vector<GraphNode>& nodes() const { return nodes_; }
  const GraphNode& node(int frame) const { return nodes_[frame]; }
  const std::vector<int>& cutoffs() const { return cutoffs_; }
  int next_cutoff() const { return next_cutoff_; }
  GraphPlayer& player() const { return player_; }
  // Explicit edges in the graph (for tools and logs).
  int EdgeCount() const;

 protected:
  // Target of the heaviest edge of `frame` (first of equal weights); 0 when it has none.
  int BestEdge(int frame) const;
  // Target of a random edge of `frame` (the process-wide rand()).
  int RandomEdge(int frame) const;
  // First cutoff >= frame, or the frame count.
  int CutoffAtOrAfter(int frame) const;
  // Whether frame v plays on into v + 1.
  bool PlaysOn(int v) const;

 private:
  bool IsClipEnd(int v) const;
  void AddEdges(const RowScanResult& rows, std::vector<GraphNode>& reverse);
  void MarkLargestComponent(const std::vector<GraphNode>& reverse);
  void FindCutoffs();
  void ComputeNodeMotions();
  void ComputeNodeMotion(int frame, NodeMotion& motion) const;
  void ClearGraph();
  // Holding at a cutoff whose jump was cancelled: play on past it instead of freezing.
  void PlayOnPastCutoff(int frame);

  GraphPlayer& player_;
  GraphBuildOptions options_;
  std::vector<GraphNode> nodes_;
  int node_count_ = 0;
  std::vector<int> cutoffs_;
  int next_cutoff_ = 0;
  CVar<int> debug_;
  std::string name_;
  std::string cache_file_;
  bool import_mismatch_ = false;  // the last import failed because the file fits another motion
  bool reported_stuck_cutoff_ = false;
};

// The node count of a ".gra" file, checked against the file's size (every node takes at least
// six bytes); -1 (logged) when the file cannot be read or the count cannot be right. Tools that
// read a graph without its motion import it into a player of this many frames.
int GraphFileNodeCount(const std::string& file);

// Graphs by name, for unique naming. A graph registers itself at construction and leaves at
// destruction.
const std::map<std::string, TransitionGraph*>& GraphRegistry();

}  // namespace kt
