// Writes 3DS files for the tests and the fuzzer's seeds through the game's 3DS writer: named
// meshes with mapping coordinates, face materials and smoothing groups, and materials with a
// colour and a texture map.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "render/l3ds_writer.h"

namespace kt::test {

// Named meshes: optional mapping, face material and smoothing chunks (render/l3ds_writer.h).
using BuilderMesh = L3DSWriterMesh;

struct BuilderMaterial {
  std::string name;
  std::string texture;  // empty: no texture map
  std::array<float, 3> diffuse = {0.8f, 0.8f, 0.8f};
};

class ModelBuilder {
 public:
  ModelBuilder& Add(const BuilderMesh& mesh);
  ModelBuilder& Add(const BuilderMaterial& material);
  // Materials first (as 3D Studio writes them) or after the meshes.
  std::vector<unsigned char> Build(bool materials_first = true) const;

 private:
  std::vector<BuilderMesh> meshes_;
  std::vector<BuilderMaterial> materials_;
};

// A box with mapping coordinates: 8 corners, 12 faces; the corners are `lo` and `hi`.
BuilderMesh Box(const std::string& name, std::array<float, 3> lo, std::array<float, 3> hi,
                const std::string& material = "");

// A square prism around the segment from `from` to `to` with the given half width: 8 corners,
// 12 faces.
BuilderMesh Prism(const std::string& name, std::array<float, 3> from, std::array<float, 3> to,
                  float half_width, const std::string& material = "");

// The thirteen part names, in list order, with the reference joints each part spans (base,
// tip), in model units.
struct PartSpan {
  const char* name;
  std::array<float, 3> base, tip;
};
const std::vector<PartSpan>& PartSpans();

}  // namespace kt::test
