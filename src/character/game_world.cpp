// The game world's lists and lookups.
#include "character/game_world.h"

#include "character/motion_controller.h"

namespace kt {
namespace {

std::unique_ptr<GameWorld>& Instance() {
  static std::unique_ptr<GameWorld> world;
  return world;
}

}  // namespace

std::unique_ptr<MotionController> GraphDescription::CreateController() const {
  if (!motion) return nullptr;
  return std::make_unique<MotionController>(motion, graph_type, eval_threshold, eval_type,
                                            transition_time);
}

void GameWorld::ClearLists() {
  motions.clear();
  entities.clear();
  data_sets.clear();
  graphs.clear();
}

bool GameWorld::FindDataSet(int id, MotionDataSet& out) const {
  for (const MotionDataSet& set : data_sets) {
    if (set.id != id) continue;
    out = set;
    return true;
  }
  return false;
}

bool GameWorld::FindGraph(int id, GraphDescription& out) const {
  for (const GraphDescription& graph : graphs) {
    if (graph.id != id) continue;
    out = graph;
    return true;
  }
  return false;
}

GameWorld* GetGameWorld() { return Instance().get(); }

GameWorld& CreateGameWorld() {
  Instance() = std::make_unique<GameWorld>();
  return *Instance();
}

void DestroyGameWorld() { Instance().reset(); }

}  // namespace kt
