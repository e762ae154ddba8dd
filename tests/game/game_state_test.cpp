// Game states: the step rule and registry on their own, then the game's whole course on the
// generated default game (offscreen, manual clock, keys pressed on the keyboard device), with
// screenshots of each screen compared against the images it must show.
#include "game/game_state.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "character/blind_controller.h"
#include "character/boss_controller.h"
#include "character/game_world.h"
#include "console/cvar.h"
#include "console/gl_console.h"
#include "game/camera.h"
#include "game/game_states.h"
#include "game/state_screens.h"
#include "game_fixtures.h"
#include "input/dik_codes.h"
#include "render/image.h"
#include "render/renderer.h"
#include "world_fixture.h"

namespace kt {
namespace {

constexpr int kWidth = 512;
constexpr int kHeight = 384;

// ---- the step rule, without a world ----

using Calls = std::vector<std::string>;

// A state whose start and end conditions are set by the test and whose calls it sees.
class ProbeState : public GameState {
 public:
  ProbeState(const std::string& name, Calls* log) : GameState(name), log_(log) {}
  bool ShouldStart() override { return start; }
  bool IsDone() override { return done; }
  void OnEnter() override { log_->push_back(name() + " enter"); }
  void Update() override { log_->push_back(name() + " update"); }
  void OnExit() override { log_->push_back(name() + " exit"); }
  void DrawScreen() override { log_->push_back(name() + " draw"); }
  bool start = false;
  bool done = false;

 private:
  Calls* log_;
};

class GameStateRuleTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetGameStates(); }
  Calls calls;
};

TEST_F(GameStateRuleTest, NamesAreLowerCaseUniqueAndSteppedInNameOrder) {
  ProbeState b("Beta", &calls), a("ALPHA", &calls), a1("alpha", &calls), a2("Alpha", &calls);
  EXPECT_EQ(a1.name(), "alpha1");
  EXPECT_EQ(a2.name(), "alpha2");
  EXPECT_EQ(FindState("BETA"), &b);
  EXPECT_FALSE(StartState("gamma") || FinishState("gamma") || RearmState("gamma"));
  for (ProbeState* s : {&a, &a1, &a2, &b}) s->start = true;
  StepGameStates();
  EXPECT_EQ(calls, (Calls{"alpha enter", "alpha update", "alpha1 enter", "alpha1 update",
                          "alpha2 enter", "alpha2 update", "beta enter", "beta update"}));
  { ProbeState gone("gone", &calls); }
  EXPECT_EQ(FindState("gone"), nullptr) << "a destroyed state leaves the registry";
}

TEST_F(GameStateRuleTest, StepStartsUpdatesEndsAndRearms) {
  test::ManualClockScope clock;
  Calls events;
  SetGameStateObserver([&](const std::string& name, bool started) {
    events.push_back(name + (started ? " started" : " finished"));
  });
  ProbeState s("Probe", &calls);
  StepGameStates();
  EXPECT_FALSE(s.running()) << "waits for its start condition";
  s.start = true;
  StepGameStates();
  clock.Advance(2.0);
  s.Pause();
  clock.Advance(5.0);
  StepGameStates();
  DrawGameStates();
  s.Resume();
  EXPECT_DOUBLE_EQ(s.TimeInState(), 2.0) << "paused time does not count";
  DrawGameStates();
  s.done = true;
  StepGameStates();
  EXPECT_TRUE(s.finished());
  StepGameStates();
  DrawGameStates();
  EXPECT_EQ(calls, (Calls{"probe enter", "probe update", "probe draw", "probe exit"}));
  EXPECT_FALSE(StartState("probe")) << "a finished state does not start again";
  EXPECT_TRUE(s.Rearm());
  EXPECT_FALSE(s.Rearm());
  s.flags = 0;
  StepGameStates();
  EXPECT_FALSE(s.running()) << "an inactive state is not stepped";
  EXPECT_EQ(events, (Calls{"probe started", "probe finished"}));
  SetGameStateObserver({});

  // By name: starting resumes a paused state and runs its first step at once.
  ProbeState named("Named", &calls);
  calls.clear();
  named.Pause();
  EXPECT_TRUE(StartState("NAMED"));
  EXPECT_FALSE(named.paused());
  EXPECT_EQ(calls, (Calls{"named enter", "named update"}));
  EXPECT_FALSE(StartState("named")) << "already running";
  EXPECT_TRUE(FinishState("named"));
  EXPECT_FALSE(FinishState("named"));
  EXPECT_TRUE(RearmState("named"));
  EXPECT_TRUE(StartState("named"));
}

