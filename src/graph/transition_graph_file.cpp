// ".gra" files: line 1 the node count; line 2 the cutoffs, each followed by a space; then per
// node a header line "index edge-count enabled" and an edge line of "target weight " pairs.
// Node motions are not stored; they are recomputed on reading.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "console/log.h"
#include "graph/transition_graph.h"

namespace kt {

namespace {

// The cutoff line is read with a 1024-byte line buffer: later characters are lost, and so is
// a number cut by that limit.
constexpr size_t kCutoffLineLimit = 1023;

std::vector<int> ParseCutoffLine(const std::string& line) {
  std::string kept = line.substr(0, kCutoffLineLimit);
  if (line.size() > kCutoffLineLimit) {
    const size_t last_space = kept.find_last_of(" \t\r");
    kept.resize(last_space == std::string::npos ? 0 : last_space);
  }
  std::istringstream in(kept);
  std::vector<int> cutoffs;
  int value;
  while (in >> value) cutoffs.push_back(value);
  return cutoffs;
}

}  // namespace

bool TransitionGraph::ExportGraph(const std::string& file) {
  const std::string temp = file + ".tmp";
  std::error_code ec;
  FILE* out = std::fopen(temp.c_str(), "w");
  if (!out) {
    std::filesystem::remove(file, ec);
    return false;
  }
  std::fprintf(out, "%d\n", node_count_);
  for (int c : cutoffs_) std::fprintf(out, "%d ", c);
  std::fprintf(out, "\n");
  for (const GraphNode& n : nodes_) {
    std::fprintf(out, "%d %d %d\n", n.frame, int(n.edges.size()), n.enabled ? 1 : 0);
    for (const GraphEdge& e : n.edges) std::fprintf(out, "%d %g ", e.target, double(e.weight));
    std::fprintf(out, "\n");
  }
  LogPrintf("ExportGraph: done exporting %s in file %s", name_.c_str(), file.c_str());
  const bool failed = std::ferror(out) != 0;
  if (std::fclose(out) != 0 || failed) {
    std::filesystem::remove(temp, ec);
    std::filesystem::remove(file, ec);
    return false;
  }
  std::filesystem::rename(temp, file, ec);
  if (ec) {
    std::filesystem::remove(temp, ec);
    return false;
  }
  return true;
}

bool TransitionGraph::ImportGraph(const std::string& file) {
  import_mismatch_ = false;
  std::ifstream in(file);
  if (!in) return false;
  ClearGraph();
  auto reject = [&](const char* why) {
    LogPrintf("ImportGraph: %s in file %s for %s", why, file.c_str(), name_.c_str());
    import_mismatch_ = true;
    ClearGraph();
    return false;
  };
  int n = 0;
  std::string rest, cutoff_line;
  if (!(in >> n) || !std::getline(in, rest) || !std::getline(in, cutoff_line)) return false;
  if (n != node_count_) return reject("node count differs from the motion's frame count");
  for (int c : ParseCutoffLine(cutoff_line)) {
    if (c < 0 || c >= n) return reject("cutoff outside the motion");
    cutoffs_.push_back(c);
  }
  nodes_.resize(n);
  for (int i = 0; i < n; ++i) {
    GraphNode& node = nodes_[i];
    node.frame = i;
    int index = 0, count = 0, flag = 0;
    if (!(in >> index >> count >> flag)) return false;
    if (count < 0 || count > n) return reject("impossible edge count");
    node.enabled = flag == 1;
    for (int k = 0; k < count; ++k) {
      GraphEdge e;
      if (!(in >> e.target >> e.weight)) return false;
      if (e.target < 0 || e.target >= n) return reject("edge target outside the motion");
      node.edges.push_back(e);
    }
  }
  ComputeNodeMotions();
  LogPrintf("ImportGraph: done importing %s from file %s", name_.c_str(), file.c_str());
  return true;
}

}  // namespace kt
