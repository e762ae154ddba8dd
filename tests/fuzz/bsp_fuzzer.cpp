// libFuzzer target: any bytes handed to the level loader either fail with a log line or load
// into arrays that look-ups, collision and culling can walk without leaving their bounds.
#include <cstdint>

#include "fuzz_support.h"
#include "level/bsp_level.h"
#include "motion/frustum.h"

namespace {

kt::Frustum WideFrustum() {
  float projection[16] = {}, identity[16] = {};
  projection[0] = projection[5] = projection[10] = 1e-4f;
  projection[15] = identity[0] = identity[5] = identity[10] = identity[15] = 1.0f;
  kt::Frustum frustum;
  frustum.ExtractPlanes(projection, identity);
  return frustum;
}

void Exercise(kt::BspLevel& level) {
  std::vector<kt::CVector> points = {{0, 0, 0}, {100, 50, -100}};
  if (!level.vertices().empty()) {
    const float* p = level.vertices()[0].position;
    points.emplace_back(p[0], p[1], p[2]);
  }
  for (const kt::CVector& p : points) {
    level.ClusterVisible(level.LeafCluster(level.FindLeaf(p)), 0);
    level.Trace(p, {0, -1000, 0}, 0.0f);
    level.Trace(p, {30, -10, 5}, 8.0f);
    level.Penetration(p, 16.0f);
    level.ReportTouches(p, 20.0f);
    level.CollectVisibleFaces(p, WideFrustum());
  }
  for (size_t f = 0; f < level.faces().size() && f < 64; ++f) level.FaceTexture(int(f));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  kt::fuzz::EnterScratchDir("bsp");  // "bspdata.txt" is written there
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static kt::HeadlessLevelTextures textures;
  kt::BspLevel level(&textures);
  if (!level.LoadFromBytes({data, size}, "fuzz.bsp")) return 0;
  kt::fuzz::RequireFinite(level.planes());
  for (const kt::BspVertex& v : level.vertices()) kt::fuzz::RequireFinite(v.position, 12);
  Exercise(level);
  return 0;
}
