// Level loading: the file is read and validated into a BspData first, so a bad file changes
// nothing; then the arrays are taken over, converted to y-up in place, the report
// "bspdata.txt" is written and textures and lightmaps are made.
#include "level/bsp_level.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <type_traits>

#include "console/log.h"

namespace kt {

namespace {

BspLevel* g_level = nullptr;

const char* const kSkySuffixes[6] = {"lf", "rt", "dn", "up", "ft", "bk"};

bool FileExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

// (x, y, z) of the z-up file becomes (x, z, -y). An integer coordinate at the type's minimum,
// which has no negation, becomes the maximum.
template <typename T>
void ToYUp(T v[3]) {
  const T y = v[1];
  v[1] = v[2];
  if constexpr (std::is_integral_v<T>)
    v[2] = y == std::numeric_limits<T>::min() ? std::numeric_limits<T>::max() : T(-y);
  else
    v[2] = -y;
}

// Lightmap brightening by 10 that clamps overbright pixels without changing their hue.
void Brighten(const uint8_t* in, uint8_t* out) {
  for (int i = 0; i < kLightmapSide * kLightmapSide; ++i) {
    float c[3];
    float scale = 1.0f;
    for (int k = 0; k < 3; ++k) {
      c[k] = in[i * 3 + k] * 10.0f / 255.0f;
      if (c[k] > 1.0f) scale = std::min(scale, 1.0f / c[k]);
    }
    for (int k = 0; k < 3; ++k) out[i * 3 + k] = uint8_t(c[k] * scale * 255.0f);
  }
}

// The image file of a texture record: the name with ".jpg", else with ".tga", else the name
// itself when it already names a file; "" when none exists.
std::string TextureFile(std::string name) {
  std::replace(name.begin(), name.end(), '\\', '/');
  if (name.empty()) return "";
  if (FileExists(name + ".jpg")) return name + ".jpg";
  if (FileExists(name + ".tga")) return name + ".tga";
  if (FileExists(name)) return name;
  return "";
}

}  // namespace

BspLevel* CurrentLevel() { return g_level; }

BspLevel::BspLevel(LevelTextureLoader* textures)
    : textures_(textures ? textures : &GLLevelTextures()) {
  std::fill(std::begin(texture_names_), std::end(texture_names_), 0);
  std::fill(std::begin(lightmap_textures_), std::end(lightmap_textures_), 0u);
  std::fill(std::begin(sky_box_), std::end(sky_box_), -1);
  g_level = this;
}

BspLevel::~BspLevel() {
  if (g_level == this) g_level = nullptr;
  textures_->Release(owned_textures_);
}

bool BspLevel::Load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  in.seekg(0);
  if (size < 0) return false;
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) return false;
  return LoadFromBytes(bytes, path);
}

bool BspLevel::LoadFromBytes(std::span<const uint8_t> bytes, const std::string& name) {
  BspData data;
  std::string error;
  if (!ParseBsp(bytes, data, error)) {
    LogPrintf("BspLevel: %s is not a valid Quake 3 BSP: %s", name.c_str(), error.c_str());
    return false;
  }
  FILE* report = std::fopen("bspdata.txt", "w");
  if (!report) LogPrintf("BspLevel: cannot write bspdata.txt");
  TakeArrays(data);
  if (report)
    std::fprintf(report,
                 "%i vertices\n%i mesh vertices\n%i faces\n%i textures\n%i lightmaps\n"
                 "%i brushes\n%i models\n\n",
                 int(vertices_.size()), int(mesh_vertices_.size()), int(faces_.size()),
                 texture_count(), lightmap_count_, int(brushes_.size()), model_count_);
  WriteTextures(report);
  LoadLightmaps(data.lightmaps);
  WriteBrushCounts(report);
  if (report) {
    std::fprintf(report, "\nEntities:\n\n%s", entities_.c_str());
    std::fclose(report);
  }
  drawn_faces_.assign(faces_.size() / 32 + 1, 0u);
  blended_faces_.clear();
  touched_leaves_.clear();
  level_clock_.Reset();
  loaded_ = true;
  return true;
}

void BspLevel::TakeArrays(BspData& data) {
  vertices_ = std::move(data.vertices);
  faces_ = std::move(data.faces);
  for (BspFace& f : faces_) f.shader = -1;
  texture_records_ = std::move(data.textures);
  lightmap_count_ = data.lightmap_count();
  nodes_ = std::move(data.nodes);
  leaves_ = std::move(data.leaves);
  leaf_faces_ = std::move(data.leaf_faces);
  planes_ = std::move(data.planes);
  brushes_ = std::move(data.brushes);
  leaf_brushes_ = std::move(data.leaf_brushes);
  brush_sides_ = std::move(data.brush_sides);
  mesh_vertices_ = std::move(data.mesh_vertices);
  vis_vector_count_ = data.vis_vector_count;
  vis_vector_size_ = data.vis_vector_size;
  vis_ = std::move(data.vis);
  entities_ = std::move(data.entities);
  model_count_ = int(data.models.size());
  ConvertToYUp();

  mesh_indices_.clear();
  mesh_index_start_.assign(faces_.size(), 0);
  for (size_t i = 0; i < faces_.size(); ++i) {
    const BspFace& f = faces_[i];
    mesh_index_start_[i] = int(mesh_indices_.size());
    if (f.type != kFaceMesh) continue;
    for (int k = 0; k < f.mesh_vertex_count; ++k)
      mesh_indices_.push_back(uint32_t(f.vertex + mesh_vertices_[f.mesh_vertex + k]));
  }
}

