// The camera page's slider mappings: a slider position s (0 to 100) stands for
// value = base + step * s; a value shows as s = (value - base) / range * 100 truncated, with
// range = 100 * step kept exact so that the top value lands on 100.
#pragma once

namespace kt {

struct CameraSlider {
  const char* variable;
  float base;
  float step;
  float range;
};

inline constexpr CameraSlider kCameraSpeedSlider{"camera.speed", 0.25f, 0.0375f, 3.75f};
inline constexpr CameraSlider kCameraHdistSlider{"camera.hdist", 0.5f, 0.095f, 9.5f};
inline constexpr CameraSlider kCameraVdistSlider{"camera.vdist", 0.5f, 0.095f, 9.5f};
inline constexpr int kCameraSliderMax = 100;

// Held to 0..100: a value outside the slider's span pins it at an end; one that is not a
// number shows as 0.
int SliderFromValue(const CameraSlider& slider, float value);
float ValueFromSlider(const CameraSlider& slider, int position);

}  // namespace kt
