// Level speed on OpenArena's oa_dm1 (Debian's openarena-081-maps): swept-sphere traces and
// penetration tests from the map's spawn points, loading the map, and one offscreen frame
// drawn from a spawn point (640 x 480, untextured, lightmapped).
#include <GL/gl.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "console/log.h"
#include "level/bsp_level.h"
#include "level/level_view.h"
#include "render/gl_extensions.h"
#include "render/offscreen.h"

namespace {

using namespace kt;

const char kArchive[] = "/usr/share/games/openarena/baseoa/pak1-maps.pk3";

// Extracts the map once into a scratch folder, which also receives "bspdata.txt".
const std::string& MapPath() {
  static const std::string path = [] {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("kinetrope-level-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);
    OpenLogFile("log.txt");
    const std::string map = (dir / "oa_dm1.bsp").string();
    const std::string command =
        std::string("unzip -p '") + kArchive + "' maps/oa_dm1.bsp > '" + map + "'";
    return std::system(command.c_str()) == 0 ? map : std::string();
  }();
  return path;
}

bool HaveMap(benchmark::State& state) {
  if (std::filesystem::exists(kArchive) && !MapPath().empty()) return true;
  state.SkipWithError("openarena-081-maps not installed");
  return false;
}

// Moves from each spawn point in 64 directions, 512 units long.
std::vector<std::pair<CVector, CVector>> Moves(const BspLevel& level) {
  std::vector<std::pair<CVector, CVector>> moves;
  for (const CVector& start : FindEntityOrigins(level.entities(), "info_player_deathmatch"))
    for (int i = 0; i < 64; ++i) {
      const double a = i * 2.399963, e = std::sin(i * 0.7) * 0.6;
      moves.emplace_back(start,
                         CVector(float(512 * std::cos(a) * std::cos(e)), float(512 * std::sin(e)),
                                 float(512 * std::sin(a) * std::cos(e))));
    }
  return moves;
}

// The map loaded without GL, solid textures collidable.
struct CollisionMap {
  CollisionMap() {
    level.Load(MapPath());
    level.MarkSolidTexturesCollidable();
  }
  HeadlessLevelTextures textures;
  BspLevel level{&textures};
};

void BM_Trace(benchmark::State& state) {
  if (!HaveMap(state)) return;
  CollisionMap map;
  BspLevel& level = map.level;
  const auto moves = Moves(level);
  const float radius = float(state.range(0));
  size_t i = 0;
  for (auto _ : state) {
    const auto& [start, move] = moves[i++ % moves.size()];
    benchmark::DoNotOptimize(level.Trace(start, move, radius));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Trace)->Arg(0)->Arg(16)->Arg(40);

void BM_Penetration(benchmark::State& state) {
  if (!HaveMap(state)) return;
  CollisionMap map;
  BspLevel& level = map.level;
  const auto moves = Moves(level);
  size_t i = 0;
  for (auto _ : state) {
    const auto& [start, move] = moves[i++ % moves.size()];
    benchmark::DoNotOptimize(level.Penetration(start + move * 0.1f, 20.0f));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Penetration);

void BM_LoadHeadless(benchmark::State& state) {
  if (!HaveMap(state)) return;
  HeadlessLevelTextures textures;
  for (auto _ : state) {
    BspLevel level(&textures);
    benchmark::DoNotOptimize(level.Load(MapPath()));
  }
}
BENCHMARK(BM_LoadHeadless)->Unit(benchmark::kMillisecond);

void BM_RenderFrame(benchmark::State& state) {
  if (!HaveMap(state)) return;
  auto context = OffscreenContext::Create(640, 480);
  if (!context) {
    state.SkipWithError("no offscreen OpenGL context");
    return;
  }
  LoadGLExtensions();
  BspLevel level;
  level.Load(MapPath());
  CVector eye;
  float yaw = 0;
  FindPlayerStart(level.entities(), eye, yaw);
  eye.y += 26.0f;
  SetUpLevelView(level, eye, yaw, 640, 480);
  size_t faces = 0;
  for (auto _ : state) {
    DrawLevelFrame(level, eye);
    glFinish();
    faces = 0;
    for (size_t f = 0; f < level.faces().size(); ++f) faces += level.FaceDrawn(int(f));
  }
  state.counters["faces_drawn"] = double(faces);
  state.counters["faces"] = double(level.faces().size());
}
BENCHMARK(BM_RenderFrame)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
