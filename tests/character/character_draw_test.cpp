// Character drawing in the offscreen context: the bone figure and where it stands, the sword,
// the state colours (damage flash, death fade, the darker boss), the warp beam and the trail;
// and the sword mesh's geometry.
#include <GL/gl.h>
#include <GL/glu.h>

#include <functional>

#include "../render/offscreen_fixture.h"
#include "character/character.h"
#include "character/game_world.h"
#include "character/sword_mesh.h"
#include "console/cvar.h"
#include "motion_fixtures.h"
#include "render/renderer.h"
#include "test_support.h"

namespace kt {
namespace {

using Rgba = std::array<int, 4>;

bool Yellow(const Rgba& p) { return p[0] > 200 && p[1] > 200 && p[2] < 100; }
bool Blank(const Rgba& p) { return p[0] == 0 && p[1] == 0 && p[2] == 0; }

class CharacterDrawTest : public test::OffscreenTest {
 protected:
  void SetUp() override {
    test::OffscreenTest::SetUp();
    if (IsSkipped()) return;
    test::InstallTestSkeleton();
    ResetRenderer();
    RenderInit();
    ResetCharacterDrawing();
    character_ = std::make_unique<Character>("fighter");
    // Rest pose, root at the skeleton's origin.
    character_->skeleton_controller()->Update();
  }
  void TearDown() override {
    character_.reset();
    ResetCharacterDrawing();
    DestroyGameWorld();
    ResetMotionSkeletons();
  }

  // Looks at `target` along -z from `distance` away; projection far enough for the figure.
  void View(const CVector& target, double distance) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, double(width_) / height_, 1.0, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(target.x, target.y, target.z + distance, target.x, target.y, target.z, 0, 1, 0);
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview_);
    glGetDoublev(GL_PROJECTION_MATRIX, projection_);
    glGetIntegerv(GL_VIEWPORT, viewport_);
  }
  std::array<int, 2> Project(const CVector& p) const {
    double wx, wy, wz;
    gluProject(p.x, p.y, p.z, modelview_, projection_, viewport_, &wx, &wy, &wz);
    return {int(wx), int(wy)};
  }
  // Clears to black and draws.
  Image Frame(const std::function<void()>& draw) {
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw();
    return context_->ReadPixels();
  }
  Image DrawCharacter(bool lit) {
    return Frame([&] {
      if (lit)
        glEnable(GL_LIGHTING);
      else
        glDisable(GL_LIGHTING);
      character_->Draw();
      glEnable(GL_LIGHTING);
    });
  }
  static Rgba At(const Image& image, std::array<int, 2> xy) {
    const unsigned char* p = image.Pixel(xy[0], xy[1]);
    return {p[0], p[1], p[2], p[3]};
  }
  static int Count(const Image& image, const std::function<bool(const Rgba&)>& keep) {
    int n = 0;
    for (int y = 0; y < image.height; ++y)
      for (int x = 0; x < image.width; ++x) n += keep(At(image, {x, y}));
    return n;
  }
  // The lowest image row with a yellow pixel (rows count from the bottom).
  static int LowestRow(const Image& image) {
    for (int y = 0; y < image.height; ++y)
      for (int x = 0; x < image.width; ++x)
        if (Yellow(At(image, {x, y}))) return y;
    return image.height;
  }
  // Sum of one channel over the pixels the figure covers.
  static long ChannelSum(const Image& image, int channel) {
    long sum = 0;
    for (int y = 0; y < image.height; ++y)
      for (int x = 0; x < image.width; ++x) sum += At(image, {x, y})[size_t(channel)];
    return sum;
  }

  test::ScratchDir dir_{"character_draw"};
  test::ManualClockScope clock_;
  std::unique_ptr<Character> character_;
  double modelview_[16];
  double projection_[16];
  int viewport_[4];
};

