// "ConfigureInput": the binding dialogue on the console, started from the title's second item.
// It asks whether to use a joystick, then for each move and attack key (or each attack button),
// and ends once everything is bound and released. The bindings persist through "cvar.ini".
#include "console/gl_console.h"
#include "console/log.h"
#include "game/game_flow.h"
#include "game/game_states.h"
#include "game/world.h"

namespace kt {
namespace {

// The bindings exist from process start, as the player's controller reads them.
CVar<int> g_key_move_left("input.key_move_left", 203);
CVar<int> g_key_move_right("input.key_move_right", 205);
CVar<int> g_key_move_up("input.key_move_up", 200);
CVar<int> g_key_move_down("input.key_move_down", 208);
CVar<int> g_key_attack_left("input.key_attack_left", 30);
CVar<int> g_key_attack_right("input.key_attack_right", 32);
CVar<int> g_key_attack_forward("input.key_attack_forward", 17);
CVar<int> g_joy_attack_left("input.joy_attack_left", 4);
CVar<int> g_joy_attack_right("input.joy_attack_right", 2);
CVar<int> g_joy_attack_forward("input.joy_attack_forward", 5);
CVar<int> g_use_keyboard("input.use_keyboard", 1);

// Set whenever no key is down; taken by each answer, so one held key answers once.
bool g_key_released = false;

constexpr int kDone = 22;

// The key questions start at step 2, the button questions at 16.
constexpr int kFirstKeyStep = 2;
constexpr int kFirstButtonStep = 16;

}  // namespace

struct ConfigureInputState::Question {
  const char* prompt;
  CVar<int>* binding;
};

namespace {

// The questions in the order asked: each prints its prompt on one step and waits for its
// answer on the next; the last answer of either list ends the dialogue.
const ConfigureInputState::Question kKeyQuestions[] = {
    {"Press the key to MOVE the character LEFT now", &g_key_move_left},
    {"Press the key to MOVE the character RIGHT now", &g_key_move_right},
    {"Press the key to MOVE the character UP now", &g_key_move_up},
    {"Press the key to MOVE the character DOWN now", &g_key_move_down},
    {"Press the key to ATTACK LEFT now", &g_key_attack_left},
    {"Press the key to ATTACK RIGHT now", &g_key_attack_right},
    {"Press the key to ATTACK FORWARD now", &g_key_attack_forward},
};
const ConfigureInputState::Question kButtonQuestions[] = {
    {"Press the button to ATTACK LEFT now", &g_joy_attack_left},
    {"Press the button to ATTACK RIGHT now", &g_joy_attack_right},
    {"Press the button to ATTACK FORWARD now", &g_joy_attack_forward},
};

void ClearInputLine() {
  if (GLConsole* console = GetConsole()) console->SetInputLine("");
}

}  // namespace

void ResetConfigureInputLatch() { g_key_released = false; }

ConfigureInputState::ConfigureInputState() : GameState("ConfigureInput") {}

bool ConfigureInputState::Rearm() {
  step_ = 0;
  // A new run may bind the keys of the last one again.
  last_key_ = -1;
  last_button_ = -1;
  return GameState::Rearm();
}

void ConfigureInputState::OnEnter() {
  if (GLConsole* console = GetConsole()) {
    console->Open();
    console->Clear();
  }
}

void ConfigureInputState::BindKey(CVar<int>& binding, int next) {
  const int k = FirstKeyDown();
  if (k < 0 || k == last_key_ || !g_key_released) return;
  binding = k;
  last_key_ = k;
  g_key_released = false;
  ClearInputLine();
  step_ = next;
}

void ConfigureInputState::BindButton(CVar<int>& binding, int next) {
  const int b = FirstButtonDown();
  if (b < 0 || b == last_button_) return;
  binding = b;
  last_button_ = b;
  ClearInputLine();
  step_ = next;
}

bool ConfigureInputState::StepQuestion(std::span<const Question> questions, int first_step,
                                       bool buttons) {
  const int offset = step_ - first_step;
  if (offset < 0 || offset / 2 >= int(questions.size())) return false;
  const Question& question = questions[offset / 2];
  if (offset % 2 == 0) {
    LogPrintf("%s", question.prompt);
    ++step_;
    return true;
  }
  const int next = offset / 2 + 1 == int(questions.size()) ? kDone : step_ + 1;
  if (buttons)
    BindButton(*question.binding, next);
  else
    BindKey(*question.binding, next);
  return true;
}

void ConfigureInputState::Update() {
  if (GLConsole* console = GetConsole(); console && !console->IsOpen()) console->Open();
  if (FirstKeyDown() < 0) g_key_released = true;
  switch (step_) {
    case 0:
      if (GetGlove() && GetGlove()->Present()) LogPrintf("Detected P5 Glove - Bound to attacks...");
      if (JoystickReady() && GetJoystick()) {
        LogPrintf("%s Joystick Detected.  Would you like to use it? (y/n)",
                  GetJoystick()->ProductName().c_str());
        step_ = 1;
      } else {
        LogPrintf("No Joystick Detected. Defaulting to Keyboard...");
        g_use_keyboard = 1;
        step_ = kFirstKeyStep;
      }
      break;
    case 1:
      if (KeyDown(kDikY)) {
        g_use_keyboard = 0;
        g_key_released = false;
        ClearInputLine();
        step_ = kFirstButtonStep;
      } else if (KeyDown(kDikN)) {
        g_use_keyboard = 1;
        last_key_ = kDikN;
        g_key_released = false;
        ClearInputLine();
        step_ = kFirstKeyStep;
      }
      break;
    default:
      if (!StepQuestion(kKeyQuestions, kFirstKeyStep, false))
        StepQuestion(kButtonQuestions, kFirstButtonStep, true);
      break;
  }
}

bool ConfigureInputState::IsDone() {
  return step_ == kDone && FirstKeyDown() < 0 && FirstButtonDown() < 0;
}

void ConfigureInputState::OnExit() {
  if (GLConsole* console = GetConsole()) console->Close();
  Rearm();
}

}  // namespace kt
