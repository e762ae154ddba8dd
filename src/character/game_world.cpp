// The game world's lists and lookups.
#include "character/game_world.h"

#include "character/motion_controller.h"

namespace kt {
namespace {

std::unique_ptr<GameWorld>& Instance() {
  static std::unique_ptr<GameWorld> world;
  return world;
}

template <class T>
bool FindById(const std::vector<T>& list, int id, T& out) {
  for (const T& item : list) {
    if (item.id != id) continue;
    out = item;
    return true;
  }
  return false;
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
  return FindById(data_sets, id, out);
}

bool GameWorld::FindGraph(int id, GraphDescription& out) const { return FindById(graphs, id, out); }

GameWorld* GetGameWorld() { return Instance().get(); }

GameWorld& CreateGameWorld() {
  Instance() = std::make_unique<GameWorld>();
  return *Instance();
}

void DestroyGameWorld() { Instance().reset(); }

}  // namespace kt
