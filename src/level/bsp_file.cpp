// Reading and writing IBSP version 46. Every lump is checked against the file before it is
// copied, and every index the level follows is checked against the array it indexes, in the
// order the records are read.
#include "level/bsp_file.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace kt {

static_assert(std::endian::native == std::endian::little, "BSP records are read in place");

namespace {

const char* const kLumpNames[kLumpCount] = {
    "entities",     "textures", "planes",    "nodes",         "leaves",    "leaf faces",
    "leaf brushes", "models",   "brushes",   "brush sides",   "vertices",  "mesh vertices",
    "effects",      "faces",    "lightmaps", "light volumes", "visibility"};

struct Lump {
  int64_t offset = 0;
  int64_t length = 0;
};

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  vsnprintf(text, sizeof(text), format, args);
  va_end(args);
  return text;
}

int32_t ReadInt(const uint8_t* p) {
  int32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

// One parse: the bytes, the directory and the first error met.
class Reader {
 public:
  Reader(std::span<const uint8_t> bytes, BspData& data, std::string& error)
      : bytes_(bytes), data_(data), error_(error) {}

  bool Run() {
    return ReadHeader() && ReadRecords() && ReadLightmaps() && ReadVisibility() && ReadEntities() &&
           CheckFaces() && CheckTree() && CheckBrushes() && CheckValues();
  }

 private:
  bool Fail(int lump, const std::string& why) {
    error_ = Format("lump %d (%s): ", lump, kLumpNames[lump]) + why;
    return false;
  }

  bool ReadHeader() {
    if (bytes_.size() < size_t(kBspHeaderSize)) {
      error_ = Format("file of %zu bytes is shorter than the %d-byte header", bytes_.size(),
                      kBspHeaderSize);
      return false;
    }
    if (std::memcmp(bytes_.data(), "IBSP", 4) != 0) {
      error_ = "bad magic (not IBSP)";
      return false;
    }
    const int32_t version = ReadInt(bytes_.data() + 4);
    if (version != kBspVersion) {
      error_ = Format("version %d is not %d", version, kBspVersion);
      return false;
    }
    for (int i = 0; i < kLumpCount; ++i) {
      lumps_[i].offset = ReadInt(bytes_.data() + 8 + i * 8);
      lumps_[i].length = ReadInt(bytes_.data() + 12 + i * 8);
      if (lumps_[i].offset < 0 || lumps_[i].length < 0 ||
          lumps_[i].offset + lumps_[i].length > int64_t(bytes_.size()))
        return Fail(
            i, Format("offset %lld length %lld outside the file of %zu bytes",
                      (long long)lumps_[i].offset, (long long)lumps_[i].length, bytes_.size()));
    }
    return true;
  }

  template <typename T>
  bool Copy(int lump, std::vector<T>& out, size_t record_size = sizeof(T)) {
    const Lump& l = lumps_[lump];
    if (l.length % int64_t(record_size) != 0)
      return Fail(lump, Format("length %lld is not a multiple of the %zu-byte record",
                               (long long)l.length, record_size));
    out.resize(size_t(l.length) / sizeof(T));
    if (l.length) std::memcpy(out.data(), bytes_.data() + l.offset, size_t(l.length));
    return true;
  }

  bool ReadRecords() {
    if (!Copy(kLumpTextures, data_.textures) || !Copy(kLumpPlanes, data_.planes) ||
        !Copy(kLumpNodes, data_.nodes) || !Copy(kLumpLeaves, data_.leaves) ||
        !Copy(kLumpLeafFaces, data_.leaf_faces) || !Copy(kLumpLeafBrushes, data_.leaf_brushes) ||
        !Copy(kLumpModels, data_.models) || !Copy(kLumpBrushes, data_.brushes) ||
        !Copy(kLumpBrushSides, data_.brush_sides) || !Copy(kLumpVertices, data_.vertices) ||
        !Copy(kLumpMeshVertices, data_.mesh_vertices) || !Copy(kLumpFaces, data_.faces))
      return false;
    if (data_.textures.size() > size_t(kMaxBspTextures))
      return Fail(kLumpTextures, Format("%zu textures, more than the %d the level holds",
                                        data_.textures.size(), kMaxBspTextures));
    return true;
  }

  bool ReadLightmaps() {
    if (!Copy(kLumpLightmaps, data_.lightmaps, kLightmapBytes)) return false;
    if (data_.lightmap_count() > kMaxBspLightmaps)
      return Fail(kLumpLightmaps, Format("%d lightmaps, more than the %d the level holds",
                                         data_.lightmap_count(), kMaxBspLightmaps));
    return true;
  }

  bool ReadVisibility() {
    const Lump& l = lumps_[kLumpVisibility];
    data_.vis_vector_count = data_.vis_vector_size = 0;
    data_.vis.clear();
    if (l.length == 0) return true;
    if (l.length < 8) return Fail(kLumpVisibility, Format("length %lld < 8", (long long)l.length));
    const uint8_t* p = bytes_.data() + l.offset;
    const int64_t count = ReadInt(p), size = ReadInt(p + 4);
    if (count < 0 || size < 0 || count * size > l.length - 8)
      return Fail(kLumpVisibility,
                  Format("%lld vectors of %lld bytes do not fit in %lld bytes", (long long)count,
                         (long long)size, (long long)(l.length - 8)));
    data_.vis_vector_count = int32_t(count);
    data_.vis_vector_size = int32_t(size);
    data_.vis.assign(p + 8, p + 8 + count * size);
    return true;
  }

  bool ReadEntities() {
    const Lump& l = lumps_[kLumpEntities];
    const char* p = reinterpret_cast<const char*>(bytes_.data() + l.offset);
    data_.entities.assign(p, strnlen(p, size_t(l.length)));
    return true;
  }

  static bool InRange(int64_t first, int64_t count, size_t size) {
    return first >= 0 && count >= 0 && first + count <= int64_t(size);
  }

  bool CheckFaces() {
    const size_t nv = data_.vertices.size(), nm = data_.mesh_vertices.size();
    for (size_t i = 0; i < data_.faces.size(); ++i) {
      const BspFace& f = data_.faces[i];
      if (f.texture < 0 || size_t(f.texture) >= data_.textures.size())
        return Fail(kLumpFaces, Format("face %zu texture %d out of range (%zu textures)", i,
                                       f.texture, data_.textures.size()));
      // Negative lightmaps (-1, and the compiler's -3 and -4 for vertex lighting) mean none.
      if (f.lightmap >= data_.lightmap_count())
        return Fail(kLumpFaces, Format("face %zu lightmap %d out of range (%d lightmaps)", i,
                                       f.lightmap, data_.lightmap_count()));
      if (!InRange(f.vertex, f.vertex_count, nv))
        return Fail(kLumpFaces, Format("face %zu vertices %d+%d out of range (%zu vertices)", i,
                                       f.vertex, f.vertex_count, nv));
      if (!InRange(f.mesh_vertex, f.mesh_vertex_count, nm))
        return Fail(kLumpFaces, Format("face %zu mesh vertices %d+%d out of range (%zu)", i,
                                       f.mesh_vertex, f.mesh_vertex_count, nm));
      if (f.type == kFacePatch &&
          (f.size[0] < 0 || f.size[1] < 0 || int64_t(f.size[0]) * f.size[1] > f.vertex_count))
        return Fail(kLumpFaces, Format("face %zu patch %dx%d larger than its %d vertices", i,
                                       f.size[0], f.size[1], f.vertex_count));
      if (f.type == kFaceMesh) {
        for (int k = 0; k < f.mesh_vertex_count; ++k) {
          const int64_t v = int64_t(f.vertex) + data_.mesh_vertices[f.mesh_vertex + k];
          if (v < 0 || v >= int64_t(nv))
            return Fail(kLumpMeshVertices,
                        Format("face %zu mesh vertex %d gives vertex %lld (%zu vertices)", i,
                               f.mesh_vertex + k, (long long)v, nv));
        }
      }
    }
    return true;
  }

  bool CheckTree() {
    const size_t nn = data_.nodes.size(), nl = data_.leaves.size();
    for (size_t i = 0; i < nn; ++i) {
      const BspNode& n = data_.nodes[i];
      if (n.plane < 0 || size_t(n.plane) >= data_.planes.size())
        return Fail(kLumpNodes, Format("node %zu plane %d out of range (%zu planes)", i, n.plane,
                                       data_.planes.size()));
      for (int c : n.children) {
        // Nodes are stored parent first; a child that does not come later would close a loop.
        const bool ok = c >= 0 ? size_t(c) > i && size_t(c) < nn : size_t(-(int64_t(c) + 1)) < nl;
        if (!ok)
          return Fail(kLumpNodes, Format("node %zu child %d out of range (%zu nodes, %zu leaves)",
                                         i, c, nn, nl));
      }
    }
    for (size_t i = 0; i < nl; ++i) {
      const BspLeaf& l = data_.leaves[i];
      if (!InRange(l.leaf_face, l.leaf_face_count, data_.leaf_faces.size()))
        return Fail(kLumpLeaves, Format("leaf %zu leaf faces %d+%d out of range (%zu)", i,
                                        l.leaf_face, l.leaf_face_count, data_.leaf_faces.size()));
      if (!InRange(l.leaf_brush, l.leaf_brush_count, data_.leaf_brushes.size()))
        return Fail(kLumpLeaves,
                    Format("leaf %zu leaf brushes %d+%d out of range (%zu)", i, l.leaf_brush,
                           l.leaf_brush_count, data_.leaf_brushes.size()));
    }
    for (size_t i = 0; i < data_.leaf_faces.size(); ++i)
      if (data_.leaf_faces[i] < 0 || size_t(data_.leaf_faces[i]) >= data_.faces.size())
        return Fail(kLumpLeafFaces, Format("entry %zu face %d out of range (%zu faces)", i,
                                           data_.leaf_faces[i], data_.faces.size()));
    for (size_t i = 0; i < data_.leaf_brushes.size(); ++i)
      if (data_.leaf_brushes[i] < 0 || size_t(data_.leaf_brushes[i]) >= data_.brushes.size())
        return Fail(kLumpLeafBrushes, Format("entry %zu brush %d out of range (%zu brushes)", i,
                                             data_.leaf_brushes[i], data_.brushes.size()));
    return true;
  }

  bool CheckBrushes() {
    for (size_t i = 0; i < data_.brushes.size(); ++i) {
      const BspBrush& b = data_.brushes[i];
      if (!InRange(b.side, b.side_count, data_.brush_sides.size()))
        return Fail(kLumpBrushes, Format("brush %zu sides %d+%d out of range (%zu sides)", i,
                                         b.side, b.side_count, data_.brush_sides.size()));
      if (b.texture < 0 || size_t(b.texture) >= data_.textures.size())
        return Fail(kLumpBrushes, Format("brush %zu texture %d out of range (%zu textures)", i,
                                         b.texture, data_.textures.size()));
    }
    for (size_t i = 0; i < data_.brush_sides.size(); ++i) {
      const int32_t p = data_.brush_sides[i].plane;
      if (p < 0 || size_t(p) >= data_.planes.size())
        return Fail(kLumpBrushSides, Format("side %zu plane %d out of range (%zu planes)", i, p,
                                            data_.planes.size()));
    }
    return true;
  }

  // NaN fails the comparison too.
  static bool Coordinates(std::span<const float> v) {
    return std::all_of(v.begin(), v.end(),
                       [](float x) { return std::fabs(x) <= kMaxBspCoordinate; });
  }

  // Positions and planes reach collision and drawing; NaN or a huge value there would spread
  // through every test against them. Texture and lightmap coordinates are not checked: shipped
  // maps hold NaN lightmap coordinates on vertex-lit surfaces, which never use them.
  bool CheckValues() {
    for (size_t i = 0; i < data_.planes.size(); ++i) {
      const BspPlane& p = data_.planes[i];
      if (!Coordinates(p.normal) || !Coordinates({&p.dist, 1}))
        return Fail(kLumpPlanes, Format("plane %zu is not finite or out of range", i));
    }
    for (size_t i = 0; i < data_.vertices.size(); ++i)
      if (!Coordinates(data_.vertices[i].position))
        return Fail(kLumpVertices, Format("vertex %zu position is not finite or out of range", i));
    for (size_t i = 0; i < data_.models.size(); ++i)
      if (!Coordinates(data_.models[i].mins) || !Coordinates(data_.models[i].maxs))
        return Fail(kLumpModels, Format("model %zu bounds are not finite or out of range", i));
    return true;
  }

  std::span<const uint8_t> bytes_;
  BspData& data_;
  std::string& error_;
  Lump lumps_[kLumpCount];
};

template <typename T>
void Append(std::vector<uint8_t>& out, int lump, const T* records, size_t bytes) {
  while (out.size() % 4) out.push_back(0);
  const int32_t offset = int32_t(out.size()), length = int32_t(bytes);
  std::memcpy(out.data() + 8 + lump * 8, &offset, 4);
  std::memcpy(out.data() + 12 + lump * 8, &length, 4);
  const uint8_t* p = reinterpret_cast<const uint8_t*>(records);
  out.insert(out.end(), p, p + bytes);
}

template <typename T>
void Append(std::vector<uint8_t>& out, int lump, const std::vector<T>& records) {
  Append(out, lump, records.data(), records.size() * sizeof(T));
}

}  // namespace

