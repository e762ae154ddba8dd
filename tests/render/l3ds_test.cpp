// The 3DS reader: meshes, materials and normals from generated files, refusal of damaged ones
// (any other damage is left to the l3ds fuzz target), and the real models' counts.
#include "render/l3ds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "log_capture.h"
#include "model_builder.h"
#include "test_support.h"

namespace kt {
namespace {

using test::Box;
using test::BuilderMaterial;
using test::BuilderMesh;
using test::LogCapture;
using test::ModelBuilder;

std::vector<unsigned char> TwoBoxFile(bool materials_first = true) {
  BuilderMesh a = Box("alpha", {0, 0, 0}, {1, 2, 3}, "steel");
  BuilderMesh b = Box("beta", {-1, -1, -1}, {1, 1, 1}, "cloth");
  b.uvs.clear();
  return ModelBuilder()
      .Add({"steel", "STEEL.JPG", {0.2f, 0.4f, 0.6f}})
      .Add({"cloth", "", {1, 0, 0}})
      .Add(a)
      .Add(b)
      .Build(materials_first);
}

void Put32(std::vector<unsigned char>& f, size_t at, uint32_t v) {
  for (int k = 0; k < 4; ++k) f[at + k] = uint8_t(v >> (8 * k));
}

TEST(L3DSTest, ReadsMeshesMaterialsAndMapping) {
  for (bool materials_first : {true, false}) {
    L3DS reader;
    ASSERT_TRUE(reader.LoadFromMemory(TwoBoxFile(materials_first))) << reader.error();
    ASSERT_EQ(reader.materials().size(), 2u);
    EXPECT_EQ(reader.materials()[0].name, "steel");
    EXPECT_EQ(reader.materials()[0].texture, "STEEL.JPG");
    EXPECT_NEAR(reader.materials()[0].diffuse.g, 0.4f, 0.01f);
    EXPECT_NEAR(reader.materials()[0].shininess, 0.25f, 1e-6f);
    EXPECT_EQ(reader.materials()[1].texture, "");
    ASSERT_EQ(reader.meshes().size(), 2u);
    const L3DSMesh* a = reader.FindMesh("alpha");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(reader.FindMesh("gamma"), nullptr);
    EXPECT_EQ(a->file_vertex_count, 8);
    EXPECT_EQ(a->file_face_count, 12);
    ASSERT_EQ(a->triangles.size(), 12u);
    // Materials are matched by name wherever their blocks stand in the file.
    for (int m : a->triangle_material) EXPECT_EQ(m, 0);
    for (int m : reader.FindMesh("beta")->triangle_material) EXPECT_EQ(m, 1);
    // Every drawing vertex keeps its file position, w = 1 and its mapping coordinates.
    for (const L3DSTriangle& t : a->triangles)
      for (uint32_t v : {t.a, t.b, t.c}) {
        ASSERT_LT(v, a->vertices.size());
        const auto& p = a->vertices[v];
        EXPECT_EQ(p[3], 1.0f);
        EXPECT_EQ(a->uvs[v][0], p[0] == 1.0f ? 1.0f : 0.0f);
        EXPECT_EQ(a->uvs[v][1], p[1] == 2.0f ? 1.0f : 0.0f);
      }
    for (const auto& uv : reader.FindMesh("beta")->uvs) EXPECT_EQ(uv, (std::array<float, 2>{0, 0}));
  }
}

TEST(L3DSTest, NormalsFollowSmoothingGroups) {
  // No smoothing groups: every corner has its face's normal, so each corner of the cube
  // appears once per side direction (3 copies of 8 corners).
  BuilderMesh flat = Box("flat", {-1, -1, -1}, {1, 1, 1});
  // All faces in group 1: one vertex per corner, normals pointing out of the cube's corners.
  BuilderMesh round = Box("round", {-1, -1, -1}, {1, 1, 1});
  round.smoothing.assign(12, 1);
  // The top (two faces) in group 2, the rest in group 1: the top's corners split off.
  BuilderMesh lid = round;
  lid.name = "lid";
  lid.smoothing[6] = lid.smoothing[7] = 2;
  L3DS reader;
  ASSERT_TRUE(reader.LoadFromMemory(ModelBuilder().Add(flat).Add(round).Add(lid).Build()));

  // A box's face normals lie along the axes, pointing away from the centre.
  const L3DSMesh& f = *reader.FindMesh("flat");
  EXPECT_EQ(f.vertices.size(), 24u);
  for (size_t v = 0; v < f.vertices.size(); ++v) {
    const auto& n = f.normals[v];
    EXPECT_NEAR(std::fabs(n[0]) + std::fabs(n[1]) + std::fabs(n[2]), 1.0f, 1e-6) << v;
    for (int c = 0; c < 3; ++c) EXPECT_GE(n[c] * f.vertices[v][c], 0.0f) << v;
  }

  const L3DSMesh& r = *reader.FindMesh("round");
  EXPECT_EQ(r.vertices.size(), 8u);
  for (size_t v = 0; v < r.vertices.size(); ++v) {
    const auto& n = r.normals[v];
    EXPECT_NEAR(n[0] * n[0] + n[1] * n[1] + n[2] * n[2], 1.0f, 1e-5);
    // Outwards, and not along any one side.
    for (int c = 0; c < 3; ++c) {
      EXPECT_GT(n[c] * r.vertices[v][c], 0.1f);
    }
  }

  const L3DSMesh& l = *reader.FindMesh("lid");
  EXPECT_EQ(l.vertices.size(), 12u);  // the top's 4 corners twice, the top's normals straight up
  for (int t : {6, 7})
    for (uint32_t v : {l.triangles[t].a, l.triangles[t].b, l.triangles[t].c})
      EXPECT_NEAR(l.normals[v][1], 1.0f, 1e-6);
}

using Bytes = std::vector<unsigned char>;

// `file` changed by `edit`.
template <typename Edit>
Bytes Edited(Bytes file, Edit edit) {
  edit(file);
  return file;
}

// A file holding one material block: a name and then `chunk`.
Bytes MaterialWith(const Bytes& chunk) {
  Bytes block = {0x00, 0xA0, 8, 0, 0, 0, 'm', 0};
  block.insert(block.end(), chunk.begin(), chunk.end());
  Bytes f = {0x4D, 0x4D, 0, 0, 0, 0, 0x3D, 0x3D, 0, 0, 0, 0, 0xFF, 0xAF};
  for (int k = 0; k < 4; ++k) f.push_back(uint8_t((block.size() + 6) >> (8 * k)));
  f.insert(f.end(), block.begin(), block.end());
  Put32(f, 8, uint32_t(f.size() - 6));
  Put32(f, 2, uint32_t(f.size()));
  return f;
}

TEST(L3DSTest, RefusesDamagedFilesWithTheReadersMessage) {
  const Bytes good = TwoBoxFile();
  const char* kFormat = "L3DS::Read3DS - wrong file format";
  const char* kRead = "L3DS::LoadFile - error reading from file";
  BuilderMesh bad_face = Box("alpha", {0, 0, 0}, {1, 1, 1});
  bad_face.faces[0][1] = 8;  // vertex 8 of 8
  // A cut inside the geometry, with the main chunk's length made to fit it.
  Bytes cut(good.begin(), good.begin() + good.size() / 2);
  Put32(cut, 2, uint32_t(cut.size()));
  const struct {
    const char* what;
    Bytes bytes;
    const char* message;
  } cases[] = {
      {"not a 3DS file", Edited(good, [](Bytes& f) { f[0] = 'P'; }), kFormat},
      {"main longer than the file",
       Edited(good, [](Bytes& f) { Put32(f, 2, uint32_t(f.size() + 1)); }), kRead},
      {"face index past the vertices", ModelBuilder().Add(bad_face).Build(), kRead},
      {"cut inside the geometry (not read as a shorter model)", cut, kRead},
      {"colour without a colour chunk",
       MaterialWith({0x20, 0xA0, 12, 0, 0, 0, 0x30, 0, 6, 0, 0, 0}),
       "L3DS::ReadColor - error this is not a color chunk"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    LogCapture log;
    L3DS reader;
    EXPECT_FALSE(reader.LoadFromMemory(c.bytes));
    EXPECT_TRUE(log.Contains(c.message));
    EXPECT_EQ(reader.error().rfind(c.message, 0), 0u) << reader.error();
    EXPECT_TRUE(reader.meshes().empty() && reader.materials().empty());
  }
  LogCapture log;
  L3DS reader;
  EXPECT_FALSE(reader.LoadFile("no_such_model.3ds"));
  EXPECT_TRUE(log.Contains("L3DS::LoadFile - cannot open file"));
}

struct RealModel {
  const char* file;
  size_t meshes;
  int vertices, faces;  // as the file's own counts give them
  std::vector<std::string> textures;
};

TEST(L3DSTest, RealModelsHaveTheirMeshesCountsAndTextures) {
  KT_REQUIRE_REALDATA();
  const std::vector<RealModel> models = {
      {"lowpoly_character.3ds", 4, 2243, 3276, {}},
      {"test1.3ds", 9, 288, 108, {"CWALL02.JPG", "IMAGE1.JPG", "IMAGE2.JPG"}},
      {"jeep1.3ds", 7, 1948, 2032, {"jeep1.jpg"}},
  };
  for (const RealModel& model : models) {
    SCOPED_TRACE(model.file);
    L3DS reader;
    ASSERT_TRUE(reader.LoadFile((test::RealDataDir() / "3ds" / model.file).string()))
        << reader.error();
    ASSERT_EQ(reader.meshes().size(), model.meshes);
    int vertices = 0, faces = 0;
    for (const L3DSMesh& mesh : reader.meshes()) {
      EXPECT_EQ(mesh.triangles.size(), size_t(mesh.file_face_count));
      EXPECT_EQ(mesh.normals.size(), mesh.vertices.size());
      EXPECT_EQ(mesh.uvs.size(), mesh.vertices.size());
      for (const auto& n : mesh.normals)
        ASSERT_NEAR(n[0] * n[0] + n[1] * n[1] + n[2] * n[2], 1.0f, 1e-4) << mesh.name;
      vertices += mesh.file_vertex_count;
      faces += mesh.file_face_count;
    }
    EXPECT_EQ(vertices, model.vertices);
    EXPECT_EQ(faces, model.faces);
    std::vector<std::string> textures;
    for (const L3DSMaterial& m : reader.materials())
      if (!m.texture.empty()) textures.push_back(m.texture);
    std::sort(textures.begin(), textures.end());
    EXPECT_EQ(textures, model.textures);
  }
}

}  // namespace
}  // namespace kt
