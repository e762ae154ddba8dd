// Offscreen preview of the castle with a posed fighter.
#include "preview.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "character/character.h"
#include "content_generator.h"
#include "level/bsp_level.h"
#include "level/level_view.h"
#include "motion_synth.h"
#include "render/gl_extensions.h"
#include "render/offscreen.h"
#include "render/renderer.h"
#include "rig.h"

namespace kt::content {

namespace {

namespace fs = std::filesystem;

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

// A character whose skeleton is this rig's own, which the clips' poses are made for, whatever
// "MartialArts.asf" the folder holds (if any). A character reads the file from the working
// directory, so it is made inside a scratch folder holding the rig's text.
std::unique_ptr<Character> MakeFigure() {
  const fs::path here = fs::current_path();
  const fs::path scratch =
      fs::temp_directory_path() / ("kinetrope-preview-" + std::to_string(::getpid()));
  std::error_code error;
  fs::create_directories(scratch, error);
  std::ofstream(scratch / "MartialArts.asf") << AsfText();
  fs::current_path(scratch, error);
  auto figure = std::make_unique<Character>("preview");
  fs::current_path(here, error);
  fs::remove_all(scratch, error);
  return figure;
}

// The pose on a game character, its root over the start at the clip's own height, drawn by
// the character's own Draw: bone ellipsoids and the sword from the left wrist through the
// right.
void DrawFigure(const Pose& pose, Vec3 start) {
  const std::unique_ptr<Character> character = MakeFigure();
  Character& figure = *character;
  Skeleton& skeleton = *figure.skeleton();
  Posture posture;
  posture.root_position = {float(pose.root.x * kMotionScale), float(pose.root.y * kMotionScale),
                           float(pose.root.z * kMotionScale)};
  skeleton.SetPosture(posture);
  for (int b = 0; b < kBoneCount; ++b) {
    const float angles[3] = {float(pose.angles[size_t(b)].x), float(pose.angles[size_t(b)].y),
                             float(pose.angles[size_t(b)].z)};
    skeleton.SetBoneAngles(b, angles);
  }
  const CVector root = skeleton.BoneEndPosition(kRoot);
  figure.offset = {root.x - float(start.x), 0.0f, root.z - float(start.z)};
  figure.position = figure.JointPosition(kRoot);
  figure.hilt = figure.JointPosition(kSwordHiltBone);
  figure.blade = figure.JointPosition(kSwordGuideBone) - figure.hilt;
  figure.blade.Normalize();
  figure.Draw();
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
  // The game's lights and materials; the level view then replaces its projection.
  RenderInit();
  const Vec3 start = PlayerStart();
  // From the south and a little to the side, looking north at the figure's front.
  const CVector eye{float(start.x + 50), 58.0f, float(start.z + 150)};
  const float yaw = float(std::atan2(150.0, -50.0) / kDeg);
  SetUpLevelView(level, eye, yaw, options.width, options.height);
  // As in the game's frame, the level's texture and blend state stays with the level.
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  DrawLevelFrame(level, eye);
  glPopAttrib();
  glEnable(GL_LIGHTING);
  DrawFigure(poses[size_t(options.frame)], start);
  ResetCharacterDrawing();
  return context->SavePNG(options.out);
}

}  // namespace kt::content
