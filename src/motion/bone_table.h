// The fixed 31-bone human figure every skeleton, posture and per-joint table shares: bone
// names in index order and the fixed parent of each bone. A bone's parent always has a lower
// index, so walking the bones in index order visits parents first.
#pragma once

#include <string_view>

namespace kt {

inline constexpr int kBoneCount = 31;

enum BoneId : int {
  kRoot,
  kLHipJoint,
  kLFemur,
  kLTibia,
  kLFoot,
  kLToes,
  kRHipJoint,
  kRFemur,
  kRTibia,
  kRFoot,
  kRToes,
  kLowerBack,
  kUpperBack,
  kThorax,
  kLowerNeck,
  kUpperNeck,
  kHead,
  kLClavicle,
  kLHumerus,
  kLRadius,
  kLWrist,
  kLHand,
  kLFingers,
  kLThumb,
  kRClavicle,
  kRHumerus,
  kRRadius,
  kRWrist,
  kRHand,
  kRFingers,
  kRThumb,
};

inline constexpr const char* kBoneNames[kBoneCount] = {
    "root",      "lhipjoint", "lfemur", "ltibia",    "lfoot",     "ltoes",     "rhipjoint",
    "rfemur",    "rtibia",    "rfoot",  "rtoes",     "lowerback", "upperback", "thorax",
    "lowerneck", "upperneck", "head",   "lclavicle", "lhumerus",  "lradius",   "lwrist",
    "lhand",     "lfingers",  "lthumb", "rclavicle", "rhumerus",  "rradius",   "rwrist",
    "rhand",     "rfingers",  "rthumb"};

// Parent of each bone in the fixed topology; -1 for the root.
inline constexpr int kBoneParents[kBoneCount] = {-1, 0,  1,  2,  3,  4,  0,  6,  7,  8,  9,
                                                 0,  11, 12, 13, 14, 15, 13, 17, 18, 19, 20,
                                                 21, 20, 13, 24, 25, 26, 27, 28, 27};

// Index of a bone name (exact, lower case), or -1.
inline int BoneIndex(std::string_view name) {
  for (int i = 0; i < kBoneCount; ++i)
    if (name == kBoneNames[i]) return i;
  return -1;
}

}  // namespace kt
