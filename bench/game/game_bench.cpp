// The game on its default content. Every benchmark runs in a fresh copy of a game folder
// generated once per run; the first start-up builds the graph caches the later ones read.
// Updates run on a manual clock, 1/60 s per update, so every run simulates the same play.
#include <GL/gl.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "character/boss_controller.h"
#include "character/character.h"
#include "character/game_world.h"
#include "character/hunter_controller.h"
#include "console/clock.h"
#include "console/cvar.h"
#include "console/gl_console.h"
#include "console/log.h"
#include "content_generator.h"
#include "game/camera.h"
#include "game/world.h"
#include "graph/path_graph.h"
#include "input/input_devices.h"
#include "render/offscreen.h"
#include "render/renderer.h"

namespace kt {
namespace {

namespace fs = std::filesystem;
constexpr double kStep = 1.0 / 60.0;

bool IsCache(const fs::path& p) {
  const std::string ext = p.extension().string();
  return ext == ".gra" || ext == ".bin" || ext == ".mpos" || ext == ".mpos2";
}

// The generated default game, made on first use and removed at exit.
struct GameTemplate {
  fs::path dir;
  bool ok = false;
  GameTemplate() {
    dir = fs::temp_directory_path() / ("kinetrope-bench-game-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    content::GenerateOptions options;
    options.out = dir;
    content::GenerateReport report;
    ok = content::Generate(options, report);
  }
  ~GameTemplate() {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
};

GameTemplate& Template() {
  static GameTemplate t;
  return t;
}

// A fresh copy of the template as the working directory; `keep` copies the caches it built
// back into the template.
class GameCopy {
 public:
  explicit GameCopy(bool with_caches) : previous_(fs::current_path()) {
    static int counter = 0;
    path_ = Template().dir.string() + "-run" + std::to_string(counter++);
    fs::remove_all(path_);
    fs::create_directories(path_);
    for (const auto& e : fs::recursive_directory_iterator(Template().dir)) {
      const fs::path target = path_ / fs::relative(e.path(), Template().dir);
      if (e.is_directory())
        fs::create_directories(target);
      else if (with_caches || !IsCache(e.path()))
        fs::copy_file(e.path(), target, fs::copy_options::overwrite_existing);
    }
    CloseLogFile();
    fs::current_path(path_);
  }
  ~GameCopy() {
    CloseLogFile();
    std::error_code ec;
    fs::current_path(previous_, ec);
    fs::remove_all(path_, ec);
  }
  void KeepCaches() {
    for (const auto& e : fs::recursive_directory_iterator(path_))
      if (e.is_regular_file() && IsCache(e.path()))
        fs::copy_file(e.path(), Template().dir / fs::relative(e.path(), path_),
                      fs::copy_options::overwrite_existing);
  }

 private:
  fs::path path_;
  fs::path previous_;
};

struct ManualClockScope {
  ManualClock clock;
  ManualClockScope() { SetProcessClock(&clock); }
  ~ManualClockScope() { SetProcessClock(nullptr); }
};

void Start() {
  WorldPlatform platform;
  platform.input_handles = {true, true};
  WorldStartup(platform);
}

void Stop() {
  ResetWorld();
  ResetCharacterDrawing();
  ResetRenderer();
}

// Everything at work: the boss fighting, the hunter hunting, the guards wandering, the player
// swinging under the camera.
void StartPlay() {
  GameWorld* world = GetGameWorld();
  StartBossFight(world->boss);
  if (world->player) {
    world->player->invulnerable = true;  // a minute of play without losing
    GetCamera()->Attach(world->player);
  }
  if (GetConsole() && GetConsole()->IsOpen()) GetConsole()->Toggle();
  GetKeyboard()->KeyDown(CVar<int>("input.key_attack_left", 30));
}

int CountLines(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// One world update: the entity pass of a frame, without drawing.
void UpdateWorld() {
  GlobalInputPoll();
  GameWorld* world = GetGameWorld();
  for (size_t i = 0; i < world->entities.size(); ++i) world->entities[i]->Update();
}

double CpuSeconds() {
  timespec t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

bool Ready(benchmark::State& state, std::unique_ptr<OffscreenContext>& context, int w, int h) {
  if (!Template().ok) {
    state.SkipWithError("default content could not be generated");
    return false;
  }
  context = OffscreenContext::Create(w, h);
  if (!context) {
    state.SkipWithError("no EGL surfaceless context");
    return false;
  }
  ResetRenderer();
  return true;
}

void StartupToFirstFrame(benchmark::State& state, bool with_caches) {
  std::unique_ptr<OffscreenContext> context;
  if (!Ready(state, context, 800, 600)) return;
  for (auto _ : state) {
    state.PauseTiming();
    {
      GameCopy game(with_caches);
      state.ResumeTiming();
      Start();
      WorldFrame();
      glFinish();
      state.PauseTiming();
      if (!with_caches) game.KeepCaches();
      Stop();
    }
    state.ResumeTiming();
  }
}

// Runs first: it builds the graph caches the other benchmarks read.
void BM_StartupToFirstFrameNoCaches(benchmark::State& state) { StartupToFirstFrame(state, false); }
BENCHMARK(BM_StartupToFirstFrameNoCaches)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

void BM_StartupToFirstFrameWithCaches(benchmark::State& state) { StartupToFirstFrame(state, true); }
BENCHMARK(BM_StartupToFirstFrameWithCaches)->Unit(benchmark::kSecond)->Iterations(3)->UseRealTime();

// The CPU time of one world update over a minute of play: the mean (the benchmark's time), the
// worst update, and the share of the hunter's update beyond a blind guard's, which is its path
// planning (the two walk the same clips; only the hunter plans).
void BM_WorldUpdate(benchmark::State& state) {
  std::unique_ptr<OffscreenContext> context;
  if (!Ready(state, context, 64, 48)) return;
  ManualClockScope clock;
  GameCopy game(true);
  Start();
  StartPlay();
  GameWorld* world = GetGameWorld();
  Character* hunter = FindCharacter("guard2");
  Character* guard = FindCharacter("guard");
  // A hunter far off keeps hunting all minute (its prey invulnerable, it never stops).
  if (hunter && world->player)
    hunter->SetPosition(world->player->position + CVector(-400.0f, 0.0f, 0.0f));
  double worst = 0.0, total = 0.0, hunter_total = 0.0, guard_total = 0.0;
  int updates = 0;
  int hunting = 0;
  auto* hunter_controller =
      hunter ? dynamic_cast<HunterController*>(hunter->gameplay_controller()) : nullptr;
  Character* player = world->player;
  int approaches = 0;
  for (auto _ : state) {
    // Whenever the hunter has caught up it starts again 400 away on another side of the
    // courtyard, so that it turns and steers all minute.
    if (hunter && player && Distance(hunter->position, player->position) < 80.0f) {
      static const CVector kStarts[] = {{283.0f, 0.0f, -283.0f},
                                        {400.0f, 0.0f, 0.0f},
                                        {-283.0f, 0.0f, -283.0f},
                                        {-400.0f, 0.0f, 0.0f}};
      hunter->SetPosition(player->position + kStarts[approaches++ % 4]);
    }
    clock.clock.Advance(kStep);
    const double t0 = CpuSeconds();
    GlobalInputPoll();
    for (size_t i = 0; i < world->entities.size(); ++i) {
      Character* c = world->entities[i];
      const double s = CpuSeconds();
      c->Update();
      const double e = CpuSeconds() - s;
      if (c == hunter) hunter_total += e;
      if (c == guard) guard_total += e;
    }
    const double dt = CpuSeconds() - t0;
    total += dt;
    worst = std::max(worst, dt);
    ++updates;
    if (hunter_controller && hunter_controller->hunting()) ++hunting;
    state.SetIterationTime(dt);
  }
  std::ifstream log_file("log.txt");
  const std::string log((std::istreambuf_iterator<char>(log_file)),
                        std::istreambuf_iterator<char>());
  state.counters["plans"] = CountLines(log, "PATH PLANNED") + CountLines(log, "NO PATH FOUND");
  state.counters["hunting_share"] = double(hunting) / updates;
  state.counters["approaches"] = approaches;
  state.counters["worst_ms"] = worst * 1e3;
  state.counters["mean_ms"] = total / updates * 1e3;
  state.counters["hunter_ms"] = hunter_total / updates * 1e3;
  state.counters["guard_ms"] = guard_total / updates * 1e3;
  state.counters["planning_share"] = std::max(hunter_total - guard_total, 0.0) / total;
  Stop();
}
BENCHMARK(BM_WorldUpdate)->Iterations(3600)->UseManualTime()->Unit(benchmark::kMillisecond);

// One search of the hunter's path graph from wherever a minute of play left it, turned away
// from its target: the cost of a single plan at the current graphmove limits.
void BM_PathPlan(benchmark::State& state) {
  std::unique_ptr<OffscreenContext> context;
  if (!Ready(state, context, 64, 48)) return;
  ManualClockScope clock;
  GameCopy game(true);
  Start();
  Character* hunter = FindCharacter("guard2");
  auto* h = hunter ? dynamic_cast<HunterController*>(hunter->gameplay_controller()) : nullptr;
  PathGraph* graph = h ? h->walk_graph() : nullptr;
  if (!graph) {
    state.SkipWithError("the hunter has no path graph");
    Stop();
    return;
  }
  for (int i = 0; i < 120; ++i) {
    clock.clock.Advance(kStep);
    UpdateWorld();
  }
  const CVector back = Facing(h->Motion(kRoleMove)->ShownPosture()) * -1.0f;
  graph->SetTargetDirection(CVector(back.z, 0.0f, -back.x));  // a quarter turn
  CVar<int>("graphmove.debug", 1) = 0;
  int searched = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(graph->Plan());
    searched = graph->searched();
  }
  state.counters["searched"] = searched;
  CVar<int>("graphmove.debug", 1) = 1;
  Stop();
}
BENCHMARK(BM_PathPlan)->Unit(benchmark::kMicrosecond);

// One drawn frame of the default scene at 800x600 offscreen (Mesa's software renderer here):
// update, level, figures, swords, boss warp, console closed.
void BM_Frame800x600(benchmark::State& state) {
  std::unique_ptr<OffscreenContext> context;
  if (!Ready(state, context, 800, 600)) return;
  ManualClockScope clock;
  GameCopy game(true);
  Start();
  StartPlay();
  CVar<int>("world.draw_level", 1) = int(state.range(0));
  for (int i = 0; i < 60; ++i) {
    clock.clock.Advance(kStep);
    WorldFrame();
  }
  for (auto _ : state) {
    clock.clock.Advance(kStep);
    WorldFrame();
    glFinish();
  }
  state.counters["frames/s"] =
      benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
  const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  state.SetLabel(renderer ? renderer : "?");
  CVar<int>("world.draw_level", 1) = 1;
  Stop();
}
// Argument: world.draw_level (1 the whole frame; 0 without the level, to see its part).
BENCHMARK(BM_Frame800x600)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(3.0);

}  // namespace
}  // namespace kt

BENCHMARK_MAIN();
