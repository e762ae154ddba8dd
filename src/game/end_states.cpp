// "WinGame", "LoseGame" and "PauseGame".
#include "game/game_flow.h"
#include "game/game_states.h"
#include "sound/sound_system.h"

namespace kt {
namespace {

constexpr double kWinCircleUntil = 8.0;
constexpr double kWinScreenAt = 8.0;
constexpr double kLoseScreenAt = 5.0;

void DrawFullScreen(const ScreenImage& image) {
  ScreenPass pass;
  DrawImage(image, 0.0f, 0.0f, pass.width(), pass.height());
}

// The figures stand still while the game is paused, their clocks stopped too, so nothing
// jumps ahead when play resumes.
void FreezeCharacters(bool frozen) {
  GameWorld* world = GetGameWorld();
  if (!world) return;
  for (Character* c : world->entities) frozen ? c->Freeze() : c->Thaw();
}

}  // namespace

// ---- WinGame ----

WinGameState::WinGameState() : GameState("WinGame") { screen_.Load("data/images/WinScreen.BMP"); }

bool WinGameState::ShouldStart() {
  const GameState* fight = FindState("BossFight");
  const GameState* lose = FindState("LoseGame");
  return fight && fight->finished() && lose && !lose->running();
}

void WinGameState::OnEnter() {
  PlaySoundEffect("data/sound/nukem_damnimgood.wav");
  PlayMusicTrack("data/sounds/win.mp3", 0.0f);
  if (Character* player = WorldPlayer()) {
    player->SetActive(false);
    if (GameplayController* controller = player->gameplay_controller()) controller->UseAttackRoot();
  }
}

void WinGameState::Update() {
  if (!speed_registered_) {
    rotate_speed_.Register("win.rotateSpeed", 500.0f);
    speed_registered_ = true;
  }
  Camera* camera = GetCamera();
  if (!camera) return;
  if (TimeInState() < kWinCircleUntil) {
    camera->following = false;
    CircleCamera(camera, WorldPlayer(), rotate_speed_);
  } else {
    camera->following = true;
  }
}

void WinGameState::DrawScreen() {
  if (TimeInState() >= kWinScreenAt) DrawFullScreen(screen_);
}

// ---- LoseGame ----

LoseGameState::LoseGameState() : GameState("LoseGame") {
  screen_.Load("data/images/LoseScreen.BMP");
}

void LoseGameState::OnEnter() {
  if (Character* player = WorldPlayer()) {
    player->SetActive(false);
    if (GameplayController* controller = player->gameplay_controller()) controller->GoIdle();
  }
  FinishState("BossFight");
  FinishState("PlayLevel");
  FinishState("WinGame");
  FinishState("Opening");
}

void LoseGameState::DrawScreen() {
  if (TimeInState() >= kLoseScreenAt) DrawFullScreen(screen_);
}

// ---- PauseGame ----

PauseGameState::PauseGameState() : GameState("PauseGame") {}

bool PauseGameState::ShouldStart() {
  const GameState* title = FindState("StartGame");
  return KeyDown(kDikEscape) && title && title->paused();
}

void PauseGameState::OnEnter() {
  FreezeCharacters(true);
  for (const auto& [name, state] : GameStateRegistry()) {
    if (state == this) continue;
    if (name == "startgame")
      state->Resume();
    else
      state->Pause();
  }
}

bool PauseGameState::IsDone() {
  const GameState* title = FindState("StartGame");
  return title && title->paused();
}

void PauseGameState::OnExit() {
  for (const auto& [name, state] : GameStateRegistry())
    if (state != this && name != "startgame") state->Resume();
  FreezeCharacters(false);
  Rearm();
}

}  // namespace kt
