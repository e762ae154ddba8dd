// World start-up, frame and shutdown.
//
// Contents: instances - start-up steps - the scene the renderer draws - frame - shutdown.
#include "game/world.h"

#include <malloc.h>

#include <cstdlib>
#include <memory>

#include "character/character.h"
#include "character/game_world.h"
#include "character/swing_table.h"
#include "console/frame_timer.h"
#include "console/gl_console.h"
#include "game/camera.h"
#include "game/console_commands.h"
#include "game/game_state.h"
#include "game/keyboard_fly.h"
#include "game/scene_loader.h"
#include "level/bsp_level.h"
#include "render/renderer.h"
#include "sound/fmod_sound.h"

namespace kt {
namespace {

constexpr int kConsoleFontSize = 12;
constexpr float kConsoleOverlay = 0.75f;
constexpr unsigned kRandomSeed = 8;
constexpr const char* kDefaultScene = "data/scenes/default.sce";

// Members are destroyed in reverse order; shutdown resets them in its own order first.
struct WorldInstances {
  WorldPlatform platform;
  std::unique_ptr<BspLevel> level;
  std::unique_ptr<GLConsole> console;
  std::unique_ptr<SceneLoader> scene_loader;
  std::unique_ptr<FMODSound> sound;
  std::unique_ptr<SwingTable> swing_table;
  std::unique_ptr<Camera> camera;
  bool rendering_enabled = false;
  unsigned sword_list = 0;
  FrameTimer world_timer;
  FrameTimer heap_timer;
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
// "cvar.ini" and then registers the console commands; the font it draws with is made in the
// current context.
void CreateConsole(WorldInstances& w) {
  w.console = std::make_unique<GLConsole>(nullptr, nullptr, kConsoleFontSize, kConsoleOverlay,
                                          RegisterConsoleCommands);
  GetRenderer().AttachConsole(w.console.get());
}

void MakeGameWorld(WorldInstances&) { CreateGameWorld(); }

void CreateSceneLoader(WorldInstances& w) { w.scene_loader = std::make_unique<SceneLoader>(); }

void CreateLevel(WorldInstances& w) { w.level = std::make_unique<BspLevel>(); }

// Opening the audio device may fail (no sound card): the sound module logs it and stays
// silent.
void CreateSound(WorldInstances& w) { w.sound = std::make_unique<FMODSound>(); }

void CreateSwingTable(WorldInstances& w) { w.swing_table = std::make_unique<SwingTable>(); }

// One generator for the process, seeded so every run draws the same sequence.
void SeedRandom(WorldInstances&) { std::srand(kRandomSeed); }

void InitRenderer(WorldInstances&) { RenderInit(); }

void EnableRendering(WorldInstances& w) { w.rendering_enabled = true; }

void MakeSwordList(WorldInstances& w) { w.sword_list = BuildSwordList(); }

void ResetWorldTimer(WorldInstances& w) { w.world_timer.Reset(); }

void CreateCamera(WorldInstances& w) {
  w.camera = std::make_unique<Camera>();
  GetGameWorld()->camera = w.camera.get();
}

// A failed load is logged by the loader; the game goes on with what was created.
void LoadScene(WorldInstances& w) { w.scene_loader->Load(kDefaultScene); }

void FindPlayerAndBoss(WorldInstances&) {
  GameWorld* world = GetGameWorld();
  world->player = FindCharacter("player1");
  world->boss = FindCharacter("boss");
}

// The states load their screens, so the renderer must be up. The world's and the console's
// requests to start a state by name go to the registry from here on.
void MakeGameStates(WorldInstances&) {
  CreateGameStates();
  GetGameWorld()->change_state = [](const std::string& name) { StartState(name); };
  SetConsoleGameStates({
      .rearm = [](const std::string& name) { return RearmState(name); },
      .start = [](const std::string& name) { return StartState(name); },
      .exists = [](const std::string& name) { return FindState(name) != nullptr; },
  });
}

void InitInput(WorldInstances& w) {
  GlobalInputInit(w.platform.input_handles);
  SetKeyboardFlyHandler([] { KeyboardFly(); });
}

struct StartupStep {
  const char* name;
  void (*run)(WorldInstances&);
};

// The order matters: the console must exist before anything logs, RenderInit before the
// rendering flag, the renderer before anything that builds display lists or textures, and the
// camera before the scene that places it.
constexpr StartupStep kStartupSteps[] = {
    {"image handlers", RegisterImageHandlers},
    {"console", CreateConsole},
    {"game world", MakeGameWorld},
    {"scene loader", CreateSceneLoader},
    {"level", CreateLevel},
    {"sound", CreateSound},
    {"swing table", CreateSwingTable},
    {"random seed", SeedRandom},
    {"renderer", InitRenderer},
    {"rendering enabled", EnableRendering},
    {"sword list", MakeSwordList},
    {"world timer", ResetWorldTimer},
    {"camera", CreateCamera},
    {"scene", LoadScene},
    {"player and boss", FindPlayerAndBoss},
    {"game states", MakeGameStates},
    {"input devices", InitInput},
};

// ---- what the renderer draws of the world ----

class WorldScene : public FrameScene {
 public:
  explicit WorldScene(WorldInstances& w) : w_(w), world_(GetGameWorld()) {}

