// Sphere collision against generated levels whose geometry is known exactly.
#include <gtest/gtest.h>

#include "level_fixtures.h"
#include "test_support.h"

namespace kt {
namespace {

class LevelCollision : public ::testing::Test {
 protected:
  void Build(const std::string& brushes) {
    level_ = test::BuildAndLoad(std::string(test::kTestTextures) + brushes, textures_);
  }

  test::ScratchDir dir_{"collision"};
  test::RecordingTextures textures_;
  std::unique_ptr<BspLevel> level_;
};

// A floor whose top is y = 0, with a wall (texture 1, not collidable until marked) on it.
const char kFloorAndWall[] =
    "brush -10 -1 -10 10 0 10 floor\n"
    "brush 4 0 -10 5 4 10 wall\n";

// Exact fractions onto the floor; 0 when the sphere starts inside; 1 when it stops short,
// moves away, or rests on the floor and slides along it.
TEST_F(LevelCollision, TraceGivesTheExactFraction) {
  Build(kFloorAndWall);
  const struct {
    CVector start, move;
    float radius, fraction;
  } cases[] = {
      {{0, 5, 0}, {0, -8, 0}, 1.0f, 0.5f},     {{-3, 2, 2}, {0, -4, 0}, 0.0f, 0.5f},
      {{0, 5, 0}, {0, -2, 0}, 1.0f, 1.0f},     {{0, 5, 0}, {0, 8, 0}, 1.0f, 1.0f},
      {{0, -0.5f, 0}, {0, -8, 0}, 0.0f, 0.0f}, {{0, 0.5f, 0}, {3, 0, 0}, 1.0f, 0.0f},
      {{-8, 1, 0}, {11, 0, 0}, 1.0f, 1.0f},    {{-8, 1.5f, -8}, {0, 0, 16}, 1.0f, 1.0f},
      {{-8, 0, 0}, {10, 0, 0}, 0.0f, 1.0f},
  };
  for (const auto& c : cases)
    EXPECT_EQ(level_->Trace(c.start, c.move, c.radius), c.fraction)
        << c.start.x << " " << c.start.y << " " << c.start.z << " by " << c.move.x << " "
        << c.move.y << " " << c.move.z;
  level_->Trace({0, 5, 0}, {0, 8, 0}, 1.0f);
  EXPECT_FALSE(level_->touched_leaves().empty());
}

TEST_F(LevelCollision, BrushNotMarkedCollidableIsPassedThroughButReported) {
  Build(kFloorAndWall);
  EXPECT_EQ(level_->Trace({0, 2, 0}, {8, 0, 0}, 0.5f), 1.0f);
  EXPECT_FALSE(level_->Penetration({4.5f, 2, 0}, 0.5f).has_value());
  {
    test::LogCapture log;
    level_->ReportTouches({4.5f, 2, 0}, 0.5f);
    EXPECT_GE(log.Count("Collision with brush 1"), 1);
    EXPECT_EQ(log.Count("Collision with brush 0"), 0);
  }
  level_->MarkCollidable(1);
  // Sphere front reaches x = 4 after 3.5 of the 8 units.
  EXPECT_FLOAT_EQ(level_->Trace({0, 2, 0}, {8, 0, 0}, 0.5f), 3.5f / 8.0f);
  test::LogCapture log;
  level_->ReportTouches({4.5f, 2, 0}, 0.5f);
  EXPECT_GE(log.Count("Collision with brush 0"), 1);
}

TEST_F(LevelCollision, PenetrationPicksTheBrushThatNeedsTheLargerPush) {
  // Two overlapping solid brushes: the sphere is 0.3 inside A's +x side and 0.4 inside B's
  // -x side; B needs the larger push.
  Build(
      "brush -10 0 -10 0 10 10 floor\n"
      "brush -0.5 0 -10 10 10 10 floor\n");
  const CVector centre(-0.2f, 5, 0);
  const auto plane = level_->Penetration(centre, 0.1f);
  ASSERT_TRUE(plane.has_value());
  EXPECT_EQ(plane->normal, CVector(-1, 0, 0));
  EXPECT_FLOAT_EQ(plane->distance, 0.5f);
  // Pushing by n * (radius + p - n . c) moves the sphere just out of B.
  const float push = 0.1f + plane->distance - Dot(plane->normal, centre);
  EXPECT_NEAR(push, 0.4f, 1e-6f);
  EXPECT_FALSE(level_->Penetration({0, 15, 0}, 1.0f).has_value());
}

TEST_F(LevelCollision, SphereAcrossLeavesTestsEachLeafsBrushes) {
  Build(
      "brush -10 -1 -10 10 0 10 floor\n"
      "brush -1 0 -1 1 2 1 floor\n");
  // A sphere on the floor beside the pillar reaches several leaves and both brushes.
  const auto plane = level_->Penetration({1.2f, 0.3f, 0}, 0.5f);
  ASSERT_TRUE(plane.has_value());
  EXPECT_GT(level_->touched_leaves().size(), 1u);
  EXPECT_EQ(plane->normal, CVector(1, 0, 0));  // 0.2 into the floor, 0.3 into the pillar
  EXPECT_EQ(level_->Trace({3, 1, 0}, {-4, 0, 0}, 0.5f), 0.375f);
}

TEST_F(LevelCollision, FindLeafAndClusters) {
  Build(kFloorAndWall);
  const int open = level_->FindLeaf({0, 2, 0});
  const int solid = level_->FindLeaf({0, -0.5f, 0});
  ASSERT_GE(open, 0);
  ASSERT_GE(solid, 0);
  EXPECT_GE(level_->LeafCluster(open), 0);
  EXPECT_EQ(level_->LeafCluster(solid), -1);
  EXPECT_TRUE(level_->ClusterVisible(level_->LeafCluster(open), level_->LeafCluster(open)));
  EXPECT_TRUE(level_->ClusterVisible(-1, 0));
  EXPECT_FALSE(level_->ClusterVisible(0, -1));
  EXPECT_FALSE(level_->ClusterVisible(0, 1 << 20));
}

}  // namespace
}  // namespace kt
