// Default clips. Sections:
//   1. curves: easing, slow noise, keyframe tracks
//   2. feet: plants (where and when a foot stands) and the swings between them
//   3. locomotion: walk and run from a curved path and a step schedule
//   4. stance clips: idle, attack and defensive from keyed sword and body poses
//   5. clip list, swing table, foot-sliding measure
#include "motion_synth.h"

#include <algorithm>
#include <array>
#include <random>

#include "pose_builder.h"

namespace kt::content {

namespace {

// ---- 1. curves ------------------------------------------------------------------------------

double Clamp01(double x) { return std::clamp(x, 0.0, 1.0); }
double Smoothstep(double x) {
  x = Clamp01(x);
  return x * x * (3 - 2 * x);
}
double Smootherstep(double x) {
  x = Clamp01(x);
  return x * x * x * (x * (6 * x - 15) + 10);
}
Mat3 Yaw(double degrees) { return RotationY(degrees); }

// Slow, smooth noise in [-amp, amp]: three sines at unrelated frequencies.
class Wobble {
 public:
  Wobble(std::mt19937& rng, double freq, double amp) {
    std::uniform_real_distribution<double> u(0.0, 1.0);
    const double ratio[3] = {1.0, 1.7 + 0.6 * u(rng), 3.1 + 0.8 * u(rng)};
    const double weight[3] = {1.0, 0.5, 0.25};
    for (int i = 0; i < 3; ++i) {
      f_[i] = 2 * kPi * freq * ratio[i] * (0.85 + 0.3 * u(rng));
      p_[i] = 2 * kPi * u(rng);
      a_[i] = amp * weight[i] / 1.75;
    }
  }
  double operator()(double t) const {
    double v = 0;
    for (int i = 0; i < 3; ++i) v += a_[i] * std::sin(f_[i] * t + p_[i]);
    return v;
  }

 private:
  double f_[3], p_[3], a_[3];
};

// Keyframes of N channels, interpolated by cubic Hermite curves whose tangents are flattened at
// holds and turning points, so a held pose stays held and nothing overshoots.
template <int N>
class Keys {
 public:
  using Value = std::array<double, N>;
  void Add(double t, const Value& v) {
    auto at = std::upper_bound(t_.begin(), t_.end(), t) - t_.begin();
    t_.insert(t_.begin() + at, t);
    v_.insert(v_.begin() + at, v);
  }
  Value At(double t) const {
    if (t <= t_.front()) return v_.front();
    if (t >= t_.back()) return v_.back();
    const size_t i = std::upper_bound(t_.begin(), t_.end(), t) - t_.begin() - 1;
    const double h = t_[i + 1] - t_[i];
    const double s = (t - t_[i]) / h;
    const double h00 = 2 * s * s * s - 3 * s * s + 1, h10 = s * s * s - 2 * s * s + s;
    const double h01 = -2 * s * s * s + 3 * s * s, h11 = s * s * s - s * s;
    Value out;
    for (int c = 0; c < N; ++c)
      out[c] = h00 * v_[i][c] + h10 * h * Tangent(i, c) + h01 * v_[i + 1][c] +
               h11 * h * Tangent(i + 1, c);
    return out;
  }

