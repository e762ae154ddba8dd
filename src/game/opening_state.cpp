// "Opening": after the title's first item, the camera flies from the statue to the fountain to
// the player while the banners tell the story; `game.skipOpening` ends it at its first step.
#include "console/log.h"
#include "game/game_flow.h"
#include "game/game_states.h"
#include "sound/sound_system.h"

namespace kt {
namespace {

constexpr double kStatueAt = 3.0;
constexpr double kFountainAt = 7.5;
constexpr double kPlayerAt = 13.0;
constexpr double kOpeningLength = 15.0;
constexpr double kSecondBannerAt = 9.0;
constexpr float kFountainSpeedUp = 3.0f;

}  // namespace

OpeningState::OpeningState() : GameState("Opening") {
  skip_.Register("game.skipOpening", 1);
  max_velocity_.Register("camera.max_velocity", 37.0f);
  banner_.Load("data/images/Opening.BMP");
  banner2_.Load("data/images/Opening2.BMP");
}

bool OpeningState::ShouldStart() {
  const GameState* title = FindState("StartGame");
  return title && title->paused();
}

void OpeningState::OnEnter() {
  if (Character* player = WorldPlayer()) player->enabled = true;
  if (Character* boss = WorldBoss()) boss->invulnerable = true;
  statue_ = FindEntity("statue");
  fountain_ = FindEntity("fountain");
  saved_max_velocity_ = max_velocity_;
}

void OpeningState::Update() {
  const double t = TimeInState();
  if (t < kStatueAt) return;
  if (t < kFountainAt && statue_) {
    if (!at_statue_) AttachCamera(statue_);
    at_statue_ = true;
  } else if (t < kPlayerAt && fountain_) {
    if (!at_fountain_) {
      max_velocity_ = kFountainSpeedUp * float(max_velocity_);
      AttachCamera(fountain_);
    }
    at_fountain_ = true;
  } else {
    if (!at_player_) {
      max_velocity_ = saved_max_velocity_;
      AttachCamera(WorldPlayer());
    }
    at_player_ = true;
  }
}

bool OpeningState::IsDone() { return TimeInState() >= kOpeningLength || int(skip_) != 0; }

void OpeningState::OnExit() {
  if (int(skip_) != 0) AttachCamera(WorldPlayer());
  if (GameWorld* world = GetGameWorld())
    for (Character* c : world->entities)
      if (c->name() != "boss") c->enabled = true;
  PlaySoundEffect("data/sounds/nukem_who_some.wav");
  max_velocity_ = saved_max_velocity_;
  LogPrintf("TEST");
}

void OpeningState::DrawScreen() {
  ScreenPass pass;
  const ScreenImage& banner = TimeInState() < kSecondBannerAt ? banner_ : banner2_;
  DrawImage(banner, 0.0f, 0.0f, pass.width(), pass.height() * 0.5f, g_ui_opacity);
}

}  // namespace kt
