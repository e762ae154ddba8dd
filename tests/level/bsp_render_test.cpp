// Drawing the level: the culling pass (each face once, blended faces later, billboards
// reported) without GL, and real drawing into an offscreen context.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "level/level_view.h"
#include "level_fixtures.h"
#include "render/gl_extensions.h"
#include "render/offscreen.h"
#include "test_support.h"

namespace kt {
namespace {

// A floor with a pillar on it: the space above the floor is split into several leaves that
// all hold the floor's top face.
const std::string kPillarRoom = std::string(test::kTestTextures) +
                                "brush -6 -1 -6 6 0 6 floor\n"
                                "brush -1 0 -1 1 2 1 wall\n"
                                "brush -6 5 -6 6 6 6 sky\n"
                                "light 0 4 3 12\n";

int FloorTopFace(const BspLevel& level) {
  for (size_t f = 0; f < level.faces().size(); ++f)
    if (level.faces()[f].texture == 0 && level.faces()[f].normal[2] == 1.0f) return int(f);
  return -1;
}

class LevelDrawing : public ::testing::Test {
 protected:
  test::ScratchDir dir_{"render"};
  test::RecordingTextures textures_;
};

TEST_F(LevelDrawing, SharedFaceIsCollectedOnce) {
  auto level = test::BuildAndLoad(kPillarRoom, textures_);
  const int floor = FloorTopFace(*level);
  ASSERT_GE(floor, 0);
  int holders = 0;
  for (int entry : level->leaf_faces()) holders += entry == floor;
  ASSERT_GT(holders, 1);

  const std::vector<int> faces = level->CollectVisibleFaces({3, 1, 3}, test::WideFrustum());
  EXPECT_EQ(std::set<int>(faces.begin(), faces.end()).size(), faces.size());
  EXPECT_EQ(std::count(faces.begin(), faces.end(), floor), 1);
  EXPECT_TRUE(level->FaceDrawn(floor));
  // Every face some open leaf holds is collected (all clusters see each other).
  std::set<int> held;
  for (const BspLeaf& leaf : level->leaves())
    for (int k = 0; k < leaf.leaf_face_count; ++k)
      held.insert(level->leaf_faces()[leaf.leaf_face + k]);
  EXPECT_EQ(std::set<int>(faces.begin(), faces.end()), held);
  // A second frame starts from a clear drawn-face set.
  EXPECT_EQ(level->CollectVisibleFaces({3, 1, 3}, test::WideFrustum()).size(), faces.size());
}

TEST_F(LevelDrawing, BlendedFacesGoToTheSecondPassAndBillboardsAreReported) {
  BspData data = test::BuildData(kPillarRoom);
  const int floor_texture = 0;
  int billboard = -1;
  for (size_t f = 0; f < data.faces.size(); ++f)
    if (data.faces[f].texture == 1) billboard = int(f);
  ASSERT_GE(billboard, 0);
  data.faces[billboard].type = kFaceBillboard;
  test::WriteBytes("flare.bsp", WriteBsp(data));
  BspLevel level(&textures_);
  ASSERT_TRUE(level.Load("flare.bsp"));
  LevelShader additive;
  additive.flags = kShaderBlendAdd | kShaderScroll;
  additive.scroll_s = 0.5f;
  level.AssignShader(level.AddShader(additive), floor_texture);

  int holders = 0;
  for (const BspLeaf& leaf : level.leaves())
    for (int k = 0; k < leaf.leaf_face_count; ++k)
      holders += level.leaf_faces()[leaf.leaf_face + k] == billboard;
  test::LogCapture log;
  const std::vector<int> opaque = level.CollectVisibleFaces({3, 1, 3}, test::WideFrustum());
  EXPECT_EQ(log.Count("Type 4 other than polygon"), holders);
  EXPECT_EQ(std::count(opaque.begin(), opaque.end(), billboard), 0);
  ASSERT_FALSE(level.blended_faces().empty());
  for (int f : level.blended_faces()) EXPECT_EQ(level.faces()[f].texture, floor_texture);
  for (int f : opaque) EXPECT_NE(level.faces()[f].texture, floor_texture);
}

TEST_F(LevelDrawing, FrustumCullsLeavesBehindTheEye) {
  auto level = test::BuildAndLoad(kPillarRoom, textures_);
  // A 90-degree perspective (near 0.1, far 100) from (3, 1, 0) looking along +x,
  // in GL's column order: element (r, c) at 4c + r.
  float projection[16] = {}, modelview[16] = {};
  projection[0] = projection[5] = 1.0f;
  projection[10] = -100.1f / 99.9f;
  projection[11] = -1.0f;
  projection[14] = -20.0f / 99.9f;
  modelview[8] = 1.0f;  // eye x = world z
  modelview[5] = 1.0f;  // eye y = world y - 1
  modelview[13] = -1.0f;
  modelview[2] = -1.0f;  // eye z = 3 - world x
  modelview[14] = 3.0f;
  modelview[15] = 1.0f;
  Frustum frustum;
  frustum.ExtractPlanes(projection, modelview);
  const size_t all = level->CollectVisibleFaces({3, 1, 0}, test::WideFrustum()).size();
  const size_t ahead = level->CollectVisibleFaces({3, 1, 0}, frustum).size();
  EXPECT_GT(ahead, 0u);
  EXPECT_LT(ahead, all);
}

TEST_F(LevelDrawing, DrawsOffscreenWithSkyBoxAndLightmaps) {
  auto context = OffscreenContext::Create(160, 120);
  if (!context) GTEST_SKIP() << "no offscreen OpenGL context";
  LoadGLExtensions();
  test::ManualClockScope clock;
  LevelDescription d;
  std::string error;
  ASSERT_TRUE(ParseLevelDescription(kPillarRoom + "skybox box 0 0 1 0 0 1\n", d, error));
  ASSERT_TRUE(BuildLevel(d, "level.bsp"));
  BspLevel level;
  ASSERT_TRUE(level.LoadSkyBox("box_%s.jpg"));
  ASSERT_TRUE(level.Load("level.bsp"));
  EXPECT_EQ(level.texture_name(2), -1);
  // A scrolling shader without speeds on the floor is reported while drawing.
  LevelShader still;
  still.flags = kShaderScroll;
  level.AssignShader(level.AddShader(still), 0);
  const CVector eye(4, 1, 4);
  SetUpLevelView(level, eye, 135.0f, 160, 120);
  test::LogCapture log;
  DrawLevelFrame(level, eye);
  EXPECT_TRUE(log.Contains("time=0.000000, tex_scroll=0.000000,0.000000"));
  Image image = context->ReadPixels();
  ASSERT_EQ(image.width, 160);
  // The pillar (brick red) fills the centre; the sky roof is hidden so the blue sky box shows
  // above the walls' absence at the top edge.
  const unsigned char* centre = image.Pixel(80, 60);
  EXPECT_GT(centre[0], centre[2]);
  const unsigned char* top = image.Pixel(80, 118);
  EXPECT_GT(top[2], 200);
  EXPECT_LT(top[0], 60);
  EXPECT_TRUE(context->SavePNG("level.png"));
  EXPECT_GT(std::filesystem::file_size("level.png"), 1000u);
}

}  // namespace
}  // namespace kt
