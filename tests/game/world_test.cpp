// World start-up, saved settings, frames and shutdown, without a scene.
#include "game/world.h"

#include <gtest/gtest.h>

#include "character/game_world.h"
#include "console/cvar.h"
#include "console/gl_console.h"
#include "console/log.h"
#include "render/renderer.h"
#include "world_fixture.h"

namespace kt {
namespace {

bool HasLine(const GLConsole& console, const std::string& part) {
  for (const ConsoleLine& line : console.Lines())
    if (line.text.find(part) != std::string::npos) return true;
  return false;
}

class WorldTest : public test::WorldTest {
 protected:
  WorldTest() : test::WorldTest(200, 150) {}
  void TearDown() override {
    test::WorldTest::TearDown();
    CVar<int>("stats.fps", 1) = 1;
  }

  test::ScratchDir dir_;
};

TEST_F(WorldTest, StartUpRunsItsStepsInOrder) {
  EXPECT_EQ(WorldStartupSteps(),
            (std::vector<std::string>{"image handlers", "console", "game world", "scene loader",
                                      "level", "sound", "swing table", "random seed", "renderer",
                                      "rendering enabled", "sword list", "world timer", "camera",
                                      "scene", "player and boss", "game states", "input devices"}));
  int handlers_registered = 0;
  WorldPlatform platform;
  platform.register_image_handlers = [&] {
    ++handlers_registered;
    EXPECT_EQ(GetConsole(), nullptr) << "image handlers come before the console";
  };
  EXPECT_FALSE(RenderingEnabled());
  WorldStartup(platform);
  EXPECT_EQ(handlers_registered, 1);
  ASSERT_NE(GetConsole(), nullptr);
  ASSERT_NE(GetGameWorld(), nullptr);
  EXPECT_TRUE(GetGameWorld()->started);
  EXPECT_TRUE(RenderingEnabled());
  EXPECT_EQ(GetLogSink(), GetConsole());
  EXPECT_EQ(GetRenderer().console(), GetConsole());
  // RenderInit ran after the console existed, so its lines are on the console.
  EXPECT_TRUE(HasLine(*GetConsole(), "RenderInit: GL window has"));
  EXPECT_TRUE(HasLine(*GetConsole(), "RenderInit: Loaded OpenGL Extensions SUCCESSFULLY"));
}

TEST_F(WorldTest, SavedVariablesAreRestoredAndShutdownSavesThem) {
  test::WriteFile("cvar.ini", "1 stats.fps 0\n");
  WorldStartup({});
  EXPECT_EQ(CVar<int>("stats.fps", 1).Get(), 0);
  CVar<float>("gl.backgrnd_r", 0.0f) = 0.5f;
  WorldShutdown();
  EXPECT_EQ(GetConsole(), nullptr);
  EXPECT_EQ(GetGameWorld(), nullptr);
  EXPECT_FALSE(RenderingEnabled());
  EXPECT_EQ(GetLogSink(), nullptr);
  const std::string saved = test::ReadFile("cvar.ini");
  EXPECT_NE(saved.find("stats.fps 0"), std::string::npos);
  EXPECT_NE(saved.find("gl.backgrnd_r 0.500000"), std::string::npos);
  CVar<float>("gl.backgrnd_r", 0.0f) = 0.4078f;
  WorldShutdown();  // nothing left to destroy
}

TEST_F(WorldTest, FrameRefreshesPanelsThenDraws) {
  int refreshed = 0;
  WorldPlatform platform;
  platform.refresh_panels = [&] { ++refreshed; };
  WorldStartup(platform);
  GetConsole()->Toggle();  // closed: only the sky and the frame-rate text remain up top
  WorldFrame();
  EXPECT_EQ(refreshed, 1);
  const Image image = context_->ReadPixels();
  const unsigned char* top = image.Pixel(100, 148);
  EXPECT_NEAR(top[0], 104, 1);
  EXPECT_NEAR(top[1], 212, 1);
  EXPECT_NEAR(top[2], 248, 1);
}

}  // namespace
}  // namespace kt
