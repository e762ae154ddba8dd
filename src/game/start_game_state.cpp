// "StartGame": the title menu. Enter (or any joystick button) chooses the selected item; the
// cursor keys or the stick move the selection once per release, so a held key never runs
// through the menu.
#include <cmath>

#include "console/gl_console.h"
#include "game/game_flow.h"
#include "game/game_states.h"
#include "game/world.h"
#include "sound/sound_system.h"

namespace kt {

void ResetConfigureInputLatch();

namespace {

// Every key released and the stick centred since the last move.
bool g_input_released = true;

constexpr float kItemX = 0.609375f;
constexpr float kItemTop[3] = {0.361328125f, 0.48046875f, 0.603515625f};
constexpr float kItemWidth[3] = {0.2265625f, 0.296875f, 0.078125f};
constexpr float kItemHeight = 0.041015625f;
constexpr float kStickCentre = 0.2f;
constexpr float kStickPushed = 0.75f;

float StickVertical() { return GetJoystickState().z; }

}  // namespace

void ResetMenuLatches() {
  g_input_released = true;
  ResetConfigureInputLatch();
}

StartGameState::StartGameState() : GameState("StartGame") {
  scale_time_.Register("game.scale_text_time", 1.0f);
  scale_size_.Register("game.scale_test_size", 0.2f);
  title_.Load("data/images/NoText_TitleScreen4.BMP");
  items_[0].Load("data/images/Title_StartGame.bmp", 1);
  items_[1].Load("data/images/Title_Input.bmp", 1);
  items_[2].Load("data/images/Title_Quit.bmp", 1);
  back_to_game_.Load("data/images/Title_BackToGame.bmp", 1);
}

bool StartGameState::ShouldStart() {
  const GameWorld* world = GetGameWorld();
  return world && world->started;
}

void StartGameState::OnEnter() {
  CVar<int>("world.draw_level", 1) = 0;
  pulse_timer_.Reset();
  // Without a main frame (tests, the headless runner) the view counts as full screen.
  const WorldPlatform& platform = GetWorldPlatform();
  if (platform.full_screen && platform.toggle_full_screen && !platform.full_screen())
    platform.toggle_full_screen();
  if (GLConsole* console = GetConsole()) console->Close();
  if (GameWorld* world = GetGameWorld())
    for (Character* c : world->entities) c->enabled = false;
  PlayMusicTrack("data/sounds/opening.mp3", 0.0f);
  if (Character* player = WorldPlayer()) player->SetActive(false);
}

bool StartGameState::Confirm() const { return EnterOrButton(); }

void StartGameState::Update() {
  if (quitting_) return;
  const float stick = StickVertical();
  if (FirstKeyDown() < 0 && stick > -kStickCentre && stick < kStickCentre) g_input_released = true;
  if (Confirm() && selection_ == 1) StartState("ConfigureInput");
  if (Confirm() && selection_ == 2) {
    // Once: the world is gone afterwards, and a frame may still follow where nothing ends
    // the process (tests).
    quitting_ = true;
    QuitGame();
    return;
  }
  const GameState* dialogue = FindState("ConfigureInput");
  if (dialogue && dialogue->running()) return;
  if (g_input_released && game_started_ && KeyDown(kDikEscape)) {
    selection_ = 0;
    pulse_ = 0.0f;
    g_input_released = false;
  }
  if ((KeyDown(kDikUp) || stick > kStickPushed) && selection_ > 0 && g_input_released) {
    --selection_;
    pulse_ = 0.0f;
    g_input_released = false;
  } else if ((KeyDown(kDikDown) || stick < -kStickPushed) && selection_ < 2 && g_input_released) {
    ++selection_;
    pulse_ = 0.0f;
    g_input_released = false;
  }
}

bool StartGameState::IsDone() {
  const GameState* dialogue = FindState("ConfigureInput");
  if (Confirm() && selection_ == 0 && !(dialogue && dialogue->running())) {
    Pause();
    CVar<int>("world.draw_level", 1) = 1;
    game_started_ = true;
  }
  return false;
}

void StartGameState::OnExit() { CVar<int>("world.draw_level", 1) = 1; }

void StartGameState::Pause() {
  GameState::Pause();
  pulse_timer_.Pause();
}

void StartGameState::Resume() {
  GameState::Resume();
  pulse_timer_.Resume();
}

void StartGameState::DrawScreen() {
  ScreenPass pass;
  const float w = pass.width(), h = pass.height();
  DrawImage(title_, 0.0f, 0.0f, w, h);
  for (int i = 0; i < 3; ++i) {
    const ScreenImage& image = (i == 0 && game_started_) ? back_to_game_ : items_[i];
    const float scale = i == selection_ ? 1.0f + pulse_ : 1.0f;
    DrawImage(image, kItemX * w, kItemTop[i] * h, kItemWidth[i] * w * scale,
              kItemHeight * h * scale);
  }

  // The pulse grows and shrinks between -size and +size, a full swing in `scale_text_time`.
  const float dt = float(pulse_timer_.Elapsed());
  pulse_timer_.Reset();
  const float size = scale_size_;
  const float time = scale_time_;
  const float step = time > 0.0f ? dt / time * size : 2.0f * std::fabs(size);
  pulse_ += step * float(direction_);
  if (pulse_ >= size) {
    pulse_ = size;
    direction_ = -1;
  } else if (pulse_ <= -size) {
    pulse_ = -size;
    direction_ = 1;
  }
}

}  // namespace kt
