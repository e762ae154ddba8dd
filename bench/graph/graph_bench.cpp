// Graph construction benchmark: the fast row scan against the reference.
//
//   graph_bench equality [--types 0,1,2,3]      every CMU clip, each type: same edges?
//   graph_bench speed --frames N [--types ...]  one motion of N frames (subject 02's clips
//                                               concatenated): reference and fast times
//   graph_bench scale --frames N [--type T]     fast only, on subject 02's clips repeated to
//                                               N frames: time, rows/s, peak resident memory
//
// L = 18 (0.15 s at 120 frames/s). Thresholds that yield edges: 0.96 for types 0 and 3, 0.46
// for type 1, -100 for type 2 (scale uses 0.96 for type 2: at -100 every block of a 50,000
// frame motion holds an edge, over a gigabyte of edges). Exit code 1 when any result differs.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "console/log.h"
#include "graph/fast_row_scan.h"
#include "scan_motion.h"
#include "tool_args.h"

namespace {

namespace fs = std::filesystem;
using kt::tool::GraphSettings;

const fs::path kCmu = fs::path(KINETROPE_REALDATA_DIR) / "cmu";

float EdgeThreshold(int type) {
  static const float kThresholds[4] = {0.96f, 0.46f, -100.0f, 0.96f};
  return kThresholds[type];
}

double Seconds(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

long long EdgeCount(const kt::RowScanResult& rows) {
  long long n = 0;
  for (const auto& row : rows) n += (long long)row.size();
  return n;
}

bool SameEdges(const kt::RowScanResult& a, const kt::RowScanResult& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i]) return false;  // targets and weights, bit for bit
  return true;
}

double PeakResidentMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
}

std::vector<std::string> Clips(const fs::path& subject_dir) {
  std::vector<std::string> clips;
  for (const auto& entry : fs::directory_iterator(subject_dir))
    if (entry.path().extension() == ".amc") clips.push_back(entry.path().string());
  std::sort(clips.begin(), clips.end());
  return clips;
}

std::string Asf(const fs::path& subject_dir) {
  return (subject_dir / (subject_dir.filename().string() + ".asf")).string();
}

std::vector<int> Types(const std::map<std::string, std::string>& opt, const char* fallback) {
  std::vector<int> types;
  const auto it = opt.find("types");
  for (const std::string& t : kt::tool::SplitCommas(it == opt.end() ? fallback : it->second))
    types.push_back(std::atoi(t.c_str()));
  return types;
}

struct Result {
  double reference_s = 0, fast_s = 0;
  long long edges = 0;
  bool equal = false;
  kt::FastRowScanStats stats;
};

Result Compare(const kt::MotionData& motion, int type, bool run_reference) {
  GraphSettings settings;
  settings.eval_type = type;
  settings.threshold = EdgeThreshold(type);
  kt::tool::ScanInputData data(motion, settings);
  Result r;
  auto start = std::chrono::steady_clock::now();
  const kt::RowScanResult fast = kt::FastRowScan(data.in, {}, &r.stats);
  r.fast_s = Seconds(start);
  r.edges = EdgeCount(fast);
  if (run_reference) {
    start = std::chrono::steady_clock::now();
    const kt::RowScanResult reference = kt::ReferenceRowScan(data.in);
    r.reference_s = Seconds(start);
    r.equal = SameEdges(fast, reference);
  }
  return r;
}

int Equality(const std::map<std::string, std::string>& opt) {
  const std::vector<int> types = Types(opt, "0,1,2,3");
  int differences = 0;
  std::printf("%-12s %4s %6s %9s %10s %9s %s\n", "clip", "type", "frames", "edges", "reference_s",
              "fast_s", "equal");
  std::vector<fs::path> subjects;
  for (const auto& entry : fs::directory_iterator(kCmu))
    if (entry.is_directory()) subjects.push_back(entry.path());
  std::sort(subjects.begin(), subjects.end());
  for (const fs::path& subject : subjects) {
    for (const std::string& clip : Clips(subject)) {
      std::string error;
      const auto motion = kt::tool::LoadMotion("bench", Asf(subject), {clip}, error);
      if (!motion) {
        std::printf("%s: %s\n", clip.c_str(), error.c_str());
        ++differences;
        continue;
      }
      for (int type : types) {
        const Result r = Compare(*motion, type, true);
        differences += !r.equal;
        std::printf("%-12s %4d %6d %9lld %10.2f %9.3f %s\n", fs::path(clip).stem().c_str(), type,
                    motion->frame_count(), r.edges, r.reference_s, r.fast_s,
                    r.equal ? "yes" : "NO");
        std::fflush(stdout);
      }
    }
  }
  std::printf("equality: %d difference(s)\n", differences);
  return differences ? 1 : 0;
}

