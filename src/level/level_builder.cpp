// Level builder. Sections: description parsing; geometry (planes, brushes, faces); lightmaps;
// the BSP tree; entities and the whole map; image files (textures, sky box).
//
// Everything is built in the file's z-up frame: a game point (x, y, z) is (x, -z, y) there.
// The tree is a k-d tree over the brushes' own side planes, so every leaf lies either wholly
// inside brushes (solid: no cluster, lists those brushes) or wholly outside them (a cluster of
// its own, lists the faces on its boundary). Every cluster sees every other.
#include "level/level_builder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "console/log.h"
#include "render/image_writer.h"

namespace kt {

namespace {

namespace fs = std::filesystem;

// ---------------------------------------------------------------- description parsing

bool ParseFloats(const std::vector<std::string>& words, size_t first, size_t count, float* out) {
  if (first + count > words.size()) return false;
  for (size_t i = 0; i < count; ++i) {
    char* end = nullptr;
    const float v = std::strtof(words[first + i].c_str(), &end);
    if (end == words[first + i].c_str() || *end != '\0' || !std::isfinite(v)) return false;
    out[i] = v;
  }
  return true;
}

const char* const kPatterns[] = {"flat",  "checker", "brick", "stone",
                                 "tiles", "wood",    "grass", "water"};

bool ParseTexture(const std::vector<std::string>& w, LevelDescription& d, std::string& why) {
  LevelTextureDesc t;
  if (w.size() < 6 || !ParseFloats(w, 3, 3, t.color)) {
    why = "texture needs NAME PATTERN R G B";
    return false;
  }
  t.name = w[1];
  t.pattern = w[2];
  if (std::find(std::begin(kPatterns), std::end(kPatterns), t.pattern) == std::end(kPatterns)) {
    why = "unknown texture pattern \"" + t.pattern + "\"";
    return false;
  }
  if (t.name.size() + 4 >= sizeof(BspTexture::name)) {
    why = "texture name longer than 59 characters";
    return false;
  }
  for (size_t i = 6; i < w.size(); ++i) {
    if (w[i] == "tga") {
      t.tga = true;
    } else if (w[i] == "sky") {
      t.sky = true;
    } else if (w[i] == "scale" && ParseFloats(w, i + 1, 1, &t.scale) && t.scale > 0) {
      ++i;
    } else {
      why = "bad texture option \"" + w[i] + "\"";
      return false;
    }
  }
  if (d.textures.size() >= size_t(kMaxBspTextures)) {
    why = "more than 512 textures";
    return false;
  }
  for (const LevelTextureDesc& other : d.textures)
    if (other.name == t.name) {
      why = "texture \"" + t.name + "\" declared twice";
      return false;
    }
  d.textures.push_back(t);
  return true;
}

bool ParseBrush(const std::vector<std::string>& w, LevelDescription& d, std::string& why) {
  float c[6];
  if (w.size() < 8 || w.size() > 9 || !ParseFloats(w, 1, 6, c)) {
    why = "brush needs X0 Y0 Z0 X1 Y1 Z1 TEXTURE [nodraw]";
    return false;
  }
  LevelBrushDesc b;
  for (int a = 0; a < 3; ++a) {
    b.min[a] = std::min(c[a], c[a + 3]);
    b.max[a] = std::max(c[a], c[a + 3]);
    if (!(b.max[a] > b.min[a])) {
      why = "brush has no volume";
      return false;
    }
  }
  auto it = std::find_if(d.textures.begin(), d.textures.end(),
                         [&](const LevelTextureDesc& t) { return t.name == w[7]; });
  if (it == d.textures.end()) {
    why = "undeclared texture \"" + w[7] + "\"";
    return false;
  }
  b.texture = int(it - d.textures.begin());
  if (w.size() == 9) {
    if (w[8] != "nodraw") {
      why = "bad brush option \"" + w[8] + "\"";
      return false;
    }
    b.nodraw = true;
  }
  d.brushes.push_back(b);
  return true;
}

bool ParseStatement(const std::vector<std::string>& w, LevelDescription& d, std::string& why) {
  const std::string& k = w[0];
  if (k == "texture") return ParseTexture(w, d, why);
  if (k == "brush") return ParseBrush(w, d, why);
  if (k == "ambient") {
    if (w.size() == 2 && ParseFloats(w, 1, 1, d.ambient)) {
      d.ambient[1] = d.ambient[2] = d.ambient[0];
      return true;
    }
    if (w.size() == 4 && ParseFloats(w, 1, 3, d.ambient)) return true;
    why = "ambient needs V or R G B";
    return false;
  }
  if (k == "light") {
    LevelLightDesc l;
    if ((w.size() != 5 && w.size() != 8) || !ParseFloats(w, 1, 3, l.position) ||
        !ParseFloats(w, 4, 1, &l.radius) || l.radius <= 0 ||
        (w.size() == 8 && !ParseFloats(w, 5, 3, l.color))) {
      why = "light needs X Y Z RADIUS [R G B]";
      return false;
    }
    d.lights.push_back(l);
    return true;
  }
  if (k == "lightmap_scale") {
    if (w.size() == 2 && ParseFloats(w, 1, 1, &d.lightmap_scale) && d.lightmap_scale > 0)
      return true;
    why = "lightmap_scale needs a positive number";
    return false;
  }
  if (k == "skybox") {
    if (w.size() != 8 || !ParseFloats(w, 2, 3, d.sky_zenith) ||
        !ParseFloats(w, 5, 3, d.sky_horizon)) {
      why = "skybox needs PREFIX ZR ZG ZB HR HG HB";
      return false;
    }
    d.has_skybox = true;
    d.skybox_prefix = w[1];
    return true;
  }
  if (k == "entity") {
    LevelEntityDesc e;
    if (w.size() < 5 || (w.size() - 5) % 2 != 0 || !ParseFloats(w, 2, 3, e.origin)) {
      why = "entity needs CLASSNAME X Y Z [KEY VALUE]...";
      return false;
    }
    e.classname = w[1];
    for (size_t i = 5; i + 1 < w.size(); i += 2) e.keys.emplace_back(w[i], w[i + 1]);
    d.entities.push_back(e);
    return true;
  }
  why = "unknown statement \"" + k + "\"";
  return false;
}

// ---------------------------------------------------------------- geometry

struct Box {
  float min[3];
  float max[3];
};

// Game frame to file frame.
Box ToFileFrame(const float gmin[3], const float gmax[3]) {
  return {{gmin[0], -gmax[2], gmin[1]}, {gmax[0], -gmin[2], gmax[1]}};
}

void ToFileFrame(const float g[3], float out[3]) {
  out[0] = g[0];
  out[1] = -g[2];
  out[2] = g[1];
}

// One drawn brush side: the rectangle on an axis plane.
struct FaceRect {
  int brush;
  int axis;  // normal axis
  int sign;  // +1 or -1
  Box rect;  // min == max along the axis
  int texture;
};

class Builder {
 public:
  explicit Builder(const LevelDescription& d) : d_(d) {}

