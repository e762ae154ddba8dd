// RenderInit and the frame order.
//
// Contents: module variables - RenderInit (state, projection, lights) - Frame - axis cross and
// ground - frame rate - billboards.
#include "render/renderer.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <memory>

#include "console/gl_console.h"
#include "console/log.h"
#include "render/console_renderer.h"
#include "render/gl_extensions.h"

namespace kt {
namespace {

CVar<float> g_background_r("gl.backgrnd_r", 0.4078f);
CVar<float> g_background_g("gl.backgrnd_g", 0.8313f);
CVar<float> g_background_b("gl.backgrnd_b", 0.9725f);
CVar<int> g_draw_level("world.draw_level", 1);
CVar<int> g_stats_fps("stats.fps", 1);

std::unique_ptr<Renderer> g_renderer;

void SetMaterial() {
  const GLfloat ambient[] = {0.0f, 0.0f, 0.0f, 1.0f};
  const GLfloat diffuse[] = {0.43f, 0.5f, 0.356f, 1.0f};
  const GLfloat specular[] = {0.22f, 0.2f, 0.2f, 1.0f};
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 70.0f);
}

void SetLight(GLenum light, const GLfloat position[4], const GLfloat colour[4]) {
  glLightfv(light, GL_POSITION, position);
  glLightfv(light, GL_DIFFUSE, colour);
  glLightfv(light, GL_SPECULAR, colour);
  glEnable(light);
}

// Directional lights given while the model-view holds only the initial translation, so their
// directions stay fixed relative to the eye.
void SetLights() {
  const GLfloat position0[] = {1.0f, 1.0f, 5.0f, 0.0f};
  const GLfloat colour0[] = {1.0f, 1.0f, 1.0f, 1.0f};
  const GLfloat position1[] = {-3.0f, 1.0f, -1.0f, 0.0f};
  const GLfloat colour1[] = {1.0f, 0.3f, 0.3f, 1.0f};
  const GLfloat position2[] = {1.0f, 8.0f, -2.0f, 0.0f};
  const GLfloat colour2[] = {0.3f, 0.4f, 1.0f, 1.0f};
  SetLight(GL_LIGHT0, position0, colour0);
  SetLight(GL_LIGHT1, position1, colour1);
  SetLight(GL_LIGHT2, position2, colour2);
  glEnable(GL_NORMALIZE);
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
  glEnable(GL_LIGHTING);
}

}  // namespace

void Renderer::Init() {
  glDisable(GL_CULL_FACE);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_DITHER);
  glShadeModel(GL_SMOOTH);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glHint(GL_POLYGON_SMOOTH_HINT, GL_NICEST);

  near_clip_.Register("gl.nearclip", 0.1f);
  far_clip_.Register("gl.farclip", 50.0f);

  // Built once: resizing the window later changes the viewport, not the aspect ratio.
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  GLint viewport[4] = {0, 0, 1, 1};
  glGetIntegerv(GL_VIEWPORT, viewport);
  const float aspect = viewport[3] > 0 ? float(viewport[2]) / float(viewport[3]) : 1.0f;
  gluPerspective(45.0, aspect, near_clip_.Get(), far_clip_.Get());
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(0.0f, 0.0f, -5.0f);

  GLint red = 0, green = 0, blue = 0;
  glGetIntegerv(GL_RED_BITS, &red);
  glGetIntegerv(GL_GREEN_BITS, &green);
  glGetIntegerv(GL_BLUE_BITS, &blue);
  LogPrintf("RenderInit: GL window has %d bits red, %d green, %d blue\n", red, green, blue);

  if (LoadGLExtensions())
    LogPrintf("RenderInit: Loaded OpenGL Extensions SUCCESSFULLY");
  else
    LogPrintf("RenderInit: Loaded OpenGL Extensions UNSUCCESSFULLY");
  if (GetGLExtensions().multitexture()) GetGLExtensions().ActiveTextureARB(GL_TEXTURE0_ARB);

  SetMaterial();
  SetLights();
}

