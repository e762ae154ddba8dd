// Game states: the named pieces of the game's course (title menu, opening fly-over, timed level,
// boss fight, winning, losing, pausing, the input dialogue) that run side by side. Each state
// decides from the others' flags when it starts and when it is done; a few start or finish
// others by name. The world creates them at start-up, steps the active ones every frame and
// lets them draw their 2-D screens, always in ascending order of their lower-case names.
//
//   CreateGameStates();                 // world start-up, with the GL context current
//   StepGameStates();                   // world frame, after the entities
//   DrawGameStates();                   // the renderer's state-screen hook
//   StartState("LoseGame");             // the player's death
#pragma once

#include <functional>
#include <map>
#include <string>

#include "console/frame_timer.h"

namespace kt {

inline constexpr int kGameStateActive = 1;

class GameState {
 public:
  // Registers under the lower-cased name, made unique by appending 1, 2, ...
  explicit GameState(const std::string& name);
  virtual ~GameState();
  GameState(const GameState&) = delete;
  GameState& operator=(const GameState&) = delete;

  // Running and neither paused nor finished: DrawScreen.
  virtual void Draw();
  // A finished state becomes startable again; false when it was not finished.
  virtual bool Rearm();
  virtual void Pause();
  virtual void Resume();
  virtual bool ShouldStart() = 0;
  virtual void OnEnter() {}
  virtual void Update() {}
  virtual void DrawScreen() {}
  virtual bool IsDone() = 0;
  virtual void OnExit() {}

  // One frame: a running state ends when IsDone holds and updates otherwise; a waiting one
  // starts (and updates in the same step) when ShouldStart holds. Paused or finished: nothing.
  void Step();
  // running := true, timer reset, OnEnter (no Update).
  void Begin();
  // running := false, finished := true, OnExit.
  void End();

  const std::string& name() const { return name_; }
  bool paused() const { return paused_; }
  bool running() const { return running_; }
  bool finished() const { return finished_; }
  int flags = kGameStateActive;
  // Seconds since the state started, paused time excluded.
  double TimeInState() { return timer_.Elapsed(); }

 protected:
  FrameTimer& timer() { return timer_; }

 private:
  bool paused_ = false;
  std::string name_;
  FrameTimer timer_;
  bool running_ = false;
  bool finished_ = false;
};

// Every state by its lower-case name (ascending order is the step and draw order).
const std::map<std::string, GameState*>& GameStateRegistry();
// Lower-cases the name and looks it up; nullptr when there is none.
GameState* FindState(const std::string& name);
// An existing state that is neither finished nor running: Resume, start, OnEnter, Update; true.
bool StartState(const std::string& name);
// A running, unfinished state: running := false, finished := true, OnExit; true.
bool FinishState(const std::string& name);
// Calls the state's Rearm; false only when there is no such state.
bool RearmState(const std::string& name);

// Makes the eight states of the game (loading their screen images, so the GL context must be
// current) and registers `game.draw_ui`. Replaces states made before.
void CreateGameStates();
// One step of every active state, in registry order.
void StepGameStates();
// Every active state's screen, in registry order, inside the renderer's 2-D pass.
void DrawGameStates();
// Destroys every state and resets the process-wide menu and dialogue latches.
void ResetGameStates();

// Told of every start and finish with the state's lower-case name (started true or false).
void SetGameStateObserver(
    std::function<void(const std::string& lower_name, bool started)> observer);

}  // namespace kt