TEST_F(CharacterDrawTest, FigureStandsAtThePositionNotTheOffset) {
  View({0, -8, 0}, 200);
  character_->offset = {60, 0, 0};
  character_->SetPosition({-30, 0, 0});
  const Image image = DrawCharacter(false);
  EXPECT_TRUE(Yellow(At(image, Project({-30, 0, 0}))));
  EXPECT_TRUE(Yellow(At(image, Project({-30, 8, 0}))));  // the back
  EXPECT_TRUE(Blank(At(image, Project({30, 0, 0}))));
  EXPECT_TRUE(Blank(At(image, Project({-90, 0, 0}))));
}

TEST_F(CharacterDrawTest, SwordRunsAlongTheBladeFromTheHilt) {
  CVar<float> sword_length("character.sword_length", 10.0f);
  character_->position = {0, -100, 0};  // the figure out of sight
  character_->hilt = {0, 40, 0};
  character_->blade = {1, 0, 0};
  View({5, 40, 0}, 30);
  Image image = DrawCharacter(false);
  const Rgba steel = At(image, Project({6, 40, 0}));
  EXPECT_GT(steel[2], 150);
  EXPECT_TRUE(Blank(At(image, Project({6, 42, 0}))));
  EXPECT_TRUE(Blank(At(image, Project({11, 40, 0}))));  // beyond the tip
  EXPECT_TRUE(Blank(At(image, Project({-2, 40, 0}))));  // behind the pommel
  // A vertical blade has no "up" perpendicular to it; the sword is still drawn upright.
  character_->blade = {0, 1, 0};
  View({0, 45, 0}, 30);
  image = DrawCharacter(false);
  EXPECT_GT(At(image, Project({0, 46, 0}))[2], 150);
  EXPECT_TRUE(Blank(At(image, Project({3, 46, 0}))));
}

TEST_F(CharacterDrawTest, DamageFlashIsRedUntilTheDamageTimeAndTheBossIsDarker) {
  View({0, -8, 0}, 200);
  const Image normal = DrawCharacter(true);
  const long normal_green = ChannelSum(normal, 1), normal_red = ChannelSum(normal, 0);
  ASSERT_GT(normal_green, 0);

  character_->Hurt();
  clock_.Advance(0.15);
  const Image flash = DrawCharacter(true);
  EXPECT_LT(ChannelSum(flash, 1), normal_green / 3);
  EXPECT_GT(ChannelSum(flash, 0), normal_red / 2);
  EXPECT_TRUE(character_->hurt);

  clock_.Advance(0.1);  // past character.damage_time (0.2)
  const Image after = DrawCharacter(true);
  EXPECT_FALSE(character_->hurt);
  EXPECT_EQ(ChannelSum(after, 1), normal_green);

  CreateGameWorld().boss = character_.get();
  const Image boss = DrawCharacter(true);
  EXPECT_LT(ChannelSum(boss, 1), normal_green * 6 / 10);
}

TEST_F(CharacterDrawTest, DeathFadesOutAndAWarpSquashesThenLeavesOnlyTheBeam) {
  View({0, -8, 0}, 200);
  const int standing = LowestRow(DrawCharacter(false));
  character_->enabled = false;
  character_->dying = true;
  character_->state_timer.Reset();
  clock_.Advance(0.9);
  EXPECT_GT(Count(DrawCharacter(false), Yellow), 100);
  EXPECT_TRUE(character_->dying);
  clock_.Advance(0.2);  // past character.death_time (1.0): gone in this frame
  EXPECT_EQ(Count(DrawCharacter(false), Blank), width_ * height_);
  EXPECT_FALSE(character_->dying);

  character_->warping = true;
  character_->warp_phase = 0.9f;  // squashed: wider and lower
  const Image squashed = DrawCharacter(false);
  EXPECT_GT(Count(squashed, Yellow), 100);
  EXPECT_GT(LowestRow(squashed), standing + 3);  // feet 43 units down come up by 8

  character_->warp_phase = 0.0f;
  const Image beam = DrawCharacter(false);
  EXPECT_EQ(Count(beam, Yellow), 0);
  // (0.5, 0.8, 1) at alpha 0.5 over black, from the bottom of the frame to the top.
  for (float y : {-60.0f, 0.0f, 60.0f}) {
    const Rgba p = At(beam, Project({0, y, 0}));
    EXPECT_NEAR(p[0], 64, 2);
    EXPECT_NEAR(p[1], 102, 2);
    EXPECT_NEAR(p[2], 128, 2);
  }
  EXPECT_TRUE(Blank(At(beam, Project({30, 0, 0}))));
  // The beam left the state as it found it.
  GLboolean depth_mask = GL_FALSE;
  glGetBooleanv(GL_DEPTH_WRITEMASK, &depth_mask);
  EXPECT_TRUE(depth_mask);
  EXPECT_FALSE(glIsEnabled(GL_BLEND));

  // A phase past the end: nothing.
  character_->warp_phase = -3.0f;
  EXPECT_EQ(Count(DrawCharacter(false), Blank), width_ * height_);
}

