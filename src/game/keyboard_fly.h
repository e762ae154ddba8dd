// Free flight with the arrow keys: moves the camera along its own axes while it is not chasing
// anything (or the mouse holds it and a joystick drives the player), and the console is closed.
#pragma once

#include "input/input_devices.h"

namespace kt {

class Camera;
class GLConsole;

// One polled keyboard record. Registers `keyboard.trans_speed` on its first call. Either
// pointer may be nullptr.
void KeyboardFly(const KeyboardState& keys, bool joystick_ready, Camera* camera,
                 const GLConsole* console);
// The same with the last keyboard record, the joystick's state, the world's camera and
// console: the handler GlobalInputPoll runs after each keyboard poll.
void KeyboardFly();

}  // namespace kt
