// Frame timer arithmetic; every reading asks the process clock afresh.
#include "console/frame_timer.h"

#include <cmath>

#include "console/clock.h"

namespace kt {

namespace {
double Now() { return ProcessClock().Now(); }
constexpr int kMaxTicks = 1 << 30;
}  // namespace

void FrameTimer::Reset() {
  if (paused_) Resume();
  reset_time_ = Now();
  if (first_reading_) {
    first_reading_ = 0;
    start_time_ = reset_time_;
  }
}

double FrameTimer::Elapsed() {
  if (first_reading_) {
    first_reading_ = 0;
    return 0.0;
  }
  if (!paused_) return Now() - reset_time_;
  // Re-base the pause at this reading so the paused interval never counts.
  Resume();
  const double elapsed = Now() - reset_time_;
  Pause();
  return elapsed;
}

double FrameTimer::SinceStart() {
  if (first_reading_) {
    first_reading_ = 0;
    return 0.0;
  }
  return Now() - start_time_;
}

void FrameTimer::Pause() {
  if (paused_) return;
  pause_time_ = Now();
  paused_ = true;
}

void FrameTimer::Resume() {
  if (!paused_) return;
  paused_ = false;
  reset_time_ += Now() - pause_time_;
}

int FrameTimer::Ticks(double period_ms, double scale) {
  Elapsed();  // only consumes the first-reading flag of a fresh timer
  const double e = Elapsed();
  const double v = (e / (period_ms * 0.001) + tick_remainder_) * scale;
  if (!(std::fabs(v) < kMaxTicks)) {
    // A NaN or absurd speed or period (settings come from files) must not reach the int.
    tick_remainder_ = 0.0;
    return v > 0.0 ? kMaxTicks : v < 0.0 ? -kMaxTicks : 0;
  }
  const int n = static_cast<int>(v);
  tick_remainder_ = v - n;
  return n;
}

}  // namespace kt
