// libFuzzer target: any bytes as "cvar.ini" restore into a registry (or are skipped with a log
// line), and what was restored saves and restores again.
#include "console/cvar.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  kt::fuzz::EnterScratchDir("cvar");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kt::fuzz::WriteBytes("cvar.ini", data, size);
  kt::CVarRegistry registry, again;
  kt::RestoreCVars("cvar.ini", registry);
  if (kt::SaveCVars("saved.ini", registry)) kt::RestoreCVars("saved.ini", again);
  return 0;
}
