// Loading a level: the y-up conversion, "bspdata.txt", texture look-up, the sky box, lightmap
// brightening, shaders and their animation, and the look-ups of file patterns and entities.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <limits>

#include "level_fixtures.h"
#include "test_support.h"

namespace kt {
namespace {

namespace fs = std::filesystem;

const std::string kRoom = std::string(test::kTestTextures) +
                          "brush -4 -1 -4 4 0 4 floor\n"
                          "brush -4 3 -4 4 4 4 sky\n"
                          "brush 1 0 1 2 1 2 wall\n"
                          "entity info_player_start 1 0.5 -2 angle 45\n";

class LevelLoad : public ::testing::Test {
 protected:
  test::ScratchDir dir_{"levelload"};
  test::RecordingTextures textures_;
};

TEST_F(LevelLoad, ConvertsTheFileFrameToYUp) {
  const BspData raw = test::BuildData(kRoom);
  auto level = test::BuildAndLoad(kRoom, textures_);
  ASSERT_EQ(level->vertices().size(), raw.vertices.size());
  for (size_t i = 0; i < raw.vertices.size(); ++i) {
    const BspVertex& a = raw.vertices[i];
    const BspVertex& b = level->vertices()[i];
    EXPECT_EQ(b.position[0], a.position[0]);
    EXPECT_EQ(b.position[1], a.position[2]);
    EXPECT_EQ(b.position[2], -a.position[1]);
    EXPECT_EQ(b.texcoord[1], -a.texcoord[1]);
    EXPECT_EQ(b.lmcoord[1], a.lmcoord[1]);
    EXPECT_EQ(b.normal[2], a.normal[2]);  // vertex normals stay as stored
  }
  for (size_t i = 0; i < raw.planes.size(); ++i) {
    EXPECT_EQ(level->planes()[i].normal[1], raw.planes[i].normal[2]);
    EXPECT_EQ(level->planes()[i].dist, raw.planes[i].dist);
  }
  EXPECT_EQ(level->leaves()[0].mins[2], -raw.leaves[0].mins[1]);
  EXPECT_EQ(level->nodes()[0].mins[2], raw.nodes[0].mins[2]);  // node boxes stay as stored
  for (const BspFace& f : level->faces()) EXPECT_EQ(f.shader, -1);
  // The description's game-frame heights come back: floor top at 0, roof between 3 and 4.
  float low = 1e9f, high = -1e9f;
  for (const BspVertex& v : level->vertices()) {
    low = std::min(low, v.position[1]);
    high = std::max(high, v.position[1]);
  }
  EXPECT_EQ(low, -1.0f);
  EXPECT_EQ(high, 4.0f);
  EXPECT_EQ(CurrentLevel(), level.get());
  level.reset();
  EXPECT_EQ(CurrentLevel(), nullptr);

  // A leaf box at the integer limit has no negation: it saturates.
  BspData extreme = raw;
  extreme.leaves[0].mins[1] = std::numeric_limits<int32_t>::min();
  const std::vector<uint8_t> bytes = WriteBsp(extreme);
  BspLevel loaded(&textures_);
  ASSERT_TRUE(loaded.LoadFromBytes(bytes, "extreme.bsp"));
  EXPECT_EQ(loaded.leaves()[0].mins[2], std::numeric_limits<int32_t>::max());
}

TEST_F(LevelLoad, WritesBspDataReport) {
  auto level = test::BuildAndLoad(kRoom, textures_);
  const std::string report = test::ReadFile("bspdata.txt");
  char head[1024];
  std::snprintf(head, sizeof(head),
                "%zu vertices\n%zu mesh vertices\n%zu faces\n3 textures\n%d lightmaps\n"
                "3 brushes\n1 models\n\nTextures\n\n"
                "floor fl=0 c=1 id=0\nwall fl=0 c=1 id=1\nsky fl=414 c=1 id=2\n"
                "1 brushes with texture ID 0\n1 brushes with texture ID 1\n"
                "1 brushes with texture ID 2\n\nEntities:\n\n{\n\"classname\" \"worldspawn\"",
                level->vertices().size(), level->mesh_vertices().size(), level->faces().size(),
                level->lightmap_count());
  EXPECT_EQ(report.substr(0, std::strlen(head)), head);
  EXPECT_NE(report.find("\"classname\" \"info_player_start\""), std::string::npos);
}

TEST_F(LevelLoad, ReportsMissingTexturesAndPrefersJpg) {
  LevelDescription d;
  std::string error;
  ASSERT_TRUE(
      ParseLevelDescription(kRoom + "texture unused flat 1 1 1\ntexture tgaonly flat 1 1 1 tga\n"
                                    "brush 5 0 5 6 1 6 tgaonly\n",
                            d, error))
      << error;
  ASSERT_TRUE(BuildLevel(d, "level.bsp"));
  fs::remove("wall.jpg");
  fs::remove("unused.jpg");
  fs::copy_file("floor.jpg", "floor.tga");  // both: the .jpg wins
  BspLevel level(&textures_);
  ASSERT_TRUE(level.Load("level.bsp"));
  const std::string report = test::ReadFile("bspdata.txt");
  EXPECT_NE(report.find("wall fl=0 c=1 id=1\nUSED BUT NOT FOUND!!\n"), std::string::npos);
  EXPECT_NE(report.find("unused fl=0 c=1 id=3\nNOT FOUND!!\n"), std::string::npos);
  EXPECT_NE(report.find("tgaonly fl=0 c=1 id=4\n1 brushes"), std::string::npos);
  EXPECT_EQ(textures_.images, (std::vector<std::string>{"floor.jpg", "sky.jpg", "tgaonly.tga"}));
  EXPECT_EQ(level.texture_name(1), 0);  // drawn with its lightmap alone
  EXPECT_GT(level.texture_name(0), 0);
}

TEST_F(LevelLoad, SkyBoxHidesSkyTexturesOnlyWhenLoaded) {
  {
    auto level = test::BuildAndLoad(kRoom, textures_);
    EXPECT_FALSE(level->has_sky_box());
    EXPECT_GT(level->texture_name(2), 0);
  }
  for (const char* suffix : {"lf", "rt", "dn", "up", "ft", "bk"})
    fs::copy_file("floor.jpg", std::string("box_") + suffix + ".jpg");
  textures_.images.clear();
  BspLevel level(&textures_);
  EXPECT_FALSE(level.LoadSkyBox("box_%s%s.jpg"));
  EXPECT_FALSE(level.LoadSkyBox("box_%d.jpg"));
  EXPECT_TRUE(textures_.images.empty());
  ASSERT_TRUE(level.LoadSkyBox("box_%s.jpg"));
  EXPECT_EQ(textures_.images, (std::vector<std::string>{"box_lf.jpg", "box_rt.jpg", "box_dn.jpg",
                                                        "box_up.jpg", "box_ft.jpg", "box_bk.jpg"}));
  ASSERT_TRUE(level.Load("level.bsp"));
  EXPECT_EQ(level.texture_name(2), -1);
  EXPECT_GT(level.texture_name(0), 0);
}

TEST_F(LevelLoad, BrightensLightmapsWithoutChangingHue) {
  BspData data = test::BuildData(kRoom);
  data.lightmaps.assign(kLightmapBytes, 0);
  const uint8_t pixels[3][3] = {{10, 20, 5}, {51, 25, 0}, {255, 255, 255}};
  std::memcpy(data.lightmaps.data(), pixels, sizeof(pixels));
  for (BspFace& f : data.faces) f.lightmap = 0;
  test::WriteBytes("lit.bsp", WriteBsp(data));
  BspLevel level(&textures_);
  ASSERT_TRUE(level.Load("lit.bsp"));
  ASSERT_EQ(textures_.lightmaps.size(), 1u);
  const std::vector<uint8_t>& lm = textures_.lightmaps[0];
  const int expected[9] = {100, 200, 50, 255, 125, 0, 255, 255, 255};
  for (int i = 0; i < 9; ++i) EXPECT_NEAR(lm[i], expected[i], 1) << i;
}

TEST_F(LevelLoad, ShadersAndAnimation) {
  test::ManualClockScope clock;
  auto level = test::BuildAndLoad(kRoom, textures_);
  LevelShader shader;
  shader.flags = kShaderBlendAdd;
  EXPECT_FALSE(level->LoadShaderAnimation(shader, 2.0f, 0, 2, "frame%s.jpg"));
  for (int i = 0; i < 3; ++i) fs::copy_file("floor.jpg", "frame" + std::to_string(i + 1) + ".jpg");
  ASSERT_TRUE(level->LoadShaderAnimation(shader, 2.0f, 1, 3, "frame%d.jpg"));
  EXPECT_EQ(shader.flags, unsigned(kShaderBlendAdd | kShaderAnimate));
  EXPECT_EQ(shader.anim_frame_count, 3);
  EXPECT_GE(shader.anim_time_offset, 0.0f);
  EXPECT_LE(shader.anim_time_offset, 32.767f);
  shader.anim_time_offset = 0.0f;
  const int index = level->AddShader(shader);
  level->AssignShader(index, 1);
  int face = -1;
  for (size_t f = 0; f < level->faces().size(); ++f) {
    const BspFace& rec = level->faces()[f];
    EXPECT_EQ(rec.shader, rec.texture == 1 ? index : -1);
    if (rec.texture == 1) face = int(f);
  }
  ASSERT_GE(face, 0);
  const unsigned own = unsigned(level->texture_name(1));
  const std::vector<unsigned>& frames = level->shaders()[index].anim_frames;
  // Speed 2, three frames: own texture, frame 0, 1, 2, each for half a second, then again.
  const unsigned expected[] = {own, frames[0], frames[1], frames[2], own, frames[0]};
  level->FaceTexture(face);  // the level clock's first reading
  for (unsigned texture : expected) {
    clock.Advance(0.25);
    EXPECT_EQ(level->FaceTexture(face), texture);
    clock.Advance(0.25);
  }
  test::LogCapture log;
  level->AssignShader(7, 1);
  EXPECT_TRUE(log.Contains("BspLevel: no shader 7"));
}

TEST_F(LevelLoad, VisibilityDecidesWhichClustersSeeEachOther) {
  BspData data = test::BuildData(kRoom);
  ASSERT_GE(data.vis_vector_count, 2);
  data.vis.assign(data.vis.size(), 0);
  data.vis[0] = 1;  // cluster 0 sees only itself
  test::WriteBytes("vis.bsp", WriteBsp(data));
  BspLevel level(&textures_);
  ASSERT_TRUE(level.Load("vis.bsp"));
  EXPECT_TRUE(level.ClusterVisible(0, 0));
  EXPECT_FALSE(level.ClusterVisible(0, 1));
  EXPECT_FALSE(level.ClusterVisible(1, 1));
  EXPECT_TRUE(level.ClusterVisible(-1, 1));  // an eye outside every cluster sees everything

  data.vis_vector_count = data.vis_vector_size = 0;
  data.vis.clear();
  test::WriteBytes("novis.bsp", WriteBsp(data));
  ASSERT_TRUE(level.Load("novis.bsp"));
  for (int a = 0; a < 3; ++a)
    for (int b = 0; b < 3; ++b) EXPECT_TRUE(level.ClusterVisible(a, b));
}

TEST(LevelLookups, FormatsOnlyPatternsWithOnePlaceholder) {
  std::string out;
  EXPECT_TRUE(FormatOnePlaceholder("sky_%s.jpg", 's', "lf", 0, out));
  EXPECT_EQ(out, "sky_lf.jpg");
  EXPECT_TRUE(FormatOnePlaceholder("100%%_%03d.tga", 'd', "", 7, out));
  EXPECT_EQ(out, "100%_007.tga");
  for (const char* bad : {"%s%s", "none", "%d", "%n", "%*s", "%", "%.2s", "%s %p"})
    EXPECT_FALSE(FormatOnePlaceholder(bad, 's', "x", 0, out)) << bad;
  EXPECT_FALSE(FormatOnePlaceholder("%s", 'd', "x", 0, out));
}

TEST(LevelLookups, FindsThePlayerStartInTheGameFrame) {
  const std::string entities =
      "{\n\"classname\" \"worldspawn\"\n}\n"
      "{\n\"origin\" \"10 20 30\"\n\"classname\" \"info_player_deathmatch\"\n\"angle\" \"90\"\n}\n";
  CVector origin;
  float yaw = 0;
  ASSERT_TRUE(FindPlayerStart(entities, origin, yaw));
  EXPECT_EQ(origin, CVector(10, 30, -20));
  EXPECT_EQ(yaw, 90.0f);
  EXPECT_FALSE(FindPlayerStart("{ \"classname\" \"light\" }", origin, yaw));
  EXPECT_EQ(FindEntityValue("{ \"classname\" \"x\" \"k\" \"v\" ", "x", "k"), "v");
}

}  // namespace
}  // namespace kt
