// Skeleton: the 31-bone figure read from an Acclaim ASF file. Holds per-bone geometry, takes a
// Posture, and answers forward kinematics (bone end positions, marker positions).
//
// The topology is fixed (motion/bone_table.h); the file supplies the numbers and must agree
// with it. A file that cannot be read, or that disagrees, is reported with one log line and
// leaves the skeleton unloaded: root bone only, the 30 other bones cleared.
//
// Also here: the motion scale, the motion folder, and the two process-wide skeletons that
// MotionData consults (degrees of freedom) and poses (marker positions).
#pragma once

#include <cmath>
#include <string>

#include "motion/bone_table.h"
#include "motion/matrix.h"
#include "motion/posture.h"
#include "motion/vector.h"

namespace kt {

// ASF lengths and AMC root positions are multiplied by this when read, divided when written.
inline constexpr float kMotionScale = 2.5f;

// Largest magnitude a bone length or direction, or a root position, may have once scaled. A
// body is tens of units tall; the bound keeps sums along a bone chain, and the squared
// distances of graph scoring, finite. Readers refuse larger values (and NaN, infinity).
inline constexpr float kMaxMotionCoordinate = 1e6f;
inline bool PlausibleCoordinate(float v) { return std::fabs(v) <= kMaxMotionCoordinate; }

struct Bone {
  int sibling = -1;  // next child of the same parent (bone index), or -1
  int child = -1;    // first child, or -1
  int index = 0;
  CVector direction;                                  // unit; in the bone's local frame once loaded
  float length = 0.0f;                                // already scaled
  float axis_x = 0.0f, axis_y = 0.0f, axis_z = 0.0f;  // local frame, degrees, x then y then z
  float shape_width_x = 1.0f, shape_width_y = 1.0f;   // drawing thickness
  int dof_count = 0;
  int has_x = 0, has_y = 0, has_z = 0;
  // Rotation from this bone's frame to its parent's, stored transposed.
  DMatrix parent_to_bone;
  float angle_x = 0.0f, angle_y = 0.0f, angle_z = 0.0f;  // current pose, degrees
};

// Euler angles (degrees) of a bone's rotation for the channels it has. ToEuler keeps y within
// +-90 degrees, so a wrist turned 100 degrees about its only axis y comes out as
// (180, 80, 180); of the two equivalent triples this picks the one whose missing channels are
// nearest zero, so that writing and posing only the bone's channels keeps its rotation.
void BoneEuler(const Bone& bone, const CQuaternion& rotation, float out[3]);

class Skeleton {
 public:
  // Reads `asf_path`; on failure logs why and stays unloaded (loaded() is false).
  Skeleton(const std::string& asf_path, float scale);

  bool loaded() const { return loaded_; }
  // Bone 0; the others are reached by index (bone(i)) or by the child/sibling indices.
  const Bone& RootBone() const { return bones_[0]; }
  const Bone& bone(int index) const { return bones_[index]; }
  // 6 for the root plus every bone's count.
  int dof_count() const { return dof_count_; }
  const CVector& root_position() const { return root_position_; }

  void ResetPose();
  // Root position from the posture; each bone's rotation as Euler angles, written only into
  // the axes the bone has.
  void SetPosture(const Posture& posture);
  // Bone `index`'s angles (degrees, x y z), written only into the axes the bone has.
  void SetBoneAngles(int index, const float angles[3]);
  // End of bone `index` in world coordinates; bone 0 gives the root position.
  CVector BoneEndPosition(int index) const;
  // All 31 bone ends of the current pose in one pass (parents first).
  void BoneEndPositions(CVector out[kBoneCount]) const;

  // SetPosture, then every bone end.
  void GlobalMarkerPositions(const Posture& posture, CVector out[kBoneCount]);
  // As above with the root at the origin and unrotated: the body's shape in the root's frame.
  void RootRelativeMarkerPositions(const Posture& posture, CVector out[kBoneCount]);

 private:
  void Clear();
  bool Read(const std::string& path, float scale);
  void ToLocalDirections();
  void ComputeParentToBone();
  void SetShapeWidths();
  // The transform of bone b's frame relative to its parent's, for the current angles.
  DMatrix LocalTransform(int b) const;

  CVector root_position_;
  int dof_count_ = 6;
  Bone bones_[kBoneCount];
  bool loaded_ = false;
};

// The folder AMC files are read from and written to, as a prefix of the file name: "data\motions\"
// by default (backslashes map to '/' when a file is opened). Tools that take paths set "".
const std::string& MotionFolder();
void SetMotionFolder(const std::string& folder);
// Maps the program's backslash paths to this platform's.
std::string ToFilePath(const std::string& path);

// The shared motion skeleton (degrees of freedom for reading and writing AMC) and marker
// skeleton (posed to compute marker positions), both built from "MartialArts.asf" in the
// working directory on first use, with the motion scale.
Skeleton& MotionSkeleton();
Skeleton& MarkerSkeleton();
// Builds both now from another file (tools). Returns whether it loaded.
bool UseMotionSkeletons(const std::string& asf_path);
// Drops both; the next use reads "MartialArts.asf" again. For tests.
void ResetMotionSkeletons();

}  // namespace kt
