// The level builder: description errors name their line; the map it writes is valid, closes
// its faces into leaves, lights them, and writes the images beside it.
#include <gtest/gtest.h>

#include <filesystem>

#include "level_fixtures.h"
#include "render/image.h"
#include "test_support.h"

namespace kt {
namespace {

namespace fs = std::filesystem;

TEST(LevelDescription, BadLinesAreNamed) {
  const std::pair<const char*, const char*> cases[] = {
      {"texture a flat 1 1\n", "line 1: texture needs NAME PATTERN R G B"},
      {"texture a marble 1 1 1\n", "line 1: unknown texture pattern \"marble\""},
      {"texture a flat 1 1 1 shiny\n", "line 1: bad texture option \"shiny\""},
      {"texture a flat 1 1 1\ntexture a flat 1 1 1\n", "line 2: texture \"a\" declared twice"},
      {"# c\n\nbrush 0 0 0 1 1 1 a\n", "line 3: undeclared texture \"a\""},
      {"texture a flat 1 1 1\nbrush 0 0 0 0 1 1 a\n", "line 2: brush has no volume"},
      {"texture a flat 1 1 1\nbrush 0 0 0 1 1 1 a solid\n", "line 2: bad brush option"},
      {"light 0 0 0\n", "line 1: light needs X Y Z RADIUS [R G B]"},
      {"entity statue 0 0\n", "line 1: entity needs CLASSNAME X Y Z"},
      {"castle\n", "line 1: unknown statement \"castle\""},
      {"lightmap_scale -1\n", "line 1: lightmap_scale needs a positive number"},
      {"skybox s 1 1 1\n", "line 1: skybox needs PREFIX"},
  };
  for (const auto& [text, message] : cases) {
    LevelDescription d;
    std::string error;
    EXPECT_FALSE(ParseLevelDescription(text, d, error)) << text;
    EXPECT_EQ(error.rfind(message, 0), 0u) << text << " -> " << error;
  }
}

TEST(LevelBuilder, WritesAValidMapWithImagesBesideIt) {
  test::ScratchDir dir("builder");
  const std::string text = std::string(test::kTestTextures) +
                           "texture stone stone 0.6 0.6 0.5 tga scale 4\n"
                           "ambient 0.1\n"
                           "light 0 3 0 10\n"
                           "brush -5 -1 -5 5 0 5 floor\n"
                           "brush -1 0 -1 1 2 1 stone\n"
                           "brush 3 0 3 4 2 4 wall nodraw\n"
                           "skybox data/sky 0.2 0.3 0.9 0.8 0.8 0.9\n"
                           "entity fountain 2 0 -2 model 3\n";
  LevelDescription d;
  std::string error;
  ASSERT_TRUE(ParseLevelDescription(text, d, error)) << error;
  ASSERT_TRUE(BuildLevel(d, "maps/test.bsp"));
  for (const char* file :
       {"floor.jpg", "wall.jpg", "sky.jpg", "stone.tga", "sky_lf.jpg", "sky_bk.jpg", "sky_up.jpg"})
    EXPECT_TRUE(fs::exists(fs::path("maps") / file)) << file;
  Image image;
  ASSERT_TRUE(ReadImageFile("maps/stone.tga", image));
  EXPECT_EQ(image.width, 64);
  ASSERT_TRUE(ReadImageFile("maps/floor.jpg", image));
  EXPECT_EQ(image.channels, 3);

  const BspData data = BuildBspData(d);
  BspData read;
  ASSERT_TRUE(ParseBsp(WriteBsp(data), read, error)) << error;
  EXPECT_EQ(data.brushes.size(), 3u);
  EXPECT_EQ(data.brush_sides.size(), 18u);
  // The pillar's bottom is covered by the floor and the nodraw brush draws nothing; the
  // floor's bottom and sides face out of the world but are still written.
  EXPECT_EQ(data.faces.size(), 6u + 5u);
  EXPECT_NE(data.entities.find("\"classname\" \"fountain\"\n\"origin\" \"2 2 0\"\n\"model\" \"3\""),
            std::string::npos);
  // Faces above the floor are in leaves; solid leaves have no cluster and no faces.
  for (const BspLeaf& leaf : data.leaves) {
    if (leaf.cluster >= 0) continue;
    EXPECT_EQ(leaf.leaf_face_count, 0);
    EXPECT_GT(leaf.leaf_brush_count, 0);
  }
  // The floor's top is lit by the light, except in the pillar's shadow (ambient 0.1 alone
  // stores 0.1 * 25.5 = 3).
  const BspFace* top = nullptr;
  for (const BspFace& f : data.faces)
    if (f.texture == 0 && f.normal[2] == 1.0f) top = &f;
  ASSERT_NE(top, nullptr);
  auto texel = [&](int offset) {
    const int x = top->lm_start[0] + top->lm_size[0] / 2 + offset,
              y = top->lm_start[1] + top->lm_size[1] / 2 + offset;
    return data
        .lightmaps[size_t(top->lightmap) * kLightmapBytes + (size_t(y) * kLightmapSide + x) * 3];
  };
  EXPECT_GE(texel(14), 7);  // 3.5 units out sees the light over the pillar: 0.1 + 0.22
  EXPECT_EQ(texel(6), 3);   // 1.5 units out: behind the pillar
}

TEST(LevelBuilder, KeepsLightmapsWithinWhatTheLevelHolds) {
  // 600 faces that would each fill a page at this texel size.
  std::string text = "lightmap_scale 0.001\ntexture t flat 1 1 1\n";
  for (int i = 0; i < 100; ++i)
    text +=
        "brush " + std::to_string(i * 20) + " 0 0 " + std::to_string(i * 20 + 10) + " 10 10 t\n";
  const BspData data = test::BuildData(text);
  EXPECT_EQ(data.faces.size(), 600u);
  EXPECT_LE(data.lightmap_count(), kMaxBspLightmaps);
  EXPECT_GT(data.lightmap_count(), 16);  // coarsened by doubling, not flattened
  BspData read;
  std::string error;
  EXPECT_TRUE(ParseBsp(WriteBsp(data), read, error)) << error;
}

TEST(LevelBuilder, EmptyDescriptionStillLoads) {
  test::ScratchDir dir("builder-empty");
  test::RecordingTextures textures;
  auto level = test::BuildAndLoad("", textures);
  EXPECT_EQ(level->Trace({0, 0, 0}, {0, -1, 0}, 1.0f), 1.0f);
  EXPECT_EQ(level->FindLeaf({0, 0, 0}), 0);
}

}  // namespace
}  // namespace kt
