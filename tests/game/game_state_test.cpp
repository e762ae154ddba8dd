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
#include <utility>
#include <vector>

#include "character/blind_controller.h"
#include "character/boss_controller.h"
#include "character/character.h"
#include "character/game_world.h"
#include "console/cvar.h"
#include "console/gl_console.h"
#include "game/camera.h"
#include "game/game_states.h"
#include "game/state_screens.h"
#include "game/world.h"
#include "game_fixtures.h"
#include "input/dik_codes.h"
#include "input/input_devices.h"
#include "render/image.h"
#include "render/offscreen.h"
#include "render/renderer.h"
#include "sound/sound_system.h"
#include "test_support.h"

namespace kt {
namespace {

constexpr double kStep = 1.0 / 60.0;
constexpr int kWidth = 512;
constexpr int kHeight = 384;

// ---- the step rule, without a world ----

// A state whose start and end conditions and calls are visible to the test.
class ProbeState : public GameState {
 public:
  explicit ProbeState(const std::string& name, std::vector<std::string>* log = nullptr)
      : GameState(name), log_(log) {}
  bool ShouldStart() override { return start; }
  bool IsDone() override { return done; }
  void OnEnter() override { Note("enter"); }
  void Update() override { Note("update"); }
  void OnExit() override { Note("exit"); }
  void DrawScreen() override { Note("draw"); }

  bool start = false;
  bool done = false;

 private:
  void Note(const char* what) {
    if (log_) log_->push_back(name() + " " + what);
  }
  std::vector<std::string>* log_;
};

class GameStateRuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetGameStates();
    SetGameStateObserver([this](const std::string& name, bool started) {
      events.push_back(name + (started ? " started" : " finished"));
    });
  }
  void TearDown() override { SetGameStateObserver({}); }
  std::vector<std::string> calls;
  std::vector<std::string> events;
};

TEST_F(GameStateRuleTest, NamesAreLowerCaseUniqueAndSteppedInNameOrder) {
  ProbeState b("Beta", &calls), a("ALPHA", &calls), a1("alpha", &calls), a2("Alpha", &calls);
  EXPECT_EQ(a.name(), "alpha");
  EXPECT_EQ(a1.name(), "alpha1");
  EXPECT_EQ(a2.name(), "alpha2");
  EXPECT_EQ(FindState("BETA"), &b);
  EXPECT_EQ(FindState("gamma"), nullptr);
  EXPECT_FALSE(StartState("gamma"));
  EXPECT_FALSE(FinishState("gamma"));
  EXPECT_FALSE(RearmState("gamma"));
  for (ProbeState* s : {&a, &a1, &a2, &b}) s->start = true;
  StepGameStates();
  EXPECT_EQ(calls, (std::vector<std::string>{"alpha enter", "alpha update", "alpha1 enter",
                                             "alpha1 update", "alpha2 enter", "alpha2 update",
                                             "beta enter", "beta update"}));
  { ProbeState gone("gone"); }
  EXPECT_EQ(FindState("gone"), nullptr) << "a destroyed state leaves the registry";
}

TEST_F(GameStateRuleTest, StepStartsUpdatesEndsAndRearms) {
  test::ManualClockScope clock;
  ProbeState s("Probe", &calls);
  StepGameStates();
  EXPECT_FALSE(s.running()) << "waits for its start condition";
  s.start = true;
  StepGameStates();
  EXPECT_TRUE(s.running());
  clock.Advance(2.0);
  EXPECT_DOUBLE_EQ(s.TimeInState(), 2.0);
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
  EXPECT_FALSE(s.running());
  StepGameStates();
  DrawGameStates();
  EXPECT_EQ(calls,
            (std::vector<std::string>{"probe enter", "probe update", "probe draw", "probe exit"}));
  EXPECT_FALSE(StartState("probe")) << "a finished state does not start again";
  EXPECT_TRUE(s.Rearm());
  EXPECT_FALSE(s.Rearm());
  s.flags = 0;
  StepGameStates();
  EXPECT_FALSE(s.running()) << "an inactive state is not stepped";
  EXPECT_EQ(events, (std::vector<std::string>{"probe started", "probe finished"}));
}

