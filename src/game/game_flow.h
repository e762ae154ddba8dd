// What the game states read of the world and the devices.
#pragma once

#include "character/character.h"
#include "character/game_world.h"
#include "character/motion_controller.h"
#include "console/cvar.h"
#include "game/camera.h"
#include "game/state_screens.h"
#include "input/dik_codes.h"
#include "input/input_devices.h"

namespace kt {

extern CVar<float> g_ui_opacity;

inline Character* WorldPlayer() {
  GameWorld* world = GetGameWorld();
  return world ? world->player : nullptr;
}
inline Character* WorldBoss() {
  GameWorld* world = GetGameWorld();
  return world ? world->boss : nullptr;
}

// The first key down, scanning codes 0 to 255; -1 when none is.
inline int FirstKeyDown() {
  const KeyboardState& keys = GetKeyboardState();
  for (int k = 0; k < kKeyCount; ++k)
    if (keys.KeyDown(k)) return k;
  return -1;
}
// The first of the joystick's 32 buttons down; -1 when none is or no joystick is ready.
inline int FirstButtonDown() {
  if (!JoystickReady() || !GetJoystick()) return -1;
  const JoystickState& state = GetJoystick()->LastState();
  for (int b = 0; b < JoystickState::kButtonCount; ++b)
    if (state.ButtonDown(b)) return b;
  return -1;
}
inline bool KeyDown(int dik) { return GetKeyboardState().KeyDown(dik); }
inline bool EnterOrButton() { return KeyDown(kDikReturn) || FirstButtonDown() >= 0; }

// The gameplay controller's killed flag of a character (false without one).
inline bool Killed(const Character* c) {
  return c && c->gameplay_controller() && c->gameplay_controller()->killed();
}

// Hands the camera to the entity; nothing without a camera or an entity.
inline void AttachCamera(Entity* entity) {
  if (Camera* camera = GetCamera(); camera && entity) camera->Attach(entity);
}

// The player is killed, or no character steered by a `Controller` is alive: the level and the
// boss fight end there.
template <class Controller>
bool PlayerOrEveryOpponentKilled() {
  if (Killed(WorldPlayer())) return true;
  if (GameWorld* world = GetGameWorld()) {
    for (const Character* c : world->entities) {
      const auto* controller = dynamic_cast<const Controller*>(c->gameplay_controller());
      if (controller && !controller->killed()) return false;
    }
  }
  return true;
}

// A character's hit points in digits from `pen` (a fraction of the width); nothing without one.
inline void DrawHitPoints(const DigitImages& digits, const ScreenPass& pass, const Character* c,
                          float pen) {
  if (!c) return;
  float x = pen * pass.width();
  DrawNumber(digits, pass, c->hit_points, x);
}

// Moves the camera along its own x axis by speed times the frame time of `c`'s root motion,
// which circles it about its target.
inline void CircleCamera(Camera* camera, const Character* c, float speed) {
  if (!camera || !c) return;
  const MotionController* root = c->RootMotion();
  const float dt = root ? root->elapsed() : 0.0f;
  camera->Move(speed * dt, 0.0f, 0.0f);
}

}  // namespace kt
