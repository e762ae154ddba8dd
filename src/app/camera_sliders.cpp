#include "app/camera_sliders.h"

#include <algorithm>
#include <cmath>

namespace kt {

int SliderFromValue(const CameraSlider& slider, float value) {
  const double s = (static_cast<double>(value) - slider.base) / slider.range * kCameraSliderMax;
  if (std::isnan(s)) return 0;
  return static_cast<int>(std::clamp(s, 0.0, static_cast<double>(kCameraSliderMax)));
}

float ValueFromSlider(const CameraSlider& slider, int position) {
  return slider.base + slider.step * static_cast<float>(position);
}

}  // namespace kt
