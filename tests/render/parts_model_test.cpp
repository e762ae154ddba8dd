// Parts models: loading (missing parts, textures in any letter case, a missing file), drawing
// stretched onto a skeleton (measured through OpenGL feedback), the death drift, and the
// generated knight.
#include "render/parts_model.h"

#include <GL/gl.h>

#include <cmath>

#include "console/cvar.h"
#include "log_capture.h"
#include "model_builder.h"
#include "model_set.h"
#include "offscreen_fixture.h"
#include "render/image_writer.h"
#include "test_support.h"

namespace kt {
namespace {

using test::BuilderMesh;
using test::LogCapture;
using test::ModelBuilder;

constexpr int kJoints = 31;

// Skeleton joint each reference joint follows, and the reference joints themselves.
const int kFollow[16] = {0, 15, 17, 18, 20, 24, 25, 27, 6, 7, 8, 10, 1, 2, 3, 5};

// A skeleton standing in the model's rest pose, `scale` times as large, placed at `at`.
std::array<CVector, kJoints> RestPose(float scale, CVector at = {}) {
  std::array<CVector, kJoints> joints{};
  const auto& spans = test::PartSpans();
  // Reference joint positions from the spans: base and tip of each part.
  static const int kBase[13] = {0, 0, 2, 3, 3, 5, 6, 12, 13, 14, 8, 9, 10};
  static const int kTip[13] = {1, 1, 3, 4, 4, 6, 7, 13, 14, 15, 9, 10, 11};
  for (int i = 0; i < 13; ++i) {
    const auto& b = spans[i].base;
    const auto& t = spans[i].tip;
    joints[kFollow[kBase[i]]] = at + CVector(b[0], b[1], b[2]) * scale;
    joints[kFollow[kTip[i]]] = at + CVector(t[0], t[1], t[2]) * scale;
  }
  return joints;
}

std::vector<unsigned char> PartsFile(const std::vector<std::string>& names,
                                     const std::string& texture = "") {
  ModelBuilder builder;
  if (!texture.empty()) builder.Add(test::BuilderMaterial{"skin", texture});
  for (const auto& span : test::PartSpans()) {
    if (std::find(names.begin(), names.end(), span.name) == names.end()) continue;
    builder.Add(test::Prism(span.name, span.base, span.tip, 0.4f, texture.empty() ? "" : "skin"));
  }
  return builder.Build();
}

template <typename Bytes>
void WriteBytes(const std::string& path, const Bytes& bytes) {
  test::WriteFile(path, std::string(bytes.begin(), bytes.end()));
}

std::vector<std::string> AllParts() {
  std::vector<std::string> names;
  for (const auto& span : test::PartSpans()) names.push_back(span.name);
  return names;
}

// Window-space corners of each drawn triangle, in drawing order.
using Triangles = std::vector<std::array<CVector, 3>>;

class PartsModelTest : public test::OffscreenTest {
 protected:
  void SetUp() override {
    test::OffscreenTest::SetUp();
    if (IsSkipped()) return;
    glViewport(0, 0, width_, height_);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // Wide enough that drifting parts stay inside (feedback reports what survives clipping).
    glOrtho(-400, 400, -300, 300, -1000, 1000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    // No extra roll, so a part drawn in the rest pose lands exactly where the file had it.
    rot_ = 0.0f;
  }
  void TearDown() override { rot_ = 90.0f; }

  // Runs `draw` in feedback mode and returns its triangles in world coordinates.
  template <typename F>
  Triangles Feedback(F draw) {
    std::vector<float> buffer(1 << 20);
    glFeedbackBuffer(GLsizei(buffer.size()), GL_3D, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const int n = glRenderMode(GL_RENDER);
    Triangles out;
    for (int i = 0; i < n;) {
      const int token = int(buffer[i++]);
      if (token != GL_POLYGON_TOKEN) {
        ADD_FAILURE() << "unexpected feedback token " << token;
        break;
      }
      const int corners = int(buffer[i++]);
      EXPECT_EQ(corners, 3);
      std::array<CVector, 3> t;
      for (int k = 0; k < corners && k < 3; ++k, i += 3)
        t[k] = CVector((buffer[i] - width_ / 2.0f) * (800.0f / width_),
                       (buffer[i + 1] - height_ / 2.0f) * (600.0f / height_),
                       (0.5f - buffer[i + 2]) * 2000.0f);
      out.push_back(t);
    }
    return out;
  }

  test::ScratchDir dir_;
  CVar<float> rot_{"zombie.rot", 90.0f};
};

struct Box3 {
  CVector lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
  void Add(const CVector& p) {
    lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
    hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
  }
  CVector Size() const { return hi - lo; }
};

// Bounding box of each part: the builder's prisms have 12 triangles each.
std::vector<Box3> PartBoxes(const Triangles& triangles) {
  std::vector<Box3> boxes(triangles.size() / 12);
  for (size_t t = 0; t < boxes.size() * 12; ++t)
    for (const CVector& p : triangles[t]) boxes[t / 12].Add(p);
  return boxes;
}

TEST_F(PartsModelTest, FullModelLoadsNormalisesAndDraws) {
  WriteBytes("full.3ds", PartsFile(AllParts()));
  LogCapture log;
  auto model = PartsModel::Load("full.3ds");
  EXPECT_TRUE(log.Contains("Model loaded with 13 parts"));
  EXPECT_FALSE(log.Contains("Missing Part"));
  ASSERT_EQ(model->part_count(), 13);
  EXPECT_LT(model->vertex_min().y, 0.0f);             // the feet's prisms reach below the soles
  EXPECT_NEAR(model->vertex_max().y, 15.88f, 1e-5f);  // the torso's top

  // In the rest pose at model scale each part lands where the file had it: the torso's
  // prism spans the pelvis to the crown (9.86 .. 15.88 high).
  const auto joints = RestPose(1.0f);
  const Triangles drawn = Feedback([&] { model->Draw(CQuaternion(), joints.data()); });
  EXPECT_EQ(model->parts_drawn(), 13);
  ASSERT_EQ(drawn.size(), 13u * 12u);
  const std::vector<Box3> boxes = PartBoxes(drawn);
  EXPECT_NEAR(boxes[1].lo.y, 9.86f, 1e-3f);
  EXPECT_NEAR(boxes[1].hi.y, 15.88f, 1e-3f);
  EXPECT_NEAR(boxes[1].Size().x, 2 * 0.4f * 1.1f, 0.02f);  // width factor 1.1

  // zombie.rot turns every part about its bone: 90 (radians) rolls the torso's square
  // cross-section so that it is wider seen from the front.
  rot_ = 90.0f;
  const std::vector<Box3> rolled =
      PartBoxes(Feedback([&] { model->Draw(CQuaternion(), joints.data()); }));
  EXPECT_NEAR(rolled[1].Size().x,
              0.88f * float(std::fabs(std::cos(90.0)) + std::fabs(std::sin(90.0))), 0.02f);
  EXPECT_NEAR(rolled[1].lo.y, boxes[1].lo.y, 1e-3f);
}

TEST_F(PartsModelTest, MissingPartsAreReportedAndLeftOut) {
  WriteBytes("two.3ds", PartsFile({"torso", "head"}));
  LogCapture log;
  auto model = PartsModel::Load("two.3ds");
  EXPECT_EQ(log.Count("Missing Part "), 11);
  for (const std::string& name : AllParts())
    EXPECT_EQ(log.Contains("Missing Part " + name), name != "torso" && name != "head") << name;
  EXPECT_TRUE(model->has_part(0) && model->has_part(1) && !model->has_part(2));
  const auto joints = RestPose(1.0f);
  const Triangles drawn = Feedback([&] { model->Draw(CQuaternion(), joints.data()); });
  EXPECT_EQ(model->parts_drawn(), 2);
  EXPECT_EQ(drawn.size(), 24u);
}

TEST_F(PartsModelTest, OtherSkeletonsStretchThePartsOrSkipDegenerateOnes) {
  WriteBytes("full.3ds", PartsFile(AllParts()));
  auto model = PartsModel::Load("full.3ds");
  const auto small = RestPose(1.0f), tall = RestPose(1.6f);
  const std::vector<Box3> a =
      PartBoxes(Feedback([&] { model->Draw(CQuaternion(), small.data()); }));
  const std::vector<Box3> b = PartBoxes(Feedback([&] { model->Draw(CQuaternion(), tall.data()); }));
  ASSERT_EQ(a.size(), 13u);
  ASSERT_EQ(b.size(), 13u);
  for (int i = 0; i < 13; ++i)  // uniform: along the bone and across it alike
    EXPECT_NEAR(Distance(b[i].Size(), a[i].Size() * 1.6f), 0.0f,
                0.02f + a[i].Size().Length() * 0.01f)
        << test::PartSpans()[i].name;
  // Only the left forearm longer: that part grows, across too; the upper arm does not.
  auto long_arm = small;
  long_arm[20] = long_arm[18] + (long_arm[20] - long_arm[18]) * 2.0f;
  const std::vector<Box3> c =
      PartBoxes(Feedback([&] { model->Draw(CQuaternion(), long_arm.data()); }));
  EXPECT_NEAR(c[3].Size().y, a[3].Size().y * 2.0f, 0.05f);
  EXPECT_NEAR(c[3].Size().z, a[3].Size().z * 2.0f, 0.05f);
  EXPECT_NEAR(c[2].Size().y, a[2].Size().y, 0.01f);

  // Coincident joints (the crown on the pelvis: head and torso have no bone) skip their
  // parts for the frame; a bone along a part's roll axis (the foot's is vertical) still gets
  // a frame. Either way nothing turns NaN.
  auto crown_down = small, foot_down = small;
  crown_down[15] = crown_down[0];
  foot_down[5] = foot_down[3] + CVector(0, -2, 0);
  for (const auto& [joints, parts] : {std::pair{crown_down, 11}, std::pair{foot_down, 13}}) {
    const Triangles drawn = Feedback([&] { model->Draw(CQuaternion(), joints.data()); });
    EXPECT_EQ(model->parts_drawn(), parts);
    ASSERT_EQ(drawn.size(), size_t(parts) * 12u);
    for (const auto& t : drawn)
      for (const CVector& p : t)
        ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z));
  }
}

TEST_F(PartsModelTest, DyingPartsDriftAndFallKeepingTheirShape) {
  WriteBytes("full.3ds", PartsFile(AllParts()));
  auto model = PartsModel::Load("full.3ds");
  const auto joints = RestPose(1.0f);
  LogCapture log;
  const auto alive = PartBoxes(Feedback([&] { model->Draw(CQuaternion(), joints.data()); }));
  const auto start =
      PartBoxes(Feedback([&] { model->DrawDying(CQuaternion(), joints.data(), 0.5f, 0, 0); }));
  EXPECT_FALSE(log.Contains("Two identical CVectors!"));
  ASSERT_EQ(start.size(), 13u);
  for (int i = 0; i < 13; ++i) EXPECT_NEAR(Distance(start[i].lo, alive[i].lo), 0.0f, 1e-3f);

  CVar<float> speed("zombie.death_speed", 15.0f);
  speed = 0.0f;  // the fall alone: every part drops g t^2 / 2
  const auto fallen =
      PartBoxes(Feedback([&] { model->DrawDying(CQuaternion(), joints.data(), 0, -4.0f, 2.0f); }));
  for (int i = 0; i < 13; ++i) EXPECT_NEAR(fallen[i].lo.y - alive[i].lo.y, -8.0f, 1e-3f);
  speed = 15.0f;
  const auto drifted =
      PartBoxes(Feedback([&] { model->DrawDying(CQuaternion(), joints.data(), 1, 0, 0.5f); }));
  const auto& scatter = PartsModel::ScatterVectors();
  for (int i = 0; i < 13; ++i) {
    // Blend 1 moves each part along its second scatter vector only; its size stays.
    const CVector moved = drifted[i].lo - alive[i].lo;
    const CVector expected = scatter[i][1] * 7.5f;
    EXPECT_NEAR(Distance(moved, expected), 0.0f, 0.05f) << i;
    EXPECT_NEAR(Distance(drifted[i].Size(), alive[i].Size()), 0.0f, 1e-3f);
  }
}

TEST_F(PartsModelTest, TexturesResolveWhateverTheirCase) {
  Image image;
  image.width = image.height = 4;
  image.channels = 3;
  image.pixels.assign(48, 200);
  std::filesystem::create_directories("data/models/Skins");
  ASSERT_TRUE(WriteFileBytes("data/models/armour.tga", EncodeTGA(image)));
  ASSERT_TRUE(WriteFileBytes("data/models/Skins/Plate.tga", EncodeTGA(image)));
  for (const char* name : {"armour.tga", "ARMOUR.TGA", "skins/PLATE.TGA"}) {
    SCOPED_TRACE(name);
    WriteBytes("skin.3ds", PartsFile({"torso"}, name));
    auto model = PartsModel::Load("skin.3ds");
    ASSERT_EQ(model->textures().size(), 1u);
    EXPECT_NE(model->textures()[0], 0u);
    EXPECT_TRUE(glIsTexture(model->textures()[0]));
  }
  EXPECT_EQ(PartsModel::ResolveTexturePath("data/models/", "nothing.tga"),
            "data/models/nothing.tga");
  LogCapture log;
  WriteBytes("skin.3ds", PartsFile({"torso"}, "nothing.tga"));
  auto model = PartsModel::Load("skin.3ds");
  EXPECT_EQ(model->textures()[0], 0u);  // drawn untextured
  EXPECT_EQ(model->part_count(), 13);
}

// Damaged files are the 3DS reader's (l3ds_test and its fuzz target); a missing one stands for
// them.
TEST_F(PartsModelTest, BadFileGivesReadersMessageAndAnEmptyModel) {
  LogCapture log;
  auto model = PartsModel::Load("missing.3ds");
  EXPECT_TRUE(log.Contains("L3DS::"));
  EXPECT_TRUE(log.Contains("ERROR Loading player model..."));
  EXPECT_EQ(model->part_count(), 0);
  const auto joints = RestPose(1.0f);
  EXPECT_TRUE(Feedback([&] { model->Draw(CQuaternion(), joints.data()); }).empty());
  EXPECT_TRUE(
      Feedback([&] { model->DrawDying(CQuaternion(), joints.data(), 0.5f, -1, 1); }).empty());
}

TEST_F(PartsModelTest, GeneratedKnightHasEveryPartAndItsTextures) {
  for (const auto& f : content::MakeModelFiles())
    WriteBytes(f.path, std::vector<unsigned char>(f.bytes.begin(), f.bytes.end()));
  LogCapture log;
  auto model = PartsModel::Load(content::kKnightModel);
  EXPECT_FALSE(log.Contains("Missing Part"));
  EXPECT_FALSE(log.Contains("ERROR"));
  EXPECT_FALSE(log.Contains("w = "));
  ASSERT_EQ(model->textures().size(), 2u);
  for (unsigned texture : model->textures()) EXPECT_NE(texture, 0u);
  // Drawn lit on a skeleton 20 times the model's size, its chest covers the middle.
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  glEnable(GL_NORMALIZE);
  glClearColor(0, 0, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  const auto joints = RestPose(20.0f, {0, -170, 0});
  model->Draw(CQuaternion(), joints.data());
  EXPECT_EQ(model->parts_drawn(), 13);
  const auto centre = PixelAt(width_ / 2, height_ / 2 + 16);  // model height 12.5
  EXPECT_FALSE(centre[0] == 0 && centre[1] == 0 && centre[2] == 255);
}

}  // namespace
}  // namespace kt
