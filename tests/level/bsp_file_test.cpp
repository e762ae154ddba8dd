// Reading BSP files: a valid map round-trips, and every malformed file is refused with a
// message that names the wrong lump or index, without reading out of bounds (the sanitizer
// build checks the latter).
#include "level/bsp_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <limits>

#include "level_fixtures.h"
#include "test_support.h"

namespace kt {
namespace {

const std::string kLevel = std::string(test::kTestTextures) +
                           "brush -4 -1 -4 4 0 4 floor\n"
                           "brush -1 0 -1 1 2 1 wall\n"
                           "entity info_player_start 0 1 3\n";

BspData ValidData() { return test::BuildData(kLevel); }

void SetLump(std::vector<uint8_t>& bytes, int lump, int32_t offset, int32_t length) {
  std::memcpy(bytes.data() + 8 + lump * 8, &offset, 4);
  std::memcpy(bytes.data() + 12 + lump * 8, &length, 4);
}

int32_t LumpOffset(const std::vector<uint8_t>& bytes, int lump) {
  int32_t v;
  std::memcpy(&v, bytes.data() + 8 + lump * 8, 4);
  return v;
}

std::string ParseError(const std::vector<uint8_t>& bytes) {
  BspData data;
  std::string error;
  EXPECT_FALSE(ParseBsp(bytes, data, error));
  EXPECT_TRUE(data.faces.empty() && data.textures.empty());
  return error;
}

TEST(BspFile, GeneratedMapRoundTrips) {
  const BspData data = ValidData();
  ASSERT_FALSE(data.faces.empty());
  ASSERT_FALSE(data.nodes.empty());
  ASSERT_GT(data.vis_vector_count, 0);
  BspData read;
  std::string error;
  ASSERT_TRUE(ParseBsp(WriteBsp(data), read, error)) << error;
  EXPECT_EQ(read.faces.size(), data.faces.size());
  EXPECT_EQ(read.entities, data.entities);
  EXPECT_EQ(read.vis, data.vis);
  EXPECT_EQ(0,
            std::memcmp(read.nodes.data(), data.nodes.data(), data.nodes.size() * sizeof(BspNode)));
}

TEST(BspFile, RefusesBadHeaders) {
  const std::vector<uint8_t> good = WriteBsp(ValidData());
  std::vector<uint8_t> bytes(good.begin(), good.begin() + 100);
  EXPECT_NE(ParseError(bytes).find("shorter than the 144-byte header"), std::string::npos);

  bytes = good;
  bytes[0] = 'X';
  EXPECT_NE(ParseError(bytes).find("not IBSP"), std::string::npos);

  bytes = good;
  bytes[4] = 47;
  EXPECT_NE(ParseError(bytes).find("version 47 is not 46"), std::string::npos);

  bytes = good;
  SetLump(bytes, kLumpFaces, int32_t(bytes.size()) - 10, 104);
  EXPECT_NE(ParseError(bytes).find("lump 13 (faces): offset"), std::string::npos);

  bytes = good;
  SetLump(bytes, kLumpPlanes, LumpOffset(bytes, kLumpPlanes), -16);
  EXPECT_NE(ParseError(bytes).find("lump 2 (planes): offset"), std::string::npos);

  bytes = good;
  SetLump(bytes, kLumpVertices, 0x7FFFFFF0, 0x7FFFFFF0);
  EXPECT_NE(ParseError(bytes).find("lump 10 (vertices): offset"), std::string::npos);

  bytes = good;
  SetLump(bytes, kLumpNodes, LumpOffset(bytes, kLumpNodes), 35);
  EXPECT_NE(ParseError(bytes).find("lump 3 (nodes): length 35 is not a multiple of the 36"),
            std::string::npos);
}

TEST(BspFile, RefusesTablesLargerThanTheLevelHolds) {
  BspData data = ValidData();
  data.textures.resize(513, data.textures[0]);
  EXPECT_NE(ParseError(WriteBsp(data)).find("lump 1 (textures): 513 textures"), std::string::npos);

  data = ValidData();
  data.lightmaps.resize(size_t(513) * kLightmapBytes);
  EXPECT_NE(ParseError(WriteBsp(data)).find("lump 14 (lightmaps): 513 lightmaps"),
            std::string::npos);
}

struct IndexCase {
  const char* name;
  std::function<void(BspData&)> mutate;
  const char* message;
};

TEST(BspFile, RefusesEveryIndexOutOfRangeAndEveryBadCoordinate) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const IndexCase cases[] = {
      {"face texture", [](BspData& d) { d.faces[0].texture = int32_t(d.textures.size()); },
       "lump 13 (faces): face 0 texture 3 out of range"},
      {"face lightmap", [](BspData& d) { d.faces[1].lightmap = d.lightmap_count(); },
       "lump 13 (faces): face 1 lightmap"},
      {"face vertices", [](BspData& d) { d.faces[2].vertex = int32_t(d.vertices.size()) - 2; },
       "lump 13 (faces): face 2 vertices"},
      {"face negative vertex count", [](BspData& d) { d.faces[0].vertex_count = -1; },
       "face 0 vertices 0+-1"},
      {"face mesh vertices", [](BspData& d) { d.faces[0].mesh_vertex_count = 1 << 30; },
       "lump 13 (faces): face 0 mesh vertices"},
      {"mesh vertex offset",
       [](BspData& d) {
         d.faces[0].type = kFaceMesh;
         d.mesh_vertices[d.faces[0].mesh_vertex + 2] = 1000000;
       },
       "lump 11 (mesh vertices): face 0 mesh vertex 2 gives vertex 1000000"},
      {"patch grid",
       [](BspData& d) {
         d.faces[0].type = kFacePatch;
         d.faces[0].size[0] = 3;
         d.faces[0].size[1] = 3;
       },
       "face 0 patch 3x3 larger than its 4 vertices"},
      {"node plane", [](BspData& d) { d.nodes[0].plane = int32_t(d.planes.size()); },
       "lump 3 (nodes): node 0 plane"},
      {"node child node", [](BspData& d) { d.nodes[0].children[0] = int32_t(d.nodes.size()); },
       "lump 3 (nodes): node 0 child"},
      {"node child leaf",
       [](BspData& d) { d.nodes[0].children[1] = -int32_t(d.leaves.size()) - 1; },
       "lump 3 (nodes): node 0 child"},
      {"node loop", [](BspData& d) { d.nodes[1].children[0] = 1; },
       "lump 3 (nodes): node 1 child 1"},
      {"leaf faces", [](BspData& d) { d.leaves[0].leaf_face_count = 1 << 20; },
       "lump 4 (leaves): leaf 0 leaf faces"},
      {"leaf brushes", [](BspData& d) { d.leaves[0].leaf_brush = -1; },
       "lump 4 (leaves): leaf 0 leaf brushes"},
      {"leaf face entry", [](BspData& d) { d.leaf_faces[0] = int32_t(d.faces.size()); },
       "lump 5 (leaf faces): entry 0 face"},
      {"leaf brush entry", [](BspData& d) { d.leaf_brushes[0] = -5; },
       "lump 6 (leaf brushes): entry 0 brush -5"},
      {"brush sides", [](BspData& d) { d.brushes[1].side = int32_t(d.brush_sides.size()) - 3; },
       "lump 8 (brushes): brush 1 sides"},
      {"brush texture", [](BspData& d) { d.brushes[0].texture = 99; },
       "lump 8 (brushes): brush 0 texture 99"},
      {"side plane", [](BspData& d) { d.brush_sides[4].plane = 1 << 24; },
       "lump 9 (brush sides): side 4 plane"},
      {"visibility size", [](BspData& d) { d.vis.pop_back(); }, "lump 16 (visibility):"},
      {"visibility vector size", [](BspData& d) { d.vis_vector_size = -2; },
       "lump 16 (visibility):"},
      // Values that reach positions: NaN, infinity, beyond kMaxBspCoordinate.
      {"plane normal", [=](BspData& d) { d.planes[1].normal[2] = nan; },
       "lump 2 (planes): plane 1 is not finite"},
      {"plane distance", [=](BspData& d) { d.planes[0].dist = 3e38f; }, "lump 2 (planes): plane 0"},
      {"vertex position", [=](BspData& d) { d.vertices[3].position[0] = nan; },
       "lump 10 (vertices): vertex 3"},
      {"huge vertex", [=](BspData& d) { d.vertices[0].position[1] = -2e6f; },
       "lump 10 (vertices): vertex 0"},
      {"model bounds", [=](BspData& d) { d.models[0].maxs[2] = inf; }, "lump 7 (models): model 0"},
  };
  for (const IndexCase& c : cases) {
    BspData data = ValidData();
    c.mutate(data);
    EXPECT_NE(ParseError(WriteBsp(data)).find(c.message), std::string::npos)
        << c.name << ": " << ParseError(WriteBsp(data));
  }
}

TEST(BspFile, RefusesShortVisibilityLump) {
  std::vector<uint8_t> bytes = WriteBsp(ValidData());
  SetLump(bytes, kLumpVisibility, LumpOffset(bytes, kLumpVisibility), 5);
  EXPECT_NE(ParseError(bytes).find("lump 16 (visibility): length 5 < 8"), std::string::npos);
}

TEST(BspFile, BadFileLeavesTheLevelAsItWasAndSaysWhy) {
  test::ScratchDir dir("bspfile");
  test::RecordingTextures textures;
  auto level = test::BuildAndLoad(kLevel, textures);
  const size_t faces = level->faces().size();
  std::filesystem::remove("bspdata.txt");

  BspData data = ValidData();
  data.leaf_faces[0] = 12345;
  test::WriteBytes("bad.bsp", WriteBsp(data));
  test::LogCapture log;
  EXPECT_FALSE(level->Load("bad.bsp"));
  EXPECT_TRUE(log.Contains(
      "BspLevel: bad.bsp is not a valid Quake 3 BSP: lump 5 (leaf faces): entry 0 face 12345"));
  EXPECT_EQ(level->faces().size(), faces);
  EXPECT_FALSE(std::filesystem::exists("bspdata.txt"));
  EXPECT_FALSE(level->Load("missing.bsp"));
}

}  // namespace
}  // namespace kt
