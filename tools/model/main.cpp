// kinetrope-model: reads 3D Studio (.3ds) models with the game's own reader.
//   info FILE.3ds                                   meshes, materials and their counts
//   render FILE.3ds --out FILE.png [--size WxH] [--up y|z] [--yaw DEG]
//                                                   the model lit and framed, drawn offscreen
// Textures are looked up beside the model, in any letter case. Log lines go to standard error
// as well as "log.txt". Exit code 0 on success, 1 when the file cannot be read or drawn, 2 on
// bad usage.
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "console/log.h"
#include "render/gl_extensions.h"
#include "render/l3ds.h"
#include "render/offscreen.h"
#include "render/parts_model.h"
#include "render/texture.h"
#include "tool_args.h"

namespace {

using namespace kt;

int Usage() {
  std::fprintf(stderr,
               "usage: kinetrope-model info FILE.3ds\n"
               "       kinetrope-model render FILE.3ds --out FILE.png [--size WxH] [--up y|z] "
               "[--yaw DEG]\n");
  return 2;
}

bool LoadOrSay(L3DS& reader, const std::string& path) {
  if (reader.LoadFile(path)) return true;
  std::fprintf(stderr, "kinetrope-model: cannot load %s: %s\n", path.c_str(),
               reader.error().c_str());
  return false;
}

int Info(const std::string& path) {
  L3DS reader;
  if (!LoadOrSay(reader, path)) return 1;
  long vertices = 0, faces = 0;
  for (const L3DSMesh& mesh : reader.meshes()) {
    std::printf("mesh \"%s\" vertices=%d faces=%d\n", mesh.name.c_str(), mesh.file_vertex_count,
                mesh.file_face_count);
    vertices += mesh.file_vertex_count;
    faces += mesh.file_face_count;
  }
  for (const L3DSMaterial& material : reader.materials())
    std::printf("material \"%s\" texture=\"%s\"\n", material.name.c_str(),
                material.texture.c_str());
  std::printf("meshes=%zu vertices=%ld faces=%ld materials=%zu\n", reader.meshes().size(), vertices,
              faces, reader.materials().size());
  return 0;
}

// Lights fixed relative to the eye, as the game's renderer places them.
void SetUpLights() {
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  const GLfloat positions[3][4] = {{1, 1, 5, 0}, {-3, 1, -1, 0}, {1, 8, -2, 0}};
  const GLfloat colours[3][4] = {{1, 1, 1, 1}, {0.6f, 0.35f, 0.35f, 1}, {0.3f, 0.4f, 0.8f, 1}};
  for (int i = 0; i < 3; ++i) {
    glLightfv(GL_LIGHT0 + i, GL_POSITION, positions[i]);
    glLightfv(GL_LIGHT0 + i, GL_DIFFUSE, colours[i]);
    glLightfv(GL_LIGHT0 + i, GL_SPECULAR, colours[i]);
    glEnable(GL_LIGHT0 + i);
  }
  const GLfloat ambient[4] = {0.25f, 0.25f, 0.25f, 1};
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
  const GLfloat specular[4] = {0.2f, 0.2f, 0.2f, 1};
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 40);
  glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
  glEnable(GL_COLOR_MATERIAL);
  glEnable(GL_LIGHTING);
  glEnable(GL_NORMALIZE);
  glEnable(GL_DEPTH_TEST);
  glShadeModel(GL_SMOOTH);
}

void DrawMeshes(const L3DS& reader, const std::vector<unsigned>& textures) {
  for (const L3DSMesh& mesh : reader.meshes()) {
    int current = -2;
    bool open = false;
    for (size_t t = 0; t < mesh.triangles.size(); ++t) {
      const int m = mesh.triangle_material[t];
      if (m != current) {
        if (open) glEnd();
        current = m;
        const unsigned texture = m >= 0 ? textures[m] : 0;
        if (texture) {
          glEnable(GL_TEXTURE_2D);
          glBindTexture(GL_TEXTURE_2D, texture);
          glColor3f(1, 1, 1);
        } else {
          glDisable(GL_TEXTURE_2D);
          const L3DSColor c = m >= 0 ? reader.materials()[m].diffuse : L3DSColor{0.7f, 0.7f, 0.7f};
          glColor3f(c.r, c.g, c.b);
        }
        glBegin(GL_TRIANGLES);
        open = true;
      }
      const L3DSTriangle& tri = mesh.triangles[t];
      for (uint32_t v : {tri.a, tri.b, tri.c}) {
        glTexCoord2fv(mesh.uvs[v].data());
        glNormal3fv(mesh.normals[v].data());
        glVertex4fv(mesh.vertices[v].data());
      }
    }
    if (open) glEnd();
  }
  glDisable(GL_TEXTURE_2D);
}