TEST_F(GameStateRuleTest, StartAndFinishByName) {
  ProbeState s("Probe", &calls);
  s.Pause();
  EXPECT_TRUE(StartState("PROBE"));
  EXPECT_FALSE(s.paused()) << "starting resumes";
  EXPECT_EQ(calls, (std::vector<std::string>{"probe enter", "probe update"}));
  EXPECT_FALSE(StartState("probe")) << "already running";
  EXPECT_TRUE(FinishState("probe"));
  EXPECT_FALSE(FinishState("probe"));
  EXPECT_TRUE(RearmState("probe"));
  EXPECT_TRUE(StartState("probe"));
}

TEST(StateScreenDigits, NumbersAndClock) {
  EXPECT_EQ(NumberDigits(0.0f), "0");
  EXPECT_EQ(NumberDigits(7.9f), "7");
  EXPECT_EQ(NumberDigits(10.0f), "10");
  EXPECT_EQ(NumberDigits(105.5f), "105");
  EXPECT_EQ(NumberDigits(-4.0f), "0");
  EXPECT_EQ(NumberDigits(5000.0f), "999");
  EXPECT_EQ(NumberDigits(std::nanf("")), "0");
  EXPECT_EQ(ClockDigits(120.0f), "2:00");
  EXPECT_EQ(ClockDigits(119.5f), "1:59");
  EXPECT_EQ(ClockDigits(9.9f), "0:09");
  EXPECT_EQ(ClockDigits(-3.0f), "0:00");
  EXPECT_EQ(ClockDigits(725.0f), "12:05") << "a long level shows every minute digit";
}

// ---- the game on the default world ----

class RecordingSound : public SoundSystem {
 public:
  void PlayMusic(const std::string& file, float start) override { music.emplace_back(file, start); }
  void PlaySound(const std::string& file) override { effects.push_back(file); }
  bool Played(const std::string& file) const {
    return std::count(effects.begin(), effects.end(), file) > 0;
  }
  std::vector<std::pair<std::string, float>> music;
  std::vector<std::string> effects;
};

Image LoadReference(const std::string& path) {
  Image image;
  EXPECT_TRUE(ReadImageFile(path, image)) << path;
  return image;
}

// The frame's pixel at (x, y) counted from the top.
const unsigned char* At(const Image& frame, int x, int y) {
  return frame.Pixel(x, frame.height - 1 - y);
}

// The reference pixel shown at (x, y) of a quad (qx, qy, qw, qh) that shows the whole image.
const unsigned char* RefAt(const Image& ref, float qx, float qy, float qw, float qh, int x, int y) {
  const int u = std::clamp(int((x + 0.5f - qx) / qw * ref.width), 0, ref.width - 1);
  const int v = std::clamp(int((y + 0.5f - qy) / qh * ref.height), 0, ref.height - 1);
  return ref.Pixel(u, ref.height - 1 - v);
}

// Mean absolute colour difference between the frame and the image drawn over the quad (qx, qy,
// qw, qh), over the rows from `top` to `bottom` of the quad (fractions of its height).
double MeanDifference(const Image& frame, const Image& ref, float qx, float qy, float qw, float qh,
                      float top = 0.0f, float bottom = 1.0f) {
  double sum = 0.0;
  int n = 0;
  for (int y = int(qy + top * qh) + 1; y < int(qy + bottom * qh) - 1; y += 2)
    for (int x = int(qx) + 1; x < int(qx + qw) - 1; x += 2) {
      const unsigned char* a = At(frame, x, y);
      const unsigned char* b = RefAt(ref, qx, qy, qw, qh, x, y);
      for (int c = 0; c < 3; ++c) sum += std::abs(int(a[c]) - int(b[c]));
      n += 3;
    }
  return n ? sum / n : 1e9;
}

