// L3DS: the program's own reader of Autodesk 3D Studio (.3ds) files. A file is a tree of chunks,
// each a 16-bit identifier and a 32-bit length (header included), little-endian. Read are the
// editor's named triangle meshes (vertices, faces with their materials and smoothing groups,
// mapping coordinates, local matrix) and its materials (name, colours, percentages, texture
// maps); every other chunk is skipped by its length.
//
// A .3ds file comes from anywhere: every chunk length must fit inside its parent, every count
// inside its chunk and every index inside what it indexes. A file that breaks any of these is
// refused with a log line; nothing is read outside the bytes given.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kt {

struct L3DSColor {
  float r = 0.0f, g = 0.0f, b = 0.0f;
};

struct L3DSMaterial {
  std::string name;
  L3DSColor ambient, diffuse, specular;
  float shininess = 0.0f;     // 0..1
  float transparency = 0.0f;  // 0..1
  std::string texture;        // file name of the first texture map, empty when none
};

struct L3DSTriangle {
  uint32_t a = 0, b = 0, c = 0;  // indices into the mesh's vertex arrays
};

struct L3DSMesh {
  std::string name;
  // As stored in the file.
  int file_vertex_count = 0;
  int file_face_count = 0;
  // Drawing arrays, all of one length. A file vertex whose faces lie in different smoothing
  // groups appears once per group, each copy with its own normal.
  std::vector<std::array<float, 4>> vertices;  // x, y, z, w (w is always 1)
  std::vector<std::array<float, 3>> normals;   // unit length
  std::vector<std::array<float, 2>> uvs;       // (0, 0) where the file has no mapping
  std::vector<L3DSTriangle> triangles;
  std::vector<int> triangle_material;  // index into materials(), -1 for none
  std::array<float, 12> matrix = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};  // 3 axes, origin
};

class L3DS {
 public:
  // Reads a file; false with the reason logged (error() keeps the same text).
  bool LoadFile(const std::string& path);
  // The same from bytes in memory.
  bool LoadFromMemory(std::span<const unsigned char> data);

  const std::vector<L3DSMaterial>& materials() const { return materials_; }
  const std::vector<L3DSMesh>& meshes() const { return meshes_; }
  // The first mesh of that name (exact match), or nullptr.
  const L3DSMesh* FindMesh(const std::string& name) const;
  // The message of the last failure, empty after a success.
  const std::string& error() const { return error_; }

 private:
  struct Chunk {
    uint16_t id = 0;
    size_t start = 0;  // offset of the header
    size_t end = 0;    // one past the last byte
    size_t data = 0;   // offset of the contents
  };
  struct RawMesh;

  void Clear();
  bool Fail(const char* message, const std::string& detail = "");
  bool ReadChunk(size_t at, size_t parent_end, Chunk& chunk);
  bool Read3DS();
  bool ReadEditor(const Chunk& editor);
  bool ReadObject(const Chunk& object);
  bool ReadMesh(const Chunk& mesh, RawMesh& raw);
  bool ReadFaceList(const Chunk& faces, RawMesh& raw);
  bool ReadMaterial(const Chunk& material);
  bool ReadMap(const Chunk& map, L3DSMaterial& material);
  bool ReadColor(const Chunk& parent, L3DSColor& color);
  bool ReadPercentage(const Chunk& parent, float& value);
  bool ReadString(size_t& at, size_t end, std::string& out);
  bool BuildMesh(const RawMesh& raw);
  bool ResolveMaterials();

  std::span<const unsigned char> data_;
  std::vector<L3DSMaterial> materials_;
  std::vector<L3DSMesh> meshes_;
  // Face material names per mesh until every material has been read (they may come later).
  std::vector<std::vector<std::pair<std::string, std::vector<uint32_t>>>> face_groups_;
  std::string error_;
};

}  // namespace kt
