// Keyboard, mouse and joystick devices, polled once per frame into process-wide records.
//
// On this platform the keyboard is a 256-entry table indexed by DirectInput scan codes that
// the GUI (or a script) feeds with key-down/key-up calls; the mouse accumulates the GUI's
// pointer events into relative motion and buttons; the joystick is the first device the SDL2
// joystick API reports. Key codes everywhere are DirectInput scan codes (203 cursor left,
// 30 = A, ...; see dik_codes.h).
//
//   GlobalInputInit({.instance = true, .window = true});   // once, at world start-up
//   GlobalInputPoll();                                     // once per frame
//   if (GetKeyboardState().KeyDown(kDikLeft)) ...          // read the polled records
//
// Contents: records - DXDevice - DXKeyboard - DXMouse - DXJoystick - GloveDevice hook -
// GlobalInputInit / GlobalInputPoll / GlobalInputShutdown - the process-wide records.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "console/frame_timer.h"
#include "input/input_state.h"

struct _SDL_Joystick;

namespace kt {

constexpr int kKeyCount = 256;

// The keyboard record: an InputState followed by the 256 key bytes (0x80 = held).
struct KeyboardState {
  InputState state;
  std::array<uint8_t, kKeyCount> keys{};

  // Out-of-range codes read as up.
  bool KeyDown(int dik) const { return dik >= 0 && dik < kKeyCount && (keys[dik] & 0x80) != 0; }
};

// The joystick's raw state, laid out like DirectInput's DIJOYSTATE: axes in -1000..1000 (x and
// y with the dead zone applied), hats, and 32 buttons (0x80 = held).
struct JoystickState {
  int32_t lX = 0, lY = 0, lZ = 0;
  int32_t lRx = 0, lRy = 0, lRz = 0;
  std::array<int32_t, 2> rglSlider{};
  std::array<uint32_t, 4> rgdwPOV{0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
  std::array<uint8_t, 32> rgbButtons{};

  static constexpr int kButtonCount = 32;
  // Out-of-range buttons read as up.
  bool ButtonDown(int b) const { return b >= 0 && b < kButtonCount && (rgbButtons[b] & 0x80) != 0; }
};

// PollMotion's result: pointer motion (y up) and the device timer's elapsed seconds.
struct MouseMotion {
  float x = 0.0f;
  float y = 0.0f;
  double seconds = 0.0;
};

// What the program provides to create devices from. Without a module instance or main window
// no device is created (a headless runner passes both as present).
struct InputHandles {
  bool instance = false;
  bool window = false;
};

// Common part of the three devices.
class DXDevice {
 public:
  virtual ~DXDevice() = default;
  DXDevice(const DXDevice&) = delete;
  DXDevice& operator=(const DXDevice&) = delete;

  // Brings the device up, logging each step; true when acquired.
  virtual bool Init() = 0;
  // Acquired: ready to be polled.
  bool Ready() const { return acquired_; }

 protected:
  explicit DXDevice(const InputHandles& handles) : handles_(handles) {}

  FrameTimer timer_;
  bool acquired_ = false;
  InputHandles handles_;
};

// Keyboard: key-down/key-up calls may come from the GUI or a script, at any time, with or
// without a window.
class DXKeyboard : public DXDevice {
 public:
  explicit DXKeyboard(const InputHandles& handles);

  bool Init() override;
  // An empty InputState and the current key table; nullopt when the device is not acquired.
  std::optional<KeyboardState> Poll();

  // Codes outside 0..255 are logged and ignored.
  void KeyDown(int dik);
  void KeyUp(int dik);
  // Releases every held key (focus loss: no key stays stuck).
  void ReleaseAll();
  bool IsHeld(int dik) const;

 private:
  std::array<uint8_t, kKeyCount> keys_{};
};

// Mouse: relative motion and buttons accumulated between polls.
class DXMouse : public DXDevice {
 public:
  enum Button : int { kLeft = 0, kRight = 1, kMiddle = 2 };

  explicit DXMouse(const InputHandles& handles);

