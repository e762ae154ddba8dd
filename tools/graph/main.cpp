// kinetrope-graph: builds transition graph files from Acclaim motions, compares, summarises
// and draws them.
//
//   kinetrope-graph build --asf FILE --amc FILE[,FILE...] [--eval-type N] [--threshold T]
//                         [--transition-time S] [--frame-rate R] [--reference] --out FILE.gra
//   kinetrope-graph compare A.gra B.gra
//   kinetrope-graph info FILE.gra
//   kinetrope-graph draw FILE.gra --out FILE.png [--size WxH] [--frame N] [--jump A,B]
//                        [--layout circle|line]
//
// build concatenates the clips into one motion, builds its graph (the fast row scan unless
// --reference) with a progress bar on stderr, writes the ".gra" file and ends its output with
// "frames=N edges=E enabled=K cutoffs=C seconds=S" (S: wall seconds of the construction).
// compare exits 0 when node count, cutoffs, flags, edge targets and order agree and weights
// agree to 1e-5 (relative above 1), else prints the first difference and exits 1. Paths are
// taken as given; no caches are written beside the motions. draw writes the graph picture
// (render/graph_picture.h), 800x800 unless --size, with frame N as the current frame and A -> B as
// the last jump. compare, info and draw read ".gra" files with the game's ImportGraph; a file it
// refuses is an error with its reason. Exit code 2 on bad usage.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "console/log.h"
#include "gra_file.h"
#ifdef KINETROPE_FAST_ROW_SCAN
#include "graph/fast_row_scan.h"
#endif
#include "graph/graph_kinds.h"
#include "graph/window_score.h"
#include "motion/motion_data.h"
#include "render/graph_picture.h"
#include "render/offscreen.h"
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
      "       kinetrope-graph info FILE.gra\n"
      "       kinetrope-graph draw FILE.gra --out FILE.png [--size WxH] [--frame N]\n"
      "                            [--jump A,B] [--layout circle|line]\n",
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
#ifdef KINETROPE_FAST_ROW_SCAN
  kt::FastRowScanProgressScope progress([&bar](int done, int total) { bar.Update(done, total); });
#endif
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
  const std::string difference = kt::tool::FirstDifference(*a.graph, *b.graph);
  if (!difference.empty()) {
    std::printf("different: %s\n", difference.c_str());
    return kDifferent;
  }
  std::printf("same: %d nodes\n", a.graph->node_count());
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
  for (const kt::GraphNode& node : g.graph->nodes()) {
    edges += (long long)node.edges.size();
    enabled += node.enabled;
    ++histogram[node.edges.size()];
  }
  std::printf("nodes: %d\nedges: %lld\nenabled nodes: %d\ncutoffs: %zu\n", g.graph->node_count(),
              edges, enabled, g.graph->cutoffs().size());
  std::printf("edges per node (edges: nodes):\n");
  for (const auto& [count, nodes] : histogram) std::printf("  %zu: %d\n", count, nodes);
  return 0;
}

// A whole number in first..last, or nothing.
std::optional<int> ParseInt(const std::string& text, int first, int last) {
  double value;
  if (!ParseNumber(text, value) || value != std::floor(value) || value < first || value > last)
    return std::nullopt;
  return int(value);
}

int Draw(const Args& args) {
  static const std::set<std::string> kKnown = {"out", "size", "frame", "jump", "layout"};
  if (args.positional.size() != 1 || !args.options.count("out") || !args.flags.empty())
    return Usage();
  for (const auto& [name, value] : args.options)
    if (!kKnown.count(name)) return Usage();
  const std::string path = args.positional[0];
  const std::string out = args.options.at("out");

  kt::GraphPictureView view;
  view.viewport = {0, 0, 800, 800};
  if (args.options.count("size")) {
    const std::string size = args.options.at("size");
    const size_t x = size.find('x');
    const auto w = x == std::string::npos ? std::nullopt : ParseInt(size.substr(0, x), 16, 8192);
    const auto h = x == std::string::npos ? std::nullopt : ParseInt(size.substr(x + 1), 16, 8192);
    if (!w || !h) return Fail("--size wants WxH, each 16 to 8192");
    view.viewport.width = *w;
    view.viewport.height = *h;
  }
  if (args.options.count("layout")) {
    const std::string layout = args.options.at("layout");
    if (layout != "circle" && layout != "line") return Fail("--layout is circle or line");
    view.layout = layout == "line" ? kt::GraphLayout::kLine : kt::GraphLayout::kCircle;
  }

  GraFile file;
  std::string error;
  if (!kt::tool::ReadGraFile(path, file, error)) return Fail(error);
  const kt::TransitionGraph& graph = *file.graph;
  if (graph.node_count() <= 0) return Fail(path + " has no frames");
  const int last = graph.node_count() - 1;
  if (args.options.count("frame")) {
    view.current_frame = ParseInt(args.options.at("frame"), 0, last);
    if (!view.current_frame)
      return Fail("--frame wants a frame of the graph, 0 to " + std::to_string(last));
  }
  if (args.options.count("jump")) {
    const std::vector<std::string> ends = kt::tool::SplitCommas(args.options.at("jump"));
    const auto from = ends.size() == 2 ? ParseInt(ends[0], 0, last) : std::nullopt;
    const auto to = ends.size() == 2 ? ParseInt(ends[1], 0, last) : std::nullopt;
    if (!from || !to) return Fail("--jump wants A,B, frames of the graph");
    view.last_jump = std::make_pair(*from, *to);
  }

  const auto context = kt::OffscreenContext::Create(view.viewport.width, view.viewport.height);
  if (!context) return Fail("no offscreen OpenGL context");
  kt::DrawGraphPicture(graph, view);
  if (!context->SavePNG(out)) return Fail("cannot write " + out);
  std::printf("wrote %s: %dx%d, %d frames, %d edges, %zu cutoffs\n", out.c_str(),
              view.viewport.width, view.viewport.height, graph.node_count(), graph.EdgeCount(),
              graph.cutoffs().size());
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
  if (command != "build" && command != "draw") return Usage();
  StderrSink sink;
  kt::SetLogSink(&sink);
  const int code = command == "build" ? Build(args) : Draw(args);
  kt::SetLogSink(nullptr);
  return code;
}
