// Motion synthesiser: the default clips of the fighter, made from keyframed performances with
// smooth interpolation and slow procedural noise, solved frame by frame into poses
// (pose_builder.h). Every clip is deterministic and recorded at 120 frames per second.
#pragma once

#include <string>
#include <vector>

#include "rig.h"

namespace kt::content {

inline constexpr double kClipRate = 120.0;

struct Clip {
  std::string file;  // name under data/motions/
  std::vector<Pose> poses;
};

// Guard stance, breathing and shifting weight, about 10 s.
std::vector<Pose> MakeIdle();
// Walking and running with the sword held in front, gentle curves, varying strides.
std::vector<Pose> MakeWalk();
std::vector<Pose> MakeRun();
// Sword swings between guard poses; the swings of the swing table lie at their frames.
std::vector<Pose> MakeAttack();
// Blocks and parries.
std::vector<Pose> MakeDefensive();

// All five, in the order idle, walk, run, attack, defensive.
std::vector<Clip> MakeAllClips();

// Frame ranges of the attack clip (first, last) by swing kind: 1 left, 2 right, 0 thrust.
struct SwingRange {
  int kind;
  int first;
  int last;
};
const std::vector<SwingRange>& SwingTable();

// How much a planted foot slides: the lower foot (end of the foot bone) counts while it is
// within `ground` units of the lowest height it reaches in the clip; speeds in units per second.
struct FootSliding {
  double max_speed = 0;   // largest horizontal speed of the lower, grounded foot
  double mean_speed = 0;  // its mean
  double root_speed = 0;  // mean horizontal root speed over the clip
  int grounded_frames = 0;
};
FootSliding MeasureFootSliding(const std::vector<Pose>& poses, double ground = 0.2);

}  // namespace kt::content
