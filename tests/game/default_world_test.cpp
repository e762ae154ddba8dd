// The whole world start-up, frames and shutdown on the generated default game.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "character/character.h"
#include "character/game_world.h"
#include "console/cvar.h"
#include "console/gl_console.h"
#include "content_generator.h"
#include "game/camera.h"
#include "game_fixtures.h"
#include "level/bsp_level.h"
#include "render/renderer.h"
#include "world_fixture.h"

namespace kt {
namespace {

int CountBlocks(const std::string& keyword) {
  std::istringstream in(content::SceneText());
  std::string line;
  int n = 0;
  while (std::getline(in, line))
    if (line == "* " + keyword) ++n;
  return n;
}

class DefaultWorldTest : public test::WorldTest {};

TEST_F(DefaultWorldTest, ListsHoldWhatTheSceneDescribes) {
  test::DefaultGameDir game;
  WorldStartup({});
  const GameWorld* world = GetGameWorld();
  ASSERT_NE(world, nullptr);
  EXPECT_EQ(int(world->motions.size()), CountBlocks("MotionData"));
  EXPECT_EQ(int(world->data_sets.size()), CountBlocks("MotionDataSet"));
  EXPECT_EQ(int(world->graphs.size()), CountBlocks("TransitionGraph"));
  std::vector<std::string> names;
  for (const Character* c : world->entities) names.push_back(c->name());
  EXPECT_EQ(names, (std::vector<std::string>{"player1", "guard", "guard1", "guard2", "boss"}));
  ASSERT_NE(world->player, nullptr);
  EXPECT_EQ(world->player->name(), "player1");
  ASSERT_NE(world->boss, nullptr);
  EXPECT_NE(world->boss->model, nullptr) << "the boss wears the parts model";
  for (const Character* c : world->entities)
    EXPECT_NE(c->gameplay_controller(), nullptr) << c->name();
  ASSERT_NE(CurrentLevel(), nullptr);
  EXPECT_TRUE(CurrentLevel()->loaded());
  // The generated scene keeps the file rules: no block fails to parse.
  EXPECT_EQ(test::ReadFile("log.txt").find("SceneLoader: failed"), std::string::npos);
  game.KeepCaches();
}

TEST_F(DefaultWorldTest, GraphCachesAreWrittenOnceThenRead) {
  test::DefaultGameDir game(/*with_caches=*/false);
  WorldStartup({});
  ResetWorld();
  const std::string first = test::ReadFile("log.txt");
  EXPECT_NE(first.find("GenerateGraph: done generating"), std::string::npos);
  EXPECT_NE(first.find("ExportGraph: done exporting"), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists("walk_graph.gra"));

  ResetCharacterDrawing();
  ResetRenderer();
  WorldStartup({});
  // One log for the process: the second start-up's lines follow the first's.
  const std::string second = test::ReadFile("log.txt").substr(first.size());
  EXPECT_EQ(second.find("GenerateGraph:"), std::string::npos);
  EXPECT_NE(second.find("ImportGraph: done importing"), std::string::npos);
  game.KeepCaches();
}

// Ten simulated seconds: every figure stays on the courtyard floor.
TEST_F(DefaultWorldTest, FiguresStayOnTheFloor) {
  test::DefaultGameDir game;
  StartWorld();
  EnterLevel();
  const GameWorld* world = GetGameWorld();
  BspLevel* level = CurrentLevel();
  ASSERT_NE(level, nullptr);
  RunFrames(10.0);
  int awake = 0;
  for (Character* c : world->entities) {
    if (!c->enabled) continue;  // the boss waits for its fight
    ++awake;
    ASSERT_TRUE(std::isfinite(c->position.x + c->position.y + c->position.z)) << c->name();
    float lowest = 1e30f;
    for (int bone : kFootBones) lowest = std::fmin(lowest, c->JointPosition(bone).y);
    const CVector above(c->position.x, lowest + 40.0f, c->position.z);
    const float f = level->Trace(above, CVector(0.0f, -1000.0f, 0.0f), 0.0f);
    ASSERT_LT(f, 1.0f) << c->name() << " has no floor below it";
    const float floor_y = above.y - 1000.0f * f;
    EXPECT_NEAR(lowest, floor_y, 6.0f)
        << c->name() << " at " << c->position.x << "," << c->position.y << "," << c->position.z;
  }
  EXPECT_EQ(awake, 4);
}

// The first view of the default game: the camera attached to the player, the figures and
// their swords drawn in the courtyard. The frame is kept as a PNG for a person to look at.
TEST_F(DefaultWorldTest, DrawsTheFiguresInTheCourtyard) {
  test::DefaultGameDir game;
  StartWorld();
  EnterLevel();
  if (GetConsole()->IsOpen()) GetConsole()->Toggle();
  GetCamera()->Attach(GetGameWorld()->player);
  RunFrames(3.0);
  Shot("default_scene.png");
  // The same frame without the figures differs where they stand.
  const Image with_figures = context_->ReadPixels();
  GameWorld* world = GetGameWorld();
  const std::vector<Character*> figures = world->entities;
  world->entities.clear();
  WorldFrame();  // no time passes: only the figures are gone
  world->entities = figures;
  const Image without = context_->ReadPixels();
  int differing = 0;
  for (size_t i = 0; i < with_figures.pixels.size(); i += 4)
    if (std::abs(int(with_figures.pixels[i]) - int(without.pixels[i])) > 24) ++differing;
  EXPECT_GT(differing, 400);
}

}  // namespace
}  // namespace kt