int Render(const std::string& path, int argc, char** argv) {
  const tool::Args args = tool::ParseArgs(argc, argv, 0);
  if (!args.ok || !args.positional.empty() || !args.options.count("out")) return Usage();
  int width = 640, height = 480;
  float yaw = 30.0f;
  bool z_up = true;
  for (const auto& [name, value] : args.options) {
    if (name == "size") {
      if (std::sscanf(value.c_str(), "%dx%d", &width, &height) != 2 || width <= 0 || height <= 0 ||
          width > 8192 || height > 8192)
        return Usage();
    } else if (name == "up") {
      if (value != "y" && value != "z") return Usage();
      z_up = value == "z";
    } else if (name == "yaw") {
      yaw = std::strtof(value.c_str(), nullptr);
    } else if (name != "out") {
      return Usage();
    }
  }
  L3DS reader;
  if (!LoadOrSay(reader, path)) return 1;
  float lo[3] = {FLT_MAX, FLT_MAX, FLT_MAX}, hi[3] = {-FLT_MAX, -FLT_MAX, -FLT_MAX};
  for (const L3DSMesh& mesh : reader.meshes())
    for (const auto& p : mesh.vertices)
      for (int k = 0; k < 3; ++k) {
        lo[k] = std::min(lo[k], p[k]);
        hi[k] = std::max(hi[k], p[k]);
      }
  if (lo[0] > hi[0]) {
    std::fprintf(stderr, "kinetrope-model: %s has no vertices to draw\n", path.c_str());
    return 1;
  }

  auto context = OffscreenContext::Create(width, height);
  if (!context) return 1;
  LoadGLExtensions();
  const std::string dir = std::filesystem::path(path).parent_path().string();
  std::vector<unsigned> textures(reader.materials().size(), 0);
  for (size_t m = 0; m < textures.size(); ++m)
    if (!reader.materials()[m].texture.empty())
      LoadTexture(PartsModel::ResolveTexturePath(dir.empty() ? "" : dir + "/",
                                                 reader.materials()[m].texture),
                  textures[m], 0);

  glViewport(0, 0, width, height);
  glClearColor(0.4078f, 0.8313f, 0.9725f, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  SetUpLights();

  // Framing: the bounding sphere fills the narrower field of view.
  const float centre[3] = {(lo[0] + hi[0]) / 2, (lo[1] + hi[1]) / 2, (lo[2] + hi[2]) / 2};
  const float radius = std::max(
      0.5f * std::sqrt((hi[0] - lo[0]) * (hi[0] - lo[0]) + (hi[1] - lo[1]) * (hi[1] - lo[1]) +
                       (hi[2] - lo[2]) * (hi[2] - lo[2])),
      1e-4f);
  const double fovy = 40.0, aspect = double(width) / height;
  const double half =
      std::min(fovy / 2, std::atan(std::tan(fovy / 2 * M_PI / 180) * aspect) * 180 / M_PI);
  const double distance = radius / std::sin(half * M_PI / 180) * 1.05;
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(fovy, aspect, distance * 0.05, distance * 3);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  // Eye in front of the model, turned by the yaw and raised 20 degrees, in the model's own up.
  const double a = yaw * M_PI / 180, e = 20 * M_PI / 180;
  const double front = distance * std::cos(e), side = front * std::sin(a),
               ahead = front * std::cos(a);
  const double rise = distance * std::sin(e);
  if (z_up)
    gluLookAt(centre[0] + side, centre[1] - ahead, centre[2] + rise, centre[0], centre[1],
              centre[2], 0, 0, 1);
  else
    gluLookAt(centre[0] + side, centre[1] + rise, centre[2] + ahead, centre[0], centre[1],
              centre[2], 0, 1, 0);
  DrawMeshes(reader, textures);
  const std::string out = args.options.at("out");
  if (!context->SavePNG(out)) return 1;
  for (unsigned texture : textures)
    if (texture) glDeleteTextures(1, &texture);
  std::printf("wrote %s (%dx%d)\n", out.c_str(), width, height);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  tool::StderrSink sink;
  SetLogSink(&sink);
  int result = 2;
  if (argc == 3 && !std::strcmp(argv[1], "info"))
    result = Info(argv[2]);
  else if (argc >= 3 && !std::strcmp(argv[1], "render"))
    result = Render(argv[2], argc - 3, argv + 3);
  else
    result = Usage();
  SetLogSink(nullptr);
  return result;
}