bool ParseBsp(std::span<const uint8_t> bytes, BspData& data, std::string& error) {
  data = BspData();
  if (Reader(bytes, data, error).Run()) return true;
  data = BspData();
  return false;
}

bool ReadBspLumpLengths(std::span<const uint8_t> bytes, int32_t lengths[kLumpCount]) {
  if (bytes.size() < size_t(kBspHeaderSize)) return false;
  for (int i = 0; i < kLumpCount; ++i) lengths[i] = ReadInt(bytes.data() + 12 + i * 8);
  return true;
}

std::vector<uint8_t> WriteBsp(const BspData& data) {
  std::vector<uint8_t> out(kBspHeaderSize, 0);
  std::memcpy(out.data(), "IBSP", 4);
  const int32_t version = kBspVersion;
  std::memcpy(out.data() + 4, &version, 4);
  std::string entities = data.entities;
  entities.push_back('\0');
  Append(out, kLumpEntities, entities.data(), entities.size());
  Append(out, kLumpTextures, data.textures);
  Append(out, kLumpPlanes, data.planes);
  Append(out, kLumpNodes, data.nodes);
  Append(out, kLumpLeaves, data.leaves);
  Append(out, kLumpLeafFaces, data.leaf_faces);
  Append(out, kLumpLeafBrushes, data.leaf_brushes);
  Append(out, kLumpModels, data.models);
  Append(out, kLumpBrushes, data.brushes);
  Append(out, kLumpBrushSides, data.brush_sides);
  Append(out, kLumpVertices, data.vertices);
  Append(out, kLumpMeshVertices, data.mesh_vertices);
  Append(out, kLumpEffects, data.vertices.data(), 0);
  Append(out, kLumpFaces, data.faces);
  Append(out, kLumpLightmaps, data.lightmaps);
  Append(out, kLumpLightVolumes, data.vertices.data(), 0);
  std::vector<uint8_t> vis;
  if (data.vis_vector_count > 0) {
    vis.resize(8);
    std::memcpy(vis.data(), &data.vis_vector_count, 4);
    std::memcpy(vis.data() + 4, &data.vis_vector_size, 4);
    vis.insert(vis.end(), data.vis.begin(), data.vis.end());
  }
  Append(out, kLumpVisibility, vis);
  return out;
}

}  // namespace kt
