// Screen drawing for the game states.
#include "game/state_screens.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "render/texture.h"

namespace kt {

ScreenImage::~ScreenImage() {
  if (texture) glDeleteTextures(1, &texture);
}

void ScreenImage::Load(const std::string& path, int alpha_mode) {
  if (texture) glDeleteTextures(1, &texture);
  texture = 0;
  loaded = LoadTexture(path, texture, alpha_mode);
}

void DigitImages::Load() {
  for (int d = 0; d < 10; ++d) digits[d].Load("data/images/" + std::to_string(d) + ".bmp", 1);
  colon.Load("data/images/colon.bmp", 1);
}

ScreenPass::ScreenPass() {
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  GLint viewport[4] = {0, 0, 0, 0};
  glGetIntegerv(GL_VIEWPORT, viewport);
  width_ = float(viewport[2]);
  height_ = float(viewport[3]);
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0.0, width_, height_, 0.0, -1.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

ScreenPass::~ScreenPass() {
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glPopAttrib();
}

void DrawImage(const ScreenImage& image, float x, float y, float w, float h, float alpha) {
  if (!image.loaded) return;
  glBindTexture(GL_TEXTURE_2D, image.texture);
  glColor4f(1.0f, 1.0f, 1.0f, alpha);
  // Images are stored bottom row first: t = 1 is the top edge.
  glBegin(GL_QUADS);
  glTexCoord2f(0.0f, 1.0f);
  glVertex2f(x, y);
  glTexCoord2f(0.0f, 0.0f);
  glVertex2f(x, y + h);
  glTexCoord2f(1.0f, 0.0f);
  glVertex2f(x + w, y + h);
  glTexCoord2f(1.0f, 1.0f);
  glVertex2f(x + w, y);
  glEnd();
}

namespace {

void DrawCell(const ScreenImage& image, const ScreenPass& pass, float pen) {
  const float top = kDigitTop * pass.height();
  DrawImage(image, pen, top, kDigitWidth * pass.width(), kDigitBottom * pass.height() - top);
}

int Truncated(float value, int high) {
  if (!(value > 0.0f)) return 0;  // NaN and negatives
  return value >= float(high) ? high : int(value);
}

}  // namespace

void DrawDigit(const DigitImages& images, const ScreenPass& pass, int d, float& pen) {
  if (d < 0 || d > 9) return;
  DrawCell(images.digits[d], pass, pen);
  pen += kDigitAdvance[d] * pass.width();
}

std::string NumberDigits(float value) {
  const int n = Truncated(value, 999);
  std::string out;
  if (n >= 100) out += char('0' + n / 100);
  if (n >= 10) out += char('0' + n / 10 % 10);
  out += char('0' + n % 10);
  return out;
}

std::string ClockDigits(float seconds) {
  const float remaining = std::max(0.0f, seconds);
  // More than nine minutes (a long `level.gameTime`) shows every minute digit.
  const int whole = Truncated(remaining, 1 << 24) % 60;
  std::string out = NumberDigits(remaining / 60.0f);
  out += ':';
  out += char('0' + whole / 10);
  out += char('0' + whole % 10);
  return out;
}

void DrawBottomPanel(const ScreenImage& panel, const ScreenPass& pass, float alpha) {
  const float h = pass.height();
  DrawImage(panel, 0.0f, kPanelTop * h, pass.width(), h - kPanelTop * h, alpha);
}

void DrawNumber(const DigitImages& images, const ScreenPass& pass, float value, float& pen) {
  for (char c : NumberDigits(value)) DrawDigit(images, pass, c - '0', pen);
}

void DrawClock(const DigitImages& images, const ScreenPass& pass, float seconds, float& pen) {
  for (char c : ClockDigits(seconds)) {
    if (c == ':') {
      DrawCell(images.colon, pass, pen);
      pen += kColonAdvance * pass.width();
    } else {
      DrawDigit(images, pass, c - '0', pen);
    }
  }
}

}  // namespace kt