TEST(StateScreenDigits, NumbersAndClock) {
  // Hit points show whole, from 0 to 999; the clock shows minutes and seconds left.
  const std::vector<std::pair<float, const char*>> numbers = {
      {0.0f, "0"},  {7.9f, "7"},      {10.0f, "10"},       {105.5f, "105"},
      {-4.0f, "0"}, {5000.0f, "999"}, {std::nanf(""), "0"}};
  for (const auto& [value, text] : numbers) EXPECT_EQ(NumberDigits(value), text) << value;
  const std::vector<std::pair<float, const char*>> clocks = {
      {120.0f, "2:00"}, {119.5f, "1:59"}, {9.9f, "0:09"}, {-3.0f, "0:00"}, {725.0f, "12:05"}};
  for (const auto& [value, text] : clocks) EXPECT_EQ(ClockDigits(value), text) << value;
}

// ---- the game on the default world ----

Image LoadReference(const std::string& path) {
  Image image;
  EXPECT_TRUE(ReadImageFile(path, image)) << path;
  return image;
}

// Where an image is drawn on the frame, in pixels from the top left.
struct Quad {
  float x, y, w, h;
};
constexpr Quad kScreen{0, 0, kWidth, kHeight};
constexpr Quad kUpperHalf{0, 0, kWidth, kHeight * 0.5f};

// Calls f(frame pixel, pixel of `ref` drawn over `q`) for every `step`th pixel of `q`, over
// its rows down to `bottom` and its columns up to `right` (fractions of its size).
template <typename F>
void Sample(const Image& frame, const Image& ref, Quad q, int step, F f, float bottom = 1.0f,
            float right = 1.0f) {
  for (int y = int(q.y) + 1; y < int(q.y + bottom * q.h) - 1; y += step)
    for (int x = int(q.x) + 1; x < int(q.x + right * q.w) - 1; x += step) {
      const int u = std::clamp(int((x + 0.5f - q.x) / q.w * ref.width), 0, ref.width - 1);
      const int v = std::clamp(int((y + 0.5f - q.y) / q.h * ref.height), 0, ref.height - 1);
      f(frame.Pixel(x, frame.height - 1 - y), ref.Pixel(u, ref.height - 1 - v));
    }
}

// Mean absolute colour difference between the frame and `ref` drawn over `q`, down to `bottom`.
double MeanDifference(const Image& frame, const Image& ref, Quad q = kScreen, float bottom = 1.0f) {
  double sum = 0.0;
  int n = 0;
  Sample(
      frame, ref, q, 2,
      [&](const unsigned char* a, const unsigned char* b) {
        for (int c = 0; c < 3; ++c) sum += std::abs(int(a[c]) - int(b[c]));
        n += 3;
      },
      bottom);
  return n ? sum / n : 1e9;
}

// The share of the quad's pixels that can be `ref` drawn at 90% over some background: each
// channel within a tenth of 255 of 0.9 * ref (and a small tolerance).
double BlendFit(const Image& frame, const Image& ref, Quad q = kUpperHalf) {
  int fit = 0, n = 0;
  Sample(frame, ref, q, 2, [&](const unsigned char* a, const unsigned char* b) {
    bool ok = true;
    for (int c = 0; c < 3; ++c) ok = ok && a[c] - 0.9 * b[c] > -8.0 && a[c] - 0.9 * b[c] < 33.5;
    fit += ok;
    ++n;
  });
  return n ? double(fit) / n : 0.0;
}

// How well the bright (glyph) pixels of the frame match those of `ref` drawn over `q`, over
// the part `right` of its width where its glyph lies: intersection over union of the masks.
double GlyphMatch(const Image& frame, const Image& ref, Quad q, float right = 1.0f) {
  int both = 0, either = 0;
  const auto bright = [](const unsigned char* p) { return p[0] + p[1] + p[2] > 360; };
  Sample(
      frame, ref, q, 1,
      [&](const unsigned char* a, const unsigned char* b) {
        both += bright(a) && bright(b);
        either += bright(a) || bright(b);
      },
      1.0f, right);
  return either ? double(both) / either : 0.0;
}

