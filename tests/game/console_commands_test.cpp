// The console commands typed into a console: their output and error lines, without a world,
// against small generated levels and synthetic motions. (Quitting a running world from its
// console is the sim runner's QuittingEndsTheRunEarly, in the sanitizer build too.)
#include "game/console_commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <set>

#include "../level/level_fixtures.h"
#include "character/character.h"
#include "character/game_world.h"
#include "character/motion_controller.h"
#include "console/cvar.h"
#include "console/gl_console.h"
#include "game/camera.h"
#include "game/scene_loader.h"
#include "graph/transition_graph.h"
#include "motion/motion_data.h"
#include "motion/skeleton.h"
#include "motion_fixtures.h"
#include "test_support.h"

namespace kt {
namespace {

using Lines = std::vector<std::string>;

// Types a line the way the GUI delivers it (letters as upper-case key codes, "_" as Shift +
// keypad minus) and presses Enter. The console may be gone afterwards (quitting).
void Press(GLConsole& console, const std::string& line) {
  for (char ch : line) {
    if (ch == '_') {
      console.PressKey(ConsoleKey::kPadMinus, 0, true);
    } else {
      console.PressKey(ConsoleKey::kCode, std::toupper(static_cast<unsigned char>(ch)));
    }
  }
  console.PressKey(ConsoleKey::kEnter);
}

// Press, then the lines printed in response, oldest first.
Lines Printed(GLConsole& console, const std::string& line) {
  Press(console, line);
  Lines out;
  for (const ConsoleLine& l : console.Lines()) {
    if (l.kind == (kLineHistory | kLineHidden) && l.text == line) break;
    out.insert(out.begin(), l.text);
  }
  return out;
}

std::string Error(const std::string& command, const std::string& text) {
  return "Function '" + command + "' Error: " + text;
}

// The function-error lines among them (reading a motion logs its own lines first).
Lines Errors(const Lines& lines) {
  Lines out;
  for (const std::string& l : lines)
    if (l.rfind("Function '", 0) == 0) out.push_back(l);
  return out;
}

int Count(const Lines& lines, const std::string& text) {
  return int(std::count(lines.begin(), lines.end(), text));
}

const char kTrackArgs[] =
    "invalid arguments-  pass 0 to turn on free roam camera.  Pass 1 followed by entity name to "
    "lock on...";
const char kTrackName[] = "Invalid Entity Name or you forgot to pass a '1' first";
const char kResampleArgs[] =
    "invalid arguments-  pass an input AMC filename followed by an output filename and target "
    "framerate (<120)";
const char kBadRate[] = "invalid framerate (0<fr<=120)";

// A console of its own that registers the commands after restoring "cvar.ini", as the world's
// does.
class ConsoleCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetMotionSkeletons(); }
  void TearDown() override { ResetMotionSkeletons(); }
  Lines Type(const std::string& line) { return Printed(console_, line); }

  test::ScratchDir dir_{"commands"};
  test::ManualClockScope clock_;
  int width_ = 640;
  int height_ = 480;
  GLConsole console_{&width_, &height_, 12, 0.75f, RegisterConsoleCommands};
};

TEST_F(ConsoleCommandsTest, HelpPrintsToTheConsoleOnly) {
  const Lines help = Type("help");
  ASSERT_EQ(help.size(), 11u);
  EXPECT_EQ(help[1], "----------------- HELP -----------------");
  EXPECT_EQ(help[2], "~ key to open and close console");
  EXPECT_EQ(help.back(), help[1]);
  EXPECT_EQ(test::ReadFile("log.txt").find("HELP"), std::string::npos);
}