  bool Init() override;
  // mouse_x/mouse_y := motion since the last poll, bit 0 left, bit 1 right; clears the motion.
  std::optional<InputState> Poll();
  // Sets bits 0 and 1 of `record` (when given) and returns (x motion, -(y motion), elapsed
  // seconds of the device timer); clears the motion.
  std::optional<MouseMotion> PollMotion(InputState* record);

  // Feeding from pointer events: absolute positions turn into motion (the first position seen
  // after construction only sets the origin); relative motion adds directly.
  void MoveTo(int x, int y);
  void AddMotion(int dx, int dy);
  // Takes (x, y) as the position later motion is measured from, adding no motion (the pointer
  // re-entering the window somewhere else has not moved the mouse).
  void SetOrigin(int x, int y);
  void SetButton(Button button, bool down);
  void ReleaseAll();

 private:
  void Take(InputState& record);

  int32_t dx_ = 0, dy_ = 0;
  bool have_position_ = false;
  int last_x_ = 0, last_y_ = 0;
  std::array<bool, 3> buttons_{};
};

// Joystick over SDL2: the first attached device. Declares `joystick.deadzone` in Init.
class DXJoystick : public DXDevice {
 public:
  explicit DXJoystick(const InputHandles& handles);
  ~DXJoystick() override;

  // Opens the first attached joystick; on success also sets `input.use_keyboard` := 0.
  bool Init() override;
  // Reads the device: x := lX * 0.001, z := lY * 0.001, bits 0 b0, 1 b1, 2 b9, 4 b4, 5 b2,
  // 6 b5, 7 b1. nullopt (previous record kept) when the device is gone.
  std::optional<InputState> Poll();
  // When not acquired and a joystick has appeared since the last look, runs Init. Returns
  // whether the device is ready afterwards.
  bool CheckHotPlug();

  const std::string& ProductName() const { return product_name_; }
  // The state read by the last successful Poll.
  const JoystickState& LastState() const { return state_; }

 private:
  void Close();

  _SDL_Joystick* device_ = nullptr;
  int32_t instance_id_ = -1;
  std::string product_name_;
  JoystickState state_;
  bool sdl_started_ = false;
  int seen_devices_ = -1;
  int dead_units_ = 1000;  // dead zone in 1/10000 of the axis range
};

// The glove. GlobalInputInit asks the installed factory for one: by default the P5 glove
// (input/p5_input_device.h); with no factory the glove is absent.
class GloveDevice {
 public:
  virtual ~GloveDevice() = default;
  virtual bool Present() const = 0;
  // Once per frame while present.
  virtual void Poll() = 0;
};
using GloveFactory = std::function<std::unique_ptr<GloveDevice>()>;
void SetGloveFactory(GloveFactory factory);

// World start-up: "GlobalInputInit(): Don't have handles to create input devices" when a handle
// is missing (nothing is created); otherwise creates keyboard, mouse, joystick and glove and
// logs "GlobalInputInit(): Input Initialization Successful" when all four are ready, else
// "GlobalInputInit(): Not All Input Devices Present - FAILED". Calling it again replaces the
// devices.
void GlobalInputInit(const InputHandles& handles);
// Once per frame: joystick (z negated, attack bits from `input.joy_attack_*`), mouse (x motion
// negated), keyboard (then the keyboard-fly handler), glove. False when the mouse and the
// joystick both exist and are acquired, true otherwise.
bool GlobalInputPoll();
// Destroys every device (world shutdown destroys the glove through it). Records are cleared.
void GlobalInputShutdown();

// Called by GlobalInputPoll right after a successful keyboard poll (the camera's free-fly
// control installs itself here); empty by default.
void SetKeyboardFlyHandler(std::function<void()> handler);

// The devices; nullptr before GlobalInputInit and after shutdown.
DXKeyboard* GetKeyboard();
DXMouse* GetMouse();
DXJoystick* GetJoystick();
GloveDevice* GetGlove();
// A joystick exists and is acquired.
bool JoystickReady();

// The records of the last poll (zero until a device has been polled).
const KeyboardState& GetKeyboardState();
const InputState& GetJoystickState();
const InputState& GetMouseState();

}  // namespace kt