class GameCourseTest : public test::WorldTest {
 protected:
  GameCourseTest() : WorldTest(kWidth, kHeight) {}
  void TearDown() override {
    SetGameStateObserver({});
    sound_.reset();
    WorldTest::TearDown();
    ResetGameStates();
  }

  void Start() {
    StartWorld([this](int code) { quit_code_ = code; });
    ASSERT_NE(player_, nullptr);
    world_ = GetGameWorld();
    boss_ = world_->boss;
    ASSERT_NE(boss_, nullptr);
    CVar<int>("world.draw_ground", 1) = 0;
    sound_ = std::make_unique<test::RecordingSound>();
    SetGameStateObserver([this](const std::string& name, bool started) {
      events_.push_back(name + (started ? " started" : " finished"));
    });
  }
  // Enter held for one frame and left up.
  void PressEnter() {
    GetKeyboard()->KeyDown(kDikReturn);
    Frame();
    GetKeyboard()->KeyUp(kDikReturn);
  }
  GameState& State(const char* name) {
    GameState* s = FindState(name);
    EXPECT_NE(s, nullptr) << name;
    return *s;
  }
  StartGameState& Title() { return *dynamic_cast<StartGameState*>(&State("startgame")); }
  bool Running(const char* name) { return State(name).running(); }
  bool Happened(const std::string& event) const {
    return std::find(events_.begin(), events_.end(), event) != events_.end();
  }
  Image Capture(const std::string& file) {
    Shot(file);
    return context_->ReadPixels();
  }
  // Not the losing screen 4.9 s after the game was lost, the losing screen 0.2 s later.
  void ExpectLoseScreenAfterFiveSeconds(const std::string& file) {
    const Image lose = LoadReference("data/images/LoseScreen.BMP");
    RunFrames(4.9);
    EXPECT_GT(MeanDifference(context_->ReadPixels(), lose), 20.0) << "not yet";
    RunFrames(0.2);
    EXPECT_LT(MeanDifference(Capture(file), lose), 12.0);
  }
  // The hit-point or clock digits drawn from `pen` (fraction of the width) match `digits`.
  void ExpectDigits(const Image& frame, float pen, const std::string& digits) {
    const float top = kDigitTop * kHeight, h = (kDigitBottom - kDigitTop) * kHeight;
    const float cell = kDigitWidth * kWidth;
    float x = pen * kWidth;
    for (char c : digits) {
      if (c == ':') {
        x += kColonAdvance * kWidth;
        continue;
      }
      const int d = c - '0';
      const float used = kDigitAdvance[d] * kWidth;
      int best = -1;
      double best_match = -1.0, expected_match = 0.0;
      for (int k = 0; k < 10; ++k) {
        const double m = GlyphMatch(frame, digit_images_[k], {x, top, cell, h}, used / cell);
        if (k == d) expected_match = m;
        if (m > best_match) best_match = m, best = k;
      }
      EXPECT_EQ(best, d) << "digit '" << c << "' of " << digits << " at x " << x;
      EXPECT_GT(expected_match, 0.5) << "digit '" << c << "' of " << digits;
      x += used;
    }
  }

  std::unique_ptr<test::RecordingSound> sound_;
  GameWorld* world_ = nullptr;
  Character* boss_ = nullptr;
  int quit_code_ = -1;
  std::vector<std::string> events_;
  Image digit_images_[10];
};