TEST_F(CharacterDrawTest, TrailNeedsAControllerAndANonZeroCursor) {
  View({0, 0, 0}, 200);
  // Slot 4 is the oldest once the cursor stands at 4: lay the samples out by age, left to right.
  for (int k = 0; k < kSwordSamples; ++k) {
    const float x = -40.0f + 8.0f * float((k + kSwordSamples - 4) % kSwordSamples);
    character_->hilt_samples[k] = {x, 0, 0};
    character_->tip_samples[k] = {x, 30, 0};
  }
  auto trail = [&] {
    return Frame([&] {
      glDisable(GL_LIGHTING);
      glEnable(GL_BLEND);
      glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
      character_->DrawSwordTrail();
      glDisable(GL_BLEND);
      glEnable(GL_LIGHTING);
    });
  };
  const int all = width_ * height_;
  character_->sample_cursor = 4;
  EXPECT_EQ(Count(trail(), Blank), all);  // no gameplay controller

  character_->SetGameplayController(kControllerBlind, MotionDataSet{});
  ASSERT_NE(character_->gameplay_controller(), nullptr);
  const Image drawn = trail();
  EXPECT_LT(Count(drawn, Blank), all - 200);
  // The newest sample (x = 32) at alpha 0.45, fading to nothing at the oldest (x = -40).
  const Rgba newest = At(drawn, Project({31, 15, 0}));
  EXPECT_NEAR(newest[2], int(255 * 0.45f), 8);
  EXPECT_LT(At(drawn, Project({-38, 15, 0}))[2], 10);

  character_->sample_cursor = 0;
  EXPECT_EQ(Count(trail(), Blank), all);
  character_->sample_cursor = -1;  // no samples yet
  EXPECT_EQ(Count(trail(), Blank), all);
}

TEST(CharacterDrawSwordMesh, ClosedSolidsWithOutwardNormalsAlongX) {
  const SwordMesh& mesh = GetSwordMesh();
  float min_x = 1e9f, max_x = -1e9f;
  for (const CVector& v : mesh.vertices) min_x = std::min(min_x, v.x), max_x = std::max(max_x, v.x);
  EXPECT_NEAR(max_x - kSwordHiltX, 1.0f, 0.01f);  // one sword length from the hand to the tip
  EXPECT_LT(min_x, kSwordHiltX);
  EXPECT_GT(min_x, kSwordHiltX - 0.2f);

  // Each normal is unit, agrees with its triangle's winding, and the winding sums to a closed
  // surface: the signed volume is positive (outward normals) and the area vectors cancel.
  double volume = 0.0;
  CVector area;
  for (const SwordMesh::Triangle& t : mesh.triangles) {
    const CVector a = mesh.vertices[size_t(t.v[0])], b = mesh.vertices[size_t(t.v[1])],
                  c = mesh.vertices[size_t(t.v[2])];
    const CVector cross = Cross(b - a, c - a);
    for (int k = 0; k < 3; ++k) {
      const CVector n = mesh.normals[size_t(t.n[k])];
      EXPECT_NEAR(n.Length(), 1.0f, 1e-4f);
      EXPECT_GT(Dot(n, cross), 0.0f);
    }
    volume += Dot(a, cross) / 6.0;
    area += cross;
  }
  EXPECT_GT(volume, 0.0);
  EXPECT_LT(area.Length(), 1e-4f);
}

}  // namespace
}  // namespace kt
