#include "gra_file.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

namespace kt::tool {

namespace {

// Far above any motion we build; keeps a damaged count from allocating gigabytes.
constexpr long long kMaxNodes = 10'000'000;

std::string At(int node) { return "node " + std::to_string(node) + ": "; }

}  // namespace

bool ReadGraFile(const std::string& path, GraFile& out, std::string& error) {
  std::ifstream file(path);
  if (!file) {
    error = "cannot open " + path;
    return false;
  }
  std::string line;
  long long n = -1;
  if (!std::getline(file, line) || !(std::istringstream(line) >> n) || n < 0 || n > kMaxNodes) {
    error = path + ": bad node count";
    return false;
  }
  out = GraFile{};
  out.nodes = int(n);
  if (!std::getline(file, line)) {
    error = path + ": missing cutoff line";
    return false;
  }
  std::istringstream cutoffs(line);
  for (long long c; cutoffs >> c;) {
    if (c < 0 || c >= n) {
      error = path + ": cutoff " + std::to_string(c) + " outside the graph";
      return false;
    }
    out.cutoffs.push_back(int(c));
  }
  out.enabled.assign(n, 0);
  out.edges.assign(n, {});
  for (int i = 0; i < n; ++i) {
    long long index, count, flag;
    if (!(file >> index >> count >> flag) || index != i || count < 0 || count > n) {
      error = path + ": bad header for node " + std::to_string(i);
      return false;
    }
    out.enabled[i] = flag == 1;
    for (long long e = 0; e < count; ++e) {
      long long target;
      float weight;
      if (!(file >> target >> weight) || target < 0 || target >= n) {
        error = path + ": bad edge " + std::to_string(e) + " of node " + std::to_string(i);
        return false;
      }
      out.edges[i].push_back({int(target), weight});
    }
  }
  return true;
}

std::string FirstDifference(const GraFile& a, const GraFile& b) {
  if (a.nodes != b.nodes)
    return "node count " + std::to_string(a.nodes) + " vs " + std::to_string(b.nodes);
  if (a.cutoffs != b.cutoffs) {
    const size_t k =
        std::mismatch(a.cutoffs.begin(), a.cutoffs.end(), b.cutoffs.begin(), b.cutoffs.end())
            .first -
        a.cutoffs.begin();
    auto show = [k](const std::vector<int>& c) {
      return k < c.size() ? std::to_string(c[k]) : std::string("none");
    };
    return "cutoff " + std::to_string(k) + ": " + show(a.cutoffs) + " vs " + show(b.cutoffs);
  }
  for (int i = 0; i < a.nodes; ++i) {
    if (a.enabled[i] != b.enabled[i])
      return At(i) + "enabled " + std::to_string(a.enabled[i]) + " vs " +
             std::to_string(b.enabled[i]);
    const auto& ea = a.edges[i];
    const auto& eb = b.edges[i];
    if (ea.size() != eb.size())
      return At(i) + std::to_string(ea.size()) + " edges vs " + std::to_string(eb.size());
    for (size_t e = 0; e < ea.size(); ++e) {
      if (ea[e].target != eb[e].target)
        return At(i) + "edge " + std::to_string(e) + " targets " + std::to_string(ea[e].target) +
               " vs " + std::to_string(eb[e].target);
      const double wa = ea[e].weight, wb = eb[e].weight;
      if (!(std::fabs(wa - wb) <= 1e-5 * std::max({1.0, std::fabs(wa), std::fabs(wb)}))) {
        std::ostringstream text;
        text << At(i) << "edge " << e << " weights " << wa << " vs " << wb;
        return text.str();
      }
    }
  }
  return {};
}

}  // namespace kt::tool
