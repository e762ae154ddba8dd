#include "console/frame_timer.h"

#include <gtest/gtest.h>

#include <cmath>

#include "test_support.h"

namespace kt {
namespace {

TEST(FrameTimer, FreshTimerAnswersZeroOnceThenMeasuresFromReset) {
  test::ManualClockScope clock;
  clock.Advance(5.0);
  FrameTimer timer;
  EXPECT_EQ(timer.Elapsed(), 0.0);
  // No reset happened: the reset time is still the construction-time zero.
  EXPECT_DOUBLE_EQ(timer.Elapsed(), 5.0);
  timer.Reset();
  clock.Advance(0.5);
  EXPECT_DOUBLE_EQ(timer.Elapsed(), 0.5);
}

TEST(FrameTimer, SinceStartCountsFromFirstResetIncludingPauses) {
  test::ManualClockScope clock;
  clock.Advance(1.0);
  FrameTimer timer;
  timer.Reset();
  clock.Advance(1.0);
  timer.Pause();
  clock.Advance(2.0);
  timer.Resume();
  timer.Reset();  // later resets leave the start time alone
  clock.Advance(1.0);
  EXPECT_DOUBLE_EQ(timer.SinceStart(), 4.0);
  EXPECT_DOUBLE_EQ(timer.Elapsed(), 1.0);
}

// A pause stops the reading (repeated pauses and resumes are ignored); a reset resumes.
TEST(FrameTimer, PausedIntervalNeverCounts) {
  test::ManualClockScope clock;
  FrameTimer timer;
  timer.Reset();
  clock.Advance(1.0);
  timer.Pause();
  clock.Advance(2.0);
  timer.Pause();  // ignored: the pause began at 1
  EXPECT_DOUBLE_EQ(timer.Elapsed(), 1.0);
  EXPECT_TRUE(timer.Paused());
  timer.Resume();
  timer.Resume();  // ignored
  clock.Advance(0.25);
  EXPECT_DOUBLE_EQ(timer.Elapsed(), 1.25);
  timer.Pause();
  clock.Advance(1.0);
  timer.Reset();
  EXPECT_FALSE(timer.Paused());
  clock.Advance(0.5);
  EXPECT_DOUBLE_EQ(timer.Elapsed(), 0.5);
}

TEST(FrameTimer, TicksCarryTheirFraction) {
  test::ManualClockScope clock;
  FrameTimer timer;
  timer.Reset();
  clock.Advance(0.25);
  EXPECT_EQ(timer.Ticks(100, 1), 2);  // 2.5 ticks: keeps 0.5
  clock.Advance(0.25);
  EXPECT_EQ(timer.Ticks(100, 1), 5);  // 0.5 s elapsed: 5 + 0.5 carried = 5.5
  timer.Reset();
  clock.Advance(0.05);
  EXPECT_EQ(timer.Ticks(100, 1), 1);  // 0.5 + 0.5 carried
}

TEST(FrameTimer, TicksOnFreshTimerConsumeFlagAndScale) {
  test::ManualClockScope clock;
  FrameTimer timer;
  clock.Advance(1.0);
  // The discarded first reading clears the flag; the second measures from zero.
  EXPECT_EQ(timer.Ticks(250, 0.5), 2);
}

TEST(FrameTimer, TicksOfNaNOrHugeScalesStayDefined) {
  test::ManualClockScope clock;
  FrameTimer timer;
  timer.Reset();
  clock.Advance(1.0);
  EXPECT_EQ(timer.Ticks(100, std::nan("")), 0);
  EXPECT_EQ(timer.Ticks(100, 1e300), 1 << 30);
  EXPECT_EQ(timer.Ticks(100, -1e300), -(1 << 30));
  EXPECT_EQ(timer.Ticks(100, 1), 10);  // nothing absurd is carried over
}

}  // namespace
}  // namespace kt
