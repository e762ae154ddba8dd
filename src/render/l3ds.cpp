// 3DS chunk reading. The whole file is read into memory and walked with explicit bounds: each
// read names the end of the chunk it lies in, and every loop count is checked against the
// bytes that chunk holds before anything is allocated or read.
#include "render/l3ds.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <new>

#include "console/log.h"

namespace kt {

namespace {

enum : uint16_t {
  kMain = 0x4D4D,
  kEditor = 0x3D3D,
  kObject = 0x4000,
  kTriMesh = 0x4100,
  kVertexList = 0x4110,
  kFaceList = 0x4120,
  kFaceMaterial = 0x4130,
  kMapList = 0x4140,
  kSmoothGroup = 0x4150,
  kLocalMatrix = 0x4160,
  kMaterial = 0xAFFF,
  kMatName = 0xA000,
  kMatAmbient = 0xA010,
  kMatDiffuse = 0xA020,
  kMatSpecular = 0xA030,
  kMatShininess = 0xA040,
  kMatTransparency = 0xA050,
  kMatTexture1 = 0xA200,
  kMatTexture2 = 0xA33A,
  kMatMapName = 0xA300,
  kColorF = 0x0010,
  kColor24 = 0x0011,
  kLinColor24 = 0x0012,
  kLinColorF = 0x0013,
  kPercentI = 0x0030,
  kPercentF = 0x0031,
};

// Files larger than this are refused before allocating: a part model is a few hundred KB.
constexpr std::streamoff kMaxFileBytes = std::streamoff(256) << 20;

uint16_t U16(const unsigned char* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t U32(const unsigned char* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
float F32(const unsigned char* p) {
  const uint32_t bits = U32(p);
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

std::string Hex(uint16_t id) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04X", id);
  return text;
}

using Vec3 = std::array<float, 3>;

Vec3 Sub(const Vec3& a, const Vec3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
Vec3 CrossOf(const Vec3& a, const Vec3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
// Unit length, or `fallback` for a zero (or non-finite) vector.
Vec3 Unit(const Vec3& v, const Vec3& fallback) {
  const double len = std::sqrt(double(v[0]) * v[0] + double(v[1]) * v[1] + double(v[2]) * v[2]);
  if (!(len > 1e-20) || !std::isfinite(len)) return fallback;
  return {float(v[0] / len), float(v[1] / len), float(v[2] / len)};
}

}  // namespace

struct L3DS::RawMesh {
  std::string name;
  std::vector<Vec3> vertices;
  std::vector<std::array<float, 2>> uvs;
  std::vector<std::array<uint16_t, 3>> faces;
  std::vector<uint32_t> smoothing;
  std::vector<std::pair<std::string, std::vector<uint32_t>>> face_groups;
  std::array<float, 12> matrix = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
};

void L3DS::Clear() {
  materials_.clear();
  meshes_.clear();
  face_groups_.clear();
  error_.clear();
  data_ = {};
}

bool L3DS::Fail(const char* message, const std::string& detail) {
  error_ = message;
  LogPrintf("%s", message);
  if (!detail.empty()) {
    LogPrintf("L3DS: %s", detail.c_str());
    error_ += " (" + detail + ")";
  }
  return false;
}

const L3DSMesh* L3DS::FindMesh(const std::string& name) const {
  for (const L3DSMesh& mesh : meshes_)
    if (mesh.name == name) return &mesh;
  return nullptr;
}

bool L3DS::LoadFile(const std::string& path) {
  Clear();
  std::ifstream in(path, std::ios::binary);
  if (!in) return Fail("L3DS::LoadFile - cannot open file", path);
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  in.seekg(0, std::ios::beg);
  if (size < 0 || !in) return Fail("L3DS::LoadFile - error reading from file", path);
  if (size > kMaxFileBytes)
    return Fail("L3DS::LoadFile - not enough memory (malloc failed)",
                path + " is " + std::to_string(size) + " bytes");
  std::vector<unsigned char> bytes;
  try {
    bytes.resize(size_t(size));
  } catch (const std::bad_alloc&) {
    return Fail("L3DS::LoadFile - not enough memory (malloc failed)", path);
  }
  if (!in.read(reinterpret_cast<char*>(bytes.data()), size))
    return Fail("L3DS::LoadFile - error reading from file", path);
  return LoadFromMemory(bytes);
}

bool L3DS::LoadFromMemory(std::span<const unsigned char> data) {
  Clear();
  data_ = data;
  bool ok = false;
  try {
    ok = Read3DS() && ResolveMaterials();
  } catch (const std::bad_alloc&) {
    ok = Fail("L3DS::LoadFile - not enough memory (malloc failed)");
  }
  if (!ok) {
    const std::string error = error_;
    Clear();
    error_ = error;
  }
  data_ = {};
  return ok;
}

bool L3DS::ReadChunk(size_t at, size_t parent_end, Chunk& chunk) {
  if (at > parent_end || parent_end - at < 6)
    return Fail("L3DS::LoadFile - error reading from file",
                "chunk header at offset " + std::to_string(at) + " runs past its parent");
  chunk.id = U16(&data_[at]);
  const uint32_t length = U32(&data_[at + 2]);
  if (length < 6 || length > parent_end - at)
    return Fail("L3DS::LoadFile - error reading from file",
                "chunk " + Hex(chunk.id) + " at offset " + std::to_string(at) + " has length " +
                    std::to_string(length) + ", " + std::to_string(parent_end - at) +
                    " bytes left in its parent");
  chunk.start = at;
  chunk.data = at + 6;
  chunk.end = at + length;
  return true;
}

bool L3DS::ReadString(size_t& at, size_t end, std::string& out) {
  const size_t begin = at;
  while (at < end && data_[at] != 0) ++at;
  if (at >= end)
    return Fail("L3DS::LoadFile - error reading from file",
                "unterminated name at offset " + std::to_string(begin));
  out.assign(reinterpret_cast<const char*>(&data_[begin]), at - begin);
  ++at;  // the terminator
  return true;
}

bool L3DS::Read3DS() {
  if (data_.size() < 6 || U16(data_.data()) != kMain)
    return Fail("L3DS::Read3DS - wrong file format");
  Chunk main;
  if (!ReadChunk(0, data_.size(), main)) return false;
  for (size_t at = main.data; at < main.end;) {
    Chunk chunk;
    if (!ReadChunk(at, main.end, chunk)) return false;
    if (chunk.id == kEditor && !ReadEditor(chunk)) return false;
    at = chunk.end;
  }
  return true;
}

bool L3DS::ReadEditor(const Chunk& editor) {
  for (size_t at = editor.data; at < editor.end;) {
    Chunk chunk;
    if (!ReadChunk(at, editor.end, chunk)) return false;
    if (chunk.id == kObject && !ReadObject(chunk)) return false;
    if (chunk.id == kMaterial && !ReadMaterial(chunk)) return false;
    at = chunk.end;
  }
  return true;
}

bool L3DS::ReadObject(const Chunk& object) {
  size_t at = object.data;
  std::string name;
  if (!ReadString(at, object.end, name)) return false;
  while (at < object.end) {
    Chunk chunk;
    if (!ReadChunk(at, object.end, chunk)) return false;
    if (chunk.id == kTriMesh) {
      RawMesh raw;
      raw.name = name;
      if (!ReadMesh(chunk, raw) || !BuildMesh(raw)) return false;
    }
    at = chunk.end;
  }
  return true;
}

bool L3DS::ReadMesh(const Chunk& mesh, RawMesh& raw) {
  for (size_t at = mesh.data; at < mesh.end;) {
    Chunk chunk;
    if (!ReadChunk(at, mesh.end, chunk)) return false;
    const size_t bytes = chunk.end - chunk.data;
    const unsigned char* p = &data_[chunk.data];
    if (chunk.id == kVertexList) {
      if (bytes < 2) return Fail("L3DS::LoadFile - error reading from file", "vertex list");
      const size_t count = U16(p);
      if (bytes - 2 < count * 12)
        return Fail("L3DS::LoadFile - error reading from file",
                    "vertex list of mesh \"" + raw.name + "\" holds " + std::to_string(count) +
                        " vertices in " + std::to_string(bytes) + " bytes");
      raw.vertices.resize(count);
      for (size_t i = 0; i < count; ++i)
        for (int k = 0; k < 3; ++k) raw.vertices[i][k] = F32(p + 2 + i * 12 + k * 4);
    } else if (chunk.id == kFaceList) {
      if (!ReadFaceList(chunk, raw)) return false;
    } else if (chunk.id == kMapList) {
      if (bytes < 2) return Fail("L3DS::LoadFile - error reading from file", "mapping list");
      const size_t count = U16(p);
      if (bytes - 2 < count * 8)
        return Fail("L3DS::LoadFile - error reading from file",
                    "mapping list of mesh \"" + raw.name + "\" holds " + std::to_string(count) +
                        " coordinates in " + std::to_string(bytes) + " bytes");
      raw.uvs.resize(count);
      for (size_t i = 0; i < count; ++i) {
        raw.uvs[i][0] = F32(p + 2 + i * 8);
        raw.uvs[i][1] = F32(p + 6 + i * 8);
      }
    } else if (chunk.id == kLocalMatrix) {
      if (bytes < 48) return Fail("L3DS::LoadFile - error reading from file", "local matrix");
      for (int k = 0; k < 12; ++k) raw.matrix[k] = F32(p + 4 * k);
    }
    at = chunk.end;
  }
  return true;
}

bool L3DS::ReadFaceList(const Chunk& faces, RawMesh& raw) {
  if (faces.id != kFaceList)
    return Fail("L3DS::ReadFaceList - internal error: wrong chunk passed as parameter");
  const size_t bytes = faces.end - faces.data;
  const unsigned char* p = &data_[faces.data];
  if (bytes < 2) return Fail("L3DS::LoadFile - error reading from file", "face list");
  const size_t count = U16(p);
  if (bytes - 2 < count * 8)
    return Fail("L3DS::LoadFile - error reading from file",
                "face list of mesh \"" + raw.name + "\" holds " + std::to_string(count) +
                    " faces in " + std::to_string(bytes) + " bytes");
  raw.faces.resize(count);
  for (size_t i = 0; i < count; ++i)
    for (int k = 0; k < 3; ++k) raw.faces[i][k] = U16(p + 2 + i * 8 + k * 2);
  for (size_t at = faces.data + 2 + count * 8; at < faces.end;) {
    Chunk chunk;
    if (!ReadChunk(at, faces.end, chunk)) return false;
    if (chunk.id == kFaceMaterial) {
      size_t q = chunk.data;
      std::string material;
      if (!ReadString(q, chunk.end, material)) return false;
      if (chunk.end - q < 2)
        return Fail("L3DS::LoadFile - error reading from file", "face material list");
      const size_t n = U16(&data_[q]);
      q += 2;
      if ((chunk.end - q) / 2 < n)
        return Fail("L3DS::LoadFile - error reading from file",
                    "face material list \"" + material + "\" holds " + std::to_string(n) +
                        " faces in " + std::to_string(chunk.end - q) + " bytes");
      std::vector<uint32_t> list(n);
      for (size_t i = 0; i < n; ++i) {
        list[i] = U16(&data_[q + 2 * i]);
        if (list[i] >= count)
          return Fail("L3DS::LoadFile - error reading from file",
                      "face material list \"" + material + "\" names face " +
                          std::to_string(list[i]) + " of " + std::to_string(count));
      }
      raw.face_groups.emplace_back(std::move(material), std::move(list));
    } else if (chunk.id == kSmoothGroup) {
      if ((chunk.end - chunk.data) / 4 < count)
        return Fail("L3DS::LoadFile - error reading from file",
                    "smoothing groups of mesh \"" + raw.name + "\" are shorter than its " +
                        std::to_string(count) + " faces");
      raw.smoothing.resize(count);
      for (size_t i = 0; i < count; ++i) raw.smoothing[i] = U32(&data_[chunk.data + 4 * i]);
    }
    at = chunk.end;
  }
  return true;
}

bool L3DS::ReadColor(const Chunk& parent, L3DSColor& color) {
  for (size_t at = parent.data; at < parent.end;) {
    Chunk chunk;
    if (!ReadChunk(at, parent.end, chunk)) return false;
    const size_t bytes = chunk.end - chunk.data;
    const unsigned char* p = &data_[chunk.data];
    if ((chunk.id == kColorF || chunk.id == kLinColorF) && bytes >= 12) {
      color = {F32(p), F32(p + 4), F32(p + 8)};
      return true;
    }
    if ((chunk.id == kColor24 || chunk.id == kLinColor24) && bytes >= 3) {
      color = {p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f};
      return true;
    }
    at = chunk.end;
  }
  return Fail("L3DS::ReadColor - error this is not a color chunk");
}

bool L3DS::ReadPercentage(const Chunk& parent, float& value) {
  for (size_t at = parent.data; at < parent.end;) {
    Chunk chunk;
    if (!ReadChunk(at, parent.end, chunk)) return false;
    const size_t bytes = chunk.end - chunk.data;
    if (chunk.id == kPercentI && bytes >= 2) {
      value = int16_t(U16(&data_[chunk.data])) / 100.0f;
      return true;
    }
    if (chunk.id == kPercentF && bytes >= 4) {
      value = F32(&data_[chunk.data]) / 100.0f;
      return true;
    }
    at = chunk.end;
  }
  return Fail("L3DS::ReadPercentage - error, the chunk is not a percentage chunk");
}

bool L3DS::ReadMap(const Chunk& map, L3DSMaterial& material) {
  for (size_t at = map.data; at < map.end;) {
    Chunk chunk;
    if (!ReadChunk(at, map.end, chunk)) return false;
    if (chunk.id == kMatMapName) {
      size_t q = chunk.data;
      std::string name;
      if (!ReadString(q, chunk.end, name)) return false;
      if (map.id == kMatTexture1 || material.texture.empty()) material.texture = name;
    }
    at = chunk.end;
  }
  return true;
}

bool L3DS::ReadMaterial(const Chunk& block) {
  L3DSMaterial material;
  bool named = false;
  for (size_t at = block.data; at < block.end;) {
    Chunk chunk;
    if (!ReadChunk(at, block.end, chunk)) return false;
    bool ok = true;
    switch (chunk.id) {
      case kMatName: {
        size_t q = chunk.data;
        ok = ReadString(q, chunk.end, material.name);
        named = true;
        break;
      }
      case kMatAmbient:
        ok = ReadColor(chunk, material.ambient);
        break;
      case kMatDiffuse:
        ok = ReadColor(chunk, material.diffuse);
        break;
      case kMatSpecular:
        ok = ReadColor(chunk, material.specular);
        break;
      case kMatShininess:
        ok = ReadPercentage(chunk, material.shininess);
        break;
      case kMatTransparency:
        ok = ReadPercentage(chunk, material.transparency);
        break;
      case kMatTexture1:
      case kMatTexture2:
        ok = ReadMap(chunk, material);
        break;
      default:
        break;
    }
    if (!ok) return false;
    at = chunk.end;
  }
  // Faces refer to materials by name: a nameless block cannot be used.
  if (!named) return Fail("L3DS::ReadMaterial - error, expected chunk not found", "material name");
  materials_.push_back(std::move(material));
  return true;
}

bool L3DS::BuildMesh(const RawMesh& raw) {
  const size_t nv = raw.vertices.size(), nf = raw.faces.size();
  for (size_t f = 0; f < nf; ++f)
    for (int k = 0; k < 3; ++k)
      if (raw.faces[f][k] >= nv)
        return Fail("L3DS::LoadFile - error reading from file",
                    "face " + std::to_string(f) + " of mesh \"" + raw.name + "\" uses vertex " +
                        std::to_string(raw.faces[f][k]) + " of " + std::to_string(nv));

  // Face normals, area weighted (the unnormalised cross product), and each vertex's faces.
  std::vector<Vec3> face_normal(nf);
  std::vector<size_t> first(nv + 1, 0), incident(nf * 3);
  for (size_t f = 0; f < nf; ++f) {
    const Vec3& a = raw.vertices[raw.faces[f][0]];
    face_normal[f] =
        CrossOf(Sub(raw.vertices[raw.faces[f][1]], a), Sub(raw.vertices[raw.faces[f][2]], a));
    for (int k = 0; k < 3; ++k) ++first[raw.faces[f][k] + 1];
  }
  for (size_t v = 0; v < nv; ++v) first[v + 1] += first[v];
  {
    std::vector<size_t> fill(first.begin(), first.end() - 1);
    for (size_t f = 0; f < nf; ++f)
      for (int k = 0; k < 3; ++k) incident[fill[raw.faces[f][k]]++] = f;
  }
  auto smoothing = [&](size_t f) { return f < raw.smoothing.size() ? raw.smoothing[f] : 0u; };

  L3DSMesh mesh;
  mesh.name = raw.name;
  mesh.file_vertex_count = int(nv);
  mesh.file_face_count = int(nf);
  mesh.matrix = raw.matrix;
  mesh.triangles.resize(nf);
  mesh.triangle_material.assign(nf, -1);
  // Copies made of each file vertex so far: (normal, index into the drawing arrays).
  std::vector<std::vector<std::pair<Vec3, uint32_t>>> copies(nv);
  for (size_t f = 0; f < nf; ++f) {
    const Vec3 flat = Unit(face_normal[f], {0, 0, 1});
    uint32_t corner[3];
    for (int k = 0; k < 3; ++k) {
      const uint16_t v = raw.faces[f][k];
      Vec3 normal = flat;
      if (const uint32_t groups = smoothing(f)) {
        Vec3 sum = {0, 0, 0};
        for (size_t i = first[v]; i < first[v + 1]; ++i) {
          const size_t g = incident[i];
          if (g != f && !(smoothing(g) & groups)) continue;
          for (int c = 0; c < 3; ++c) sum[c] += face_normal[g][c];
        }
        normal = Unit(sum, flat);
      }
      uint32_t index = UINT32_MAX;
      for (const auto& [n, i] : copies[v])
        if (n == normal) index = i;
      if (index == UINT32_MAX) {
        index = uint32_t(mesh.vertices.size());
        const Vec3& p = raw.vertices[v];
        mesh.vertices.push_back({p[0], p[1], p[2], 1.0f});
        mesh.normals.push_back(normal);
        mesh.uvs.push_back(v < raw.uvs.size() ? raw.uvs[v] : std::array<float, 2>{0, 0});
        copies[v].emplace_back(normal, index);
      }
      corner[k] = index;
    }
    mesh.triangles[f] = {corner[0], corner[1], corner[2]};
  }
  meshes_.push_back(std::move(mesh));
  face_groups_.push_back(raw.face_groups);
  return true;
}

bool L3DS::ResolveMaterials() {
  for (size_t m = 0; m < meshes_.size(); ++m) {
    for (const auto& [name, faces] : face_groups_[m]) {
      int index = -1;
      for (size_t i = 0; i < materials_.size() && index < 0; ++i)
        if (materials_[i].name == name) index = int(i);
      for (uint32_t f : faces) meshes_[m].triangle_material[f] = index;
    }
  }
  face_groups_.clear();
  return true;
}

}  // namespace kt
