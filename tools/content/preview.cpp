// Offscreen preview of the castle with a posed fighter.
#include "preview.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "content_generator.h"
#include "level/bsp_level.h"
#include "level/level_view.h"
#include "motion_synth.h"
#include "render/gl_extensions.h"
#include "render/offscreen.h"
#include "rig.h"

namespace kt::content {

namespace {

constexpr double kScale = 2.5;  // the game's motion scale

// Drawing thickness of each bone (x, y), as the game's skeleton gives them.
constexpr float kShape[kBoneCount][2] = {
    {1, 1},       {0.75, 0.75}, {0.35, 0.35}, {0.3, 0.3},   {0.25, 0.25}, {0.1, 0.5}, {0.75, 0.75},
    {0.35, 0.35}, {0.3, 0.3},   {0.25, 0.25}, {0.1, 0.5},   {2, 1.5},     {2.5, 1.5}, {2.5, 1.5},
    {0.4, 0.5},   {0.4, 0.5},   {1.2, 1.2},   {0.75, 0.75}, {0.55, 0.55}, {0.5, 0.5}, {0.5, 0.5},
    {0.2, 0.2},   {0.2, 0.75},  {0.25, 0.25}, {0.75, 0.75}, {0.55, 0.55}, {0.5, 0.5}, {0.5, 0.5},
    {0.2, 0.8},   {0.2, 0.75},  {0.25, 0.25}};

// The player's start: the first character position of the scene.
Vec3 PlayerStart() {
  std::istringstream in(SceneText());
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("Position: ", 0) == 0) {
      Vec3 p;
      std::istringstream(line.substr(10)) >> p.x >> p.y >> p.z;
      return p;
    }
  return {};
}

// An ellipsoid from a to b, as wide as the bone's thickness factors times half its length.
void DrawBone(GLUquadric* quadric, Vec3 a, Vec3 b, int bone) {
  const Vec3 d = b - a;
  const double length = Length(d);
  if (length < 1e-6) return;
  const Vec3 dir = d * (1.0 / length), axis = Cross(Vec3{0, 0, 1}, dir);
  const double angle = std::acos(std::clamp(dir.z, -1.0, 1.0)) / kDeg;
  glPushMatrix();
  glTranslated((a.x + b.x) / 2, (a.y + b.y) / 2, (a.z + b.z) / 2);
  if (Length(axis) > 1e-9) glRotated(angle, axis.x, axis.y, axis.z);
  if (bone == kHead)
    glScaled(1.3 * kShape[bone][0], 1.5 * kShape[bone][1], 1.6);
  else
    glScaled(kShape[bone][0], kShape[bone][1], 1.0);
  gluSphere(quadric, length / 2, 20, 20);
  glPopMatrix();
}

void DrawFigure(const Frames& frames, Vec3 offset) {
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  const GLfloat light[4] = {0.4f, 1.0f, 0.6f, 0.0f};
  glLightfv(GL_LIGHT0, GL_POSITION, light);
  glEnable(GL_COLOR_MATERIAL);
  glEnable(GL_NORMALIZE);
  GLUquadric* quadric = gluNewQuadric();
  gluQuadricDrawStyle(quadric, GLU_FILL);
  gluQuadricNormals(quadric, GLU_SMOOTH);
  glColor3f(0.8f, 0.8f, 0.8f);
  auto world = [&](Vec3 p) { return p * kScale + offset; };
  for (int b = 1; b < kBoneCount; ++b)
    DrawBone(quadric, world(frames.start[b]), world(frames.end[b]), b);
  // The sword: from the left wrist through the right, a blade of some 80 cm.
  const Vec3 hilt = world(frames.end[kLWrist]);
  const Vec3 blade = Normalize(frames.end[kRWrist] - frames.end[kLWrist]);
  glColor3f(0.85f, 0.87f, 0.95f);
  glPushMatrix();
  glTranslated(hilt.x, hilt.y, hilt.z);
  const Vec3 axis = Cross(Vec3{0, 0, 1}, blade);
  if (Length(axis) > 1e-9)
    glRotated(std::acos(std::clamp(blade.z, -1.0, 1.0)) / kDeg, axis.x, axis.y, axis.z);
  gluCylinder(quadric, 0.9, 0.3, 36, 8, 1);
  glPopMatrix();
  gluDeleteQuadric(quadric);
  glDisable(GL_LIGHTING);
}

}  // namespace

bool RenderPreview(const PreviewOptions& options) {
  std::vector<Pose> poses;
  for (Clip& c : MakeAllClips())
    if (c.file == options.clip) poses = std::move(c.poses);
  if (poses.empty() || options.frame < 0 || options.frame >= int(poses.size())) {
    std::fprintf(stderr, "kinetrope-content: no frame %d in clip %s\n", options.frame,
                 options.clip.c_str());
    return false;
  }
  auto context = OffscreenContext::Create(options.width, options.height);
  if (!context) return false;
  LoadGLExtensions();
  BspLevel level;
  level.LoadSkyBox("data/levels/castle_sky_%s.jpg");
  if (!level.Load("data/levels/castle.bsp")) {
    std::fprintf(stderr, "kinetrope-content: cannot load data/levels/castle.bsp here\n");
    return false;
  }
  // The clip's root lands on the start; its feet keep the clip's height above the floor.
  const Frames frames = ForwardKinematics(poses[size_t(options.frame)]);
  const Vec3 start = PlayerStart();
  const Vec3 root = frames.end[kRoot] * kScale;
  const Vec3 offset{start.x - root.x, 0, start.z - root.z};
  // From the south and a little to the side, looking north at the figure's front.
  const CVector eye{float(start.x + 50), 58.0f, float(start.z + 150)};
  const float yaw = float(std::atan2(150.0, -50.0) / kDeg);
  SetUpLevelView(level, eye, yaw, options.width, options.height);
  DrawLevelFrame(level, eye);
  DrawFigure(frames, offset);
  return context->SavePNG(options.out);
}

}  // namespace kt::content
