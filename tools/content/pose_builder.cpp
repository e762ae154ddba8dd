// Body targets to joint angles: direct angles for the trunk, two-bone inverse kinematics for
// the limbs, closed-form angles for the feet and toes.
#include "pose_builder.h"

#include <algorithm>

namespace kt::content {

namespace {

Mat3 Yaw(double degrees) { return RotationY(degrees); }

// Solves a limb whose upper bone has three channels and whose lower bone bends about its own
// x axis, both pointing down their local y axis at rest. The end of the lower bone (extended
// by `extra` along the same direction) is put on target; the bend happens in the plane that
// holds `pole`; the hinge axis is chosen on the side of `hinge_hint` so the upper bone keeps
// its natural twist.
void SolveLimb(Pose& pose, const Frames& frames, int upper, int lower, double extra, Vec3 target,
               Vec3 pole, Vec3 hinge_hint) {
  const auto& bones = Bones();
  const int parent = bones[upper].parent;
  const Vec3 start = frames.end[parent];
  const double l1 = bones[upper].length;
  const double l2 = bones[lower].length + extra;
  Vec3 d = target - start;
  double dist = Length(d);
  const Vec3 dir = dist > 1e-9 ? d * (1.0 / dist) : Vec3{0, -1, 0};
  dist = std::clamp(dist, std::abs(l1 - l2) + 1e-3, (l1 + l2) * 0.9995);

  Vec3 side = pole - dir * Dot(pole, dir);
  if (Length(side) < 1e-6) side = hinge_hint - dir * Dot(hinge_hint, dir);
  side = Normalize(side);
  const double c = std::clamp((l1 * l1 + dist * dist - l2 * l2) / (2 * l1 * dist), -1.0, 1.0);
  const Vec3 joint = start + dir * (l1 * c) + side * (l1 * std::sqrt(1 - c * c));
  const Vec3 u = Normalize(joint - start);
  const Vec3 l = Normalize(start + dir * dist - joint);

  Vec3 hinge = Cross(u, l);
  if (Length(hinge) < 1e-6) hinge = Cross(u, side);
  hinge = Normalize(hinge - u * Dot(hinge, u));
  if (Dot(hinge, hinge_hint) < 0) hinge = hinge * -1.0;

  const Mat3 world = FromAxes(hinge, u * -1.0);
  pose.angles[upper] = ToEuler(Transpose(frames.rotation[parent]) * world);
  const Vec3 local = Transpose(world) * l;
  pose.angles[lower] = {std::atan2(-local.z, -local.y) / kDeg, 0, 0};
}

// Foot channels (x, z) that point the foot bone along `want` (world), given the shin frame.
// Two channels reach a direction in two ways; the one turning less about z keeps the sole
// down and the angles continuous.
Vec3 FootAngles(const Mat3& shin, Vec3 want) {
  const Vec3 rest = Bones()[kLFoot].direction;
  const Vec3 t = Transpose(shin) * want;
  const double phi = std::atan2(rest.y, rest.z);
  const double bend = std::acos(std::clamp(t.z, -1.0, 1.0));
  const double z1 = std::atan2(t.x, -t.y), z2 = std::atan2(-t.x, t.y);
  if (std::abs(z1) <= std::abs(z2)) return {(phi + bend) / kDeg, 0, z1 / kDeg};
  return {(phi - bend) / kDeg, 0, z2 / kDeg};
}

}  // namespace

double MaxLegReach() { return (Bones()[kLFemur].length + Bones()[kLTibia].length) * 0.997; }

Vec3 AnkleFromBall() {
  const BoneDef& foot = Bones()[kLFoot];
  return foot.direction * -foot.length;
}

Vec3 HeelFromBall() { return {0, 0, AnkleFromBall().z - 0.5}; }

Vec3 PitchFoot(Vec3 v, double pitch) { return RotationX(-pitch) * v; }

Vec3 AnklePosition(const FootState& foot) {
  return foot.ball + Yaw(foot.yaw) * PitchFoot(AnkleFromBall(), foot.pitch);
}

static Mat3 RootRotation(const BodyTargets& t) {
  return Yaw(t.yaw) * RotationX(t.pitch) * RotationZ(-t.roll);
}

void HipPositions(const BodyTargets& t, Vec3 out[2]) {
  const Mat3 r = RootRotation(t);
  for (int s = 0; s < 2; ++s) {
    const BoneDef& hip = Bones()[s == 0 ? kLHipJoint : kRHipJoint];
    out[s] = t.root + r * (hip.direction * hip.length);
  }
}

Pose BuildPose(const BodyTargets& t) {
  Pose pose;
  pose.root = t.root;
  pose.angles[kRoot] = ToEuler(RootRotation(t));
  pose.angles[kLowerBack] = t.spine[0];
  pose.angles[kUpperBack] = t.spine[1];
  pose.angles[kThorax] = t.spine[2];
  pose.angles[kLowerNeck] = t.neck[0];
  pose.angles[kUpperNeck] = t.neck[1];
  pose.angles[kHead] = t.head;
  pose.angles[kLClavicle] = {0, -t.clavicle_reach[0], t.clavicle_lift[0]};
  pose.angles[kRClavicle] = {0, t.clavicle_reach[1], -t.clavicle_lift[1]};
  Frames frames = ForwardKinematics(pose);

  // Legs: the knee bends in the plane of the leg and the foot, so the foot's two channels
  // can point it without rolling it onto its side.
  const int femur[2] = {kLFemur, kRFemur}, tibia[2] = {kLTibia, kRTibia};
  const int foot[2] = {kLFoot, kRFoot}, toes[2] = {kLToes, kRToes};
  Vec3 foot_dir[2];
  for (int s = 0; s < 2; ++s) {
    const FootState& f = t.feet[s];
    const Mat3 heading = Yaw(f.yaw);
    foot_dir[s] = heading * PitchFoot(Bones()[foot[s]].direction, f.pitch);
    SolveLimb(pose, frames, femur[s], tibia[s], 0.0, AnklePosition(f), foot_dir[s],
              heading * Vec3{1, 0, 0});
  }
  frames = ForwardKinematics(pose);
  for (int s = 0; s < 2; ++s)
    pose.angles[foot[s]] = FootAngles(frames.rotation[tibia[s]], foot_dir[s]);
  frames = ForwardKinematics(pose);
  for (int s = 0; s < 2; ++s) {
    const Vec3 want = Yaw(t.feet[s].yaw) * PitchFoot({0, 0, 1}, t.feet[s].toes_pitch);
    const Vec3 local = Transpose(frames.rotation[foot[s]]) * want;
    pose.angles[toes[s]] = {std::atan2(-local.y, local.z) / kDeg, 0, 0};
  }

  // Arms: both hands on the hilt, the right one further up the blade.
  const Vec3 across = frames.rotation[kThorax] * Vec3{1, 0, 0};
  const double wrist = Bones()[kLWrist].length;
  SolveLimb(pose, frames, kLHumerus, kLRadius, wrist, t.hilt, t.elbow_out[0], across);
  SolveLimb(pose, frames, kRHumerus, kRRadius, wrist, t.hilt + t.blade * kGripSpan, t.elbow_out[1],
            across);
  pose.angles[kLWrist] = {0, t.wrist_twist[0], 0};
  pose.angles[kRWrist] = {0, t.wrist_twist[1], 0};
  pose.angles[kLHand] = {-10 - 0.3 * t.grip, 0, 5};
  pose.angles[kRHand] = {-10 - 0.3 * t.grip, 0, -5};
  pose.angles[kLFingers] = pose.angles[kRFingers] = {-t.grip, 0, 0};
  pose.angles[kLThumb] = {-0.5 * t.grip, 0, -10};
  pose.angles[kRThumb] = {-0.5 * t.grip, 0, 10};
  return pose;
}

}  // namespace kt::content