// Title, menu, level with its panel, pause, boss fight, win: the course of a won game.
TEST_F(GameCourseTest, TitleLevelPauseBossFightAndWin) {
  test::DefaultGameDir game;
  Start();
  for (int d = 0; d < 10; ++d)
    digit_images_[d] = LoadReference("data/images/" + std::to_string(d) + ".bmp");
  Frame();
  ASSERT_TRUE(Running("startgame")) << "the title starts on the first frame";
  EXPECT_TRUE(sound_->MusicPlayed("data/sounds/opening.mp3", 0.0f));
  EXPECT_FALSE(GetConsole()->IsOpen());
  EXPECT_EQ(CVar<int>("world.draw_level", 1), 0);
  for (const Character* c : world_->entities) EXPECT_FALSE(c->enabled) << c->name();
  EXPECT_FALSE(player_->controller_active);

  // Escape before any game does nothing; a held key moves the selection once.
  Tap(kDikEscape);
  EXPECT_FALSE(Running("pausegame"));
  EXPECT_EQ(Title().selection(), 0);
  GetKeyboard()->KeyDown(kDikDown);
  RunFrames(0.5);
  EXPECT_EQ(Title().selection(), 1) << "a held key moves once";
  GetKeyboard()->KeyDown(kDikReturn);
  GetKeyboard()->KeyUp(kDikDown);
  Frame();
  EXPECT_TRUE(Running("configureinput")) << "Enter on the second item";
  // The dialogue starts with the keys still held: nothing is bound until they are released.
  const int left = CVar<int>("input.key_move_left", 203);
  RunFrames(0.2);
  EXPECT_EQ(CVar<int>("input.key_move_left", 203), left);
  EXPECT_EQ(Title().selection(), 1) << "the menu does not move during the dialogue";
  GetKeyboard()->KeyUp(kDikReturn);
  Frame();
  // Binding the defaults again finishes the dialogue without changing anything.
  for (int key : {203, 205, 200, 208, 30, 32, 17}) Tap(key);
  Frame();
  EXPECT_FALSE(Running("configureinput"));
  EXPECT_FALSE(GetConsole()->IsOpen()) << "the dialogue closes the console";
  Tap(kDikUp);
  ASSERT_EQ(Title().selection(), 0);
  RunFrames(0.3);
  const Image title = LoadReference("data/images/NoText_TitleScreen4.BMP");
  EXPECT_LT(MeanDifference(Capture("title_menu.png"), title, kScreen, 0.3f), 12.0);
  EXPECT_NE(Title().pulse(), 0.0f) << "the selected item pulses";
  EXPECT_LE(std::fabs(Title().pulse()), 0.2f + 1e-6f);

  // Enter on the first item: the opening (skipped by default) and the level.
  PressEnter();
  EXPECT_TRUE(State("startgame").paused());
  EXPECT_EQ(CVar<int>("world.draw_level", 1), 1);
  ASSERT_TRUE(RunUntil(0.2, [&] { return Running("playlevel"); }));
  EXPECT_TRUE(Happened("opening finished"));
  EXPECT_EQ(GetCamera()->target(), player_) << "a skipped opening goes to the player at once";
  EXPECT_EQ(sound_->Count("data/sounds/nukem_who_some.wav"), 1);
  EXPECT_TRUE(sound_->MusicPlayed("data/sounds/castlevania.mp3", 0.0f));
  EXPECT_TRUE(player_->controller_active);
  EXPECT_FALSE(boss_->enabled) << "the boss waits for its fight";
  EXPECT_TRUE(boss_->invulnerable);

  // The level panel: known hit points and time left.
  RunFrames(0.5);
  player_->hit_points = 87.4f;
  Frame();
  const auto* level = dynamic_cast<PlayLevelState*>(&State("playlevel"));
  const std::string clock = ClockDigits(level->remaining());
  EXPECT_EQ(clock, "1:59");
  const Image level_frame = Capture("level_panel.png");
  ExpectDigits(level_frame, 0.0976562f, "87");
  ExpectDigits(level_frame, 0.8125f, clock);

  // Escape pauses: the title is back with "Back to Game", the clock stops; Enter resumes.
  GetKeyboard()->KeyDown(kDikEscape);
  Frame();
  GetKeyboard()->KeyUp(kDikEscape);
  ASSERT_TRUE(Running("pausegame"));
  EXPECT_FALSE(State("startgame").paused());
  EXPECT_TRUE(State("playlevel").paused());
  const float frozen = level->remaining();
  const int player_frame = player_->RootMotion()->CurrentFrame();
  RunFrames(1.0);
  EXPECT_EQ(level->remaining(), frozen);
  EXPECT_EQ(player_->RootMotion()->CurrentFrame(), player_frame) << "the figures stand still";
  {
    const Image paused = Capture("title_back_to_game.png");
    const Image back = LoadReference("data/images/Title_BackToGame.bmp");
    const Image start = LoadReference("data/images/Title_StartGame.bmp");
    const float grown = 1.0f + Title().pulse();
    const Quad item{0.609375f * kWidth, 0.361328125f * kHeight, 0.2265625f * kWidth * grown,
                    0.041015625f * kHeight * grown};
    EXPECT_GT(GlyphMatch(paused, back, item), GlyphMatch(paused, start, item));
  }
  Tap(kDikReturn);
  Frame();
  EXPECT_FALSE(Running("pausegame"));
  EXPECT_TRUE(Running("playlevel"));
  RunFrames(0.5);
  EXPECT_LT(level->remaining(), frozen) << "the clock runs again";

  // Every opponent killed: the boss fight with its music, the camera on the boss, circling.
  for (Character* c : world_->entities)
    if (dynamic_cast<BlindController*>(c->gameplay_controller())) c->gameplay_controller()->Kill();
  ASSERT_TRUE(RunUntil(0.2, [&] { return Running("bossfight"); }));
  EXPECT_TRUE(State("playlevel").finished());
  EXPECT_TRUE(sound_->MusicPlayed("data/sounds/boss.mp3", 60.0f));
  EXPECT_EQ(GetCamera()->target(), boss_);
  EXPECT_TRUE(boss_->enabled);
  EXPECT_FALSE(player_->controller_active);
  CVar<int>("world.draw_level", 1) = 0;  // the long waits need no level
  RunFrames(1.0);
  EXPECT_FALSE(GetCamera()->following);
  const CVector before = GetCamera()->position;
  RunFrames(0.5);
  EXPECT_GT((GetCamera()->position - before).Length(), 1.0f) << "the camera circles the boss";
  CVar<int>("world.draw_level", 1) = 1;
  Frame();
  {
    const Image boss_frame = Capture("boss_banner.png");
    const Image banner = LoadReference("data/images/BossScreen.BMP");
    const Image opening = LoadReference("data/images/Opening.BMP");
    const double fit = BlendFit(boss_frame, banner);
    EXPECT_GT(fit, 0.85);
    EXPECT_LT(BlendFit(boss_frame, opening), fit - 0.1);
    ExpectDigits(boss_frame, 0.287109f, NumberDigits(player_->hit_points));
    ExpectDigits(boss_frame, 0.708984f, NumberDigits(boss_->hit_points));
  }
  CVar<int>("world.draw_level", 1) = 0;
  ASSERT_TRUE(RunUntil(7.0, [&] { return GetCamera()->target() == player_; }));
  EXPECT_TRUE(GetCamera()->following);
  EXPECT_TRUE(player_->controller_active);
  EXPECT_FALSE(boss_->invulnerable);
  auto* boss_controller = dynamic_cast<BossController*>(boss_->gameplay_controller());
  ASSERT_NE(boss_controller, nullptr);
  EXPECT_TRUE(boss_controller->fighting());

  // The boss killed before 8 s: the fight still lasts its 8 s; then the win.
  const double t = State("bossfight").TimeInState();
  ASSERT_LT(t, 7.9);
  boss_controller->Kill();
  RunFrames(7.9 - t);
  EXPECT_TRUE(Running("bossfight"));
  ASSERT_TRUE(RunUntil(0.5, [&] { return Running("wingame"); }));
  EXPECT_EQ(sound_->Count("data/sound/nukem_damnimgood.wav"), 1);
  EXPECT_TRUE(sound_->MusicPlayed("data/sounds/win.mp3", 0.0f));
  EXPECT_FALSE(player_->controller_active);
  RunFrames(7.8);
  EXPECT_FALSE(GetCamera()->following) << "circling the winner";
  RunFrames(0.4);
  EXPECT_TRUE(GetCamera()->following);
  const Image win_frame = Capture("win_screen.png");
  const Image win = LoadReference("data/images/WinScreen.BMP");
  const Image lose = LoadReference("data/images/LoseScreen.BMP");
  const double d = MeanDifference(win_frame, win);
  EXPECT_LT(d, 12.0);
  EXPECT_LT(d * 3.0, MeanDifference(win_frame, lose));
  EXPECT_FALSE(Happened("losegame started"));
  game.KeepCaches();
}