 private:
  double Tangent(size_t i, int c) const {
    if (i == 0 || i + 1 >= t_.size()) return 0;
    const double a = v_[i][c] - v_[i - 1][c], b = v_[i + 1][c] - v_[i][c];
    if (a * b <= 0) return 0;
    return (v_[i + 1][c] - v_[i - 1][c]) / (t_[i + 1] - t_[i - 1]);
  }
  std::vector<double> t_;
  std::vector<Value> v_;
};

// ---- 2. feet --------------------------------------------------------------------------------

// A foot standing on the ground from `on` to `off` (seconds). Walking feet land on the heel
// and roll off the ball; a stance foot just sets down flat.
struct Plant {
  double on = 0, off = 0;
  Vec3 ball;
  double yaw = 0;
  double strike = 0, strike_pitch = 0;  // seconds on the heel, toe lift at landing
  double roll = 0, lift_pitch = 0;      // seconds of heel lift before leaving, its angle
  double swing_height = 1.2;            // lift of the swing that ends on this plant
};

FootState Standing(const Plant& p, double t) {
  FootState f{p.ball, p.yaw, 0, 0};
  if (p.strike > 0 && t < p.on + p.strike) {
    const double pitch = p.strike_pitch * (1 - Smoothstep((t - p.on) / p.strike));
    const Vec3 heel = p.ball + Yaw(p.yaw) * HeelFromBall();
    f.ball = heel + Yaw(p.yaw) * PitchFoot(HeelFromBall() * -1.0, pitch);
    f.pitch = f.toes_pitch = pitch;
  } else if (p.roll > 0 && t > p.off - p.roll) {
    f.pitch = -p.lift_pitch * Smoothstep((t - (p.off - p.roll)) / p.roll);
  }
  return f;
}

FootState Swinging(const Plant& from, const Plant& to, double t) {
  const double u = Clamp01((t - from.off) / (to.on - from.off));
  const FootState a = Standing(from, from.off), b = Standing(to, to.on);
  const double h = Smootherstep(u), e = Smoothstep(u);
  FootState f;
  f.ball = Lerp(a.ball, b.ball, h);
  f.ball.y = a.ball.y + (b.ball.y - a.ball.y) * u + to.swing_height * std::sin(kPi * u);
  f.yaw = a.yaw + (b.yaw - a.yaw) * e;
  f.pitch = a.pitch + (b.pitch - a.pitch) * e + 8 * std::sin(kPi * u) * (to.strike > 0 ? 1 : 0);
  f.toes_pitch = a.toes_pitch + (b.toes_pitch - a.toes_pitch) * e;
  return f;
}

FootState FootAt(const std::vector<Plant>& plants, double t) {
  if (t <= plants.front().off) return Standing(plants.front(), t);
  for (size_t i = 1; i < plants.size(); ++i) {
    if (t < plants[i].on) return Swinging(plants[i - 1], plants[i], t);
    if (t <= plants[i].off) return Standing(plants[i], t);
  }
  return Standing(plants.back(), t);
}

// Lowers the pelvis wherever a foot target lies out of the leg's reach, spreading each dip
// over its neighbours so the hips sink and rise smoothly instead of snapping.
void KeepFeetInReach(std::vector<BodyTargets>& frames) {
  const int n = int(frames.size());
  const double reach = MaxLegReach();
  std::vector<double> drop(n, 0.0);
  for (int i = 0; i < n; ++i) {
    Vec3 hips[2];
    HipPositions(frames[i], hips);
    for (int s = 0; s < 2; ++s) {
      const Vec3 d = hips[s] - AnklePosition(frames[i].feet[s]);
      const double dh = std::hypot(d.x, d.z);
      const double allowed = dh < reach ? std::sqrt(reach * reach - dh * dh) : 0.0;
      drop[i] = std::max(drop[i], d.y - allowed);
    }
  }
  constexpr int kSpread = 12;
  std::vector<double> widened(n, 0.0);
  for (int i = 0; i < n; ++i)
    for (int j = std::max(0, i - kSpread); j <= std::min(n - 1, i + kSpread); ++j)
      widened[i] = std::max(widened[i], drop[j]);
  for (int i = 0; i < n; ++i) {
    double sum = 0, weight = 0;
    for (int j = -kSpread; j <= kSpread; ++j) {
      const int k = std::clamp(i + j, 0, n - 1);
      const double w = std::cos(0.5 * kPi * j / (kSpread + 1));
      sum += w * widened[k];
      weight += w;
    }
    frames[i].root.y -= sum / weight;
  }
}

std::vector<Pose> Solve(std::vector<BodyTargets>& frames) {
  KeepFeetInReach(frames);
  std::vector<Pose> poses;
  poses.reserve(frames.size());
  for (const BodyTargets& t : frames) poses.push_back(BuildPose(t));
  return poses;
}

// The sword hand-hold and trunk defaults shared by every clip.
void SetUpperBody(BodyTargets& b, double heading, Vec3 hilt_local, Vec3 blade_local) {
  const Mat3 h = Yaw(heading);
  b.hilt = b.root + h * hilt_local;
  b.blade = Normalize(h * blade_local);
  b.elbow_out[0] = Normalize(h * Vec3{0.55, -1.0, -0.25});
  b.elbow_out[1] = Normalize(h * Vec3{-0.55, -1.0, -0.25});
  b.wrist_twist[0] = 10;
  b.wrist_twist[1] = -10;
  b.grip = 70;
}

// ---- 3. locomotion --------------------------------------------------------------------------

struct Gait {
  unsigned seed;
  double duration;
  double speed, step_time, duty;  // units/s, seconds per step, stance share of a stride
  double width, ball_ahead, toe_out, swing_height;
  double strike, strike_pitch, roll_share, lift_pitch;
  double height, bob, bob_shift, sway, twist, tilt, lean, spine_lean;
  double turn_rate, turn_period;  // degrees/s of the curves and their period
  Vec3 hilt, blade;
  double sword_bob;
};

// A path sampled finely: heading and position by time.
class Path {
 public:
  Path(const Gait& g, std::mt19937& rng) : start_(-4.0) {
    Wobble turn(rng, 1.0 / g.turn_period, 0.5 * g.turn_rate);
    Wobble pace(rng, 0.15, 0.09);
    const double phase = std::uniform_real_distribution<double>(0, 2 * kPi)(rng);
    const int n = int((g.duration + 8.0) / kStep) + 2;
    heading_.resize(n);
    pos_.resize(n);
    double heading = 0;
    Vec3 p;
    for (int i = 0; i < n; ++i) {
      const double t = start_ + i * kStep;
      heading_[i] = heading;
      pos_[i] = p;
      const double rate = g.turn_rate * std::sin(2 * kPi * t / g.turn_period + phase) + turn(t);
      heading += rate * kStep;
      const double v = g.speed * (1 + pace(t));
      p = p + Vec3{std::sin(heading * kDeg), 0, std::cos(heading * kDeg)} * (v * kStep);
    }
    // Start the clip at the origin, facing +z.
    const Vec3 origin = Position(0);
    const double facing = Heading(0);
    for (int i = 0; i < n; ++i) {
      pos_[i] = Yaw(-facing) * (pos_[i] - origin);
      heading_[i] -= facing;
    }
  }
  double Heading(double t) const { return Sample(heading_, t); }
  Vec3 Position(double t) const {
    return {Sample(pos_, t, &Vec3::x), 0, Sample(pos_, t, &Vec3::z)};
  }