// Wrong argument counts, and every command before start-up (or after shutdown), when there is
// no camera, level, world or game state: each answers with its error line instead of reaching
// for what is not there.
TEST_F(ConsoleCommandsTest, BadArgumentsAndAMissingWorldAnswerWithALine) {
  for (const char* name :
       {"help", "exit", "quit", "camera.print_info", "camera.collide", "character.collide",
        "level.find_floor", "game.start", "game.restart", "boss.trigger"}) {
    EXPECT_EQ(Type(std::string(name) + " x"), Lines{Error(name, "this takes no parameters")});
    EXPECT_EQ(Type(std::string(name) + " x y"), Lines{Error(name, "this takes no parameters")});
  }
  EXPECT_EQ(console_.Lines().front().kind, kLineError);
  const std::string create_args =
      "invalid arguments -  pass the name of the motion followed by an optional creation point "
      "(3 floats)";
  ASSERT_EQ(GetGameWorld(), nullptr);
  ASSERT_EQ(GetCamera(), nullptr);
  const std::vector<std::pair<const char*, std::string>> cases = {
      {"camera.track", Error("camera.track", kTrackArgs)},
      {"camera.track 1", Error("camera.track", kTrackArgs)},  // "1" needs a name
      {"character.create", Error("character.create", create_args)},
      {"motion.resample in.amc out.amc", Error("motion.resample", kResampleArgs)},
      {"camera.track 0", Error("camera.track", "there is no camera")},
      {"camera.print_info", Error("camera.print_info", "there is no camera")},
      {"camera.collide", Error("camera.collide", "there is no camera")},
      {"level.find_floor", Error("level.find_floor", "there is no camera")},
      {"character.collide", Error("character.collide", "there is no player")},
      {"character.create walk",
       Error("character.create", "there is no world to create a character in")},
      {"character.eval_pose nobody 1 2", Error("character.eval_pose", "Invalid Entity Name")},
      {"character.transitions nobody", Error("character.transitions", "Invalid Entity Name")},
      {"game.start", Error("game.start", "there is no world")},
      {"game.restart", Error("game.restart", "there is no world")},
      {"boss.trigger", "boss.trigger: there is no game state 'BossFight'"},
  };
  for (const auto& [line, error] : cases) EXPECT_EQ(Type(line), Lines{error}) << line;
}

TEST_F(ConsoleCommandsTest, RegisteringAgainKeepsOneEntryPerCommand) {
  const auto functions = [] {
    std::vector<std::string> names;
    for (const CVarEntry* e : GetCVarRegistry().Collect(GetCVarRegistry().Root()))
      if (e->value.type == kCVarFunction) names.push_back(e->name);
    return names;
  };
  const std::vector<std::string> before = functions();
  RegisterConsoleCommands();
  EXPECT_EQ(functions(), before);
  EXPECT_EQ(std::set<std::string>(before.begin(), before.end()).size(), before.size());
  EXPECT_EQ(GetCVarRegistry().Find("quit")->value.fn, GetCVarRegistry().Find("exit")->value.fn);
  EXPECT_EQ(Type("help").size(), 11u);
}

// ---- motion.resample on a synthetic clip ----

class ResampleTest : public ConsoleCommandsTest {
 protected:
  void SetUp() override {
    ConsoleCommandsTest::SetUp();
    test::InstallTestSkeleton();
    source_ = test::WalkPostures(70);
    test::WriteFile("data/motions/in.amc", test::AmcText(source_));
  }
  // The written clip holds every `step`th frame of the source.
  void ExpectFrames(const std::string& file, int step) {
    const std::vector<Posture> got = MotionData("readback", file, kMotionScale, 0, 120).postures();
    ASSERT_EQ(got.size(), source_.size() / size_t(step));
    for (size_t k = 0; k < got.size(); ++k) {
      const Posture& want = source_[k * size_t(step)];
      EXPECT_NEAR(got[k].root_position.z, want.root_position.z, 1e-3f) << k;
      EXPECT_NEAR(got[k].root_position.x, want.root_position.x, 1e-3f) << k;
    }
  }
  std::vector<Posture> source_;
};

TEST_F(ResampleTest, KeepsEveryStepthFrameAndWritesTheClip) {
  // Rate 7: 120 / 7 gives step 17, so 70 frames keep frames 0, 17, 34 and 51.
  for (const auto& [rate, step] : {std::pair{30, 4}, {7, 17}, {120, 1}}) {
    const std::string out = "out" + std::to_string(rate) + ".amc";
    EXPECT_EQ(Errors(Type("motion.resample in.amc " + out + " " + std::to_string(rate))), Lines{});
    ExpectFrames(out, step);
  }
  EXPECT_EQ(FindMotion("consolemotion"), nullptr) << "the clip read for resampling is gone";
}

