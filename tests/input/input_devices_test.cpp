// Keyboard table, mouse accumulation, the SDL joystick (virtual devices) and the per-frame poll.
#include "input/input_devices.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include "console/cvar.h"
#include "input/dik_codes.h"
#include "log_capture.h"
#include "test_support.h"

namespace kt {
namespace {

using test::LogCapture;

constexpr InputHandles kHandles{.instance = true, .window = true};

// A virtual stick with two axes and twelve buttons, attached for its lifetime (or until Detach).
class VirtualStick {
 public:
  VirtualStick() {
    const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 12, 0);
    if (index >= 0) handle_ = SDL_JoystickOpen(index);
  }
  ~VirtualStick() { Detach(); }
  bool ok() const { return handle_ != nullptr; }
  void Axis(int axis, int16_t value) { SDL_JoystickSetVirtualAxis(handle_, axis, value); }
  void Button(int button, bool down) { SDL_JoystickSetVirtualButton(handle_, button, down); }
  void Detach() {
    if (!handle_) return;
    const SDL_JoystickID id = SDL_JoystickInstanceID(handle_);
    SDL_JoystickClose(handle_);
    handle_ = nullptr;
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
      if (SDL_JoystickGetDeviceInstanceID(i) == id) SDL_JoystickDetachVirtual(i);
  }

 private:
  SDL_Joystick* handle_ = nullptr;
};

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
    if (SDL_NumJoysticks() > 0) GTEST_SKIP() << "a real joystick is attached";
    use_keyboard_ = 1;
    CVar<float>("joystick.deadzone", 0.1f) = 0.1f;
    CVar<int>("input.joy_attack_left", 4) = 4;
  }
  void TearDown() override {
    GlobalInputShutdown();
    SetGloveFactory(nullptr);
    SetKeyboardFlyHandler(nullptr);
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
  }

  test::ScratchDir dir_{"input"};
  CVar<int> use_keyboard_{"input.use_keyboard", 1};
};

TEST_F(InputTest, KeysReachThePolledRecordOncePerFrameAndBadCodesAreIgnored) {
  GlobalInputInit(kHandles);
  DXKeyboard* keyboard = GetKeyboard();
  ASSERT_TRUE(keyboard && keyboard->Ready());
  int fly_calls = 0;
  bool fly_saw_key = false;
  SetKeyboardFlyHandler([&] {
    ++fly_calls;
    fly_saw_key = GetKeyboardState().KeyDown(kDikLeft);
  });

  keyboard->KeyDown(kDikLeft);
  keyboard->KeyDown(kDikA);
  EXPECT_FALSE(GetKeyboardState().KeyDown(kDikLeft));  // not polled yet
  GlobalInputPoll();
  EXPECT_EQ(fly_calls, 1);
  EXPECT_TRUE(fly_saw_key);  // the fly handler runs after the poll, on this frame's record
  int held = 0;
  for (uint8_t key : GetKeyboardState().keys) held += key != 0;
  EXPECT_EQ(held, 2);
  EXPECT_EQ(GetKeyboardState().keys[kDikLeft], 0x80);

  keyboard->KeyUp(kDikLeft);
  keyboard->KeyDown(kDikW);
  LogCapture log;
  for (int bad : {256, -1, 1000}) keyboard->KeyDown(bad);
  GlobalInputPoll();
  EXPECT_EQ(log.Count("DXKeyboard: key code"), 3);
  EXPECT_FALSE(GetKeyboardState().KeyDown(kDikLeft));
  EXPECT_TRUE(GetKeyboardState().KeyDown(kDikA) && GetKeyboardState().KeyDown(kDikW));

  // Focus loss: nothing stays held.
  keyboard->ReleaseAll();
  GlobalInputPoll();
  for (uint8_t key : GetKeyboardState().keys) EXPECT_EQ(key, 0);
}

