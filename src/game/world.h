// World start-up, frame and shutdown: the process-wide single instances of a running game, the
// order they are created in when the main frame is built, the work of one displayed frame, and
// the order they are destroyed in. Nothing here knows the GUI toolkit; the program hands in
// what only it can do through WorldPlatform, and tests run the same sequence offscreen.
//
// Start-up is a list of named steps run in order (WorldStartupSteps); each subsystem adds its
// step at its place in that list.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "input/input_devices.h"

namespace kt {

class GLConsole;
class GameWorld;

// What only the program around the world can do. Every member may be left empty.
struct WorldPlatform {
  // Adds the toolkit's JPEG image handler (the toolkit's own image loading of screens/icons).
  std::function<void()> register_image_handlers;
  // Lets every tool panel of the main frame refresh its controls, in registration order.
  std::function<void()> refresh_panels;
  // What the input devices are made for: without a window nothing is created.
  InputHandles input_handles;
  // The main frame's full-screen switch and whether it is on (the title menu asks for it).
  std::function<void()> toggle_full_screen;
  std::function<bool()> full_screen;
  // Ends the process's event loop with this exit code after the world has shut down (the
  // console's quit and the title menu's Quit item).
  std::function<void(int)> quit;
};

// Runs every start-up step in order. Needs the 3-D view's OpenGL context current (the console's
// font and RenderInit draw into it). Runs once per process (tests: once per ResetWorld).
void WorldStartup(const WorldPlatform& platform);
// The names of the start-up steps, in the order WorldStartup runs them.
std::vector<std::string> WorldStartupSteps();

// One frame with the view's context current: input, panels, entities, game states, drawing.
void WorldFrame();

// Destroys the console first (saving "cvar.ini"), then the rest; skips what does not exist, so
// calling it twice is harmless. The rendering-enabled flag is cleared.
void WorldShutdown();

// Set by start-up right after RenderInit; until then the view draws nothing.
bool RenderingEnabled();

// The process-wide instances; nullptr before start-up and after shutdown.
GLConsole* GetConsole();

// The hooks WorldStartup was given (empty members before start-up).
const WorldPlatform& GetWorldPlatform();

// Runs the world shutdown (saving "cvar.ini"), then the platform's quit hook with exit code 0.
void QuitGame();

// Shuts down and forgets the platform hooks, for tests that run start-up more than once.
void ResetWorld();

}  // namespace kt
