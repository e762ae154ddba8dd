// Path planning: the wants-transition policy, the planner and its bounded depth-first search
// over process-wide path slots.
#include "graph/path_graph.h"

#include <algorithm>
#include <cmath>

#include "console/log.h"

namespace kt {

namespace {

constexpr double kRadToDeg = 57.29577951308232;

// Slot k holds the frames of the k-th search step's path from the start frame.
struct PathSlots {
  int count = 0;
  int length = 0;
  std::vector<int> frames;
  int* Slot(int k) { return frames.data() + size_t(k) * length; }
};

PathSlots& Slots() {
  static PathSlots slots;
  return slots;
}

// Bounds on the slot table, far above the defaults (200 slots of 125 frames): values read
// from "cvar.ini" must not overflow the frame count or ask for gigabytes.
constexpr int kMaxSlotFrames = 1 << 16;
constexpr size_t kMaxSlotTable = size_t(1) << 24;

void EnsureSlots(int count, float sim_time, float frame_period_ms) {
  PathSlots& s = Slots();
  if (s.count > 0) return;
  const double frames = std::floor(double(sim_time) / (double(frame_period_ms) * 0.001));
  s.length = (frames >= 0.0 ? int(std::min(frames, double(kMaxSlotFrames))) : 0) + 5;
  s.count = int(std::min(size_t(std::max(count, 0)), kMaxSlotTable / size_t(s.length)));
  if (s.count < count || !(frames <= kMaxSlotFrames))
    LogPrintf(
        "PathGraph: graphmove.maxpaths %d and graphmove.simTime %f exceed the path slot "
        "table; using %d slots of %d frames",
        count, double(sim_time), s.count, s.length);
  s.frames.assign(size_t(s.count) * s.length, 0);
}

}  // namespace

void ResetPathSlots() { Slots() = PathSlots{}; }

float HeadingAngle(const CVector& u, const CVector& v) {
  const double cosine =
      std::clamp(double(Dot(u, v)) / (double(u.Length()) * v.Length()), -1.0, 1.0);
  const double angle = std::acos(cosine) * kRadToDeg;
  return float(Cross(v, u).y > 0.0f ? angle : 360.0 - angle);
}

CVector Facing(const Posture& posture) {
  const CMatrix m = posture.rotations[0].ToMatrix();
  return {m.At(0, 2), m.At(0, 1), m.At(0, 0)};
}

float AngularDifference(float a, float b) {
  auto reduce = [](float x) {
    float r = std::fmod(x, 360.0f);
    return r < 0.0f ? r + 360.0f : r;
  };
  const float d = std::fabs(reduce(a) - reduce(b));
  return std::min(d, 360.0f - d);
}

PathGraph::PathGraph(GraphPlayer& player, GraphBuildOptions options)
    : TransitionGraph(player, options) {
  max_paths_.Register("graphmove.maxpaths", 200);
  sim_time_.Register("graphmove.simTime", 1.0f);
  debug_.Register("graphmove.debug", 1);
  visited_.assign(size_t(node_count()), 0);
  const MotionData* motion = player.Motion();
  EnsureSlots(max_paths_, sim_time_, motion ? motion->frame_period() : 1000.0f / 120.0f);
}

int PathGraph::ChooseTransition(int) { return plan_.empty() ? -1 : plan_.front(); }

bool PathGraph::WantsTransition() {
  static CVar<int> angle_threshold;  // registered on the first planning call; not read
  if (target_direction_.Length() == 0.0f) return false;
  // Node turns are measured on the root's first row axis, which turns the opposite way to the
  // facing (its x and z exchanged): the turn wanted is the heading from the target back to the
  // facing, or every plan would steer away.
  target_angle_ = HeadingAngle(target_direction_, Facing(player().ShownPosture()));
  if (!active_) {
    if (!angle_threshold.Bound()) angle_threshold.Register("graphmove.anglethresh", 20);
    if (!Plan()) {
      if (debug_ != 0) LogPrintf("NO PATH FOUND (searched %d paths)", searched_);
      return false;
    }
    if (debug_ != 0) LogPlan();
  }
  const int first = plan_.front();
  const int advanced = std::max(player().FramesAdvanced(), 0);
  for (int k = 0; k < advanced && !plan_.empty(); ++k) plan_.pop_front();
  if (plan_.empty()) {
    active_ = false;
    return false;
  }
  return plan_.front() != first + advanced;
}

void PathGraph::LogPlan() const {
  LogPrintf("PATH PLANNED on frame %d (searched %d paths): ", player().CurrentFrame(), searched_);
  for (int f : plan_) LogPrintf("%d", f);
  LogPrintf("DONE");
}

bool PathGraph::Plan() {
  plan_.clear();
  active_ = false;
  searched_ = 0;
  best_slot_ = -1;
  best_length_ = 0;
  std::fill(visited_.begin(), visited_.end(), 0);
  simulated_time_ = sim_time_;
  start_frame_ = player().CurrentFrame();
  const float best = Search(start_frame_, 0.0f, 0.0f, 0.0f, 0);
  if (best_slot_ >= 0) {
    const int* slot = Slots().Slot(best_slot_);
    plan_.assign(slot, slot + best_length_);
  }
  if (best == 0.0f || plan_.size() < 2) return false;
  for (size_t k = 1; k < plan_.size(); ++k) {
    if (plan_[k] != plan_[k - 1] + 1) {
      active_ = true;
      if (debug_ != 0) LogPrintf("CONSTRUCTED PATH: target: %f found: %f", target_angle_, best);
      return true;
    }
  }
  return false;
}

// f: frame, t: time spent, u: accumulated turn, b: best turn so far, d: position in the path.
float PathGraph::Search(int f, float t, float u, float b, int d) {
  PathSlots& slots = Slots();
  const int budget = std::min(int(max_paths_), slots.count);
  const int n = node_count();
  if (!(t <= simulated_time_) || f < 0 || f >= n || visited_[f] || searched_ > budget - 2 ||
      !node(f).enabled || d >= slots.length)
    return b;
  const int slot_of_f = searched_;
  slots.Slot(slot_of_f)[d] = f;
  visited_[f] = 1;
  if (f != start_frame_ && f != 0) u += node(f).motion->turn;
  if (AngularDifference(target_angle_, u) < AngularDifference(target_angle_, b)) {
    b = u;
    best_slot_ = slot_of_f;
    best_length_ = d + 1;
  }
  ++searched_;
  std::copy_n(slots.Slot(slot_of_f), d + 1, slots.Slot(searched_));

  const float period = player().Motion()->frame_period() * 0.001f;
  b = Search(f + 1, t + period, u, b, d + 1);

  const int l = player().TransitionLength();
  for (const GraphEdge& e : node(f).edges) {
    if (searched_ > budget - 2) break;
    const int g = e.target;
    if (g + l >= n || !(t + l * period < simulated_time_) || d + l + 1 >= slots.length) continue;
    int* path = slots.Slot(searched_);
    std::copy_n(slots.Slot(slot_of_f), d + 1, path);
    float turn = u;
    for (int k = 0; k < l; ++k) {
      path[d + 1 + k] = g + k;
      turn += node(g + k).motion->turn;
    }
    b = Search(g + l, t + l * period, turn, b, d + l + 1);
  }
  return b;
}

}  // namespace kt
