// The 3DS reader: meshes, materials and normals from generated files, refusal of damaged ones,
// and the real models' counts, textures and extent.
#include "render/l3ds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

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

// Offset of the first byte after the first `text` in the file.
size_t After(const Bytes& f, const char* text) {
  return std::search(f.begin(), f.end(), text, text + std::strlen(text) + 1) - f.begin() +
         std::strlen(text) + 1;
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
  BuilderMesh few_vertices = Box("alpha", {0, 0, 0}, {1, 1, 1});
  few_vertices.vertices.resize(3);
  BuilderMesh short_smoothing = Box("alpha", {0, 0, 0}, {1, 1, 1});
  short_smoothing.smoothing.assign(11, 1);
  const Bytes steel = ModelBuilder().Add(Box("alpha", {0, 0, 0}, {1, 1, 1}, "steel")).Build();
  const struct {
    const char* what;
    Bytes bytes;
    const char* message;
  } cases[] = {
      {"not a 3DS file", Edited(good, [](Bytes& f) { f[0] = 'P'; }), kFormat},
      {"too short", {0x4D, 0x4D, 6}, kFormat},
      {"main longer than the file",
       Edited(good, [](Bytes& f) { Put32(f, 2, uint32_t(f.size() + 1)); }), kRead},
      {"face index past the vertices", ModelBuilder().Add(bad_face).Build(), kRead},
      // The face material list claims 13 of 12 faces.
      {"face material count", Edited(steel, [](Bytes& f) { f[After(f, "steel")] = 13; }),
       kRead},
      // More vertices than the chunk holds.
      {"vertex count past its chunk",
       Edited(ModelBuilder().Add(few_vertices).Build(),
              [](Bytes& f) { f[After(f, "alpha") + 12] = 200; }),
       kRead},
      {"short smoothing groups", ModelBuilder().Add(short_smoothing).Build(), kRead},
      {"colour without a colour chunk",
       MaterialWith({0x20, 0xA0, 12, 0, 0, 0, 0x30, 0, 6, 0, 0, 0}),
       "L3DS::ReadColor - error this is not a color chunk"},
      {"percentage without a percentage chunk",
       MaterialWith({0x40, 0xA0, 12, 0, 0, 0, 0x11, 0, 6, 0, 0, 0}),
       "L3DS::ReadPercentage - error, the chunk is not a percentage chunk"},
      {"material without a name",  // the name chunk becomes an unknown one
       Edited(MaterialWith({}), [](Bytes& f) { f[f.size() - 7] = 0x10; }),
       "L3DS::ReadMaterial - error, expected chunk not found"},
      {"unterminated name", Edited(MaterialWith({}), [](Bytes& f) { f.back() = 'x'; }), kRead},
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

// Every prefix of a file, with the main chunk's length made to fit it so the reader goes in,
// and every chunk length replaced by values around its limits. Under the sanitizer build this
// shows that no damaged length or count reads outside the bytes.
void TortureFile(const std::vector<unsigned char>& good, size_t step) {
  test::LogCapture quiet;
  for (size_t n = 0; n < good.size(); n += step) {
    std::vector<unsigned char> f(good.begin(), good.begin() + n);
    if (n >= 6) Put32(f, 2, uint32_t(n));
    L3DS reader;
    reader.LoadFromMemory(f);  // may succeed when the cut falls between chunks
  }
  const std::vector<size_t> offsets = test::ChunkOffsets(good);
  ASSERT_GT(offsets.size(), 10u);
  for (size_t at : offsets) {
    uint32_t length = 0;
    for (int k = 0; k < 4; ++k) length |= uint32_t(good[at + 2 + k]) << (8 * k);
    for (uint32_t bad : {0u, 5u, 6u, 7u, length - 1, length + 1, length + 1000, 0xFFFFFFFFu}) {
      auto f = good;
      Put32(f, at + 2, bad);
      L3DS reader;
      reader.LoadFromMemory(f);
    }
  }
  std::mt19937 random(8);
  for (int round = 0; round < 300; ++round) {
    auto f = good;
    for (int k = 0; k < 4; ++k) f[random() % f.size()] = uint8_t(random());
    L3DS reader;
    reader.LoadFromMemory(f);
  }
}

TEST(L3DSTest, TruncatedAndCorruptedFilesFailCleanly) {
  const auto good = TwoBoxFile();
  TortureFile(good, 1);
  // A cut inside the geometry is refused (not read as a shorter model).
  auto f = std::vector<unsigned char>(good.begin(), good.begin() + good.size() / 2);
  Put32(f, 2, uint32_t(f.size()));
  LogCapture log;
  L3DS reader;
  EXPECT_FALSE(reader.LoadFromMemory(f));
  EXPECT_TRUE(log.Contains("L3DS::LoadFile - error reading from file"));
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
  // The figure's extent as published with the file.
  L3DS reader;
  ASSERT_TRUE(reader.LoadFile((test::RealDataDir() / "3ds/lowpoly_character.3ds").string()));
  float lo[3] = {1e9, 1e9, 1e9}, hi[3] = {-1e9, -1e9, -1e9};
  for (const L3DSMesh& mesh : reader.meshes())
    for (const auto& p : mesh.vertices)
      for (int k = 0; k < 3; ++k) lo[k] = std::min(lo[k], p[k]), hi[k] = std::max(hi[k], p[k]);
  EXPECT_NEAR(lo[0], -0.344, 1e-3);
  EXPECT_NEAR(hi[2], 1.335, 1e-3);
  EXPECT_NEAR(hi[1], 0.140, 1e-3);
}

TEST(L3DSTest, DamagedRealModelsFailCleanly) {
  KT_REQUIRE_REALDATA();
  for (const char* file : {"test1.3ds", "jeep1.3ds"}) {
    SCOPED_TRACE(file);
    const std::string text = test::ReadFile(test::RealDataDir() / "3ds" / file);
    ASSERT_FALSE(text.empty());
    const std::vector<unsigned char> good(text.begin(), text.end());
    TortureFile(good, 7);
  }
}

}  // namespace
}  // namespace kt
