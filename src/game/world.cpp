// World start-up, frame and shutdown.
//
// Contents: instances - start-up steps - the scene the renderer draws - frame - shutdown.
#include "game/world.h"

#include <cstdlib>
#include <memory>

#include "console/frame_timer.h"
#include "console/gl_console.h"
#include "character/game_world.h"
#include "render/renderer.h"

namespace kt {
namespace {

constexpr int kConsoleFontSize = 12;
constexpr float kConsoleOverlay = 0.75f;
constexpr unsigned kRandomSeed = 8;

struct WorldInstances {
  WorldPlatform platform;
  std::unique_ptr<GLConsole> console;
  bool rendering_enabled = false;
  FrameTimer world_timer;
};

WorldInstances& Instances() {
  static WorldInstances instances;
  return instances;
}

// ---- start-up steps ----

void RegisterImageHandlers(WorldInstances& w) {
  if (w.platform.register_image_handlers) w.platform.register_image_handlers();
}

// From here on every log line is also shown on the console. Its construction restores
// "cvar.ini"; the font it draws with is made in the current context.
void CreateConsole(WorldInstances& w) {
  w.console = std::make_unique<GLConsole>(nullptr, nullptr, kConsoleFontSize, kConsoleOverlay);
  GetRenderer().AttachConsole(w.console.get());
}

void MakeGameWorld(WorldInstances&) { CreateGameWorld(); }

// One generator for the process, seeded so every run draws the same sequence.
void SeedRandom(WorldInstances&) { std::srand(kRandomSeed); }

void InitRenderer(WorldInstances&) { RenderInit(); }

void EnableRendering(WorldInstances& w) { w.rendering_enabled = true; }

void ResetWorldTimer(WorldInstances& w) { w.world_timer.Reset(); }

struct StartupStep {
  const char* name;
  void (*run)(WorldInstances&);
};

// The order matters: the console must exist before anything logs, RenderInit before the
// rendering flag, and the renderer before anything that builds display lists or textures.
constexpr StartupStep kStartupSteps[] = {
    {"image handlers", RegisterImageHandlers},
    {"console", CreateConsole},
    {"game world", MakeGameWorld},
    {"random seed", SeedRandom},
    {"renderer", InitRenderer},
    {"rendering enabled", EnableRendering},
    {"world timer", ResetWorldTimer},
};

// ---- what the renderer draws of the world ----

class WorldScene : public FrameScene {};

}  // namespace

void WorldStartup(const WorldPlatform& platform) {
  WorldInstances& w = Instances();
  w.platform = platform;
  for (const StartupStep& step : kStartupSteps) step.run(w);
}

std::vector<std::string> WorldStartupSteps() {
  std::vector<std::string> names;
  for (const StartupStep& step : kStartupSteps) names.push_back(step.name);
  return names;
}

void WorldFrame() {
  WorldInstances& w = Instances();
  if (w.platform.refresh_panels) w.platform.refresh_panels();
  WorldScene scene;
  GetRenderer().Frame(scene);
}

void WorldShutdown() {
  WorldInstances& w = Instances();
  w.rendering_enabled = false;
  if (w.console) {
    GetRenderer().AttachConsole(nullptr);
    w.console.reset();  // saves "cvar.ini"
  }
  DestroyGameWorld();
}

bool RenderingEnabled() { return Instances().rendering_enabled; }
GLConsole* GetConsole() { return Instances().console.get(); }

void ResetWorld() {
  WorldShutdown();
  Instances().platform = WorldPlatform{};
}

}  // namespace kt
