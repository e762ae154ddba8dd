// The console commands: debugging and control entry points typed into the console (help,
// quitting, the camera, characters, motion resampling, the level's floor, the game flow).
// Each is a console function of the variable registry; it answers an empty text on success and
// otherwise the error text the console prints after "Function '<name>' Error: ".
#pragma once

#include <functional>
#include <string>

namespace kt {

// Registers the fifteen commands under their names. The console's construction calls it right
// after "cvar.ini" has been restored. Registering again (a second start-up) rebinds the same
// functions.
void RegisterConsoleCommands();

// The game flow the commands `game.restart` and `boss.trigger` reach. The world installs it
// once the game states exist; until then both commands report that the state is missing.
struct ConsoleGameStates {
  // Rearms the state of this name (it acts only on a finished state); false when there is no
  // such state.
  std::function<bool(const std::string& name)> rearm;
  // Starts the state of this name unless it is missing, running or finished; true when started.
  std::function<bool(const std::string& name)> start;
  // Whether a state of this name exists.
  std::function<bool(const std::string& name)> exists;
};
void SetConsoleGameStates(ConsoleGameStates states);

}  // namespace kt
