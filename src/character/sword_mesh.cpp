// The sword mesh: a blade, guard and grip laid along x for the sword display list.
//
// Each part is a convex solid swept along x through cross-section rings (closed by caps or a
// point), so every face normal can be turned outward by testing it against the part's centre.
#include "character/sword_mesh.h"

#include <cmath>
#include <numbers>

namespace kt {
namespace {

constexpr float kTipX = 0.52f;
constexpr float kMeshStartX = -0.615f;

struct Ring {
  float x = 0.0f;
  std::vector<CVector> points;  // x set, counter-clockwise in y-z seen from +x
};

// Cross-section polygons in the y-z plane.
Ring Polygon(float x, int sides, float radius_y, float radius_z) {
  Ring ring{x, {}};
  for (int i = 0; i < sides; ++i) {
    const double a = 2.0 * std::numbers::pi * (i + 0.5) / sides;
    ring.points.push_back({x, float(radius_y * std::cos(a)), float(radius_z * std::sin(a))});
  }
  return ring;
}

// A flattened hexagon: the blade's two edges at +-y, its flats bevelled towards them.
Ring BladeSection(float x, float half_width, float half_thickness) {
  const float w = half_width, b = half_width * 0.55f, t = half_thickness;
  return {x, {{x, w, 0}, {x, b, t}, {x, -b, t}, {x, -w, 0}, {x, -b, -t}, {x, b, -t}}};
}

class MeshBuilder {
 public:
  explicit MeshBuilder(SwordMesh& mesh) : mesh_(mesh) {}

  void BeginPart() {
    part_first_triangle_ = int(mesh_.triangles.size());
    part_points_.clear();
  }
  // Sides between consecutive rings (all with the same point count), caps where asked, and a
  // point beyond the last ring when `apex` is given.
  void Sweep(const std::vector<Ring>& rings, bool cap_start, bool cap_end, const CVector* apex) {
    std::vector<std::vector<int>> index(rings.size());
    for (size_t r = 0; r < rings.size(); ++r)
      for (const CVector& p : rings[r].points) index[r].push_back(AddVertex(p));
    const int n = int(rings[0].points.size());
    for (size_t r = 0; r + 1 < rings.size(); ++r)
      for (int i = 0; i < n; ++i) {
        const int j = (i + 1) % n;
        Triangle(index[r][i], index[r][j], index[r + 1][j]);
        Triangle(index[r][i], index[r + 1][j], index[r + 1][i]);
      }
    auto cap = [&](const std::vector<int>& ring) {
      for (int i = 1; i + 1 < n; ++i) Triangle(ring[0], ring[i], ring[i + 1]);
    };
    if (cap_start) cap(index.front());
    if (cap_end && !apex) cap(index.back());
    if (apex) {
      const int tip = AddVertex(*apex);
      for (int i = 0; i < n; ++i) Triangle(index.back()[i], index.back()[(i + 1) % n], tip);
    }
  }
  // Turns every face of the part away from its centre (the parts are convex) and gives each
  // its flat normal.
  void EndPart() {
    CVector centre;
    for (const CVector& p : part_points_) centre += p;
    centre = centre / float(part_points_.size());
    for (size_t t = size_t(part_first_triangle_); t < mesh_.triangles.size(); ++t) {
      SwordMesh::Triangle& tri = mesh_.triangles[t];
      const CVector& a = mesh_.vertices[size_t(tri.v[0])];
      const CVector& b = mesh_.vertices[size_t(tri.v[1])];
      const CVector& c = mesh_.vertices[size_t(tri.v[2])];
      CVector normal = Cross(b - a, c - a);
      const CVector face_centre = (a + b + c) / 3.0f;
      if (Dot(normal, face_centre - centre) < 0.0f) {
        std::swap(tri.v[1], tri.v[2]);
        normal = normal * -1.0f;
      }
      normal.Normalize();
      const int n = int(mesh_.normals.size());
      mesh_.normals.push_back(normal);
      for (int k = 0; k < 3; ++k) {
        tri.n[k] = n;
        tri.t[k] = tri.v[k];
      }
    }
  }

 private:
  int AddVertex(const CVector& p) {
    part_points_.push_back(p);
    mesh_.vertices.push_back(p);
    // Along the sword, and round the section.
    const float s = (p.x - kMeshStartX) / (kTipX - kMeshStartX);
    const float t = 0.5f + float(std::atan2(p.z, p.y) / (2.0 * std::numbers::pi));
    mesh_.texcoords.push_back({s, t});
    return int(mesh_.vertices.size()) - 1;
  }
  void Triangle(int a, int b, int c) { mesh_.triangles.push_back({{a, b, c}, {}, {}}); }

  SwordMesh& mesh_;
  int part_first_triangle_ = 0;
  std::vector<CVector> part_points_;
};

void AddRun(SwordMesh& mesh, int first, const float colour[3], float specular, float shininess) {
  SwordMesh::Run run;
  run.first = first;
  run.count = int(mesh.triangles.size()) - first;
  for (int i = 0; i < 3; ++i) {
    run.colour[i] = colour[i];
    run.specular[i] = specular;
  }
  run.shininess = shininess;
  mesh.runs.push_back(run);
}

SwordMesh BuildMesh() {
  SwordMesh mesh;
  MeshBuilder builder(mesh);

  // Steel: the blade narrows a little towards the point.
  const CVector tip{kTipX, 0.0f, 0.0f};
  builder.BeginPart();
  builder.Sweep({BladeSection(-0.335f, 0.034f, 0.008f), BladeSection(0.40f, 0.026f, 0.00612f)},
                true, false, &tip);
  builder.EndPart();
  constexpr float kSteel[3] = {0.78f, 0.8f, 0.86f};
  AddRun(mesh, 0, kSteel, 0.9f, 90.0f);

  // Brass: the cross guard and the pommel.
  const int brass = int(mesh.triangles.size());
  builder.BeginPart();
  builder.Sweep({Polygon(-0.365f, 4, 0.184f, 0.031f), Polygon(-0.335f, 4, 0.184f, 0.031f)}, true,
                true, nullptr);
  builder.EndPart();
  builder.BeginPart();
  builder.Sweep({Polygon(kMeshStartX, 8, 0.024f, 0.024f), Polygon(-0.595f, 8, 0.036f, 0.036f),
                 Polygon(-0.575f, 8, 0.026f, 0.026f)},
                true, true, nullptr);
  builder.EndPart();
  constexpr float kBrass[3] = {0.62f, 0.48f, 0.2f};
  AddRun(mesh, brass, kBrass, 0.5f, 40.0f);

  // Leather: the grip the hands hold, round x = -0.48.
  const int grip = int(mesh.triangles.size());
  builder.BeginPart();
  builder.Sweep({Polygon(-0.575f, 8, 0.02f, 0.02f), Polygon(-0.365f, 8, 0.02f, 0.02f)}, true, true,
                nullptr);
  builder.EndPart();
  constexpr float kLeather[3] = {0.22f, 0.13f, 0.08f};
  AddRun(mesh, grip, kLeather, 0.05f, 5.0f);
  return mesh;
}

}  // namespace

const SwordMesh& GetSwordMesh() {
  static const SwordMesh mesh = BuildMesh();
  return mesh;
}

}  // namespace kt
