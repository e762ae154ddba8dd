// The console commands typed into a console: their output and error lines, without a world,
// against small generated levels and synthetic motions, and in the generated default game.
#include "game/console_commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "../level/level_fixtures.h"
#include "character/character.h"
#include "character/game_world.h"
#include "character/motion_controller.h"
#include "console/cvar.h"
#include "console/gl_console.h"
#include "game/camera.h"
#include "game/scene_loader.h"
#include "game/world.h"
#include "game_fixtures.h"
#include "graph/transition_graph.h"
#include "motion/motion_data.h"
#include "motion/skeleton.h"
#include "motion_fixtures.h"
#include "render/offscreen.h"
#include "render/renderer.h"
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

TEST_F(ConsoleCommandsTest, HelpPrintsItsTextAndTakesNoParameters) {
  EXPECT_EQ(
      Type("help"),
      (Lines{"", "----------------- HELP -----------------", "~ key to open and close console",
             "Setting a value: [command] = value", "Getting a value: [command]",
             "NOTE: changes to values are permanent (they are saved "
             "automatically)",
             "Functions: [function] [arg1] [arg2] ...", "Arrow keys move through history",
             "TAB does tab completion and makes suggestions...",
             "Scroll the text by left clicking while moving the mouse",
             "----------------- HELP -----------------"}));
  // Console only.
  EXPECT_EQ(test::ReadFile("log.txt").find("HELP"), std::string::npos);
  EXPECT_EQ(Type("help x"), Lines{Error("help", "this takes no parameters")});
  EXPECT_EQ(console_.Lines().front().kind, kLineError);
}

TEST_F(ConsoleCommandsTest, CommandsWithoutParametersRejectAnyArgument) {
  for (const char* name :
       {"help", "exit", "quit", "camera.print_info", "camera.collide", "character.collide",
        "level.find_floor", "game.start", "game.restart", "boss.trigger"}) {
    EXPECT_EQ(Type(std::string(name) + " x"), Lines{Error(name, "this takes no parameters")});
    EXPECT_EQ(Type(std::string(name) + " x y"), Lines{Error(name, "this takes no parameters")});
  }
}

TEST_F(ConsoleCommandsTest, ArgumentCountsAreChecked) {
  EXPECT_EQ(Type("camera.track"), Lines{Error("camera.track", kTrackArgs)});
  // One argument that is not "0", even "1" without a name.
  EXPECT_EQ(Type("camera.track 1"), Lines{Error("camera.track", kTrackArgs)});
  EXPECT_EQ(Type("camera.track 1 a b"), Lines{Error("camera.track", kTrackArgs)});
  const std::string create_args =
      "invalid arguments -  pass the name of the motion followed by an optional creation point "
      "(3 floats)";
  EXPECT_EQ(Type("character.create"), Lines{Error("character.create", create_args)});
  EXPECT_EQ(Type("character.create walk 1 2"), Lines{Error("character.create", create_args)});
  EXPECT_EQ(Type("character.eval_pose a 1"),
            Lines{Error("character.eval_pose",
                        "invalid arguments-  pass an entity name followed by two frames to "
                        "compare")});
  EXPECT_EQ(Type("character.transitions a b"),
            Lines{Error("character.transitions",
                        "invalid arguments-  pass the entity name you want a dump of "
                        "transitions of the current frame for")});
  EXPECT_EQ(Type("motion.resample in.amc out.amc"), Lines{Error("motion.resample", kResampleArgs)});
  // Two spaces make an empty fourth argument.
  EXPECT_EQ(Type("motion.resample in.amc out.amc  30"),
            Lines{Error("motion.resample", kResampleArgs)});
}

