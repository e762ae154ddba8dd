// Free flight with the arrow keys.
#include "game/keyboard_fly.h"

#include "console/cvar.h"
#include "console/gl_console.h"
#include "game/camera.h"
#include "game/world.h"
#include "input/dik_codes.h"

namespace kt {

void KeyboardFly(const KeyboardState& keys, bool joystick_ready, Camera* camera,
                 const GLConsole* console) {
  static CVar<float> trans_speed("keyboard.trans_speed", 0.35f);
  if (!camera || (console && console->IsOpen())) return;
  // While the keyboard steers the player, the arrows belong to the player.
  const bool tracking = camera->mode() == kCameraTrack && camera->target();
  if (tracking && (camera->following || !joystick_ready)) return;

  const float s = trans_speed;
  if (keys.KeyDown(kDikUp)) camera->Move(0.0f, 0.0f, -s);
  if (keys.KeyDown(kDikDown)) camera->Move(0.0f, 0.0f, s);
  if (keys.KeyDown(kDikLeft)) camera->Move(-s, 0.0f, 0.0f);
  if (keys.KeyDown(kDikRight)) camera->Move(s, 0.0f, 0.0f);
}

void KeyboardFly() { KeyboardFly(GetKeyboardState(), JoystickReady(), GetCamera(), GetConsole()); }

}  // namespace kt
