// Image drawing primitives and FreeType text.
#include "painter.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <random>

#include "render/font_rasterizer.h"

namespace kt::content {

Image Canvas(int width, int height) {
  Image image;
  image.width = width;
  image.height = height;
  image.channels = 4;
  image.pixels.assign(size_t(width) * height * 4, 0);
  return image;
}

unsigned char* PixelFromTop(Image& image, int x, int y) {
  return image.Pixel(x, image.height - 1 - y);
}

const unsigned char* PixelFromTop(const Image& image, int x, int y) {
  return image.Pixel(x, image.height - 1 - y);
}

Color Mix(Color a, Color b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t,
          a.a + (b.a - a.a) * t};
}

void Blend(Image& image, int x, int y, Color c, double k) {
  if (x < 0 || y < 0 || x >= image.width || y >= image.height) return;
  k = std::clamp(k * c.a, 0.0, 1.0);
  uint8_t* p = PixelFromTop(image, x, y);
  const double v[3] = {c.r, c.g, c.b};
  for (int i = 0; i < 3; ++i)
    p[i] = uint8_t(std::lround(p[i] * (1 - k) + std::clamp(v[i], 0.0, 1.0) * 255 * k));
  p[3] = uint8_t(std::lround(p[3] + (255 - p[3]) * k));
}

void FillGradient(Image& image, int x0, int y0, int x1, int y1, Color top, Color bottom) {
  for (int y = y0; y < y1; ++y) {
    const Color c = Mix(top, bottom, y1 - y0 > 1 ? double(y - y0) / (y1 - y0 - 1) : 0.0);
    for (int x = x0; x < x1; ++x) Blend(image, x, y, c, 1.0);
  }
}

void FillRect(Image& image, int x0, int y0, int x1, int y1, Color c) {
  FillGradient(image, x0, y0, x1, y1, c, c);
}

void FrameRect(Image& image, int x0, int y0, int x1, int y1, int width, Color c) {
  FillRect(image, x0, y0, x1, y0 + width, c);
  FillRect(image, x0, y1 - width, x1, y1, c);
  FillRect(image, x0, y0 + width, x0 + width, y1 - width, c);
  FillRect(image, x1 - width, y0 + width, x1, y1 - width, c);
}

void Glow(Image& image, double cx, double cy, double rx, double ry, Color c) {
  for (int y = int(cy - ry); y <= int(cy + ry); ++y)
    for (int x = int(cx - rx); x <= int(cx + rx); ++x) {
      const double dx = (x - cx) / rx, dy = (y - cy) / ry;
      const double d = std::sqrt(dx * dx + dy * dy);
      if (d < 1) Blend(image, x, y, c, (1 - d) * (1 - d));
    }
}

void Line(Image& image, double x0, double y0, double x1, double y1, double width, Color c) {
  const double half = width * 0.5;
  const int minx = int(std::floor(std::min(x0, x1) - half - 1));
  const int maxx = int(std::ceil(std::max(x0, x1) + half + 1));
  const int miny = int(std::floor(std::min(y0, y1) - half - 1));
  const int maxy = int(std::ceil(std::max(y0, y1) + half + 1));
  const double dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
  for (int y = miny; y <= maxy; ++y)
    for (int x = minx; x <= maxx; ++x) {
      double t = len2 > 0 ? ((x - x0) * dx + (y - y0) * dy) / len2 : 0;
      t = std::clamp(t, 0.0, 1.0);
      const double d = std::hypot(x - (x0 + t * dx), y - (y0 + t * dy));
      Blend(image, x, y, c, std::clamp(half + 0.5 - d, 0.0, 1.0));
    }
}

void Vignette(Image& image, double strength) {
  const double cx = image.width * 0.5, cy = image.height * 0.5;
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      const double d = std::hypot((x - cx) / cx, (y - cy) / cy) / std::sqrt(2.0);
      Blend(image, x, y, Color{0, 0, 0, 1}, strength * d * d);
    }
}

void Grain(Image& image, double amount, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> noise(-int(amount), int(amount));
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      uint8_t* p = PixelFromTop(image, x, y);
      const int n = noise(rng);
      for (int c = 0; c < 3; ++c) {
        // Pure black stays black: overlays rely on it being transparent.
        if (p[0] == 0 && p[1] == 0 && p[2] == 0) break;
        p[c] = uint8_t(std::clamp(p[c] + n, 1, 255));
      }
    }
}

struct Font::Impl {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  std::string path;
};

Font::Font(const std::string& family, const std::string& style) : impl_(new Impl) {
  int index = 0;
  impl_->path = kt::FindFontFile(family, style == "Bold", &index);
  if (impl_->path.empty() || FT_Init_FreeType(&impl_->library)) return;
  if (FT_New_Face(impl_->library, impl_->path.c_str(), index, &impl_->face)) impl_->face = nullptr;
}

Font::~Font() {
  if (impl_->face) FT_Done_Face(impl_->face);
  if (impl_->library) FT_Done_FreeType(impl_->library);
}

bool Font::ok() const { return impl_->face != nullptr; }
const std::string& Font::path() const { return impl_->path; }

int Font::Measure(const std::string& text, int size) const {
  if (!ok()) return 0;
  FT_Set_Pixel_Sizes(impl_->face, 0, FT_UInt(size));
  long width = 0;
  for (unsigned char ch : text)
    if (!FT_Load_Char(impl_->face, ch, FT_LOAD_DEFAULT)) width += impl_->face->glyph->advance.x;
  return int(width >> 6);
}

void Font::Draw(Image& image, const std::string& text, int x, int y, int size, Color top,
                Color bottom) const {
  if (!ok()) return;
  FT_Face face = impl_->face;
  FT_Set_Pixel_Sizes(face, 0, FT_UInt(size));
  const double cap = size * 0.72;
  long pen = long(x) << 6;
  for (unsigned char ch : text) {
    if (FT_Load_Char(face, ch, FT_LOAD_RENDER)) continue;
    const FT_GlyphSlot g = face->glyph;
    const FT_Bitmap& bm = g->bitmap;
    const int left = int(pen >> 6) + g->bitmap_left, topy = y - g->bitmap_top;
    for (unsigned r = 0; r < bm.rows; ++r)
      for (unsigned c = 0; c < bm.width; ++c) {
        const double k = bm.buffer[r * bm.pitch + c] / 255.0;
        if (k <= 0) continue;
        const int py = topy + int(r);
        const double t = std::clamp((py - (y - cap)) / cap, 0.0, 1.0);
        Blend(image, left + int(c), py, Mix(top, bottom, t), k);
      }
    pen += g->advance.x;
  }
}

void Font::DrawTitle(Image& image, const std::string& text, int cx, int y, int size, Color top,
                     Color bottom, Color outline) const {
  const int x = cx - Measure(text, size) / 2;
  const int shadow = std::max(2, size / 24);
  Draw(image, text, x + shadow, y + shadow, size, Color{0, 0, 0, 0.6}, Color{0, 0, 0, 0.6});
  const int ring = std::max(1, size / 36);
  for (int dy = -ring; dy <= ring; ++dy)
    for (int dx = -ring; dx <= ring; ++dx)
      if (dx || dy) Draw(image, text, x + dx, y + dy, size, outline, outline);
  Draw(image, text, x, y, size, top, bottom);
}

}  // namespace kt::content
