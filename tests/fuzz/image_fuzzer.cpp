// libFuzzer target, built once per decoder (KT_DECODER: DecodeTGA, DecodeBMP or DecodeJPEG):
// any bytes either fail with a log line or give exactly width * height pixels.
#include <cstdlib>

#include "console/log.h"
#include "render/image.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  kt::OpenLogFile("/dev/null");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kt::Image image;
  if (!kt::KT_DECODER({data, size}, image, "fuzz")) return 0;
  if (image.pixels.size() != size_t(image.width) * image.height * image.channels) std::abort();
  return 0;
}
