// The graph picture on a small hand-written graph, drawn offscreen: the current frame's dot
// sits on its frame, edges, cutoffs and the last jump are where the geometry says, and the
// drawing stays inside its viewport and leaves the GL matrices alone.
#include "render/graph_picture.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <memory>

#include "../graph/fake_graph_player.h"
#include "graph/graph_kinds.h"
#include "motion/motion_data.h"
#include "offscreen_fixture.h"
#include "test_support.h"

namespace kt {
namespace {

constexpr int kFrames = 40;

class GraphPictureTest : public test::OffscreenTest {
 protected:
  void SetUp() override {
    width_ = 160;
    height_ = 160;
    OffscreenTest::SetUp();
    if (!context_) return;
    // Cutoffs at the two clip ends; three jumps; frames 35..39 outside the component.
    std::ofstream gra("small.gra");
    gra << kFrames << "\n19 39 \n";
    const std::map<int, std::string> jumps = {{5, "30 -1"}, {12, "2 -3"}, {30, "8 -2"}};
    for (int f = 0; f < kFrames; ++f) {
      if (jumps.count(f))
        gra << f << " 1 1\n" << jumps.at(f) << " \n";
      else
        gra << f << " 0 " << (f < 35 ? 1 : 0) << "\n\n";
    }
    gra.close();
    graph_ = std::make_unique<CutoffGraph>(player_, test::NoCache());
    ASSERT_TRUE(graph_->ImportGraph("small.gra"));
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
  }

  static bool Near(const std::array<int, 4>& p, int r, int g, int b, int tolerance = 40) {
    return std::abs(p[0] - r) <= tolerance && std::abs(p[1] - g) <= tolerance &&
           std::abs(p[2] - b) <= tolerance;
  }
  std::array<int, 4> At(const GraphPictureGeometry::Point& p) const {
    return PixelAt(int(p.x), int(p.y));
  }

  test::ScratchDir dir_{"graph_picture"};
  MotionData motion_{"small", std::vector<Posture>(kFrames)};
  test::FakeGraphPlayer player_{&motion_, 10, 2, 0.96f};
  std::unique_ptr<CutoffGraph> graph_;
};

TEST_F(GraphPictureTest, CircleShowsTheCurrentFrameItsJumpsTheLastJumpAndCutoffsOnly) {
  GraphPictureView view;
  view.viewport = {0, 0, 160, 160};
  view.current_frame = 12;
  view.last_jump = std::make_pair(30, 8);
  DrawGraphPicture(*graph_, view);
  const GraphPictureGeometry g(kFrames, GraphLayout::kCircle, view.viewport);

  EXPECT_TRUE(Near(At(g.FramePoint(12)), 255, 255, 255, 10));
  EXPECT_FALSE(Near(At(g.FramePoint(25)), 255, 255, 255));
  // The current frame's jump (12 -> 2) in green, the last jump in cyan.
  EXPECT_TRUE(Near(At(g.EdgePoint(12, 2, 0.5f)), 77, 255, 115));
  EXPECT_TRUE(Near(At(g.EdgePoint(30, 8, 0.5f)), 51, 230, 255));
  // The other jump is the heaviest of the three (-1): yellow.
  EXPECT_TRUE(Near(At(g.EdgePoint(5, 30, 0.5f)), 240, 215, 75, 50));
  // Cutoff ticks in red; the centre of the circle is background.
  EXPECT_TRUE(Near(At(g.FramePoint(19)), 242, 51, 38));
  EXPECT_TRUE(Near(PixelAt(80, 80), 20, 20, 25, 10));

  // Frames outside the graph are ignored, and an empty viewport draws nothing.
  glClear(GL_COLOR_BUFFER_BIT);
  view.current_frame = kFrames;            // one past the end
  view.last_jump = std::make_pair(-1, 3);  // nonsense
  DrawGraphPicture(*graph_, view);
  EXPECT_FALSE(Near(At(g.FramePoint(kFrames - 1)), 255, 255, 255, 10));
  EXPECT_FALSE(Near(At(g.EdgePoint(12, 2, 0.5f)), 77, 255, 115));  // no current frame
  glClear(GL_COLOR_BUFFER_BIT);
  view.viewport = {0, 0, 0, 160};
  DrawGraphPicture(*graph_, view);
  EXPECT_TRUE(Near(PixelAt(80, 80), 0, 0, 0, 0));
}

TEST_F(GraphPictureTest, LineLayoutKeepsToItsViewportAndRestoresTheMatrices) {
  GLfloat before[16], after[16];
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glGetFloatv(GL_PROJECTION_MATRIX, before);
  GraphPictureView view;
  view.viewport = {80, 0, 80, 160};
  view.layout = GraphLayout::kLine;
  view.current_frame = 5;
  DrawGraphPicture(*graph_, view);
  glGetFloatv(GL_PROJECTION_MATRIX, after);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(before[i], after[i]);

  const GraphPictureGeometry g(kFrames, GraphLayout::kLine, view.viewport);
  EXPECT_GE(g.FramePoint(0).x, 80.0f);
  EXPECT_TRUE(Near(At(g.FramePoint(5)), 255, 255, 255, 10));
  // 5 -> 30 is the current frame's jump: green, above the line.
  const auto up = g.EdgePoint(5, 30, 0.5f);
  EXPECT_GT(up.y, g.FramePoint(5).y);
  EXPECT_TRUE(Near(At(up), 77, 255, 115));
  // 12 -> 2 jumps back: below the line.
  const auto down = g.EdgePoint(12, 2, 0.5f);
  EXPECT_LT(down.y, g.FramePoint(12).y);
  EXPECT_FALSE(Near(At(down), 20, 20, 25, 10));
  // Nothing outside the viewport.
  EXPECT_TRUE(Near(PixelAt(40, 80), 0, 0, 0, 0));
}

}  // namespace
}  // namespace kt
