// The default clips played the way the game plays them: a motion controller with the scene's
// graph settings, stepped on the manual clock well past the clip's end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "character/motion_controller.h"
#include "motion/motion_data.h"
#include "motion/skeleton.h"
#include "motion_synth.h"
#include "rig.h"
#include "test_support.h"

namespace kt::content {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

TEST(DefaultClipsPlayback, WalkAndRunGoOnThroughTheirGraphsWithoutStopping) {
  if (kSanitized) GTEST_SKIP() << "graph construction over whole clips is too slow here";
  test::ScratchDir dir;
  test::ManualClockScope clock;
  test::WriteFile("MartialArts.asf", AsfText());
  ResetMotionSkeletons();
  for (const auto& [file, poses] :
       {std::pair("walk.amc", MakeWalk()), std::pair("run.amc", MakeRun())}) {
    test::WriteFile(std::string("data/motions/") + file, AmcText(poses.data(), int(poses.size())));
    MotionData motion(file, file, kMotionScale, 1, 120);
    GraphBuildOptions options;
    options.write_cache = false;
    MotionController controller(&motion, 1, 0.97f, 3, 0.15f, 1.0f, options);
    controller.Play();
    controller.Update();
    // Three times the clip's length at 60 updates a second.
    const int updates = int(3 * poses.size() / 2);
    int jumps = 0, still = 0, longest_still = 0;
    CVector previous = controller.ShownPosture().root_position;
    int previous_frame = controller.CurrentFrame();
    double travelled = 0, largest = 0;
    for (int i = 0; i < updates; ++i) {
      clock.Advance(1.0 / 60);
      controller.Update();
      const CVector root = controller.ShownPosture().root_position;
      const double step = std::hypot(root.x - previous.x, root.z - previous.z);
      travelled += step;
      largest = std::max(largest, step);
      still = step < 1e-3 ? still + 1 : 0;
      longest_still = std::max(longest_still, still);
      jumps += controller.CurrentFrame() < previous_frame;
      previous = root;
      previous_frame = controller.CurrentFrame();
    }
    const double mean = travelled / updates;
    EXPECT_GE(jumps, 2) << file << ": the graph never jumped back";
    EXPECT_EQ(longest_still, 0) << file << ": the figure stood still";
    EXPECT_LT(largest, 2.5 * mean) << file << ": the root leapt";
  }
}

}  // namespace
}  // namespace kt::content