TEST_F(ResampleTest, RejectsBadRatesBeforeReadingAndBadFiles) {
  for (const char* rate : {"0", "121", "-5", "abc", "99999999999999"})
    EXPECT_EQ(Errors(Type(std::string("motion.resample in.amc out.amc ") + rate)),
              Lines{Error("motion.resample", kBadRate)})
        << rate;
  // Nothing was read, so no caches were written beside the input, and nothing was written.
  EXPECT_FALSE(std::filesystem::exists("data/motions/in.bin"));
  test::WriteFile("data/motions/junk.amc", "this is not a motion\n");
  // An empty input name names the motion folder itself.
  for (const char* input : {"missing.amc", "", "junk.amc"})
    EXPECT_EQ(Errors(Type("motion.resample " + std::string(input) + " out.amc 30")),
              Lines{Error("motion.resample", "Bad input AMC file")})
        << input;
  EXPECT_FALSE(std::filesystem::exists("data/motions/out.amc"));
  // An output that cannot be created is reported, not taken for success.
  EXPECT_EQ(Errors(Type("motion.resample in.amc no_such_folder/out.amc 30")),
            Lines{Error("motion.resample", "cannot write the output AMC file")});
  EXPECT_EQ(FindMotion("consolemotion"), nullptr);
}

// ---- the camera and the level on a small generated level ----

class LevelCommandsTest : public ConsoleCommandsTest {
 protected:
  void SetUp() override {
    ConsoleCommandsTest::SetUp();
    // A floor whose top is y = 0 and a wall (texture 1, not solid) standing on it.
    level_ = test::BuildAndLoad(std::string(test::kTestTextures) +
                                    "brush -10 -1 -10 10 0 10 floor\n"
                                    "brush 4 0 -10 5 4 10 wall\n",
                                textures_);
    ASSERT_EQ(CurrentLevel(), level_.get());
    camera_ = std::make_unique<Camera>();
  }
  void TearDown() override {
    camera_.reset();
    level_.reset();
    ConsoleCommandsTest::TearDown();
  }

  test::RecordingTextures textures_;
  std::unique_ptr<BspLevel> level_;
  std::unique_ptr<Camera> camera_;
};

TEST_F(LevelCommandsTest, FindFloorAndCollideReportWhatTheCameraTouches) {
  camera_->position = CVector(1.0f, 5.0f, 2.0f);
  const Lines found = Type("level.find_floor");
  ASSERT_EQ(found.size(), 1u);
  float x = 0, y = 0, z = 0;
  ASSERT_EQ(std::sscanf(found[0].c_str(), "Floor Pos: (%f, %f, %f)", &x, &y, &z), 3) << found[0];
  EXPECT_FLOAT_EQ(x, 1.0f);
  EXPECT_NEAR(y, 0.0f, 1e-3f);
  EXPECT_FLOAT_EQ(z, 2.0f);
  camera_->position = CVector(0.0f, -0.5f, 0.0f);  // inside the floor brush
  EXPECT_EQ(Type("level.find_floor"), Lines{"Already Colliding"});
  camera_->position = CVector(50.0f, 5.0f, 50.0f);  // beside the floor
  EXPECT_EQ(Type("level.find_floor"), Lines{"Floor not found"});
  EXPECT_NE(test::ReadFile("log.txt").find("Floor not found"), std::string::npos);

  // Every brush touched, solid or not; radius 20: 15 above the floor's top touches it.
  camera_->position = CVector(4.5f, 2.0f, 0.0f);
  const Lines camera_touches = Type("camera.collide");
  EXPECT_GE(Count(camera_touches, "Collision with brush 0"), 1);
  EXPECT_GE(Count(camera_touches, "Collision with brush 1"), 1);
  camera_->position = CVector(0.0f, 15.0f, 0.0f);
  EXPECT_GE(Count(Type("camera.collide"), "Collision with brush 0"), 1);
  camera_->position = CVector(0.0f, 25.0f, 0.0f);
  EXPECT_EQ(Type("camera.collide"), Lines{});
  // The player's body in the same place touches the same brushes.
  test::InstallTestSkeleton();
  GameWorld& world = CreateGameWorld();
  Character player("player1");
  player.SetPosition(CVector(4.5f, 2.0f, 0.0f));
  world.player = &player;
  EXPECT_EQ(Type("character.collide"), camera_touches);
  DestroyGameWorld();

  // Without a loaded level the collision commands say so.
  level_.reset();
  EXPECT_EQ(Type("level.find_floor"), Lines{Error("level.find_floor", "no level is loaded")});
  EXPECT_EQ(Type("camera.collide"), Lines{Error("camera.collide", "no level is loaded")});
  BspLevel empty(&textures_);
  EXPECT_EQ(Type("level.find_floor"), Lines{Error("level.find_floor", "no level is loaded")});
}