void BspLevel::ConvertToYUp() {
  for (BspVertex& v : vertices_) {
    ToYUp(v.position);
    v.texcoord[1] = -v.texcoord[1];
  }
  for (BspLeaf& l : leaves_) {
    ToYUp(l.mins);
    ToYUp(l.maxs);
  }
  for (BspPlane& p : planes_) ToYUp(p.normal);
}

void BspLevel::WriteTextures(FILE* report) {
  std::vector<bool> used(texture_records_.size(), false);
  for (const BspFace& f : faces_) used[f.texture] = true;
  if (report) std::fprintf(report, "Textures\n\n");
  for (int i = 0; i < texture_count(); ++i) {
    BspTexture& t = texture_records_[i];
    t.name[sizeof(t.name) - 1] = '\0';
    if (report) std::fprintf(report, "%s fl=%x c=%x id=%i\n", t.name, t.flags, t.contents, i);
    texture_names_[i] = 0;
    if (t.flags == kSkyTextureFlags && has_sky_box()) {
      texture_names_[i] = -1;
      continue;
    }
    const std::string file = TextureFile(t.name);
    if (!file.empty()) {
      texture_names_[i] = int(Keep(textures_->LoadImage(file, 0)));
    } else if (report) {
      std::fprintf(report, "%sNOT FOUND!!\n", used[i] ? "USED BUT " : "");
    }
  }
}

void BspLevel::LoadLightmaps(const std::vector<uint8_t>& lightmaps) {
  std::vector<uint8_t> bright(kLightmapBytes);
  for (int i = 0; i < lightmap_count_; ++i) {
    Brighten(lightmaps.data() + size_t(i) * kLightmapBytes, bright.data());
    lightmap_textures_[i] = Keep(textures_->LoadLightmap(bright.data()));
  }
}

void BspLevel::WriteBrushCounts(FILE* report) {
  if (!report) return;
  std::vector<int> counts(texture_count(), 0);
  for (const BspBrush& b : brushes_) ++counts[b.texture];
  for (int i = 0; i < texture_count(); ++i)
    std::fprintf(report, "%i brushes with texture ID %i\n", counts[i], i);
}

bool BspLevel::LoadSkyBox(const std::string& format) {
  for (int i = 0; i < 6; ++i) {
    std::string path;
    if (!FormatOnePlaceholder(format, 's', kSkySuffixes[i], 0, path)) {
      LogPrintf("BspLevel: sky box pattern \"%s\" needs exactly one %%s", format.c_str());
      return false;
    }
    const unsigned texture = Keep(textures_->LoadImage(path, 0));
    sky_box_[i] = texture ? int(texture) : -1;
    if (texture) textures_->ClampToEdge(texture);
  }
  return has_sky_box();
}

void BspLevel::MarkCollidable(int texture) {
  for (BspBrush& b : brushes_)
    if (b.texture == texture) b.texture = 0;
}

void BspLevel::MarkSolidTexturesCollidable() {
  for (int i = 0; i < texture_count(); ++i)
    if (texture_records_[i].contents & 1) MarkCollidable(i);
}

int BspLevel::AddShader(const LevelShader& shader) {
  shaders_.push_back(shader);
  return int(shaders_.size()) - 1;
}

void BspLevel::AssignShader(int shader, int texture) {
  if (shader < 0 || shader >= int(shaders_.size())) {
    LogPrintf("BspLevel: no shader %d", shader);
    return;
  }
  for (BspFace& f : faces_)
    if (f.texture == texture) f.shader = shader;
}

bool BspLevel::LoadShaderAnimation(LevelShader& shader, float speed, int first, int last,
                                   const std::string& pattern) {
  if (last < first || int64_t(last) - first >= 1024) {
    LogPrintf("BspLevel: animation frames %d to %d out of range", first, last);
    return false;
  }
  shader.anim_speed = speed;
  shader.anim_frame_count = last - first + 1;
  // 0 to 32.767 seconds whatever the library's RAND_MAX.
  shader.anim_time_offset = float((std::rand() % 32768) * 0.001);
  shader.anim_frames.assign(shader.anim_frame_count, 0u);
  for (int k = 0; k < shader.anim_frame_count; ++k) {
    std::string path;
    if (!FormatOnePlaceholder(pattern, 'd', "", first + k, path)) {
      LogPrintf("BspLevel: animation pattern \"%s\" needs exactly one integer conversion",
                pattern.c_str());
      shader.anim_frame_count = 0;
      shader.anim_frames.clear();
      return false;
    }
    shader.anim_frames[k] = Keep(textures_->LoadImage(path, 0));
  }
  shader.flags |= kShaderAnimate;
  return true;
}