  BspData Build() {
    for (const LevelBrushDesc& b : d_.brushes) boxes_.push_back(ToFileFrame(b.min, b.max));
    WriteTextures();
    WriteBrushes();
    CollectFaces();
    // Coarser lightmaps rather than more pages than the level holds.
    texel_ = d_.lightmap_scale;
    while (PagesNeeded() > kMaxBspLightmaps) texel_ *= 2;
    WriteFaces();
    WriteTree();
    WriteEntities();
    WriteModelAndVisibility();
    return std::move(out_);
  }

 private:
  int Plane(int axis, int sign, float dist) {
    const auto key = std::make_tuple(axis, sign, dist);
    auto it = plane_index_.find(key);
    if (it != plane_index_.end()) return it->second;
    BspPlane p{};
    p.normal[axis] = float(sign);
    p.dist = dist;
    out_.planes.push_back(p);
    return plane_index_[key] = int(out_.planes.size()) - 1;
  }

  void WriteTextures() {
    for (const LevelTextureDesc& t : d_.textures) {
      BspTexture record{};
      std::snprintf(record.name, sizeof(record.name), "%s", t.name.c_str());
      record.flags = t.sky ? kSkyTextureFlags : 0;
      record.contents = 1;  // solid
      out_.textures.push_back(record);
    }
  }

