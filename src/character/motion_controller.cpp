// Motion controller playback: construction and registry, Update, stepping, Evaluate.
#include "character/motion_controller.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "console/cvar.h"
#include "console/log.h"
#include "graph/graph_kinds.h"
#include "graph/row_scan.h"
#include "graph/window_score.h"

namespace kt {

namespace {

CVar<float> transition_time_var("motionctrl.transition_time", 0.15f);
CVar<int> eval_type_var("motionctrl.evaltype", 2);  // registered for the console; not read
CVar<float> eval_threshold_var("graph.eval_threshold", 1.0f);

std::map<std::string, MotionController*>& Registry() {
  static std::map<std::string, MotionController*> registry;
  return registry;
}

// A motion about to disappear takes its controllers out of the registry and leaves them
// playing nothing.
void OnMotionDestroyed(const MotionData* motion) {
  auto& registry = Registry();
  for (auto it = registry.begin(); it != registry.end();) {
    if (it->second->motion() == motion) {
      it->second->DetachMotion();
      it = registry.erase(it);
    } else {
      ++it;
    }
  }
}

std::string UniqueName(std::string base) {
  std::transform(base.begin(), base.end(), base.begin(),
                 [](unsigned char c) { return char(std::tolower(c)); });
  std::string name = base;
  for (int suffix = 1; Registry().count(name); ++suffix) name = base + std::to_string(suffix);
  return name;
}

}  // namespace

const std::map<std::string, MotionController*>& MotionControllerRegistry() { return Registry(); }

MotionController* FindMotionController(const std::string& name) {
  const auto it = Registry().find(name);
  return it == Registry().end() ? nullptr : it->second;
}

// ---------------------------------------------------------------------------------------------
// Construction

MotionController::MotionController(MotionData* motion, int graph_type, float eval_threshold,
                                   int eval_type, float transition_time, float speed,
                                   GraphBuildOptions options)
    : speed_(speed), eval_threshold_(eval_threshold), eval_type_(eval_type), motion_(motion) {
  SetMotionDestroyedCallback(OnMotionDestroyed);
  if (motion_ && motion_->frame_count() <= 0) motion_ = nullptr;
  frame_count_ = motion_ ? motion_->frame_count() : -1;
  const float seconds = transition_time < 0.0f ? float(transition_time_var) : transition_time;
  const float fps = motion_ ? float(motion_->frame_rate()) : 120.0f;
  transition_length_ = JumpBlendLength(fps, seconds);
  name_ = UniqueName(motion_ ? motion_->name() : "none");
  Registry()[name_] = this;
  if (motion_) {
    graph_ = CreateGraph(graph_type, *this, options);
    PlaceFrame(0);
  }
}

MotionController::~MotionController() {
  graph_.reset();
  const auto it = Registry().find(name_);
  if (it != Registry().end() && it->second == this) Registry().erase(it);
}

void MotionController::DetachMotion() {
  graph_.reset();
  motion_ = nullptr;
  frame_count_ = -1;
  current_frame_ = 0;
  in_transition_ = false;
  marker_cache_.clear();
}

// ---------------------------------------------------------------------------------------------
// Playback

void MotionController::Play() {
  playing_ = true;
  timer_.Resume();
}

void MotionController::Stop() {
  playing_ = false;
  in_transition_ = false;
  timer_.Pause();
  if (graph_) graph_->Reset();
}

void MotionController::Update() {
  if (!motion_) return;
  // Time starts with the first update, however long ago the controller was made: a clip
  // picked up later must not skip ahead or complete its fades at once.
  if (!started_) {
    started_ = true;
    timer_.Reset();
  }
  if (!playing_) {
    timer_.Reset();
    elapsed_ = 0.0f;
    frames_advanced_ = 0;
    PlaceFrame(current_frame_);
    return;
  }
  elapsed_ = float(timer_.Elapsed());
  const int n = timer_.Ticks(motion_->frame_period(), speed_);
  current_frame_ += n;
  frames_advanced_ = n;
  if (current_frame_ >= frame_count_) current_frame_ = looping_ ? 0 : frame_count_ - 1;
  // A negative speed plays backwards; wrap the same way at the first frame.
  if (current_frame_ < 0) current_frame_ = looping_ ? frame_count_ - 1 : 0;
  if (graph_) graph_->GraphUpdate();
  if (in_transition_)
    BlendJump();
  else
    PlaceFrame(current_frame_);
  timer_.Reset();
}

void MotionController::SetCurrentFrame(int frame) {
  current_frame_ = std::clamp(frame, 0, std::max(frame_count_ - 1, 0));
}

void MotionController::Rewind() {
  Stop();
  current_frame_ = 0;
}

void MotionController::ToEnd() {
  Stop();
  current_frame_ = std::max(frame_count_ - 1, 0);
}

void MotionController::StepForward(int n) {
  Stop();
  current_frame_ = std::min(current_frame_ + n, std::max(frame_count_ - 1, 0));
}

void MotionController::StepBack(int n) {
  Stop();
  current_frame_ = std::max(current_frame_ - n, 0);
}

// ---------------------------------------------------------------------------------------------
// Evaluate

std::span<const CVector> MotionController::MarkerCache() {
  if (marker_cache_.empty() && motion_ && UsesMarkers(eval_type_))
    marker_cache_ = motion_->LoadMarkerPositions(
        eval_type_ == kEvalRelativeMarkers ? kRootRelativeMarkers : kGlobalMarkers);
  return marker_cache_;
}

float MotionController::Evaluate(int a, int b, bool log_pair) {
  if (const auto suggested = SuggestedThreshold(eval_type_)) eval_threshold_var = *suggested;
  if (!motion_) return 0.0f;
  const ScanFrames frames = FlattenFrames(*motion_);
  return ScoreWindows(MakeScanInput(*this, frames), a, b, log_pair);
}

}  // namespace kt
