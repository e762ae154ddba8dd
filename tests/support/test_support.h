// Shared test fixtures: the manual process clock, scratch working folders and the real-data
// folder. Every test that needs one of these takes it from here rather than rolling its own.
#pragma once

#include <filesystem>
#include <string>

#include "console/clock.h"

namespace kt::test {

// Installs a ManualClock as the process clock for its lifetime.
class ManualClockScope {
 public:
  ManualClockScope() { SetProcessClock(&clock_); }
  ~ManualClockScope() { SetProcessClock(nullptr); }
  ManualClockScope(const ManualClockScope&) = delete;
  ManualClockScope& operator=(const ManualClockScope&) = delete;

  void Advance(double seconds) { clock_.Advance(seconds); }
  ManualClock& clock() { return clock_; }

 private:
  ManualClock clock_;
};

// Makes a fresh empty folder and makes it the working directory for its lifetime, because the
// program reads and writes "cvar.ini", "log.txt" and caches relative to the working directory.
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& name = "scratch");
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
  std::filesystem::path previous_;
};

// The real third-party data folder (CMU clips, 3DS models), or an empty path when it is absent.
std::filesystem::path RealDataDir();

// Writes text to a file, creating parent folders.
void WriteFile(const std::filesystem::path& path, const std::string& text);
std::string ReadFile(const std::filesystem::path& path);

}  // namespace kt::test

// Skips the current test with a clear message when the real-data folder is missing.
#define KT_REQUIRE_REALDATA()                                                         \
  do {                                                                                \
    if (::kt::test::RealDataDir().empty())                                            \
      GTEST_SKIP() << "real data folder not found (KINETROPE_REALDATA_DIR): skipped"; \
  } while (0)