  void WriteBrushes() {
    for (size_t i = 0; i < boxes_.size(); ++i) {
      const Box& b = boxes_[i];
      const int texture = d_.brushes[i].texture;
      out_.brushes.push_back({int32_t(out_.brush_sides.size()), 6, texture});
      for (int axis = 0; axis < 3; ++axis) {
        out_.brush_sides.push_back({Plane(axis, -1, -b.min[axis]), texture});
        out_.brush_sides.push_back({Plane(axis, +1, b.max[axis]), texture});
      }
    }
  }

  // Closed containment of a rectangle in a box.
  static bool Contains(const Box& box, const Box& r) {
    for (int a = 0; a < 3; ++a)
      if (r.min[a] < box.min[a] || r.max[a] > box.max[a]) return false;
    return true;
  }

  void CollectFaces() {
    for (size_t i = 0; i < boxes_.size(); ++i) {
      if (d_.brushes[i].nodraw) continue;
      for (int axis = 0; axis < 3; ++axis) {
        for (int sign : {-1, 1}) {
          FaceRect f{int(i), axis, sign, boxes_[i], d_.brushes[i].texture};
          const float c = sign > 0 ? boxes_[i].max[axis] : boxes_[i].min[axis];
          f.rect.min[axis] = f.rect.max[axis] = c;
          bool covered = false;
          for (size_t j = 0; j < boxes_.size() && !covered; ++j)
            covered = j != i && !d_.brushes[j].nodraw && Contains(boxes_[j], f.rect);
          if (!covered) rects_.push_back(f);
        }
      }
    }
  }

  // --------------------------------------------------------------- faces and lightmaps

  // The two in-plane axes of a face, in an order that makes (u, v, normal) right-handed.
  static void FaceAxes(const FaceRect& f, int& u, int& v) {
    u = (f.axis + 1) % 3;
    v = (f.axis + 2) % 3;
    if (f.sign < 0) std::swap(u, v);
  }

  // Lightmap texels of a face along its two in-plane axes.
  void TileSize(const FaceRect& f, int u, int v, int& w, int& h) const {
    w = std::clamp(int(std::ceil((f.rect.max[u] - f.rect.min[u]) / texel_)) + 1, 2, 128);
    h = std::clamp(int(std::ceil((f.rect.max[v] - f.rect.min[v]) / texel_)) + 1, 2, 128);
  }

  // Pages the faces' lightmaps take at the current texel size (a dry run of the packing).
  int PagesNeeded() {
    for (const FaceRect& f : rects_) {
      int u, v, w, h, page, x, y;
      FaceAxes(f, u, v);
      TileSize(f, u, v, w, h);
      Allocate(w, h, page, x, y, false);
    }
    const int pages = pages_;
    pages_ = shelf_x_ = shelf_y_ = shelf_h_ = 0;
    return pages;
  }

