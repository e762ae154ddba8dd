// The game states' 2-D screens: images as textured quads in a pass over the 3-D view with the
// origin at the viewport's top-left corner, and numbers drawn from the digit images.
#pragma once

#include <array>
#include <string>

namespace kt {

// One screen image, loaded as a texture when its state is made. A missing file leaves it
// unloaded (the loader logs why) and drawing it does nothing.
struct ScreenImage {
  ScreenImage() = default;
  ScreenImage(const ScreenImage&) = delete;
  ScreenImage& operator=(const ScreenImage&) = delete;
  ~ScreenImage();  // deletes the texture
  unsigned texture = 0;
  bool loaded = false;
  // Alpha mode 1 makes pure black transparent (menu items and digits over other images).
  void Load(const std::string& path, int alpha_mode = 0);
};

// The ten digits "data/images/0.bmp" ... "9.bmp" and "data/images/colon.bmp".
struct DigitImages {
  std::array<ScreenImage, 10> digits;
  ScreenImage colon;
  void Load();
};

// The pass: attributes saved, lighting and depth test off, an orthographic projection of the
// viewport with the origin top left, texturing and source-alpha blending on; all restored at
// the end of its scope.
class ScreenPass {
 public:
  ScreenPass();
  ~ScreenPass();
  ScreenPass(const ScreenPass&) = delete;
  ScreenPass& operator=(const ScreenPass&) = delete;
  float width() const { return width_; }
  float height() const { return height_; }

 private:
  float width_ = 0.0f;
  float height_ = 0.0f;
};

// The image upright over the rectangle (pixels, y down), tinted white at `alpha`.
void DrawImage(const ScreenImage& image, float x, float y, float w, float h, float alpha = 1.0f);

// The play screens' panel along the bottom, from kPanelTop of the height down, at the panels'
// opacity (`game.ui_opacity`).
inline constexpr float kPanelTop = 0.836f;
void DrawBottomPanel(const ScreenImage& panel, const ScreenPass& pass, float alpha);

// Digit layout, in fractions of the viewport.
inline constexpr float kDigitWidth = 0.0625f;
inline constexpr float kDigitTop = 0.912109f;
inline constexpr float kDigitBottom = 0.974609f;
inline constexpr float kColonAdvance = 0.0234375f;
inline constexpr std::array<float, 10> kDigitAdvance = {0.050781f, 0.023438f, 0.037109f, 0.039062f,
                                                        0.044922f, 0.037109f, 0.041016f, 0.039062f,
                                                        0.041016f, 0.041016f};

// Draws digit d (0..9; anything else draws nothing) at the pen and advances the pen (pixels).
void DrawDigit(const DigitImages& images, const ScreenPass& pass, int d, float& pen);
// Truncated and clamped to 0..999: hundreds (when not 0), tens (from 10 on) and units.
void DrawNumber(const DigitImages& images, const ScreenPass& pass, float value, float& pen);
// Remaining seconds (clamped at 0) as minutes, colon, two digits of seconds.
void DrawClock(const DigitImages& images, const ScreenPass& pass, float seconds, float& pen);

// The digits DrawNumber draws for a value, most significant first (tests compare against it).
std::string NumberDigits(float value);
// The minute digits, then ':', then the two second digits.
std::string ClockDigits(float seconds);

}  // namespace kt
