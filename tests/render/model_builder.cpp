#include "model_builder.h"

#include <cmath>

namespace kt::test {

namespace {

void WriteMaterial(L3DSWriter& w, const BuilderMaterial& m) {
  const size_t block = w.Open(0xAFFF);
  const size_t name = w.Open(0xA000);
  w.Str(m.name);
  w.Close(name);
  w.Colour(0xA020, m.diffuse);
  w.Percent(0xA040, 25);
  if (!m.texture.empty()) {
    const size_t map = w.Open(0xA200);
    const size_t file = w.Open(0xA300);
    w.Str(m.texture);
    w.Close(file);
    w.Close(map);
  }
  w.Close(block);
}

}  // namespace

ModelBuilder& ModelBuilder::Add(const BuilderMesh& mesh) {
  meshes_.push_back(mesh);
  return *this;
}

ModelBuilder& ModelBuilder::Add(const BuilderMaterial& material) {
  materials_.push_back(material);
  return *this;
}

std::vector<unsigned char> ModelBuilder::Build(bool materials_first) const {
  L3DSWriter w;
  const size_t main = w.OpenMain();
  const size_t editor = w.OpenEditor();
  if (materials_first)
    for (const auto& m : materials_) WriteMaterial(w, m);
  for (const auto& m : meshes_) w.Mesh(m);
  if (!materials_first)
    for (const auto& m : materials_) WriteMaterial(w, m);
  w.Close(editor);
  const size_t keyframes = w.Open(0xB000);  // skipped by the reader
  w.U32(0);
  w.Close(keyframes);
  w.Close(main);
  return w.bytes();
}

BuilderMesh Box(const std::string& name, std::array<float, 3> lo, std::array<float, 3> hi,
                const std::string& material) {
  BuilderMesh m;
  m.name = name;
  m.material = material;
  for (int i = 0; i < 8; ++i) {
    m.vertices.push_back({i & 1 ? hi[0] : lo[0], i & 2 ? hi[1] : lo[1], i & 4 ? hi[2] : lo[2]});
    m.uvs.push_back({float(i & 1), float((i >> 1) & 1)});
  }
  // Two triangles per side, wound outwards.
  m.faces = {{0, 2, 1}, {1, 2, 3}, {4, 5, 6}, {5, 7, 6}, {0, 1, 4}, {1, 5, 4},
             {2, 6, 3}, {3, 6, 7}, {0, 4, 2}, {2, 4, 6}, {1, 3, 5}, {3, 7, 5}};
  return m;
}

BuilderMesh Prism(const std::string& name, std::array<float, 3> from, std::array<float, 3> to,
                  float half_width, const std::string& material) {
  BuilderMesh m = Box(name, {0, -half_width, -half_width}, {1, half_width, half_width}, material);
  // Map x onto the segment; y and z onto two directions across it.
  const std::array<float, 3> d = {to[0] - from[0], to[1] - from[1], to[2] - from[2]};
  const float len = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
  const std::array<float, 3> u = {d[0] / len, d[1] / len, d[2] / len};
  std::array<float, 3> a =
      std::fabs(u[0]) < 0.9f ? std::array<float, 3>{1, 0, 0} : std::array<float, 3>{0, 1, 0};
  const float dot = a[0] * u[0] + a[1] * u[1] + a[2] * u[2];
  for (int k = 0; k < 3; ++k) a[k] -= dot * u[k];
  const float la = std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]);
  for (float& v : a) v /= la;
  const std::array<float, 3> b = {u[1] * a[2] - u[2] * a[1], u[2] * a[0] - u[0] * a[2],
                                  u[0] * a[1] - u[1] * a[0]};
  for (auto& v : m.vertices) {
    const std::array<float, 3> p = v;
    for (int k = 0; k < 3; ++k) v[k] = from[k] + d[k] * p[0] + a[k] * p[1] + b[k] * p[2];
  }
  return m;
}

const std::vector<PartSpan>& PartSpans() {
  static const std::array<float, 3> j[16] = {{0, 9.86f, 0},
                                             {0, 15.88f, 0},
                                             {1.86f, 14.55f, 0.15f},
                                             {2.61f, 11.97f, -0.45f},
                                             {3.13f, 8.8f, -0.34f},
                                             {-1.86f, 14.55f, 0.15f},
                                             {-2.47f, 11.99f, -0.36f},
                                             {-3.029f, 8.8f, -0.232f},
                                             {-1.2f, 8.5f, 0.1f},
                                             {-1.2f, 5.0f, 0},
                                             {-1.45f, 0.34f, -0.831f},
                                             {-1.531f, 0, 0.64f},
                                             {1.2f, 8.5f, 0.1f},
                                             {1.25f, 5.0f, 0},
                                             {1.57f, 0.37f, -0.83f},
                                             {1.62f, 0, 0.64f}};
  static const std::vector<PartSpan> spans = {
      {"head", j[0], j[1]},       {"torso", j[0], j[1]},        {"leftuppera", j[2], j[3]},
      {"leftlowera", j[3], j[4]}, {"lefthand", j[3], j[4]},     {"rightuarm", j[5], j[6]},
      {"rightlarm", j[6], j[7]},  {"leftupperl", j[12], j[13]}, {"leftlowerl", j[13], j[14]},
      {"leftfoot", j[14], j[15]}, {"rightuleg", j[8], j[9]},    {"rightlleg", j[9], j[10]},
      {"rightfoot", j[10], j[11]}};
  return spans;
}

}  // namespace kt::test