  void WriteFaces() {
    for (const FaceRect& f : rects_) {
      int u, v, w, h;
      FaceAxes(f, u, v);
      TileSize(f, u, v, w, h);
      const float scale = d_.textures[f.texture].scale;
      const float extent_u = f.rect.max[u] - f.rect.min[u];
      const float extent_v = f.rect.max[v] - f.rect.min[v];
      int page, x, y;
      Allocate(w, h, page, x, y, true);

      BspFace face{};
      face.texture = f.texture;
      face.shader = -1;
      face.type = kFacePolygon;
      face.vertex = int32_t(out_.vertices.size());
      face.vertex_count = 4;
      face.mesh_vertex = int32_t(out_.mesh_vertices.size());
      face.mesh_vertex_count = 6;
      face.lightmap = page;
      face.lm_start[0] = x;
      face.lm_start[1] = y;
      face.lm_size[0] = w;
      face.lm_size[1] = h;
      face.normal[f.axis] = float(f.sign);
      for (int a = 0; a < 3; ++a) face.lm_origin[a] = f.rect.min[a];
      face.lm_vecs[0][u] = extent_u;
      face.lm_vecs[1][v] = extent_v;
      out_.faces.push_back(face);

      const int corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
      for (const auto& c : corners) {
        BspVertex vert{};
        for (int a = 0; a < 3; ++a) vert.position[a] = f.rect.min[a];
        vert.position[u] = c[0] ? f.rect.max[u] : f.rect.min[u];
        vert.position[v] = c[1] ? f.rect.max[v] : f.rect.min[v];
        // Walls take t from the height, so every wall's texture stands upright.
        vert.texcoord[0] = vert.position[f.axis == 0 ? 1 : 0] / scale;
        vert.texcoord[1] = vert.position[f.axis == 2 ? 1 : 2] / scale;
        vert.lmcoord[0] = (x + 0.5f + c[0] * (w - 1)) / kLightmapSide;
        vert.lmcoord[1] = (y + 0.5f + c[1] * (h - 1)) / kLightmapSide;
        vert.normal[f.axis] = float(f.sign);
        std::fill(std::begin(vert.color), std::end(vert.color), uint8_t(255));
        out_.vertices.push_back(vert);
      }
      for (int m : {0, 1, 2, 0, 2, 3}) out_.mesh_vertices.push_back(m);
      LightFace(f, u, v, w, h, page, x, y);
    }
  }

  // Shelf packing into 128 x 128 pages.
  void Allocate(int w, int h, int& page, int& x, int& y, bool store) {
    if (pages_ == 0 || shelf_x_ + w > kLightmapSide) {
      shelf_x_ = 0;
      shelf_y_ += shelf_h_;
      shelf_h_ = 0;
    }
    if (pages_ == 0 || shelf_y_ + h > kLightmapSide) {
      ++pages_;
      if (store) out_.lightmaps.resize(size_t(pages_) * kLightmapBytes, 0);
      shelf_x_ = shelf_y_ = shelf_h_ = 0;
    }
    page = pages_ - 1;
    x = shelf_x_;
    y = shelf_y_;
    shelf_x_ += w;
    shelf_h_ = std::max(shelf_h_, h);
  }

  // Does the segment from p to q pass through a drawn brush?
  bool Shadowed(const float p[3], const float q[3]) const {
    for (size_t i = 0; i < boxes_.size(); ++i) {
      if (d_.brushes[i].nodraw) continue;
      float t0 = 0.0f, t1 = 1.0f;
      bool hit = true;
      for (int a = 0; a < 3 && hit; ++a) {
        const float dir = q[a] - p[a];
        if (std::fabs(dir) < 1e-9f) {
          hit = p[a] > boxes_[i].min[a] && p[a] < boxes_[i].max[a];
          continue;
        }
        float ta = (boxes_[i].min[a] - p[a]) / dir, tb = (boxes_[i].max[a] - p[a]) / dir;
        if (ta > tb) std::swap(ta, tb);
        t0 = std::max(t0, ta);
        t1 = std::min(t1, tb);
        hit = t0 < t1;
      }
      if (hit) return true;
    }
    return false;
  }

