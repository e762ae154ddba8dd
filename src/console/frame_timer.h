// Frame timer: one per moving object; measures wall time since its last reset on the process
// clock, pauses without accumulating time, and converts elapsed time into whole ticks.
#pragma once

namespace kt {

class FrameTimer {
 public:
  void Reset();
  // Seconds since the last reset, paused intervals excluded. A fresh timer answers 0 once.
  double Elapsed();
  // Seconds since the first reset, pauses included. A fresh timer answers 0 once.
  double SinceStart();
  void Pause();
  void Resume();
  // Whole ticks of period_ms elapsed since the last reset, times scale; the fraction is carried
  // to the next call. Does not reset the timer.
  int Ticks(double period_ms, double scale);

  bool Paused() const { return paused_; }

 private:
  int first_reading_ = 1;
  double reset_time_ = 0.0;
  double start_time_ = 0.0;
  double pause_time_ = 0.0;
  bool paused_ = false;
  double tick_remainder_ = 0.0;
};

}  // namespace kt