 private:
  static constexpr double kStep = 1.0 / 480.0;
  double Index(double t, size_t n, size_t& i) const {
    const double f = std::clamp((t - start_) / kStep, 0.0, double(n - 2));
    i = size_t(f);
    return f - double(i);
  }
  double Sample(const std::vector<double>& v, double t) const {
    size_t i;
    const double a = Index(t, v.size(), i);
    return v[i] + (v[i + 1] - v[i]) * a;
  }
  double Sample(const std::vector<Vec3>& v, double t, double Vec3::*c) const {
    size_t i;
    const double a = Index(t, v.size(), i);
    return v[i].*c + (v[i + 1].*c - v[i].*c) * a;
  }
  double start_;
  std::vector<double> heading_;
  std::vector<Vec3> pos_;
};

std::vector<Pose> Locomotion(const Gait& g) {
  std::mt19937 rng(g.seed);
  std::normal_distribution<double> normal(0.0, 1.0);
  const Path path(g, rng);
  Wobble breath(rng, 0.3, 1.0), look(rng, 0.12, 6.0), sword(rng, 0.4, 0.25);

  // Step schedule: touchdown times alternate left (even) and right (odd).
  std::vector<double> touch;
  for (double t = -3.0; t < g.duration + 3.0;)
    touch.push_back(t), t += g.step_time * (1 + 0.045 * std::clamp(normal(rng), -2.0, 2.0));
  std::vector<Plant> plants[2];
  for (size_t k = 0; k + 2 < touch.size(); ++k) {
    const int side = int(k % 2);
    const double sign = side == 0 ? 1.0 : -1.0;
    Plant p;
    p.on = touch[k];
    p.off = touch[k] + g.duty * (touch[k + 2] - touch[k]);
    const double mid = 0.5 * (p.on + p.off);
    const double heading = path.Heading(mid);
    p.ball = path.Position(mid) + Yaw(heading) * Vec3{sign * 0.5 * g.width, 0, g.ball_ahead};
    p.yaw = heading + sign * g.toe_out;
    p.strike = g.strike;
    p.strike_pitch = g.strike_pitch;
    p.roll = g.roll_share * (p.off - p.on);
    p.lift_pitch = g.lift_pitch * (1 + 0.08 * normal(rng));
    p.swing_height = g.swing_height * (1 + 0.12 * std::clamp(normal(rng), -2.0, 2.0));
    plants[side].push_back(p);
  }

  const int count = int(g.duration * kClipRate);
  std::vector<BodyTargets> frames(count);
  size_t k = 0;
  for (int f = 0; f < count; ++f) {
    const double t = f / kClipRate;
    while (k + 1 < touch.size() && touch[k + 1] <= t) ++k;
    // Step phase: integer at each touchdown, even for the left foot.
    const double s = double(k) + (t - touch[k]) / (touch[k + 1] - touch[k]);
    const double heading = path.Heading(t);
    const double twist = -g.twist * std::cos(kPi * s);
    BodyTargets& b = frames[f];
    b.root = path.Position(t) + Yaw(heading) * Vec3{g.sway * std::sin(kPi * s), 0, 0};
    b.root.y = g.height - g.bob * std::cos(2 * kPi * (s - g.bob_shift));
    b.yaw = heading + twist;
    b.pitch = g.lean;
    b.roll = -g.tilt * std::sin(kPi * s);
    // The chest turns against the pelvis; the neck takes back what is left so the head looks
    // where the figure goes.
    b.spine[0] = {g.spine_lean + 0.3 * breath(t), -0.35 * twist, 0.3 * b.roll};
    b.spine[1] = {g.spine_lean * 0.5 + 0.5 * breath(t), -0.45 * twist, 0.2 * b.roll};
    b.spine[2] = {0.5 * breath(t), -0.45 * twist, 0};
    b.neck[0] = {-0.4 * (g.lean + 1.5 * g.spine_lean), 0.12 * twist + 0.3 * look(t), 0};
    b.neck[1] = {-0.3 * (g.lean + 1.5 * g.spine_lean), 0.13 * twist + 0.3 * look(t), 0};
    b.head = {-0.3 * (g.lean + 1.5 * g.spine_lean), 0.4 * look(t), 0};
    b.clavicle_lift[0] = b.clavicle_lift[1] = 3 + breath(t);
    b.clavicle_reach[0] = b.clavicle_reach[1] = 10;
    for (int side = 0; side < 2; ++side) b.feet[side] = FootAt(plants[side], t);
    const Vec3 bob{0, g.sword_bob * std::sin(2 * kPi * s + 1.0) + sword(t), 0};
    SetUpperBody(b, heading, g.hilt + bob, g.blade + Vec3{0.3 * sword(t), 0, 0});
  }
  return Solve(frames);
}

// ---- 4. stance clips ------------------------------------------------------------------------

// Channels of a keyed stance pose.
enum Channel {
  kHiltX,
  kHiltY,
  kHiltZ,
  kBladeX,
  kBladeY,
  kBladeZ,
  kTwist,   // trunk turn, degrees (positive turns to the left)
  kLean,    // trunk lean forward, degrees
  kCrouch,  // pelvis lowered, units
  kShiftX,  // pelvis shifted toward the left foot, units
  kShiftZ,  // pelvis shifted forward, units
  kLook,    // head turn, degrees
  kChannels
};
using StanceKeys = Keys<kChannels>;
using StancePose = StanceKeys::Value;

StancePose Make(Vec3 hilt, Vec3 blade, double twist, double lean = 0, double crouch = 0,
                double shift_x = 0, double shift_z = 0, double look = 0) {
  const Vec3 b = Normalize(blade);
  return {hilt.x, hilt.y, hilt.z, b.x, b.y, b.z, twist, lean, crouch, shift_x, shift_z, look};
}

// Poses in the fighter's own frame: +z forward, +x to its left, hilt relative to the pelvis.
const StancePose kGuard = Make({-0.2, 4.4, 6.0}, {0.05, 0.9, 1.0}, 0);
const StancePose kHighGuard = Make({-0.5, 5.5, 5.8}, {0.1, 1.2, 0.8}, -4, 0, 0.3);

// A step of one foot by `move` (fighter frame) starting at `time` seconds.
struct StepEvent {
  double time;
  int side;
  Vec3 move;
  double turn;
};

struct Stance {
  unsigned seed;
  double duration;
  double height;
  double sway;    // weight shift amplitude
  double breath;  // breathing depth
  StanceKeys keys;
  std::vector<StepEvent> steps;
};

std::vector<Pose> StanceClip(const Stance& st) {
  std::mt19937 rng(st.seed);
  Wobble shift(rng, 0.18, st.sway), drift(rng, 0.11, 0.35 * st.sway), turn(rng, 0.07, 3.0);
  Wobble hands(rng, 0.35, 0.25), tip(rng, 0.3, 0.06), look(rng, 0.1, 8.0);
  Wobble breath_rate(rng, 0.05, 0.12);

  // Feet: a fighting stance, left foot forward; every step event ends one plant and starts
  // the next one of that foot.
  std::vector<Plant> plants[2];
  const Vec3 start[2] = {{2.7, 0, 2.6}, {-2.7, 0, -2.2}};
  const double start_yaw[2] = {12, -28};
  for (int s = 0; s < 2; ++s) {
    Plant p;
    p.on = -10;
    p.ball = start[s];
    p.yaw = start_yaw[s];
    plants[s].push_back(p);
  }
  for (const StepEvent& e : st.steps) {
    Plant& last = plants[e.side].back();
    last.off = e.time;
    Plant next = last;
    next.on = e.time + 0.28;
    next.ball = last.ball + e.move;
    next.yaw = last.yaw + e.turn;
    next.swing_height = 1.0;
    plants[e.side].push_back(next);
  }
  for (int s = 0; s < 2; ++s) plants[s].back().off = st.duration + 10;

  const int count = int(st.duration * kClipRate);
  std::vector<BodyTargets> frames(count);
  double breath_phase = 0;
  for (int f = 0; f < count; ++f) {
    const double t = f / kClipRate;
    const StancePose k = st.keys.At(f);
    breath_phase += 2 * kPi * (0.27 + breath_rate(t)) / kClipRate;
    const double breath = st.breath * std::sin(breath_phase);
    BodyTargets& b = frames[f];
    for (int s = 0; s < 2; ++s) b.feet[s] = FootAt(plants[s], t);
    const Vec3 centre = (b.feet[0].ball + b.feet[1].ball) * 0.5;
    const double facing = 0.5 * (b.feet[0].yaw - 12 + b.feet[1].yaw + 28) + turn(t);
    const Mat3 h = Yaw(facing);
    b.root = centre + h * Vec3{k[kShiftX] + shift(t), 0, -0.6 + k[kShiftZ] + drift(t)};
    b.root.y = st.height - k[kCrouch] - 0.15 * std::abs(shift(t));
    const double twist = k[kTwist];
    b.yaw = facing + 0.35 * twist - 8;
    b.pitch = 3 + 0.4 * k[kLean];
    b.roll = 0.8 * shift(t);
    b.spine[0] = {0.2 * k[kLean] + 0.3 * breath, 0.2 * twist + 2.5, -0.5 * shift(t)};
    b.spine[1] = {0.2 * k[kLean] + 0.6 * breath, 0.2 * twist + 2.5, -0.3 * shift(t)};
    b.spine[2] = {0.2 * k[kLean] + 0.4 * breath, 0.25 * twist + 3, 0};
    const double level = -(b.pitch + 0.6 * k[kLean] + breath) * 0.33;
    const double ahead = -0.8 * twist / 3;
    b.neck[0] = {level, ahead + 0.3 * (k[kLook] + look(t)), 0};
    b.neck[1] = {level, ahead + 0.3 * (k[kLook] + look(t)), 0};
    b.head = {level, ahead + 0.4 * (k[kLook] + look(t)), 0};
    b.clavicle_lift[0] = b.clavicle_lift[1] = 3 + 1.5 * breath;
    b.clavicle_reach[0] = b.clavicle_reach[1] = 10;
    const Vec3 hilt{k[kHiltX] + hands(t), k[kHiltY] + 0.3 * breath + 0.5 * hands(t + 7), k[kHiltZ]};
    SetUpperBody(b, facing, hilt, Vec3{k[kBladeX] + tip(t), k[kBladeY], k[kBladeZ] + tip(t + 3)});
  }
  return Solve(frames);
}

// Adds keys for one swing whose visible part runs over frames first..last: the wind-up peaks
// just after `first`, the cut passes the middle, the follow-through ends at `last`, and the
// fighter settles back to guard afterwards unless the next move starts sooner.
void AddSwing(StanceKeys& keys, int first, int last, const StancePose& windup,
              const StancePose& strike, const StancePose& follow, double prepare, double settle) {
  const double d = last - first;
  if (prepare > 0) keys.Add(first - prepare, kGuard);
  keys.Add(first + 0.2 * d, windup);
  keys.Add(first + 0.55 * d, strike);
  keys.Add(last, follow);
  if (settle > 0) keys.Add(last + settle, kGuard);
}

const StancePose kLeftWindup = Make({-3.2, 8.0, 3.5}, {-0.35, 1, -0.5}, -25, -3, 0.2, -0.4);
const StancePose kLeftStrike = Make({0.0, 5.8, 8.0}, {0.7, 0.15, 1.0}, 5, 8, 0.6, 0.2, 0.6);
const StancePose kLeftFollow = Make({2.8, 3.0, 5.2}, {0.8, -0.6, 0.1}, 30, 10, 0.9, 0.6, 0.3);
const StancePose kRightWindup = Make({3.0, 8.0, 3.5}, {0.35, 1, -0.5}, 25, -3, 0.2, 0.4);
const StancePose kRightStrike = Make({0.0, 5.8, 8.0}, {-0.7, 0.15, 1.0}, -5, 8, 0.6, -0.2, 0.6);
const StancePose kRightFollow = Make({-2.8, 3.0, 5.2}, {-0.8, -0.6, 0.1}, -30, 10, 0.9, -0.6, 0.3);
const StancePose kThrustDraw = Make({-2.4, 3.8, 2.6}, {0.1, 0.15, 1.0}, -22, 0, 1.0, -0.3, -0.8);
const StancePose kThrustLunge = Make({0.2, 5.2, 7.6}, {0.0, 0.05, 1.0}, 10, 12, 1.6, 0.2, 2.0);
const StancePose kThrustHold = Make({0.1, 5.0, 7.4}, {0.0, 0.1, 1.0}, 8, 10, 1.5, 0.2, 1.8);

void AddKind(StanceKeys& keys, int kind, int first, int last, double prepare, double settle) {
  if (kind == 1)
    AddSwing(keys, first, last, kLeftWindup, kLeftStrike, kLeftFollow, prepare, settle);
  else if (kind == 2)
    AddSwing(keys, first, last, kRightWindup, kRightStrike, kRightFollow, prepare, settle);
  else
    AddSwing(keys, first, last, kThrustDraw, kThrustLunge, kThrustHold, prepare, settle);
}

// Swings of the attack clip besides those of the table, so the clip also reads as a fight
// when it drives a whole figure.
const std::vector<SwingRange>& ExtraSwings() {
  static const std::vector<SwingRange> extra = {
      {2, 70, 94}, {1, 330, 356}, {0, 560, 588}, {2, 680, 703}, {1, 1150, 1172}};
  return extra;
}

}  // namespace

// ---- 5. clips -------------------------------------------------------------------------------

const std::vector<SwingRange>& SwingTable() {
  static const std::vector<SwingRange> table = {{1, 806, 825}, {1, 934, 952}, {1, 445, 471},
                                                {2, 217, 236}, {2, 907, 930}, {0, 1083, 1110}};
  return table;
}

std::vector<Pose> MakeIdle() {
  Stance st{11, 10.0, 17.1, 0.7, 1.0, {}, {}};
  st.keys.Add(0, kGuard);
  st.keys.Add(300, Make({-0.1, 4.6, 6.1}, {0.1, 0.95, 1.0}, 4, 0, 0.1, 0, 0, 10));
  st.keys.Add(520, Make({-0.4, 4.2, 5.8}, {0.0, 0.85, 1.0}, -3, 2, 0.2, 0, 0, -8));
  st.keys.Add(760, kHighGuard);
  st.keys.Add(980, Make({-0.2, 4.5, 6.0}, {0.05, 0.9, 1.0}, 2, 0, 0, 0, 0, 6));
  st.keys.Add(1199, kGuard);
  st.steps = {{5.6, 1, {0.3, 0, -0.5}, -4}, {8.4, 1, {-0.3, 0, 0.5}, 4}};
  return StanceClip(st);
}

std::vector<Pose> MakeWalk() {
  return Locomotion({.seed = 21,
                     .duration = 12.0,
                     .speed = 22.0,
                     .step_time = 0.56,
                     .duty = 0.60,
                     .width = 3.6,
                     .ball_ahead = 1.6,
                     .toe_out = 7.0,
                     .swing_height = 1.6,
                     .strike = 0.07,
                     .strike_pitch = 14.0,
                     .roll_share = 0.35,
                     .lift_pitch = 30.0,
                     .height = 17.5,
                     .bob = 0.45,
                     .bob_shift = 0.0,
                     .sway = 0.7,
                     .twist = 5.0,
                     .tilt = 3.0,
                     .lean = 3.0,
                     .spine_lean = 1.0,
                     .turn_rate = 12.0,
                     .turn_period = 7.5,
                     .hilt = {-0.2, 4.0, 5.8},
                     .blade = {0.08, 1.0, 0.85},
                     .sword_bob = 0.2});
}

std::vector<Pose> MakeRun() {
  return Locomotion({.seed = 31,
                     .duration = 10.0,
                     .speed = 58.0,
                     .step_time = 0.34,
                     .duty = 0.36,
                     .width = 3.0,
                     .ball_ahead = 1.8,
                     .toe_out = 5.0,
                     .swing_height = 4.2,
                     .strike = 0.03,
                     .strike_pitch = 8.0,
                     .roll_share = 0.45,
                     .lift_pitch = 35.0,
                     .height = 17.1,
                     .bob = 0.7,
                     .bob_shift = 0.36,
                     .sway = 0.5,
                     .twist = 7.0,
                     .tilt = 2.0,
                     .lean = 9.0,
                     .spine_lean = 4.0,
                     .turn_rate = 14.0,
                     .turn_period = 6.5,
                     .hilt = {-0.3, 3.6, 5.4},
                     .blade = {0.1, 1.0, 0.6},
                     .sword_bob = 0.35});
}

std::vector<Pose> MakeAttack() {
  Stance st{41, 10.0, 16.9, 0.5, 0.8, {}, {}};
  std::vector<SwingRange> swings = SwingTable();
  swings.insert(swings.end(), ExtraSwings().begin(), ExtraSwings().end());
  std::sort(swings.begin(), swings.end(),
            [](const SwingRange& a, const SwingRange& b) { return a.first < b.first; });
  st.keys.Add(0, kGuard);
  for (size_t i = 0; i < swings.size(); ++i) {
    const int gap_before = i == 0 ? 1000 : swings[i].first - swings[i - 1].last;
    const int gap_after = i + 1 == swings.size() ? 1000 : swings[i + 1].first - swings[i].last;
    AddKind(st.keys, swings[i].kind, swings[i].first, swings[i].last, gap_before > 60 ? 24 : 0,
            gap_after > 60 ? 32 : 0);
  }
  st.keys.Add(1199, kGuard);
  st.steps = {{1.6, 0, {0, 0, 2.2}, 0},      {1.85, 1, {0, 0, 2.2}, 0},
              {4.2, 1, {0, 0, -2.0}, 0},     {4.45, 0, {0, 0, -2.0}, 0},
              {6.1, 0, {0.6, 0, 1.6}, 4},    {6.35, 1, {0.6, 0, 1.6}, 4},
              {8.2, 1, {-0.6, 0, -1.8}, -4}, {8.45, 0, {-0.6, 0, -1.4}, -4}};
  return StanceClip(st);
}

std::vector<Pose> MakeDefensive() {
  const StancePose high = Make({2.6, 11.0, 4.2}, {-1, 0.08, 0.15}, 0, -4, 0.6, 0, -0.4, 0);
  const StancePose left = Make({3.6, 3.8, 5.0}, {0.1, 1, 0.25}, 22, 2, 0.8, 0.3, 0, 8);
  const StancePose right = Make({-3.4, 3.8, 5.0}, {-0.1, 1, 0.25}, -22, 2, 0.8, -0.3, 0, -8);
  const StancePose low = Make({1.2, 2.2, 6.0}, {-0.5, -0.8, 0.4}, 8, 10, 1.4, 0, 0.4);
  const StancePose parry_l = Make({2.0, 5.5, 6.8}, {0.6, 0.9, 0.6}, 14, 4, 0.5, 0.2, 0.3);
  const StancePose parry_r = Make({-2.0, 5.5, 6.8}, {-0.6, 0.9, 0.6}, -14, 4, 0.5, -0.2, 0.3);
  Stance st{51, 8.0, 16.9, 0.5, 0.9, {}, {}};
  const std::pair<int, StancePose> moves[] = {
      {0, kGuard},   {60, kGuard},   {80, high},    {125, high},    {150, kGuard},  {210, kGuard},
      {228, left},   {262, left},    {285, kGuard}, {335, kGuard},  {350, parry_r}, {364, right},
      {395, right},  {420, kGuard},  {470, kGuard}, {490, low},     {530, low},     {555, kGuard},
      {600, kGuard}, {614, parry_l}, {628, kGuard}, {640, parry_r}, {656, kGuard},  {700, kGuard},
      {718, high},   {752, high},    {770, right},  {800, right},   {826, kGuard},  {880, kGuard},
      {896, left},   {925, left},    {959, kGuard}};
  for (const auto& [frame, pose] : moves) st.keys.Add(frame, pose);
  st.steps = {{2.3, 1, {0, 0, -1.8}, 0},
              {2.55, 0, {0, 0, -1.8}, 0},
              {5.2, 0, {0, 0, 1.8}, 0},
              {5.45, 1, {0, 0, 1.8}, 0}};
  return StanceClip(st);
}

std::vector<Clip> MakeAllClips() {
  return {{"idle.amc", MakeIdle()},
          {"walk.amc", MakeWalk()},
          {"run.amc", MakeRun()},
          {"attack.amc", MakeAttack()},
          {"defensive.amc", MakeDefensive()}};
}

FootSliding MeasureFootSliding(const std::vector<Pose>& poses, double ground) {
  FootSliding out;
  if (poses.size() < 2) return out;
  std::vector<Frames> frames;
  frames.reserve(poses.size());
  double floor = 1e9;
  for (const Pose& p : poses) {
    frames.push_back(ForwardKinematics(p));
    floor = std::min({floor, frames.back().end[kLFoot].y, frames.back().end[kRFoot].y});
  }
  double sum = 0, travel = 0;
  for (size_t i = 0; i + 1 < frames.size(); ++i) {
    const Vec3 r = frames[i + 1].end[kRoot] - frames[i].end[kRoot];
    travel += std::hypot(r.x, r.z);
    const int foot = frames[i].end[kLFoot].y <= frames[i].end[kRFoot].y ? kLFoot : kRFoot;
    if (frames[i].end[foot].y > floor + ground) continue;
    const Vec3 d = frames[i + 1].end[foot] - frames[i].end[foot];
    const double speed = std::hypot(d.x, d.z) * kClipRate;
    out.max_speed = std::max(out.max_speed, speed);
    sum += speed;
    ++out.grounded_frames;
  }
  out.mean_speed = out.grounded_frames ? sum / out.grounded_frames : 0;
  out.root_speed = travel * kClipRate / double(poses.size() - 1);
  return out;
}

}  // namespace kt::content