// Before start-up (and after shutdown) there is no camera, level, world or game state: every
// command says so instead of reaching for them.
TEST_F(ConsoleCommandsTest, WithoutAWorldEveryCommandAnswersWithALine) {
  ASSERT_EQ(GetGameWorld(), nullptr);
  ASSERT_EQ(GetCamera(), nullptr);
  EXPECT_EQ(Type("camera.track 0"), Lines{Error("camera.track", "there is no camera")});
  EXPECT_EQ(Type("camera.track 1 root"), Lines{Error("camera.track", "there is no camera")});
  EXPECT_EQ(Type("camera.print_info"), Lines{Error("camera.print_info", "there is no camera")});
  EXPECT_EQ(Type("camera.collide"), Lines{Error("camera.collide", "there is no camera")});
  EXPECT_EQ(Type("level.find_floor"), Lines{Error("level.find_floor", "there is no camera")});
  EXPECT_EQ(Type("character.collide"), Lines{Error("character.collide", "there is no player")});
  EXPECT_EQ(Type("character.create walk"),
            Lines{Error("character.create", "there is no world to create a character in")});
  EXPECT_EQ(Type("character.eval_pose nobody 1 2"),
            Lines{Error("character.eval_pose", "Invalid Entity Name")});
  EXPECT_EQ(Type("character.transitions nobody"),
            Lines{Error("character.transitions", "Invalid Entity Name")});
  EXPECT_EQ(Type("game.start"), Lines{Error("game.start", "there is no world")});
  EXPECT_EQ(Type("game.restart"), Lines{Error("game.restart", "there is no world")});
  EXPECT_EQ(Type("boss.trigger"), Lines{"boss.trigger: there is no game state 'BossFight'"});
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
  // The written clip read back.
  std::vector<Posture> ReadBack(const std::string& file) {
    MotionData motion("readback", file, kMotionScale, 0, 120);
    return motion.postures();
  }
  void ExpectFrames(const std::vector<Posture>& got, int step) {
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
  EXPECT_EQ(Errors(Type("motion.resample in.amc out.amc 30")), Lines{});
  ExpectFrames(ReadBack("out.amc"), 4);
  // Rate 7: 120 / 7 gives step 17, so 70 frames keep frames 0, 17, 34 and 51.
  EXPECT_EQ(Errors(Type("motion.resample in.amc out7.amc 7")), Lines{});
  const std::vector<Posture> seven = ReadBack("out7.amc");
  ExpectFrames(seven, 17);
  EXPECT_EQ(seven.size(), 4u);
  EXPECT_EQ(Errors(Type("motion.resample in.amc all.amc 120")), Lines{});
  ExpectFrames(ReadBack("all.amc"), 1);
  // The clip read for resampling is gone again.
  EXPECT_EQ(FindMotion("consolemotion"), nullptr);
}

TEST_F(ResampleTest, RejectsBadRatesBeforeReadingAndBadFiles) {
  for (const char* rate : {"0", "121", "-5", "abc", "99999999999999"})
    EXPECT_EQ(Errors(Type(std::string("motion.resample in.amc out.amc ") + rate)),
              Lines{Error("motion.resample", kBadRate)})
        << rate;
  // Nothing was read, so no caches were written beside the input, and nothing was written.
  EXPECT_FALSE(std::filesystem::exists("data/motions/in.bin"));
  EXPECT_FALSE(std::filesystem::exists("data/motions/out.amc"));

  EXPECT_EQ(Errors(Type("motion.resample missing.amc out.amc 30")),
            Lines{Error("motion.resample", "Bad input AMC file")});
  // An empty input name names the motion folder itself.
  EXPECT_EQ(Errors(Type("motion.resample  out.amc 30")),
            Lines{Error("motion.resample", "Bad input AMC file")});
  test::WriteFile("data/motions/junk.amc", "this is not a motion\n");
  EXPECT_EQ(Errors(Type("motion.resample junk.amc out.amc 30")),
            Lines{Error("motion.resample", "Bad input AMC file")});
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

TEST_F(LevelCommandsTest, FindFloorReportsTheFloorBelowInsideAndNone) {
  camera_->position = CVector(1.0f, 5.0f, 2.0f);
  const Lines found = Type("level.find_floor");
  ASSERT_EQ(found.size(), 1u);
  float x = 0, y = 0, z = 0;
  ASSERT_EQ(std::sscanf(found[0].c_str(), "Floor Pos: (%f, %f, %f)", &x, &y, &z), 3) << found[0];
  EXPECT_FLOAT_EQ(x, 1.0f);
  EXPECT_NEAR(y, 0.0f, 1e-3f);
  EXPECT_FLOAT_EQ(z, 2.0f);
  // Inside the floor brush.
  camera_->position = CVector(0.0f, -0.5f, 0.0f);
  EXPECT_EQ(Type("level.find_floor"), Lines{"Already Colliding"});
  // Beside the floor there is nothing below.
  camera_->position = CVector(50.0f, 5.0f, 50.0f);
  EXPECT_EQ(Type("level.find_floor"), Lines{"Floor not found"});
  // Console and log.
  EXPECT_NE(test::ReadFile("log.txt").find("Floor not found"), std::string::npos);
}

TEST_F(LevelCommandsTest, CollideReportsEveryBrushTouchedSolidOrNot) {
  camera_->position = CVector(4.5f, 2.0f, 0.0f);
  const Lines camera_touches = Type("camera.collide");
  EXPECT_GE(Count(camera_touches, "Collision with brush 0"), 1);
  EXPECT_GE(Count(camera_touches, "Collision with brush 1"), 1);
  // Radius 20: a point 15 above the floor's top still touches it, one 25 above does not.
  camera_->position = CVector(0.0f, 15.0f, 0.0f);
  EXPECT_GE(Count(Type("camera.collide"), "Collision with brush 0"), 1);
  camera_->position = CVector(0.0f, 25.0f, 0.0f);
  EXPECT_EQ(Type("camera.collide"), Lines{});

  test::InstallTestSkeleton();
  GameWorld& world = CreateGameWorld();
  EXPECT_EQ(Type("character.collide"), Lines{Error("character.collide", "there is no player")});
  Character player("player1");
  player.SetPosition(CVector(4.5f, 2.0f, 0.0f));
  world.player = &player;
  const Lines player_touches = Type("character.collide");
  EXPECT_GE(Count(player_touches, "Collision with brush 1"), 1);
  EXPECT_EQ(player_touches, camera_touches);
  DestroyGameWorld();
}

TEST_F(LevelCommandsTest, WithoutALoadedLevelTheCollisionCommandsSaySo) {
  level_.reset();
  EXPECT_EQ(Type("level.find_floor"), Lines{Error("level.find_floor", "no level is loaded")});
  EXPECT_EQ(Type("camera.collide"), Lines{Error("camera.collide", "no level is loaded")});
  BspLevel empty(&textures_);
  EXPECT_EQ(Type("level.find_floor"), Lines{Error("level.find_floor", "no level is loaded")});
}

TEST_F(LevelCommandsTest, TrackAttachesToNamedEntitiesAndPrintsTheCamera) {
  EXPECT_EQ(Type("camera.track 1 test"), Lines{"Camera is attaching to: 'test'"});
  EXPECT_EQ(camera_->mode(), kCameraTrack);
  EXPECT_EQ(camera_->target(), FindEntity("test"));
  // Unknown names and a first argument other than "1" leave the camera as it is.
  EXPECT_EQ(Type("camera.track 1 nobody"), Lines{Error("camera.track", kTrackName)});
  EXPECT_EQ(Type("camera.track 2 root"), Lines{Error("camera.track", kTrackName)});
  EXPECT_EQ(Type("camera.track 0 root"), Lines{Error("camera.track", kTrackName)});
  EXPECT_EQ(camera_->target(), FindEntity("test"));
  EXPECT_EQ(Type("camera.track 5"), Lines{Error("camera.track", kTrackArgs)});
  EXPECT_EQ(camera_->mode(), kCameraTrack);
  EXPECT_EQ(Type("camera.track 0"), Lines{});
  EXPECT_EQ(camera_->mode(), kCameraFreeRoam);

  camera_->position = CVector(1.0f, -2.5f, 3.25f);
  camera_->orientation = CQuaternion(0.5f, 0.5f, -0.5f, 0.5f);
  EXPECT_EQ(Type("camera.print_info"),
            Lines{"Camera Pos: (1.000000, -2.500000, 3.250000) Rot: (0.500000, 0.500000, "
                  "-0.500000, 0.500000)"});
  EXPECT_NE(test::ReadFile("log.txt").find("Camera Pos: (1.000000"), std::string::npos);
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

TEST_F(CharacterCommandsTest, CreatePlacesAConsolePlayerPlayingTheMotion) {
  EXPECT_EQ(Type("character.create walk 1.5 0 2.5"), Lines{});
  Character* c = FindCharacter("consoleplayer");
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->position, CVector(1.5f, 0.0f, 2.5f));
  ASSERT_NE(c->RootMotion(), nullptr);
  EXPECT_EQ(c->RootMotion()->motion(), motion_.get());
  EXPECT_EQ(world_->entities, std::vector<Character*>{c});
  // A second one gets the next free name; without a point it stands at the origin, and
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

  EXPECT_EQ(Type("character.create run"), Lines{Error("character.create", "Invalid motion name")});
  EXPECT_EQ(Type("character.create walk nan 0 0"),
            Lines{Error("character.create", "invalid creation point (pass 3 finite numbers)")});
  EXPECT_EQ(Type("character.create walk 1e50 0 0"),
            Lines{Error("character.create", "invalid creation point (pass 3 finite numbers)")});
  EXPECT_EQ(world_->entities.size(), 3u);
  // The loader owns them: they go with it.
  loader_.reset();
  EXPECT_EQ(FindCharacter("consoleplayer"), nullptr);
}

TEST_F(CharacterCommandsTest, CreateRefusesAMotionWithoutFrames) {
  MotionData empty("still", std::vector<Posture>{});
  world_->motions.push_back(&empty);
  EXPECT_EQ(Type("character.create still"),
            Lines{Error("character.create", "that motion has no frames")});
  EXPECT_EQ(FindCharacter("consoleplayer"), nullptr);
  world_->motions.pop_back();
}

TEST_F(CharacterCommandsTest, EvalPoseChecksFramesAndPrintsTheReversedEvaluation) {
  Character walker("walker");
  EXPECT_EQ(Type("character.eval_pose walker 1 2"),
            Lines{Error("character.eval_pose", "that entity does not have a motion controller")});
  MotionController controller(motion_.get());
  walker.skeleton_controller()->SetRootMotion(&controller);
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
  EXPECT_EQ(Type("character.eval_pose nobody 1 2"),
            Lines{Error("character.eval_pose", "Invalid Entity Name")});
  walker.skeleton_controller()->SetRootMotion(nullptr);
}

TEST_F(CharacterCommandsTest, TransitionsNeedsAGraph) {
  Character walker("walker");
  EXPECT_EQ(Type("character.transitions walker"),
            Lines{Error("character.transitions", "that entity does not have a graph!")});
  MotionController controller(motion_.get());
  walker.skeleton_controller()->SetRootMotion(&controller);
  EXPECT_EQ(Type("character.transitions walker"),
            Lines{Error("character.transitions", "that entity does not have a graph!")});
  EXPECT_EQ(Type("character.transitions nobody"),
            Lines{Error("character.transitions", "Invalid Entity Name")});
  walker.skeleton_controller()->SetRootMotion(nullptr);
}

TEST_F(CharacterCommandsTest, GameFlowCommandsReachTheStates) {
  world_->started = false;
  EXPECT_EQ(Type("game.start"), Lines{});
  EXPECT_TRUE(world_->started);

  world_->started = false;
  EXPECT_EQ(Type("game.restart"), Lines{"game.restart: there is no game state 'startgame'"});
  EXPECT_FALSE(world_->started);
  std::vector<std::string> rearmed, started;
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
  // Already running: nothing happens and nothing is printed.
  EXPECT_EQ(Type("boss.trigger"), Lines{});
  EXPECT_EQ(started, (Lines{"BossFight", "BossFight"}));
  SetConsoleGameStates({});
  EXPECT_EQ(Type("boss.trigger"), Lines{"boss.trigger: there is no game state 'BossFight'"});
}

TEST_F(ConsoleCommandsTest, RegisteringAgainKeepsOneEntryPerCommand) {
  RegisterConsoleCommands();
  const auto entries = GetCVarRegistry().Collect(GetCVarRegistry().Root());
  for (const char* name :
       {"help", "exit", "quit", "camera.track", "camera.print_info", "camera.collide",
        "character.create", "character.eval_pose", "character.transitions", "character.collide",
        "motion.resample", "level.find_floor", "game.start", "game.restart", "boss.trigger"}) {
    EXPECT_EQ(std::count_if(entries.begin(), entries.end(),
                            [&](const CVarEntry* e) {
                              return e->name == name && e->value.type == kCVarFunction;
                            }),
              1)
        << name;
  }
  // `quit` is the same function as `exit`.
  EXPECT_EQ(GetCVarRegistry().Find("quit")->value.fn, GetCVarRegistry().Find("exit")->value.fn);
  EXPECT_EQ(Type("help").size(), 11u);
}

// ---- worlds ----

class WorldCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetMotionSkeletons();
    context_ = OffscreenContext::Create(400, 300);
    if (!context_) GTEST_SKIP() << "no EGL surfaceless context on this machine";
    ResetRenderer();
  }
  void TearDown() override {
    SetConsoleGameStates({});
    ResetWorld();
    ResetCharacterDrawing();
    ResetRenderer();
    ResetMotionSkeletons();
  }
  void Start(bool with_quit_hook) {
    WorldPlatform platform;
    if (with_quit_hook) platform.quit = [this](int code) { quit_codes_.push_back(code); };
    WorldStartup(platform);
    RegisterConsoleCommands();
    console_ = GetConsole();
    ASSERT_NE(console_, nullptr);
    if (!console_->IsOpen()) console_->Toggle();
  }
  Lines Type(const std::string& line) { return Printed(*console_, line); }

  test::ManualClockScope clock_;
  std::unique_ptr<OffscreenContext> context_;
  GLConsole* console_ = nullptr;
  std::vector<int> quit_codes_;
};

