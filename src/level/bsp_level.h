// The level: a Quake 3 BSP map loaded into flat arrays in the game's y-up frame, with its
// textures, lightmaps, sky box and shader records, drawn with potential visibility and frustum
// culling, and collided against as spheres. One per process: the constructor makes it the
// level that CurrentLevel() answers, the destructor clears that.
//
// Sections: loading and look-ups (bsp_level.cpp), drawing (bsp_render.cpp), collision
// (bsp_collision.cpp).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "console/frame_timer.h"
#include "level/bsp_file.h"
#include "level/level_textures.h"
#include "motion/vector.h"

namespace kt {

class Frustum;

// Shader flags: bits 0-1 blend mode, then scroll and animate.
enum LevelShaderFlag : uint32_t {
  kShaderBlendMask = 3,
  kShaderBlendAlpha = 2,
  kShaderBlendAdd = 3,
  kShaderScroll = 4,
  kShaderAnimate = 8,
};

struct LevelShader {
  uint32_t flags = 0;
  float anim_speed = 0.0f;        // frames per second
  float anim_time_offset = 0.0f;  // seconds
  float scroll_s = 0.0f;          // texture units per second
  float scroll_t = 0.0f;
  int anim_frame_count = 0;
  std::vector<unsigned> anim_frames;

  // Blend modes with bit 1 set are drawn in the blended pass.
  bool blended() const { return (flags & 2) != 0; }
};

struct CollisionPlane {
  CVector normal;
  float distance = 0.0f;
};

class BspLevel {
 public:
  // textures: nullptr means OpenGL textures (GLLevelTextures()). The loader must outlive the
  // level.
  explicit BspLevel(LevelTextureLoader* textures = nullptr);
  ~BspLevel();
  BspLevel(const BspLevel&) = delete;
  BspLevel& operator=(const BspLevel&) = delete;

  // --- loading (bsp_level.cpp)
  // Reads and validates the map, writes "bspdata.txt", loads textures and lightmaps. A file
  // that cannot be read or fails validation leaves the level as it was, "bspdata.txt"
  // untouched, and logs why.
  bool Load(const std::string& path);
  // Load from a file's bytes; `name` is used in log lines.
  bool LoadFromBytes(std::span<const uint8_t> bytes, const std::string& name);
  // format: a printf pattern with exactly one %s, formatted with "lf", "rt", "dn", "up", "ft",
  // "bk". Call before Load. False (nothing loaded) for a pattern with other conversions.
  bool LoadSkyBox(const std::string& format);
  // Every brush with texture index n gets texture index 0 (solid for collision).
  void MarkCollidable(int texture);
  int AddShader(const LevelShader& shader);
  // Every face with this texture index gets the shader; an unknown shader index is logged.
  void AssignShader(int shader, int texture);
  // Fills the animation of a shader record: speed, frame count, a random phase and the frame
  // textures from pattern (exactly one integer conversion) formatted with first..last.
  bool LoadShaderAnimation(LevelShader& shader, float speed, int first, int last,
                           const std::string& pattern);
  // Marks collidable every texture whose contents have the solid bit (1), as the game's own
  // tools would for a map they know nothing else about.
  void MarkSolidTexturesCollidable();
  // Leaf containing the point; -1 when the map has no tree.
  int FindLeaf(const CVector& point) const;
  int LeafCluster(int leaf) const;
  bool ClusterVisible(int from, int to) const;

  // --- drawing (bsp_render.cpp)
  // Draws the sky box and the visible faces; needs a current GL context.
  void Render(const CVector& eye);
  // The culling half of Render, without GL: clears the drawn-face set and the blended list,
  // and returns the faces to draw in the first pass, in order (blended ones go to
  // blended_faces()). The list is the level's own, refilled by the next call.
  const std::vector<int>& CollectVisibleFaces(const CVector& eye, const Frustum& frustum);

  // The texture a face shows now: its own, or a frame of its animated shader.
  unsigned FaceTexture(int face);

  // --- collision (bsp_collision.cpp)
  float Trace(const CVector& start, const CVector& move, float radius);
  std::optional<CollisionPlane> Penetration(const CVector& centre, float radius);
  void ReportTouches(const CVector& centre, float radius);

