// ".gra" files: line 1 the node count; line 2 the cutoffs, each followed by a space; then per
// node a header line "index edge-count enabled" and an edge line of "target weight " pairs.
// Node motions are not stored; they are recomputed on reading.
//
// A node count read without its motion (GraphFileNodeCount) is checked against the file's size
// before anything is allocated; a file is replaced atomically, so a crash while exporting keeps
// the previous file.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "console/atomic_file.h"
#include "console/log.h"
#include "graph/transition_graph.h"

namespace kt {

namespace {

// The cutoff line is read with a 1024-byte line buffer: later characters are lost, and so is
// a number cut by that limit.
constexpr size_t kCutoffLineLimit = 1023;

// The fewest bytes a node takes: "i c f" and a separator from the next.
constexpr long long kMinNodeBytes = 6;

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

// Lines 1 and 2: the node count and the cutoff line. False with the reason in `why`.
bool ReadHeader(std::ifstream& in, int& n, std::string& cutoff_line, std::string& why) {
  std::string rest;
  if (!(in >> n) || !std::getline(in, rest) || !std::getline(in, cutoff_line)) {
    why = "no node count and cutoff line";
    return false;
  }
  return true;
}

// Whether the bytes after the header have room for n nodes.
bool FitsFile(std::ifstream& in, const std::string& file, int n, std::string& why) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(file, ec);
  const auto offset = in.tellg();
  if (ec || offset < 0) {
    why = "cannot tell the file's size";
    return false;
  }
  const long long left = (long long)size - (long long)offset;
  if (n < 0 || (n > 0 && (long long)n * kMinNodeBytes > left + 1)) {
    why = "node count " + std::to_string(n) + " does not fit the " + std::to_string(left) +
          " bytes that follow";
    return false;
  }
  return true;
}

std::string FormatGraph(int node_count, const std::vector<int>& cutoffs,
                        const std::vector<GraphNode>& nodes) {
  std::string text = std::to_string(node_count) + '\n';
  for (int c : cutoffs) text += std::to_string(c) + ' ';
  text += '\n';
  char weight[32];
  for (const GraphNode& n : nodes) {
    text += std::to_string(n.frame) + ' ' + std::to_string(n.edges.size()) +
            (n.enabled ? " 1\n" : " 0\n");
    for (const GraphEdge& e : n.edges) {
      std::snprintf(weight, sizeof weight, "%g", double(e.weight));
      text += std::to_string(e.target) + ' ' + weight + ' ';
    }
    text += '\n';
  }
  return text;
}

}  // namespace

int GraphFileNodeCount(const std::string& file) {
  std::ifstream in(file);
  if (!in) {
    LogPrintf("ImportGraph: cannot open file %s", file.c_str());
    return -1;
  }
  int n = 0;
  std::string cutoff_line, why;
  if (!ReadHeader(in, n, cutoff_line, why) || !FitsFile(in, file, n, why)) {
    LogPrintf("ImportGraph: %s in file %s", why.c_str(), file.c_str());
    return -1;
  }
  return n;
}

bool TransitionGraph::ExportGraph(const std::string& file) {
  if (!WriteFileAtomically(file, FormatGraph(node_count_, cutoffs_, nodes_))) {
    LogPrintf("ExportGraph: cannot write %s; the previous file is kept", file.c_str());
    return false;
  }
  LogPrintf("ExportGraph: done exporting %s in file %s", name_.c_str(), file.c_str());
  return true;
}

bool TransitionGraph::ImportGraph(const std::string& file) {
  import_mismatch_ = false;
  std::ifstream in(file);
  if (!in) return false;
  ClearGraph();
  auto damaged = [&](const std::string& why) {
    LogPrintf("ImportGraph: %s in file %s for %s", why.c_str(), file.c_str(), name_.c_str());
    ClearGraph();
    return false;
  };
  // A readable file that describes another motion.
  auto reject = [&](const char* why) {
    damaged(why);
    import_mismatch_ = true;
    return false;
  };
  int n = 0;
  std::string cutoff_line, why;
  // The node count must be the motion's, so what is allocated below is bounded by the motion.
  if (!ReadHeader(in, n, cutoff_line, why)) return damaged(why);
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
    if (!(in >> index >> count >> flag))
      return damaged("unreadable header of node " + std::to_string(i));
    if (count < 0 || count > n) return reject("impossible edge count");
    node.enabled = flag == 1;
    for (int k = 0; k < count; ++k) {
      GraphEdge e;
      if (!(in >> e.target >> e.weight) || !std::isfinite(e.weight))
        return damaged("unreadable or non-finite edge of node " + std::to_string(i));
      if (e.target < 0 || e.target >= n) return reject("edge target outside the motion");
      node.edges.push_back(e);
    }
  }
  ComputeNodeMotions();
  LogPrintf("ImportGraph: done importing %s from file %s", name_.c_str(), file.c_str());
  return true;
}

}  // namespace kt
