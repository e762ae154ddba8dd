// libFuzzer target: any bytes handed to the 3DS reader either fail with a log line or give
// meshes whose every index stays inside their own arrays.
#include <cstdint>
#include <cstdlib>

#include "console/log.h"
#include "render/l3ds.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  kt::OpenLogFile("/dev/null");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kt::L3DS reader;
  if (!reader.LoadFromMemory({data, size})) return 0;
  for (const kt::L3DSMesh& mesh : reader.meshes()) {
    const size_t n = mesh.vertices.size();
    if (mesh.normals.size() != n || mesh.uvs.size() != n ||
        mesh.triangle_material.size() != mesh.triangles.size())
      std::abort();
    for (const kt::L3DSTriangle& t : mesh.triangles)
      if (t.a >= n || t.b >= n || t.c >= n) std::abort();
    for (int m : mesh.triangle_material)
      if (m < -1 || m >= int(reader.materials().size())) std::abort();
  }
  return 0;
}
