// Reading ".gra" transition graph files for comparison and summaries, independently of a
// motion: the node count, cutoff line, per node a header (index, edge count, flag) and its
// edges (target, weight). Every count and index is checked before use.
#pragma once

#include <string>
#include <vector>

#include "graph/row_scan.h"

namespace kt::tool {

struct GraFile {
  int nodes = 0;
  std::vector<int> cutoffs;
  std::vector<char> enabled;
  std::vector<std::vector<GraphEdge>> edges;
};

// False with a message in `error` when the file is missing, truncated or inconsistent.
bool ReadGraFile(const std::string& path, GraFile& out, std::string& error);

// Empty when a and b agree: node count, cutoffs, flags, edge targets and order exactly, and
// weights within 1e-5 (relative above 1). Otherwise the first difference, in words.
std::string FirstDifference(const GraFile& a, const GraFile& b);

}  // namespace kt::tool
