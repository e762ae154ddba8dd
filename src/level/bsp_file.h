// The Quake 3 BSP file (IBSP version 46): on-disk records, and reading and writing a whole file
// to and from memory. Reading validates everything the level later follows (lump bounds,
// record sizes, table sizes and every index), so the level and its collision code can index
// the arrays without further checks. Records keep the file's z-up frame here; BspLevel
// converts them. No OpenGL.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kt {

enum BspLump : int {
  kLumpEntities,
  kLumpTextures,
  kLumpPlanes,
  kLumpNodes,
  kLumpLeaves,
  kLumpLeafFaces,
  kLumpLeafBrushes,
  kLumpModels,
  kLumpBrushes,
  kLumpBrushSides,
  kLumpVertices,
  kLumpMeshVertices,
  kLumpEffects,
  kLumpFaces,
  kLumpLightmaps,
  kLumpLightVolumes,
  kLumpVisibility,
  kLumpCount
};

// Face types.
enum BspFaceType : int32_t { kFacePolygon = 1, kFacePatch = 2, kFaceMesh = 3, kFaceBillboard = 4 };

inline constexpr int kBspVersion = 46;
inline constexpr int kBspHeaderSize = 8 + kLumpCount * 8;
// The texture and lightmap tables of the level hold this many entries.
inline constexpr int kMaxBspTextures = 512;
inline constexpr int kMaxBspLightmaps = 512;
// Largest coordinate (vertex position, plane distance, model bound) a level may have; maps are
// built within +-65536, and the bound keeps collision arithmetic finite.
inline constexpr float kMaxBspCoordinate = 1e6f;
inline constexpr int kLightmapSide = 128;
inline constexpr int kLightmapBytes = kLightmapSide * kLightmapSide * 3;
inline constexpr int kBspModelSize = 40;
// Sky texture flags: such faces are hidden when a sky box is loaded.
inline constexpr int32_t kSkyTextureFlags = 0x414;

struct BspVertex {
  float position[3];
  float texcoord[2];
  float lmcoord[2];
  float normal[3];
  uint8_t color[4];
};

struct BspFace {
  int32_t texture;
  int32_t shader;  // the file's effect index; the level replaces it by its shader index
  int32_t type;
  int32_t vertex;
  int32_t vertex_count;
  int32_t mesh_vertex;
  int32_t mesh_vertex_count;
  int32_t lightmap;
  int32_t lm_start[2];
  int32_t lm_size[2];
  float lm_origin[3];
  float lm_vecs[2][3];
  float normal[3];
  int32_t size[2];  // patch control grid width and height
};

struct BspTexture {
  char name[64];
  int32_t flags;
  int32_t contents;
};

struct BspPlane {
  float normal[3];
  float dist;
};

struct BspNode {
  int32_t plane;
  int32_t children[2];  // front, back; a negative child c is leaf -(c + 1)
  int32_t mins[3];
  int32_t maxs[3];
};

struct BspLeaf {
  int32_t cluster;
  int32_t area;
  int32_t mins[3];
  int32_t maxs[3];
  int32_t leaf_face;
  int32_t leaf_face_count;
  int32_t leaf_brush;
  int32_t leaf_brush_count;
};

struct BspBrush {
  int32_t side;
  int32_t side_count;
  int32_t texture;
};

struct BspBrushSide {
  int32_t plane;
  int32_t texture;
};

struct BspModel {
  float mins[3];
  float maxs[3];
  int32_t face;
  int32_t face_count;
  int32_t brush;
  int32_t brush_count;
};

static_assert(sizeof(BspVertex) == 44 && sizeof(BspFace) == 104 && sizeof(BspTexture) == 72 &&
              sizeof(BspPlane) == 16 && sizeof(BspNode) == 36 && sizeof(BspLeaf) == 48 &&
              sizeof(BspBrush) == 12 && sizeof(BspBrushSide) == 8 &&
              sizeof(BspModel) == kBspModelSize);

// A whole map in memory, records as stored.
struct BspData {
  std::string entities;  // up to the first NUL
  std::vector<BspTexture> textures;
  std::vector<BspPlane> planes;
  std::vector<BspNode> nodes;
  std::vector<BspLeaf> leaves;
  std::vector<int32_t> leaf_faces;
  std::vector<int32_t> leaf_brushes;
  std::vector<BspModel> models;
  std::vector<BspBrush> brushes;
  std::vector<BspBrushSide> brush_sides;
  std::vector<BspVertex> vertices;
  std::vector<int32_t> mesh_vertices;
  std::vector<BspFace> faces;
  std::vector<uint8_t> lightmaps;  // lightmap count * kLightmapBytes, RGB
  int32_t vis_vector_count = 0;
  int32_t vis_vector_size = 0;
  std::vector<uint8_t> vis;  // count * size bytes; empty without visibility data

  int lightmap_count() const { return int(lightmaps.size() / kLightmapBytes); }
};

// Parses and validates a file's bytes: every index, and every plane, vertex position and model
// bound finite and within kMaxBspCoordinate. On failure returns false and `error` names the lump or
// the value that is wrong, e.g. "lump 13 (faces): face 7 texture 60 out of range (44 textures)".
bool ParseBsp(std::span<const uint8_t> bytes, BspData& data, std::string& error);

// Lump lengths as stored in a file's directory (for reports); false when the header is short.
bool ReadBspLumpLengths(std::span<const uint8_t> bytes, int32_t lengths[kLumpCount]);

// Serialises a map: header, directory and lumps in lump order, each 4-byte aligned.
std::vector<uint8_t> WriteBsp(const BspData& data);

}  // namespace kt
