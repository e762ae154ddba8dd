// Writing 3D Studio (.3ds) files, the other side of render/l3ds.h: chunks whose lengths are
// filled in when they close, and the editor's named triangle meshes. The content generator
// writes the knight with it, the tests their models (a test may damage lengths afterwards).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kt {

struct L3DSWriterMesh {
  std::string name;
  std::vector<std::array<float, 3>> vertices;
  std::vector<std::array<float, 2>> uvs;  // empty: no mapping chunk
  std::vector<std::array<uint16_t, 3>> faces;
  std::string material;             // empty: no face material chunk
  std::vector<uint32_t> smoothing;  // empty: no smoothing chunk
};

class L3DSWriter {
 public:
  // Starts a chunk and returns its offset, for Close.
  size_t Open(uint16_t id);
  // Writes the length of the chunk opened at `at` (everything written since, header included).
  void Close(size_t at);

  // Little-endian values; Str writes the bytes and a terminating zero.
  void U8(uint8_t v) { bytes_.push_back(v); }
  void U16(uint16_t v);
  void U32(uint32_t v);
  void F32(float v);
  void Str(const std::string& s);

  // The main chunk with its version (3), and the editor chunk with its mesh version (3); close
  // both with Close.
  size_t OpenMain();
  size_t OpenEditor();
  // Chunk `id` holding a 24-bit colour (0..1 per channel) or an integer percentage.
  void Colour(uint16_t id, const std::array<float, 3>& rgb);
  void Percent(uint16_t id, int percent);
  // A named object with its triangle mesh: vertices, mapping, an identity local matrix, faces
  // with all edges visible, their material and smoothing groups.
  void Mesh(const L3DSWriterMesh& mesh);

  const std::vector<unsigned char>& bytes() const { return bytes_; }

 private:
  // Chunk `id` opening with a version chunk `version_id` holding 3.
  size_t OpenVersioned(uint16_t id, uint16_t version_id);

  std::vector<unsigned char> bytes_;
};

}  // namespace kt
