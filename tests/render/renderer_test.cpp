// The frame: extensions, projection, ground and sky, the passes and their GL state, the frame
// rate, billboards and the console drawn over the scene.
#include "render/renderer.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <string>
#include <vector>

#include "console/gl_console.h"
#include "log_capture.h"
#include "offscreen_fixture.h"
#include "render/gl_extensions.h"
#include "test_support.h"

namespace kt {
namespace {

using Rgba = std::array<int, 4>;

constexpr Rgba kSky = {104, 212, 248, 0};
constexpr Rgba kGroundEven = {4, 178, 45, 255};
constexpr Rgba kGroundOdd = {11, 91, 45, 255};

bool Near(const Rgba& a, const Rgba& b) {
  for (int i = 0; i < 3; ++i)
    if (std::abs(a[i] - b[i]) > 1) return false;
  return true;
}

// Looks straight down on the origin from 8 units up, x to the right, -z up the screen; keeps
// the matrices to project ground points with.
class TopDownScene : public FrameScene {
 public:
  void UpdateCamera() override {
    glLoadIdentity();
    gluLookAt(0.0, 8.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, -1.0);
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
  }
  std::array<int, 2> Project(double x, double y, double z) const {
    double wx, wy, wz;
    gluProject(x, y, z, modelview, projection, viewport, &wx, &wy, &wz);
    return {int(wx), int(wy)};
  }

  double modelview[16];
  double projection[16];
  int viewport[4];
};

// Records the hooks in the order the frame calls them, with the state each saw.
class RecordingScene : public FrameScene {
 public:
  void UpdateCamera() override { calls.push_back("camera"); }
  void DrawLevel() override { calls.push_back(State("level")); }
  void DrawOpaque() override { calls.push_back(State("opaque")); }
  void DrawBossWarp() override { calls.push_back(State("warp")); }
  void DrawTranslucent() override { calls.push_back(State("translucent")); }
  void DrawStateScreens() override { calls.push_back(State("screens")); }

  static std::string State(const std::string& name) {
    GLboolean depth_mask = GL_TRUE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depth_mask);
    return name + (glIsEnabled(GL_LIGHTING) ? " lit" : "") +
           (glIsEnabled(GL_BLEND) ? " blend" : "") + (depth_mask ? "" : " nodepth");
  }
  std::vector<std::string> calls;
};

class RendererTest : public test::OffscreenTest {
 protected:
  void SetUp() override {
    test::OffscreenTest::SetUp();
    if (IsSkipped()) return;
    ResetRenderer();
    RenderInit();
  }
  void TearDown() override {
    GetRenderer().AttachConsole(nullptr);
    ResetRenderer();
    CVar<int>("stats.fps", 1) = 1;
    CVar<int>("world.draw_ground", 1) = 1;
    CVar<int>("world.draw_level", 1) = 1;
  }