TEST_F(LevelCommandsTest, TrackAttachesToNamedEntitiesAndPrintsTheCamera) {
  EXPECT_EQ(Type("camera.track 1 test"), Lines{"Camera is attaching to: 'test'"});
  EXPECT_EQ(camera_->target(), FindEntity("test"));
  // Unknown names and a first argument other than "1" leave the camera as it is.
  for (const char* line : {"camera.track 1 nobody", "camera.track 2 root", "camera.track 0 root"})
    EXPECT_EQ(Type(line), Lines{Error("camera.track", kTrackName)}) << line;
  EXPECT_EQ(Type("camera.track 5"), Lines{Error("camera.track", kTrackArgs)});
  EXPECT_EQ(camera_->target(), FindEntity("test"));
  EXPECT_EQ(camera_->mode(), kCameraTrack);
  EXPECT_EQ(Type("camera.track 0"), Lines{});
  EXPECT_EQ(camera_->mode(), kCameraFreeRoam);

  camera_->position = CVector(1.0f, -2.5f, 3.25f);
  camera_->orientation = CQuaternion(0.5f, 0.5f, -0.5f, 0.5f);
  EXPECT_EQ(Type("camera.print_info"),
            Lines{"Camera Pos: (1.000000, -2.500000, 3.250000) Rot: (0.500000, 0.500000, "
                  "-0.500000, 0.500000)"});
}

// ---- characters on synthetic motions ----

class CharacterCommandsTest : public ConsoleCommandsTest {
 protected:
  void SetUp() override {
    ConsoleCommandsTest::SetUp();
    test::InstallTestSkeleton();
    world_ = &CreateGameWorld();
    loader_ = std::make_unique<SceneLoader>();
    motion_ = std::make_unique<MotionData>("Walk", test::WalkPostures(90));
    world_->motions.push_back(motion_.get());
  }
  void TearDown() override {
    loader_.reset();
    DestroyGameWorld();
    motion_.reset();
    ConsoleCommandsTest::TearDown();
  }

  GameWorld* world_ = nullptr;
  std::unique_ptr<SceneLoader> loader_;
  std::unique_ptr<MotionData> motion_;
};