// A world without a scene: typing `quit` shuts it down from inside the console's own line
// processing, saves "cvar.ini" and ends with exit code 0.
TEST_F(WorldCommandsTest, QuitShutsTheWorldDownFromTheConsole) {
  test::ScratchDir dir("commands_quit");
  Start(true);
  CVar<float> saved("commandtest.saved", 1.0f);
  saved = 2.5f;
  EXPECT_EQ(Type("quit now"), Lines{Error("quit", "this takes no parameters")});
  EXPECT_NE(GetConsole(), nullptr);
  EXPECT_TRUE(quit_codes_.empty());
  Press(*console_, "quit");
  EXPECT_EQ(GetConsole(), nullptr);
  EXPECT_EQ(GetGameWorld(), nullptr);
  EXPECT_EQ(quit_codes_, std::vector<int>{0});
  const std::string ini = test::ReadFile("cvar.ini");
  EXPECT_NE(ini.find("2 commandtest.saved 2.500000"), std::string::npos);
  EXPECT_EQ(ini.find("quit"), std::string::npos);
}

// The default game, started once for the whole tour.
TEST_F(WorldCommandsTest, DefaultGameTour) {
  test::DefaultGameDir game;
  Start(true);
  GameWorld* world = GetGameWorld();
  ASSERT_NE(world, nullptr);
  Character* player = world->player;
  ASSERT_NE(player, nullptr);
  Camera* camera = GetCamera();
  ASSERT_NE(camera, nullptr);

  // Creating a character from a scene motion.
  const size_t entities = world->entities.size();
  EXPECT_EQ(Type("character.create walk 1.5 0 2.5"), Lines{});
  Character* created = FindCharacter("consoleplayer");
  ASSERT_NE(created, nullptr);
  EXPECT_EQ(created->position, CVector(1.5f, 0.0f, 2.5f));
  EXPECT_EQ(world->entities.size(), entities + 1);
  EXPECT_EQ(world->entities.back(), created);
  EXPECT_EQ(Type("character.transitions consoleplayer"),
            Lines{Error("character.transitions", "that entity does not have a graph!")});
  for (int i = 0; i < 5; ++i) {
    clock_.Advance(1.0 / 60.0);
    WorldFrame();
  }
  // The title closed the console on its first frame; the player opens it again.
  if (!console_->IsOpen()) console_->Toggle();

  // The player's graph: the edges of its current frame, in order.
  MotionController* root = player->RootMotion();
  ASSERT_NE(root, nullptr);
  ASSERT_NE(root->graph(), nullptr);
  const Lines transitions = Type("character.transitions player1");
  ASSERT_EQ(transitions.size(), 1u);
  std::string expected =
      "player1's transitions on frame " + std::to_string(root->CurrentFrame()) + ": ";
  for (const GraphEdge& edge : root->graph()->node(root->CurrentFrame()).edges)
    expected += std::to_string(edge.target) + " ";
  EXPECT_EQ(transitions[0], expected);

  const Lines pose = Type("character.eval_pose player1 1 2");
  ASSERT_FALSE(pose.empty());
  EXPECT_EQ(pose.back().rfind("Evaluation of player1 for frame 1 to 2: ", 0), 0u) << pose.back();
  EXPECT_EQ(Type("character.eval_pose player1 1 " + std::to_string(root->FrameCount())),
            Lines{Error("character.eval_pose", "Invalid Frame Numbers")});

  // The camera on the player, then the floor below it.
  EXPECT_EQ(Type("camera.track 1 player1"), Lines{"Camera is attaching to: 'player1'"});
  EXPECT_EQ(camera->target(), player);
  camera->position = player->position + CVector(0.0f, 60.0f, 0.0f);
  const Lines floor = Type("level.find_floor");
  ASSERT_EQ(floor.size(), 1u);
  float x = 0, y = 0, z = 0;
  ASSERT_EQ(std::sscanf(floor[0].c_str(), "Floor Pos: (%f, %f, %f)", &x, &y, &z), 3) << floor[0];
  EXPECT_LT(y, camera->position.y);
  EXPECT_EQ(Type("camera.print_info").size(), 1u);
  for (const std::string& line : Type("character.collide"))
    EXPECT_EQ(line.rfind("Collision with brush ", 0), 0u) << line;

  // The boss fight starts at once (its camera cuts to the boss); a second trigger is silent.
  EXPECT_EQ(Type("boss.trigger"), Lines{"Camera is attaching to: 'boss'"});
  EXPECT_EQ(Type("boss.trigger"), Lines{});
  world->started = false;
  EXPECT_EQ(Type("game.start"), Lines{});
  EXPECT_TRUE(world->started);

  // Exit ends it all, however deep inside the console it is typed.
  EXPECT_EQ(Type("exit 0"), Lines{Error("exit", "this takes no parameters")});
  Press(*console_, "exit");
  EXPECT_EQ(GetConsole(), nullptr);
  EXPECT_EQ(GetGameWorld(), nullptr);
  EXPECT_EQ(FindCharacter("consoleplayer"), nullptr);
  EXPECT_EQ(quit_codes_, std::vector<int>{0});
  game.KeepCaches();
}

}  // namespace
}  // namespace kt
