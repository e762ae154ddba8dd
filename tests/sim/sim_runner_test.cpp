// The headless runner: its options, its input scripts, its random keys and short runs of the
// default game.
#include "sim_runner.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "game_fixtures.h"
#include "input/dik_codes.h"
#include "test_support.h"

namespace kt::sim {
namespace {

bool Parse(const std::vector<std::string>& args, Options& options, std::string& error) {
  return ParseOptions(args, options, error);
}

std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

std::string ParseError(const std::vector<std::string>& args) {
  Options options;
  std::string error;
  EXPECT_FALSE(ParseOptions(args, options, error)) << "accepted";
  return error;
}

TEST(SimOptionsTest, DefaultsAndEveryOption) {
  Options o;
  std::string error;
  ASSERT_TRUE(Parse({}, o, error)) << error;
  EXPECT_EQ(FrameCount(o), 3600);

  ASSERT_TRUE(Parse(Words("--seconds 2.5 --dt 0.05 --size 320x200 --input keys.txt "
                          "--random-input 4294967295 --set stats.fps=0 --set camera.blendTime=2 "
                          "--shot 1:a.png --shot 0.5:b.png --restart --rss 30"),
                    o, error))
      << error;
  EXPECT_EQ(o.seconds, 2.5);
  EXPECT_EQ(o.dt, 0.05);
  EXPECT_EQ(FrameCount(o), 50);
  EXPECT_EQ(o.width, 320);
  EXPECT_EQ(o.height, 200);
  EXPECT_EQ(o.random_seed, 4294967295u);
  EXPECT_EQ(o.sets, (std::vector<std::string>{"stats.fps=0", "camera.blendTime=2"}));
  ASSERT_EQ(o.shots.size(), 2u);
  EXPECT_EQ(o.shots[0].seconds, 1.0);
  EXPECT_EQ(o.shots[1].file, "b.png");
  EXPECT_TRUE(o.restart);
  EXPECT_EQ(o.rss_every, 30.0);

  // A step that does not divide the time rounds to the nearest frame.
  ASSERT_TRUE(Parse({"--seconds", "1", "--dt", "0.3"}, o, error));
  EXPECT_EQ(FrameCount(o), 3);
  // A shot in the last frame is taken, even if the sum of steps rounds just below it.
  EXPECT_TRUE(Parse({"--seconds", "1", "--dt", "0.1", "--shot", "1:end.png"}, o, error)) << error;
}

TEST(SimOptionsTest, BadOptionsSayWhat) {
  EXPECT_NE(ParseError({"--bogus"}).find("unknown option '--bogus'"), std::string::npos);
  EXPECT_NE(ParseError({"file.txt"}).find("unknown option"), std::string::npos);
  EXPECT_NE(ParseError({"--seconds"}).find("needs a value"), std::string::npos);
  for (const char* bad : {"abc", "-1", "1x", "nan", "inf", ""})
    EXPECT_NE(ParseError({"--seconds", bad}).find("--seconds"), std::string::npos) << bad;
  EXPECT_FALSE(ParseError({"--dt", "0"}).empty());
  EXPECT_FALSE(ParseError({"--dt", "-0.1"}).empty());
  EXPECT_FALSE(ParseError({"--rss", "0"}).empty());
  for (const char* bad : {"800", "0x600", "800x", "x600", "800x600x2", "9000x10", "1.5x2"})
    EXPECT_NE(ParseError({"--size", bad}).find("WIDTHxHEIGHT"), std::string::npos) << bad;
  for (const char* bad : {"-1", "1.5", "4294967296", "seed"})
    EXPECT_FALSE(ParseError({"--random-input", bad}).empty()) << bad;
  for (const char* bad : {"novalue", "=3", "name="})
    EXPECT_NE(ParseError({"--set", bad}).find("NAME=VALUE"), std::string::npos) << bad;
  for (const char* bad : {"a.png", "1:", ":a.png", "x:a.png", "-1:a.png"})
    EXPECT_NE(ParseError({"--shot", bad}).find("SECONDS:FILE"), std::string::npos) << bad;
  EXPECT_NE(ParseError({"--seconds", "1", "--shot", "2:late.png"}).find("after the end"),
            std::string::npos);
  EXPECT_FALSE(ParseError({"--seconds", "1e9", "--dt", "1e-6"}).empty());
}

bool ParseScript(const std::string& text, std::vector<InputEvent>& events, std::string& error) {
  std::istringstream in(text);
  return ParseInputScript(in, events, error);
}

std::string ScriptError(const std::string& text) {
  std::vector<InputEvent> events;
  std::string error;
  EXPECT_FALSE(ParseScript(text, events, error)) << text;
  return error;
}

TEST(SimInputScriptTest, KeysCodesCommentsAndTypeLines) {
  EXPECT_EQ(ParseKey("enter"), kDikReturn);
  EXPECT_EQ(ParseKey("backquote"), kDikGrave);
  EXPECT_EQ(ParseKey("1"), 1);
  EXPECT_EQ(ParseKey("255"), 255);
  for (const char* bad : {"0", "256", "1000", "-5", "Enter", "b", "", "12a"})
    EXPECT_FALSE(ParseKey(bad)) << bad;

  std::vector<InputEvent> events;
  std::string error;
  ASSERT_TRUE(
      ParseScript("# a walk\n"
                  "\n"
                  "2 up up   # let go\n"
                  "1 down up\r\n"
                  "  1.5 down 30\n"
                  "1 type camera.hdist=100   # a comment after the text\n"
                  "3 type  stats.fps  \n"
                  "4 type\n",
                  events, error))
      << error;
  ASSERT_EQ(events.size(), 6u);
  // Ordered by time; the two lines at 1 s keep their file order.
  EXPECT_EQ(events[0].seconds, 1.0);
  EXPECT_EQ(events[0].action, InputAction::kDown);
  EXPECT_EQ(events[0].dik, kDikUp);
  EXPECT_EQ(events[1].action, InputAction::kType);
  EXPECT_EQ(events[1].text, "camera.hdist=100");
  EXPECT_EQ(events[2].seconds, 1.5);
  EXPECT_EQ(events[2].dik, kDikA);
  EXPECT_EQ(events[3].seconds, 2.0);
  EXPECT_EQ(events[3].action, InputAction::kUp);
  EXPECT_EQ(events[4].text, "stats.fps");
  EXPECT_EQ(events[5].text, "") << "an empty type line only presses Enter";

  // Inner spaces of the text are kept: console functions split their arguments at each one.
  ASSERT_TRUE(ParseScript("0 type camera.track  boss\n", events, error));
  EXPECT_EQ(events[0].text, "camera.track  boss");
  ASSERT_TRUE(ParseScript("0 type Boss_Trigger-1 'x'\n", events, error)) << error;
}

TEST(SimInputScriptTest, BadLinesNameTheirLine) {
  EXPECT_EQ(ScriptError("1 down up\nsoon down up\n"),
            "line 2: expected a time in seconds, 0 or more: soon down up");
  EXPECT_NE(ScriptError("-1 down up\n").find("line 1"), std::string::npos);
  EXPECT_NE(ScriptError("1 press up\n").find("expected down, up or type"), std::string::npos);
  EXPECT_NE(ScriptError("1\n").find("expected down, up or type"), std::string::npos);
  EXPECT_NE(ScriptError("1 down\n").find("unknown key ''"), std::string::npos);
  EXPECT_NE(ScriptError("1 down jump\n").find("unknown key 'jump'"), std::string::npos);
  EXPECT_NE(ScriptError("1 down 300\n").find("unknown key '300'"), std::string::npos);
  EXPECT_NE(ScriptError("1 up a d\n").find("one key per line"), std::string::npos);
  // The console's keys cannot type these, so the program could not either.
  EXPECT_NE(ScriptError("1 type camera.track(boss)\n").find("cannot type '('"), std::string::npos);
  EXPECT_NE(ScriptError("1 type a,b\n").find("cannot type ','"), std::string::npos);
}

TEST(SimRandomInputTest, SeededKeysPressedAndReleasedInPairs) {
  const auto run = [](uint32_t seed) {
    RandomInput random(seed);
    std::vector<std::pair<int, bool>> events;
    for (int frame = 1; frame <= 6000; ++frame)
      for (const InputEvent& e : random.Step(frame / 60.0, 1.0 / 60.0))
        events.emplace_back(e.dik, e.action == InputAction::kDown);
    return events;
  };
  const auto a = run(3);
  EXPECT_EQ(a, run(3));
  EXPECT_NE(a, run(4));
  // About four changes a second over 100 s, and a few taps.
  EXPECT_GT(a.size(), 250u);
  EXPECT_LT(a.size(), 600u);
  std::map<int, bool> held;
  std::map<int, int> taps;
  for (const auto& [dik, down] : a) {
    EXPECT_NE(held[dik], down) << "key " << dik << " pressed twice or released unpressed";
    held[dik] = down;
    if (down) ++taps[dik];
  }
  // Enter every seven seconds or so (games start and menus close), Escape about once a minute.
  EXPECT_GE(taps[kDikReturn], 6);
  EXPECT_LE(taps[kDikReturn], 30);
  EXPECT_LE(taps[kDikEscape], 8);
}

// ---- runs on the default game ----

class SimRunTest : public ::testing::Test {
 protected:
  // Runs in the current folder; skips the test when there is no offscreen OpenGL.
  int Run(std::vector<std::string> args, std::string& out, std::string& err) {
    Options options;
    std::string error;
    if (!ParseOptions(args, options, error)) {
      ADD_FAILURE() << error;
      return -1;
    }
    std::ostringstream o, e;
    const int code = RunSimulation(options, o, e);
    out = o.str();
    err = e.str();
    return code;
  }
  void Write(const std::string& name, const std::string& text) { std::ofstream(name) << text; }
};

#define SKIP_WITHOUT_GL(code, err)                                    \
  if ((code) == 1 && (err).find("no offscreen") != std::string::npos) \
  GTEST_SKIP() << "no EGL surfaceless context on this machine"

TEST_F(SimRunTest, ShortRunEndsWithTheSummary) {
  test::DefaultGameDir game;
  std::string out, err;
  const int code = Run(Words("--seconds 1 --dt 0.05 --size 160x120"), out, err);
  SKIP_WITHOUT_GL(code, err);
  EXPECT_EQ(code, 0) << err;
  const std::regex summary(
      "frames=20 seconds=1\\.000 wall=[0-9]+\\.[0-9]{3} fps=[0-9]+\\.[0-9] "
      "player=-?[0-9]+\\.[0-9]{3},-?[0-9]+\\.[0-9]{3},-?[0-9]+\\.[0-9]{3} "
      "player_hp=[0-9]+\\.[0-9]{3} boss_hp=[0-9]+\\.[0-9]{3} alive=4 running=[a-z,]*\n$");
  EXPECT_TRUE(std::regex_search(out, summary)) << out;
  // Without keys the title is the only state: reported when it starts, and running at the end.
  EXPECT_TRUE(std::regex_search(out, std::regex("^t=0\\.050 state startgame started\n"))) << out;
  EXPECT_NE(out.find(" running=startgame\n"), std::string::npos) << out;
  // Start-up ran in the working folder, as the game's.
  EXPECT_TRUE(std::filesystem::exists("log.txt"));
  EXPECT_TRUE(std::filesystem::exists("cvar.ini"));
  game.KeepCaches();
}

// Two runs of one command agreeing is sim_repeat_test.sh's; here the keys reach the player:
// without them it ends somewhere else.
TEST_F(SimRunTest, ScriptedKeysMoveThePlayer) {
  test::DefaultGameDir game;
  Write("walk.txt", "0.08 down enter\n0.12 up enter\n0.3 down up\n1.6 up up\n");
  Write("enter.txt", "0.08 down enter\n0.12 up enter\n");
  std::string player[2];
  for (int i = 0; i < 2; ++i) {
    std::string out, err;
    const int code = Run(Words("--seconds 2.4 --dt 0.04 --size 160x120 --set game.skipOpening=1 "
                               "--input " +
                               std::string(i ? "enter.txt" : "walk.txt")),
                         out, err);
    SKIP_WITHOUT_GL(code, err);
    ASSERT_EQ(code, 0) << err;
    std::smatch at;
    ASSERT_TRUE(std::regex_search(out, at, std::regex("player=[^ ]*"))) << out;
    player[i] = at.str();
  }
  EXPECT_NE(player[0], player[1]);
}

TEST_F(SimRunTest, TypedAndSetAssignmentsReachTheConsole) {
  test::DefaultGameDir game;
  // The console is closed first, so the type line has to open it; the letters the keys typed
  // into it on the way are rubbed out.
  Write("keys.txt",
        "0.1 down backquote\n0.1 up backquote\n0.15 down w\n0.15 down backquote\n"
        "0.15 up backquote\n0.15 down a\n0.2 type stats.fps=0\n");
  std::string out, err;
  int code = Run(
      Words("--seconds 0.3 --dt 0.05 --size 160x120 --input keys.txt --set console.overlay=0.5"),
      out, err);
  SKIP_WITHOUT_GL(code, err);
  ASSERT_EQ(code, 0) << err;
  // The world's shutdown at the end saved the values.
  std::string ini = test::ReadFile("cvar.ini");
  EXPECT_NE(ini.find(" stats.fps 0\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find(" console.overlay 0.5"), std::string::npos) << ini;

  // The player's locomotion registered its acceleration time while running; from "cvar.ini" it
  // is known at the next start-up, and the assignment keeps the capital typing would lose.
  ASSERT_NE(ini.find(" character.accelTime "), std::string::npos) << ini;
  ASSERT_EQ(
      Run(Words("--seconds 0.1 --dt 0.05 --size 160x120 --set character.accelTime=2.5"), out, err),
      0)
      << err;
  ini = test::ReadFile("cvar.ini");
  EXPECT_NE(ini.find(" character.accelTime 2.5"), std::string::npos) << ini;

  // A name the console does not know fails the run, with the console's answer.
  code = Run(Words("--seconds 0.1 --size 160x120 --set no.such=1"), out, err);
  EXPECT_EQ(code, 2);
  EXPECT_NE(err.find("--set no.such=1: Syntax Error: invalid assignment"), std::string::npos)
      << err;
  EXPECT_EQ(out, "");
}

TEST_F(SimRunTest, QuittingEndsTheRunEarly) {
  test::DefaultGameDir game;
  Write("keys.txt", "0.2 type quit\n");
  std::string out, err;
  const int code = Run(Words("--seconds 1 --dt 0.05 --size 160x120 --input keys.txt"), out, err);
  SKIP_WITHOUT_GL(code, err);
  EXPECT_EQ(code, 0) << err;
  // Frames 1 to 3 were drawn; the quit came before the fourth.
  EXPECT_NE(out.find("\nframes=3 seconds=0.150 "), std::string::npos) << out;
  EXPECT_NE(test::ReadFile("cvar.ini").find("stats.fps"), std::string::npos);

  // With --restart a quit gives way to a new world, to the end of the run.
  Write("keys.txt", "0.2 type quit\n0.6 type quit\n");
  ASSERT_EQ(Run(Words("--seconds 1 --dt 0.05 --size 160x120 --input keys.txt --restart"), out, err),
            0)
      << err;
  EXPECT_TRUE(std::regex_search(
      out, std::regex("\nt=0\\.200 restart\n(.*\n)*t=0\\.600 restart\n(.*\n)*frames=20 ")))
      << out;
  EXPECT_NE(out.find(" running=startgame\n"), std::string::npos) << out;
}

TEST_F(SimRunTest, RestartStartsANewWorldOnceTheLoseScreenHasShown) {
  test::DefaultGameDir game;
  Write("keys.txt", "0.3 down enter\n0.4 up enter\n");
  std::string out, err;
  const int code = Run(Words("--seconds 20 --dt 0.1 --size 160x120 --input keys.txt --restart "
                             "--rss 10 --set game.skipOpening=1 --set level.gameTime=1"),
                       out, err);
  SKIP_WITHOUT_GL(code, err);
  ASSERT_EQ(code, 0) << err;
  // The one-second level is lost at about 1.4 s; its screen shows from 5 s in, for 10 s.
  std::smatch lost, restart;
  ASSERT_TRUE(std::regex_search(out, lost, std::regex("t=([0-9.]+) state losegame started")))
      << out;
  ASSERT_TRUE(std::regex_search(out, restart, std::regex("t=([0-9.]+) restart\n"))) << out;
  EXPECT_NEAR(std::stod(restart[1]) - std::stod(lost[1]), 15.0, 0.15) << out;
  // The new world starts at its title and stays there, with nothing left of the last game.
  const std::string after = restart.suffix();
  EXPECT_TRUE(std::regex_search(after, std::regex("^t=[0-9.]+ state startgame started\n")))
      << after;
  EXPECT_EQ(after.find("losegame"), std::string::npos) << after;
  EXPECT_NE(after.find(" running=startgame\n"), std::string::npos) << after;
  EXPECT_TRUE(std::regex_search(out, std::regex("\nt=10\\.000 rss=[1-9][0-9]*\n"))) << out;
  EXPECT_TRUE(std::regex_search(after, std::regex("\nt=20\\.000 rss=[1-9][0-9]*\nframes=200 ")))
      << after;
  game.KeepCaches();
}

TEST_F(SimRunTest, UnreadableOrBadScriptExitsWithTwo) {
  test::ScratchDir dir;
  std::string out, err;
  EXPECT_EQ(Run(Words("--input missing.txt"), out, err), 2);
  EXPECT_EQ(err, "kinetrope-sim: cannot read input file 'missing.txt'\n");
  Write("bad.txt", "0 down up\n1 down sideways\n");
  EXPECT_EQ(Run(Words("--input bad.txt"), out, err), 2);
  EXPECT_EQ(err, "kinetrope-sim: bad.txt: line 2: unknown key 'sideways': 1 down sideways\n");
  EXPECT_EQ(out, "");
  EXPECT_FALSE(std::filesystem::exists("log.txt")) << "nothing started";
}

}  // namespace
}  // namespace kt::sim
