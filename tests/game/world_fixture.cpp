// Shared fixture of the whole-world tests.
#include "world_fixture.h"

#include "character/character.h"
#include "character/game_world.h"
#include "console/cvar.h"
#include "game/game_state.h"
#include "input/dik_codes.h"
#include "input/input_devices.h"
#include "render/renderer.h"

namespace kt::test {

constexpr double kStep = 1.0 / 60.0;

void WorldTest::SetUp() {
  context_ = OffscreenContext::Create(width_, height_);
  if (!context_) GTEST_SKIP() << "no EGL surfaceless context on this machine";
  ResetRenderer();
}

void WorldTest::TearDown() {
  ResetWorld();
  ResetCharacterDrawing();
  ResetRenderer();
}

void WorldTest::StartWorld() {
  WorldPlatform platform;
  platform.input_handles = {.instance = true, .window = true};
  WorldStartup(platform);
}

void WorldTest::Frame() {
  clock_.Advance(kStep);
  WorldFrame();
}

void WorldTest::RunFrames(double seconds) {
  for (int i = 0; i < int(seconds / kStep + 0.5); ++i) Frame();
}

void WorldTest::Tap(int dik) {
  ASSERT_NE(GetKeyboard(), nullptr);
  GetKeyboard()->KeyDown(dik);
  Frame();
  GetKeyboard()->KeyUp(dik);
  Frame();
}

void EnterLevelFromTitle(const std::function<void()>& frame) {
  CVar<int>("game.skipOpening", 1) = 1;
  ASSERT_NE(GetKeyboard(), nullptr);
  frame();  // the title starts; no key is down, so the menu takes the next press
  GetKeyboard()->KeyDown(kDikReturn);
  frame();
  GetKeyboard()->KeyUp(kDikReturn);
  for (int i = 0; i < 120; ++i) {
    const GameState* level = FindState("PlayLevel");
    if (level && level->running()) break;
    frame();
  }
  const GameState* level = FindState("PlayLevel");
  ASSERT_TRUE(level && level->running()) << "the level did not start from the title";
}

void DisableAllButThePlayer() {
  GameWorld* world = GetGameWorld();
  ASSERT_NE(world, nullptr);
  ASSERT_NE(world->player, nullptr);
  for (Character* c : world->entities)
    if (c != world->player) c->enabled = false;
}

bool LevelStillRunning() {
  const GameState* level = FindState("PlayLevel");
  if (!level || !level->running() || level->paused()) return false;
  for (const char* other : {"BossFight", "LoseGame", "PauseGame"}) {
    const GameState* s = FindState(other);
    if (s && s->running()) return false;
  }
  return true;
}

}  // namespace kt::test