  void UpdateCamera() override {
    if (w_.camera) w_.camera->Update();
  }
  void DrawLevel() override {
    if (w_.level && w_.level->loaded() && w_.camera) w_.level->Render(w_.camera->position);
  }
  void DrawOpaque() override {
    if (!world_) return;
    for (Character* c : world_->entities)
      if (c->flags() & kEntityDrawn) c->Draw();
  }
  void DrawBossWarp() override {
    if (world_ && world_->boss && world_->boss->warping) world_->boss->Draw();
  }
  void DrawStateScreens() override { DrawGameStates(); }
  void DrawTranslucent() override {
    if (!world_) return;
    for (Character* c : world_->entities) {
      if (!(c->flags() & kEntityDrawn)) continue;
      if (c->dying)
        c->Draw();
      else
        c->DrawSwordTrail();
    }
  }

 private:
  WorldInstances& w_;
  GameWorld* world_;
};

// Large blocks (clip texts, graph matrices, level lumps) are mapped on their own and go back to
// the system when freed. glibc would otherwise raise its mapping threshold after the first such
// block is freed and carve later ones from the heap, whose freed pages it keeps. A process-wide
// setting: setting it again at a later start-up changes nothing.
void KeepLargeBlocksMapped() {
#ifdef __GLIBC__
  mallopt(M_MMAP_THRESHOLD, 256 * 1024);
#endif
}

// The software GL driver builds each frame in 64 KB blocks from the heap and frees them once
// the frame is drawn. Freed pages below blocks that are still alive stay resident, since the
// heap only shrinks from its top, so a long game would keep its busiest frame's pages. Once a
// second the free pages go back to the system (a walk of the free lists, about half a
// millisecond).
constexpr double kHeapReturnPeriod = 1.0;

void ReturnFreeHeapPages(WorldInstances& w) {
#ifdef __GLIBC__
  if (w.heap_timer.Elapsed() < kHeapReturnPeriod) return;
  w.heap_timer.Reset();
  malloc_trim(0);
#else
  (void)w;
#endif
}

}  // namespace

void WorldStartup(const WorldPlatform& platform) {
  WorldInstances& w = Instances();
  w.platform = platform;
  KeepLargeBlocksMapped();
  for (const StartupStep& step : kStartupSteps) step.run(w);
}

std::vector<std::string> WorldStartupSteps() {
  std::vector<std::string> names;
  for (const StartupStep& step : kStartupSteps) names.push_back(step.name);
  return names;
}

void WorldFrame() {
  WorldInstances& w = Instances();
  GlobalInputPoll();
  if (w.platform.refresh_panels) w.platform.refresh_panels();
  if (GameWorld* world = GetGameWorld()) {
    // Indexing: an update may append to the list (a character created from the console).
    for (size_t i = 0; i < world->entities.size(); ++i) world->entities[i]->Update();
  }
  StepGameStates();
  WorldScene scene(w);
  GetRenderer().Frame(scene);
  ReturnFreeHeapPages(w);
}

void WorldShutdown() {
  WorldInstances& w = Instances();
  w.rendering_enabled = false;
  if (w.console) {
    GetRenderer().AttachConsole(nullptr);
    w.console.reset();  // saves "cvar.ini"
  }
  w.scene_loader.reset();
  DestroyGameWorld();
  w.sound.reset();
  w.swing_table.reset();
  // The glove goes with the other devices; the camera and the level go too, so that a new
  // start-up begins from nothing.
  SetKeyboardFlyHandler(nullptr);
  GlobalInputShutdown();
  SetConsoleGameStates({});
  ResetGameStates();
  w.camera.reset();
  w.level.reset();
}

const WorldPlatform& GetWorldPlatform() { return Instances().platform; }

void QuitGame() {
  const std::function<void(int)> quit = Instances().platform.quit;
  WorldShutdown();
  if (quit) quit(0);
}

bool RenderingEnabled() { return Instances().rendering_enabled; }
GLConsole* GetConsole() { return Instances().console.get(); }

void ResetWorld() {
  WorldShutdown();
  Instances().platform = WorldPlatform{};
}

}  // namespace kt
