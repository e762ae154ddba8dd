// Shared fixtures of the level tests: tiny generated levels, a texture loader that records
// what it was asked for, log capture, a frustum that sees everything, and the OpenArena maps.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "console/log.h"
#include "level/bsp_level.h"
#include "level/level_builder.h"
#include "motion/frustum.h"

namespace kt::test {

// Remembers every image path and lightmap it is given; images that exist get numbers from 1.
class RecordingTextures final : public LevelTextureLoader {
 public:
  unsigned LoadImage(const std::string& path, int) override;
  unsigned LoadLightmap(const uint8_t* rgb) override;
  void ClampToEdge(unsigned) override {}

  std::vector<std::string> images;
  std::vector<std::vector<uint8_t>> lightmaps;

 private:
  unsigned next_ = 1;
};

// Collects console lines while it exists.
class LogCapture final : public LogSink {
 public:
  LogCapture() { SetLogSink(this); }
  ~LogCapture() override { SetLogSink(nullptr); }
  void Print(const std::string& text, int) override { lines.push_back(text); }
  int Count(const std::string& text) const;
  bool Contains(const std::string& part) const;

  std::vector<std::string> lines;
};

// Textures 0 (solid floor), 1 (wall, collides only when marked) and 2 (sky); callers add
// brushes and entities.
extern const char kTestTextures[];

// Parses a description and builds the map in memory; fails the test on a bad description.
BspData BuildData(const std::string& description);
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// Builds the description as "level.bsp" (with its images) in the working directory and loads
// it into a level that uses `textures`.
std::unique_ptr<BspLevel> BuildAndLoad(const std::string& description,
                                       LevelTextureLoader& textures);

// Sees every box within 10000 units of the origin.
Frustum WideFrustum();

// The OpenArena map archive, or "" when the package is not installed.
std::string OpenArenaArchive();
std::vector<std::string> OpenArenaMaps();
// Extracts maps/<name> from the archive into `dest`.
bool ExtractMap(const std::string& name, const std::string& dest);

}  // namespace kt::test

#define KT_REQUIRE_OPENARENA()                                                        \
  do {                                                                                \
    if (::kt::test::OpenArenaArchive().empty())                                       \
      GTEST_SKIP() << "openarena-081-maps not installed (scripts/setup.sh): skipped"; \
  } while (0)
