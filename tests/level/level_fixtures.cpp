// Shared fixtures of the level tests.
#include "level_fixtures.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace kt::test {

unsigned RecordingTextures::LoadImage(const std::string& path, int) {
  images.push_back(path);
  return std::ifstream(path) ? next_++ : 0;
}

unsigned RecordingTextures::LoadLightmap(const uint8_t* rgb) {
  lightmaps.emplace_back(rgb, rgb + kLightmapBytes);
  return next_++;
}

int LogCapture::Count(const std::string& text) const {
  int n = 0;
  for (const std::string& line : lines) n += line == text;
  return n;
}

bool LogCapture::Contains(const std::string& part) const {
  for (const std::string& line : lines)
    if (line.find(part) != std::string::npos) return true;
  return false;
}

const char kTestTextures[] =
    "texture floor flat 0.5 0.5 0.5\n"
    "texture wall brick 0.7 0.4 0.3\n"
    "texture sky flat 0.4 0.6 1 sky\n";

BspData BuildData(const std::string& description) {
  LevelDescription d;
  std::string error;
  EXPECT_TRUE(ParseLevelDescription(description, d, error)) << error;
  return BuildBspData(d);
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::unique_ptr<BspLevel> BuildAndLoad(const std::string& description,
                                       LevelTextureLoader& textures) {
  LevelDescription d;
  std::string error;
  EXPECT_TRUE(ParseLevelDescription(description, d, error)) << error;
  EXPECT_TRUE(BuildLevel(d, "level.bsp"));
  auto level = std::make_unique<BspLevel>(&textures);
  EXPECT_TRUE(level->Load("level.bsp"));
  return level;
}

Frustum WideFrustum() {
  // A uniform scale of 1/10000 as projection: the clip box is the cube of side 20000.
  float projection[16] = {};
  projection[0] = projection[5] = projection[10] = 1e-4f;
  projection[15] = 1.0f;
  float identity[16] = {};
  identity[0] = identity[5] = identity[10] = identity[15] = 1.0f;
  Frustum frustum;
  frustum.ExtractPlanes(projection, identity);
  return frustum;
}

std::string OpenArenaArchive() {
  const char* path = "/usr/share/games/openarena/baseoa/pak1-maps.pk3";
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec) ? path : "";
}

std::vector<std::string> OpenArenaMaps() {
  std::vector<std::string> maps;
  const std::string command = "unzip -Z1 '" + OpenArenaArchive() + "' 'maps/*.bsp'";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return maps;
  char line[512];
  while (std::fgets(line, sizeof(line), pipe)) {
    std::string name = line;
    while (!name.empty() && (name.back() == '\n' || name.back() == '\r')) name.pop_back();
    if (name.rfind("maps/", 0) == 0) maps.push_back(name.substr(5));
  }
  pclose(pipe);
  return maps;
}

bool ExtractMap(const std::string& name, const std::string& dest) {
  const std::string command =
      "unzip -p '" + OpenArenaArchive() + "' 'maps/" + name + "' > '" + dest + "'";
  return std::system(command.c_str()) == 0;
}

}  // namespace kt::test
