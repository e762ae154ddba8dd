// Parts model: a 3DS file whose meshes are a humanoid's thirteen body parts, each normalised
// into its bone at load time and compiled into a display list, then stretched between two
// skeleton joints when drawn, so one model fits any skeleton of the same joint layout.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "motion/quaternion.h"
#include "motion/vector.h"

namespace kt {

inline constexpr int kModelParts = 13;

class PartsModel {
 public:
  // Reads the file and compiles the part lists in the current GL context. A file that cannot
  // be read gives the reader's message and "ERROR Loading player model...", and a model with
  // no parts (it draws nothing). Textures are looked up in `texture_dir` by the materials'
  // file names, in any letter case when the exact name is missing.
  static std::unique_ptr<PartsModel> Load(const std::string& path,
                                          const std::string& texture_dir = "data/models/");
  ~PartsModel();
  PartsModel(const PartsModel&) = delete;
  PartsModel& operator=(const PartsModel&) = delete;

  // `joints`: the 31 bone end positions of the character in world coordinates (bone order);
  // `orientation`: the character's orientation.
  void Draw(const CQuaternion& orientation, const CVector* joints) const;
  // The death animation: every part drifts from its joint along its own scatter direction.
  void DrawDying(const CQuaternion& orientation, const CVector* joints, float blend,
                 float fall_acceleration, float time) const;

  int part_count() const { return part_count_; }
  unsigned list_base() const { return list_base_; }
  // Whether the file had a mesh for part i (its list is empty otherwise).
  bool has_part(int i) const { return i >= 0 && i < kModelParts && present_[i]; }
  // Parts the last Draw or DrawDying called a list for (missing parts and bones of zero length
  // are not drawn).
  int parts_drawn() const { return parts_drawn_; }
  // One texture name per material of the file (0 where the image could not be loaded).
  const std::vector<unsigned>& textures() const { return textures_; }
  // Smallest and largest vertex coordinates over all parts, in the file's units.
  const CVector& vertex_min() const { return vertex_min_; }
  const CVector& vertex_max() const { return vertex_max_; }

  // The scatter directions of the last load, two per part, shared by all models.
  static const std::array<std::array<CVector, 2>, kModelParts>& ScatterVectors();

  // `dir` + `name` if that file exists, otherwise the entry of `dir` whose path matches `name`
  // ignoring letter case; `dir` + `name` unchanged when nothing matches.
  static std::string ResolveTexturePath(const std::string& dir, const std::string& name);

 private:
  PartsModel() = default;
  void DrawParts(const CQuaternion& orientation, const CVector* joints, const CVector* moves) const;

  unsigned list_base_ = 0;
  int part_count_ = 0;
  std::array<bool, kModelParts> present_{};
  std::vector<unsigned> textures_;
  CVector vertex_min_, vertex_max_;
  mutable int parts_drawn_ = 0;
};

}  // namespace kt
