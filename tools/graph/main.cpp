// kinetrope-graph: builds transition graph files from Acclaim motions, compares and
// summarises them.
//
//   kinetrope-graph build --asf FILE --amc FILE[,FILE...] [--eval-type N] [--threshold T]
//                         [--transition-time S] [--frame-rate R] [--reference] --out FILE.gra
//   kinetrope-graph compare A.gra B.gra
//   kinetrope-graph info FILE.gra
//
// build concatenates the clips into one motion, builds its graph (the fast row scan unless
// --reference) with a progress bar on stderr, writes the ".gra" file and ends its output with
// "frames=N edges=E enabled=K cutoffs=C seconds=S" (S: wall seconds of the construction).
// compare exits 0 when node count, cutoffs, flags, edge targets and order agree and weights
// agree to 1e-5 (relative above 1), else prints the first difference and exits 1. Paths are
// taken as given; no caches are written beside the motions. Exit code 2 on bad usage.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "console/log.h"
#include "gra_file.h"
#include "graph/fast_row_scan.h"
#include "graph/graph_kinds.h"
#include "graph/window_score.h"
#include "scan_motion.h"
#include "tool_args.h"

namespace {

using kt::tool::Args;
using kt::tool::GraFile;
using kt::tool::StderrSink;

constexpr int kDifferent = 1;
constexpr int kBadUsage = 2;

int Usage() {
  std::fputs(
      "usage: kinetrope-graph build --asf FILE --amc FILE[,FILE...] [--eval-type N]\n"
      "                             [--threshold T] [--transition-time S] [--frame-rate R]\n"
      "                             [--reference] --out FILE.gra\n"
      "       kinetrope-graph compare A.gra B.gra\n"
      "       kinetrope-graph info FILE.gra\n",
      stderr);
  return kBadUsage;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "kinetrope-graph: %s\n", message.c_str());
  return kDifferent;
}

// Parses the whole word as a number; false for anything else.
bool ParseNumber(const std::string& text, double& out) {
  char* end = nullptr;
  out = std::strtod(text.c_str(), &end);
  return !text.empty() && *end == '\0' && std::isfinite(out);
}

// "[#####.....]  1234/4000 rows  31%  2100 rows/s  1.3 s left", redrawn at most every 0.2 s.
class ProgressBar {
 public:
  void Update(int done, int total) {
    const auto now = std::chrono::steady_clock::now();
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    if (done < total && elapsed - last_draw_ < 0.2) return;
    last_draw_ = elapsed;
    const double fraction = total > 0 ? double(done) / total : 1.0;
    const double rate = elapsed > 0 ? done / elapsed : 0.0;
    const double left = rate > 0 ? (total - done) / rate : 0.0;
    constexpr int kWidth = 30;
    const int filled = int(fraction * kWidth);
    std::fprintf(stderr, "\r[%s%s] %d/%d rows %3.0f%% %.0f rows/s %.1f s left ",
                 std::string(filled, '#').c_str(), std::string(kWidth - filled, '.').c_str(), done,
                 total, 100 * fraction, rate, left);
    if (done >= total) std::fputc('\n', stderr);
    std::fflush(stderr);
  }

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  double last_draw_ = -1.0;
};

bool ReadSettings(const Args& args, kt::tool::GraphSettings& settings) {
  double value;
  if (args.options.count("eval-type")) {
    if (!ParseNumber(args.options.at("eval-type"), value) || value < 0 || value > 3) return false;
    settings.eval_type = int(value);
  }
  settings.threshold = kt::SuggestedThreshold(settings.eval_type).value_or(0.96f);
  if (args.options.count("threshold")) {
    if (!ParseNumber(args.options.at("threshold"), value)) return false;
    settings.threshold = float(value);
  }
  if (args.options.count("transition-time")) {
    if (!ParseNumber(args.options.at("transition-time"), value) || value <= 0 || value > 10)
      return false;
    settings.transition_time = float(value);
  }
  if (args.options.count("frame-rate")) {
    if (!ParseNumber(args.options.at("frame-rate"), value) || value < 1 || value > 1000)
      return false;
    settings.frame_rate = int(value);
  }
  return true;
}

int Build(const Args& args) {
  if (!args.positional.empty() || !args.options.count("asf") || !args.options.count("amc") ||
      !args.options.count("out"))
    return Usage();
  kt::tool::GraphSettings settings;
  if (!ReadSettings(args, settings))
    return Fail(
        "bad --eval-type, --threshold, "
        "--transition-time or --frame-rate");
  const std::string out = args.options.at("out");
  std::string error;
  const auto motion =
      kt::tool::LoadMotion(std::filesystem::path(out).stem().string(), args.options.at("asf"),
                           kt::tool::SplitCommas(args.options.at("amc")), error);
  if (!motion) return Fail(error);

  kt::tool::BuildPlayer player(*motion, settings);
  kt::GraphBuildOptions options;
  options.row_scan =
      args.flags.count("reference") ? kt::RowScanKind::kReference : kt::RowScanKind::kFast;
  options.write_cache = false;
  kt::CutoffGraph graph(player, options);
  ProgressBar bar;
  kt::FastRowScanProgressScope progress([&bar](int done, int total) { bar.Update(done, total); });
  if (args.flags.count("reference"))
    std::fputs("building with the reference row scan (no progress)\n", stderr);
  const auto start = std::chrono::steady_clock::now();
  graph.GenerateGraph();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!graph.ExportGraph(out)) return Fail("cannot write " + out);

  int enabled = 0;
  for (const kt::GraphNode& node : graph.nodes()) enabled += node.enabled;
  std::printf("frames=%d edges=%d enabled=%d cutoffs=%zu seconds=%.3f\n", graph.node_count(),
              graph.EdgeCount(), enabled, graph.cutoffs().size(), seconds);
  return 0;
}

int Compare(const Args& args) {
  if (args.positional.size() != 2 || !args.options.empty()) return Usage();
  GraFile a, b;
  std::string error;
  if (!kt::tool::ReadGraFile(args.positional[0], a, error) ||
      !kt::tool::ReadGraFile(args.positional[1], b, error))
    return Fail(error);
  const std::string difference = kt::tool::FirstDifference(a, b);
  if (!difference.empty()) {
    std::printf("different: %s\n", difference.c_str());
    return kDifferent;
  }
  std::printf("same: %d nodes\n", a.nodes);
  return 0;
}

int Info(const Args& args) {
  if (args.positional.size() != 1 || !args.options.empty()) return Usage();
  GraFile g;
  std::string error;
  if (!kt::tool::ReadGraFile(args.positional[0], g, error)) return Fail(error);
  long long edges = 0;
  int enabled = 0;
  std::map<size_t, int> histogram;
  for (int i = 0; i < g.nodes; ++i) {
    edges += (long long)g.edges[i].size();
    enabled += g.enabled[i];
    ++histogram[g.edges[i].size()];
  }
  std::printf("nodes: %d\nedges: %lld\nenabled nodes: %d\ncutoffs: %zu\n", g.nodes, edges, enabled,
              g.cutoffs.size());
  std::printf("edges per node (edges: nodes):\n");
  for (const auto& [count, nodes] : histogram) std::printf("  %zu: %d\n", count, nodes);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const Args args = kt::tool::ParseArgs(argc, argv, 2, {"reference"});
  if (!args.ok) return Usage();
  const std::string command = argv[1];
  if (command == "compare") return Compare(args);
  if (command == "info") return Info(args);
  if (command != "build") return Usage();
  StderrSink sink;
  kt::SetLogSink(&sink);
  const int code = Build(args);
  kt::SetLogSink(nullptr);
  return code;
}