  test::ScratchDir dir_;
  test::ManualClockScope clock_;
};

TEST_F(RendererTest, ExtensionsLoadOrTheirLackIsReportedAndStartUpGoesOn) {
  EXPECT_TRUE(GetGLExtensions().multitexture());
  SetGLProcAddressFunction([](const char*) -> GLProc { return nullptr; });
  test::LogCapture log;
  ResetRenderer();
  RenderInit();
  EXPECT_TRUE(log.Contains("RenderInit: Loaded OpenGL Extensions UNSUCCESSFULLY"));
  EXPECT_FALSE(GetGLExtensions().multitexture());
  TopDownScene scene;
  GetRenderer().Frame(scene);
}

TEST_F(RendererTest, ProjectionIsBuiltOnceFromTheViewportAtInit) {
  const auto projection = [] {
    GLfloat m[16];
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    return std::array<float, 2>{m[0], m[5]};
  };
  const auto initial = projection();
  EXPECT_NEAR(initial[1] / initial[0], 160.0f / 120.0f, 1e-4);  // aspect of the 160x120 view
  // A resize changes the viewport only; a new far clip waits for the next RenderInit.
  glViewport(0, 0, 40, 120);
  CVar<float> far_clip("gl.farclip", 50.0f);
  far_clip = 10.0f;
  FrameScene scene;
  GetRenderer().Frame(scene);
  EXPECT_EQ(projection(), initial);
  far_clip = 50.0f;
}

TEST_F(RendererTest, GroundIsACheckerboardUnderTheSkyAndTheCameraVectorsFollowTheView) {
  TopDownScene scene;
  GetRenderer().Frame(scene);
  // Quad (x, z) is number (x + 10) * 21 + (z + 10): (0, 0) is 220, even.
  const auto at = [&](double x, double z) {
    const auto p = scene.Project(x, 0.0, z);
    return PixelAt(p[0], p[1]);
  };
  EXPECT_PRED2(Near, at(0.5, 0.5), kGroundEven);
  EXPECT_PRED2(Near, at(0.5, 1.5), kGroundOdd);
  EXPECT_PRED2(Near, at(-0.5, 0.5), kGroundOdd);
  EXPECT_PRED2(Near, at(-1.5, -1.5), kGroundEven);
  // The x axis runs red along z = 0 from the origin.
  const Rgba axis = at(0.6, 0.0);
  EXPECT_GT(axis[0], 200);
  EXPECT_LT(axis[1], 80);
  // Looking down with -z up the screen.
  EXPECT_NEAR(Distance(GetRenderer().camera_right(), CVector(1, 0, 0)), 0.0f, 1e-5f);
  EXPECT_NEAR(Distance(GetRenderer().camera_up(), CVector(0, 0, -1)), 0.0f, 1e-5f);

  CVar<int>("world.draw_ground", 1) = 0;
  GetRenderer().Frame(scene);
  EXPECT_PRED2(Near, at(0.5, 0.5), kSky);
  // The clear colour follows the background variables.
  CVar<float> red("gl.backgrnd_r", 0.0f);
  const float saved = red;
  red = 1.0f;
  GetRenderer().Frame(scene);
  red = saved;
  EXPECT_PRED2(Near, PixelAt(0, 0), (Rgba{255, 212, 248, 0}));
}

TEST_F(RendererTest, PassesRunInOrderWithTheirState) {
  RecordingScene scene;
  GetRenderer().Frame(scene);
  EXPECT_EQ(scene.calls,
            (std::vector<std::string>{"camera", "level", "opaque lit", "warp lit blend",
                                      "translucent blend nodepth", "screens lit"}));
  scene.calls.clear();
  CVar<int>("world.draw_level", 1) = 0;
  GetRenderer().Frame(scene);
  EXPECT_EQ(scene.calls.size(), 5u);
  EXPECT_EQ(scene.calls[1], "opaque lit");
}

TEST_F(RendererTest, FrameRateIsTheFramesCountedInTheFirstSecond) {
  FrameScene scene;
  for (int i = 0; i < 20; ++i) {
    GetRenderer().Frame(scene);
    EXPECT_EQ(GetRenderer().frame_rate(), 0.0f) << i;
    clock_.Advance(0.05);
  }
  GetRenderer().Frame(scene);  // 1.0 s after the first: measures, does not count itself
  EXPECT_EQ(GetRenderer().frame_rate(), 20.0f);
  for (int i = 0; i < 3; ++i) {
    clock_.Advance(0.4);
    GetRenderer().Frame(scene);
  }
  EXPECT_EQ(GetRenderer().frame_rate(), 2.0f);
}

TEST_F(RendererTest, BillboardCornersSpanRightAndUpThenShiftZ) {
  CVector corners[4];
  BillboardCorners(CVector(1, 0, 0), CVector(0, 1, 0), CVector(10, 20, 30), 2.0f, 3.0f, 0.5f,
                   corners);
  EXPECT_TRUE(corners[0] == CVector(8, 17, 30.5f) && corners[1] == CVector(12, 17, 30.5f) &&
              corners[2] == CVector(12, 23, 30.5f) && corners[3] == CVector(8, 23, 30.5f));
}

// Pixels in the rectangle that differ from `colour` by more than the tolerance.
int CountOther(const Image& image, int x0, int y0, int x1, int y1, const Rgba& colour) {
  int count = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      const unsigned char* p = image.Pixel(x, y);
      if (!Near(Rgba{p[0], p[1], p[2], 0}, colour)) ++count;
    }
  return count;
}

TEST_F(RendererTest, ConsoleShowsTextOnItsPanelAndClosedLeavesOnlyTheFrameRate) {
  CVar<int>("world.draw_ground", 1) = 0;
  GLConsole console(nullptr, nullptr, 12, 0.75f);
  GetRenderer().AttachConsole(&console);
  FrameScene scene;
  GetRenderer().Frame(scene);  // starts the slide-in clock (its pace: gl_console_test)
  const Rgba panel = {204, 51, 76, 0};
  console.Print("HELLO WORLD", kLineNormal);
  console.Print("SOMETHING WRONG", kLineError);
  clock_.Advance(1.0);
  GetRenderer().Frame(scene);
  const Image image = context_->ReadPixels();
  const int bottom = height_ - int(height_ * 0.75f);
  EXPECT_PRED2(Near, PixelAt(150, height_ - 2), panel);
  EXPECT_PRED2(Near, PixelAt(150, bottom - 3), kSky);
  // The input row sits 7 pixels above the panel's lower edge, the two lines above it.
  EXPECT_GT(CountOther(image, 0, bottom + 4, 100, bottom + 60, panel), 40);

  // Closed, nothing is left but the frame rate: "0.00 FPS" in white at (10, 10).
  console.Toggle();
  clock_.Advance(1.0);
  GetRenderer().Frame(scene);
  const Image closed = context_->ReadPixels();
  EXPECT_EQ(CountOther(closed, 0, 30, width_, height_, kSky), 0);
  EXPECT_GT(CountOther(closed, 8, 6, 80, 24, kSky), 20);
  CVar<int>("stats.fps", 1) = 0;
  GetRenderer().Frame(scene);
  EXPECT_EQ(CountOther(context_->ReadPixels(), 0, 0, width_, height_, kSky), 0);
  GetRenderer().AttachConsole(nullptr);
}

}  // namespace
}  // namespace kt
