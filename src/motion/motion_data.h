// MotionData: one playable motion, the frames of one or more AMC clips concatenated into
// Postures, with clip ends, and the caches that let later runs skip the text parsing:
// ".bin" (postures), ".mpos" (root-relative markers) and ".mpos2" (global markers), each
// "<count>\n" followed by the raw little-endian floats, beside the AMC file.
//
// Sections of motion_data.cpp: registry; construction and clips; AMC reading; AMC writing;
// resampling; caches; marker positions.
//
// Bulk data for graph construction is contiguous: postures() is frame_count() Postures, and
// marker arrays are frame_count() * 31 CVectors, frame-major (MarkerAt(markers, f, j)).
#pragma once

#include <string>
#include <vector>

#include "motion/posture.h"
#include "motion/skeleton.h"
#include "motion/vector.h"

namespace kt {

// Kinds of marker positions; the values are those of the cache routines' "kind" argument.
enum MarkerKind : int {
  kRootRelativeMarkers = 2,  // ".mpos"
  kGlobalMarkers = 3,        // ".mpos2"
};

class MotionData {
 public:
  // Reads MotionFolder() + amc_file with `scale` (kMotionScale for game data). On failure
  // frame_count() stays -1 and a log line says why. Registers under the lower-cased name,
  // made unique by appending 1, 2, ...
  MotionData(const std::string& name, const std::string& amc_file, float scale, int body_weights,
             int frame_rate);
  // A motion built in memory (synthetic motions, tests): one clip of the given frames, no
  // resource files. Registers like the reading constructor.
  MotionData(const std::string& name, std::vector<Posture> postures, int frame_rate = 120,
             int body_weights = 0);
  ~MotionData();
  MotionData(const MotionData&) = delete;
  MotionData& operator=(const MotionData&) = delete;

  // Appends the frames of another AMC file as a new clip. False (and nothing changed) when
  // it cannot be read.
  bool AppendClip(const std::string& amc_file, float scale);
  // In-memory counterpart of AppendClip; an empty list adds no clip.
  void AppendPostures(const std::vector<Posture>& postures);
  // The first clip end >= frame, or frame_count() when there is none.
  int NextClipEnd(int frame) const;

  // Writes MotionFolder() + out_file as AMC text; 0, or -1 when it cannot be written.
  int WriteAMC(const std::string& out_file, float scale) const;
  // Keeps every (120 / rate)-th frame, taking the motion as recorded at 120 frames/s. Clip
  // ends move to the last kept frame of each clip. False for a rate outside 1..120.
  bool Resample(int rate);

  // Cache files. 0 on success, -1 on failure (logged).
  static int WriteBinaryPostures(const std::string& path, const Posture* postures, int count);
  int ReadBinaryPostures(const std::string& path);
  static int DumpMarkerPositions(const std::string& path, const Posture* postures, int count,
                                 int kind);
  // frame_count() * 31 markers read from the ".mpos" (kind 2) or ".mpos2" (kind 3) files of
  // every clip; empty on failure (logged).
  std::vector<CVector> LoadMarkerPositions(int kind) const;
  // The same positions computed from the postures with MarkerSkeleton(); needs no files.
  std::vector<CVector> ComputeMarkerPositions(int kind) const;
  // LoadMarkerPositions, falling back to ComputeMarkerPositions (in-memory motions).
  std::vector<CVector> MarkerPositions(int kind) const;

  int dof_count() const { return dof_count_; }
  int frame_count() const { return frame_count_; }
  int frame_rate() const { return frame_rate_; }
  float frame_period() const { return frame_period_; }  // milliseconds
  const std::vector<Posture>& postures() const { return postures_; }
  // frame in [0, frame_count()); not checked, this is the per-frame hot path.
  const Posture& posture(int frame) const { return postures_[size_t(frame)]; }
  const std::string& name() const { return name_; }
  const std::vector<int>& clip_ends() const { return clip_ends_; }
  const std::vector<std::string>& resource_names() const { return resource_names_; }
  int body_weights() const { return body_weights_; }

 private:
  void Register(const std::string& name);

  int dof_count_ = 6;
  int frame_count_ = -1;
  int frame_rate_ = 120;
  float frame_period_ = 1000.0f / 120.0f;
  std::vector<Posture> postures_;
  std::string name_;
  std::vector<int> clip_ends_;
  std::vector<std::string> resource_names_;
  int body_weights_ = 0;
};

inline const CVector& MarkerAt(const std::vector<CVector>& markers, int frame, int joint) {
  return markers[size_t(frame) * kBoneCount + joint];
}

// The process-wide registry, by lower-case name. Motions register and unregister themselves.
MotionData* FindMotion(const std::string& name);
const std::vector<MotionData*>& AllMotions();

// Called from a MotionData's destructor so that higher layers can drop what refers to it
// (motion controllers playing it). One callback; nullptr removes it.
using MotionDestroyedCallback = void (*)(const MotionData* motion);
void SetMotionDestroyedCallback(MotionDestroyedCallback callback);

// Whether reading AMC files uses and writes the caches (default on). Tools that read folders
// they do not own turn it off.
void SetMotionCachesEnabled(bool enabled);
bool MotionCachesEnabled();

// Cache file of an AMC path: everything from the last '.' replaced by `extension`; empty when
// the path has no '.'.
std::string CachePath(const std::string& amc_path, const std::string& extension);

}  // namespace kt
