// Writes the 3DS reader's fuzzing seeds into a folder: small generated models (boxes with
// mapping, materials and smoothing groups, a parts figure) and the game's knight.
#include <cstdio>
#include <fstream>
#include <string>

#include "model_builder.h"
#include "model_set.h"

namespace {

bool Write(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), std::streamsize(bytes.size()));
  return bool(out.flush());
}

bool Write(const std::string& path, const std::vector<unsigned char>& bytes) {
  return Write(path, std::string(bytes.begin(), bytes.end()));
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kt::test;
  if (argc != 2) {
    std::fprintf(stderr, "usage: l3ds_seeds DIR\n");
    return 2;
  }
  const std::string dir = std::string(argv[1]) + "/";
  BuilderMesh smooth = Box("smooth", {-1, -1, -1}, {1, 1, 1}, "cloth");
  smooth.smoothing.assign(12, 1);
  const auto boxes = ModelBuilder()
                         .Add(BuilderMaterial{"steel", "STEEL.JPG", {0.2f, 0.4f, 0.6f}})
                         .Add(BuilderMaterial{"cloth", "", {1, 0, 0}})
                         .Add(Box("flat", {0, 0, 0}, {1, 2, 3}, "steel"))
                         .Add(smooth)
                         .Build(false);
  ModelBuilder figure;
  figure.Add(BuilderMaterial{"skin", "skin.tga"});
  for (const PartSpan& span : PartSpans())
    figure.Add(Prism(span.name, span.base, span.tip, 0.4f, "skin"));
  const bool ok = Write(dir + "boxes.3ds", boxes) && Write(dir + "figure.3ds", figure.Build()) &&
                  Write(dir + "knight.3ds", kt::content::KnightModel());
  return ok ? 0 : 1;
}