TEST_F(InputTest, MouseMotionAccumulatesBetweenPolls) {
  GlobalInputInit(kHandles);
  DXMouse* mouse = GetMouse();
  ASSERT_TRUE(mouse && mouse->Ready());
  mouse->MoveTo(100, 100);  // origin only
  mouse->MoveTo(110, 95);
  mouse->MoveTo(113, 90);
  mouse->SetButton(DXMouse::kLeft, true);
  GlobalInputPoll();
  // The per-frame poll negates x motion.
  EXPECT_EQ(GetMouseState().mouse_x, -13);
  EXPECT_EQ(GetMouseState().mouse_y, -10);
  EXPECT_TRUE(GetMouseState().Test(0));

  // Re-entering the window elsewhere is no motion.
  mouse->SetButton(DXMouse::kLeft, false);
  mouse->SetButton(DXMouse::kRight, true);
  mouse->SetOrigin(500, 20);
  mouse->MoveTo(502, 20);
  GlobalInputPoll();
  EXPECT_EQ(GetMouseState().mouse_x, -2);
  EXPECT_EQ(GetMouseState().mouse_y, 0);
  EXPECT_TRUE(!GetMouseState().Test(0) && GetMouseState().Test(1));

  InputState record;
  mouse->AddMotion(4, 6);
  const std::optional<MouseMotion> motion = mouse->PollMotion(&record);
  ASSERT_TRUE(motion);
  EXPECT_EQ(motion->x, 4.0f);
  EXPECT_EQ(motion->y, -6.0f);
  EXPECT_TRUE(record.Test(1));
}

TEST_F(InputTest, WithoutHandlesOrAWindowDevicesStayOff) {
  LogCapture log;
  GlobalInputInit(InputHandles{});
  EXPECT_EQ(log.Count("GlobalInputInit(): Don't have handles to create input devices"), 1);
  EXPECT_EQ(GetKeyboard(), nullptr);
  EXPECT_EQ(GetMouse(), nullptr);
  EXPECT_EQ(GetJoystick(), nullptr);
  EXPECT_TRUE(GlobalInputPoll());  // nothing to poll, no crash

  DXKeyboard keyboard(InputHandles{.instance = true, .window = false});
  DXMouse mouse(InputHandles{.instance = true, .window = false});
  EXPECT_FALSE(keyboard.Ready() || mouse.Ready() || keyboard.Poll() || mouse.Poll());
  EXPECT_EQ(log.Count("Failed to set cooperation level properly - "), 2);
  // Key calls still land in the table (a script may drive it before the window exists).
  keyboard.KeyDown(kDikSpace);
  EXPECT_TRUE(keyboard.IsHeld(kDikSpace));
}

TEST_F(InputTest, JoystickAxesDeadZoneAndButtons) {
  VirtualStick stick;
  ASSERT_TRUE(stick.ok()) << SDL_GetError();
  stick.Axis(0, 1500);   // ~4.6% of the range: inside the 10% dead zone
  stick.Axis(1, -2500);  // ~7.6%
  LogCapture log;
  GlobalInputInit(kHandles);
  ASSERT_TRUE(JoystickReady());
  EXPECT_EQ(log.Count("DXJoystick: Loaded joystick device - " + GetJoystick()->ProductName()), 1);
  EXPECT_EQ(use_keyboard_, 0);  // a stick takes over from the keyboard

  // Both the mouse and the joystick are acquired: the poll answers false.
  EXPECT_FALSE(GlobalInputPoll());
  EXPECT_EQ(GetJoystickState().x, 0.0f);
  EXPECT_EQ(GetJoystickState().z, 0.0f);

  // Full right, half forward (stick y negative is away from the player).
  stick.Axis(0, 32767);
  stick.Axis(1, -16384);
  GlobalInputPoll();
  EXPECT_FLOAT_EQ(GetJoystickState().x, 1.0f);
  EXPECT_FLOAT_EQ(GetJoystickState().z, 0.444f);  // past the dead zone, negated: forward
  stick.Axis(0, -32768);
  stick.Axis(1, 32767);
  stick.Button(1, true);
  GlobalInputPoll();
  EXPECT_FLOAT_EQ(GetJoystickState().x, -1.0f);
  EXPECT_FLOAT_EQ(GetJoystickState().z, -1.0f);
  EXPECT_EQ(GetJoystickState().buttons, (1u << 1) | (1u << 7));
  stick.Button(1, false);
  stick.Button(9, true);
  stick.Button(0, true);
  GlobalInputPoll();
  EXPECT_EQ(GetJoystickState().buttons, (1u << 0) | (1u << 2));

  // Attack bits follow the configured buttons; a number out of range reads as up.
  stick.Button(9, false);
  stick.Button(0, false);
  for (int button : {4, 2, 5}) stick.Button(button, true);
  GlobalInputPoll();
  for (int bit : {kInputAttackLeft, kInputAttackRight, kInputAttackForward})
    EXPECT_TRUE(GetJoystickState().Test(bit)) << bit;
  CVar<int>("input.joy_attack_left", 4) = 11;
  GlobalInputPoll();
  EXPECT_FALSE(GetJoystickState().Test(kInputAttackLeft));
  stick.Button(11, true);
  GlobalInputPoll();
  EXPECT_TRUE(GetJoystickState().Test(kInputAttackLeft));
  CVar<int>("input.joy_attack_left", 4) = 400;
  GlobalInputPoll();
  EXPECT_FALSE(GetJoystickState().Test(kInputAttackLeft));
}