  void LightFace(const FaceRect& f, int u, int v, int w, int h, int page, int x, int y) {
    const float offset = std::min(0.01f, texel_ * 0.1f);
    uint8_t* lightmap = out_.lightmaps.data() + size_t(page) * kLightmapBytes;
    for (int j = 0; j < h; ++j) {
      for (int i = 0; i < w; ++i) {
        float p[3];
        for (int a = 0; a < 3; ++a) p[a] = f.rect.min[a];
        p[u] = f.rect.min[u] + (f.rect.max[u] - f.rect.min[u]) * i / (w - 1);
        p[v] = f.rect.min[v] + (f.rect.max[v] - f.rect.min[v]) * j / (h - 1);
        p[f.axis] += f.sign * offset;
        float c[3] = {d_.ambient[0], d_.ambient[1], d_.ambient[2]};
        for (const LevelLightDesc& light : d_.lights) {
          float l[3];
          ToFileFrame(light.position, l);
          const float to[3] = {l[0] - p[0], l[1] - p[1], l[2] - p[2]};
          const float dist = std::sqrt(to[0] * to[0] + to[1] * to[1] + to[2] * to[2]);
          if (dist >= light.radius || dist <= 0) continue;
          const float lambert = f.sign * to[f.axis] / dist;
          if (lambert <= 0 || Shadowed(p, l)) continue;
          const float k = lambert * (1 - dist / light.radius);
          for (int a = 0; a < 3; ++a) c[a] += light.color[a] * k;
        }
        uint8_t* px = lightmap + ((size_t(y) + j) * kLightmapSide + x + i) * 3;
        // Loading brightens by 10: store a tenth.
        for (int a = 0; a < 3; ++a)
          px[a] = uint8_t(std::clamp(std::lround(c[a] * 25.5f), 0L, 255L));
      }
    }
  }

  // --------------------------------------------------------------- tree

  // Child reference of a region and the brushes overlapping it.
  int32_t BuildNode(const Box& region, const std::vector<int>& brushes) {
    int axis = -1;
    float split = 0;
    ChooseSplit(region, brushes, axis, split);
    if (axis < 0) return -(MakeLeaf(region, brushes) + 1);
    const int index = int(out_.nodes.size());
    out_.nodes.push_back({});
    {
      BspNode& node = out_.nodes[index];
      node.plane = Plane(axis, +1, split);
      for (int a = 0; a < 3; ++a) {
        node.mins[a] = int32_t(std::floor(region.min[a]));
        node.maxs[a] = int32_t(std::ceil(region.max[a]));
      }
    }
    Box front = region, back = region;
    front.min[axis] = back.max[axis] = split;
    std::vector<int> front_brushes, back_brushes;
    for (int b : brushes) {
      if (boxes_[b].max[axis] > split) front_brushes.push_back(b);
      if (boxes_[b].min[axis] < split) back_brushes.push_back(b);
    }
    const int32_t front_child = BuildNode(front, front_brushes);
    const int32_t back_child = BuildNode(back, back_brushes);
    out_.nodes[index].children[0] = front_child;
    out_.nodes[index].children[1] = back_child;
    return index;
  }

  // Picks the brush side plane inside the region that cuts the fewest brushes, then balances
  // the two halves; axis -1 when no side lies strictly inside.
  void ChooseSplit(const Box& region, const std::vector<int>& brushes, int& axis,
                   float& split) const {
    const size_t n = brushes.size();
    long best = -1;
    for (int a = 0; a < 3; ++a) {
      std::vector<float> mins, maxs;
      for (int b : brushes) {
        mins.push_back(boxes_[b].min[a]);
        maxs.push_back(boxes_[b].max[a]);
      }
      std::sort(mins.begin(), mins.end());
      std::sort(maxs.begin(), maxs.end());
      std::vector<float> candidates = mins;
      candidates.insert(candidates.end(), maxs.begin(), maxs.end());
      for (float c : candidates) {
        if (!(c > region.min[a] && c < region.max[a])) continue;
        const long back = std::lower_bound(mins.begin(), mins.end(), c) - mins.begin();
        const long front = long(n) - (std::upper_bound(maxs.begin(), maxs.end(), c) - maxs.begin());
        const long cut = back + front - long(n);
        const long cost = cut * 8 + std::labs(front - back) + 1;
        if (best < 0 || cost < best) {
          best = cost;
          axis = a;
          split = c;
        }
      }
    }
  }

