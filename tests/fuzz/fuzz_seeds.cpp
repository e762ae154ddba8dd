// Writes the generated seeds of every fuzz target into DIR/<target>/, each file made by the
// game's own writers where it has one: skeleton and clips of the motion fixtures, caches of the
// tiny clip, an exported graph, "cvar.ini", built maps, images and models.
// Usage: fuzz_seeds DIR SMALL_LEVEL_DESCRIPTION
#include <cstdio>
#include <filesystem>

#include "console/cvar.h"
#include "fake_graph_player.h"
#include "fuzz_support.h"
#include "graph/graph_kinds.h"
#include "image_files.h"
#include "level/level_builder.h"
#include "model_builder.h"
#include "model_set.h"
#include "motion/motion_data.h"
#include "motion_fixtures.h"
#include "render/image_writer.h"

namespace fs = std::filesystem;
using namespace kt;

namespace {

std::string g_out;

std::string Seed(const std::string& target, const std::string& file) {
  fs::create_directories(g_out + target);
  return g_out + target + "/" + file;
}

void MotionSeeds() {
  fuzz::InstallTinyClip();
  fs::copy_file("MartialArts.asf", Seed("asf", "test.asf"));
  fuzz::WriteText(Seed("amc", "walk.amc"), test::AmcText(test::WalkPostures(3, 2.0f, 10)));
  const std::vector<Posture> clip = fuzz::TinyClip();
  MotionData::WriteBinaryPostures(Seed("bin", "tiny.bin"), clip.data(), int(clip.size()));
  MotionData::DumpMarkerPositions(Seed("mpos", "tiny.mpos"), clip.data(), 6, kRootRelativeMarkers);
  MotionData::DumpMarkerPositions(Seed("mpos2", "tiny.mpos2"), clip.data(), 6, kGlobalMarkers);
  MotionData walk("walk", test::WalkPostures(30));
  test::FakeGraphPlayer player(&walk, 4, kGlobalMarkers, 0.5f);
  CreateGraph(1, player, test::NoCache())->ExportGraph(Seed("gra", "walk.gra"));
  fuzz::WriteText(Seed("gra", "edges.gra"), "30\n9 29 \n0 1 1\n20 0.9 \n8 2 1\n0 0.5 3 0.25 \n");
}

void CvarSeed() {
  CVarRegistry registry;
  CVar<int>("r_width", 800, registry);
  CVar<float>("m_sensitivity", 0.25f, registry);
  CVar<int>("sv_players", -3, registry);
  SaveCVars(Seed("cvar", "cvar.ini"), registry);
}

void LevelSeed(const std::string& description) {
  BuildLevelFile(description, "small_level.bsp");
  fs::copy_file("small_level.bsp", Seed("bsp", "small_level.bsp"));
}

void ImageSeeds() {
  Image image{5, 3, 4, {}};
  for (int i = 0; i < 5 * 3 * 4; ++i) image.pixels.push_back((unsigned char)(i * 37));
  WriteFileBytes(Seed("tga", "rgba.tga"), EncodeTGA(image));
  std::vector<unsigned char> jpeg;
  if (EncodeJPEG(image, 80, jpeg)) WriteFileBytes(Seed("jpeg", "small.jpg"), jpeg);
  const test::Bytes rgb(7 * 2 * 3, 200);
  test::WriteBytes(Seed("bmp", "small.bmp"), test::Bmp24(7, 2, rgb));
  test::WriteBytes(Seed("tga", "rgb.tga"), test::UncompressedTga(7, 2, 3, rgb));
}

void ModelSeeds() {
  using namespace test;
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
  WriteFileBytes(Seed("l3ds", "boxes.3ds"), boxes);
  WriteFileBytes(Seed("l3ds", "figure.3ds"), figure.Build());
  fuzz::WriteText(Seed("l3ds", "knight.3ds"), content::KnightModel());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: fuzz_seeds DIR SMALL_LEVEL_DESCRIPTION\n");
    return 2;
  }
  g_out = fs::absolute(argv[1]).string() + "/";
  const std::string description = fs::absolute(argv[2]).string();
  fuzz::EnterScratchDir("seeds");
  MotionSeeds();
  CvarSeed();
  LevelSeed(description);
  ImageSeeds();
  ModelSeeds();
  return 0;
}
