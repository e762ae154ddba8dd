// libFuzzer target: any bytes read as a scene file either load or fail with a log line, never
// reading out of bounds, overflowing or hanging. The working folder holds a skeleton, one tiny
// clip and a tiny map, so motion, character, level and shader blocks really run.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "character/game_world.h"
#include "console/log.h"
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

void WriteText(const std::string& path, const std::string& text) {
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (!folder.empty()) std::filesystem::create_directories(folder);
  std::ofstream(path, std::ios::binary) << text;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // "log.txt", "bspdata.txt" and graph caches go to a scratch folder.
  const auto dir =
      std::filesystem::temp_directory_path() / ("kinetrope-scene-fuzz-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  std::filesystem::current_path(dir);
  kt::OpenLogFile("/dev/null");
  // Clips are read, never cached: every run sees the same folder.
  kt::SetMotionCachesEnabled(false);
  kt::test::InstallTestSkeleton();
  WriteText("data/motions/tiny.amc", kt::test::AmcText(kt::test::WalkPostures(6)));
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
  WriteText("fuzz.sce", std::string(reinterpret_cast<const char*>(data), size));
  // A fresh level and loader per input: what one scene creates dies with its loader.
  auto level = std::make_unique<kt::BspLevel>(&textures);
  {
    kt::SceneLoader loader;
    loader.Load("fuzz.sce");
  }
  kt::GetGameWorld()->ClearLists();
  return 0;
}
