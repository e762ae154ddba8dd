// libFuzzer target: any bytes read as a scene file either load or fail with a log line, never
// reading out of bounds, overflowing or hanging. The working folder holds a skeleton, one tiny
// clip (with its caches, read as the game reads them) and a tiny map, so motion, character,
// level and shader blocks really run.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "character/game_world.h"
#include "fuzz_support.h"
#include "game/camera.h"
#include "game/scene_loader.h"
#include "level/bsp_level.h"
#include "level/level_builder.h"
#include "level/level_textures.h"
#include "motion/motion_data.h"
#include "motion_fixtures.h"

namespace {

const char kTinyMap[] =
    "texture floor flat 0.5 0.5 0.5\n"
    "texture wall brick 0.7 0.4 0.3\n"
    "brush -4 -1 -4 4 0 4 floor\n"
    "brush 1 0 1 2 1 2 wall\n";

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  kt::fuzz::EnterScratchDir("scene");
  kt::fuzz::InstallTinyClip();
  kt::MotionData warm("tiny", kt::fuzz::kTinyAmc, kt::kMotionScale, 0, 120);  // writes caches
  kt::LevelDescription map;
  std::string error;
  if (!kt::ParseLevelDescription(kTinyMap, map, error) || !kt::BuildLevel(map, "level.bsp"))
    std::abort();
  kt::CreateGameWorld();
  static kt::Camera camera;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static kt::HeadlessLevelTextures textures;
  std::srand(8);
  kt::fuzz::WriteBytes("fuzz.sce", data, size);
  // A fresh level and loader per input: what one scene creates dies with its loader.
  auto level = std::make_unique<kt::BspLevel>(&textures);
  {
    kt::SceneLoader loader;
    loader.Load("fuzz.sce");
  }
  kt::GetGameWorld()->ClearLists();
  return 0;
}