int BspLevel::FindLeaf(const CVector& point) const {
  if (nodes_.empty()) return leaves_.empty() ? -1 : 0;
  int index = 0;
  while (index >= 0) {
    const BspNode& node = nodes_[index];
    const float d = Dot(PlaneNormal(node.plane), point) - planes_[node.plane].dist;
    index = d >= 0 ? node.children[0] : node.children[1];
  }
  return -(index + 1);
}

int BspLevel::LeafCluster(int leaf) const {
  return leaf >= 0 && leaf < int(leaves_.size()) ? leaves_[leaf].cluster : -1;
}

bool BspLevel::ClusterVisible(int from, int to) const {
  if (vis_.empty() || from < 0 || from >= vis_vector_count_) return true;
  // A leaf outside every cluster, or past the visibility table, is never seen.
  if (to < 0 || to / 8 >= vis_vector_size_) return false;
  return (vis_[size_t(from) * vis_vector_size_ + to / 8] >> (to % 8)) & 1;
}

CVector BspLevel::PlaneNormal(int plane) const {
  const float* n = planes_[plane].normal;
  return {n[0], n[1], n[2]};
}

std::vector<std::string> FindEntityValues(const std::string& entities, const std::string& classname,
                                          const std::string& key) {
  std::vector<std::string> values;
  size_t pos = 0;
  while ((pos = entities.find('{', pos)) != std::string::npos) {
    const size_t end = entities.find('}', pos);
    const std::string block = entities.substr(pos, end == std::string::npos ? end : end - pos);
    // Pairs of quoted strings.
    std::vector<std::string> words;
    for (size_t q = block.find('"'); q != std::string::npos; q = block.find('"', q)) {
      const size_t close = block.find('"', q + 1);
      if (close == std::string::npos) break;
      words.push_back(block.substr(q + 1, close - q - 1));
      q = close + 1;
    }
    std::string found_class, value;
    for (size_t i = 0; i + 1 < words.size(); i += 2) {
      if (words[i] == "classname") found_class = words[i + 1];
      if (words[i] == key && value.empty()) value = words[i + 1];
    }
    if (found_class == classname) values.push_back(value);
    if (end == std::string::npos) break;
    pos = end;
  }
  return values;
}

std::string FindEntityValue(const std::string& entities, const std::string& classname,
                            const std::string& key) {
  const std::vector<std::string> values = FindEntityValues(entities, classname, key);
  return values.empty() ? "" : values[0];
}

std::vector<CVector> FindEntityOrigins(const std::string& entities, const std::string& classname) {
  std::vector<CVector> origins;
  for (const std::string& text : FindEntityValues(entities, classname, "origin")) {
    float o[3];
    if (std::sscanf(text.c_str(), "%f %f %f", &o[0], &o[1], &o[2]) == 3)
      origins.emplace_back(o[0], o[2], -o[1]);
  }
  return origins;
}

bool FindPlayerStart(const std::string& entities, CVector& origin, float& yaw) {
  // Spawn points first: some maps keep a stray info_player_start over the void.
  for (const char* classname : {"info_player_deathmatch", "info_player_start"}) {
    const std::vector<CVector> origins = FindEntityOrigins(entities, classname);
    if (origins.empty()) continue;
    origin = origins[0];
    yaw = std::strtof(FindEntityValue(entities, classname, "angle").c_str(), nullptr);
    return true;
  }
  return false;
}

bool FormatOnePlaceholder(const std::string& pattern, char kind, const std::string& text,
                          int number, std::string& out) {
  int conversions = 0;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '%') continue;
    if (++i < pattern.size() && pattern[i] == '%') continue;
    while (i < pattern.size() && std::strchr("-+ #0", pattern[i])) ++i;
    while (i < pattern.size() && std::isdigit(static_cast<unsigned char>(pattern[i]))) ++i;
    if (i >= pattern.size()) return false;
    const char c = pattern[i];
    const bool ok = kind == 's' ? c == 's' : (c == 'd' || c == 'i');
    if (!ok || ++conversions > 1) return false;
  }
  if (conversions != 1) return false;
  char buffer[1024];
  const int n = kind == 's' ? std::snprintf(buffer, sizeof(buffer), pattern.c_str(), text.c_str())
                            : std::snprintf(buffer, sizeof(buffer), pattern.c_str(), number);
  if (n < 0 || n >= int(sizeof(buffer))) return false;
  out = buffer;
  return true;
}

}  // namespace kt
