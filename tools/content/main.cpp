// kinetrope-content: writes the default game data.
//
//   kinetrope-content generate [--out DIR]   the whole data tree into DIR (default: here):
//                                            DIR/MartialArts.asf and DIR/data/...
//   kinetrope-content report                 frame counts and foot sliding of the clips
//   kinetrope-content preview [--clip FILE] [--frame N] [--out FILE.png]
//                                            the castle with a posed fighter at the start,
//                                            drawn offscreen (run in a generated folder)
//
// Exit code 0 on success, 1 when a file could not be written, 2 on bad usage.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "console/log.h"
#include "content_generator.h"
#include "motion_synth.h"
#include "preview.h"

namespace {

using namespace kt::content;

int Usage() {
  std::fprintf(stderr,
               "usage: kinetrope-content generate [--out DIR]\n"
               "       kinetrope-content report\n"
               "       kinetrope-content preview [--clip FILE] [--frame N] [--out FILE.png]\n");
  return 2;
}

int Generate(int argc, char** argv) {
  GenerateOptions options;
  for (int i = 0; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--out") && i + 1 < argc)
      options.out = argv[++i];
    else
      return Usage();
  }
  // The level builder logs through the game's log routine; keep its lines with the game.
  std::error_code ec;
  std::filesystem::create_directories(options.out, ec);
  kt::OpenLogFile((options.out / "log.txt").c_str());
  const auto start = std::chrono::steady_clock::now();
  GenerateReport report;
  const bool ok = Generate(options, report);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  for (const std::string& e : report.errors)
    std::fprintf(stderr, "kinetrope-content: %s\n", e.c_str());
  std::printf(
      "kinetrope-content: %d files written, %d unchanged, %d stale caches removed, %.1f MB, "
      "%.1f s, into %s\n",
      report.written, report.unchanged, report.caches_removed, report.bytes / 1048576.0, seconds,
      options.out.string().c_str());
  kt::CloseLogFile();
  return ok ? 0 : 1;
}

int Report() {
  for (const Clip& clip : MakeAllClips()) {
    const FootSliding s = MeasureFootSliding(clip.poses);
    std::printf(
        "%-14s %5zu frames  root speed %6.2f u/s  grounded foot: max %.3f u/s (%.2f%% of root), "
        "mean %.4f u/s over %d frames\n",
        clip.file.c_str(), clip.poses.size(), s.root_speed, s.max_speed,
        s.root_speed > 0 ? 100 * s.max_speed / s.root_speed : 0.0, s.mean_speed, s.grounded_frames);
  }
  return 0;
}

int Preview(int argc, char** argv) {
  PreviewOptions options;
  for (int i = 0; i + 1 < argc; i += 2) {
    if (!std::strcmp(argv[i], "--clip"))
      options.clip = argv[i + 1];
    else if (!std::strcmp(argv[i], "--frame"))
      options.frame = std::atoi(argv[i + 1]);
    else if (!std::strcmp(argv[i], "--out"))
      options.out = argv[i + 1];
    else
      return Usage();
  }
  if (argc % 2) return Usage();
  if (!RenderPreview(options)) return 1;
  std::printf("kinetrope-content: wrote %s\n", options.out.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && !std::strcmp(argv[1], "generate")) return Generate(argc - 2, argv + 2);
  if (argc == 2 && !std::strcmp(argv[1], "report")) return Report();
  if (argc >= 2 && !std::strcmp(argv[1], "preview")) return Preview(argc - 2, argv + 2);
  return Usage();
}