// The opening played through, then the player's death: the losing screen 5 s later, and
// neither the boss fight nor the win follows; the title's Quit item then ends the program.
TEST_F(GameCourseTest, OpeningFlyOverThenDeathLoses) {
  test::DefaultGameDir game;
  Start();
  CVar<int>("game.skipOpening", 1) = 0;
  CVar<int>("world.draw_level", 1) = 0;
  Entity* const statue = FindEntity("statue");  // the default scene's markers
  Entity* const fountain = FindEntity("fountain");
  ASSERT_TRUE(statue && fountain);
  CVar<float> max_velocity("camera.max_velocity", 37.0f);
  const float speed = max_velocity;
  Frame();
  PressEnter();
  ASSERT_TRUE(RunUntil(0.1, [&] { return Running("opening"); }));
  EXPECT_TRUE(boss_->invulnerable);
  Camera* camera = GetCamera();
  Entity* before_target = camera->target();
  RunFrames(2.9);
  EXPECT_EQ(camera->target(), before_target) << "nothing in the first 3 s";
  // The fly-over: the statue at 3 s, the fountain at 7.5 s (three times as fast), the player
  // at 13 s, each with its banner.
  ASSERT_TRUE(RunUntil(0.2, [&] { return camera->target() == statue; }));
  EXPECT_NEAR(State("opening").TimeInState(), 3.0, 0.05);
  Frame();  // draw the first banner
  const Image first = Capture("opening_banner.png");
  ASSERT_TRUE(RunUntil(4.6, [&] { return camera->target() == fountain; }));
  EXPECT_NEAR(State("opening").TimeInState(), 7.5, 0.05);
  EXPECT_FLOAT_EQ(float(max_velocity), 3.0f * speed);
  ASSERT_TRUE(RunUntil(5.6, [&] { return camera->target() == player_; }));
  EXPECT_NEAR(State("opening").TimeInState(), 13.0, 0.05);
  EXPECT_FLOAT_EQ(float(max_velocity), speed);
  const Image second = Capture("opening_banner2.png");
  const Image banner = LoadReference("data/images/Opening.BMP");
  const Image banner2 = LoadReference("data/images/Opening2.BMP");
  const double first_fit = BlendFit(first, banner), second_fit = BlendFit(second, banner2);
  EXPECT_GT(first_fit, 0.85);
  EXPECT_GT(second_fit, 0.85);
  EXPECT_LT(BlendFit(first, banner2), first_fit - 0.1);
  EXPECT_LT(BlendFit(second, banner), second_fit - 0.1);
  EXPECT_EQ(sound_->Count("data/sounds/nukem_who_some.wav"), 0);
  ASSERT_TRUE(RunUntil(2.2, [&] { return Running("playlevel"); }));
  EXPECT_EQ(sound_->Count("data/sounds/nukem_who_some.wav"), 1);
  for (const Character* c : world_->entities)
    EXPECT_EQ(c->enabled, c->name() != "boss") << c->name();

  // The player dies: the game is lost.
  RunFrames(0.5);
  player_->invulnerable = false;
  player_->gameplay_controller()->Kill();
  EXPECT_TRUE(Running("losegame"));
  EXPECT_TRUE(State("playlevel").finished());
  EXPECT_FALSE(player_->controller_active);
  ExpectLoseScreenAfterFiveSeconds("lose_screen_death.png");
  RunFrames(4.0);
  EXPECT_FALSE(Happened("bossfight started")) << "a lost game has no boss fight";
  EXPECT_FALSE(sound_->MusicPlayed("data/sounds/boss.mp3", 60.0f));
  EXPECT_FALSE(Happened("wingame started"));

  // Escape brings the title back; its Quit item shuts the world down and ends with code 0.
  Tap(kDikEscape);
  ASSERT_TRUE(Running("pausegame"));
  Tap(kDikDown);
  Tap(kDikDown);
  ASSERT_EQ(Title().selection(), 2);
  std::filesystem::remove("cvar.ini");
  GetKeyboard()->KeyDown(kDikReturn);
  Frame();
  EXPECT_EQ(quit_code_, 0);
  EXPECT_EQ(GetGameWorld(), nullptr);
  EXPECT_TRUE(std::filesystem::exists("cvar.ini")) << "quitting saves the settings";
}

