// Keyboard table, mouse accumulation, the SDL joystick (virtual devices) and the per-frame poll.
#include "input/input_devices.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/cvar.h"
#include "console/log.h"
#include "input/dik_codes.h"
#include "test_support.h"

namespace kt {
namespace {

class LogLines : public LogSink {
 public:
  LogLines() : previous_(GetLogSink()) { SetLogSink(this); }
  ~LogLines() override { SetLogSink(previous_); }
  void Print(const std::string& text, int) override { lines.push_back(text); }
  int Count(const std::string& part) const {
    int n = 0;
    for (const std::string& line : lines) n += line.find(part) != std::string::npos;
    return n;
  }
  std::vector<std::string> lines;

 private:
  LogSink* previous_;
};

constexpr InputHandles kHandles{.instance = true, .window = true};

// A virtual stick with two axes and twelve buttons, attached for the fixture's lifetime (or
// until Detach).
class VirtualStick {
 public:
  VirtualStick() {
    index_ = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 12, 0);
    if (index_ >= 0) handle_ = SDL_JoystickOpen(index_);
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
  int index_ = -1;
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

TEST_F(InputTest, InputVariablesExistFromProcessStartWithTheirDefaults) {
  // joystick.deadzone only appears with the joystick's Init, the rest are there already.
  const std::vector<std::pair<const char*, int>> defaults = {
      {"input.key_move_left", 203},     {"input.key_move_right", 205},
      {"input.key_move_up", 200},       {"input.key_move_down", 208},
      {"input.key_attack_left", 30},    {"input.key_attack_right", 32},
      {"input.key_attack_forward", 17}, {"input.joy_attack_left", 4},
      {"input.joy_attack_right", 2},    {"input.joy_attack_forward", 5},
      {"input.use_keyboard", 1}};
  for (const auto& [name, value] : defaults) {
    CVarEntry* entry = GetCVarRegistry().Find(name);
    ASSERT_NE(entry, nullptr) << name;
    EXPECT_EQ(entry->value.type, kCVarInt) << name;
    EXPECT_EQ(entry->value.i, value) << name;
  }
}

TEST_F(InputTest, KeyDownAndUpReachThePolledRecordOncePerFrame) {
  GlobalInputInit(kHandles);
  DXKeyboard* keyboard = GetKeyboard();
  ASSERT_NE(keyboard, nullptr);
  ASSERT_TRUE(keyboard->Ready());

  keyboard->KeyDown(kDikLeft);
  keyboard->KeyDown(kDikA);
  EXPECT_FALSE(GetKeyboardState().KeyDown(kDikLeft));  // not polled yet
  GlobalInputPoll();
  const KeyboardState& record = GetKeyboardState();
  EXPECT_EQ(record.keys[203], 0x80);
  EXPECT_EQ(record.keys[30], 0x80);
  int held = 0;
  for (uint8_t key : record.keys) held += key != 0;
  EXPECT_EQ(held, 2);
  EXPECT_EQ(record.state.buttons, 0u);

  keyboard->KeyUp(kDikLeft);
  keyboard->KeyDown(kDikW);
  GlobalInputPoll();
  EXPECT_EQ(GetKeyboardState().keys[203], 0);
  EXPECT_TRUE(GetKeyboardState().KeyDown(kDikA));
  EXPECT_TRUE(GetKeyboardState().KeyDown(kDikW));

  // Focus loss: nothing stays held.
  keyboard->ReleaseAll();
  GlobalInputPoll();
  for (uint8_t key : GetKeyboardState().keys) EXPECT_EQ(key, 0);
}

TEST_F(InputTest, BadKeyCodesAreLoggedAndIgnored) {
  GlobalInputInit(kHandles);
  LogLines log;
  GetKeyboard()->KeyDown(256);
  GetKeyboard()->KeyDown(-1);
  GetKeyboard()->KeyUp(1000);
  GlobalInputPoll();
  EXPECT_EQ(log.Count("DXKeyboard: key code"), 3);
  EXPECT_FALSE(GetKeyboardState().KeyDown(256));
  for (uint8_t key : GetKeyboardState().keys) EXPECT_EQ(key, 0);
}

TEST_F(InputTest, KeyboardFlyRunsAfterEachKeyboardPoll) {
  GlobalInputInit(kHandles);
  int calls = 0;
  bool saw_key = false;
  SetKeyboardFlyHandler([&] {
    ++calls;
    saw_key = GetKeyboardState().KeyDown(kDikUp);
  });
  GetKeyboard()->KeyDown(kDikUp);
  GlobalInputPoll();
  GlobalInputPoll();
  EXPECT_EQ(calls, 2);
  EXPECT_TRUE(saw_key);  // the handler sees this frame's record
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
  EXPECT_FALSE(GetMouseState().Test(1));

  mouse->SetButton(DXMouse::kLeft, false);
  mouse->SetButton(DXMouse::kRight, true);
  GlobalInputPoll();
  EXPECT_EQ(GetMouseState().mouse_x, 0);
  EXPECT_EQ(GetMouseState().mouse_y, 0);
  EXPECT_FALSE(GetMouseState().Test(0));
  EXPECT_TRUE(GetMouseState().Test(1));

  // Re-entering the window elsewhere is no motion.
  mouse->SetOrigin(500, 20);
  mouse->MoveTo(502, 20);
  GlobalInputPoll();
  EXPECT_EQ(GetMouseState().mouse_x, -2);
  EXPECT_EQ(GetMouseState().mouse_y, 0);

  InputState record;
  mouse->AddMotion(4, 6);
  const std::optional<MouseMotion> motion = mouse->PollMotion(&record);
  ASSERT_TRUE(motion);
  EXPECT_EQ(motion->x, 4.0f);
  EXPECT_EQ(motion->y, -6.0f);
  EXPECT_TRUE(record.Test(1));
}

TEST_F(InputTest, WithoutHandlesNoDeviceIsCreated) {
  LogLines log;
  GlobalInputInit(InputHandles{});
  EXPECT_EQ(log.Count("GlobalInputInit(): Don't have handles to create input devices"), 1);
  EXPECT_EQ(GetKeyboard(), nullptr);
  EXPECT_EQ(GetMouse(), nullptr);
  EXPECT_EQ(GetJoystick(), nullptr);
  EXPECT_TRUE(GlobalInputPoll());  // nothing to poll, no crash
}

TEST_F(InputTest, NoJoystickLeavesTheKeyboardChoiceAlone) {
  use_keyboard_ = 1;
  LogLines log;
  GlobalInputInit(kHandles);
  EXPECT_FALSE(JoystickReady());
  EXPECT_EQ(use_keyboard_, 1);
  EXPECT_EQ(log.Count("DXKeyboard: Loaded keyboard device - "), 1);
  EXPECT_EQ(log.Count("DXMouse: Loaded mouse device - "), 1);
  EXPECT_EQ(log.Count("DXJoystick: Can't create joystick device - "), 1);
  EXPECT_EQ(log.Count("GlobalInputInit(): Not All Input Devices Present - FAILED"), 1);
  EXPECT_TRUE(GlobalInputPoll());
  EXPECT_EQ(GetJoystickState().x, 0.0f);
}

TEST_F(InputTest, JoystickAxesDeadZoneAndButtons) {
  VirtualStick stick;
  ASSERT_TRUE(stick.ok()) << SDL_GetError();
  stick.Axis(0, 1500);   // ~4.6% of the range: inside the 10% dead zone
  stick.Axis(1, -2500);  // ~7.6%
  LogLines log;
  GlobalInputInit(kHandles);
  ASSERT_TRUE(JoystickReady());
  EXPECT_FALSE(GetJoystick()->ProductName().empty());
  EXPECT_EQ(log.Count("DXJoystick: Loading joystick device - "), 1);
  EXPECT_EQ(log.Count("Setting x-axis range"), 1);
  EXPECT_EQ(log.Count("Setting y-axis dead zone: 0.100000"), 1);
  EXPECT_EQ(log.Count("DXJoystick: Loaded joystick device - " + GetJoystick()->ProductName()), 1);
  EXPECT_EQ(use_keyboard_, 0);
  // The glove is not there yet.
  EXPECT_EQ(log.Count("GlobalInputInit(): Not All Input Devices Present - FAILED"), 1);

  // Both the mouse and the joystick are acquired: the poll answers false.
  EXPECT_FALSE(GlobalInputPoll());
  EXPECT_EQ(GetJoystickState().x, 0.0f);
  EXPECT_EQ(GetJoystickState().z, 0.0f);

  // Full right, half forward (stick y negative is away from the player).
  stick.Axis(0, 32767);
  stick.Axis(1, -16384);
  GlobalInputPoll();
  EXPECT_FLOAT_EQ(GetJoystickState().x, 1.0f);
  EXPECT_EQ(GetJoystick()->LastState().lY, -(400 * 1000 / 900));  // past the dead zone
  EXPECT_FLOAT_EQ(GetJoystickState().z, 0.444f);                  // negated: forward
  stick.Axis(0, -32768);
  stick.Axis(1, 32767);
  GlobalInputPoll();
  EXPECT_FLOAT_EQ(GetJoystickState().x, -1.0f);
  EXPECT_FLOAT_EQ(GetJoystickState().z, -1.0f);

  stick.Button(1, true);
  GlobalInputPoll();
  EXPECT_EQ(GetJoystickState().buttons, (1u << 1) | (1u << 7));
  stick.Button(1, false);
  stick.Button(9, true);
  stick.Button(0, true);
  GlobalInputPoll();
  EXPECT_EQ(GetJoystickState().buttons, (1u << 0) | (1u << 2));

  // Attack bits follow the configured buttons.
  stick.Button(9, false);
  stick.Button(0, false);
  stick.Button(4, true);
  stick.Button(2, true);
  stick.Button(5, true);
  GlobalInputPoll();
  EXPECT_TRUE(GetJoystickState().Test(kInputAttackLeft));
  EXPECT_TRUE(GetJoystickState().Test(kInputAttackRight));
  EXPECT_TRUE(GetJoystickState().Test(kInputAttackForward));
  CVar<int>("input.joy_attack_left", 4) = 11;
  GlobalInputPoll();
  EXPECT_FALSE(GetJoystickState().Test(kInputAttackLeft));  // button 4 no longer attacks
  stick.Button(11, true);
  GlobalInputPoll();
  EXPECT_TRUE(GetJoystickState().Test(kInputAttackLeft));
  // A button number out of range reads as up.
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
  GlobalInputInit(kHandles);
  ASSERT_FALSE(JoystickReady());
  EXPECT_EQ(use_keyboard_, 1);
  GlobalInputPoll();

  VirtualStick stick;
  ASSERT_TRUE(stick.ok()) << SDL_GetError();
  stick.Axis(0, 32767);
  LogLines log;
  GlobalInputPoll();
  EXPECT_TRUE(JoystickReady());
  EXPECT_EQ(log.Count("DXJoystick: Loaded joystick device - "), 1);
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

class FakeGlove : public GloveDevice {
 public:
  explicit FakeGlove(int* polls) : polls_(polls) {}
  bool Present() const override { return true; }
  void Poll() override { ++*polls_; }

 private:
  int* polls_;
};

TEST_F(InputTest, AllDevicesPresentIncludingAGlove) {
  int polls = 0;
  SetGloveFactory([&] { return std::make_unique<FakeGlove>(&polls); });
  VirtualStick stick;
  ASSERT_TRUE(stick.ok()) << SDL_GetError();
  LogLines log;
  GlobalInputInit(kHandles);
  EXPECT_EQ(log.Count("GlobalInputInit(): Input Initialization Successful"), 1);
  EXPECT_EQ(log.Count("FAILED"), 0);
  GlobalInputPoll();
  GlobalInputPoll();
  EXPECT_EQ(polls, 2);
}

TEST_F(InputTest, DevicesWithoutAWindowStayUnacquired) {
  LogLines log;
  DXKeyboard keyboard(InputHandles{.instance = true, .window = false});
  DXMouse mouse(InputHandles{.instance = true, .window = false});
  EXPECT_FALSE(keyboard.Ready());
  EXPECT_FALSE(mouse.Ready());
  EXPECT_FALSE(keyboard.Poll());
  EXPECT_FALSE(mouse.Poll());
  EXPECT_EQ(log.Count("DXKeyboard: Failed to set cooperation level properly - "), 1);
  EXPECT_EQ(log.Count("DXMouse: Failed to set cooperation level properly - "), 1);
  // Key calls still land in the table (a script may drive it before the window exists).
  keyboard.KeyDown(kDikSpace);
  EXPECT_TRUE(keyboard.IsHeld(kDikSpace));
}

}  // namespace
}  // namespace kt
