// Every CMU clip of the real-data folder, read with its subject's skeleton: frame counts,
// scaled root positions, and a write -> read round trip.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "motion/motion_data.h"
#include "test_support.h"

namespace kt {
namespace {

namespace fs = std::filesystem;

struct ClipFacts {
  int frames = 0;
  CVector first_root;  // as written in the file
};

// Frame lines are the lines holding a single integer; the root line after the first one gives
// the first frame's position.
ClipFacts ScanClip(const fs::path& amc) {
  ClipFacts facts;
  std::ifstream in(amc);
  bool want_root = false;
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    std::string first, rest;
    words >> first;
    if (!first.empty() && first.find_first_not_of("0123456789") == std::string::npos &&
        !(words >> rest)) {
      want_root = ++facts.frames == 1;
    } else if (want_root && first == "root") {
      std::istringstream numbers(line.substr(4));
      numbers >> facts.first_root.x >> facts.first_root.y >> facts.first_root.z;
      want_root = false;
    }
  }
  return facts;
}

class CmuClips : public ::testing::Test {
 protected:
  void SetUp() override {
    SetMotionFolder("");
    SetMotionCachesEnabled(false);  // never write beside the shared data
  }
  void TearDown() override {
    SetMotionFolder("data\\motions\\");
    SetMotionCachesEnabled(true);
    ResetMotionSkeletons();
  }
  test::ScratchDir dir_{"cmu"};
};

TEST_F(CmuClips, EveryClipLoadsAndRoundTrips) {
  KT_REQUIRE_REALDATA();
  int clips = 0;
  for (const auto& subject : fs::directory_iterator(test::RealDataDir() / "cmu")) {
    if (!subject.is_directory()) continue;
    const std::string id = subject.path().filename().string();
    ASSERT_TRUE(UseMotionSkeletons((subject.path() / (id + ".asf")).string())) << id;
    EXPECT_EQ(MotionSkeleton().dof_count(), 62);
    for (const auto& file : fs::directory_iterator(subject.path())) {
      if (file.path().extension() != ".amc") continue;
      SCOPED_TRACE(file.path().filename().string());
      ++clips;
      const ClipFacts facts = ScanClip(file.path());
      const MotionData m("cmu", file.path().string(), kMotionScale, 0, 120);
      ASSERT_EQ(m.frame_count(), facts.frames);
      EXPECT_FLOAT_EQ(m.posture(0).root_position.x, facts.first_root.x * 2.5f);
      EXPECT_FLOAT_EQ(m.posture(0).root_position.y, facts.first_root.y * 2.5f);
      EXPECT_FLOAT_EQ(m.posture(0).root_position.z, facts.first_root.z * 2.5f);

      testing::internal::CaptureStdout();
      ASSERT_EQ(m.WriteAMC("roundtrip.amc", kMotionScale), 0);
      testing::internal::GetCapturedStdout();
      const MotionData back("back", "roundtrip.amc", kMotionScale, 0, 120);
      ASSERT_EQ(back.frame_count(), m.frame_count());
      int worst_frame = -1;
      float worst = 0.0f;
      for (int f = 0; f < m.frame_count(); ++f) {
        const Posture &a = m.posture(f), &b = back.posture(f);
        float error =
            Distance(a.root_position, b.root_position) / std::max(1.0f, a.root_position.Length());
        for (int j = 0; j < kBoneCount; ++j)
          error = std::max(error, 1.0f - std::fabs(Dot(a.rotations[j], b.rotations[j])));
        if (error > worst) worst = error, worst_frame = f;
      }
      EXPECT_LT(worst, 1e-5f) << "worst frame " << worst_frame;
    }
  }
  EXPECT_EQ(clips, 22);
}

}  // namespace
}  // namespace kt
