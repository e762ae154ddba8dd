// "BossFight": the camera circles the boss for seven seconds while its banner shows, then
// returns to the player and the fight begins. Done once 8 s have passed and every boss (or
// the player) has been killed.
#include "character/boss_controller.h"
#include "game/game_flow.h"
#include "game/game_states.h"
#include "sound/sound_system.h"

namespace kt {
namespace {

constexpr double kCircleFrom = 0.5;
constexpr double kCircleUntil = 7.0;
constexpr double kFightAt = 7.5;
constexpr double kShortestFight = 8.0;
constexpr float kBossMusicStart = 60.0f;
constexpr float kPanelTop = 0.836f;
constexpr float kPlayerPen = 0.287109f;
constexpr float kBossPen = 0.708984f;

}  // namespace

BossFightState::BossFightState() : GameState("BossFight") {
  banner_.Load("data/images/BossScreen.BMP");
  panel_.Load("data/images/BossUI.BMP");
  digits_.Load();
}

// A lost game has no boss fight: without this the dead (or timed-out) player would be handed
// the controls again under the losing screen.
bool BossFightState::ShouldStart() {
  const GameState* level = FindState("PlayLevel");
  const GameState* lose = FindState("LoseGame");
  return level && level->finished() && !(lose && lose->running());
}

void BossFightState::OnEnter() {
  FinishState("PlayLevel");
  PlayMusicTrack("data/sounds/boss.mp3", kBossMusicStart);
  if (Character* player = WorldPlayer()) player->SetActive(false);
  if (Character* boss = WorldBoss()) {
    boss->enabled = true;
    if (Camera* camera = GetCamera()) {
      camera->Attach(boss);
      camera->position = boss->position;
    }
    boss->invulnerable = true;
  }
}

void BossFightState::Update() {
  if (!speed_registered_) {
    rotate_speed_.Register("boss.rotateSpeed", 15.0f);
    speed_registered_ = true;
  }
  const double t = TimeInState();
  Camera* camera = GetCamera();
  if (t > kCircleFrom && t < kCircleUntil) {
    if (camera) camera->following = false;
    CircleCamera(camera, WorldBoss(), rotate_speed_);
  } else if (t >= kFightAt) {
    if (camera) camera->following = true;
    if (!fight_started_) {
      fight_started_ = true;
      Character* player = WorldPlayer();
      if (camera && player) camera->Attach(player);
      if (player) player->SetActive(true);
      if (Character* boss = WorldBoss()) {
        boss->invulnerable = false;
        if (dynamic_cast<BossController*>(boss->gameplay_controller())) StartBossFight(boss);
      }
    }
  }
}

bool BossFightState::IsDone() {
  if (TimeInState() < kShortestFight) return false;
  if (Killed(WorldPlayer())) return true;
  if (GameWorld* world = GetGameWorld()) {
    for (const Character* c : world->entities) {
      const auto* boss = dynamic_cast<const BossController*>(c->gameplay_controller());
      if (boss && !boss->killed()) return false;
    }
  }
  return true;
}

void BossFightState::DrawScreen() {
  if (CVar<int>("game.draw_ui", 1) == 0) return;
  ScreenPass pass;
  const float w = pass.width(), h = pass.height();
  if (TimeInState() < kCircleUntil) DrawImage(banner_, 0.0f, 0.0f, w, h * 0.5f, g_ui_opacity);
  DrawImage(panel_, 0.0f, kPanelTop * h, w, h - kPanelTop * h, g_ui_opacity);
  if (const Character* player = WorldPlayer()) {
    float pen = kPlayerPen * w;
    DrawNumber(digits_, pass, player->hit_points, pen);
  }
  if (const Character* boss = WorldBoss()) {
    float pen = kBossPen * w;
    DrawNumber(digits_, pass, boss->hit_points, pen);
  }
}

}  // namespace kt
