#include "app/camera_sliders.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace kt {
namespace {

TEST(CameraSliders, DistanceEndsLandOnTheSliderEnds) {
  for (const CameraSlider* s : {&kCameraHdistSlider, &kCameraVdistSlider}) {
    EXPECT_EQ(SliderFromValue(*s, 10.0f), 100) << s->variable;
    EXPECT_EQ(SliderFromValue(*s, 0.5f), 0) << s->variable;
    EXPECT_FLOAT_EQ(ValueFromSlider(*s, 100), 10.0f);
    EXPECT_FLOAT_EQ(ValueFromSlider(*s, 0), 0.5f);
  }
  EXPECT_EQ(SliderFromValue(kCameraSpeedSlider, 4.0f), 100);
  EXPECT_EQ(SliderFromValue(kCameraSpeedSlider, 0.25f), 0);
  EXPECT_FLOAT_EQ(ValueFromSlider(kCameraSpeedSlider, 100), 4.0f);
}

TEST(CameraSliders, PositionsTruncateAndSurviveARoundTrip) {
  // 4.8 -> (4.3 / 9.5) * 100 = 45.26: truncated, not rounded.
  EXPECT_EQ(SliderFromValue(kCameraHdistSlider, 4.8f), 45);
  EXPECT_EQ(SliderFromValue(kCameraHdistSlider, 0.5f + 0.095f * 99.6f), 99);
  // Every slider position shows as itself again, though the float value may sit just below
  // the exact step.
  for (const CameraSlider* s : {&kCameraSpeedSlider, &kCameraHdistSlider, &kCameraVdistSlider})
    for (int p = 0; p <= 100; ++p) {
      const int back = SliderFromValue(*s, ValueFromSlider(*s, p));
      EXPECT_TRUE(back == p || back == p - 1) << s->variable << " " << p << " -> " << back;
    }
}

TEST(CameraSliders, ValuesOutsideTheSpanPinTheSlider) {
  EXPECT_EQ(SliderFromValue(kCameraHdistSlider, 25.0f), 100);
  EXPECT_EQ(SliderFromValue(kCameraHdistSlider, -3.0f), 0);
  EXPECT_EQ(SliderFromValue(kCameraSpeedSlider, 1e30f), 100);
  EXPECT_EQ(SliderFromValue(kCameraVdistSlider, std::numeric_limits<float>::quiet_NaN()), 0);
  EXPECT_EQ(SliderFromValue(kCameraVdistSlider, std::numeric_limits<float>::infinity()), 100);
}

}  // namespace
}  // namespace kt
