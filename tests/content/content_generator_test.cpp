// The generator: an idempotent data tree, stale caches removed, and a scene whose level,
// clips and fighters fit together.
#include "content_generator.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>
#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "image_set.h"
#include "level/bsp_level.h"
#include "level/level_textures.h"
#include "motion/skeleton.h"
#include "motion_synth.h"
#include "preview.h"
#include "render/image.h"
#include "sound_set.h"
#include "test_support.h"

namespace kt::content {
namespace {

namespace fs = std::filesystem;

GenerateOptions Quick() {
  GenerateOptions o;
  o.images = o.sounds = false;
  return o;
}

// Values of every "Key: value" line of the scene with that key, in order.
std::vector<std::string> SceneValues(const std::string& key) {
  std::vector<std::string> values;
  std::istringstream in(SceneText());
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(key + ": ", 0) == 0) values.push_back(line.substr(key.size() + 2));
  return values;
}

TEST(Generator, WritesOnceThenLeavesTheTreeAlone) {
  test::ScratchDir dir;
  GenerateReport first;
  ASSERT_TRUE(Generate(Quick(), first)) << (first.errors.empty() ? "" : first.errors[0]);
  EXPECT_GT(first.written, 0);  // what it writes is the generated-tree test's
  GenerateReport second;
  ASSERT_TRUE(Generate(Quick(), second));
  EXPECT_EQ(second.written, 0);
  EXPECT_EQ(second.unchanged, first.written);
}

TEST(Generator, WritesAFightingCvarIniOnlyWhereThereIsNone) {
  test::ScratchDir dir;
  GenerateReport first;
  ASSERT_TRUE(Generate(Quick(), first));
  EXPECT_EQ(test::ReadFile("cvar.ini"), DefaultSettingsText());
  EXPECT_NE(DefaultSettingsText().find("1 character.character_collisions 1\n"), std::string::npos);
  test::WriteFile("cvar.ini", "1 character.character_collisions 0\n1 stats.fps 0\n");
  GenerateReport second;
  ASSERT_TRUE(Generate(Quick(), second));
  EXPECT_EQ(test::ReadFile("cvar.ini"), "1 character.character_collisions 0\n1 stats.fps 0\n");
}

TEST(Generator, RemovesCachesOfAClipThatChanged) {
  test::ScratchDir dir;
  GenerateReport report;
  ASSERT_TRUE(Generate(Quick(), report));
  test::WriteFile("data/motions/walk.bin", "stale");
  test::WriteFile("data/motions/walk.mpos2", "stale");
  test::WriteFile("walk_graph.gra", "stale");
  test::WriteFile("idle_graph.gra", "kept");
  test::WriteFile("data/motions/walk.amc", "edited by hand");
  GenerateReport again;
  ASSERT_TRUE(Generate(Quick(), again));
  EXPECT_EQ(again.written, 1);
  EXPECT_EQ(again.caches_removed, 3);
  EXPECT_FALSE(fs::exists("walk_graph.gra"));
  EXPECT_FALSE(fs::exists("data/motions/walk.bin"));
  EXPECT_TRUE(fs::exists("idle_graph.gra"));
}

TEST(Generator, ReportsAFolderItCannotWrite) {
  test::ScratchDir dir;
  test::WriteFile("blocked", "a file where the game folder should be");
  GenerateOptions o = Quick();
  o.out = "blocked";
  o.level = false;
  GenerateReport report;
  EXPECT_FALSE(Generate(o, report));
  EXPECT_FALSE(report.errors.empty());
}

TEST(DefaultScene, NamesEveryClipItsLevelAndItsFighters) {
  std::vector<std::string> files;
  for (const Clip& c : MakeAllClips()) files.push_back(c.file);
  for (const std::string& v : SceneValues("AMCFiles"))
    EXPECT_NE(std::find(files.begin(), files.end(), v), files.end()) << v;
  EXPECT_EQ(SceneValues("AMCFiles").size(), files.size());
  // The fighters' names are default_world_test's.
  const auto kinds = SceneValues("GameplayController");
  EXPECT_EQ(std::count(kinds.begin(), kinds.end(), "2"), 2);
  EXPECT_EQ(std::count(kinds.begin(), kinds.end(), "3"), 1);  // the hunter
  EXPECT_EQ(std::count(kinds.begin(), kinds.end(), "1"), 1);
  EXPECT_EQ(SceneValues("ZoneRect").size(), 1u);
  EXPECT_EQ(SceneValues("MapFile"), std::vector<std::string>{"data/levels/castle.bsp"});
  const auto entities = SceneValues("Name");
  for (const char* e : {"statue", "fountain", "camera"})
    EXPECT_NE(std::find(entities.begin(), entities.end(), e), entities.end()) << e;
  // Values must not end a block early: no "End" or "END" inside a key line.
  for (const std::string& line : SceneValues("MotionName")) EXPECT_EQ(line.find("End"), line.npos);
}

std::vector<CVector> Positions(const std::string& key) {
  std::vector<CVector> out;
  for (const std::string& v : SceneValues(key)) {
    CVector p;
    std::istringstream(v) >> p.x >> p.y >> p.z;
    out.push_back(p);
  }
  return out;
}

TEST(DefaultScene, FightersStandOnTheCastleFloorClearOfItsWalls) {
  test::ScratchDir dir;
  GenerateOptions o = Quick();
  o.motions = false;
  GenerateReport report;
  ASSERT_TRUE(Generate(o, report));
  HeadlessLevelTextures textures;
  BspLevel level(&textures);
  ASSERT_TRUE(level.Load("data/levels/castle.bsp"));
  EXPECT_EQ(level.texture_count(), 8);
  EXPECT_NE(level.entities().find("statue"), std::string::npos);
  EXPECT_NE(level.entities().find("fountain"), std::string::npos);
  for (const std::string& v : SceneValues("Brush")) {
    const int texture = std::stoi(v);
    EXPECT_GT(texture, 0);
    EXPECT_LT(texture, level.texture_count());
    EXPECT_EQ(std::string(level.texture_file_name(texture)).find("water"), std::string::npos);
    level.MarkCollidable(texture);
  }
  const std::vector<CVector> fighters = Positions("Position");
  ASSERT_GE(fighters.size(), 5u);
  for (size_t i = 0; i < 5; ++i) {  // the character blocks come first
    const CVector& p = fighters[i];
    EXPECT_FALSE(level.Penetration(p, 20.0f)) << "fighter " << i << " stands in a wall";
    // The floor lies a pelvis height (about 43 units) below the position.
    const float below = level.Trace(p, CVector{0, -10000, 0}, 0.0f) * 10000;
    EXPECT_NEAR(below, 45.0f, 6.0f) << "fighter " << i;
  }
  // Wherever the boss reappears in its zone, it stands clear of pillars, statue and fountain.
  float zone[4];
  std::istringstream(SceneValues("ZoneRect").at(0)) >> zone[0] >> zone[1] >> zone[2] >> zone[3];
  for (float x = zone[0]; x <= zone[2]; x += 20)
    for (float z = zone[1]; z <= zone[3]; z += 20)
      EXPECT_FALSE(level.Penetration(CVector{x, 45, z}, 20.0f)) << "zone point " << x << " " << z;
  // The walls hold a fighter in: walking from the player's start towards any side stops.
  const CVector start = fighters[0];
  for (const CVector move :
       {CVector{3000, 0, 0}, CVector{-3000, 0, 0}, CVector{0, 0, 3000}, CVector{0, 0, -5000}})
    EXPECT_LT(level.Trace(start, move, 20.0f), 1.0f);
}

TEST(Preview, DrawsTheCastleWithAFighter) {
  test::ScratchDir dir;
  GenerateOptions o = Quick();
  o.motions = o.scene = false;
  GenerateReport report;
  ASSERT_TRUE(Generate(o, report));
  PreviewOptions preview;
  preview.width = 160;
  preview.height = 120;
  preview.out = "preview.png";
  if (!RenderPreview(preview)) GTEST_SKIP() << "no offscreen OpenGL here";
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&png, "preview.png"));
  png.format = PNG_FORMAT_RGBA;
  ASSERT_EQ(png.width, 160u);
  ASSERT_EQ(png.height, 120u);
  std::vector<unsigned char> rgba(PNG_IMAGE_SIZE(png));  // rows top first
  ASSERT_TRUE(png_image_finish_read(&png, nullptr, rgba.data(), 0, nullptr));
  // The figure stands in the middle of the view, lighter than the paving around it.
  int light = 0;
  for (int y = 60; y < 110; ++y)
    for (int x = 60; x < 100; ++x) {
      const unsigned char* p = &rgba[(size_t(y) * 160 + x) * 4];
      light += p[0] > 200 && p[2] > 200;
    }
  EXPECT_GT(light, 30);
  preview.clip = "no such clip.amc";
  EXPECT_FALSE(RenderPreview(preview));
}

