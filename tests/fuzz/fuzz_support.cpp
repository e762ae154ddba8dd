#include "fuzz_support.h"

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "console/log.h"
#include "motion_fixtures.h"

namespace kt::fuzz {

namespace fs = std::filesystem;

namespace {

fs::path g_scratch;

void RemoveScratch() {
  std::error_code ec;
  fs::remove_all(g_scratch, ec);
}

}  // namespace

void EnterScratchDir(const std::string& target) {
  g_scratch =
      fs::temp_directory_path() / ("kinetrope-fuzz-" + target + "-" + std::to_string(getpid()));
  fs::remove_all(g_scratch);
  fs::create_directories(g_scratch);
  fs::current_path(g_scratch);
  std::atexit(RemoveScratch);
  OpenLogFile("/dev/null");
}

void RequireFinite(const void* floats, size_t bytes) {
  const float* f = static_cast<const float*>(floats);
  for (size_t i = 0; i < bytes / sizeof(float); ++i)
    if (!std::isfinite(f[i])) std::abort();
}

void WriteBytes(const std::string& path, const uint8_t* data, size_t size) {
  const fs::path folder = fs::path(path).parent_path();
  if (!folder.empty()) fs::create_directories(folder);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(data), std::streamsize(size));
}

void WriteText(const std::string& path, const std::string& text) {
  WriteBytes(path, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

std::vector<Posture> TinyClip() { return test::WalkPostures(6); }

void InstallTinyClip() {
  test::InstallTestSkeleton();
  const std::string amc = std::string("data/motions/") + kTinyAmc;
  WriteText(amc, test::AmcText(TinyClip()));
  fs::last_write_time(amc, fs::file_time_type::clock::now() - std::chrono::hours(1));
}

}  // namespace kt::fuzz
