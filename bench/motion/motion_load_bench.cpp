// Loading a long clip: AMC text parsing against the ".bin" posture cache, in frames per second.
// Uses the longest CMU clip of the real-data folder (2251 frames of swordplay).
#include <benchmark/benchmark.h>

#include <filesystem>

#include "console/log.h"
#include "motion/motion_data.h"

namespace {

namespace fs = std::filesystem;

// A scratch folder holding data/motions/long.amc, made the working directory.
bool PrepareClip() {
  static bool ready = false;
  if (ready) return true;
  const fs::path cmu = fs::path(KINETROPE_REALDATA_DIR) / "cmu" / "02";
  if (!fs::exists(cmu / "02_07.amc")) return false;
  const fs::path dir = fs::temp_directory_path() / "kinetrope-motion-bench";
  fs::remove_all(dir);
  fs::create_directories(dir / "data" / "motions");
  fs::copy_file(cmu / "02_07.amc", dir / "data" / "motions" / "long.amc");
  fs::current_path(dir);
  kt::OpenLogFile("log.txt");
  ready = kt::UseMotionSkeletons((cmu / "02.asf").string());
  return ready;
}

void Load(benchmark::State& state, bool caches) {
  if (!PrepareClip()) {
    state.SkipWithError("real data folder not found");
    return;
  }
  kt::SetMotionCachesEnabled(caches);
  if (caches) kt::MotionData warm("warm", "long.amc", kt::kMotionScale, 0, 120);
  int frames = 0;
  for (auto _ : state) {
    kt::MotionData m("long", "long.amc", kt::kMotionScale, 0, 120);
    frames = m.frame_count();
    benchmark::DoNotOptimize(m.postures().data());
  }
  state.SetItemsProcessed(state.iterations() * frames);
  state.counters["frames"] = frames;
}

void BM_ParseAmcText(benchmark::State& state) { Load(state, false); }
void BM_LoadBinCache(benchmark::State& state) { Load(state, true); }

BENCHMARK(BM_ParseAmcText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadBinCache)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
