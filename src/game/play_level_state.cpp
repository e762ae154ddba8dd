// "PlayLevel": the timed level. It is done when every blind opponent (hunters are blind
// opponents that see) or the player has been killed; the clock running out loses the game.
#include "character/blind_controller.h"
#include "game/game_flow.h"
#include "game/game_states.h"
#include "sound/sound_system.h"

namespace kt {
namespace {

constexpr float kHitPointsPen = 0.0976562f;
constexpr float kClockPen = 0.8125f;

}  // namespace

PlayLevelState::PlayLevelState() : GameState("PlayLevel") {
  game_time_.Register("level.gameTime", 120.0f);
  remaining_ = game_time_;
  panel_.Load("data/images/NoTextUI.BMP");
  digits_.Load();
}

bool PlayLevelState::ShouldStart() {
  const GameState* opening = FindState("Opening");
  return opening && opening->finished();
}

void PlayLevelState::OnEnter() {
  PlayMusicTrack("data/sounds/castlevania.mp3", 0.0f);
  if (Character* player = WorldPlayer()) player->SetActive(true);
}

void PlayLevelState::Update() {
  remaining_ = float(game_time_) - float(TimeInState());
  if (remaining_ <= 0.0f) {
    StartState("LoseGame");
    // The losing state has usually finished this one already.
    FinishState(name());
  }
}

bool PlayLevelState::IsDone() { return PlayerOrEveryOpponentKilled<BlindController>(); }

void PlayLevelState::DrawScreen() {
  if (CVar<int>("game.draw_ui", 1) == 0) return;
  ScreenPass pass;
  DrawBottomPanel(panel_, pass, g_ui_opacity);
  DrawHitPoints(digits_, pass, WorldPlayer(), kHitPointsPen);
  float pen = kClockPen * pass.width();
  DrawClock(digits_, pass, remaining_, pen);
}

}  // namespace kt
