// Console overlay drawing.
#include "render/console_renderer.h"

#include <GL/gl.h>

#include <algorithm>

#include "console/gl_console.h"

namespace kt {
namespace {

void Scissor(const int clip[4]) {
  glScissor(clip[0], clip[1], std::max(0, clip[2]), std::max(0, clip[3]));
}

void DrawRow(const ConsoleRow& row, const BitmapFont& font) {
  glColor3f(row.colour.r, row.colour.g, row.colour.b);
  PrintAtRaster(font, float(row.x), float(row.y), "%.*s", int(row.text.size()), row.text.data());
}

}  // namespace

void DrawConsole(GLConsole& console, const BitmapFont& font) {
  if (!console.IsOpen()) return;
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  const int width = viewport[2];
  const int height = viewport[3];
  console.SetWindowSize(width, height);
  glDisable(GL_DEPTH_TEST);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0.0, width, 0.0, height, -1.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();

  const ConsoleLayout& layout = console.LayoutText();
  glEnable(GL_SCISSOR_TEST);
  Scissor(layout.background_clip);
  const ConsoleColour& background = GLConsole::kBackgroundColour;
  glColor4f(background.r, background.g, background.b, GLConsole::BackgroundAlpha());
  glBegin(GL_QUADS);
  glVertex2f(0.0f, 0.0f);
  glVertex2f(float(width - 1), 0.0f);
  glVertex2f(float(width - 1), float(height - 1));
  glVertex2f(0.0f, float(height - 1));
  glEnd();

  Scissor(layout.text_clip);
  DrawRow(layout.input, font);
  for (const ConsoleRow& row : layout.lines) DrawRow(row, font);

  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glPopAttrib();
}

}  // namespace kt