TEST_F(CharacterCommandsTest, CreatePlacesConsolePlayersPlayingTheMotion) {
  EXPECT_EQ(Type("character.create walk 1.5 0 2.5"), Lines{});
  Character* c = FindCharacter("consoleplayer");
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->position, CVector(1.5f, 0.0f, 2.5f));
  ASSERT_NE(c->RootMotion(), nullptr);
  EXPECT_EQ(c->RootMotion()->motion(), motion_.get());
  // The next gets the next free name; without a point it stands at the origin, and
  // coordinates that are not numbers read as 0.
  EXPECT_EQ(Type("character.create walk"), Lines{});
  Character* second = FindCharacter("consoleplayer1");
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->position, CVector(0.0f, 0.0f, 0.0f));
  EXPECT_EQ(Type("character.create walk a 2 b"), Lines{});
  ASSERT_NE(FindCharacter("consoleplayer2"), nullptr);
  EXPECT_EQ(FindCharacter("consoleplayer2")->position, CVector(0.0f, 2.0f, 0.0f));
  // Each plays on its own controller, updated with the world.
  EXPECT_NE(second->RootMotion(), c->RootMotion());
  EXPECT_TRUE(c->Update());

  MotionData empty("still", std::vector<Posture>{});
  world_->motions.push_back(&empty);
  const std::string bad_point = "invalid creation point (pass 3 finite numbers)";
  for (const auto& [line, error] : {std::pair{"character.create run", "Invalid motion name"},
                                    {"character.create still", "that motion has no frames"},
                                    {"character.create walk nan 0 0", bad_point.c_str()},
                                    {"character.create walk 1e50 0 0", bad_point.c_str()}})
    EXPECT_EQ(Type(line), Lines{Error("character.create", error)}) << line;
  world_->motions.pop_back();
  EXPECT_EQ(world_->entities,
            (std::vector<Character*>{c, second, FindCharacter("consoleplayer2")}));
  // The loader owns them: they go with it.
  loader_.reset();
  EXPECT_EQ(FindCharacter("consoleplayer"), nullptr);
}

TEST_F(CharacterCommandsTest, EvalPoseAndTransitionsNeedAControllerValidFramesAndAGraph) {
  Character walker("walker");
  EXPECT_EQ(Type("character.eval_pose walker 1 2"),
            Lines{Error("character.eval_pose", "that entity does not have a motion controller")});
  const Lines no_graph{Error("character.transitions", "that entity does not have a graph!")};
  EXPECT_EQ(Type("character.transitions walker"), no_graph);
  MotionController controller(motion_.get());
  walker.skeleton_controller()->SetRootMotion(&controller);
  EXPECT_EQ(Type("character.transitions walker"), no_graph);
  const Lines out = Type("character.eval_pose walker 10 50");
  ASSERT_FALSE(out.empty());
  char expected[128];
  std::snprintf(expected, sizeof expected, "Evaluation of walker for frame 10 to 50: %f",
                double(controller.Evaluate(50, 10)));
  EXPECT_EQ(out.back(), expected);
  for (const char* frames : {"0 5", "5 0", "1 90", "90 1", "x 5", "-1 5"})
    EXPECT_EQ(Type(std::string("character.eval_pose walker ") + frames),
              Lines{Error("character.eval_pose", "Invalid Frame Numbers")})
        << frames;
  EXPECT_EQ(Type("character.eval_pose walker 89 1").size(), out.size());
  walker.skeleton_controller()->SetRootMotion(nullptr);
}

TEST_F(CharacterCommandsTest, GameFlowCommandsReachTheStates) {
  world_->started = false;
  EXPECT_EQ(Type("game.start"), Lines{});
  EXPECT_TRUE(world_->started);

  world_->started = false;
  EXPECT_EQ(Type("game.restart"), Lines{"game.restart: there is no game state 'startgame'"});
  EXPECT_FALSE(world_->started);
  Lines rearmed, started;
  bool fight_running = false;
  SetConsoleGameStates({
      .rearm =
          [&](const std::string& n) {
            rearmed.push_back(n);
            return n == "startgame";
          },
      .start =
          [&](const std::string& n) {
            started.push_back(n);
            if (fight_running) return false;
            return fight_running = true;
          },
      .exists = [&](const std::string& n) { return n == "BossFight"; },
  });
  EXPECT_EQ(Type("game.restart"), Lines{});
  EXPECT_TRUE(world_->started);
  EXPECT_EQ(rearmed, Lines{"startgame"});
  EXPECT_EQ(Type("boss.trigger"), Lines{});
  EXPECT_TRUE(fight_running);
  EXPECT_EQ(Type("boss.trigger"), Lines{}) << "already running: nothing happens or is printed";
  EXPECT_EQ(started, (Lines{"BossFight", "BossFight"}));
  SetConsoleGameStates({});
}

}  // namespace
}  // namespace kt
