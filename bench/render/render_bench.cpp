// Offscreen frame rate of the renderer's own passes at the default view size, and the cost of
// decoding a 512x512 run-length TGA.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <vector>

#include "console/gl_console.h"
#include "render/image.h"
#include "render/offscreen.h"
#include "render/renderer.h"

namespace kt {
namespace {

void BM_FrameGroundAndConsole(benchmark::State& state) {
  auto context = OffscreenContext::Create(640, 480);
  if (!context) {
    state.SkipWithError("no EGL surfaceless context");
    return;
  }
  ResetRenderer();
  RenderInit();
  GLConsole console(nullptr, nullptr, 12, 0.75f);
  for (int i = 0; i < 20; ++i) console.Print("a line of console text for the benchmark", 1);
  GetRenderer().AttachConsole(&console);
  FrameScene scene;
  for (auto _ : state) {
    GetRenderer().Frame(scene);
    glFinish();
  }
  GetRenderer().AttachConsole(nullptr);
  state.counters["frames/s"] =
      benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FrameGroundAndConsole)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DecodeRunLengthTga(benchmark::State& state) {
  const int side = 512;
  std::vector<unsigned char> file = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  file.insert(file.end(), {side & 0xFF, side >> 8, side & 0xFF, side >> 8, 32, 0});
  for (int i = 0; i < side * side / 4; ++i) {
    if (i % 2 == 0)
      file.insert(file.end(), {0x83, 10, 20, 30, 255});
    else
      file.insert(file.end(), {0x03, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
  }
  Image image;
  for (auto _ : state) benchmark::DoNotOptimize(DecodeTGA(file, image, "bench.tga"));
  state.SetBytesProcessed(int64_t(state.iterations()) * side * side * 4);
}
BENCHMARK(BM_DecodeRunLengthTga)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kt

BENCHMARK_MAIN();