void Renderer::Frame(FrameScene& scene) {
  if (!draw_ground_.Bound()) draw_ground_.Register("world.draw_ground", 1);
  glClearColor(g_background_r, g_background_g, g_background_b, 0.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  scene.UpdateCamera();
  ReadCameraVectors();
  glLineWidth(2.0f);
  if (draw_ground_.Get() != 0) {
    DrawAxisCross();
    DrawGround();
  }
  if (g_draw_level.Get() != 0) {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glDisable(GL_LIGHTING);
    glColor3f(1.0f, 1.0f, 1.0f);
    scene.DrawLevel();
    glPopAttrib();
  }
  scene.DrawOpaque();

  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  scene.DrawBossWarp();
  glDepthMask(GL_FALSE);
  glDisable(GL_LIGHTING);
  scene.DrawTranslucent();
  glDepthMask(GL_TRUE);
  glDisable(GL_BLEND);
  // Lighting stays on between passes; the translucent pass only borrows it.
  glEnable(GL_LIGHTING);

  scene.DrawStateScreens();
  if (console_) DrawConsole(*console_, console_font_);
  DrawFrameRate();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
}

void Renderer::AttachConsole(GLConsole* console) {
  if (console_font_.base != 0) DeleteBitmapFont(console_font_);
  console_ = console;
  if (console_) console_font_ = CreateBitmapFont("Courier New", console_->FontSize());
}

void Renderer::ReadCameraVectors() {
  // Column-major: element (row r, column c) is m[c * 4 + r].
  GLfloat m[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  camera_right_ = CVector(m[0], m[4], m[8]);
  camera_up_ = CVector(m[1], m[5], m[9]);
}

void Renderer::DrawFrameRate() {
  if (g_stats_fps.Get() == 0) return;
  const double elapsed = fps_timer_.Elapsed();
  if (elapsed == 0.0) {
    fps_timer_.Reset();
    ++frame_count_;
  } else if (elapsed < 1.0) {
    ++frame_count_;
  } else {
    frame_rate_ = float(frame_count_) / 1.0f;
    fps_timer_.Reset();
    frame_count_ = 0;
  }
  if (!console_) return;
  glDisable(GL_LIGHTING);
  glColor3f(1.0f, 1.0f, 1.0f);
  PrintAtWindow(console_font_, 10, 10, "%3.2f FPS", frame_rate_);
  glEnable(GL_LIGHTING);
}

Renderer& GetRenderer() {
  if (!g_renderer) g_renderer = std::make_unique<Renderer>();
  return *g_renderer;
}

void ResetRenderer() { g_renderer.reset(); }

void RenderInit() { GetRenderer().Init(); }

void DrawAxisCross() {
  glDisable(GL_LIGHTING);
  glBegin(GL_LINES);
  glColor3f(1.0f, 0.2f, 0.2f);
  glVertex3f(0.0f, 0.0f, 0.0f);
  glVertex3f(1.0f, 0.0f, 0.0f);
  glColor3f(0.2f, 1.0f, 0.2f);
  glVertex3f(0.0f, 0.0f, 0.0f);
  glVertex3f(0.0f, 1.0f, 0.0f);
  glColor3f(0.2f, 0.2f, 1.0f);
  glVertex3f(0.0f, 0.0f, 0.0f);
  glVertex3f(0.0f, 0.0f, 1.0f);
  glEnd();
  glEnable(GL_LIGHTING);
}

void DrawGround() {
  glDisable(GL_LIGHTING);
  glBegin(GL_QUADS);
  // One counter over all quads: 21 per column, so the parity alternates between columns.
  int count = 0;
  for (int x = -10; x < 10; ++x) {
    for (int z = -10; z <= 10; ++z, ++count) {
      if (count % 2 == 0)
        glColor3f(0.0156f, 0.698f, 0.1765f);
      else
        glColor3f(0.0431f, 0.3569f, 0.1765f);
      glVertex3f(float(x), 0.0f, float(z));
      glVertex3f(float(x + 1), 0.0f, float(z));
      glVertex3f(float(x + 1), 0.0f, float(z + 1));
      glVertex3f(float(x), 0.0f, float(z + 1));
    }
  }
  glEnd();
  glEnable(GL_LIGHTING);
}

void BillboardCorners(const CVector& right, const CVector& up, const CVector& centre, float width,
                      float height, float offset, CVector corners[4]) {
  const CVector r = right * width;
  const CVector u = up * height;
  corners[0] = centre - r - u;
  corners[1] = centre + r - u;
  corners[2] = centre + r + u;
  corners[3] = centre - r + u;
  for (int i = 0; i < 4; ++i) corners[i].z += offset;
}

}  // namespace kt
