// Row-scan inputs for the fast-scan tests: synthetic walks (with planted ties) and prefixes of
// real CMU clips, with the marker positions each evaluation type needs.
#pragma once

#include <string>
#include <vector>

#include "graph/window_score.h"
#include "motion/posture.h"

namespace kt::test {

// A scan input over synthetic or real postures, with the markers its type needs.
struct ScanFixture : OwnedScanInput {
  ScanFixture(const std::vector<Posture>& frames, std::vector<int> clip_ends, int window,
              int eval_type, float threshold);
};

// The threshold of each evaluation type that yields plenty of edges on real clips.
float EdgeThreshold(int eval_type);

// The first `frames` frames of a CMU clip ("02/02_01" under the real-data folder), read with
// its own skeleton, which also becomes the marker skeleton. Empty when it cannot be read.
std::vector<Posture> CmuPrefix(const std::string& clip, int frames);

}  // namespace kt::test