  // --- state
  bool loaded() const { return loaded_; }
  const std::vector<BspVertex>& vertices() const { return vertices_; }
  const std::vector<BspFace>& faces() const { return faces_; }
  const std::vector<BspNode>& nodes() const { return nodes_; }
  const std::vector<BspLeaf>& leaves() const { return leaves_; }
  const std::vector<int32_t>& leaf_faces() const { return leaf_faces_; }
  const std::vector<BspPlane>& planes() const { return planes_; }
  const std::vector<BspBrush>& brushes() const { return brushes_; }
  const std::vector<int32_t>& leaf_brushes() const { return leaf_brushes_; }
  const std::vector<BspBrushSide>& brush_sides() const { return brush_sides_; }
  const std::vector<int32_t>& mesh_vertices() const { return mesh_vertices_; }
  const std::vector<LevelShader>& shaders() const { return shaders_; }
  const std::vector<int>& touched_leaves() const { return touched_leaves_; }
  const std::vector<int>& blended_faces() const { return blended_faces_; }
  const std::string& entities() const { return entities_; }
  int texture_count() const { return int(texture_records_.size()); }
  int lightmap_count() const { return lightmap_count_; }
  int model_count() const { return model_count_; }
  const char* texture_file_name(int i) const { return texture_records_[i].name; }
  int texture_name(int i) const { return texture_names_[i]; }
  unsigned lightmap_texture(int i) const { return lightmap_textures_[i]; }
  bool has_sky_box() const { return sky_box_[0] != -1; }
  bool FaceDrawn(int face) const { return (drawn_faces_[face >> 5] >> (face & 31)) & 1u; }

 private:
  void TakeArrays(BspData& data);
  void ConvertToYUp();
  void WriteTextures(FILE* report);
  void LoadLightmaps(const std::vector<uint8_t>& lightmaps);
  void WriteBrushCounts(FILE* report);

  void CollectSphereLeaves(const CVector& centre, float radius);
  void CollectSweptLeaves(const CVector& start, const CVector& move, float radius);
  // Largest side distance of a brush for the sphere, stopping at the first side that has the
  // sphere outside; the side index goes to `side` (-1 for a brush without sides).
  float DeepestSide(const BspBrush& brush, const CVector& centre, float radius, int& side) const;
  bool Solid(const BspBrush& brush) const { return brush.texture <= 0; }
  CVector PlaneNormal(int plane) const;

  void DrawSkyBox(const CVector& eye);
  void DrawFace(int face);

  LevelTextureLoader* textures_;
  // Every texture the loader made for this level, given back when it goes.
  std::vector<unsigned> owned_textures_;
  unsigned Keep(unsigned texture) {
    if (texture) owned_textures_.push_back(texture);
    return texture;
  }
  bool loaded_ = false;

  std::vector<BspVertex> vertices_;
  std::vector<BspFace> faces_;
  int lightmap_count_ = 0;
  int model_count_ = 0;
  std::vector<BspNode> nodes_;
  std::vector<BspLeaf> leaves_;
  std::vector<int32_t> leaf_faces_;
  std::vector<BspPlane> planes_;
  std::vector<BspBrush> brushes_;
  std::vector<int32_t> leaf_brushes_;
  std::vector<BspBrushSide> brush_sides_;
  std::vector<int32_t> mesh_vertices_;
  int32_t vis_vector_count_ = 0;
  int32_t vis_vector_size_ = 0;
  std::vector<uint8_t> vis_;
  std::vector<BspTexture> texture_records_;
  std::string entities_;
  int texture_names_[kMaxBspTextures];
  unsigned lightmap_textures_[kMaxBspLightmaps];
  int sky_box_[6];
  std::vector<int> touched_leaves_;
  std::vector<int> opaque_faces_;
  std::vector<int> blended_faces_;
  // Scratch stack of the tree walks of collision.
  std::vector<int> pending_nodes_;
  std::vector<LevelShader> shaders_;
  FrameTimer level_clock_;
  std::vector<uint32_t> drawn_faces_;
  // Absolute vertex indices of mesh faces (first vertex + mesh vertex), per face from
  // mesh_index_start_[face], so glDrawElements needs no per-frame work.
  std::vector<uint32_t> mesh_indices_;
  std::vector<int> mesh_index_start_;
};

// The process's level, or nullptr.
BspLevel* CurrentLevel();

// The value of `key` of the first entity whose "classname" is `classname` ("" when none).
std::string FindEntityValue(const std::string& entities, const std::string& classname,
                            const std::string& key);

// The value of `key` of every entity whose "classname" is `classname` ("" where it is missing).
std::vector<std::string> FindEntityValues(const std::string& entities, const std::string& classname,
                                          const std::string& key);
// The "origin" of every such entity, converted to the game's frame.
std::vector<CVector> FindEntityOrigins(const std::string& entities, const std::string& classname);

// The player start of a map's entities in the game's frame: the first info_player_deathmatch,
// else the first info_player_start; `yaw` is its "angle" in degrees. False when there is none.
bool FindPlayerStart(const std::string& entities, CVector& origin, float& yaw);

// Formats a pattern that must hold exactly one conversion of the given kind ('s' for a string,
// 'd' for an integer, flags and width allowed; "%%" is a literal percent sign). False when the
// pattern holds anything else.
bool FormatOnePlaceholder(const std::string& pattern, char kind, const std::string& text,
                          int number, std::string& out);

}  // namespace kt