std::unique_ptr<kt::MotionData> Subject02(int frames) {
  const fs::path subject = kCmu / "02";
  std::vector<std::string> clips;
  const std::vector<std::string> all = Clips(subject);
  for (int copies = 0; copies < 64; ++copies) clips.insert(clips.end(), all.begin(), all.end());
  std::string error;
  auto motion = kt::tool::LoadMotion("bench", Asf(subject), clips, error, frames);
  if (!motion) std::fprintf(stderr, "graph_bench: %s\n", error.c_str());
  return motion;
}

int Speed(const std::map<std::string, std::string>& opt) {
  const int frames = std::atoi(opt.count("frames") ? opt.at("frames").c_str() : "4000");
  const auto motion = Subject02(frames);
  if (!motion) return 1;
  int differences = 0;
  std::printf("motion: %d frames, %zu clips, L = 18\n", motion->frame_count(),
              motion->clip_ends().size());
  std::printf("%4s %9s %11s %8s %8s %10s %10s\n", "type", "edges", "reference_s", "fast_s",
              "speedup", "gemm_share", "recomputed");
  for (int type : Types(opt, "0,1,2,3")) {
    const Result r = Compare(*motion, type, true);
    differences += !r.equal;
    const double share =
        r.stats.thread_seconds > 0 ? r.stats.gemm_seconds / r.stats.thread_seconds : 0;
    std::printf("%4d %9lld %11.2f %8.3f %7.1fx %9.1f%% %10lld %s\n", type, r.edges, r.reference_s,
                r.fast_s, r.reference_s / r.fast_s, 100 * share, r.stats.recomputed,
                r.equal ? "equal" : "DIFFERENT");
    std::fflush(stdout);
  }
  return differences ? 1 : 0;
}

int Scale(const std::map<std::string, std::string>& opt) {
  const int frames = std::atoi(opt.count("frames") ? opt.at("frames").c_str() : "50000");
  const int type = std::atoi(opt.count("type") ? opt.at("type").c_str() : "2");
  const auto motion = Subject02(frames);
  if (!motion) return 1;
  GraphSettings settings;
  settings.eval_type = type;
  settings.threshold = type == 2 ? 0.96f : EdgeThreshold(type);
  kt::tool::ScanInputData data(*motion, settings);
  kt::FastRowScanStats stats;
  const auto start = std::chrono::steady_clock::now();
  const kt::RowScanResult rows = kt::FastRowScan(data.in, {}, &stats);
  const double s = Seconds(start);
  std::printf(
      "scale: type=%d frames=%d edges=%lld seconds=%.2f rows_per_second=%.0f gemm_share=%.1f%% "
      "recomputed=%lld peak_rss_mib=%.0f\n",
      type, motion->frame_count(), EdgeCount(rows), s, motion->frame_count() / s,
      100 * stats.gemm_seconds / std::max(stats.thread_seconds, 1e-9), stats.recomputed,
      PeakResidentMiB());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs(
        "usage: graph_bench equality|speed|scale [--frames N] [--types 0,1,2,3] [--type T]\n",
        stderr);
    return 2;
  }
  std::map<std::string, std::string> opt;
  for (int i = 2; i + 1 < argc; i += 2) opt[std::string(argv[i]).substr(2)] = argv[i + 1];
  kt::SetLogSink(nullptr);
  const std::string command = argv[1];
  if (command == "equality") return Equality(opt);
  if (command == "speed") return Speed(opt);
  if (command == "scale") return Scale(opt);
  std::fputs("graph_bench: unknown command\n", stderr);
  return 2;
}
