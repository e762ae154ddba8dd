// The game world: the lists a scene file fills in (motion clips, the characters updated and
// drawn every frame, motion data sets and graph descriptions), the player and boss found in
// them, and the hooks through which characters reach the camera and the game flow. One
// instance per process, created by the world's start-up and destroyed by its shutdown.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kt {

class Character;
class Entity;
class MotionController;
class MotionData;

// A fighter's five motion roles, in the order attack, defensive, idle, move, extra.
inline constexpr int kRoleAttack = 0;
inline constexpr int kRoleDefensive = 1;
inline constexpr int kRoleIdle = 2;
inline constexpr int kRoleMove = 3;
inline constexpr int kRoleExtra = 4;
inline constexpr int kRoleCount = 5;

// A scene's "MotionDataSet": the clip and graph description id of each role.
struct MotionDataSet {
  struct Role {
    MotionData* motion = nullptr;
    int graph_id = -1;
  };
  Role roles[kRoleCount];
  int id = -1;
};

// A scene's "TransitionGraph" block: the graph walker to build over a clip, made into a
// motion controller when a character needs it.
struct GraphDescription {
  MotionData* motion = nullptr;
  int id = -1;
  float eval_threshold = -1.0f;
  int eval_type = -1;
  int graph_type = 0;
  float transition_time = -1.0f;

  // A new motion controller playing the clip through this description's graph; nullptr
  // without a motion.
  std::unique_ptr<MotionController> CreateController() const;
};

class GameWorld {
 public:
  // True from construction; the title state's start condition reads it.
  bool started = true;

  std::vector<MotionData*> motions;
  std::vector<Character*> entities;
  std::vector<MotionDataSet> data_sets;
  std::vector<GraphDescription> graphs;

  Character* player = nullptr;
  Character* boss = nullptr;
  // The active camera; the player's move vector is turned by its heading.
  Entity* camera = nullptr;
  // Asks the game flow to start a state by name ("LoseGame"); empty until the states exist.
  std::function<void(const std::string&)> change_state;
  // Told of every death (after the killed flag is raised); the headless runner reports them.
  std::function<void(Character&)> on_kill;

  // Empties the four lists; the objects they referred to live on.
  void ClearLists();
  // First match in list order copied into `out`; false (and `out` untouched) without one.
  bool FindDataSet(int id, MotionDataSet& out) const;
  bool FindGraph(int id, GraphDescription& out) const;
};

// The process's world; nullptr before start-up and after shutdown.
GameWorld* GetGameWorld();
// Start-up creates it, shutdown destroys it (and tests make their own).
GameWorld& CreateGameWorld();
void DestroyGameWorld();

}  // namespace kt
