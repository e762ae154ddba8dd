// Fixed level view for tools, tests and benchmarks.
#include "level/level_view.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

namespace kt {

void SetUpLevelView(const BspLevel& level, const CVector& eye, float yaw, int width, int height) {
  // The tree's root box spans the whole map (node boxes stay in the file's frame).
  float size = 100.0f;
  if (!level.nodes().empty()) {
    const BspNode& root = level.nodes()[0];
    for (int a = 0; a < 3; ++a) size = std::max(size, float(root.maxs[a] - root.mins[a]));
  }
  // Far enough for the sky box's cube too (300 units from the eye, corners further).
  const float far_clip = std::max(size * 2.0f, 1000.0f);
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45.0, double(width) / height, far_clip / 20000.0, far_clip);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  const double a = yaw * M_PI / 180.0;
  gluLookAt(eye.x, eye.y, eye.z, eye.x + std::cos(a), eye.y, eye.z - std::sin(a), 0, 1, 0);
}

void DrawLevelFrame(BspLevel& level, const CVector& eye) {
  glClearColor(0.4078f, 0.8313f, 0.9725f, 0.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glDisable(GL_LIGHTING);
  glColor3f(1, 1, 1);
  level.Render(eye);
}

}  // namespace kt