  int MakeLeaf(const Box& region, const std::vector<int>& brushes) {
    BspLeaf leaf{};
    leaf.cluster = brushes.empty() ? clusters_++ : -1;
    for (int a = 0; a < 3; ++a) {
      leaf.mins[a] = int32_t(std::floor(region.min[a]));
      leaf.maxs[a] = int32_t(std::ceil(region.max[a]));
    }
    leaf.leaf_brush = int32_t(out_.leaf_brushes.size());
    leaf.leaf_brush_count = int32_t(brushes.size());
    out_.leaf_brushes.insert(out_.leaf_brushes.end(), brushes.begin(), brushes.end());
    leaf.leaf_face = int32_t(out_.leaf_faces.size());
    if (brushes.empty()) {
      for (size_t f = 0; f < rects_.size(); ++f)
        if (Touches(region, rects_[f])) out_.leaf_faces.push_back(int32_t(f));
    }
    leaf.leaf_face_count = int32_t(out_.leaf_faces.size()) - leaf.leaf_face;
    out_.leaves.push_back(leaf);
    return int(out_.leaves.size()) - 1;
  }

  // A face lies on the region's boundary (or inside it) with some area in common.
  static bool Touches(const Box& region, const FaceRect& f) {
    for (int a = 0; a < 3; ++a) {
      if (a == f.axis) {
        if (f.rect.min[a] < region.min[a] || f.rect.min[a] > region.max[a]) return false;
      } else if (f.rect.max[a] <= region.min[a] || f.rect.min[a] >= region.max[a]) {
        return false;
      }
    }
    return true;
  }

  void WriteTree() {
    Box world{{0, 0, 0}, {0, 0, 0}};
    for (size_t i = 0; i < boxes_.size(); ++i)
      for (int a = 0; a < 3; ++a) {
        world.min[a] = i ? std::min(world.min[a], boxes_[i].min[a]) : boxes_[i].min[a];
        world.max[a] = i ? std::max(world.max[a], boxes_[i].max[a]) : boxes_[i].max[a];
      }
    std::vector<int> all(boxes_.size());
    for (size_t i = 0; i < all.size(); ++i) all[i] = int(i);
    world_ = world;
    if (BuildNode(world, all) < 0 && out_.nodes.empty()) {
      // A single leaf: give the tree one node so that walking it starts somewhere.
      BspNode node{};
      node.plane = Plane(2, +1, world.max[2] + 1.0f);
      node.children[0] = node.children[1] = -1;
      out_.nodes.push_back(node);
    }
  }

  // --------------------------------------------------------------- entities, model, vis

  void WriteEntities() {
    std::ostringstream text;
    text << "{\n\"classname\" \"worldspawn\"\n}\n";
    for (const LevelEntityDesc& e : d_.entities) {
      float o[3];
      ToFileFrame(e.origin, o);
      char origin[96];
      std::snprintf(origin, sizeof(origin), "%g %g %g", o[0], o[1], o[2]);
      text << "{\n\"classname\" \"" << e.classname << "\"\n\"origin\" \"" << origin << "\"\n";
      for (const auto& [key, value] : e.keys) text << '"' << key << "\" \"" << value << "\"\n";
      text << "}\n";
    }
    out_.entities = text.str();
  }