TEST_F(InputTest, DeadZoneComesFromTheVariable) {
  CVar<float>("joystick.deadzone", 0.1f) = 0.5f;
  VirtualStick stick;
  ASSERT_TRUE(stick.ok()) << SDL_GetError();
  stick.Axis(0, 13107);  // 40%
  GlobalInputInit(kHandles);
  GlobalInputPoll();
  EXPECT_EQ(GetJoystickState().x, 0.0f);
  stick.Axis(0, 24575);  // 75%: halfway between the dead zone's edge and the end
  GlobalInputPoll();
  EXPECT_NEAR(GetJoystickState().x, 0.5f, 0.002f);
}

TEST_F(InputTest, JoystickPluggedInLaterIsPickedUpAndUnpluggingKeepsTheLastRecord) {
  {
    LogCapture log;
    GlobalInputInit(kHandles);
    EXPECT_EQ(log.Count("GlobalInputInit(): Not All Input Devices Present - FAILED"), 1);
  }
  ASSERT_FALSE(JoystickReady());
  EXPECT_EQ(use_keyboard_, 1);  // no joystick leaves the keyboard choice alone
  EXPECT_TRUE(GlobalInputPoll());
  EXPECT_EQ(GetJoystickState().x, 0.0f);

  VirtualStick stick;
  ASSERT_TRUE(stick.ok()) << SDL_GetError();
  stick.Axis(0, 32767);
  LogCapture log;
  GlobalInputPoll();
  EXPECT_TRUE(JoystickReady());
  EXPECT_EQ(use_keyboard_, 0);
  EXPECT_FLOAT_EQ(GetJoystickState().x, 1.0f);

  stick.Detach();
  GlobalInputPoll();
  EXPECT_EQ(log.Count("DXJoystick: Can't reacquire joystick device...."), 1);
  EXPECT_FALSE(JoystickReady());
  EXPECT_FLOAT_EQ(GetJoystickState().x, 1.0f);  // previous record stays
  GlobalInputPoll();                            // no repeated attempts or log lines
  EXPECT_EQ(log.Count("DXJoystick: "), 3);      // loading, loaded, lost

  VirtualStick again;
  ASSERT_TRUE(again.ok());
  GlobalInputPoll();
  EXPECT_TRUE(JoystickReady());
}

class CountingGlove : public GloveDevice {
 public:
  explicit CountingGlove(int* polls) : polls_(polls) {}
  bool Present() const override { return true; }
  void Poll() override { ++*polls_; }

 private:
  int* polls_;
};

TEST_F(InputTest, AllDevicesPresentIncludingAGlove) {
  int polls = 0;
  SetGloveFactory([&] { return std::make_unique<CountingGlove>(&polls); });
  VirtualStick stick;
  ASSERT_TRUE(stick.ok()) << SDL_GetError();
  LogCapture log;
  GlobalInputInit(kHandles);
  EXPECT_EQ(log.Count("GlobalInputInit(): Input Initialization Successful"), 1);
  EXPECT_EQ(log.Count("FAILED"), 0);
  GlobalInputPoll();
  GlobalInputPoll();
  EXPECT_EQ(polls, 2);
}

}  // namespace
}  // namespace kt
