// The console commands.
//
// Contents: argument reading - help and quitting - camera - characters - motions - level -
// game flow - registration.
#include "game/console_commands.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "character/character.h"
#include "character/game_world.h"
#include "character/motion_controller.h"
#include "console/cvar.h"
#include "console/log.h"
#include "game/camera.h"
#include "game/scene_loader.h"
#include "game/world.h"
#include "graph/transition_graph.h"
#include "level/bsp_level.h"
#include "motion/motion_data.h"
#include "motion/skeleton.h"

namespace kt {
namespace {

using Args = std::vector<std::string>;

const char kNoParameters[] = "this takes no parameters";
const char kInvalidEntityName[] = "Invalid Entity Name";

// Radius of the sphere whose brush touches the collide commands report.
constexpr float kTouchRadius = 20.0f;
// How far below the camera `level.find_floor` looks.
constexpr float kFloorDepth = 10000.0f;

ConsoleGameStates& GameStates() {
  static ConsoleGameStates states;
  return states;
}

// ---- argument reading ----

// As atoi reads it (leading digits, text without digits gives 0), but numbers beyond the int
// range clamp instead of being undefined.
int ReadInt(const std::string& text) {
  const long value = std::strtol(text.c_str(), nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return int(value);
}

// As atof reads it; "nan", "inf" and numbers beyond the float range give a non-finite value.
float ReadFloat(const std::string& text) { return float(std::strtod(text.c_str(), nullptr)); }

// ---- help and quitting ----

const char* const kHelpLines[] = {
    "",
    "----------------- HELP -----------------",
    "~ key to open and close console",
    "Setting a value: [command] = value",
    "Getting a value: [command]",
    "NOTE: changes to values are permanent (they are saved automatically)",
    "Functions: [function] [arg1] [arg2] ...",
    "Arrow keys move through history",
    "TAB does tab completion and makes suggestions...",
    "Scroll the text by left clicking while moving the mouse",
    "----------------- HELP -----------------",
};

std::string Help(const Args& args) {
  if (!args.empty()) return kNoParameters;
  for (const char* line : kHelpLines) ConsolePrintf("%s", line);
  return {};
}

// `exit` and `quit`. The shutdown destroys the console that is running this command; the
// console is prepared for that and touches nothing of itself afterwards.
std::string Quit(const Args& args) {
  if (!args.empty()) return kNoParameters;
  QuitGame();
  return {};
}

// ---- camera ----

std::string CameraTrack(const Args& args) {
  const bool free_roam = args.size() == 1 && args[0] == "0";
  if (args.size() != 2 && !free_roam)
    return "invalid arguments-  pass 0 to turn on free roam camera.  Pass 1 followed by entity "
           "name to lock on...";
  Camera* camera = GetCamera();
  if (!camera) return "there is no camera";
  if (free_roam) {
    camera->SetMode(kCameraFreeRoam);
    return {};
  }
  Entity* entity = args[0] == "1" ? FindEntity(args[1]) : nullptr;
  if (!entity) return "Invalid Entity Name or you forgot to pass a '1' first";
  camera->Attach(entity);
  return {};
}

std::string CameraPrintInfo(const Args& args) {
  if (!args.empty()) return kNoParameters;
  const Camera* camera = GetCamera();
  if (!camera) return "there is no camera";
  const CVector& p = camera->position;
  const CQuaternion& q = camera->orientation;
  LogPrintf("Camera Pos: (%f, %f, %f) Rot: (%f, %f, %f, %f)", double(p.x), double(p.y), double(p.z),
            double(q.x), double(q.y), double(q.z), double(q.w));
  return {};
}

// The level the collision commands test against; nullptr (with the error in `error`) when
// none is loaded.
BspLevel* LoadedLevel(std::string& error) {
  BspLevel* level = CurrentLevel();
  if (level && level->loaded()) return level;
  error = "no level is loaded";
  return nullptr;
}

// The camera and the loaded level of the commands that test the camera against the level;
// `error` says which is missing.
struct CameraInLevel {
  const Camera* camera = nullptr;
  BspLevel* level = nullptr;
  std::string error;
};

CameraInLevel FindCameraInLevel() {
  CameraInLevel found;
  found.camera = GetCamera();
  if (!found.camera) {
    found.error = "there is no camera";
    return found;
  }
  found.level = LoadedLevel(found.error);
  return found;
}

std::string CameraCollide(const Args& args) {
  if (!args.empty()) return kNoParameters;
  const CameraInLevel found = FindCameraInLevel();
  if (!found.level) return found.error;
  found.level->ReportTouches(found.camera->position, kTouchRadius);
  return {};
}

// ---- characters ----

std::string CharacterCreate(const Args& args) {
  if (args.size() != 1 && args.size() != 4)
    return "invalid arguments -  pass the name of the motion followed by an optional creation "
           "point (3 floats)";
  GameWorld* world = GetGameWorld();
  SceneLoader* loader = GetSceneLoader();
  if (!world || !loader) return "there is no world to create a character in";
  MotionData* motion = nullptr;
  const std::string name = LowerCase(args[0]);
  for (MotionData* m : world->motions)
    if (m && m->name() == name) {
      motion = m;
      break;
    }
  if (!motion) return "Invalid motion name";
  // A motion without frames would give the controller nothing to show.
  if (motion->frame_count() <= 0) return "that motion has no frames";
  CVector at;
  if (args.size() == 4) {
    at = CVector(ReadFloat(args[1]), ReadFloat(args[2]), ReadFloat(args[3]));
    // A non-finite position would spread through every collision and distance the
    // character takes part in.
    if (!std::isfinite(at.x) || !std::isfinite(at.y) || !std::isfinite(at.z))
      return "invalid creation point (pass 3 finite numbers)";
  }
  Character* character = loader->Adopt(std::make_unique<Character>("consoleplayer"));
  character->skeleton_controller()->SetRootMotion(
      loader->Adopt(std::make_unique<MotionController>(motion)));
  character->SetPosition(at);
  world->entities.push_back(character);
  return {};
}

std::string CharacterEvalPose(const Args& args) {
  if (args.size() != 3)
    return "invalid arguments-  pass an entity name followed by two frames to compare";
  Character* character = FindCharacter(args[0]);
  if (!character) return kInvalidEntityName;
  MotionController* controller = character->RootMotion();
  if (!controller) return "that entity does not have a motion controller";
  const int a = ReadInt(args[1]);
  const int b = ReadInt(args[2]);
  const int frames = controller->FrameCount();
  if (a < 1 || b < 1 || a >= frames || b >= frames) return "Invalid Frame Numbers";
  const float value = controller->Evaluate(b, a, /*log_pair=*/true);
  ConsolePrintf("Evaluation of %s for frame %d to %d: %f", character->name().c_str(), a, b,
                double(value));
  return {};
}

std::string CharacterTransitions(const Args& args) {
  if (args.size() != 1)
    return "invalid arguments-  pass the entity name you want a dump of transitions of the "
           "current frame for";
  Character* character = FindCharacter(args[0]);
  if (!character) return kInvalidEntityName;
  MotionController* controller = character->RootMotion();
  const TransitionGraph* graph = controller ? controller->graph() : nullptr;
  if (!graph) return "that entity does not have a graph!";
  const int frame = controller->CurrentFrame();
  std::string line = character->name() + "'s transitions on frame " + std::to_string(frame) + ": ";
  if (frame >= 0 && size_t(frame) < graph->nodes().size())
    for (const GraphEdge& edge : graph->node(frame).edges)
      line += std::to_string(edge.target) + " ";
  LogPrintf("%s", line.c_str());
  return {};
}

std::string CharacterCollide(const Args& args) {
  if (!args.empty()) return kNoParameters;
  const GameWorld* world = GetGameWorld();
  if (!world || !world->player) return "there is no player";
  std::string error;
  BspLevel* level = LoadedLevel(error);
  if (!level) return error;
  level->ReportTouches(world->player->position, kTouchRadius);
  return {};
}

// ---- motions ----

std::string MotionResample(const Args& args) {
  if (args.size() != 3)
    return "invalid arguments-  pass an input AMC filename followed by an output filename and "
           "target framerate (<120)";
  // The rate is checked before the input is read: reading writes the clip's caches, and a
  // rejected call is to leave everything as it was.
  const int rate = ReadInt(args[2]);
  if (rate < 1 || rate > 120) return "invalid framerate (0<fr<=120)";
  std::error_code ec;
  if (!std::filesystem::is_regular_file(ToFilePath(MotionFolder() + args[0]), ec))
    return "Bad input AMC file";
  MotionData motion("ConsoleMotion", args[0], kMotionScale, 0, 120);
  // A file that reads as no frames at all is no motion either.
  if (motion.frame_count() <= 0) return "Bad input AMC file";
  motion.Resample(rate);
  if (motion.WriteAMC(args[1], kMotionScale) != 0) return "cannot write the output AMC file";
  return {};
}

// ---- level ----

std::string LevelFindFloor(const Args& args) {
  if (!args.empty()) return kNoParameters;
  const CameraInLevel found = FindCameraInLevel();
  if (!found.level) return found.error;
  const CVector& p = found.camera->position;
  const float fraction = found.level->Trace(p, CVector(0.0f, -kFloorDepth, 0.0f), 0.0f);
  if (fraction == 1.0f) {
    LogPrintf("Floor not found");
  } else if (fraction == 0.0f) {
    LogPrintf("Already Colliding");
  } else {
    LogPrintf("Floor Pos: (%f, %f, %f)", double(p.x), double(p.y - fraction * kFloorDepth),
              double(p.z));
  }
  return {};
}

// ---- game flow ----

std::string GameStart(const Args& args) {
  if (!args.empty()) return kNoParameters;
  GameWorld* world = GetGameWorld();
  if (!world) return "there is no world";
  world->started = true;
  return {};
}

std::string GameRestart(const Args& args) {
  if (!args.empty()) return kNoParameters;
  GameWorld* world = GetGameWorld();
  if (!world) return "there is no world";
  const ConsoleGameStates& states = GameStates();
  if (!states.rearm || !states.rearm("startgame")) {
    ConsolePrintf("game.restart: there is no game state 'startgame'");
    return {};
  }
  world->started = true;
  return {};
}

// Starting does nothing to a fight that is already running (or over).
std::string BossTrigger(const Args& args) {
  if (!args.empty()) return kNoParameters;
  const ConsoleGameStates& states = GameStates();
  if (!states.exists || !states.exists("BossFight")) {
    ConsolePrintf("boss.trigger: there is no game state 'BossFight'");
    return {};
  }
  if (states.start) states.start("BossFight");
  return {};
}

struct Command {
  const char* name;
  ConsoleFunction function;
};

constexpr Command kCommands[] = {
    {"help", Help},
    {"exit", Quit},
    {"quit", Quit},
    {"camera.track", CameraTrack},
    {"camera.print_info", CameraPrintInfo},
    {"camera.collide", CameraCollide},
    {"character.create", CharacterCreate},
    {"character.eval_pose", CharacterEvalPose},
    {"character.transitions", CharacterTransitions},
    {"character.collide", CharacterCollide},
    {"motion.resample", MotionResample},
    {"level.find_floor", LevelFindFloor},
    {"game.start", GameStart},
    {"game.restart", GameRestart},
    {"boss.trigger", BossTrigger},
};

}  // namespace

void RegisterConsoleCommands() {
  for (const Command& command : kCommands) {
    CVar<ConsoleFunction> handle(command.name, command.function);
    if (handle.Type() != kCVarFunction) {
      // "cvar.ini" (or some module) made this name a number before the commands came.
      LogPrintf("RegisterConsoleCommands: '%s' is already a variable; the command is not available",
                command.name);
      continue;
    }
    handle = command.function;  // the command, whatever function the name was bound to before
  }
}

void SetConsoleGameStates(ConsoleGameStates states) { GameStates() = std::move(states); }

}  // namespace kt