  void WriteModelAndVisibility() {
    BspModel model{};
    for (int a = 0; a < 3; ++a) {
      model.mins[a] = world_.min[a];
      model.maxs[a] = world_.max[a];
    }
    model.face_count = int32_t(out_.faces.size());
    model.brush_count = int32_t(out_.brushes.size());
    out_.models.push_back(model);
    if (clusters_ > 0) {
      out_.vis_vector_count = clusters_;
      out_.vis_vector_size = (clusters_ + 7) / 8;
      out_.vis.assign(size_t(clusters_) * out_.vis_vector_size, 0xFF);
    }
  }

  const LevelDescription& d_;
  BspData out_;
  std::vector<Box> boxes_;
  std::vector<FaceRect> rects_;
  std::map<std::tuple<int, int, float>, int> plane_index_;
  Box world_{};
  int clusters_ = 0;
  float texel_ = 1.0f;  // world units per lightmap texel
  int pages_ = 0;
  int shelf_x_ = 0, shelf_y_ = 0, shelf_h_ = 0;
};

// ---------------------------------------------------------------- images

float Hash(int x, int y, int seed) {
  uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + uint32_t(seed) * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return float((h ^ (h >> 16)) & 0xFFFF) / 65535.0f;
}

// Smooth value noise with a period of `size` texels, so textures tile.
float Noise(float x, float y, int cell, int size, int seed) {
  const int cells = size / cell;
  const int x0 = int(std::floor(x / cell)), y0 = int(std::floor(y / cell));
  const float fx = x / cell - x0, fy = y / cell - y0;
  auto at = [&](int i, int j) {
    return Hash((i % cells + cells) % cells, (j % cells + cells) % cells, seed);
  };
  const float sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
  const float a = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * sx;
  const float b = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * sx;
  return a + (b - a) * sy;
}

// Brightness factor of a texel for a pattern, around 1.
float PatternShade(const std::string& pattern, int x, int y, int n, int seed) {
  const float grain = 0.9f + 0.2f * Hash(x, y, seed);
  const float blotch = 0.8f + 0.4f * Noise(float(x), float(y), 16, n, seed + 1);
  if (pattern == "flat") return 0.95f + 0.1f * Hash(x, y, seed);
  if (pattern == "checker") return (((x / (n / 2)) + (y / (n / 2))) % 2 ? 0.7f : 1.0f) * grain;
  if (pattern == "brick") {
    const int row = y / (n / 8), bx = (x + (row % 2) * (n / 8)) % (n / 4);
    const bool mortar = y % (n / 8) < 2 || bx < 2;
    return mortar ? 0.55f
                  : (0.85f + 0.3f * Hash(row, (x + (row % 2) * (n / 8)) / (n / 4), seed)) * grain;
  }
  if (pattern == "stone")
    return blotch * grain * (0.85f + 0.3f * Noise(float(x), float(y), 4, n, seed + 2));
  if (pattern == "tiles") return (x % (n / 4) < 2 || y % (n / 4) < 2) ? 0.6f : blotch * grain;
  if (pattern == "wood")
    return 0.8f + 0.25f * std::sin((x + 6 * Noise(float(x), float(y), 8, n, seed)) * 0.8f) * grain;
  if (pattern == "grass") return (0.7f + 0.5f * Hash(x, y, seed)) * blotch;
  // water
  return 0.85f + 0.15f * std::sin((x + y) * 6.2831853f * 4 / n) * std::sin(y * 6.2831853f * 2 / n);
}

// A 64 x 64 image whose texel colours (0..1) come from colour(x, y, rgb).
template <typename Colour>
Image Paint(Colour colour) {
  Image image;
  image.width = image.height = 64;
  image.channels = 3;
  image.pixels.resize(64 * 64 * 3);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      float rgb[3];
      colour(x, y, rgb);
      for (int c = 0; c < 3; ++c)
        image.pixels[(y * 64 + x) * 3 + c] = uint8_t(std::clamp(rgb[c] * 255.0f, 0.0f, 255.0f));
    }
  return image;
}

Image MakeTexture(const LevelTextureDesc& t, int seed) {
  return Paint([&](int x, int y, float rgb[3]) {
    const float s = PatternShade(t.pattern, x, y, 64, seed);
    for (int c = 0; c < 3; ++c) rgb[c] = t.color[c] * s;
  });
}

// Sky images: sides shade from the horizon (bottom) to the zenith (top); "up" is the zenith,
// "dn" a darkened horizon.
Image MakeSky(const LevelDescription& d, int slot) {
  return Paint([&](int, int y, float rgb[3]) {
    const float k = slot == 3 ? 1.0f : std::clamp((y / 63.0f - 0.5f) * 2.0f, 0.0f, 1.0f);
    const float dark = slot == 2 ? 0.6f : 1.0f;
    for (int c = 0; c < 3; ++c)
      rgb[c] = (d.sky_horizon[c] + (d.sky_zenith[c] - d.sky_horizon[c]) * k) * dark;
  });
}

// The map's images: JPEG, or TGA where the description asks for it.
bool WriteImage(const std::string& path, const Image& image, bool tga) {
  std::vector<unsigned char> bytes;
  if (tga)
    bytes = EncodeTGA(image);
  else if (!EncodeJPEG(image, 92, bytes))
    return false;
  return WriteFileBytes(path, bytes);
}

}  // namespace