// The sound library opened as the game opens it, without a sound card.
class AudioScope {
 public:
  AudioScope() {
    SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
    ok_ = SDL_Init(SDL_INIT_AUDIO) == 0 && (Mix_Init(MIX_INIT_MP3), true) &&
          Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 1024) == 0;
  }
  ~AudioScope() {
    Mix_CloseAudio();
    Mix_Quit();
    SDL_Quit();
  }
  bool ok() const { return ok_; }

 private:
  bool ok_ = false;
};

TEST(GeneratedTree, EveryFileTheGameNamesExistsAndDecodes) {
  test::ScratchDir dir;
  GenerateReport report;
  ASSERT_TRUE(Generate(GenerateOptions{}, report)) << report.errors[0];
  EXPECT_LT(report.bytes, size_t(40) << 20);
  EXPECT_TRUE(Skeleton("MartialArts.asf", kMotionScale).loaded());
  for (const std::string& name : ImageNames()) {
    ASSERT_TRUE(fs::exists(name)) << name;
    if (name.ends_with(".ico")) continue;
    kt::Image image;
    EXPECT_TRUE(ReadImageFile(name, image)) << name;
    EXPECT_GT(image.width, 0) << name;
  }
  // The level's textures and sky, as the level loader looks for them.
  for (const char* name : {"flagstone", "grass", "wall", "stone", "wood", "water", "roof", "marble",
                           "sky_lf", "sky_rt", "sky_dn", "sky_up", "sky_ft", "sky_bk"}) {
    kt::Image image;
    EXPECT_TRUE(ReadImageFile(std::string("data/levels/castle_") + name + ".jpg", image)) << name;
  }
  AudioScope audio;
  ASSERT_TRUE(audio.ok()) << Mix_GetError();
  for (const std::string& name : SoundNames()) {
    ASSERT_TRUE(fs::exists(name)) << name;
    if (name.ends_with(".mp3")) {
      Mix_Music* music = Mix_LoadMUS(name.c_str());
      ASSERT_NE(music, nullptr) << name << ": " << Mix_GetError();
      EXPECT_GE(Mix_MusicDuration(music), name.ends_with("boss.mp3") ? 90.0 : 30.0) << name;
      Mix_FreeMusic(music);
    } else {
      Mix_Chunk* chunk = Mix_LoadWAV(name.c_str());
      ASSERT_NE(chunk, nullptr) << name << ": " << Mix_GetError();
      Mix_FreeChunk(chunk);
    }
  }
}

}  // namespace
}  // namespace kt::content
