#include "gra_file.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "console/log.h"

namespace kt::tool {

namespace {

std::string At(int node) { return "node " + std::to_string(node) + ": "; }

// Keeps the reader's log lines; the last one says why a file was refused.
class LastLine final : public LogSink {
 public:
  void Print(const std::string& text, int) override { last = text; }
  std::string last;
};

}  // namespace

bool ReadGraFile(const std::string& path, GraFile& out, std::string& error) {
  LastLine log;
  LogSink* const shown = GetLogSink();
  SetLogSink(&log);
  const int nodes = GraphFileNodeCount(path);
  bool read = false;
  if (nodes >= 0) {
    out.player = std::make_unique<FileGraphPlayer>(nodes);
    GraphBuildOptions options;
    options.write_cache = false;
    out.graph = std::make_unique<CutoffGraph>(*out.player, options);
    read = out.graph->ImportGraph(path);
    if (!read && log.last.find(path) == std::string::npos) log.last = "cannot read " + path;
  }
  SetLogSink(shown);
  if (!read) error = log.last;
  return read;
}

std::string FirstDifference(const TransitionGraph& a, const TransitionGraph& b) {
  if (a.node_count() != b.node_count())
    return "node count " + std::to_string(a.node_count()) + " vs " + std::to_string(b.node_count());
  if (a.cutoffs() != b.cutoffs()) {
    const auto& ca = a.cutoffs();
    const auto& cb = b.cutoffs();
    const size_t k = std::mismatch(ca.begin(), ca.end(), cb.begin(), cb.end()).first - ca.begin();
    auto show = [k](const std::vector<int>& c) {
      return k < c.size() ? std::to_string(c[k]) : std::string("none");
    };
    return "cutoff " + std::to_string(k) + ": " + show(ca) + " vs " + show(cb);
  }
  for (int i = 0; i < a.node_count(); ++i) {
    const GraphNode& na = a.node(i);
    const GraphNode& nb = b.node(i);
    if (na.enabled != nb.enabled)
      return At(i) + "enabled " + std::to_string(int(na.enabled)) + " vs " +
             std::to_string(int(nb.enabled));
    const auto& ea = na.edges;
    const auto& eb = nb.edges;
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
