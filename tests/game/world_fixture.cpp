// Shared fixture of the whole-world tests.
#include "world_fixture.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "character/game_world.h"
#include "character/player_controller.h"
#include "console/cvar.h"
#include "console/gl_console.h"
#include "game/camera.h"
#include "game/game_state.h"
#include "input/dik_codes.h"
#include "level/bsp_level.h"
#include "render/renderer.h"

namespace kt::test {

int RecordingSound::Count(const std::string& file) const {
  return int(std::count(effects.begin(), effects.end(), file));
}

bool RecordingSound::MusicPlayed(const std::string& file, float start) const {
  return std::find(music.begin(), music.end(), std::make_pair(file, start)) != music.end();
}

void WorldTest::SetUp() {
  context_ = OffscreenContext::Create(width_, height_);
  if (!context_) GTEST_SKIP() << "no EGL surfaceless context on this machine";
  ResetRenderer();
}

void WorldTest::TearDown() {
  SetPlayerDeviceSource({});
  CVar<int>("input.use_keyboard", 1) = 1;
  ResetWorld();
  ResetCharacterDrawing();
  ResetRenderer();
}

void WorldTest::StartWorld(std::function<void(int)> quit) {
  WorldPlatform platform;
  platform.input_handles = {.instance = true, .window = true};
  platform.quit = std::move(quit);
  WorldStartup(platform);
  ASSERT_NE(GetGameWorld(), nullptr);
  player_ = GetGameWorld()->player;
}

void WorldTest::StartPlayerAlone() {
  StartWorld();
  ASSERT_NE(player_, nullptr);
  EnterLevel();
  ASSERT_NE(GetConsole(), nullptr);
  if (GetConsole()->IsOpen()) GetConsole()->Toggle();
  DisableAllButThePlayer();
  ASSERT_NE(GetCamera(), nullptr);
  GetCamera()->Attach(player_);
  ASSERT_TRUE(CurrentLevel() && CurrentLevel()->loaded());
}

void WorldTest::Frame() {
  clock_.Advance(kFrameStep);
  WorldFrame();
}

void WorldTest::RunFrames(double seconds) {
  for (int i = 0; i < int(std::lround(seconds / kFrameStep)); ++i) Frame();
}

bool WorldTest::RunUntil(double seconds, const std::function<bool()>& until) {
  for (int i = 0; i < int(std::lround(seconds / kFrameStep)); ++i) {
    Frame();
    if (until()) return true;
  }
  return false;
}

void WorldTest::Tap(int dik) {
  ASSERT_NE(GetKeyboard(), nullptr);
  GetKeyboard()->KeyDown(dik);
  Frame();
  GetKeyboard()->KeyUp(dik);
  Frame();
}

void WorldTest::UseStick() {
  CVar<int>("input.use_keyboard", 1) = 0;
  SetPlayerDeviceSource([this] {
    PlayerDevices devices;
    devices.joystick = &stick_;
    return devices;
  });
}

void WorldTest::Steer(const CVector& toward) {
  CVector look = Horizontal(player_->position - GetCamera()->position);
  look.Normalize();
  const CVector right = Cross(look, CVector(0.0f, 1.0f, 0.0f));
  CVector w = toward;
  w.Normalize();
  stick_.z = Dot(w, look);
  stick_.x = Dot(w, right);
}

void WorldTest::Shot(const std::string& file) {
  std::filesystem::create_directories(KT_SHOT_DIR);
  EXPECT_TRUE(context_->SavePNG(std::string(KT_SHOT_DIR) + "/" + file));
}

float PenetrationDepth(const CVector& p, float radius) {
  const auto plane = CurrentLevel()->Penetration(p, radius);
  return plane ? radius + plane->distance - Dot(plane->normal, p) : 0.0f;
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
