// The P5 glove over a scripted driver: detection, the fist test, motion between polls,
// re-zeroing, the debug lines, and the glove GlobalInputInit makes by default.
#include "input/p5_input_device.h"

#include <gtest/gtest.h>

#include <cmath>

#include "console/cvar.h"
#include "log_capture.h"
#include "test_support.h"

namespace kt {
namespace {

using test::LogCapture;

class P5Test : public ::testing::Test {
 protected:
  void TearDown() override {
    CVar<int>("p5.debug", 1) = 1;
    CVar<float>("p5.fist_thresh", 0.7f) = 0.7f;
    CVar<float>("p5.fingerRange", 0.5f) = 0.5f;
  }
  std::unique_ptr<P5InputDevice> Make() {
    return std::make_unique<P5InputDevice>(std::make_unique<ScriptedGloveDriver>(script_));
  }

  test::ScratchDir dir_{"p5"};
  ScriptedGloveDriver::Script script_;
};

// Runs first in this program: nothing has replaced the default glove factory yet.
TEST_F(P5Test, StartUpMakesAnAbsentP5GloveByDefault) {
  LogCapture log;
  GlobalInputInit({.instance = true, .window = true});
  EXPECT_EQ(log.Count("P5InputDevice: P5 NOT detected..."), 1);
  ASSERT_NE(GetP5InputDevice(), nullptr);
  EXPECT_EQ(static_cast<GloveDevice*>(GetP5InputDevice()), GetGlove());
  EXPECT_FALSE(GetP5InputDevice()->IsPresent());
  // An absent glove is never polled but still answers from its zeroed fields.
  GlobalInputPoll();
  EXPECT_EQ(log.Count("P5 data:"), 0);
  EXPECT_FALSE(GetP5InputDevice()->IsFist());
  EXPECT_EQ(GetP5InputDevice()->Motion(), CVector());
  GlobalInputShutdown();
  EXPECT_EQ(GetP5InputDevice(), nullptr);
}

TEST_F(P5Test, DetectionFreesThePointerAndSetsTheClickLevels) {
  CVar<float>("p5.fingerRange", 0.5f) = 0.4f;
  {
    auto glove = Make();
    EXPECT_TRUE(glove->IsPresent());
    EXPECT_EQ(GetP5InputDevice(), glove.get());
    EXPECT_FALSE(script_.drives_pointer);
    EXPECT_EQ(glove->click_levels()[0], 12);
    // Levels follow the variable on every poll.
    CVar<float>("p5.fingerRange", 0.5f) = 1.0f;
    glove->Poll();
    EXPECT_EQ(glove->click_levels()[4], 30);
  }
  EXPECT_TRUE(script_.closed);
  EXPECT_EQ(GetP5InputDevice(), nullptr);

  script_ = {};
  script_.attached = false;
  auto absent = Make();
  EXPECT_FALSE(absent->IsPresent());
  EXPECT_TRUE(script_.drives_pointer);  // never touched
  absent->Calibrate();
  EXPECT_EQ(script_.calibrations, 0);
}

TEST_F(P5Test, FistNeedsEveryFingerAboveTheThreshold) {
  auto glove = Make();
  // 0.7 x 63 = 44.1: 44 is below, 45 above; the little finger and the thumb count too.
  const struct {
    std::array<uint8_t, 5> bends;
    bool fist;
  } cases[] = {{{63, 63, 63, 63, 10}, false},
               {{10, 63, 63, 63, 63}, false},
               {{45, 45, 45, 45, 44}, false},
               {{45, 45, 45, 45, 45}, true}};
  for (const auto& c : cases) {
    script_.bends = c.bends;
    glove->Poll();
    EXPECT_EQ(glove->IsFist(), c.fist) << int(c.bends[0]) << " " << int(c.bends[4]);
  }
  EXPECT_FLOAT_EQ(glove->bends()[0], 45.0f / 63.0f);
  // The threshold is read on each call.
  CVar<float>("p5.fist_thresh", 0.7f) = 0.8f;
  EXPECT_FALSE(glove->IsFist());
  // A driver value past the scale reads as a full bend, not more.
  script_.bends = {255, 63, 63, 63, 63};
  glove->Poll();
  EXPECT_FLOAT_EQ(glove->bends()[0], 1.0f);
}

TEST_F(P5Test, MotionIsTheChangeSinceThePreviousPollAndCalibrationReZeroes) {
  auto glove = Make();
  script_.hand = {3.0f, -1.0f, 2.0f};
  glove->Poll();
  // The previous position starts at 0: the first motion is the whole position.
  EXPECT_EQ(glove->Motion(), CVector(3.0f, -1.0f, 2.0f));
  script_.hand = {4.5f, -1.0f, 1.0f};
  glove->Poll();
  EXPECT_EQ(glove->Motion(), CVector(1.5f, 0.0f, -1.0f));
  // A broken reading keeps the last good position.
  script_.hand = {std::nanf(""), -1.0f, 1.0f};
  glove->Poll();
  EXPECT_EQ(glove->Motion(), CVector());
  EXPECT_EQ(glove->position(), CVector(4.5f, -1.0f, 1.0f));

  script_.hand = {5.0f, 0.0f, 0.0f};
  glove->Poll();
  glove->Calibrate();
  EXPECT_EQ(script_.calibrations, 1);
  EXPECT_EQ(glove->position(), CVector());
  // The hand held still after re-zeroing has not moved (not -5 from the old origin).
  glove->Poll();
  EXPECT_EQ(glove->Motion(), CVector());
  script_.hand = {5.5f, 0.0f, 0.0f};
  glove->Poll();
  EXPECT_EQ(glove->position(), CVector(0.5f, 0.0f, 0.0f));
  EXPECT_EQ(glove->Motion(), CVector(0.5f, 0.0f, 0.0f));
}

TEST_F(P5Test, AttachedGloveIsPolledEveryFrameWithDebugLinesUntilSwitchedOff) {
  SetGloveFactory([this] { return Make(); });
  script_.hand = {1.0f, 2.0f, 3.0f};
  LogCapture log;
  GlobalInputInit({.instance = true, .window = true});
  EXPECT_EQ(log.Count("P5InputDevice: P5 SUCCESSFULLY detected..."), 1);
  ASSERT_NE(GetP5InputDevice(), nullptr);
  GlobalInputPoll();
  EXPECT_EQ(GetP5InputDevice()->position(), CVector(1.0f, 2.0f, 3.0f));
  EXPECT_EQ(log.Count("P5 data: 1.000000 2.000000 3.000000  change: 1.000000 2.000000 3.000000"),
            1);
  EXPECT_EQ(log.Count("p5 bend: "), 1);
  CVar<int>("p5.debug", 1) = 0;
  GlobalInputPoll();
  EXPECT_EQ(log.Count("P5 data:"), 1);
  GlobalInputShutdown();
  SetGloveFactory(nullptr);
  EXPECT_TRUE(script_.closed);
}

}  // namespace
}  // namespace kt
