// Reading BSP files: a valid map round-trips, and malformed files are refused with a message
// that names the wrong lump or index.
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
  SetLump(bytes, kLumpVertices, 0x7FFFFFF0, 0x7FFFFFF0);
  EXPECT_NE(ParseError(bytes).find("lump 10 (vertices): offset"), std::string::npos);
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

// An index out of range, a node loop and the values that reach positions; other damage is left
// to the bsp fuzz target, which walks the loaded arrays.
TEST(BspFile, RefusesIndicesOutOfRangeAndBadCoordinates) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const IndexCase cases[] = {
      {"face texture", [](BspData& d) { d.faces[0].texture = int32_t(d.textures.size()); },
       "lump 13 (faces): face 0 texture 3 out of range"},
      {"node loop", [](BspData& d) { d.nodes[1].children[0] = 1; },
       "lump 3 (nodes): node 1 child 1"},
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
