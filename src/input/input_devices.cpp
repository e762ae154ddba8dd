// Keyboard, mouse and joystick devices and the per-frame poll. The keyboard and mouse are fed by
// the GUI's events (or a script); the joystick is read through SDL2.
#include "input/input_devices.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>

#include "console/cvar.h"
#include "console/log.h"
#include "input/p5_input_device.h"

namespace kt {
namespace {

// Key bindings and the device choice exist from process start, so "cvar.ini" restores them and
// the input configuration dialogue can change them before any device is built.
CVar<int> key_move_left("input.key_move_left", 203);
CVar<int> key_move_right("input.key_move_right", 205);
CVar<int> key_move_up("input.key_move_up", 200);
CVar<int> key_move_down("input.key_move_down", 208);
CVar<int> key_attack_left("input.key_attack_left", 30);
CVar<int> key_attack_right("input.key_attack_right", 32);
CVar<int> key_attack_forward("input.key_attack_forward", 17);
CVar<int> joy_attack_left("input.joy_attack_left", 4);
CVar<int> joy_attack_right("input.joy_attack_right", 2);
CVar<int> joy_attack_forward("input.joy_attack_forward", 5);
CVar<int> use_keyboard("input.use_keyboard", 1);

constexpr int kAxisRange = 1000;
constexpr int kDeadZoneUnits = 10000;  // dead zone is given in 1/10000 of the axis range

// SDL's -32768..32767 onto -1000..1000.
int32_t ScaleAxis(int16_t raw) {
  return raw >= 0 ? int32_t(raw) * kAxisRange / 32767 : int32_t(raw) * kAxisRange / 32768;
}

// Inside the dead zone the axis reads centred; outside it the rest of the travel is stretched
// back onto the full range, so a fully pushed stick still reads +-1000.
int32_t ApplyDeadZone(int32_t value, int dead_units) {
  const int dead = dead_units * kAxisRange / kDeadZoneUnits;
  const int32_t magnitude = std::abs(value);
  if (magnitude <= dead) return 0;
  if (dead >= kAxisRange) return 0;
  const int32_t stretched = (magnitude - dead) * kAxisRange / (kAxisRange - dead);
  return value < 0 ? -stretched : stretched;
}

struct InputGlobals {
  std::unique_ptr<DXKeyboard> keyboard;
  std::unique_ptr<DXMouse> mouse;
  std::unique_ptr<DXJoystick> joystick;
  std::unique_ptr<GloveDevice> glove;
  // The P5 glove unless a test installs another (or none).
  GloveFactory glove_factory = [] { return std::make_unique<P5InputDevice>(); };
  std::function<void()> keyboard_fly;
  KeyboardState keyboard_state;
  InputState joystick_state;
  InputState mouse_state;
};

InputGlobals& Globals() {
  static InputGlobals globals;
  return globals;
}

}  // namespace

// --- keyboard -----------------------------------------------------------------------------

DXKeyboard::DXKeyboard(const InputHandles& handles) : DXDevice(handles) { Init(); }

bool DXKeyboard::Init() {
  acquired_ = false;
  if (!handles_.window) {
    LogPrintf("DXKeyboard: Failed to set cooperation level properly - %s\n", "no main window");
    return false;
  }
  timer_.Reset();
  LogPrintf("DXKeyboard: Loaded keyboard device - %s\n", "key events of the main window");
  acquired_ = true;
  return true;
}

std::optional<KeyboardState> DXKeyboard::Poll() {
  if (!acquired_) return std::nullopt;
  KeyboardState record;
  record.keys = keys_;
  return record;
}

void DXKeyboard::KeyDown(int dik) {
  if (dik < 0 || dik >= kKeyCount) {
    LogPrintf("DXKeyboard: key code %d is outside 0-255, ignored", dik);
    return;
  }
  keys_[dik] = 0x80;
}

void DXKeyboard::KeyUp(int dik) {
  if (dik < 0 || dik >= kKeyCount) {
    LogPrintf("DXKeyboard: key code %d is outside 0-255, ignored", dik);
    return;
  }
  keys_[dik] = 0;
}

void DXKeyboard::ReleaseAll() { keys_.fill(0); }

bool DXKeyboard::IsHeld(int dik) const {
  return dik >= 0 && dik < kKeyCount && (keys_[dik] & 0x80) != 0;
}

// --- mouse --------------------------------------------------------------------------------

DXMouse::DXMouse(const InputHandles& handles) : DXDevice(handles) { Init(); }

bool DXMouse::Init() {
  acquired_ = false;
  if (!handles_.window) {
    LogPrintf("DXMouse: Failed to set cooperation level properly - %s\n", "no main window");
    return false;
  }
  timer_.Reset();
  LogPrintf("DXMouse: Loaded mouse device - %s\n", "pointer events of the main window");
  acquired_ = true;
  return true;
}

void DXMouse::Take(InputState& record) {
  record.mouse_x = dx_;
  record.mouse_y = dy_;
  record.Set(0, buttons_[kLeft]);
  record.Set(1, buttons_[kRight]);
  dx_ = dy_ = 0;
}

std::optional<InputState> DXMouse::Poll() {
  if (!acquired_) return std::nullopt;
  InputState record;
  Take(record);
  return record;
}

std::optional<MouseMotion> DXMouse::PollMotion(InputState* record) {
  if (!acquired_) return std::nullopt;
  InputState polled;
  Take(polled);
  if (record) {
    record->Set(0, polled.Test(0));
    record->Set(1, polled.Test(1));
  }
  return MouseMotion{float(polled.mouse_x), -float(polled.mouse_y), timer_.Elapsed()};
}

void DXMouse::MoveTo(int x, int y) {
  if (have_position_) AddMotion(x - last_x_, y - last_y_);
  have_position_ = true;
  last_x_ = x;
  last_y_ = y;
}

void DXMouse::SetOrigin(int x, int y) {
  have_position_ = true;
  last_x_ = x;
  last_y_ = y;
}

void DXMouse::AddMotion(int dx, int dy) {
  // Saturate rather than wrap on absurd event streams.
  const auto add = [](int32_t a, int b) {
    const int64_t sum = int64_t(a) + b;
    return int32_t(std::clamp<int64_t>(sum, INT32_MIN, INT32_MAX));
  };
  dx_ = add(dx_, dx);
  dy_ = add(dy_, dy);
}

void DXMouse::SetButton(Button button, bool down) {
  if (button < 0 || button >= int(buttons_.size())) return;
  buttons_[button] = down;
}

void DXMouse::ReleaseAll() { buttons_.fill(false); }

// --- joystick -----------------------------------------------------------------------------

DXJoystick::DXJoystick(const InputHandles& handles) : DXDevice(handles) { Init(); }

DXJoystick::~DXJoystick() {
  Close();
  if (sdl_started_) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

void DXJoystick::Close() {
  if (device_) SDL_JoystickClose(device_);
  device_ = nullptr;
  instance_id_ = -1;
  acquired_ = false;
}

bool DXJoystick::Init() {
  Close();
  if (!sdl_started_) {
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) {
      LogPrintf("DXJoystick: Error occured in enumerating joystick devices - %s\n", SDL_GetError());
      return false;
    }
    sdl_started_ = true;
    // Nobody reads SDL's event queue: the joystick is read by polling only.
    SDL_JoystickEventState(SDL_IGNORE);
  }
  SDL_JoystickUpdate();
  seen_devices_ = SDL_NumJoysticks();
  if (seen_devices_ <= 0) {
    LogPrintf("DXJoystick: Can't create joystick device - %s\n", "no joystick attached");
    return false;
  }
  const char* listed_name = SDL_JoystickNameForIndex(0);
  LogPrintf("DXJoystick: Loading joystick device - %s\n", listed_name ? listed_name : "");

  device_ = SDL_JoystickOpen(0);
  if (!device_) {
    LogPrintf("DXJoystick: Can't create joystick device - %s\n", SDL_GetError());
    return false;
  }
  instance_id_ = SDL_JoystickInstanceID(device_);
  const char* name = SDL_JoystickName(device_);
  product_name_ = name ? name : "";

  LogPrintf("Setting x-axis range\n");
  LogPrintf("Setting y-axis range\n");
  CVar<float> deadzone("joystick.deadzone", 0.1f);
  const float fraction = deadzone;
  // The integer part of value x 10000, kept within the axis range.
  const double units = std::isfinite(fraction) ? double(fraction) * kDeadZoneUnits : 0.0;
  dead_units_ = int(std::clamp(units, 0.0, double(kDeadZoneUnits)));
  LogPrintf("Setting x-axis dead zone: %f\n", fraction);
  LogPrintf("Setting y-axis dead zone: %f\n", fraction);

  timer_.Reset();
  state_ = JoystickState{};
  LogPrintf("DXJoystick: Loaded joystick device - %s\n", product_name_.c_str());
  acquired_ = true;
  use_keyboard = 0;
  return true;
}

bool DXJoystick::CheckHotPlug() {
  if (acquired_) return true;
  if (!sdl_started_) return false;
  SDL_JoystickUpdate();
  const int devices = SDL_NumJoysticks();
  if (devices == seen_devices_) return false;
  seen_devices_ = devices;
  if (devices <= 0) return false;
  return Init();
}

std::optional<InputState> DXJoystick::Poll() {
  if (!acquired_ || !device_) return std::nullopt;
  SDL_JoystickUpdate();
  if (!SDL_JoystickGetAttached(device_)) {
    LogPrintf("DXJoystick: Can't reacquire joystick device....\n");
    Close();
    seen_devices_ = SDL_NumJoysticks();
    return std::nullopt;
  }
  JoystickState s;
  const int axes = SDL_JoystickNumAxes(device_);
  const auto axis = [&](int i) {
    return i < axes ? ScaleAxis(SDL_JoystickGetAxis(device_, i)) : 0;
  };
  s.lX = ApplyDeadZone(axis(0), dead_units_);
  s.lY = ApplyDeadZone(axis(1), dead_units_);
  s.lZ = axis(2);
  s.lRx = axis(3);
  s.lRy = axis(4);
  s.lRz = axis(5);
  s.rglSlider = {axis(6), axis(7)};
  const int hats = std::min(SDL_JoystickNumHats(device_), 4);
  for (int h = 0; h < hats; ++h) {
    // Hundredths of a degree clockwise from north; centred reads 0xFFFFFFFF.
    switch (SDL_JoystickGetHat(device_, h)) {
      case SDL_HAT_UP:
        s.rgdwPOV[h] = 0;
        break;
      case SDL_HAT_RIGHTUP:
        s.rgdwPOV[h] = 4500;
        break;
      case SDL_HAT_RIGHT:
        s.rgdwPOV[h] = 9000;
        break;
      case SDL_HAT_RIGHTDOWN:
        s.rgdwPOV[h] = 13500;
        break;
      case SDL_HAT_DOWN:
        s.rgdwPOV[h] = 18000;
        break;
      case SDL_HAT_LEFTDOWN:
        s.rgdwPOV[h] = 22500;
        break;
      case SDL_HAT_LEFT:
        s.rgdwPOV[h] = 27000;
        break;
      case SDL_HAT_LEFTUP:
        s.rgdwPOV[h] = 31500;
        break;
      default:
        break;
    }
  }
  const int buttons = std::min(SDL_JoystickNumButtons(device_), JoystickState::kButtonCount);
  for (int b = 0; b < buttons; ++b) s.rgbButtons[b] = SDL_JoystickGetButton(device_, b) ? 0x80 : 0;
  state_ = s;

  InputState record;
  record.x = float(s.lX) * 0.001f;
  record.z = float(s.lY) * 0.001f;
  record.Set(0, s.ButtonDown(0));
  record.Set(1, s.ButtonDown(1));
  record.Set(2, s.ButtonDown(9));
  record.Set(4, s.ButtonDown(4));
  record.Set(5, s.ButtonDown(2));
  record.Set(6, s.ButtonDown(5));
  record.Set(7, s.ButtonDown(1));
  return record;
}

// --- process-wide -------------------------------------------------------------------------

void SetGloveFactory(GloveFactory factory) { Globals().glove_factory = std::move(factory); }

void SetKeyboardFlyHandler(std::function<void()> handler) {
  Globals().keyboard_fly = std::move(handler);
}

void GlobalInputInit(const InputHandles& handles) {
  if (!handles.instance || !handles.window) {
    LogPrintf("GlobalInputInit(): Don't have handles to create input devices");
    return;
  }
  InputGlobals& g = Globals();
  // A second start-up replaces the devices; the old joystick is closed before the new opens.
  g.glove.reset();
  g.joystick.reset();
  g.mouse.reset();
  g.keyboard.reset();

  g.keyboard = std::make_unique<DXKeyboard>(handles);
  g.mouse = std::make_unique<DXMouse>(handles);
  g.joystick = std::make_unique<DXJoystick>(handles);
  if (g.glove_factory) g.glove = g.glove_factory();

  const bool glove = g.glove && g.glove->Present();
  if (g.mouse->Ready() && g.joystick->Ready() && g.keyboard->Ready() && glove)
    LogPrintf("GlobalInputInit(): Input Initialization Successful");
  else
    LogPrintf("GlobalInputInit(): Not All Input Devices Present - FAILED");
}

bool GlobalInputPoll() {
  InputGlobals& g = Globals();
  if (g.joystick && g.joystick->CheckHotPlug()) {
    if (std::optional<InputState> polled = g.joystick->Poll()) {
      InputState record = *polled;
      // Pushing the stick away from the player is forward.
      record.z = -record.z;
      const JoystickState& s = g.joystick->LastState();
      record.Set(kInputAttackLeft, s.ButtonDown(joy_attack_left));
      record.Set(kInputAttackRight, s.ButtonDown(joy_attack_right));
      record.Set(kInputAttackForward, s.ButtonDown(joy_attack_forward));
      g.joystick_state = record;
    }
  }
  if (g.mouse && g.mouse->Ready()) {
    if (std::optional<InputState> polled = g.mouse->Poll()) {
      g.mouse_state = *polled;
      g.mouse_state.mouse_x =
          g.mouse_state.mouse_x == INT32_MIN ? INT32_MAX : -g.mouse_state.mouse_x;
    }
  }
  if (g.keyboard && g.keyboard->Ready()) {
    if (std::optional<KeyboardState> polled = g.keyboard->Poll()) {
      g.keyboard_state = *polled;
      if (g.keyboard_fly) g.keyboard_fly();
    }
  }
  if (g.glove && g.glove->Present()) g.glove->Poll();
  const bool both = g.mouse && g.mouse->Ready() && g.joystick && g.joystick->Ready();
  return !both;
}

void GlobalInputShutdown() {
  InputGlobals& g = Globals();
  g.glove.reset();
  g.joystick.reset();
  g.mouse.reset();
  g.keyboard.reset();
  g.keyboard_state = KeyboardState{};
  g.joystick_state = InputState{};
  g.mouse_state = InputState{};
}

DXKeyboard* GetKeyboard() { return Globals().keyboard.get(); }
DXMouse* GetMouse() { return Globals().mouse.get(); }
DXJoystick* GetJoystick() { return Globals().joystick.get(); }
GloveDevice* GetGlove() { return Globals().glove.get(); }
bool JoystickReady() { return GetJoystick() && GetJoystick()->Ready(); }

const KeyboardState& GetKeyboardState() { return Globals().keyboard_state; }
const InputState& GetJoystickState() { return Globals().joystick_state; }
const InputState& GetMouseState() { return Globals().mouse_state; }

}  // namespace kt
