// Drawing into an image for the generated screens: gradients, boxes, glows, simple shapes and
// text through FreeType with fonts found by fontconfig (the Liberation families). Images are
// the renderer's (render/image.h, rows stored bottom first); drawing coordinates run from the
// top-left corner down, as on the screen.
#pragma once

#include <memory>
#include <string>

#include "render/image.h"

namespace kt::content {

// A transparent black RGBA image.
Image Canvas(int width, int height);
// The pixel `y` rows from the top.
unsigned char* PixelFromTop(Image& image, int x, int y);
const unsigned char* PixelFromTop(const Image& image, int x, int y);

struct Color {
  double r = 0, g = 0, b = 0, a = 1;  // 0..1
};
Color Mix(Color a, Color b, double t);

// Blends `c` with coverage `k` (0..1) into one pixel; outside pixels are ignored.
void Blend(Image& image, int x, int y, Color c, double k);
// Vertical gradient over a rectangle, top colour to bottom colour.
void FillGradient(Image& image, int x0, int y0, int x1, int y1, Color top, Color bottom);
void FillRect(Image& image, int x0, int y0, int x1, int y1, Color c);
// Rectangle outline `width` pixels thick, inside the rectangle.
void FrameRect(Image& image, int x0, int y0, int x1, int y1, int width, Color c);
// Soft round glow: full `c` at the centre fading to nothing at the radii.
void Glow(Image& image, double cx, double cy, double rx, double ry, Color c);
// Anti-aliased thick line.
void Line(Image& image, double x0, double y0, double x1, double y1, double width, Color c);
// Darkens towards the corners.
void Vignette(Image& image, double strength);
// Faint deterministic grain, so large gradients do not band.
void Grain(Image& image, double amount, unsigned seed);

// A TrueType face. `family` is a fontconfig family name ("Liberation Serif"); `style` "Bold"
// picks the bold weight, anything else the regular one.
class Font {
 public:
  Font(const std::string& family, const std::string& style);
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  bool ok() const;
  const std::string& path() const;
  // Advance width of the text at a pixel size.
  int Measure(const std::string& text, int size) const;
  // Draws text with its baseline at y, filled with a vertical gradient between the glyphs'
  // top and bottom (top colour at the cap height).
  void Draw(Image& image, const std::string& text, int x, int y, int size, Color top,
            Color bottom) const;
  // Draws centred on x, with a dark outline and a drop shadow for legibility.
  void DrawTitle(Image& image, const std::string& text, int cx, int y, int size, Color top,
                 Color bottom, Color outline) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace kt::content
