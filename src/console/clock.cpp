// Process clock: steady-clock seconds, replaceable by tests.
#include "console/clock.h"

#include <chrono>

namespace kt {

double SteadyClock::Now() const {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

namespace {
SteadyClock g_steady;
Clock* g_clock = &g_steady;
}  // namespace

Clock& ProcessClock() { return *g_clock; }

void SetProcessClock(Clock* clock) { g_clock = clock ? clock : &g_steady; }

}  // namespace kt
