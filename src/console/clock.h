// The process clock that every FrameTimer reads. The program uses the steady clock; tests install
// a ManualClock and advance it, so no test ever sleeps.
#pragma once

namespace kt {

class Clock {
 public:
  virtual ~Clock() = default;
  // Seconds since an arbitrary origin; monotonic.
  virtual double Now() const = 0;
};

// Monotonic wall time (std::chrono::steady_clock).
class SteadyClock final : public Clock {
 public:
  double Now() const override;
};

// Time that moves only when a test says so.
class ManualClock final : public Clock {
 public:
  double Now() const override { return now_; }
  void Advance(double seconds) { now_ += seconds; }
  void Set(double seconds) { now_ = seconds; }

 private:
  double now_ = 0.0;
};

// The one process clock. Defaults to a SteadyClock; SetProcessClock(nullptr) restores it.
// The caller keeps ownership of the clock it installs.
Clock& ProcessClock();
void SetProcessClock(Clock* clock);

}  // namespace kt
