// The eight states of the game's course. CreateGameStates (game_state.h) makes one of each; the
// classes are here so tests can read their progress.
#pragma once

#include <array>
#include <span>

#include "console/cvar.h"
#include "console/frame_timer.h"
#include "game/game_state.h"
#include "game/state_screens.h"

namespace kt {

class Entity;

// The title menu: "Start Game" (later "Back to Game"), "Configure Input", "Quit".
class StartGameState : public GameState {
 public:
  StartGameState();
  bool ShouldStart() override;
  void OnEnter() override;
  void Update() override;
  bool IsDone() override;
  void OnExit() override;
  void Pause() override;
  void Resume() override;
  void DrawScreen() override;

  int selection() const { return selection_; }
  float pulse() const { return pulse_; }
  bool game_started() const { return game_started_; }

 private:
  bool Confirm() const;

  FrameTimer pulse_timer_;
  bool game_started_ = false;
  int selection_ = 0;
  int direction_ = 1;
  float pulse_ = 0.0f;
  CVar<float> scale_time_;
  CVar<float> scale_size_;
  bool quitting_ = false;
  ScreenImage title_;
  std::array<ScreenImage, 3> items_;
  ScreenImage back_to_game_;
};

// The fly-over from the statue to the fountain to the player before play.
class OpeningState : public GameState {
 public:
  OpeningState();
  bool ShouldStart() override;
  void OnEnter() override;
  void Update() override;
  bool IsDone() override;
  void OnExit() override;
  void DrawScreen() override;

 private:
  Entity* statue_ = nullptr;
  Entity* fountain_ = nullptr;
  bool at_statue_ = false;
  bool at_fountain_ = false;
  bool at_player_ = false;
  float saved_max_velocity_ = 0.0f;
  CVar<int> skip_;
  CVar<float> max_velocity_;
  ScreenImage banner_;
  ScreenImage banner2_;
};

// The timed level, done when every blind opponent (hunters included) or the player is killed.
class PlayLevelState : public GameState {
 public:
  PlayLevelState();
  bool ShouldStart() override;
  void OnEnter() override;
  void Update() override;
  bool IsDone() override;
  void DrawScreen() override;

  float remaining() const { return remaining_; }

 private:
  CVar<float> game_time_;
  float remaining_ = 0.0f;
  ScreenImage panel_;
  DigitImages digits_;
};

// The boss's introduction (the camera circling it) and the fight.
class BossFightState : public GameState {
 public:
  BossFightState();
  bool ShouldStart() override;
  void OnEnter() override;
  void Update() override;
  bool IsDone() override;
  void DrawScreen() override;

 private:
  CVar<float> rotate_speed_;
  bool speed_registered_ = false;
  bool fight_started_ = false;
  ScreenImage banner_;
  ScreenImage panel_;
  DigitImages digits_;
};

class WinGameState : public GameState {
 public:
  WinGameState();
  bool ShouldStart() override;
  void OnEnter() override;
  void Update() override;
  bool IsDone() override { return false; }
  void DrawScreen() override;

 private:
  CVar<float> rotate_speed_;
  bool speed_registered_ = false;
  ScreenImage screen_;
};

class LoseGameState : public GameState {
 public:
  LoseGameState();
  bool ShouldStart() override { return false; }
  void OnEnter() override;
  bool IsDone() override { return false; }
  void DrawScreen() override;

 private:
  ScreenImage screen_;
};

// Escape during play: the title comes back over the paused game until its first item is chosen.
class PauseGameState : public GameState {
 public:
  PauseGameState();
  bool ShouldStart() override;
  void OnEnter() override;
  bool IsDone() override;
  void OnExit() override;
};

// The key and button binding dialogue on the console.
class ConfigureInputState : public GameState {
 public:
  ConfigureInputState();
  bool ShouldStart() override { return false; }
  bool Rearm() override;
  void OnEnter() override;
  void Update() override;
  bool IsDone() override;
  void OnExit() override;

  int step() const { return step_; }

  // One question of the dialogue: its prompt and the binding its answer sets.
  struct Question;

 private:
  // Asks or waits for the answer of the question the step stands at; false when the step lies
  // outside these questions (starting at `first_step`).
  bool StepQuestion(std::span<const Question> questions, int first_step, bool buttons);
  // A key step: binds the first key down to `binding` when it differs from the last one and
  // every key was released since the last answer.
  void BindKey(CVar<int>& binding, int next);
  void BindButton(CVar<int>& binding, int next);

  int step_ = 0;
  int last_key_ = -1;
  int last_button_ = -1;
};

}  // namespace kt