bool ParseLevelDescription(const std::string& text, LevelDescription& description,
                           std::string& error) {
  description = LevelDescription();
  std::istringstream lines(text);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    line = line.substr(0, line.find('#'));
    std::istringstream words_in(line);
    std::vector<std::string> words;
    for (std::string w; words_in >> w;) words.push_back(w);
    if (words.empty()) continue;
    std::string why;
    if (!ParseStatement(words, description, why)) {
      error = "line " + std::to_string(number) + ": " + why;
      return false;
    }
  }
  return true;
}

BspData BuildBspData(const LevelDescription& description) { return Builder(description).Build(); }

bool BuildLevel(const LevelDescription& description, const std::string& map_path) {
  const fs::path folder = fs::path(map_path).parent_path();
  std::error_code ec;
  if (!folder.empty()) fs::create_directories(folder, ec);
  const std::vector<uint8_t> bytes = WriteBsp(BuildBspData(description));
  {
    std::ofstream out(map_path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) {
      LogPrintf("LevelBuilder: cannot write %s", map_path.c_str());
      return false;
    }
  }
  for (size_t i = 0; i < description.textures.size(); ++i) {
    const LevelTextureDesc& t = description.textures[i];
    const std::string file =
        (folder / fs::path(t.name).filename()).string() + (t.tga ? ".tga" : ".jpg");
    if (!WriteImage(file, MakeTexture(t, int(i) + 1), t.tga)) {
      LogPrintf("LevelBuilder: cannot write %s", file.c_str());
      return false;
    }
  }
  if (description.has_skybox) {
    const char* const suffixes[6] = {"lf", "rt", "dn", "up", "ft", "bk"};
    const std::string prefix = fs::path(description.skybox_prefix).filename().string();
    for (int slot = 0; slot < 6; ++slot) {
      const std::string file = (folder / (prefix + "_" + suffixes[slot] + ".jpg")).string();
      if (!WriteImage(file, MakeSky(description, slot), false)) {
        LogPrintf("LevelBuilder: cannot write %s", file.c_str());
        return false;
      }
    }
  }
  return true;
}

bool BuildLevelFile(const std::string& description_path, const std::string& map_path) {
  std::ifstream in(description_path, std::ios::binary);
  if (!in) {
    LogPrintf("LevelBuilder: cannot open %s", description_path.c_str());
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  LevelDescription description;
  std::string error;
  if (!ParseLevelDescription(text.str(), description, error)) {
    LogPrintf("LevelBuilder: %s: %s", description_path.c_str(), error.c_str());
    return false;
  }
  return BuildLevel(description, map_path);
}

}  // namespace kt