// The input dialogue binds new keys, which persist; then the clock runs out and the game is
// lost 5 s later.
TEST_F(GameCourseTest, InputDialogueBindsKeysAndTimeRunsOut) {
  test::DefaultGameDir game;
  Start();
  CVar<int>("game.skipOpening", 1) = 1;  // an earlier test may have played the opening
  CVar<int>("world.draw_level", 1) = 0;
  Frame();
  Tap(kDikDown);
  PressEnter();
  ASSERT_TRUE(Running("configureinput"));
  EXPECT_TRUE(GetConsole()->IsOpen());
  Frame();
  auto* dialogue = dynamic_cast<ConfigureInputState*>(&State("configureinput"));
  EXPECT_EQ(dialogue->step(), 3) << "no joystick: straight to the keys";
  const std::string log = test::ReadFile("log.txt");
  EXPECT_NE(log.find("No Joystick Detected. Defaulting to Keyboard..."), std::string::npos);
  EXPECT_NE(log.find("Press the key to MOVE the character LEFT now"), std::string::npos);

  // J binds left; J again cannot bind right; a held key answers one question only.
  GetConsole()->SetInputLine("j");
  Tap(kDikJ);
  EXPECT_EQ(CVar<int>("input.key_move_left", 203), kDikJ);
  EXPECT_EQ(GetConsole()->InputLine(), "") << "the answer's typing is cleared";
  Tap(kDikJ);
  EXPECT_EQ(dialogue->step(), 5) << "the same key twice in a row is refused";
  Tap(kDikL);
  GetKeyboard()->KeyDown(kDikI);
  RunFrames(0.3);
  GetKeyboard()->KeyUp(kDikI);
  Frame();
  EXPECT_EQ(dialogue->step(), 9);
  for (int key : {kDikK, kDikU, kDikO, kDikP}) Tap(key);
  Frame();
  EXPECT_FALSE(Running("configureinput"));
  EXPECT_EQ(dialogue->step(), 0) << "re-armed";
  EXPECT_FALSE(GetConsole()->IsOpen());
  const std::vector<std::pair<const char*, int>> bound = {
      {"input.key_move_left", kDikJ},     {"input.key_move_right", kDikL},
      {"input.key_move_up", kDikI},       {"input.key_move_down", kDikK},
      {"input.key_attack_left", kDikU},   {"input.key_attack_right", kDikO},
      {"input.key_attack_forward", kDikP}};
  for (const auto& [name, key] : bound) EXPECT_EQ(CVar<int>(name, 0), key) << name;
  EXPECT_EQ(CVar<int>("input.use_keyboard", 1), 1);

  // The dialogue runs again from the title; its keys may be the last run's.
  Tap(kDikReturn);
  ASSERT_TRUE(RunUntil(0.2, [&] { return dialogue->step() == 3; }));
  for (int key : {kDikP, kDikL, kDikI, kDikK, kDikU, kDikO, kDikJ}) Tap(key);
  Frame();
  EXPECT_FALSE(Running("configureinput"));
  EXPECT_EQ(CVar<int>("input.key_move_left", 203), kDikP);

  // Start with a short clock and let it run out.
  CVar<float>("level.gameTime", 120.0f) = 2.0f;
  Tap(kDikUp);
  ASSERT_EQ(Title().selection(), 0);
  Tap(kDikReturn);
  ASSERT_TRUE(RunUntil(0.2, [&] { return Running("playlevel"); }));
  ASSERT_TRUE(RunUntil(2.2, [&] { return Running("losegame"); }));
  EXPECT_TRUE(State("playlevel").finished());
  EXPECT_TRUE(player_->enabled) << "out of time, not dead";
  ExpectLoseScreenAfterFiveSeconds("lose_screen_time.png");
  EXPECT_FALSE(Happened("bossfight started"));
  EXPECT_FALSE(Happened("wingame started"));
  EXPECT_EQ(std::count(events_.begin(), events_.end(), "playlevel finished"), 1)
      << "the level ends once";
}

}  // namespace
}  // namespace kt