// The same over an overlay quad (qx, qy, qw, qh) showing `item` with pure black transparent
// above `under`, which fills the whole frame.
double OverlayDifference(const Image& frame, const Image& under, const Image& item, float qx,
                         float qy, float qw, float qh) {
  double sum = 0.0;
  int n = 0;
  for (int y = int(qy) + 1; y < int(qy + qh) - 1; ++y)
    for (int x = int(qx) + 1; x < int(qx + qw) - 1; ++x) {
      const unsigned char* a = At(frame, x, y);
      const unsigned char* b = RefAt(item, qx, qy, qw, qh, x, y);
      if (b[0] == 0 && b[1] == 0 && b[2] == 0)
        b = RefAt(under, 0, 0, float(frame.width), float(frame.height), x, y);
      for (int c = 0; c < 3; ++c) sum += std::abs(int(a[c]) - int(b[c]));
      n += 3;
    }
  return n ? sum / n : 1e9;
}

// The share of the quad's pixels that can be `ref` drawn at `alpha` over some background:
// each channel within (1 - alpha) * 255 of alpha * ref (and a small tolerance).
double BlendFit(const Image& frame, const Image& ref, float qx, float qy, float qw, float qh,
                float alpha) {
  int fit = 0, n = 0;
  const double slack = (1.0 - alpha) * 255.0 + 8.0;
  for (int y = int(qy) + 1; y < int(qy + qh) - 1; y += 2)
    for (int x = int(qx) + 1; x < int(qx + qw) - 1; x += 2) {
      const unsigned char* a = At(frame, x, y);
      const unsigned char* b = RefAt(ref, qx, qy, qw, qh, x, y);
      bool ok = true;
      for (int c = 0; c < 3; ++c) {
        const double d = a[c] - alpha * b[c];
        ok = ok && d > -8.0 && d < slack;
      }
      fit += ok;
      ++n;
    }
  return n ? double(fit) / n : 0.0;
}

bool Bright(const unsigned char* p) { return p[0] + p[1] + p[2] > 360; }

// How well the bright (glyph) pixels of the frame's rectangle match those of the image drawn
// at (qx, qy, qw, qh), over the part [qx, qx + used) where its glyph lies: intersection over
// union of the two masks.
double GlyphMatch(const Image& frame, const Image& ref, float qx, float qy, float qw, float qh,
                  float used) {
  int both = 0, either = 0;
  for (int y = int(qy) + 1; y < int(qy + qh) - 1; ++y)
    for (int x = int(qx) + 1; x < int(qx + used) - 1; ++x) {
      const bool a = Bright(At(frame, x, y));
      const bool b = Bright(RefAt(ref, qx, qy, qw, qh, x, y));
      both += a && b;
      either += a || b;
    }
  return either ? double(both) / either : 0.0;
}

class GameCourseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    context_ = OffscreenContext::Create(kWidth, kHeight);
    if (!context_) GTEST_SKIP() << "no EGL surfaceless context on this machine";
    ResetRenderer();
    std::filesystem::create_directories(KT_SHOT_DIR);
  }
  void TearDown() override {
    SetGameStateObserver({});
    sound_.reset();
    ResetWorld();
    ResetGameStates();
    ResetCharacterDrawing();
    ResetRenderer();
  }

  void Start() {
    WorldPlatform platform;
    platform.input_handles = {true, true};
    platform.quit = [this](int code) { quit_code_ = code; };
    WorldStartup(platform);
    world_ = GetGameWorld();
    ASSERT_NE(world_, nullptr);
    player_ = world_->player;
    boss_ = world_->boss;
    ASSERT_NE(player_, nullptr);
    ASSERT_NE(boss_, nullptr);
    // Until the world's frame runs the states itself, the test does it after each frame.
    world_runs_states_ = !GameStateRegistry().empty();
    if (!world_runs_states_) CreateGameStates();
    if (!world_->change_state) world_->change_state = [](const std::string& s) { StartState(s); };
    CVar<int>("world.draw_ground", 1) = 0;
    sound_ = std::make_unique<RecordingSound>();
    SetGameStateObserver([this](const std::string& name, bool started) {
      events_.push_back(name + (started ? " started" : " finished"));
    });
  }
  void Frame() {
    clock_.Advance(kStep);
    WorldFrame();
    if (!world_runs_states_) {
      StepGameStates();
      DrawGameStates();
    }
  }
  void Frames(double seconds) {
    for (int i = 0; i < int(std::lround(seconds / kStep)); ++i) Frame();
  }
  // Frames until `until` holds, for at most `seconds`; true when it did.
  bool RunUntil(double seconds, const std::function<bool()>& until) {
    for (int i = 0; i < int(std::lround(seconds / kStep)); ++i) {
      Frame();
      if (until()) return true;
    }
    return false;
  }
  // The key held for one frame, then released for one.
  void Tap(int dik) {
    GetKeyboard()->KeyDown(dik);
    Frame();
    GetKeyboard()->KeyUp(dik);
    Frame();
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
  bool MusicPlayed(const std::string& file, float start) const {
    for (const auto& [f, s] : sound_->music)
      if (f == file && s == start) return true;
    return false;
  }
  void KillEveryOpponent() {
    for (Character* c : world_->entities)
      if (dynamic_cast<BlindController*>(c->gameplay_controller()))
        c->gameplay_controller()->Kill();
  }
  Image Shot(const std::string& file) {
    EXPECT_TRUE(context_->SavePNG(std::string(KT_SHOT_DIR) + "/" + file));
    return context_->ReadPixels();
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
        const double m = GlyphMatch(frame, digit_images_[k], x, top, cell, h, used);
        if (k == d) expected_match = m;
        if (m > best_match) best_match = m, best = k;
      }
      EXPECT_EQ(best, d) << "digit '" << c << "' of " << digits << " at x " << x;
      EXPECT_GT(expected_match, 0.5) << "digit '" << c << "' of " << digits;
      x += used;
    }
  }
  void LoadDigitImages() {
    for (int d = 0; d < 10; ++d)
      digit_images_[d] = LoadReference("data/images/" + std::to_string(d) + ".bmp");
  }

  test::ManualClockScope clock_;
  std::unique_ptr<OffscreenContext> context_;
  std::unique_ptr<RecordingSound> sound_;
  GameWorld* world_ = nullptr;
  Character* player_ = nullptr;
  Character* boss_ = nullptr;
  bool world_runs_states_ = false;
  int quit_code_ = -1;
  std::vector<std::string> events_;
  Image digit_images_[10];
};

