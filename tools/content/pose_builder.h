// Turns what a performer does in one frame (where the pelvis is, how the spine bends, where
// each foot stands, where the sword is) into the figure's joint angles: the legs and arms are
// solved with two-bone inverse kinematics against the figure's own forward kinematics, so a
// planted foot stays exactly where it was put and both hands stay on the hilt.
#pragma once

#include "rig.h"

namespace kt::content {

// A foot as a rigid body: the ball (end of the foot bone) in world units, the heading the foot
// points along (degrees about y), its pitch (degrees, positive lifts the toes) and the pitch of
// the toes (0 keeps them level).
struct FootState {
  Vec3 ball;
  double yaw = 0;
  double pitch = 0;
  double toes_pitch = 0;
};

// Everything one frame of a clip holds. Angles in degrees.
struct BodyTargets {
  Vec3 root;         // pelvis position
  double yaw = 0;    // pelvis heading
  double pitch = 0;  // forward lean of the pelvis (positive tips forward)
  double roll = 0;   // sideways tilt (positive drops the left hip)
  Vec3 spine[3];     // lowerback, upperback, thorax Euler angles
  Vec3 neck[2];      // lowerneck, upperneck
  Vec3 head;
  double clavicle_lift[2]{};   // left, right: raises the shoulder
  double clavicle_reach[2]{};  // left, right: brings the shoulder forward
  FootState feet[2];           // left, right
  Vec3 hilt;                   // left wrist end, world
  Vec3 blade{0, 1, 0};         // unit direction from the left wrist through the right
  Vec3 elbow_out[2];           // left, right: direction the elbows point, world
  double wrist_twist[2]{};
  double grip = 0;  // finger curl
};

// Distance between the two wrist ends along the blade.
inline constexpr double kGripSpan = 1.9;
// Leg reach the inverse kinematics keeps below (hip to ankle).
double MaxLegReach();

// Geometry of the foot in its own heading frame, ball at the origin on the ground.
Vec3 AnkleFromBall();  // ankle relative to the ball, flat foot
Vec3 HeelFromBall();   // heel contact point relative to the ball
// The foot turned by pitch degrees about the lateral axis (positive lifts the toes).
Vec3 PitchFoot(Vec3 v, double pitch);
// Ankle position of a foot state.
Vec3 AnklePosition(const FootState& foot);

// Hip centres (ends of the hip joints) for the pelvis placement of the targets.
void HipPositions(const BodyTargets& t, Vec3 out[2]);

Pose BuildPose(const BodyTargets& t);

}  // namespace kt::content
