// kinetrope-sim: the game without a window. The same world start-up, frames and shutdown as the
// program, in the working directory, drawn into an offscreen OpenGL context, timed by a manual
// clock that moves a fixed step before each frame, with keyboard input from a script or from a
// seeded generator. It reports game-state changes, deaths and a closing summary on its output,
// so that two runs of the same command can be compared line by line.
//
// Contents: Options and their parsing - the input script - random input - the run.
#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

namespace kt::sim {

// ---- options ----

struct Shot {
  double seconds = 0.0;
  std::string file;
};

struct Options {
  double seconds = 60.0;
  double dt = 1.0 / 60.0;
  int width = 800;
  int height = 600;
  std::string input_file;               // empty: no script
  std::optional<uint32_t> random_seed;  // --random-input
  std::vector<std::string> sets;        // "NAME=VALUE", in command-line order
  std::vector<Shot> shots;              // in command-line order
  bool restart = false;                 // --restart
  double rss_every = 0.0;               // --rss: 0 prints no resident-memory lines
};

// The usage text, formats of the output lines included.
std::string Usage();

// Parses the arguments after the program name. False with a one-line message in `error` for an
// unknown option, a missing or malformed value or a shot after the end of the run.
bool ParseOptions(const std::vector<std::string>& args, Options& options, std::string& error);

// Number of frames a run of `seconds` at step `dt` draws (rounded to the nearest whole frame).
long long FrameCount(const Options& options);

// ---- input script ----

enum class InputAction { kDown, kUp, kType };

struct InputEvent {
  double seconds = 0.0;
  InputAction action = InputAction::kDown;
  int dik = 0;       // kDown, kUp: DirectInput scan code
  std::string text;  // kType: what is typed before Enter
};

// A key name (enter escape up down left right a d w y n space backquote) or a scan code
// 1..255; nullopt for anything else.
std::optional<int> ParseKey(const std::string& word);

// "SECONDS down KEY", "SECONDS up KEY", "SECONDS type TEXT"; "#" starts a comment, blank lines
// are skipped. Events come out ordered by time, lines of the same time in file order. False with
// "line N: ..." in `error` at the first bad line. TEXT may hold only what the console's keys
// type: letters, digits, spaces and = . - _ '.
bool ParseInputScript(std::istream& in, std::vector<InputEvent>& events, std::string& error);

// ---- random input ----

// Presses and releases the movement and attack keys of the default bindings (arrows, A, D, W)
// at random moments, taps Enter every few seconds and Escape now and then. Its own generator:
// the game's rand() sequence is left alone.
class RandomInput {
 public:
  explicit RandomInput(uint32_t seed) : generator_(seed) {}
  // The key events of one frame step of `dt` seconds ending at `now`.
  std::vector<InputEvent> Step(double now, double dt);

 private:
  std::mt19937 generator_;
  std::vector<int> held_;
  // Enter and Escape are tapped: pressed on one frame, released on the next.
  std::vector<int> tapped_;
};

// ---- the run ----

// Runs the game in the working directory as `options` say, writing the report to `out` and
// problems to `err`. Returns the exit code: 0 at the end of the run or when the game quits,
// 1 when no offscreen context could be made or a screenshot could not be written, 2 for an
// unreadable input script or a --set the console rejects.
int RunSimulation(const Options& options, std::ostream& out, std::ostream& err);

}  // namespace kt::sim
