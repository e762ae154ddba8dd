// The state base, the registry, the step rule and the world's calls.
#include "game/game_state.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <vector>

#include "console/cvar.h"
#include "game/game_states.h"

namespace kt {

// The panels' alpha exists from process start (the opening banner reads it too).
CVar<float> g_ui_opacity("game.ui_opacity", 0.9f);

// Shared by the title and the dialogue (start_game_state.cpp, configure_input_state.cpp).
void ResetMenuLatches();

namespace {

std::map<std::string, GameState*>& Registry() {
  static std::map<std::string, GameState*> registry;
  return registry;
}

std::vector<std::unique_ptr<GameState>>& OwnedStates() {
  static std::vector<std::unique_ptr<GameState>> states;
  return states;
}

// Counts resets, so a step that shuts the world down (the title's Quit) ends the walk over the
// states it has just destroyed.
unsigned g_generation = 0;

std::function<void(const std::string&, bool)>& Observer() {
  static std::function<void(const std::string&, bool)> observer;
  return observer;
}

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return char(std::tolower(c)); });
  return s;
}

void Notify(const std::string& name, bool started) {
  if (Observer()) Observer()(name, started);
}

}  // namespace

GameState::GameState(const std::string& name) {
  std::map<std::string, GameState*>& registry = Registry();
  const std::string base = Lower(name);
  name_ = base;
  for (int n = 1; registry.count(name_); ++n) name_ = base + std::to_string(n);
  registry[name_] = this;
}

GameState::~GameState() {
  auto it = Registry().find(name_);
  if (it != Registry().end() && it->second == this) Registry().erase(it);
}

void GameState::Draw() {
  if (running_ && !paused_ && !finished_) DrawScreen();
}

bool GameState::Rearm() {
  if (!finished_) return false;
  finished_ = false;
  running_ = false;
  return true;
}

void GameState::Pause() {
  if (paused_) return;
  paused_ = true;
  timer_.Pause();
}

void GameState::Resume() {
  if (!paused_) return;
  paused_ = false;
  timer_.Resume();
}

void GameState::Begin() {
  running_ = true;
  timer_.Reset();
  Notify(name_, true);
  OnEnter();
}

void GameState::End() {
  running_ = false;
  finished_ = true;
  Notify(name_, false);
  OnExit();
}

void GameState::Step() {
  if (paused_ || finished_) return;
  if (running_) {
    if (IsDone())
      End();
    else
      Update();
    return;
  }
  if (ShouldStart()) {
    Begin();
    Update();
  }
}

const std::map<std::string, GameState*>& GameStateRegistry() { return Registry(); }

GameState* FindState(const std::string& name) {
  auto it = Registry().find(Lower(name));
  return it == Registry().end() ? nullptr : it->second;
}

bool StartState(const std::string& name) {
  GameState* state = FindState(name);
  if (!state || state->finished() || state->running()) return false;
  state->Resume();
  state->Begin();
  state->Update();
  return true;
}

bool FinishState(const std::string& name) {
  GameState* state = FindState(name);
  if (!state || !state->running() || state->finished()) return false;
  state->End();
  return true;
}

bool RearmState(const std::string& name) {
  GameState* state = FindState(name);
  if (!state) return false;
  state->Rearm();
  return true;
}

void CreateGameStates() {
  ResetGameStates();
  static CVar<int> draw_ui;
  draw_ui.Register("game.draw_ui", 1);
  std::vector<std::unique_ptr<GameState>>& owned = OwnedStates();
  owned.push_back(std::make_unique<StartGameState>());
  owned.push_back(std::make_unique<OpeningState>());
  owned.push_back(std::make_unique<PlayLevelState>());
  owned.push_back(std::make_unique<BossFightState>());
  owned.push_back(std::make_unique<WinGameState>());
  owned.push_back(std::make_unique<LoseGameState>());
  owned.push_back(std::make_unique<PauseGameState>());
  owned.push_back(std::make_unique<ConfigureInputState>());
}

void StepGameStates() {
  // A copy: a step may quit the game, whose shutdown destroys every state.
  std::vector<GameState*> states;
  for (const auto& [name, state] : Registry()) states.push_back(state);
  const unsigned generation = g_generation;
  for (GameState* state : states) {
    if (generation != g_generation) return;
    if (state->flags & kGameStateActive) state->Step();
  }
}

void DrawGameStates() {
  for (const auto& [name, state] : Registry())
    if (state->flags & kGameStateActive) state->Draw();
}

void ResetGameStates() {
  ++g_generation;
  OwnedStates().clear();
  ResetMenuLatches();
}

void SetGameStateObserver(std::function<void(const std::string&, bool)> observer) {
  Observer() = std::move(observer);
}

}  // namespace kt
