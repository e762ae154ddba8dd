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
    AttachCamera(boss);
    if (Camera* camera = GetCamera()) camera->position = boss->position;
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
      AttachCamera(player);
      if (player) player->SetActive(true);
      if (Character* boss = WorldBoss()) {
        boss->invulnerable = false;
        if (dynamic_cast<BossController*>(boss->gameplay_controller())) StartBossFight(boss);
      }
    }
  }
}

bool BossFightState::IsDone() {
  return TimeInState() >= kShortestFight && PlayerOrEveryOpponentKilled<BossController>();
}

void BossFightState::DrawScreen() {
  if (CVar<int>("game.draw_ui", 1) == 0) return;
  ScreenPass pass;
  if (TimeInState() < kCircleUntil)
    DrawImage(banner_, 0.0f, 0.0f, pass.width(), pass.height() * 0.5f, g_ui_opacity);
  DrawBottomPanel(panel_, pass, g_ui_opacity);
  DrawHitPoints(digits_, pass, WorldPlayer(), kPlayerPen);
  DrawHitPoints(digits_, pass, WorldBoss(), kBossPen);
}

}  // namespace kt