// Title, menu, level with its panel, pause, boss fight, win: the course of a won game.
TEST_F(GameCourseTest, TitleLevelPauseBossFightAndWin) {
  test::DefaultGameDir game;
  Start();
  LoadDigitImages();
  Frame();
  ASSERT_TRUE(Running("startgame")) << "the title starts on the first frame";
  EXPECT_TRUE(MusicPlayed("data/sounds/opening.mp3", 0.0f));
  EXPECT_FALSE(GetConsole()->IsOpen());
  EXPECT_EQ(CVar<int>("world.draw_level", 1), 0);
  for (const Character* c : world_->entities) EXPECT_FALSE(c->enabled) << c->name();
  EXPECT_FALSE(player_->controller_active);

  // Escape before any game does nothing; a held key moves the selection once.
  Tap(kDikEscape);
  EXPECT_FALSE(Running("pausegame"));
  EXPECT_EQ(Title().selection(), 0);
  GetKeyboard()->KeyDown(kDikDown);
  Frames(0.5);
  EXPECT_EQ(Title().selection(), 1) << "a held key moves once";
  GetKeyboard()->KeyDown(kDikReturn);
  GetKeyboard()->KeyUp(kDikDown);
  Frame();
  EXPECT_TRUE(Running("configureinput")) << "Enter on the second item";
  // The dialogue starts with the keys still held: nothing is bound until they are released.
  const int left = CVar<int>("input.key_move_left", 203);
  Frames(0.2);
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

  Frames(0.3);
  Image title_frame = Shot("title_menu.png");
  {
    // The title image around the items, the unselected items' text where they belong.
    const Image title = LoadReference("data/images/NoText_TitleScreen4.BMP");
    EXPECT_LT(MeanDifference(title_frame, title, 0, 0, kWidth, kHeight, 0.0f, 0.3f), 12.0);
    const Image input = LoadReference("data/images/Title_Input.bmp");
    const Image quit = LoadReference("data/images/Title_Quit.bmp");
    const float x = 0.609375f * kWidth, h = 0.041015625f * kHeight;
    const float input_y = 0.48046875f * kHeight, input_w = 0.296875f * kWidth;
    const float quit_y = 0.603515625f * kHeight, quit_w = 0.078125f * kWidth;
    const double input_d = OverlayDifference(title_frame, title, input, x, input_y, input_w, h);
    const double quit_d = OverlayDifference(title_frame, title, quit, x, quit_y, quit_w, h);
    EXPECT_LT(input_d, 20.0);
    EXPECT_LT(quit_d, 20.0);
    EXPECT_LT(input_d * 1.5, OverlayDifference(title_frame, title, quit, x, input_y, input_w, h));
    EXPECT_NE(Title().pulse(), 0.0f) << "the selected item pulses";
    EXPECT_LE(std::fabs(Title().pulse()), 0.2f + 1e-6f);
  }

  // Enter on the first item: the opening (skipped by default) and the level.
  GetKeyboard()->KeyDown(kDikReturn);
  Frame();
  GetKeyboard()->KeyUp(kDikReturn);
  EXPECT_TRUE(State("startgame").paused());
  EXPECT_TRUE(Title().game_started());
  EXPECT_EQ(CVar<int>("world.draw_level", 1), 1);
  ASSERT_TRUE(RunUntil(0.2, [&] { return Running("playlevel"); }));
  EXPECT_TRUE(Happened("opening finished"));
  EXPECT_EQ(GetCamera()->target(), player_) << "a skipped opening goes to the player at once";
  EXPECT_TRUE(sound_->Played("data/sounds/nukem_who_some.wav"));
  EXPECT_TRUE(MusicPlayed("data/sounds/castlevania.mp3", 0.0f));
  EXPECT_TRUE(player_->enabled);
  EXPECT_TRUE(player_->controller_active);
  EXPECT_FALSE(boss_->enabled) << "the boss waits for its fight";
  EXPECT_TRUE(boss_->invulnerable);

  // The level panel: known hit points and time left.
  Frames(0.5);
  player_->hit_points = 87.4f;
  Frame();
  const auto* level = dynamic_cast<PlayLevelState*>(&State("playlevel"));
  const std::string clock = ClockDigits(level->remaining());
  EXPECT_EQ(clock, "1:59");
  const Image level_frame = Shot("level_panel.png");
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
  Frames(1.0);
  EXPECT_EQ(level->remaining(), frozen);
  EXPECT_EQ(player_->RootMotion()->CurrentFrame(), player_frame) << "the figures stand still";
  const Image paused_frame = Shot("title_back_to_game.png");
  {
    const Image back = LoadReference("data/images/Title_BackToGame.bmp");
    const Image start = LoadReference("data/images/Title_StartGame.bmp");
    const float x = 0.609375f * kWidth, y = 0.361328125f * kHeight;
    const float w = 0.2265625f * kWidth * (1.0f + Title().pulse());
    const float h = 0.041015625f * kHeight * (1.0f + Title().pulse());
    EXPECT_GT(GlyphMatch(paused_frame, back, x, y, w, h, w),
              GlyphMatch(paused_frame, start, x, y, w, h, w));
  }
  Tap(kDikReturn);
  Frame();
  EXPECT_FALSE(Running("pausegame"));
  EXPECT_FALSE(State("playlevel").paused());
  EXPECT_TRUE(Running("playlevel"));
  Frames(0.5);
  EXPECT_LT(level->remaining(), frozen) << "the clock runs again";
  EXPECT_TRUE(Running("playlevel"));

  // Every opponent killed: the boss fight with its music, the camera on the boss, circling.
  KillEveryOpponent();
  ASSERT_TRUE(RunUntil(0.2, [&] { return Running("bossfight"); }));
  EXPECT_TRUE(State("playlevel").finished());
  EXPECT_TRUE(MusicPlayed("data/sounds/boss.mp3", 60.0f));
  EXPECT_EQ(GetCamera()->target(), boss_);
  EXPECT_TRUE(boss_->enabled);
  EXPECT_FALSE(player_->controller_active);
  CVar<int>("world.draw_level", 1) = 0;  // the long waits need no level
  Frames(1.0);
  EXPECT_FALSE(GetCamera()->following);
  const CVector before = GetCamera()->position;
  Frames(0.5);
  EXPECT_GT((GetCamera()->position - before).Length(), 1.0f) << "the camera circles the boss";
  CVar<int>("world.draw_level", 1) = 1;
  Frame();
  const Image boss_frame = Shot("boss_banner.png");
  {
    const Image banner = LoadReference("data/images/BossScreen.BMP");
    const Image opening = LoadReference("data/images/Opening.BMP");
    const double fit = BlendFit(boss_frame, banner, 0, 0, kWidth, kHeight * 0.5f, 0.9f);
    EXPECT_GT(fit, 0.85);
    EXPECT_LT(BlendFit(boss_frame, opening, 0, 0, kWidth, kHeight * 0.5f, 0.9f), fit - 0.1);
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
  Frames(7.9 - t);
  EXPECT_TRUE(Running("bossfight"));
  ASSERT_TRUE(RunUntil(0.5, [&] { return Running("wingame"); }));
  EXPECT_TRUE(sound_->Played("data/sound/nukem_damnimgood.wav"));
  EXPECT_TRUE(MusicPlayed("data/sounds/win.mp3", 0.0f));
  EXPECT_FALSE(player_->controller_active);
  Frames(7.8);
  EXPECT_FALSE(GetCamera()->following) << "circling the winner";
  Frames(0.4);
  EXPECT_TRUE(GetCamera()->following);
  const Image win_frame = Shot("win_screen.png");
  const Image win = LoadReference("data/images/WinScreen.BMP");
  const Image lose = LoadReference("data/images/LoseScreen.BMP");
  const double d = MeanDifference(win_frame, win, 0, 0, kWidth, kHeight);
  EXPECT_LT(d, 12.0);
  EXPECT_LT(d * 3.0, MeanDifference(win_frame, lose, 0, 0, kWidth, kHeight));
  EXPECT_FALSE(Happened("losegame started"));
  game.KeepCaches();
}

// The opening played through, then the player's death: the losing screen 5 s later, and
// neither the boss fight nor the win follows.
TEST_F(GameCourseTest, OpeningFlyOverThenDeathLoses) {
  test::DefaultGameDir game;
  Start();
  CVar<int>("game.skipOpening", 1) = 0;
  CVar<int>("world.draw_level", 1) = 0;
  // The default game's markers, or made here when it has none.
  std::unique_ptr<Entity> own_statue, own_fountain;
  if (!FindEntity("statue")) own_statue = std::make_unique<Entity>("statue", kEntityMarker);
  if (!FindEntity("fountain")) own_fountain = std::make_unique<Entity>("fountain", kEntityMarker);
  Entity* const statue = FindEntity("statue");
  Entity* const fountain = FindEntity("fountain");
  CVar<float> max_velocity("camera.max_velocity", 37.0f);
  const float speed = max_velocity;
  Frame();
  GetKeyboard()->KeyDown(kDikReturn);
  Frame();
  GetKeyboard()->KeyUp(kDikReturn);
  ASSERT_TRUE(RunUntil(0.1, [&] { return Running("opening"); }));
  EXPECT_TRUE(player_->enabled);
  EXPECT_TRUE(boss_->invulnerable);
  Camera* camera = GetCamera();
  Entity* before_target = camera->target();
  Frames(2.9);
  EXPECT_EQ(camera->target(), before_target) << "nothing in the first 3 s";
  ASSERT_TRUE(RunUntil(0.2, [&] { return camera->target() == statue; }));
  EXPECT_NEAR(State("opening").TimeInState(), 3.0, 0.05);
  Frame();  // draw the first banner
  const Image first = Shot("opening_banner.png");
  ASSERT_TRUE(RunUntil(4.6, [&] { return camera->target() == fountain; }));
  EXPECT_NEAR(State("opening").TimeInState(), 7.5, 0.05);
  EXPECT_FLOAT_EQ(float(max_velocity), 3.0f * speed);
  ASSERT_TRUE(RunUntil(5.6, [&] { return camera->target() == player_; }));
  EXPECT_NEAR(State("opening").TimeInState(), 13.0, 0.05);
  EXPECT_FLOAT_EQ(float(max_velocity), speed);
  const Image second = Shot("opening_banner2.png");
  {
    const Image banner = LoadReference("data/images/Opening.BMP");
    const Image banner2 = LoadReference("data/images/Opening2.BMP");
    const float half = kHeight * 0.5f;
    const double first_fit = BlendFit(first, banner, 0, 0, kWidth, half, 0.9f);
    const double second_fit = BlendFit(second, banner2, 0, 0, kWidth, half, 0.9f);
    EXPECT_GT(first_fit, 0.85);
    EXPECT_GT(second_fit, 0.85);
    EXPECT_LT(BlendFit(first, banner2, 0, 0, kWidth, half, 0.9f), first_fit - 0.1);
    EXPECT_LT(BlendFit(second, banner, 0, 0, kWidth, half, 0.9f), second_fit - 0.1);
  }
  EXPECT_FALSE(Running("playlevel"));
  EXPECT_FALSE(sound_->Played("data/sounds/nukem_who_some.wav"));
  ASSERT_TRUE(RunUntil(2.2, [&] { return Running("playlevel"); }));
  EXPECT_TRUE(sound_->Played("data/sounds/nukem_who_some.wav"));
  for (const Character* c : world_->entities)
    EXPECT_EQ(c->enabled, c->name() != "boss") << c->name();

  // The player dies: the game is lost.
  Frames(0.5);
  player_->invulnerable = false;
  player_->gameplay_controller()->Kill();
  EXPECT_TRUE(Running("losegame"));
  EXPECT_TRUE(State("playlevel").finished());
  EXPECT_FALSE(player_->controller_active);
  Frames(4.8);
  Image early = context_->ReadPixels();
  const Image lose = LoadReference("data/images/LoseScreen.BMP");
  EXPECT_GT(MeanDifference(early, lose, 0, 0, kWidth, kHeight), 20.0) << "not yet";
  Frames(0.4);
  const Image lose_frame = Shot("lose_screen_death.png");
  EXPECT_LT(MeanDifference(lose_frame, lose, 0, 0, kWidth, kHeight), 12.0);
  Frames(4.0);
  EXPECT_FALSE(Happened("bossfight started")) << "a lost game has no boss fight";
  EXPECT_FALSE(MusicPlayed("data/sounds/boss.mp3", 60.0f));
  EXPECT_FALSE(Happened("wingame started"));
  EXPECT_FALSE(player_->controller_active);

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
  CVar<int>("world.draw_level", 1) = 0;
  Frame();
  Tap(kDikDown);
  GetKeyboard()->KeyDown(kDikReturn);
  Frame();
  ASSERT_TRUE(Running("configureinput"));
  EXPECT_TRUE(GetConsole()->IsOpen());
  GetKeyboard()->KeyUp(kDikReturn);
  Frame();
  auto* dialogue = dynamic_cast<ConfigureInputState*>(&State("configureinput"));
  EXPECT_EQ(dialogue->step(), 3) << "no joystick: straight to the keys";
  const std::string log = test::ReadFile("log.txt");
  EXPECT_NE(log.find("No Joystick Detected. Defaulting to Keyboard..."), std::string::npos);
  EXPECT_NE(log.find("Press the key to MOVE the character LEFT now"), std::string::npos);

  // J binds left; J again cannot bind right; two keys at once bind the lower code.
  GetConsole()->SetInputLine("j");
  Tap(kDikJ);
  EXPECT_EQ(CVar<int>("input.key_move_left", 203), kDikJ);
  EXPECT_EQ(GetConsole()->InputLine(), "") << "the answer's typing is cleared";
  Tap(kDikJ);
  EXPECT_EQ(dialogue->step(), 5) << "the same key twice in a row is refused";
  Tap(kDikL);
  EXPECT_EQ(CVar<int>("input.key_move_right", 205), kDikL);
  // A held key answers one question only.
  GetKeyboard()->KeyDown(kDikI);
  Frames(0.3);
  GetKeyboard()->KeyUp(kDikI);
  Frame();
  EXPECT_EQ(CVar<int>("input.key_move_up", 200), kDikI);
  EXPECT_EQ(dialogue->step(), 9);
  for (int key : {kDikK, kDikU, kDikO, kDikP}) Tap(key);
  Frame();
  EXPECT_FALSE(Running("configureinput"));
  EXPECT_EQ(dialogue->step(), 0) << "re-armed";
  EXPECT_FALSE(GetConsole()->IsOpen());
  EXPECT_EQ(CVar<int>("input.key_move_down", 208), kDikK);
  EXPECT_EQ(CVar<int>("input.key_attack_left", 30), kDikU);
  EXPECT_EQ(CVar<int>("input.key_attack_right", 32), kDikO);
  EXPECT_EQ(CVar<int>("input.key_attack_forward", 17), kDikP);
  EXPECT_EQ(CVar<int>("input.use_keyboard", 1), 1);

  // The dialogue runs again from the title; its keys may be the last run's.
  Tap(kDikReturn);
  ASSERT_TRUE(RunUntil(0.2, [&] { return dialogue->step() == 3; }));
  Tap(kDikP);
  EXPECT_EQ(CVar<int>("input.key_move_left", 203), kDikP);
  for (int key : {kDikL, kDikI, kDikK, kDikU, kDikO, kDikJ}) Tap(key);
  Frame();
  EXPECT_FALSE(Running("configureinput"));

  // Start with a short clock and let it run out.
  CVar<float>("level.gameTime", 120.0f) = 2.0f;
  Tap(kDikUp);
  ASSERT_EQ(Title().selection(), 0);
  Tap(kDikReturn);
  ASSERT_TRUE(RunUntil(0.2, [&] { return Running("playlevel"); }));
  ASSERT_TRUE(RunUntil(2.2, [&] { return Running("losegame"); }));
  EXPECT_TRUE(State("playlevel").finished());
  EXPECT_FALSE(Running("playlevel"));
  EXPECT_TRUE(player_->enabled) << "out of time, not dead";
  const Image lose = LoadReference("data/images/LoseScreen.BMP");
  Frames(4.9);
  EXPECT_GT(MeanDifference(context_->ReadPixels(), lose, 0, 0, kWidth, kHeight), 20.0);
  Frames(0.2);
  const Image lose_frame = Shot("lose_screen_time.png");
  EXPECT_LT(MeanDifference(lose_frame, lose, 0, 0, kWidth, kHeight), 12.0);
  EXPECT_FALSE(Happened("bossfight started"));
  EXPECT_FALSE(Happened("wingame started"));
  int level_finished = 0;
  for (const std::string& e : events_) level_finished += e == "playlevel finished";
  EXPECT_EQ(level_finished, 1) << "the level ends once";

  // The bindings persist through "cvar.ini".
  WorldShutdown();
  const std::string ini = test::ReadFile("cvar.ini");
  EXPECT_NE(ini.find("1 input.key_move_left " + std::to_string(kDikP) + "\n"), std::string::npos)
      << ini;
  EXPECT_NE(ini.find("1 input.key_attack_forward " + std::to_string(kDikJ) + "\n"),
            std::string::npos);
}

}  // namespace
}  // namespace kt
