// Bitmap fonts as display lists of glBitmap glyphs.
#include "render/bitmap_font.h"

#include <GL/gl.h>

#include <cstdarg>
#include <cstdio>
#include <functional>
#include <vector>

#include "render/font_rasterizer.h"

namespace kt {
namespace {

constexpr size_t kPrintBufferSize = 512;

// A zero-sized viewport at (x - 1, y - 1) puts raster position (0, 0) on that pixel; it does
// not depend on the caller's matrices or viewport.
void SetWindowRasterPosition(int x, int y) {
  glPushAttrib(GL_TRANSFORM_BIT | GL_VIEWPORT_BIT);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glViewport(x - 1, y - 1, 0, 0);
  glRasterPos4f(0.0f, 0.0f, 0.0f, 1.0f);
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glPopAttrib();
}

// Formats (at most 511 characters), then draws the text with the depth test off from the
// raster position that `place` sets.
void DrawFormatted(const BitmapFont& font, const std::function<void()>& place, const char* format,
                   va_list args) {
  if (!format) return;
  char buffer[kPrintBufferSize];
  std::vsnprintf(buffer, sizeof buffer, format, args);
  glDisable(GL_DEPTH_TEST);
  place();
  DrawFontText(font, buffer);
  glEnable(GL_DEPTH_TEST);
}

}  // namespace

BitmapFont CreateBitmapFont(const std::string& face, int pixel_height) {
  BitmapFont font;
  font.height = pixel_height;
  font.base = glGenLists(kFontCharCount);
  if (font.base == 0) return font;
  std::vector<GlyphBitmap> glyphs;
  RasterizeFont(face, pixel_height, true, kFontFirstChar, kFontCharCount, glyphs);
  // glBitmap unpacks its bits when the list is compiled, with the pixel-store state of then.
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
  for (int i = 0; i < kFontCharCount; ++i) {
    const GlyphBitmap& g = glyphs[size_t(i)];
    glNewList(font.base + unsigned(i), GL_COMPILE);
    glBitmap(g.width, g.rows, float(-g.left), float(g.rows - g.top), float(g.advance), 0.0f,
             g.bits.empty() ? nullptr : g.bits.data());
    glEndList();
  }
  glPopClientAttrib();
  return font;
}

void DeleteBitmapFont(BitmapFont& font) {
  if (font.base != 0) glDeleteLists(font.base, kFontCharCount);
  font.base = 0;
}

void DrawFontText(const BitmapFont& font, std::string_view text) {
  if (font.base == 0 || text.empty()) return;
  // Filtered through a fixed buffer: text is drawn every frame and must not allocate.
  unsigned char codes[kPrintBufferSize];
  glPushAttrib(GL_LIST_BIT);
  glListBase(font.base - kFontFirstChar);
  size_t count = 0;
  for (unsigned char c : text) {
    if (c < kFontFirstChar || c >= kFontFirstChar + kFontCharCount) continue;
    codes[count++] = c;
    if (count == sizeof codes) {
      glCallLists(GLsizei(count), GL_UNSIGNED_BYTE, codes);
      count = 0;
    }
  }
  if (count) glCallLists(GLsizei(count), GL_UNSIGNED_BYTE, codes);
  glPopAttrib();
}

void PrintAtWindow(const BitmapFont& font, int x, int y, const char* format, ...) {
  va_list args;
  va_start(args, format);
  DrawFormatted(
      font, [x, y] { SetWindowRasterPosition(x, y); }, format, args);
  va_end(args);
}

void PrintAtRaster(const BitmapFont& font, float x, float y, const char* format, ...) {
  va_list args;
  va_start(args, format);
  DrawFormatted(
      font, [x, y] { glRasterPos2f(x, y); }, format, args);
  va_end(args);
}

}  // namespace kt
