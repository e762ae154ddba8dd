// The OpenArena maps (Debian's openarena-081-maps): every map loads, "bspdata.txt" agrees with
// the file's lump sizes, a trace straight down from the player start finds a floor, and a few
// maps render from their player start. The sanitizer build loops over a subset.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

#include "level/level_view.h"
#include "level_fixtures.h"
#include "render/gl_extensions.h"
#include "render/offscreen.h"
#include "test_support.h"

namespace kt {
namespace {

#ifdef KT_SANITIZED
constexpr size_t kMapStride = 7;
#else
constexpr size_t kMapStride = 1;
#endif

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The seven counts at the top of "bspdata.txt".
std::vector<int> ReportCounts() {
  std::istringstream report(test::ReadFile("bspdata.txt"));
  std::vector<int> counts;
  std::string line;
  for (int i = 0; i < 7 && std::getline(report, line); ++i) counts.push_back(std::stoi(line));
  return counts;
}

TEST(OpenArenaMaps, EveryMapLoadsAndFindsItsFloor) {
  KT_REQUIRE_OPENARENA();
  test::ScratchDir dir("openarena");
  const std::vector<std::string> maps = test::OpenArenaMaps();
  ASSERT_EQ(maps.size(), 50u);
  int plausible = 0, starts = 0;
  for (size_t m = 0; m < maps.size(); m += kMapStride) {
    const std::string& name = maps[m];
    SCOPED_TRACE(name);
    ASSERT_TRUE(test::ExtractMap(name, "map.bsp"));
    const std::vector<uint8_t> bytes = ReadAll("map.bsp");
    int32_t lengths[kLumpCount];
    ASSERT_TRUE(ReadBspLumpLengths(bytes, lengths));
    HeadlessLevelTextures textures;
    BspLevel level(&textures);
    ASSERT_TRUE(level.Load("map.bsp"));

    const std::vector<int> expected = {lengths[kLumpVertices] / 44,
                                       lengths[kLumpMeshVertices] / 4,
                                       lengths[kLumpFaces] / 104,
                                       lengths[kLumpTextures] / 72,
                                       lengths[kLumpLightmaps] / kLightmapBytes,
                                       lengths[kLumpBrushes] / 12,
                                       lengths[kLumpModels] / 40};
    EXPECT_EQ(ReportCounts(), expected);
    EXPECT_EQ(level.leaves().size(), size_t(lengths[kLumpLeaves] / 48));
    EXPECT_EQ(level.nodes().size(), size_t(lengths[kLumpNodes] / 36));
    EXPECT_EQ(level.planes().size(), size_t(lengths[kLumpPlanes] / 16));

    // Player starts stand about 24 units above the floor. Some stand over curved floors
    // (patches have no brushes) or the void, and a point exactly on the seam of two brushes
    // touches neither, so the trace uses a sphere of radius 1.
    level.MarkSolidTexturesCollidable();
    float nearest = 1e9f;
    for (const char* classname : {"info_player_deathmatch", "info_player_start"}) {
      for (const CVector& start : FindEntityOrigins(level.entities(), classname)) {
        const float drop = level.Trace(start, {0, -10000, 0}, 1.0f) * 10000.0f;
        nearest = std::min(nearest, drop);
        plausible += drop > 1.0f && drop < 200.0f;
        ++starts;
      }
    }
    if (nearest < 1e9f) {
      EXPECT_LT(nearest, 400.0f);
    }
  }
  EXPECT_GT(starts, 0);
  EXPECT_GE(plausible * 100, starts * 85) << plausible << " of " << starts;
}

bool NotBlank(const Image& image) {
  std::set<uint32_t> colours;
  size_t covered = 0;
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      const unsigned char* p = image.Pixel(x, y);
      colours.insert(uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2]);
      covered += !(p[0] == 104 && p[1] == 212 && p[2] == 248);  // the clear colour
    }
  // Untextured faces under bright lightmaps may all come out white: ask for faces over a tenth
  // of the picture, not for variety.
  return colours.size() >= 2 && covered > size_t(image.width) * image.height / 10;
}

TEST(OpenArenaMaps, RendersFromThePlayerStart) {
  KT_REQUIRE_OPENARENA();
  test::ScratchDir dir("openarena-render");
  auto context = OffscreenContext::Create(320, 240);
  if (!context) GTEST_SKIP() << "no offscreen OpenGL context";
  LoadGLExtensions();
  for (const char* name : {"oa_dm1.bsp", "q3dm6ish.bsp", "aggressor.bsp", "oa_ctf2.bsp"}) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(test::ExtractMap(name, name));
    BspLevel level;
    ASSERT_TRUE(level.Load(name));
    CVector eye;
    float yaw = 0;
    ASSERT_TRUE(FindPlayerStart(level.entities(), eye, yaw));
    eye.y += 26.0f;  // eye height above the start
    SetUpLevelView(level, eye, yaw, 320, 240);
    DrawLevelFrame(level, eye);
    const std::string png = std::string(name) + ".png";
    ASSERT_TRUE(context->SavePNG(png));
    EXPECT_GT(std::filesystem::file_size(png), 500u);
    EXPECT_TRUE(NotBlank(context->ReadPixels()));
  }
}

}  // namespace
}  // namespace kt
