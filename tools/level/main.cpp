// kinetrope-level: loads Quake 3 BSP maps and builds them.
//   info MAP.bsp                                   counts (writes bspdata.txt)
//   render MAP.bsp [--eye X,Y,Z] [--yaw DEG] [--size WxH] [--sky PATTERN] --out FILE.png
//   trace MAP.bsp X,Y,Z DX,DY,DZ RADIUS            fraction of the move (solid textures collide)
//   build DESC.txt OUT.bsp                          the level builder
// Coordinates are the game's (y up). Log lines go to standard error as well as "log.txt".
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "console/log.h"
#include "level/bsp_level.h"
#include "level/level_builder.h"
#include "level/level_view.h"
#include "render/gl_extensions.h"
#include "render/offscreen.h"
#include "tool_args.h"

namespace {

using namespace kt;

using kt::tool::StderrSink;

int Usage() {
  std::fprintf(stderr,
               "usage: kinetrope-level info MAP.bsp\n"
               "       kinetrope-level render MAP.bsp [--eye X,Y,Z] [--yaw DEG] [--size WxH] "
               "[--sky PATTERN] --out FILE.png\n"
               "       kinetrope-level trace MAP.bsp X,Y,Z DX,DY,DZ RADIUS\n"
               "       kinetrope-level build DESC.txt OUT.bsp\n");
  return 2;
}

bool ParseVector(const char* text, CVector& v) {
  return std::sscanf(text, "%f,%f,%f", &v.x, &v.y, &v.z) == 3;
}

bool LoadOrSay(BspLevel& level, const std::string& path) {
  if (level.Load(path)) return true;
  std::fprintf(stderr, "kinetrope-level: cannot load %s\n", path.c_str());
  return false;
}

int Info(const std::string& path) {
  HeadlessLevelTextures textures;
  BspLevel level(&textures);
  if (!LoadOrSay(level, path)) return 1;
  std::printf("%s\n", path.c_str());
  std::printf("mesh vertices=%zu leaf faces=%zu leaf brushes=%zu brush sides=%zu models=%d\n",
              level.mesh_vertices().size(), level.leaf_faces().size(), level.leaf_brushes().size(),
              level.brush_sides().size(), level.model_count());
  std::printf(
      "vertices=%zu faces=%zu textures=%d lightmaps=%d brushes=%zu leaves=%zu nodes=%zu "
      "planes=%zu\n",
      level.vertices().size(), level.faces().size(), level.texture_count(), level.lightmap_count(),
      level.brushes().size(), level.leaves().size(), level.nodes().size(), level.planes().size());
  return 0;
}

int Render(const std::string& path, int argc, char** argv) {
  CVector eye;
  bool have_eye = false;
  float yaw = 0.0f;
  bool have_yaw = false;
  int width = 640, height = 480;
  std::string out, sky;
  for (int i = 0; i < argc; ++i) {
    const bool more = i + 1 < argc;
    if (!std::strcmp(argv[i], "--eye") && more && ParseVector(argv[i + 1], eye)) {
      have_eye = true;
    } else if (!std::strcmp(argv[i], "--yaw") && more) {
      yaw = std::strtof(argv[i + 1], nullptr);
      have_yaw = true;
    } else if (!std::strcmp(argv[i], "--size") && more &&
               std::sscanf(argv[i + 1], "%dx%d", &width, &height) == 2 && width > 0 && height > 0 &&
               width <= 8192 && height <= 8192) {
    } else if (!std::strcmp(argv[i], "--sky") && more) {
      sky = argv[i + 1];
    } else if (!std::strcmp(argv[i], "--out") && more) {
      out = argv[i + 1];
    } else {
      return Usage();
    }
    ++i;
  }
  if (out.empty()) return Usage();
  auto context = OffscreenContext::Create(width, height);
  if (!context) return 1;
  LoadGLExtensions();
  BspLevel level;
  if (!sky.empty() && !level.LoadSkyBox(sky))
    std::fprintf(stderr, "no sky box from %s\n", sky.c_str());
  if (!LoadOrSay(level, path)) return 1;
  if (!have_eye) {
    float start_yaw = 0.0f;
    if (FindPlayerStart(level.entities(), eye, start_yaw) && !have_yaw) yaw = start_yaw;
  }
  SetUpLevelView(level, eye, yaw, width, height);
  DrawLevelFrame(level, eye);
  if (!context->SavePNG(out)) return 1;
  std::printf("eye=%g,%g,%g yaw=%g wrote %s\n", eye.x, eye.y, eye.z, yaw, out.c_str());
  return 0;
}

int Trace(const std::string& path, const char* start_text, const char* move_text,
          const char* radius_text) {
  CVector start, move;
  char* end = nullptr;
  const float radius = std::strtof(radius_text, &end);
  if (!ParseVector(start_text, start) || !ParseVector(move_text, move) || *end != '\0')
    return Usage();
  HeadlessLevelTextures textures;
  BspLevel level(&textures);
  if (!LoadOrSay(level, path)) return 1;
  level.MarkSolidTexturesCollidable();
  std::printf("%g\n", level.Trace(start, move, radius));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  StderrSink sink;
  SetLogSink(&sink);
  if (argc < 3) return Usage();
  const std::string command = argv[1];
  int result = 2;
  if (command == "info" && argc == 3) {
    result = Info(argv[2]);
  } else if (command == "render") {
    result = Render(argv[2], argc - 3, argv + 3);
  } else if (command == "trace" && argc == 6) {
    result = Trace(argv[2], argv[3], argv[4], argv[5]);
  } else if (command == "build" && argc == 4) {
    result = BuildLevelFile(argv[2], argv[3]) ? 0 : 1;
  } else {
    result = Usage();
  }
  SetLogSink(nullptr);
  return result;
}
